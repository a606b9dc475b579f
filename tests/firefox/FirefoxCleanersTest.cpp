#include "ProfileFixture.h"

#include "firefox/Firefox.h"
#include "firefox/FirefoxCleaners.h"
#include "support/DatabaseRows.h"
#include "support/LoadedModule.h"
#include "system/UniqueHandle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

struct BoxCase {
    const char* box;
    void (*clear)(StatusLine&);
    std::vector<std::string> deleted;  // relative to the profile
};

void PrintTo(const BoxCase& c, std::ostream* os) { *os << c.box; }

// clang-format off
const BoxCase BoxCases[] = {
    {"FormHistory", FirefoxHistory::ClearFirefoxHistory,
     {"history.dat", "formhistory.sqlite", "formhistory.sqlite-wal", "formhistory.sqlite-shm",
      "formhistory.sqlite-journal"}},
    {"Downloads", FirefoxHistory::ClearFirefoxDownloads,
     {"downloads.sqlite", "downloads.sqlite-wal", "downloads.sqlite-journal"}},
    {"TypedUrls", FirefoxHistory::ClearFirefoxTypedUrls,
     {"places.sqlite", "sessionstore.jsonlz4",
      "sessionstore.js", "sessionstore.bak-20261201", "sessionstore-backups\\recovery.jsonlz4",
      "sessionstore-backups\\previous.jsonlz4"}},
    {"Cookies", FirefoxHistory::ClearFirefoxCookies,
     {"cookies.txt", "cookies.sqlite", "cookies.sqlite-wal", "cookies.sqlite-shm", "storage\\default\\http+++visited.test\\",
      "storage\\default\\http+++visited.test\\ls\\", "storage\\default\\http+++visited.test\\ls\\data.sqlite",
      "storage\\temporary\\https+++visited.test+8443^userContextId=1\\",
      "storage\\temporary\\https+++visited.test+8443^userContextId=1\\x"}},
    {"Cache", FirefoxHistory::ClearFirefoxCache,
     {"cache\\_CACHE_MAP_", "cache\\_CACHE_001_", "cache\\4F2A1C3Bd01", "cache\\noextension", "XUL.mfl.cache",
      "startupCache.cache", "COMPREG.CACHE", "SiteSecurityServiceState.bin", "AlternateServices.bin"}},
};
// clang-format on

// What a preview says, recorded.
class PreviewingStatus : public RecordingStatus {
public:
    bool Previewing() const override { return true; }
};

// Keeps a file open without sharing it, as a running Firefox keeps its databases.
UniqueFile HoldOpen(const std::string& path) {
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    EXPECT_TRUE(file.Valid()) << path;
    return file;
}

}  // namespace

class FirefoxCleanersTestEachBox : public ProfileFixture, public ::testing::WithParamInterface<BoxCase> {};

TEST_P(FirefoxCleanersTestEachBox, DeletesExactlyTheFilesOfItsBoxAndLeavesEverythingElse) {
    InstallProfile();
    const std::set<std::string> before = ProfileFiles::Tree(AppData());

    GetParam().clear(status);

    std::set<std::string> expected = before;
    for (const std::string& file : GetParam().deleted) {
        ASSERT_EQ(expected.erase("Mozilla\\Firefox\\Profiles\\abc.default\\" + file), 1u) << file;
    }
    const std::set<std::string> after = ProfileFiles::Tree(AppData());
    std::vector<std::string> differences;
    std::set_symmetric_difference(after.begin(), after.end(), expected.begin(), expected.end(),
                                  std::back_inserter(differences));
    EXPECT_TRUE(differences.empty()) << "deleted or kept by mistake: " << ::testing::PrintToString(differences);
}

INSTANTIATE_TEST_SUITE_P(EachBox, FirefoxCleanersTestEachBox, ::testing::ValuesIn(BoxCases),
                         [](const ::testing::TestParamInfo<BoxCase>& info) { return std::string(info.param.box); });

class FirefoxCleanersTest : public ProfileFixture {};

TEST_F(FirefoxCleanersTest, EachDeletionOfABoxRunsWhenTheOtherFindsNothing) {
    InstallProfile();
    Fixtures::DeleteTree(Profile() + "\\history.dat");
    Fixtures::DeleteTree(Profile() + "\\cookies.txt");
    Fixtures::DeleteTree(Profile() + "\\cache");
    Fixtures::DeleteTree(Profile() + "\\downloads.sqlite");

    FirefoxHistory::ClearFirefoxHistory(status);
    FirefoxHistory::ClearFirefoxDownloads(status);
    FirefoxHistory::ClearFirefoxCookies(status);
    FirefoxHistory::ClearFirefoxCache(status);

    EXPECT_FALSE(Fixtures::FileExists(Profile() + "\\formhistory.sqlite"));
    EXPECT_FALSE(Fixtures::FileExists(Profile() + "\\cookies.sqlite"));
    EXPECT_FALSE(Fixtures::FileExists(Profile() + "\\XUL.mfl.cache"));
    EXPECT_FALSE(Fixtures::FolderExists(Profile() + "\\cache"));  // nothing is created either
    // The companions of a database that is already gone are stale: they go.
    EXPECT_FALSE(Fixtures::FileExists(Profile() + "\\downloads.sqlite-wal"));
    EXPECT_FALSE(Fixtures::FileExists(Profile() + "\\downloads.sqlite-journal"));
    EXPECT_TRUE(Fixtures::FileExists(Profile() + "\\prefs.js"));
}

