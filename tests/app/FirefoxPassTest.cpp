#include "firefox/ProfileFixture.h"
#include "support/FormFixture.h"

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
    for (const char* file : ProfileFiles::Files) Fixtures::WriteFile(profile + "\\" + file);

    Form1& form = CreateForm();
    for (ControlId box : {IdChkFFHist, IdChkFFDownloads, IdChkTypedUrls, IdChkCookies, IdChkFFCache}) {
        Click(box);
        ASSERT_TRUE(form.IsChecked(box));
    }
    form.DeleteAll();

    EXPECT_TRUE(platform->Reports().empty());
    EXPECT_EQ(form.Status(), "");
    const std::set<std::string> survivors = {
        "bookmarkbackups\\", "bookmarkbackups\\bookmarks-2026-12-01.json",
        "cache\\", "cache\\Cache\\", "cache\\Cache\\inner.cache", "cache\\0\\", "cache\\0\\1A\\", "cache\\0\\1A\\deep",
        "old.cache\\", "old.cache\\inside.cache", "startupCache\\", "startupCache\\startupCache.4.little",
        "prefs.js", "permissions.sqlite", "content-prefs.sqlite", "signons.sqlite", "places.sqlite.bak",
        "cookies.sqlite.corrupt", "search.json.cache.bak", "cache.txt", "sessionstore.js",
    };
    EXPECT_EQ(ProfileFiles::Tree(profile), survivors);
}
