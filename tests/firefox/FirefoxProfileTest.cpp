#include "ProfileFixture.h"

#include "firefox/Firefox.h"
#include "firefox/INI.h"
#include "system/Path.h"
#include "system/ShellFolders.h"
#include "system/UniqueHandle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

const char UserShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

void DeleteValue(const char* subKey, const char* name) {
    UniqueRegKey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, subKey, 0, KEY_SET_VALUE, key.Put()) == ERROR_SUCCESS)
        ::RegDeleteValueA(key.Get(), name);
}

// Files named like the cleaners' targets at the root of drive C, with C:\ as the
// current folder, and a complete installation of Firefox and of each fork at
// its folder ("\Mozilla\Firefox", "\librewolf"...) of that drive. Only what
// was created here is removed again.
class DriveRootCanaries {
public:
    DriveRootCanaries() {
        char current[MAX_PATH] = {};
        ::GetCurrentDirectoryA(MAX_PATH, current);
        previousFolder_ = current;
        for (const std::string& path : Paths()) {
            if (Fixtures::Attributes(path) != INVALID_FILE_ATTRIBUTES) {
                ADD_FAILURE() << path << " exists already; the canaries would not be ours";
                return;
            }
        }
        for (const char* file : RootFiles) Fixtures::WriteFile(std::string("C:\\") + file);
        for (const FirefoxNames::FirefoxPlace& place : FirefoxNames::Browsers) {
            const std::string installation = std::string("C:\\") + place.folder;
            Fixtures::WriteFile(installation + "\\profiles.ini",
                                "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/abc.default\r\n");
            for (const char* file : ProfileFiles::Files) {
                Fixtures::WriteFile(installation + "\\" + file);
                Fixtures::WriteFile(installation + "\\Profiles\\abc.default\\" + file);
            }
            // What a profile's cache side holds below Local AppData.
            for (const char* file : {"cache2\\entries\\ABC123", "thumbnails\\0a1b.png"})
                Fixtures::WriteFile(installation + "\\Profiles\\abc.default\\" + file);
        }
        before_ = Snapshot();
        created_ = true;
        ::SetCurrentDirectoryA("C:\\");
    }
    ~DriveRootCanaries() {
        ::SetCurrentDirectoryA(previousFolder_.c_str());
        if (!created_) return;
        for (const std::string& path : Paths()) Fixtures::DeleteTree(path);
    }

    void ExpectAllThere() const { EXPECT_EQ(Snapshot(), before_); }

private:
    static constexpr const char* RootFiles[] = {"places.sqlite", "formhistory.sqlite", "history.dat",
                                                "downloads.sqlite", "cookies.sqlite", "cookies.txt", "x.cache"};

    // The installations' top folders at the drive's root, then the files.
    static std::vector<std::string> Paths() {
        std::set<std::string> tops;
        for (const FirefoxNames::FirefoxPlace& place : FirefoxNames::Browsers) {
            const std::string folder = place.folder;
            tops.insert("C:\\" + folder.substr(0, folder.find('\\')));
        }
        std::vector<std::string> paths(tops.begin(), tops.end());
        for (const char* file : RootFiles) paths.push_back(std::string("C:\\") + file);
        return paths;
    }
    std::set<std::string> Snapshot() const {
        std::set<std::string> all;
        for (const std::string& path : Paths()) {
            if (Fixtures::FolderExists(path)) {
                for (const std::string& file : ProfileFiles::Tree(path)) all.insert(path + "\\" + file);
            } else if (Fixtures::FileExists(path)) {
                all.insert(path);
            }
        }
        return all;
    }

    std::string previousFolder_;
    std::set<std::string> before_;
    bool created_ = false;
};

}  // namespace

