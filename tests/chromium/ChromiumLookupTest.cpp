// Which browsers and profiles the cleaners find, what the frame's label says
// of them, and the folders they refuse.
#include "ChromiumFixture.h"

#include "chromium/Chromium.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

using namespace ChromiumFiles;

namespace {

struct LookupCase {
    const char* name;
    const char* localState;             // nullptr: no Local State file
    std::vector<std::string> folders;   // made in User Data; "+" at the end: with a Preferences file
    std::vector<std::string> expected;  // the profiles found, in order
};

// clang-format off
const LookupCase LookupCases[] = {
    {"InfoCacheKeysInFileOrder", R"({"profile":{"info_cache":{"Profile 3":{},"Default":{}}}})",
     {"Default", "Profile 3", "Profile 4+"}, {"Profile 3", "Default"}},
    {"ListedButMissingFolderIsNoProfile", R"({"profile":{"info_cache":{"Default":{},"Profile 7":{}}}})",
     {"Default"}, {"Default"}},
    {"NamesThatAreNotOneFolderAreSkipped",
     R"({"profile":{"info_cache":{"..":{},"Default\\..\\..":{},"C:\\Users":{},"a/b":{},"Profile 1":{},"":{}}}})",
     {"Default", "Profile 1"}, {"Profile 1"}},
    {"ListedTwiceIsOneProfile", R"({"profile":{"info_cache":{"Default":{},"Profile 1":{},"DEFAULT":{}}}})",
     {"Default", "Profile 1"}, {"Default", "Profile 1"}},
    // Only the keys of profile.info_cache itself name profiles; where a key is
    // written twice, its last value counts.
    {"KeysElsewhereAreNoProfiles",
     R"({"x":{"profile":{"info_cache":{"Profile 1":{}}}},"profile":{"info_cache":{"Default":)"
     R"({"profile":{"info_cache":{"Profile 2":{}}}}}}})",
     {"Default", "Profile 1", "Profile 2"}, {"Default"}},
    {"TheLastOfAKeyWrittenTwiceCounts", R"({"profile":{"info_cache":{"Profile 1":{}},"info_cache":{"Default":{}}}})",
     {"Default", "Profile 1"}, {"Default"}},
    {"AProfileWrittenAgainWithoutInfoCacheFallsBack",
     R"({"profile":{"info_cache":{"Profile 1":{}}},"profile":{"last_used":"Profile 1"}})", {"Default+", "Profile 1"},
     {"Default"}},
    {"BrokenJsonFallsBackToUsualFolders", R"({"profile":{"info_cache":{"Default":)",
     {"Default+", "Profile 2+", "Profile 5", "Guest Profile+", "Profile x+"}, {"Default", "Profile 2"}},
    {"NoLocalStateFallsBackToUsualFolders", nullptr, {"Profile 1+", "System Profile+"}, {"Profile 1"}},
    {"WithoutInfoCacheFallsBack", R"({"profile":{"last_used":"Default"}})", {"Default+"}, {"Default"}},
    {"InfoCacheOfAnotherTypeFallsBack", R"({"profile":{"info_cache":[{"Profile 1":{}}]}})",
     {"Default+", "Profile 1+"}, {"Default", "Profile 1"}},
};
// clang-format on

class ChromiumLookupTest : public ChromiumFixture, public ::testing::WithParamInterface<LookupCase> {};

}  // namespace

