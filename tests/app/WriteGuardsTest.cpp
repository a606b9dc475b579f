// What the program lets something else write goes through the same guards as
// its deletions: a file link (planted by scripts/plant-cleaner-fixtures.sh,
// Wine programs cannot make one), one to nowhere, or a hard link at each name beside a store
// that LevelDB, SQLite, the Preferences and serviceworker.txt rewrite or the
// history log write by name, in a copy of the real profiles. The file the
// link leads to stays byte for byte, and the store is said to be left alone.
#include "chromium/ChromiumCleaners.h"
#include "cleaning/BrowserFiles.h"
#include "cleaning/HistoryLog.h"
#include "firefox/FirefoxCleaners.h"
#include "support/Fixtures.h"
#include "support/RecordingStatus.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr char Planted[] = "C:\\vorlane-guards";
constexpr char ChromeUserData[] = "Local\\Google\\Chrome\\User Data";
constexpr char FirefoxProfile[] = "Roaming\\Mozilla\\Firefox\\Profiles\\real.default";

struct GuardCase {
    const char* name;       // the case's folder and canary in C:\vorlane-guards
    const char* path;       // the linked name, below the case's folder
    const char* said;       // the store said to be left alone, below the case's folder; none for the log
    bool dangling = false;  // the link leads to a canary that is not there, and must not appear
};

const GuardCase Cases[] = {
    {"leveldb-LOG", "Local\\Google\\Chrome\\User Data\\Default\\Local Storage\\leveldb\\LOG",
     "Local\\Google\\Chrome\\User Data\\Default\\Local Storage\\leveldb"},
    {"leveldb-LOG.old", "Local\\Google\\Chrome\\User Data\\Default\\Local Storage\\leveldb\\LOG.old",
     "Local\\Google\\Chrome\\User Data\\Default\\Local Storage\\leveldb"},
    {"leveldb-log", "Local\\Google\\Chrome\\User Data\\Default\\Local Storage\\leveldb\\000001.log",
     "Local\\Google\\Chrome\\User Data\\Default\\Local Storage\\leveldb"},
    {"history-journal", "Local\\Google\\Chrome\\User Data\\Default\\History-journal",
     "Local\\Google\\Chrome\\User Data\\Default\\History"},
    {"preferences-new", "Local\\Google\\Chrome\\User Data\\Default\\Preferences.vorlane-new",
     "Local\\Google\\Chrome\\User Data\\Default\\Preferences"},
    {"places-wal", "Roaming\\Mozilla\\Firefox\\Profiles\\real.default\\places.sqlite-wal",
     "Roaming\\Mozilla\\Firefox\\Profiles\\real.default\\places.sqlite"},
    {"places-journal", "Roaming\\Mozilla\\Firefox\\Profiles\\real.default\\places.sqlite-journal",
     "Roaming\\Mozilla\\Firefox\\Profiles\\real.default\\places.sqlite"},
    {"serviceworker-new", "Roaming\\Mozilla\\Firefox\\Profiles\\real.default\\serviceworker.txt.vorlane-new",
     "Roaming\\Mozilla\\Firefox\\Profiles\\real.default\\serviceworker.txt"},
    {"history-log", "temp\\history.txt", nullptr},
    // A link to nowhere at a name SQLite creates: SQLite would create its target.
    {"history-journal-dangling", "Local\\Google\\Chrome\\User Data\\Default\\History-journal",
     "Local\\Google\\Chrome\\User Data\\Default\\History", true},
    {"history-wal-dangling", "Local\\Google\\Chrome\\User Data\\Default\\History-wal",
     "Local\\Google\\Chrome\\User Data\\Default\\History", true},
    {"history-shm-dangling", "Local\\Google\\Chrome\\User Data\\Default\\History-shm",
     "Local\\Google\\Chrome\\User Data\\Default\\History", true},
    {"places-journal-dangling", "Roaming\\Mozilla\\Firefox\\Profiles\\real.default\\places.sqlite-journal",
     "Roaming\\Mozilla\\Firefox\\Profiles\\real.default\\places.sqlite", true},
    {"places-wal-dangling", "Roaming\\Mozilla\\Firefox\\Profiles\\real.default\\places.sqlite-wal",
     "Roaming\\Mozilla\\Firefox\\Profiles\\real.default\\places.sqlite", true},
    {"places-shm-dangling", "Roaming\\Mozilla\\Firefox\\Profiles\\real.default\\places.sqlite-shm",
     "Roaming\\Mozilla\\Firefox\\Profiles\\real.default\\places.sqlite", true},
};

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// Runs the boxes that write beside the case's store, in `root`, and answers
// what was said to be left alone (the log's own notice for the history log).
std::vector<std::string> CleanCase(const GuardCase& c, const std::string& root) {
    RecordingStatus status;
    const Fixtures::ShellFolderOverride local("Local AppData", root + "\\Local");
    const Fixtures::ShellFolderOverride roaming("AppData", root + "\\Roaming");
    if (StartsWith(c.path, "Local")) {
        Fixtures::CopyTree("C:\\vorlane-chromium-profile", root + "\\" + ChromeUserData, false);
        ChromiumHistory::ClearChromiumHistory(status);
        ChromiumHistory::ClearChromiumCookies(status);
    } else if (StartsWith(c.path, "Roaming")) {
        Fixtures::WriteFile(root + "\\Roaming\\Mozilla\\Firefox\\profiles.ini",
                            "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/real.default\r\n");
        Fixtures::CopyTree("C:\\vorlane-firefox-profile", root + "\\" + FirefoxProfile, false);
        FirefoxHistory::ClearFirefoxTypedUrls(status);
        FirefoxHistory::ClearFirefoxCookies(status);
    } else {
        char previous[MAX_PATH] = {};
        ::GetEnvironmentVariableA("TEMP", previous, MAX_PATH);
        ::SetEnvironmentVariableA("TEMP", (root + "\\temp").c_str());
        if (HistoryLog::AppendHistoryLog(std::vector<std::string>{"a pass"}) == HistoryLog::Written::NotOwnFile)
            status.notices.push_back(HistoryLog::NotOwnFile);
        ::SetEnvironmentVariableA("TEMP", previous);
    }
    return status.notices;
}

