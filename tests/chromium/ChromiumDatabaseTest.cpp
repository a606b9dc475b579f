// Each box alone on a copy of the real profile: it erases what it names and
// nothing of what the other boxes name; a database it cannot change is left
// as it was and said.
#include "ChromiumFixture.h"

#include "database/LevelDb.h"
#include "support/LevelDbFill.h"
#include "system/FileGuard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

using namespace ChromiumFiles;
using namespace std::string_literals;

namespace {

// What a user would see of each kind of data, as counts.
struct Counts {
    std::int64_t typedUrls, otherUrls, visits, searchTerms, downloads, shortcuts, predictor, cookies, forms;
    bool operator==(const Counts&) const = default;
};

Counts Read(const std::string& profile) {
    const std::string history = profile + "\\History";
    return Counts{
        Count(history, "SELECT count(*) FROM urls WHERE typed_count > 0"),
        Count(history, "SELECT count(*) FROM urls WHERE typed_count = 0"),
        Count(history, "SELECT count(*) FROM visits"),
        Count(history, "SELECT count(*) FROM keyword_search_terms"),
        Count(history, "SELECT (SELECT count(*) FROM downloads) + (SELECT count(*) FROM downloads_url_chains)"),
        Count(profile + "\\Shortcuts", "SELECT count(*) FROM omni_box_shortcuts"),
        Count(profile + "\\Network Action Predictor", "SELECT count(*) FROM network_action_predictor"),
        Count(profile + "\\Network\\Cookies", "SELECT count(*) FROM cookies"),
        Count(profile + "\\Web Data", "SELECT count(*) FROM autofill"),
    };
}

std::ostream& operator<<(std::ostream& out, const Counts& c) {
    return out << "typed " << c.typedUrls << ", other " << c.otherUrls << ", visits " << c.visits << ", terms "
               << c.searchTerms << ", downloads " << c.downloads << ", shortcuts " << c.shortcuts << ", predictor "
               << c.predictor << ", cookies " << c.cookies << ", forms " << c.forms;
}

struct BoxCase {
    const char* name;
    void (*clear)(StatusLine&);
    std::function<Counts(Counts)> after;  // the counts expected after the box, from those before
};

const BoxCase BoxCases[] = {
    {"History", ChromiumHistory::ClearChromiumHistory,
     [](Counts c) {
         c.typedUrls = c.otherUrls = c.visits = c.searchTerms = c.shortcuts = c.predictor = 0;
         return c;
     }},
    {"TypedUrls", ChromiumHistory::ClearChromiumTypedUrls,
     [](Counts c) {
         c.typedUrls = c.searchTerms = c.shortcuts = 0;
         c.visits = -1;  // checked apart: only the typed addresses' visits go
         return c;
     }},
    {"Downloads", ChromiumHistory::ClearChromiumDownloads,
     [](Counts c) {
         c.downloads = 0;
         return c;
     }},
    {"Cookies", ChromiumHistory::ClearChromiumCookies,
     [](Counts c) {
         c.cookies = 0;
         return c;
     }},
    {"Cache", ChromiumHistory::ClearChromiumCache, [](Counts c) { return c; }},
    {"FormHistory", ChromiumHistory::ClearChromiumFormHistory,
     [](Counts c) {
         c.forms = 0;
         return c;
     }},
};

class ChromiumDatabaseTest : public ChromiumFixture, public ::testing::WithParamInterface<BoxCase> {};

}  // namespace

TEST_P(ChromiumDatabaseTest, ErasesWhatItNamesAndNothingElse) {
    const BoxCase& c = GetParam();
    const std::string profile = CopyProfile(UserData("Google\\Chrome"), "Default");
    const Counts before = Read(profile);
    ASSERT_GT(before.typedUrls, 0);
    ASSERT_GT(before.otherUrls, 0);
    ASSERT_GT(before.searchTerms, 0);
    ASSERT_GT(before.downloads, 0);
    const std::int64_t visitsOfOtherUrls = Count(
        profile + "\\History", "SELECT count(*) FROM visits WHERE url IN (SELECT id FROM urls WHERE typed_count = 0)");
    const int cacheFiles = CountFiles(profile + "\\Cache\\Cache_Data");

    c.clear(status);

    Counts expected = c.after(before);
    Counts after = Read(profile);
    if (expected.visits == -1) {
        expected.visits = visitsOfOtherUrls;
        EXPECT_EQ(Count(profile + "\\History", "SELECT count(*) FROM visits WHERE url NOT IN (SELECT id FROM urls)"),
                  0);
    }
    EXPECT_EQ(after, expected);
    EXPECT_EQ(CountFiles(profile + "\\Cache\\Cache_Data"), std::string(c.name) == "Cache" ? 0 : cacheFiles);
    EXPECT_EQ(Fixtures::FileExists(profile + "\\Top Sites"), std::string(c.name) != "History");
    EXPECT_TRUE(status.notices.empty());
}