TEST_P(ChromiumLookupTest, FindsTheProfilesLocalStateListsOrTheUsualFolders) {
    const LookupCase& c = GetParam();
    const std::string userData = UserData("Vivaldi");
    Fixtures::MakeFolders(userData);
    if (c.localState) WriteLocalState(userData, c.localState);
    for (std::string folder : c.folders) {
        const bool withPreferences = folder.back() == '+';
        if (withPreferences) folder.pop_back();
        Fixtures::MakeFolders(userData + "\\" + folder);
        if (withPreferences) Fixtures::WriteFile(userData + "\\" + folder + "\\Preferences", "{}");
    }
    std::vector<std::string> expected;
    for (const std::string& name : c.expected) expected.push_back(userData + "\\" + name);

    const Chromium chromium;
    ASSERT_EQ(chromium.Browsers().size(), 1u);
    EXPECT_EQ(chromium.Browsers()[0].name, "Vivaldi");
    EXPECT_EQ(chromium.Browsers()[0].profiles, expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ChromiumLookupTest, ::testing::ValuesIn(LookupCases),
                         [](const ::testing::TestParamInfo<LookupCase>& info) { return std::string(info.param.name); });

class ChromiumLookupTestLabel : public ChromiumFixture {};

TEST_F(ChromiumLookupTestLabel, NamesEveryBrowserWithProfilesInTheFixedOrder) {
    EXPECT_EQ(ChromiumHistory::FoundProfiles(), "No Chrome or Edge profile found.");
    // A User Data folder without a profile is no browser to show.
    Fixtures::MakeFolders(UserData("Google\\Chrome"));
    EXPECT_EQ(ChromiumHistory::FoundProfiles(), "No Chrome or Edge profile found.");
    for (const char* profile : {"Default", "Profile 1", "Profile 2"})
        Fixtures::WriteFile(UserData("Chromium") + "\\" + profile + "\\Preferences", "{}");
    Fixtures::WriteFile(UserData("Microsoft\\Edge") + "\\Default\\Preferences", "{}");
    // Opera's folder below Roaming AppData is its one profile.
    const Fixtures::TempFolder roaming("roaming");
    const Fixtures::ShellFolderOverride appData("AppData", roaming.Path());
    Fixtures::MakeFolders(roaming / "Opera Software\\Opera Stable");
    EXPECT_EQ(ChromiumHistory::FoundProfiles(), "Microsoft Edge: 1 profile\r\nChromium: 3 profiles\r\nOpera: 1 profile");
}

// A Local AppData value that ends in a backslash names the same folder: its
// profiles are cleaned, not refused for a doubled backslash.
class ChromiumLookupTestShellFolder : public ChromiumFixture {};

TEST_F(ChromiumLookupTestShellFolder, ALocalAppDataEndingInABackslashIsTheSameFolder) {
    const std::string profile = CopyProfile(UserData("Microsoft\\Edge"), "Default");
    const Fixtures::ShellFolderOverride trailing("Local AppData", LocalAppData() + "\\");
    ChromiumHistory::ClearChromiumCookies(status);
    EXPECT_EQ(Count(profile + "\\Network\\Cookies", "SELECT count(*) FROM cookies"), 0);
    EXPECT_TRUE(status.notices.empty()) << status.notices.front();
}

// Local AppData and AppData values that name no proper folder: a drive root
// (as written, doubled and drive-relative), a path through "..", and a known
// folder. The Chrome and Opera profiles that lie where such a value leads, and
// the known folder's own files, stay byte for byte.
TEST_F(ChromiumLookupTestShellFolder, AHostileLocalAppDataOrAppDataCleansNothingWhereItLeads) {
    ASSERT_TRUE(Fixtures::FolderExists("V:\\")) << "drive V: is missing (test plant_cleaner_fixtures)";
    const std::string driveRoot = "C:\\vorlane-drive";  // drive V:
    char documents[MAX_PATH] = {};
    ASSERT_EQ(::SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, 0, documents), S_OK);
    // Drive U:'s folder, "vorlane-диск 日本 😀" (scripts/plant-cleaner-fixtures.sh).
    const std::string unicodeRoot = "C:\\vorlane-\xD0\xB4\xD0\xB8\xD1\x81\xD0\xBA \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";
    for (const std::string& root : {driveRoot, unicodeRoot, LocalAppData()}) {
        CopyProfile(root + "\\Google\\Chrome\\User Data", "Default");
        CopyProfile(root + "\\Opera Software", "Opera Stable");  // Opera's folder is its profile
    }
    Fixtures::MakeFolders(LocalAppData() + "\\sub");
    const std::string canary = std::string(documents) + "\\vorlane-canary";
    Fixtures::CopyTree(std::string(PlantedUserData) + "\\Default", canary);  // a profile's files, not in User Data
    const std::map<std::string, std::string> drive = Contents(driveRoot), local = Contents(LocalAppData()),
                                             known = Contents(documents), unicodeDrive = Contents(unicodeRoot);
    const Fixtures::TempFolder empty("empty");
    for (const char* shellFolder : {"Local AppData", "AppData"})
        for (const std::string& value : {std::string("V:\\"), std::string("V:\\\\"), std::string("V:"), std::string("U:\\"),
                                         LocalAppData() + "\\sub\\..", std::string(documents)}) {
            SCOPED_TRACE(shellFolder);
            // The other folder holds no browser: only the hostile value could lead to one.
            const Fixtures::ShellFolderOverride other(std::string(shellFolder) == "AppData" ? "Local AppData" : "AppData",
                                                      empty.Path());
            const Fixtures::ShellFolderOverride hostile(shellFolder, value);
            ClearAll(status);
            EXPECT_EQ(Contents(driveRoot), drive) << value;
            EXPECT_EQ(Contents(unicodeRoot), unicodeDrive) << value;
            EXPECT_EQ(Contents(LocalAppData()), local) << value;
            EXPECT_EQ(Contents(documents), known) << value;
        }
    EXPECT_TRUE(status.notices.empty());
    Fixtures::DeleteTree(canary);
    for (const std::string& root : {driveRoot, unicodeRoot}) {
        Fixtures::DeleteTree(root + "\\Google");
        Fixtures::DeleteTree(root + "\\Opera Software");
    }
}