void ExpectGuarded(const GuardCase& c, const std::string& root, const std::string& canary) {
    const std::string before = c.dangling ? "" : Fixtures::ReadFile(canary);
    const std::vector<std::string> notices = CleanCase(c, root);
    if (c.dangling) EXPECT_FALSE(Fixtures::FileExists(canary)) << "a file was made where the link leads";
    else EXPECT_EQ(Fixtures::ReadFile(canary), before) << "the file the link leads to was changed";
    const std::string said = c.said ? root + "\\" + c.said + BrowserFiles::NotChanged : HistoryLog::NotOwnFile;
    EXPECT_NE(std::find(notices.begin(), notices.end(), said), notices.end())
        << "not said: " << said << "\nsaid: " << ::testing::PrintToString(notices);
}

}  // namespace

TEST(WriteGuardsTest, ALinkOrHardLinkBesideAStoreLeavesItsTargetAsItWasAndTheStoreIsSaidToStay) {
    ASSERT_TRUE(Fixtures::FileExists("C:\\vorlane-firefox-profile\\places.sqlite")) << "test firefox_profile";
    for (const GuardCase& c : Cases) {
        SCOPED_TRACE(c.name);
        {
            SCOPED_TRACE("a file link");
            const std::string root = std::string(Planted) + "\\" + c.name;
            // A link to nowhere does not read as a file; that the store is said to stay shows it is there.
            ASSERT_TRUE(c.dangling || Fixtures::FileExists(root + "\\" + c.path)) << "test plant_cleaner_fixtures";
            ExpectGuarded(c, root, std::string(Planted) + "\\canaries\\" + c.name);
        }
        if (c.dangling) continue;
        {
            SCOPED_TRACE("a hard link");
            const Fixtures::TempFolder root("root"), elsewhere("elsewhere");
            const std::string canary = elsewhere / "canary.txt";
            Fixtures::WriteFile(canary, std::string("the user's own ") + c.name);
            const std::string link = root / c.path;
            Fixtures::MakeFolders(link.substr(0, link.rfind('\\')));
            ASSERT_TRUE(::CreateHardLinkA(link.c_str(), canary.c_str(), nullptr));
            ExpectGuarded(c, root.Path(), canary);
        }
    }
}
