// A browser that a pass leaves whole because it runs is cleaned once it
// closes, with the boxes of the last pass, on the real main window with copies
// of the real Firefox and Chromium profiles; the watch ends with the program.
#include "FormFixture.h"

#include "support/DatabaseRows.h"
#include "support/FileTree.h"
#include "system/MessagePump.h"
#include "system/UniqueHandle.h"

#include <initializer_list>
#include <string>

namespace {

constexpr char CleanedMark[] = " was cleaned after it closed at ";
constexpr char TypedUrls[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";

int Occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

class CloseWatchTest : public FormFixture {
protected:
    CloseWatchTest()
        : appDataOverride_("AppData", appData_.Path()), localOverride_("Local AppData", local_.Path()) {}

    // A copy of the real Firefox profile and of Chrome's User Data folder,
    // each held by its "running" browser.
    void PlantRunningBrowsers() {
        Fixtures::DeleteTree(appData_.Path());
        Fixtures::DeleteTree(local_.Path());
        Fixtures::WriteFile(appData_ / "Mozilla\\Firefox\\profiles.ini",
                            "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/real.default\r\n");
        Fixtures::CopyTree("C:\\vorlane-firefox-profile", FirefoxProfile());
        Fixtures::CopyTree("C:\\vorlane-chromium-profile", ChromeUserData());
        HoldLocks();
    }
    void HoldLocks() {
        firefoxLock_ = Fixtures::HoldLock(FirefoxProfile() + "\\parent.lock");
        chromeLock_ = Fixtures::HoldLock(ChromeUserData() + "\\lockfile");
    }
    void CloseBrowsers() {
        firefoxLock_.Reset();
        chromeLock_.Reset();
    }

    std::string FirefoxProfile() const { return appData_ / "Mozilla\\Firefox\\Profiles\\real.default"; }
    std::string ChromeUserData() const { return local_ / "Google\\Chrome\\User Data"; }
    std::string Log() const { return Fixtures::FileExists(LogPath()) ? Fixtures::ReadFile(LogPath()) : ""; }
    std::int64_t ChromeCookies() const {
        return Count(ChromeUserData() + "\\Default\\Network\\Cookies", "SELECT count(*) FROM cookies");
    }

    void SetBoxes(std::initializer_list<ControlId> boxes, bool ticked) {
        for (ControlId box : boxes)
            if (IsChecked(Form(), box) != ticked) Click(box);
    }

private:
    Fixtures::RegistryKeySnapshot typedUrls_{HKEY_CURRENT_USER, TypedUrls};
    Fixtures::TempFolder appData_{"appdata"};
    Fixtures::TempFolder local_{"local"};
    Fixtures::ShellFolderOverride appDataOverride_;
    Fixtures::ShellFolderOverride localOverride_;
    UniqueFile firefoxLock_;
    UniqueFile chromeLock_;
};

TEST_F(CloseWatchTest, ABrowserLeftRunningIsCleanedOnceAfterItClosesWithTheLastPassesBoxesAndNotAfterQuitting) {
    ASSERT_TRUE(Fixtures::FileExists("C:\\vorlane-firefox-profile\\cookies.sqlite")) << "test firefox_profile";
    PlantRunningBrowsers();
    Form1& form = CreateForm();
    const auto caches = {CleaningBoxes::Id("chkFFCache"), CleaningBoxes::Id("chkCrCache")};
    const auto cookies = {CleaningBoxes::Id("chkCookies"), CleaningBoxes::Id("chkCrCookies")};
    const auto look = [&] { ::SendMessageA(form.Handle(), WM_TIMER, Form1::CloseWatchTimerId, 0); };

    // A first pass with the cache boxes, then a second with the cookie boxes:
    // the second replaces the watch of the first.
    SetBoxes(caches, true);
    form.DeleteAll();
    SetBoxes(caches, false);
    SetBoxes(cookies, true);
    SetBoxes({CleaningBoxes::Id("chkIETyped")}, true);
    form.DeleteAll();
    // Typed after the pass: Internet Explorer's box is not run again when a browser closes.
    Fixtures::SetString(HKEY_CURRENT_USER, TypedUrls, "url1", "http://typed-later.test/");
    EXPECT_EQ(Occurrences(Log(), FirefoxProfile() + " was left alone: Firefox is using it"), 2);
    EXPECT_EQ(Occurrences(Log(), "Google Chrome was left alone: it is running"), 2);
    ASSERT_GT(ChromeCookies(), 0);
    look();  // still running: nothing cleaned
    EXPECT_EQ(Occurrences(Log(), CleanedMark), 0);

    CloseBrowsers();
    MessagePump::WaitWhileMessagesRun(6, [&] { return Occurrences(Log(), CleanedMark) < 2; });
    ASSERT_EQ(Occurrences(Log(), CleanedMark), 2) << Log();
    EXPECT_EQ(Occurrences(Log(), FirefoxProfile() + CleanedMark), 1) << Log();
    EXPECT_EQ(Occurrences(Log(), std::string("Google Chrome") + CleanedMark), 1) << Log();
    EXPECT_FALSE(Fixtures::FileExists(FirefoxProfile() + "\\cookies.sqlite"));
    EXPECT_EQ(ChromeCookies(), 0);
    // The first pass's boxes were not run.
    EXPECT_GT(FileTree::CountFiles(ChromeUserData() + "\\Default\\Cache"), 0);
    EXPECT_TRUE(Fixtures::ValueExists(HKEY_CURRENT_USER, TypedUrls, "url1"));
    look();  // once: nothing is watched any more
    EXPECT_EQ(Occurrences(Log(), CleanedMark), 2);

    // Left running again by the same boxes, and closed with nothing left to
    // take: no line says it was cleaned.
    HoldLocks();
    form.DeleteAll();
    CloseBrowsers();
    look();
    EXPECT_EQ(Occurrences(Log(), CleanedMark), 2) << Log();

    // Quitting with a watch pending: the browsers close after the program and
    // nothing more is cleaned.
    HoldLocks();
    SetBoxes(cookies, false);
    SetBoxes(caches, true);
    form.DeleteAll();
    ::SendMessageA(form.Handle(), WM_CLOSE, 0, 0);
    CloseBrowsers();
    MessagePump::WaitWhileMessagesRun(2.5);
    EXPECT_EQ(Occurrences(Log(), CleanedMark), 2) << Log();
    EXPECT_GT(FileTree::CountFiles(ChromeUserData() + "\\Default\\Cache"), 0);
}

}  // namespace
