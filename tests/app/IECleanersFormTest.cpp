// The three Internet Explorer boxes of the real window, ticked, and a pass:
// the files, folders and URL-cache entries are gone.
#include "FormFixture.h"

#include "support/UrlCacheHelpers.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Each window made here begins a fresh program run (Form_Load's LoadHistroy).
class IECleanersFormTest : public FormFixture {
protected:
    Fixtures::TempFolder folders_{"ie"};
    const std::string cookies_ = folders_ / "Cookies";
    const std::string cache_ = folders_ / "Cache";
    const std::string history_ = folders_ / "History";
    const std::string other_ = folders_ / "Other";
};

}  // namespace

TEST_F(IECleanersFormTest, TheThreeIEBoxesEmptyTheirFoldersAndPurgeTheStartUpCacheEntries) {
    const std::string cookie = "Cookie:vorlane@form.example/";
    const std::string page = "http://form.example/page.html";
    ASSERT_TRUE(UrlCache::Commit(cookie, COOKIE_CACHE_ENTRY));
    ASSERT_TRUE(UrlCache::Commit(page, NORMAL_CACHE_ENTRY));
    for (const std::string& folder : {cookies_, cache_, history_, other_}) {
        Fixtures::WriteFile(folder + "\\file.txt");
        Fixtures::WriteFile(folder + "\\sub\\deep\\file.txt", "x", FILE_ATTRIBUTE_READONLY);
    }
    Fixtures::ShellFolderOverride cookiesValue("Cookies", cookies_);
    Fixtures::ShellFolderOverride cacheValue("Cache", cache_);
    Fixtures::ShellFolderOverride historyValue("History", history_);

    Form1& form = CreateForm();  // start-up lists the URL cache
    ASSERT_TRUE(UrlCache::Exists(cookie));
    Click(CleaningBoxes::Id("chkIEHist"));
    Click(CleaningBoxes::Id("chkIETemp"));
    Click(CleaningBoxes::Id("chkIECookies"));
    form.DeleteAll();

    EXPECT_TRUE(platform->Reports().empty());
    EXPECT_FALSE(UrlCache::Exists(cookie));
    EXPECT_FALSE(UrlCache::Exists(page));
    for (const std::string& folder : {cookies_, cache_, history_}) {
        EXPECT_FALSE(Fixtures::FileExists(folder + "\\file.txt")) << folder;
        EXPECT_FALSE(Fixtures::FolderExists(folder + "\\sub")) << folder;
    }
    EXPECT_TRUE(Fixtures::FileExists(other_ + "\\file.txt"));
    EXPECT_TRUE(Fixtures::FileExists(other_ + "\\sub\\deep\\file.txt"));
    EXPECT_EQ(form.Status(), "");
}

// Cache and Cookies values naming a drive root and a Firefox profile entry
// that climbs out of the Firefox folder: a real pass deletes nothing there,
// and the log says what was left after the pass's own line, once each.
TEST_F(IECleanersFormTest, APassLeavesRefusedFoldersWholeAndLogsWhy) {
    ASSERT_TRUE(Fixtures::FolderExists("V:\\")) << "drive V: is missing: run scripts/plant-cleaner-fixtures.sh";
    Fixtures::WriteFile("V:\\canary.txt", "canary");
    Fixtures::WriteFile("V:\\deep\\canary.txt", "canary");
    Fixtures::ShellFolderOverride cacheValue("Cache", "V:\\");
    Fixtures::ShellFolderOverride cookiesValue("Cookies", "V:\\");
    Fixtures::ShellFolderOverride appDataValue("AppData", folders_.Path());
    Fixtures::WriteFile(folders_ / "Mozilla\\Firefox\\profiles.ini", "[Profile0]\r\nIsRelative=1\r\nPath=..\r\n");
    Fixtures::WriteFile(folders_ / "Mozilla\\places.sqlite", "canary");

    Form1& form = CreateForm();
    Click(CleaningBoxes::Id("chkIETemp"));
    Click(CleaningBoxes::Id("chkIECookies"));
    Click(CleaningBoxes::Id("chkTypedUrls"));
    form.DeleteAll();

    EXPECT_EQ(Fixtures::ReadFile("V:\\canary.txt"), "canary");
    EXPECT_EQ(Fixtures::ReadFile("V:\\deep\\canary.txt"), "canary");
    EXPECT_EQ(Fixtures::ReadFile(folders_ / "Mozilla\\places.sqlite"), "canary");
    EXPECT_TRUE(platform->Reports().empty());
    EXPECT_EQ(form.Status(), "");
    const std::string log = Fixtures::ReadFile(LogPath());
    const std::string notices = "0 file(s), 0 bytes and 0 entries deleted\r\nV:\\ was left alone: not a browser folder\r\n" + folders_.Path() +
                                "\\Mozilla\\Firefox\\.. was left alone: not a Firefox profile\r\n";
    EXPECT_EQ(log.rfind("Internet History was deleted at ", 0), 0u) << log;
    EXPECT_EQ(log.substr(log.find("\r\n") + 2), notices);
    Fixtures::DeleteTree("V:\\canary.txt");
    Fixtures::DeleteTree("V:\\deep");
}