// Firefox writes profiles.ini in UTF-8; an absolute profile's path may be long.
TEST(FirefoxProfileTestINI, ReadsOneValueAndFindsNothingForWhatIsMissingOrEmpty) {
    Fixtures::TempFolder folder;
    const std::string file = folder / "profiles.ini";
    const std::string longValue(300, 'v');
    const std::string cyrillic = "Profiles/\xD0\x9F\xD1\x80\xD0\xBE\xD1\x84\xD0\xB8\xD0\xBB\xD1\x8C_\xF0\x9F\x98\x80";
    Fixtures::WriteFile(file, "[Profile0]\r\nPath=Profiles/abc.default\r\nEmpty=\r\nLong=" + longValue +
                                  "\r\n[Profile1]\r\nPath=" + cyrillic + "\r\n");
    const INI ini;

    EXPECT_EQ(ini.GetFromINI(file, "Profile0", "Path"), "Profiles/abc.default");
    EXPECT_EQ(ini.GetFromINI(file, "profile0", "PATH"), "Profiles/abc.default");
    EXPECT_EQ(ini.GetFromINI(file, "Profile0", "Long"), longValue);
    EXPECT_EQ(ini.GetFromINI(file, "Profile1", "Path"), cyrillic);
    EXPECT_EQ(ini.GetFromINI(file, "Profile0", "Empty"), std::nullopt);
    EXPECT_EQ(ini.GetFromINI(file, "Profile0", "Missing"), std::nullopt);
    EXPECT_EQ(ini.GetFromINI(file, "Profile2", "Path"), std::nullopt);
    EXPECT_EQ(ini.GetFromINI(folder / "missing.ini", "Profile0", "Path"), std::nullopt);
    // A byte-order mark before the first section, as some editors save UTF-8.
    Fixtures::WriteFile(folder / "bom.ini", "\xEF\xBB\xBF[Profile0]\r\nPath=Profiles/abc.default\r\n");
    EXPECT_EQ(ini.GetFromINI(folder / "bom.ini", "Profile0", "Path"), "Profiles/abc.default");
}

class FirefoxProfileTest : public ProfileFixture {};

// Firefox writes a relative entry with "/"; with IsRelative=1 or without the
// key it names a folder below the Firefox folder, however deep, with or
// without a final "/" or quotes around it.
TEST_F(FirefoxProfileTest, ARelativeEntryIsCleanedBelowTheFirefoxFolder) {
    const struct {
        const char* entry;
        const char* folder;
    } cases[] = {
        {"IsRelative=1\r\nPath=Profiles/abc.default", "Profiles\\abc.default"},
        {"IsRelative=1\r\nPath=Profiles/nested/x/y.default", "Profiles\\nested\\x\\y.default"},
        {"Path=Profiles/abc.default", "Profiles\\abc.default"},
        {"IsRelative=1\r\nPath=Profiles/abc.default/", "Profiles\\abc.default"},
        {"IsRelative=1\r\nPath=\"Profiles/quoted.default\"", "Profiles\\quoted.default"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        const std::string profile = FirefoxFolder() + "\\" + c.folder;
        FillProfile(profile);
        WriteProfilesIni(std::string("[Profile0]\r\nName=default\r\n") + c.entry + "\r\n");
        ProfileFiles::ClearAll(status);
        for (const char* gone : {"places.sqlite", "history.dat", "cookies.txt", "cache\\_CACHE_MAP_"})
            EXPECT_FALSE(Fixtures::FileExists(profile + "\\" + gone)) << gone;
        EXPECT_TRUE(Fixtures::FileExists(profile + "\\prefs.js"));
    }
}

// An absolute entry (IsRelative=0) is cleaned where it points, but only when
// the folder there holds a profile's own files.
TEST_F(FirefoxProfileTest, AnAbsoluteEntryIsCleanedOnlyWhenItLooksLikeAProfile) {
    Fixtures::TempFolder elsewhere("elsewhere");
    FillProfile(elsewhere.Path());
    WriteProfilesIni("[Profile0]\r\nName=default\r\nIsRelative=0\r\nPath=" + elsewhere.Path() + "\r\n");

    ProfileFiles::ClearAll(status);
    EXPECT_FALSE(Fixtures::FileExists(elsewhere / "places.sqlite"));
    EXPECT_FALSE(Fixtures::FileExists(elsewhere / "cache\\_CACHE_MAP_"));
    EXPECT_TRUE(Fixtures::FileExists(elsewhere / "prefs.js"));
    EXPECT_TRUE(status.notices.empty());

    // The same files without prefs.js, times.json or compatibility.ini: documents
    // that happen to be named so.
    Fixtures::TempFolder documents("documents");
    FillProfile(documents.Path());
    Fixtures::DeleteTree(documents / "prefs.js");
    WriteProfilesIni("[Profile0]\r\nName=default\r\nIsRelative=0\r\nPath=" + documents.Path() + "\r\n");
    const std::set<std::string> before = ProfileFiles::Tree(documents.Path());
    ProfileFiles::ClearAll(status);
    EXPECT_EQ(ProfileFiles::Tree(documents.Path()), before);
    EXPECT_EQ(status.notices, std::vector<std::string>(5, documents.Path() + " was left alone: not a Firefox profile"));
}

// Today's Firefox lists several profiles, and the one it uses is often not
// the first: every listed profile is cleaned.
TEST_F(FirefoxProfileTest, EveryListedProfileIsCleaned) {
    const std::string first = FirefoxFolder() + "\\Profiles\\first.default";
    WriteProfilesIni(
        "[General]\r\nStartWithLastProfile=1\r\n\r\n"
        "[Profile1]\r\nName=work\r\nIsRelative=1\r\nPath=Profiles/abc.default\r\nDefault=1\r\n\r\n"
        "[Profile0]\r\nName=old\r\nIsRelative=1\r\nPath=Profiles/first.default\r\n");
    FillProfile(first);
    FillProfile(Profile());

    ProfileFiles::ClearAll(status);

    for (const std::string& profile : {first, Profile()}) {
        EXPECT_FALSE(Fixtures::FileExists(profile + "\\places.sqlite")) << profile;
        EXPECT_FALSE(Fixtures::FileExists(profile + "\\cookies.sqlite")) << profile;
        EXPECT_TRUE(Fixtures::FileExists(profile + "\\prefs.js")) << profile;
    }
}

TEST_F(FirefoxProfileTest, WithoutAProfileEntryNothingIsDeletedAnywhere) {
    struct Case {
        const char* name;
        const char* ini;  // nullptr: no profiles.ini at all
    };
    const Case cases[] = {
        {"no profiles.ini", nullptr},
        {"no profile section", "[General]\r\nStartWithLastProfile=1\r\n\r\n[Install4F96D1932A9F858E]\r\n"
                               "Default=Profiles/abc.default\r\n\r\n[Profiles]\r\nPath=Profiles/abc.default\r\n"},
        {"no Path", "[Profile0]\r\nName=default\r\nIsRelative=1\r\n\r\n[Profile1]\r\nName=other\r\n"},
        {"empty Path", "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=\r\n"},
    };
    // Files named like the targets in the profile, in the Firefox folder itself
    // (where an empty Path would point) and at the root of the drive.
    FillProfile(Profile());
    FillProfile(FirefoxFolder());
    const DriveRootCanaries canaries;

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixtures::DeleteTree(FirefoxFolder() + "\\profiles.ini");
        if (c.ini) WriteProfilesIni(c.ini);
        const std::set<std::string> before = ProfileFiles::Tree(AppData());

        ProfileFiles::ClearAll(status);

        EXPECT_EQ(ProfileFiles::Tree(AppData()), before);
        canaries.ExpectAllThere();
    }
}