TEST_F(FirefoxCleanersTest, FilesInUseOrReadOnlyStayAndTheOthersStillGo) {
    InstallProfile();
    const std::string p = Profile();
    Fixtures::WriteFile(p + "\\cache\\readonly", "x", FILE_ATTRIBUTE_READONLY);
    Fixtures::WriteFile(p + "\\cache\\hidden", "x", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    Fixtures::WriteFile(p + "\\history.dat", "x", FILE_ATTRIBUTE_READONLY);
    for (const char* suffix : {"-wal", "-shm", "-journal"}) Fixtures::WriteFile(p + "\\places.sqlite" + suffix, suffix);
    {
        const UniqueFile cacheMap = HoldOpen(p + "\\cache\\_CACHE_MAP_");
        const UniqueFile places = HoldOpen(p + "\\places.sqlite");
        const UniqueFile cookiesTxt = HoldOpen(p + "\\cookies.txt");

        // A preview first: it says of every held and read-only file what the pass then says.
        PreviewingStatus preview;
        for (StatusLine* run : {static_cast<StatusLine*>(&preview), static_cast<StatusLine*>(&status)}) {
            FirefoxHistory::ClearFirefoxCache(*run);
            FirefoxHistory::ClearFirefoxTypedUrls(*run);
            FirefoxHistory::ClearFirefoxHistory(*run);
            FirefoxHistory::ClearFirefoxCookies(*run);
        }
        EXPECT_EQ(preview.failures, status.failures);
        EXPECT_EQ(preview.notices, status.notices);
        EXPECT_EQ(preview.failures.size(), 4u) << ::testing::PrintToString(preview.failures);
    }

    // The held and read-only files stay...
    EXPECT_TRUE(Fixtures::FileExists(p + "\\cache\\_CACHE_MAP_"));
    EXPECT_TRUE(Fixtures::FileExists(p + "\\cache\\readonly"));
    EXPECT_TRUE(Fixtures::FileExists(p + "\\history.dat"));
    EXPECT_TRUE(Fixtures::FileExists(p + "\\cookies.txt"));
    // ...and so do the companions of a places database that cannot be read:
    // they may hold its latest changes. That one is said to be left alone.
    EXPECT_EQ(status.notices, std::vector<std::string>{p + "\\places.sqlite was left alone: it could not be changed"});
    EXPECT_TRUE(Fixtures::FileExists(p + "\\places.sqlite"));
    EXPECT_TRUE(Fixtures::FileExists(p + "\\places.sqlite-wal"));
    EXPECT_TRUE(Fixtures::FileExists(p + "\\places.sqlite-shm"));
    EXPECT_TRUE(Fixtures::FileExists(p + "\\places.sqlite-journal"));

    // Every other match went, hidden and system files included.
    EXPECT_FALSE(Fixtures::FileExists(p + "\\cache\\_CACHE_001_"));
    EXPECT_FALSE(Fixtures::FileExists(p + "\\cache\\4F2A1C3Bd01"));
    EXPECT_FALSE(Fixtures::FileExists(p + "\\cache\\noextension"));
    EXPECT_FALSE(Fixtures::FileExists(p + "\\cache\\hidden"));
    EXPECT_FALSE(Fixtures::FileExists(p + "\\XUL.mfl.cache"));
    EXPECT_FALSE(Fixtures::FileExists(p + "\\formhistory.sqlite"));
    EXPECT_FALSE(Fixtures::FileExists(p + "\\formhistory.sqlite-wal"));
    EXPECT_FALSE(Fixtures::FileExists(p + "\\cookies.sqlite"));
    EXPECT_FALSE(Fixtures::FileExists(p + "\\cookies.sqlite-shm"));
}

TEST_F(FirefoxCleanersTest, EveryCleanerLooksTheProfileUpAgain) {
    const std::string second = FirefoxFolder() + "\\Profiles\\second.default";
    InstallProfile();
    FillProfile(second);

    FirefoxHistory::ClearFirefoxTypedUrls(status);
    WriteProfilesIni(Profile0("Profiles/second.default"));
    FirefoxHistory::ClearFirefoxCookies(status);
    FirefoxHistory::ClearFirefoxTypedUrls(status);

    EXPECT_FALSE(Fixtures::FileExists(Profile() + "\\places.sqlite"));
    EXPECT_TRUE(Fixtures::FileExists(Profile() + "\\cookies.sqlite"));
    EXPECT_FALSE(Fixtures::FileExists(second + "\\cookies.sqlite"));
    EXPECT_FALSE(Fixtures::FileExists(second + "\\places.sqlite"));
}

// With a keep list the Cookies box keeps the cookies and origin folders of
// the kept sites, first-party or inside another kept site (its partitionKey,
// with a port too), and takes the rest.
TEST_F(FirefoxCleanersTest, WithAKeepListTheCookiesBoxKeepsWhatKeptSitesStoredInsideKeptSitesOnly) {
    InstallProfile();
    const std::string p = Profile();
    for (const char* suffix : {"-wal", "-shm"}) Fixtures::DeleteTree(p + "\\cookies.sqlite" + suffix);
    Fixtures::WriteFile(p + "\\cookies.sqlite", "");
    SqliteDatabase(p + "\\cookies.sqlite")
        .Execute("CREATE TABLE moz_cookies(host, originAttributes, label);"
                 "INSERT INTO moz_cookies VALUES ('.kept.example', '', 'stays'),"
                 " ('kept.example', '^partitionKey=%28https%2Ctop.example%2C8443%29', 'stays: inside a kept site'),"
                 " ('.kept.example', '^partitionKey=%28https%2Cgone.example%29', 'goes: inside another site'),"
                 " ('.gone.example', '', 'goes');");
    const std::string origins = p + "\\storage\\default\\";
    const char* const kept = "https+++kept.example^partitionKey=%28https%2Ctop.example%2C8443%29";
    const char* const gone[] = {"https+++kept.example^partitionKey=%28https%2Cgone.example%29", "https+++gone.example"};
    for (const char* folder : {kept, gone[0], gone[1]}) Fixtures::WriteFile(origins + folder + "\\ls\\data.sqlite");
    status.keeps = SitesToKeep({"kept.example", "top.example"});

    FirefoxHistory::ClearFirefoxCookies(status);

    EXPECT_EQ(Rows(p + "\\cookies.sqlite", "SELECT label FROM moz_cookies ORDER BY 1"),
              (std::vector<std::string>{"stays", "stays: inside a kept site"}));
    EXPECT_TRUE(Fixtures::FileExists(origins + kept + "\\ls\\data.sqlite"));
    for (const char* folder : gone) EXPECT_FALSE(Fixtures::FolderExists(origins + folder)) << folder;
    EXPECT_TRUE(status.notices.empty()) << ::testing::PrintToString(status.notices);
}

// A database goes only after its companions: a log that cannot go keeps the
// database too, so no stale log is ever left beside a new database. The log
// is held open without sharing, or it opens for deletion but the system will
// not delete it (a loaded DLL).
TEST_F(FirefoxCleanersTest, ADatabaseStaysWhileItsLogCannotGo) {
    InstallProfile();
    const std::string p = Profile();
    const std::string log = p + "\\formhistory.sqlite-wal";
    for (const bool loaded : {false, true}) {
        SCOPED_TRACE(loaded ? "loaded" : "held open");
        Fixtures::WriteFile(p + "\\formhistory.sqlite", "formhistory.sqlite");
        Fixtures::WriteFile(p + "\\history.dat");
        {
            UniqueFile held;
            std::optional<LoadedModule> module;
            if (loaded)
                module.emplace(log);
            else
                held = HoldOpen(log);
            FirefoxHistory::ClearFirefoxHistory(status);
        }
        EXPECT_TRUE(Fixtures::FileExists(p + "\\formhistory.sqlite"));
        EXPECT_TRUE(Fixtures::FileExists(log));
        EXPECT_FALSE(Fixtures::FileExists(p + "\\history.dat"));
    }
}

// An SQL error half way through the erase of a real places.sqlite (a trigger
// refuses the deletion of pages, which comes after the visits are deleted):
// every row is still there, and the database is said to be left alone.
TEST_F(FirefoxCleanersTest, AnErrorHalfWayThroughTheEraseUndoesItAllAndIsSaid) {
    InstallProfile();
    const std::string places = Profile() + "\\places.sqlite";
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        Fixtures::DeleteTree(places + suffix);
        const std::string planted = std::string("C:\\vorlane-firefox-profile\\places.sqlite") + suffix;
        if (Fixtures::FileExists(planted)) {
            ASSERT_TRUE(::CopyFileA(planted.c_str(), (places + suffix).c_str(), FALSE));
        }
    }
    {
        SqliteDatabase db(places);
        db.Execute("CREATE TRIGGER refuse BEFORE DELETE ON moz_places BEGIN SELECT RAISE(ABORT, 'refused'); END");
    }
    // Every table with its row count.
    const auto counts = [&] {
        std::vector<std::string> tables = Rows(places, "SELECT name FROM sqlite_master WHERE type = 'table'");
        for (std::string& table : tables) table += " " + std::to_string(Count(places, "SELECT count(*) FROM " + table));
        return tables;
    };
    const std::vector<std::string> before = counts();
    ASSERT_GT(Count(places, "SELECT count(*) FROM moz_historyvisits"), 0);

    FirefoxHistory::ClearFirefoxTypedUrls(status);

    ASSERT_TRUE(Fixtures::FileExists(places));
    EXPECT_EQ(counts(), before);
    EXPECT_EQ(status.notices, std::vector<std::string>{places + " was left alone: it could not be changed"});
}