INSTANTIATE_TEST_SUITE_P(Boxes, ChromiumDatabaseTest, ::testing::ValuesIn(BoxCases),
                         [](const ::testing::TestParamInfo<BoxCase>& info) { return std::string(info.param.name); });

class ChromiumDatabaseTestUnchanged : public ChromiumFixture {};

TEST_F(ChromiumDatabaseTestUnchanged, AStoreThatIsDamagedHeldOrReadOnlyIsLeftAsItWasAndSaid) {
    const std::string userData = UserData("Microsoft\\Edge");
    const std::string profile = CopyProfile(userData, "Default");
    WriteLocalState(userData, PlantedLocalState());
    // Not SQLite, with a journal beside it that SQLite would otherwise roll back.
    Fixtures::WriteFile(profile + "\\History", "not a database at all, but long enough to be read");
    Fixtures::WriteFile(profile + "\\History-journal", "journal");
    // Held by another program without sharing.
    UniqueFile held(::CreateFileA((profile + "\\Web Data").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held.Valid());
    // Read-only: the user's choice to keep it as it is.
    const std::string preferences = Fixtures::ReadFile(profile + "\\Preferences");
    ASSERT_TRUE(::SetFileAttributesA((profile + "\\Preferences").c_str(), FILE_ATTRIBUTE_READONLY));
    // Nested 20,000 deep, in Chrome's profile: Chromium itself refuses JSON deeper than 200.
    const std::string chrome = UserData("Google\\Chrome");
    const std::string deepProfile = CopyProfile(chrome, "Default");
    WriteLocalState(chrome, PlantedLocalState());
    const std::string deep =
        R"({"profile":{"content_settings":{"exceptions":{"site_engagement":{"https://a.example:443,*":{}}}}},"x":)" +
        std::string(20000, '[') + std::string(20000, ']') + "}";
    Fixtures::WriteFile(deepProfile + "\\Preferences", deep);
    // Held open without sharing its deletion, in Brave's: the new text cannot take its place.
    const std::string brave = UserData("BraveSoftware\\Brave-Browser");
    const std::string heldProfile = CopyProfile(brave, "Default");
    WriteLocalState(brave, PlantedLocalState());
    const std::string heldPreferences = Fixtures::ReadFile(heldProfile + "\\Preferences");
    UniqueFile heldOpen(::CreateFileA((heldProfile + "\\Preferences").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(heldOpen.Valid());

    ChromiumHistory::ClearChromiumHistory(status);
    ChromiumHistory::ClearChromiumFormHistory(status);
    ChromiumHistory::ClearChromiumCookies(status);

    EXPECT_EQ(Fixtures::ReadFile(profile + "\\History"), "not a database at all, but long enough to be read");
    EXPECT_EQ(Fixtures::ReadFile(profile + "\\History-journal"), "journal");
    EXPECT_EQ(Fixtures::ReadFile(profile + "\\Preferences"), preferences);
    EXPECT_EQ(Fixtures::Attributes(profile + "\\Preferences") & FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Fixtures::ReadFile(deepProfile + "\\Preferences"), deep);
    EXPECT_EQ(Fixtures::ReadFile(heldProfile + "\\Preferences"), heldPreferences);
    EXPECT_FALSE(Fixtures::FileExists(heldProfile + "\\Preferences" + FileGuard::ReplacementSuffix));
    const std::string suffix = " was left alone: it could not be changed";
    EXPECT_EQ(std::set<std::string>(status.notices.begin(), status.notices.end()),
              (std::set<std::string>{profile + "\\History" + suffix, profile + "\\Web Data" + suffix,
                                     profile + "\\Preferences" + suffix, deepProfile + "\\Preferences" + suffix,
                                     heldProfile + "\\Preferences" + suffix,
                                     // Which search engine is the default is unknown there: none goes.
                                     deepProfile + "\\Web Data" + suffix}));
    ::SetFileAttributesA((profile + "\\Preferences").c_str(), FILE_ATTRIBUTE_NORMAL);
    held.Reset();
    EXPECT_GT(Count(profile + "\\Web Data", "SELECT count(*) FROM autofill"), 0);
    EXPECT_EQ(Count(profile + "\\Network\\Cookies", "SELECT count(*) FROM cookies"), 0);
}

namespace {

// The cookies and the stores of the ad and measurement APIs and of trust
// tokens, with the columns that name sites and a label: rows of the kept site
// (below it too), of another site, and of each inside the other. Only a row
// whose every site is kept, and that belongs to no row that goes, stays.
const struct {
    const char* database;
    const char* sql;
} SiteApiStores[] = {
    {"Network\\Cookies",
     "CREATE TABLE cookies(host_key, top_frame_site_key, label);"
     "INSERT INTO cookies VALUES ('.kept.example', '', 'stays'), ('www.kept.example', 'https://top.example', 'stays: inside a kept site'),"
     " ('.kept.example', 'https://gone.example', 'goes: set inside another site'), ('.gone.example', '', 'goes');"},
    {"InterestGroups",
     "CREATE TABLE interest_groups(owner, joining_origin, name, label);"
     "INSERT INTO interest_groups VALUES ('https://kept.example', 'https://www.kept.example', 'k', 'stays'),"
     " ('https://gone.example', 'https://gone.example', 'g', 'goes'),"
     " ('https://kept.example', 'https://gone.example', 'kg', 'goes: joined on another site'),"
     " ('https://gone.example', 'https://kept.example', 'gk', 'goes: another owner');"
     "CREATE TABLE join_history(owner, name, label);"
     "INSERT INTO join_history VALUES ('https://kept.example', 'k', 'stays'),"
     " ('https://kept.example', 'kg', 'goes with its group'), ('https://gone.example', 'g', 'goes');"
     "CREATE TABLE joined_k_anon(hashed_key, label); INSERT INTO joined_k_anon VALUES (x'00', 'goes: no site');"},
    {"SharedStorage",
     "CREATE TABLE values_mapping(context_origin, key, label);"
     "INSERT INTO values_mapping VALUES ('https://kept.example', 'a', 'stays'), ('https://gone.example', 'a', 'goes');"
     // as the first versions named the column
     "CREATE TABLE budget_mapping(id, context_origin, label);"
     "INSERT INTO budget_mapping VALUES (1, 'https://kept.example', 'stays'), (2, 'https://gone.example', 'goes');"},
    {"Conversions",
     "CREATE TABLE sources(source_id, source_origin, reporting_origin, label);"
     "INSERT INTO sources VALUES (1, 'https://kept.example', 'https://kept.example', 'stays'),"
     " (2, 'https://gone.example', 'https://gone.example', 'goes'),"
     " (3, 'https://kept.example', 'https://gone.example', 'goes: reported to another site');"
     "CREATE TABLE reports(source_id, context_origin, reporting_origin, label);"
     "INSERT INTO reports VALUES (1, 'https://kept.example', 'https://kept.example', 'stays'),"
     " (3, 'https://kept.example', 'https://kept.example', 'goes with its source'),"
     " (1, 'https://gone.example', 'https://kept.example', 'goes: triggered on another site');"
     "CREATE TABLE dedup_keys(source_id, label); INSERT INTO dedup_keys VALUES (1, 'stays'), (2, 'goes with its source');"
     "CREATE TABLE source_destinations(source_id, destination_site, label);"
     "INSERT INTO source_destinations VALUES (1, 'https://kept.example', 'stays'), (1, 'https://gone.example', 'goes');"},
    {"PrivateAggregation",
     "CREATE TABLE private_aggregation_api_budgets(key, proto, label);"
     "INSERT INTO private_aggregation_api_budgets VALUES ('https://kept.example', x'', 'stays'),"
     " ('https://gone.example', x'', 'goes');"},
    {"Network\\Trust Tokens",
     "CREATE TABLE trust_tokens_issuer_config(key, proto, label);"
     "INSERT INTO trust_tokens_issuer_config VALUES ('https://kept.example', x'', 'stays'), ('https://gone.example', x'', 'goes');"
     "CREATE TABLE trust_tokens_issuer_toplevel_pair_config(key, proto, label);"
     "INSERT INTO trust_tokens_issuer_toplevel_pair_config VALUES ('https://kept.example https://kept.example', x'', 'stays'),"
     " ('https://kept.example https://gone.example', x'', 'goes: issued on another site'),"
     " ('https://gone.example https://kept.example', x'', 'goes: another issuer');"},
};

// "<table>: <label>" of every row of the database but its meta table's.
std::set<std::string> Labels(const std::string& database) {
    std::set<std::string> labels;
    for (const std::string& table : Rows(database, "SELECT name FROM sqlite_master WHERE type = 'table' AND name <> 'meta'"))
        for (const std::string& label : Rows(database, "SELECT label FROM \"" + table + "\"")) labels.insert(table + ": " + label);
    return labels;
}

class ChromiumDatabaseTestSiteApis : public ChromiumFixture {};

}  // namespace

TEST_F(ChromiumDatabaseTestSiteApis, TheCookiesAndSiteStoresKeepTheRowsOfKeptSitesOnly) {
    const std::string profile = UserData("Google\\Chrome") + "\\Default";
    Fixtures::WriteFile(profile + "\\Preferences", "{}");
    // Local Storage keys and IndexedDB folders, named "stays" or "goes".
    const std::map<std::string, std::string> localStorage = {
        {"_https://kept.example/\0\x01k"s, "stays"},
        {"_https://kept.example/^0https://top.example\0\x01k"s, "stays"},
        {"_https://kept.example/^0https://gone.example\0\x01k"s, "goes"},
        {"META:https://gone.example", "goes"},
    };
    const std::map<std::string, std::string> indexedDb = {{"https_kept.example_0.indexeddb.leveldb", "stays"},
                                                          {"https_gone.example_0.indexeddb.leveldb", "goes"}};
    for (const bool keeping : {true, false}) {
        std::map<std::string, std::set<std::string>> before;
        for (const auto& store : SiteApiStores) {
            const std::string path = profile + "\\" + store.database;
            Fixtures::WriteFile(path, "");
            SqliteDatabase(path).Execute(std::string("CREATE TABLE meta(key, value); INSERT INTO meta VALUES ('version', 1);") + store.sql);
            before[path] = Labels(path);
        }
        Fixtures::MakeFolders(profile + "\\Local Storage\\leveldb");
        LevelDbFill::Put(profile + "\\Local Storage\\leveldb", {localStorage.begin(), localStorage.end()});
        for (const auto& [folder, label] : indexedDb) Fixtures::WriteFile(profile + "\\IndexedDB\\" + folder + "\\CURRENT", label);
        status.keeps = keeping ? SitesToKeep({"kept.example", "top.example"}) : SitesToKeep();
        status.kept.clear();

        ChromiumHistory::ClearChromiumCookies(status);

        for (const auto& [path, labels] : before) {
            std::set<std::string> stays;
            std::copy_if(labels.begin(), labels.end(), std::inserter(stays, stays.end()),
                         [&](const std::string& label) { return keeping && label.find(": stays") != std::string::npos; });
            EXPECT_EQ(Labels(path), stays) << path;
            EXPECT_EQ(Count(path, "SELECT count(*) FROM meta"), 1) << path;
        }
        std::set<std::string> left, stays;
        for (const auto& [key, value] : LevelDb::ReadAll(profile + "\\Local Storage\\leveldb").value_or(LevelDb::Entries{}))
            if (localStorage.count(key)) left.insert(key);
        for (const auto& [folder, label] : indexedDb)
            if (Fixtures::FolderExists(profile + "\\IndexedDB\\" + folder)) left.insert(folder);
        for (const auto* named : {&localStorage, &indexedDb})
            for (const auto& [name, label] : *named)
                if (keeping && label == "stays") stays.insert(name);
        EXPECT_EQ(left, stays);
        EXPECT_EQ(std::set<std::string>(status.kept.begin(), status.kept.end()),
                  keeping ? std::set<std::string>{"kept.example"} : std::set<std::string>{});
    }
    EXPECT_TRUE(status.notices.empty());
}