// Links planted by scripts/make-chromium-profile.sh: a profile, its Network
// folder, its Cache_Data folder, a site's IndexedDB folder and a folder inside
// another lead outside the User Data folder, and a folder in Opera GX's cache
// outside its cache side: none is followed. Edge's User Data folder and
// Opera's cache side below Local AppData are links to folders elsewhere, as
// when a user moved them to another drive: those are followed.
class ChromiumLookupTestLinks : public ::testing::Test {
protected:
    ChromiumLookupTestLinks()
        : override_("Local AppData", std::string(Root) + "\\Local"),
          roaming_("AppData", std::string(Root) + "\\Roaming") {}
    static constexpr char Root[] = "C:\\vorlane-chromium-links";
    Fixtures::ShellFolderOverride override_;
    Fixtures::ShellFolderOverride roaming_;
    RecordingStatus status;
};

TEST_F(ChromiumLookupTestLinks, ALinkAtABrowserFolderIsFollowedAndNoneBelowIt) {
    const std::string outside = std::string(Root) + "\\outside";
    const std::string userData = std::string(Root) + "\\Local\\Chromium\\User Data";
    ASSERT_TRUE(Fixtures::FileExists(outside + "\\Network\\Cookies")) << "the links are missing (test chromium_profile)";
    const auto reachedOnlyThroughBelow = [&] {
        std::map<std::string, std::string> contents = Contents(outside);
        std::erase_if(contents, [](const auto& entry) {
            return entry.first.starts_with("userdata\\") || entry.first.starts_with("operacache\\");
        });
        return contents;
    };
    const std::map<std::string, std::string> before = reachedOnlyThroughBelow();
    const std::string movedEdge = outside + "\\userdata\\Default";
    const std::string edgeHistory = Fixtures::ReadFile(movedEdge + "\\History");

    ClearAll(status);

    EXPECT_EQ(reachedOnlyThroughBelow(), before);
    EXPECT_FALSE(Fixtures::FileExists(userData + "\\Default\\GPUCache\\data_0"));
    const std::string holdsLink = userData + "\\Default\\IndexedDB\\http_holds-link.test_0.indexeddb.leveldb";
    EXPECT_FALSE(Fixtures::FileExists(holdsLink + "\\000003.log"));
    EXPECT_TRUE(Fixtures::FolderExists(holdsLink + "\\inner"));
    EXPECT_TRUE(Fixtures::FileExists(userData + "\\Default\\Preferences"));
    EXPECT_FALSE(Fixtures::FileExists(std::string(Root) + "\\Local\\Opera Software\\Opera GX Stable\\Cache\\f_000002"));
    // The moved browser data is cleaned as if it were in place.
    EXPECT_NE(Fixtures::ReadFile(movedEdge + "\\History"), edgeHistory);
    EXPECT_TRUE(Fixtures::FileExists(movedEdge + "\\Preferences"));
    EXPECT_FALSE(Fixtures::FileExists(outside + "\\operacache\\Cache\\f_000001"));
    const std::set<std::string> notices(status.notices.begin(), status.notices.end());
    const std::string suffix = " was left alone: not a browser folder";
    EXPECT_EQ(notices, (std::set<std::string>{userData + "\\Profile 9" + suffix,
                                              userData + "\\Default\\Network" + suffix,
                                              userData + "\\Default\\IndexedDB\\http_linked.test_0.indexeddb.leveldb" + suffix,
                                              userData + "\\Default\\Cache\\Cache_Data" + suffix,
                                              holdsLink + "\\inner" + suffix,
                                              std::string(Root) + "\\Local\\Opera Software\\Opera GX Stable\\Cache\\Cache_Data" + suffix}));
}
