// The five Firefox boxes on copies of a profile that firefox-esr made
// (scripts/make-firefox-profile.sh plants it as C:\vorlane-firefox-profile\):
// two profiles in one profiles.ini, one listed twice and one keeping its cache
// under Local AppData, and a third held by a running Firefox.
#include "ProfileFixture.h"

#include "firefox/PlacesQueries.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

constexpr char PlantedProfile[] = "C:\\vorlane-firefox-profile";

}  // namespace

class RealProfilesTest : public ProfileFixture {
protected:
    RealProfilesTest() : local_("local"), localOverride_("Local AppData", local_.Path()) {}

    std::string Copy(const std::string& name) {
        const std::string folder = FirefoxFolder() + "\\Profiles\\" + name;
        Fixtures::CopyTree(PlantedProfile, folder);
        return folder;
    }
    std::string LocalProfile(const std::string& name) const {
        return local_ / ("Mozilla\\Firefox\\Profiles\\" + name);
    }

    Fixtures::TempFolder local_;
    Fixtures::ShellFolderOverride localOverride_;
};

TEST_F(RealProfilesTest, EveryBoxLeavesTheBookmarksOfEveryProfileAndAHeldProfileWhole) {
    ASSERT_TRUE(Fixtures::FileExists(std::string(PlantedProfile) + "\\places.sqlite"))
        << "the Firefox profile fixture is missing (test firefox_profile)";
    const std::string one = Copy("one.default-release");
    const std::string two = Copy("two.default");
    const std::string held = Copy("held.default");
    // Firefox on Windows keeps a relative profile's cache under Local AppData.
    Fixtures::CopyTree(two + "\\cache2", LocalProfile("two.default") + "\\cache2");
    Fixtures::DeleteTree(two + "\\cache2");
    WriteProfilesIni(
        "[Install308046B0AF4A39CB]\r\nDefault=Profiles/one.default-release\r\n\r\n"
        "[Profile2]\r\nName=held\r\nIsRelative=1\r\nPath=Profiles/held.default\r\n\r\n"
        "[Profile1]\r\nName=default-release\r\nIsRelative=1\r\nPath=Profiles/one.default-release\r\nDefault=1\r\n\r\n"
        "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/two.default\r\n\r\n"
        "[Profile3]\r\nName=again\r\nIsRelative=1\r\nPath=Profiles/one.default-release\r\n");
    const std::vector<std::string> bookmarks = Rows(one + "\\places.sqlite", BookmarksQuery);
    ASSERT_GT(Count(one + "\\places.sqlite", "SELECT count(*) FROM moz_historyvisits"), 0);
    ASSERT_GT(FileTree::CountFiles(one + "\\cache2"), 0);
    ASSERT_GT(FileTree::CountFiles(LocalProfile("two.default") + "\\cache2"), 0);

    const UniqueFile lock = Fixtures::HoldLock(held + "\\parent.lock");
    ASSERT_TRUE(lock.Valid());
    const std::set<std::string> heldBefore = ProfileFiles::Tree(held);
    const std::string heldPlaces = Fixtures::ReadFile(held + "\\places.sqlite");

    ProfileFiles::ClearAll(status);

    for (const std::string& profile : {one, two}) {
        SCOPED_TRACE(profile);
        const std::string places = profile + "\\places.sqlite";
        EXPECT_EQ(Rows(places, BookmarksQuery), bookmarks);
        EXPECT_EQ(Rows(places, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
        for (const char* table : {"moz_historyvisits", "moz_inputhistory", "moz_places_metadata"})
            EXPECT_EQ(Count(places, std::string("SELECT count(*) FROM ") + table), 0) << table;
        EXPECT_EQ(Count(places, "SELECT count(*) FROM moz_places WHERE typed <> 0 OR visit_count <> 0"), 0);
        EXPECT_EQ(Count(places, DownloadAnnotations), 0);
        for (const char* gone : {"cookies.sqlite", "cookies.sqlite-wal", "formhistory.sqlite"})
            EXPECT_FALSE(Fixtures::FileExists(profile + "\\" + gone)) << gone;
        EXPECT_TRUE(Fixtures::FileExists(profile + "\\prefs.js"));
    }
    EXPECT_EQ(FileTree::CountFiles(one + "\\cache2"), 0);
    EXPECT_TRUE(Fixtures::FolderExists(one + "\\cache2\\entries"));
    EXPECT_EQ(FileTree::CountFiles(LocalProfile("two.default") + "\\cache2"), 0);
    EXPECT_TRUE(Fixtures::FolderExists(LocalProfile("two.default") + "\\cache2\\entries"));

    EXPECT_EQ(ProfileFiles::Tree(held), heldBefore);
    EXPECT_EQ(Fixtures::ReadFile(held + "\\places.sqlite"), heldPlaces);
    const std::set<std::string> notices(status.notices.begin(), status.notices.end());
    EXPECT_EQ(notices, std::set<std::string>{held + " was left alone: Firefox is using it"});
}
