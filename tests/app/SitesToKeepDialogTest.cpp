// "Sites to Keep..." on the real window, over real Firefox and Chrome
// profiles and an Internet Explorer cookie file: the dialog lists every site
// that holds cookies or site data with its browsers, takes a typed site and
// refuses one that is none, suggests the sites of bookmarks and saved
// passwords, stores the list on OK and nothing on Cancel, and shows the
// stored list again after a restart, or what is valid of a string value.
#include "FormFixture.h"

#include "app/SitesToKeepDialog.h"
#include "cleaning/SitesToKeepSetting.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr char PlantedFirefox[] = "C:\\vorlane-firefox-profile";
constexpr char PlantedChromium[] = "C:\\vorlane-chromium-profile";

// What the dialog shows: each found site with its browsers, and the kept list.
struct Seen {
    std::map<std::string, std::string> found;
    std::vector<std::string> kept;
};

Seen Read(HWND dialog) {
    Seen seen;
    HWND found = ::GetDlgItem(dialog, SitesToKeepDialog::IdFound);
    for (int row = 0; row < ListView_GetItemCount(found); ++row) {
        char site[256] = {}, browsers[256] = {};
        ListView_GetItemText(found, row, 0, site, sizeof(site));
        ListView_GetItemText(found, row, 1, browsers, sizeof(browsers));
        seen.found[site] = browsers;
    }
    HWND kept = ::GetDlgItem(dialog, SitesToKeepDialog::IdKept);
    for (int row = 0; row < ::SendMessageA(kept, LB_GETCOUNT, 0, 0); ++row) {
        char site[256] = {};
        ::SendMessageA(kept, LB_GETTEXT, row, reinterpret_cast<LPARAM>(site));
        seen.kept.push_back(site);
    }
    return seen;
}

// A click on a button of the dialog, as the button itself reports it.
void Press(HWND dialog, int id) {
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

void Type(HWND dialog, const std::string& text) {
    ::SetWindowTextA(::GetDlgItem(dialog, SitesToKeepDialog::IdEntry), text.c_str());
    Press(dialog, SitesToKeepDialog::IdAdd);
}

// Selects the found site `site` alone.
void Select(HWND dialog, const std::string& site) {
    HWND found = ::GetDlgItem(dialog, SitesToKeepDialog::IdFound);
    ListView_SetItemState(found, -1, 0, LVIS_SELECTED);
    for (int row = 0; row < ListView_GetItemCount(found); ++row) {
        char text[256] = {};
        ListView_GetItemText(found, row, 0, text, sizeof(text));
        if (site == text) ListView_SetItemState(found, row, LVIS_SELECTED, LVIS_SELECTED);
    }
}

// Waits on its own thread for the dialog, then `act`s on it; `act` closes it.
class DialogDriver {
public:
    explicit DialogDriver(std::function<void(HWND)> act) : thread_([this, act] { Drive(act); }) {}
    ~DialogDriver() { thread_.join(); }
    bool seen = false;

private:
    void Drive(const std::function<void(HWND)>& act) {
        for (int i = 0; i < 1200; ++i) {
            HWND dialog = ::FindWindowA(nullptr, SitesToKeepTexts::Caption);
            if (dialog && ::IsWindowVisible(dialog)) {
                seen = true;
                act(dialog);
                return;
            }
            ::Sleep(50);
        }
    }
    std::thread thread_;
};

// The stored SitesToKeep, one site a string; "none" when there is no value.
std::vector<std::string> Stored() {
    DWORD size = 0;
    if (::RegGetValueA(HKEY_CURRENT_USER, SitesToKeepSetting::KeyPath, SitesToKeepSetting::ValueName, RRF_RT_REG_MULTI_SZ,
                       nullptr, nullptr, &size) != ERROR_SUCCESS)
        return {"none"};
    std::string bytes(size, '\0');
    ::RegGetValueA(HKEY_CURRENT_USER, SitesToKeepSetting::KeyPath, SitesToKeepSetting::ValueName, RRF_RT_REG_MULTI_SZ,
                   nullptr, bytes.data(), &size);
    std::vector<std::string> sites;
    for (std::size_t at = 0; at < bytes.size() && bytes[at] != '\0'; at = bytes.find('\0', at) + 1)
        sites.push_back(bytes.c_str() + at);
    return sites;
}

class SitesToKeepDialogTest : public FormFixture {
protected:
    SitesToKeepDialogTest()
        : appDataOverride_("AppData", appData_.Path()), localOverride_("Local AppData", local_.Path()),
          cookiesOverride_("Cookies", ie_ / "Cookies"), cacheOverride_("Cache", ie_ / "Cache") {
        const std::string firefox = appData_ / "Mozilla\\Firefox";
        Fixtures::WriteFile(firefox + "\\profiles.ini",
                            "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/real.default\r\n");
        Fixtures::CopyTree(PlantedFirefox, firefox + "\\Profiles\\real.default");
        Fixtures::CopyTree(PlantedChromium, local_ / "Google\\Chrome\\User Data");
        // A cookie as Internet Explorer writes it: name, value, host and path, flags, times.
        Fixtures::WriteFile(ie_ / "Cookies\\user@ie-only.test[1].txt",
                            "id\n42\nwww.ie-only.test/\n0\n0\n0\n0\n0\n*\n");
    }

    // Clicks "Sites to Keep..." and lets `act` drive the dialog.
    void OpenDialog(const std::function<void(HWND)>& act) {
        DialogDriver driver(act);
        Click(IdPushButton15);
        ASSERT_TRUE(driver.seen);
    }

    Fixtures::TempFolder appData_{"appdata"};
    Fixtures::TempFolder local_{"local"};
    Fixtures::TempFolder ie_{"ie"};

private:
    Fixtures::ShellFolderOverride appDataOverride_;
    Fixtures::ShellFolderOverride localOverride_;
    Fixtures::ShellFolderOverride cookiesOverride_;
    Fixtures::ShellFolderOverride cacheOverride_;
};

}  // namespace