TEST_F(FirefoxProfileTest, AnAppDataOfNoFolderBelowADriveDeletesNothingOnTheDrive) {
    InstallProfile();
    const std::set<std::string> before = ProfileFiles::Tree(AppData());
    const DriveRootCanaries canaries;
    const Fixtures::TempFolder local("local");
    const Fixtures::ShellFolderOverride localOverride("Local AppData", local.Path());

    // With C:\ as the current folder each of the partial paths leads to the
    // canaries' installations at the drive's root; so do the root itself and
    // a path that climbs back to it. Roaming AppData leads to the profiles,
    // Local AppData to their caches.
    for (const char* shellFolder : {"AppData", "Local AppData"})
        for (const char* value : {"(missing)", "", ".", "C:", "C:.", "\\.", "C:\\", "C:\\Windows\\.."}) {
            SCOPED_TRACE(std::string(shellFolder) + " " + value);
            if (std::string(value) == "(missing)") {
                DeleteValue(ShellFolders::Key, shellFolder);
                DeleteValue(UserShellFolders, shellFolder);
            } else {
                Fixtures::SetString(HKEY_CURRENT_USER, ShellFolders::Key, shellFolder, value);
            }
            if (std::string(shellFolder) == "Local AppData")
                Fixtures::SetString(HKEY_CURRENT_USER, ShellFolders::Key, "AppData", AppData());

            ProfileFiles::ClearAll(status);

            canaries.ExpectAllThere();
            if (std::string(shellFolder) == "AppData") {
                EXPECT_EQ(ProfileFiles::Tree(AppData()), before);
            }
        }
}

