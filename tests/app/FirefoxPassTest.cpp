#include "firefox/ProfileFixture.h"
#include "FormFixture.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

class FirefoxPassTest : public FormFixture {};

TEST_F(FirefoxPassTest, APassWithTheFiveFirefoxBoxesTickedCleansTheProfile) {
    Fixtures::TempFolder appData("appdata");
    const Fixtures::ShellFolderOverride override("AppData", appData.Path());
    const std::string profile = appData / "Mozilla\\Firefox\\Profiles\\abc.default";
    Fixtures::WriteFile(appData / "Mozilla\\Firefox\\profiles.ini",
                        "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/abc.default\r\n");
    ProfileFiles::Fill(profile);

    Form1& form = CreateForm();
    for (ControlId box : {CleaningBoxes::Id("chkFFHist"), CleaningBoxes::Id("chkFFDownloads"), CleaningBoxes::Id("chkTypedUrls"), CleaningBoxes::Id("chkCookies"), CleaningBoxes::Id("chkFFCache")}) {
        Click(box);
        ASSERT_TRUE(IsChecked(form, box));
    }
    form.DeleteAll();

    EXPECT_TRUE(platform->Reports().empty());
    EXPECT_EQ(form.Status(), "");
    // clang-format off
    std::set<std::string> survivors = {
        "bookmarkbackups\\", "bookmarkbackups\\bookmarks-2026-12-01.json",
        "cache\\", "cache\\Cache\\", "cache\\Cache\\inner.cache", "cache\\0\\", "cache\\0\\1A\\", "cache\\0\\1A\\deep",
        "old.cache\\", "old.cache\\inside.cache", "startupCache\\", "startupCache\\startupCache.4.little",
        "prefs.js", "content-prefs.sqlite", "signons.sqlite", "places.sqlite.bak",
        "cookies.sqlite.corrupt", "search.json.cache.bak", "cache.txt", "sessionCheckpoints.json",
        "sessionstore-backups\\", "storage\\", "storage\\default\\", "storage\\temporary\\", "storage\\permanent\\",
        "storage\\permanent\\chrome\\", "storage\\permanent\\chrome\\idb\\", "storage\\permanent\\chrome\\idb\\x.sqlite",
        "storage\\default\\httpsnot+++x\\", "storage\\default\\httpsnot+++x\\y",
    };
    // clang-format on
    const std::string addon = "storage\\default\\moz-extension+++6a1b6e2e-4c83-4f3c-9bd6-7e8a4b1f5d20^userContextId=4294967295\\";
    survivors.insert({addon, addon + "idb\\", addon + "idb\\3647222921wleabcEoxlt-eengsairo.sqlite"});
    EXPECT_EQ(ProfileFiles::Tree(profile), survivors);
}