TEST_F(SitesToKeepDialogTest, ListsTheSitesTakesTypedAndSuggestedOnesAndStoresTheListOnOkOnly) {
    ASSERT_TRUE(Fixtures::FileExists(std::string(PlantedFirefox) + "\\places.sqlite")) << "test firefox_profile";
    ASSERT_TRUE(Fixtures::FileExists(std::string(PlantedChromium) + "\\Default\\History")) << "test chromium_profile";
    CreateForm();
    EXPECT_EQ(Text(Form(), IdPushButton15), "Sites to Keep...");

    // Cancel after every kind of change stores nothing.
    Seen found, cancelled;
    OpenDialog([&](HWND dialog) {
        found = Read(dialog);
        Type(dialog, "nas");
        Type(dialog, "Mail.Example.COM.");
        Select(dialog, "alpha-visit.test");
        Press(dialog, SitesToKeepDialog::IdKeep);
        Press(dialog, SitesToKeepDialog::IdSuggest);
        cancelled = Read(dialog);
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(found.found["alpha-visit.test"], "Google Chrome, Mozilla Firefox");
    EXPECT_EQ(found.found["bravo-visit.test"], "Google Chrome, Mozilla Firefox");
    EXPECT_EQ(found.found["ie-only.test"], "Internet Explorer");
    EXPECT_EQ(found.found["127.0.0.1"], "Google Chrome, Mozilla Firefox");
    EXPECT_EQ(found.found.count("kept-bookmark.test"), 0u);  // bookmarked, but no cookie or site data
    EXPECT_TRUE(found.kept.empty());
    // The typed site as a site, the chosen one, then the bookmarked and
    // saved-password sites that hold cookies.
    EXPECT_EQ(cancelled.kept, (std::vector<std::string>{"example.com", "alpha-visit.test", "127.0.0.1", "localhost"}));
    ASSERT_EQ(platform->messages.size(), 1u);
    EXPECT_EQ(platform->messages[0].text, std::string("\"nas\"") + SitesToKeepTexts::NotASite);
    EXPECT_EQ(Stored(), std::vector<std::string>{"none"});

    // OK stores the list as it stands, less what was removed.
    OpenDialog([&](HWND dialog) {
        Type(dialog, "192.168.1.*");
        Select(dialog, "bravo-visit.test");
        Press(dialog, SitesToKeepDialog::IdKeep);
        Type(dialog, "bücher.de");
        ::SendMessageA(::GetDlgItem(dialog, SitesToKeepDialog::IdKept), LB_SETSEL, TRUE, 0);
        Press(dialog, SitesToKeepDialog::IdRemove);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(Stored(), (std::vector<std::string>{"bravo-visit.test", "xn--bcher-kva.de"}));

    // After a restart the dialog shows the stored list.
    CreateForm();
    Seen restarted;
    OpenDialog([&](HWND dialog) {
        restarted = Read(dialog);
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(restarted.kept, (std::vector<std::string>{"bravo-visit.test", "xn--bcher-kva.de"}));

    // A value an administrator wrote as a plain string loses no valid entry.
    Fixtures::SetString(HKEY_CURRENT_USER, SitesToKeepSetting::KeyPath, SitesToKeepSetting::ValueName,
                        "Intranet.Example.org; nas\r\n10.0.0.*");
    OpenDialog([&](HWND dialog) {
        restarted = Read(dialog);
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(restarted.kept, (std::vector<std::string>{"example.org", "10.0.0.*"}));
    EXPECT_TRUE(platform->Reports().empty());
}
