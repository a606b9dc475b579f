// The six boxes of the "Chrome and Edge" frame on copies of a profile that
// Debian's chromium made (scripts/make-chromium-profile.sh): Chrome with two
// profiles (one also keeping an old top-level Cookies database), Edge with
// one, and Brave held by a "running" browser.
#include "ChromiumFixture.h"

#include "database/LevelDb.h"
#include "database/SqliteDatabase.h"
#include "support/LevelDbFill.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

using namespace ChromiumFiles;

namespace {

// Words that the browser wrote into the rows and files each box erases.
constexpr const char* Secrets[] = {"history-secret", "download-secret", "form-secret"};

const char* const Kept[] = {"Bookmarks"};

// Databases a box changes with SQL, and the tables that must keep their rows.
struct Erased {
    const char* database;
    const char* keptTables;
};
constexpr Erased ErasedDatabases[] = {
    {"History", "name = 'meta'"},
    {"Shortcuts", "name = 'meta'"},
    {"Network Action Predictor", "name = 'meta'"},
    {"Network\\Cookies", "name = 'meta'"},
    {"Web Data", "name NOT IN ('autofill', 'autocomplete')"},
    {"Login Data", "name <> 'stats'"},
    {"InterestGroups", "name = 'meta'"},
    {"SharedStorage", "name = 'meta'"},
    {"Conversions", "name = 'meta'"},
    {"PrivateAggregation", "name = 'meta'"},
    {"Network\\Trust Tokens", "name = 'meta'"},
};

}  // namespace

class ChromiumProfilesTest : public ChromiumFixture {};