// Relative entries that climb out of the Firefox folder: the profile-like
// files there stay, and the profile is said to be left alone.
TEST_F(FirefoxProfileTest, ARelativeEntryThatLeavesTheFirefoxFolderIsLeftAlone) {
    const std::string mozilla = AppData() + "\\Mozilla";
    Fixtures::MakeFolders(AppData() + "\\Documents");
    FillProfile(mozilla);
    FillProfile(AppData() + "\\Documents");
    const std::set<std::string> before = ProfileFiles::Tree(AppData());

    for (const char* entry : {"..", "../", "../../Documents", "Profiles/../../../Documents", "./.."}) {
        SCOPED_TRACE(entry);
        status.notices.clear();
        WriteProfilesIni(Profile0(entry));
        const std::set<std::string> withIni = ProfileFiles::Tree(AppData());
        ProfileFiles::ClearAll(status);
        EXPECT_EQ(ProfileFiles::Tree(AppData()), withIni);
        // Shown with backslashes and without a trailing one, as the program keeps paths.
        std::string shown = FirefoxFolder() + "\\" + entry;
        std::replace(shown.begin(), shown.end(), '/', '\\');
        shown = Path::WithoutBackslash(shown);
        EXPECT_EQ(status.notices, std::vector<std::string>(5, shown + " was left alone: not a Firefox profile"));
    }
}

// A Profiles folder that is a link out of the Firefox folder (planted by
// scripts/plant-links.sh): its relative profiles are left alone, and nothing
// is deleted through it.
TEST_F(FirefoxProfileTest, AProfilesFolderThatLinksOutOfTheFirefoxFolderIsLeftAlone) {
    const std::string appData = "C:\\vorlane-links\\firefox\\AppData";
    const std::string firefox = appData + "\\Mozilla\\Firefox";
    const std::string outside = "C:\\vorlane-links\\firefox\\outside";
    ASSERT_EQ(Fixtures::Attributes(firefox + "\\Profiles") & 0x410u, 0x410u)
        << "the link fixture is missing: run scripts/plant-links.sh build/wineprefix";
    FillProfile(outside + "\\abc.default");
    Fixtures::WriteFile(firefox + "\\profiles.ini", Profile0("Profiles/abc.default"));
    const std::set<std::string> before = ProfileFiles::Tree(outside);

    {
        const Fixtures::ShellFolderOverride linked("AppData", appData);
        ProfileFiles::ClearAll(status);
    }

    EXPECT_EQ(ProfileFiles::Tree(outside), before);
    EXPECT_EQ(status.notices,
              std::vector<std::string>(5, firefox + "\\Profiles\\abc.default was left alone: not a Firefox profile"));
}

// Each fork has a profiles.ini of its own, found in its own folder and named
// on the frame's label; a relative entry of a fork that climbs into Firefox's
// folder is left alone, for a fork's profiles stay inside the fork's folder.
TEST_F(FirefoxProfileTest, EachForkIsFoundInItsOwnFolderAndKeptInsideIt) {
    EXPECT_EQ(FirefoxHistory::FoundProfiles(), "No Firefox profile found.");
    FillProfile(Profile());  // Firefox's, without a profiles.ini of Firefox
    const std::string intoFirefox = "../Mozilla/Firefox/Profiles/abc.default";
    for (const FirefoxNames::FirefoxPlace& place : FirefoxNames::Browsers) {
        if (&place == &FirefoxNames::Browsers[0]) continue;
        const std::string folder = AppData() + "\\" + place.folder;
        FillProfile(folder + "\\Profiles\\abc.default");
        Fixtures::WriteFile(folder + "\\profiles.ini",
                            Profile0("Profiles/abc.default") + "\r\n[Profile1]\r\nName=x\r\nPath=" + intoFirefox + "\r\n");
    }
    EXPECT_EQ(FirefoxHistory::FoundProfiles(), "LibreWolf: 2 profiles\r\nWaterfox: 2 profiles\r\nFloorp: 2 profiles\r\nZen: 2 profiles");
    const std::set<std::string> firefoxBefore = ProfileFiles::Tree(Profile());

    ProfileFiles::ClearAll(status);

    EXPECT_EQ(ProfileFiles::Tree(Profile()), firefoxBefore);
    std::set<std::string> expected;
    for (const FirefoxNames::FirefoxPlace& place : FirefoxNames::Browsers) {
        if (&place == &FirefoxNames::Browsers[0]) continue;
        const std::string folder = AppData() + "\\" + place.folder;
        EXPECT_FALSE(Fixtures::FileExists(folder + "\\Profiles\\abc.default\\places.sqlite")) << place.name;
        EXPECT_TRUE(Fixtures::FileExists(folder + "\\Profiles\\abc.default\\prefs.js")) << place.name;
        expected.insert(folder + "\\..\\Mozilla\\Firefox\\Profiles\\abc.default was left alone: not a Firefox profile");
    }
    EXPECT_EQ(std::set<std::string>(status.notices.begin(), status.notices.end()), expected);
}