TEST_F(ChromiumProfilesTest, EveryBoxEmptiesTheFreeBrowsersAndLeavesTheRunningOneWhole) {
    ASSERT_TRUE(Fixtures::FileExists(std::string(PlantedUserData) + "\\Default\\History"))
        << "the Chromium profile fixture is missing (test chromium_profile)";
    const std::string chrome = UserData("Google\\Chrome");
    const std::string edge = UserData("Microsoft\\Edge");
    const std::string brave = UserData("BraveSoftware\\Brave-Browser");
    const std::vector<std::string> free = {CopyProfile(chrome, "Default"), CopyProfile(chrome, "Profile 1"),
                                           CopyProfile(edge, "Default")};
    WriteLocalState(chrome, R"({"profile":{"info_cache":{"Default":{"name":"Person 1"},"Profile 1":{"name":"Work"}}}})");
    WriteLocalState(edge, PlantedLocalState());
    Fixtures::CopyTree(free[1] + "\\Network", free[1] + "\\OldCookies");
    ASSERT_TRUE(::MoveFileA((free[1] + "\\OldCookies\\Cookies").c_str(), (free[1] + "\\Cookies").c_str()));
    CopyProfile(brave, "Default");
    WriteLocalState(brave, PlantedLocalState());
    // In Edge's profile the engine the browser added is the default one
    // (named in Secure Preferences), and the user edited one of their own:
    // both stay.
    SqliteDatabase(free[2] + "\\Web Data")
        .Execute("UPDATE keywords SET sync_guid = 'chosen-default' WHERE originating_url <> '';"
                 "INSERT INTO keywords (short_name, keyword, favicon_url, url, safe_for_autoreplace, originating_url)"
                 " VALUES ('Edited', 'edited.test', '', 'http://edited.test/?q={searchTerms}', 0,"
                 " 'http://edited.test/osd.xml')");
    nlohmann::json secure = nlohmann::json::parse(Fixtures::ReadFile(free[2] + "\\Secure Preferences"));
    secure["default_search_provider_data"]["template_url_data"]["sync_guid"] = "chosen-default";
    Fixtures::WriteFile(free[2] + "\\Secure Preferences", secure.dump());
    // The stores of the ad and measurement APIs and of trust tokens, which a
    // headless run leaves empty: databases with a site's rows in their place.
    for (const std::string& folder : free) {
        LevelDbFill::Put(folder + "\\PersistentOriginTrials", {{"https://trial.example", "token"}});
        ::DeleteFileA((folder + "\\Network\\Trust Tokens-journal").c_str());
        for (const char* store : {"InterestGroups", "SharedStorage", "Conversions", "PrivateAggregation",
                                  "Network\\Trust Tokens"})
            ASSERT_TRUE(::CopyFileA((folder + "\\Network Action Predictor").c_str(), (folder + "\\" + store).c_str(), FALSE));
    }
    const UniqueFile lock = Fixtures::HoldLock(brave + "\\lockfile");
    ASSERT_TRUE(lock.Valid());
    // Edge was closed: its lockfile is there, nobody holds it.
    Fixtures::WriteFile(edge + "\\lockfile", "");
    // File System entries of web sites whose value names no site's numbered
    // folder but the database's own folder and another one: neither goes.
    const std::string fileSystem = free[2] + "\\File System";
    LevelDbFill::Put(fileSystem + "\\Origins", {{"ORIGIN:https_o.example_0", "Origins"}, {"ORIGIN:https_t.example_0", "t"}});
    Fixtures::WriteFile(fileSystem + "\\t\\kept.txt", "not a site's folder");

    EXPECT_EQ(ChromiumHistory::FoundProfiles(), "Google Chrome: 2 profiles\r\nMicrosoft Edge: 1 profile\r\nBrave: 1 profile");
    const std::string profile = free[0];
    ASSERT_GT(Count(profile + "\\History", "SELECT count(*) FROM urls WHERE typed_count > 0"), 0);
    ASSERT_GT(Count(profile + "\\History", "SELECT count(*) FROM downloads"), 0);
    ASSERT_GT(Count(profile + "\\Network\\Cookies", "SELECT count(*) FROM cookies"), 0);
    ASSERT_GT(Count(profile + "\\Web Data", "SELECT count(*) FROM autofill"), 0);
    for (const char* cache : {"Cache\\Cache_Data", "Code Cache\\js", "GPUCache"})
        ASSERT_GT(CountFiles(profile + "\\" + cache), 0) << cache;
    const std::map<std::string, std::string> keptBefore = [&] {
        std::map<std::string, std::string> kept;
        for (const char* name : Kept) kept[name] = Fixtures::ReadFile(profile + "\\" + name);
        return kept;
    }();
    const std::string preferences = Fixtures::ReadFile(profile + "\\Preferences");
    ASSERT_NE(nlohmann::json::parse(preferences), SettingsWithoutEngagement(preferences)) << "no engagement to erase";
    const std::vector<std::string> cardsAndAddresses =
        Rows(profile + "\\Web Data", "SELECT guid FROM credit_cards UNION ALL SELECT guid FROM addresses");
    const std::map<std::string, std::string> braveBefore = Contents(brave);

    ClearAll(status);

    for (const std::string& folder : free) {
        SCOPED_TRACE(folder);
        for (const Erased& erased : ErasedDatabases) {
            const std::string database = folder + "\\" + erased.database;
            EXPECT_EQ(RowsOutside(database, erased.keptTables), 0) << erased.database;
            EXPECT_EQ(Rows(database, "PRAGMA integrity_check"), std::vector<std::string>{"ok"}) << erased.database;
            EXPECT_FALSE(Fixtures::FileExists(database + "-wal")) << erased.database;
            // Erased rows are overwritten, not only unlinked.
            const std::string bytes = Fixtures::ReadFile(database);
            for (const char* secret : Secrets) EXPECT_EQ(bytes.find(secret), std::string::npos) << erased.database;
        }
        EXPECT_EQ(Count(folder + "\\History", "SELECT count(*) FROM meta"), 3);
        EXPECT_EQ(Rows(folder + "\\Web Data", "SELECT guid FROM credit_cards UNION ALL SELECT guid FROM addresses"),
                  cardsAndAddresses);
        EXPECT_GT(Count(folder + "\\Web Data", "SELECT count(*) FROM keywords"), 0);
        const std::vector<std::string> engines =
            folder == free[2] ? std::vector<std::string>{"edited.test", "hotel-search.test"} : std::vector<std::string>{};
        EXPECT_EQ(Rows(folder + "\\Web Data", "SELECT keyword FROM keywords WHERE originating_url <> '' ORDER BY 1"),
                  engines);
        EXPECT_EQ(Count(folder + "\\Login Data", "SELECT count(*) FROM logins"), 1);
        for (const auto& [name, bytes] : FileTree::Contents(folder + "\\PersistentOriginTrials"))
            EXPECT_EQ(bytes.find("trial.example"), std::string::npos) << name;
        for (const char* gone : {"Top Sites", "Top Sites-journal", "Visited Links"})
            EXPECT_FALSE(Fixtures::FileExists(folder + "\\" + gone)) << gone;
        EXPECT_EQ(CountFiles(folder + "\\Cache\\Cache_Data"), 0);
        EXPECT_EQ(CountFiles(folder + "\\Code Cache"), 0);
        EXPECT_EQ(CountFiles(folder + "\\GPUCache"), 0);
        for (const char* stays : {"Cache\\Cache_Data", "Code Cache\\js", "Code Cache\\wasm", "GPUCache"})
            EXPECT_TRUE(Fixtures::FolderExists(folder + "\\" + stays)) << stays;
        for (const char* name : Kept) EXPECT_EQ(Fixtures::ReadFile(folder + "\\" + name), keptBefore.at(name)) << name;
        EXPECT_EQ(nlohmann::json::parse(Fixtures::ReadFile(folder + "\\Preferences")),
                  SettingsWithoutEngagement(preferences));
    }
    EXPECT_TRUE(Fixtures::FileExists(fileSystem + "\\t\\kept.txt"));
    const std::optional<LevelDb::Entries> origins = LevelDb::ReadAll(fileSystem + "\\Origins");
    ASSERT_TRUE(origins) << "File System\\Origins was removed or damaged";
    for (const auto& [key, value] : *origins) EXPECT_FALSE(key.starts_with("ORIGIN:http")) << key;
    EXPECT_EQ(Count(free[1] + "\\Cookies", "SELECT count(*) FROM cookies"), 0);
    EXPECT_TRUE(Fixtures::FileExists(edge + "\\lockfile"));

    EXPECT_EQ(Contents(brave), braveBefore);
    const std::set<std::string> notices(status.notices.begin(), status.notices.end());
    EXPECT_EQ(notices, std::set<std::string>{"Brave was left alone: it is running"});
}
