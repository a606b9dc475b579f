// Erasing history and downloads from a places.sqlite that a real Firefox wrote:
// scripts/make-firefox-profile.sh makes the profile with firefox-esr and plants
// it as C:\vorlane-firefox-profile\; each test works on its own copy.
#include "firefox/PlacesDatabase.h"
#include "firefox/PlacesQueries.h"
#include "database/SqliteDatabase.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

PlacesOutcome EraseHistory(const std::string& path) {
    StoreChange run;
    std::set<std::string> kept;
    return PlacesDatabase::EraseHistory(path, run, kept);
}

PlacesOutcome EraseDownloads(const std::string& path) {
    StoreChange run;
    return PlacesDatabase::EraseDownloads(path, run);
}

constexpr char PlantedProfile[] = "C:\\vorlane-firefox-profile";
// Where the erased database is left for the Linux-side check that starts
// Firefox on it (tests/firefox/profile/reopen.py).
constexpr char ErasedForFirefox[] = "C:\\vorlane-firefox-erased\\places.sqlite";

// Words that only the history of the fixture profile holds (its URLs, titles,
// input history, metadata search terms) and the downloaded file's URL.
const char* const HistoryWords[] = {"history-secret", "typed-secret"};
constexpr char DownloadWord[] = "download-secret";

bool FileHolds(const std::string& path, const std::string& word) {
    return Fixtures::FileExists(path) && Fixtures::ReadFile(path).find(word) != std::string::npos;
}

std::int64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return static_cast<std::int64_t>(data.nFileSizeLow) | (static_cast<std::int64_t>(data.nFileSizeHigh) << 32);
}

class PlacesDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string source = std::string(PlantedProfile) + "\\places.sqlite";
        ASSERT_TRUE(Fixtures::FileExists(source)) << "the Firefox profile fixture is missing";
        for (const char* suffix : {"", "-wal"}) {
            const std::string from = source + suffix;
            if (Fixtures::FileExists(from)) {
                ASSERT_TRUE(::CopyFileA(from.c_str(), (places_ + suffix).c_str(), FALSE));
            }
        }
        bookmarks_ = Rows(places_, BookmarksQuery);
        // The fixture must hold what the tests erase, or they would prove nothing.
        ASSERT_GT(Count(places_, "SELECT count(*) FROM moz_historyvisits"), 0);
        ASSERT_GT(Count(places_, "SELECT count(*) FROM moz_places WHERE typed = 1"), 0);
        ASSERT_GT(Count(places_, "SELECT count(*) FROM moz_inputhistory"), 0);
        ASSERT_GT(Count(places_, "SELECT count(*) FROM moz_places_metadata"), 0);
        ASSERT_GT(Count(places_, DownloadAnnotations), 0);
        ASSERT_GT(Count(places_, "SELECT count(*) FROM moz_bookmarks WHERE type = 1"), 5);
        ASSERT_GT(Count(places_, "SELECT count(*) FROM moz_keywords"), 0);
        ASSERT_TRUE(FileHolds(places_, "history-secret"));
    }

    void ExpectSoundDatabase() {
        EXPECT_EQ(Rows(places_, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
        EXPECT_LE(FileSize(places_ + "-wal"), 0) << "the write-ahead log still holds pages";
        // Every page keeps a valid origin and every origin has a page.
        EXPECT_EQ(Count(places_, "SELECT count(*) FROM moz_places p WHERE NOT EXISTS"
                                 " (SELECT 1 FROM moz_origins o WHERE o.id = p.origin_id)"),
                  0);
        EXPECT_EQ(Count(places_, "SELECT count(*) FROM moz_origins o WHERE NOT EXISTS"
                                 " (SELECT 1 FROM moz_places p WHERE p.origin_id = o.id)"),
                  0);
    }

    Fixtures::TempFolder folder_;
    std::string places_ = folder_ / "places.sqlite";
    std::vector<std::string> bookmarks_;
};

TEST_F(PlacesDatabaseTest, EraseHistoryLeavesNoVisitAndEveryBookmark) {
    ASSERT_EQ(EraseHistory(places_), PlacesOutcome::Erased);

    EXPECT_EQ(Rows(places_, BookmarksQuery), bookmarks_);
    for (const char* table : {"moz_historyvisits", "moz_historyvisits_extra", "moz_inputhistory",
                              "moz_places_metadata", "moz_places_metadata_search_queries", "moz_places_extra"})
        EXPECT_EQ(Count(places_, std::string("SELECT count(*) FROM ") + table), 0) << table;
    EXPECT_EQ(Count(places_, "SELECT count(*) FROM moz_places WHERE visit_count <> 0 OR typed <> 0"
                             " OR last_visit_date IS NOT NULL"),
              0);
    // Only pages that a bookmark or keyword names are left.
    EXPECT_EQ(Count(places_, "SELECT count(*) FROM moz_places p WHERE NOT EXISTS"
                             " (SELECT 1 FROM moz_bookmarks b WHERE b.fk = p.id) AND NOT EXISTS"
                             " (SELECT 1 FROM moz_keywords k WHERE k.place_id = p.id)"),
              0);
    EXPECT_EQ(Count(places_, DownloadAnnotations), 0);
    // A bookmarked page that had visits ranks as a never-visited bookmark, and
    // Firefox is asked to compute its frecency again.
    EXPECT_EQ(Count(places_, "SELECT count(*) FROM moz_places WHERE url LIKE '%/bookmarked/visited-too'"
                             " AND frecency > 0 AND recalc_frecency = 1"),
              1);
    EXPECT_EQ(Count(places_, "SELECT count(*) FROM moz_origins WHERE frecency > 1"), 0);
    ExpectSoundDatabase();
    for (const char* word : HistoryWords) EXPECT_FALSE(FileHolds(places_, word)) << word;
    EXPECT_FALSE(FileHolds(places_, DownloadWord));

    Fixtures::MakeFolders("C:\\vorlane-firefox-erased");
    EXPECT_TRUE(::CopyFileA(places_.c_str(), ErasedForFirefox, FALSE));
}

// foreign_count is Firefox's own count of a page's bookmarks and keywords: a
// count that is wrongly 0 must not cost a bookmark.
TEST_F(PlacesDatabaseTest, ABookmarkedPageWhoseCountIsWronglyZeroKeepsItsBookmark) {
    {
        SqliteDatabase db(places_);
        db.Execute("UPDATE moz_places SET foreign_count = 0");
    }

    ASSERT_EQ(EraseHistory(places_), PlacesOutcome::Erased);

    EXPECT_EQ(Rows(places_, BookmarksQuery), bookmarks_);
}

TEST_F(PlacesDatabaseTest, EraseDownloadsLeavesTheRestOfTheHistory) {
    const std::string otherVisits = "SELECT count(*) FROM moz_historyvisits WHERE visit_type <> 7";
    const std::int64_t visitsBefore = Count(places_, otherVisits);
    const std::int64_t typedBefore = Count(places_, "SELECT count(*) FROM moz_places WHERE typed = 1");

    ASSERT_EQ(EraseDownloads(places_), PlacesOutcome::Erased);

    EXPECT_EQ(Count(places_, DownloadAnnotations), 0);
    EXPECT_EQ(Count(places_, "SELECT count(*) FROM moz_historyvisits WHERE visit_type = 7"), 0);
    EXPECT_EQ(Count(places_, "SELECT count(*) FROM moz_anno_attributes WHERE name LIKE 'downloads/%'"), 0);
    EXPECT_EQ(Count(places_, "SELECT count(*) FROM moz_places WHERE url LIKE '%download-secret%'"), 0);
    EXPECT_EQ(Count(places_, otherVisits), visitsBefore);
    EXPECT_EQ(Count(places_, "SELECT count(*) FROM moz_places WHERE typed = 1"), typedBefore);
    EXPECT_EQ(Rows(places_, BookmarksQuery), bookmarks_);
    ExpectSoundDatabase();
    EXPECT_FALSE(FileHolds(places_, DownloadWord));
    EXPECT_TRUE(FileHolds(places_, "history-secret"));
}

TEST_F(PlacesDatabaseTest, ADatabaseInUseIsLeftAsItWas) {
    const std::int64_t visits = Count(places_, "SELECT count(*) FROM moz_historyvisits");
    {
        // A running Firefox holds its database with an exclusive lock.
        SqliteDatabase firefox(places_);
        firefox.Execute("PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE");
        EXPECT_EQ(EraseHistory(places_), PlacesOutcome::Failed);
        EXPECT_EQ(EraseDownloads(places_), PlacesOutcome::Failed);
        firefox.Execute("ROLLBACK");
    }
    EXPECT_EQ(Count(places_, "SELECT count(*) FROM moz_historyvisits"), visits);
    EXPECT_EQ(Rows(places_, BookmarksQuery), bookmarks_);
}

TEST_F(PlacesDatabaseTest, APathOfAnyCharactersIsFound) {
    // The program's code page is UTF-8 (its manifest says so): Cyrillic, CJK
    // and an emoji reach SQLite as they are.
    ASSERT_EQ(::GetACP(), static_cast<UINT>(CP_UTF8));
    const std::string folder = folder_ / "\xD0\x9F\xD1\x80\xD0\xBE\xD1\x84\xD0\xB8\xD0\xBB\xD1\x8C \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";
    Fixtures::MakeFolders(folder);
    const std::string moved = folder + "\\places.sqlite";
    ASSERT_TRUE(::MoveFileA(places_.c_str(), moved.c_str()));
    ::DeleteFileA((places_ + "-wal").c_str());

    EXPECT_EQ(EraseHistory(moved), PlacesOutcome::Erased);
    EXPECT_FALSE(FileHolds(moved, "history-secret"));
}

// A file named places.sqlite that is no places database goes as a file only
// when SQLite read it whole and found no bookmarks: one SQLite cannot open or
// read whole (not SQLite at all, or damaged as a disk error or a torn write
// leaves it) may hold the user's bookmarks, and stays byte for byte.
struct NotPlacesCase {
    const char* name;
    const char* content;    // written as the file, unless `sql` builds it
    const char* sql;        // a database made with these statements
    int damagedByte;        // flipped after the database was made; -1 for none
    std::size_t keptBytes;  // the file cut to this length; 0 for whole
    PlacesOutcome expected;
    std::size_t damagedLength = 1;  // bytes damaged from damagedByte on
    int setTo = -1;                 // the value they are set to; -1: each is flipped
};

void PrintTo(const NotPlacesCase& c, std::ostream* os) { *os << c.name; }

class PlacesDatabaseTestNotPlaces : public ::testing::TestWithParam<NotPlacesCase> {};

TEST_P(PlacesDatabaseTestNotPlaces, IsDeletableOnlyWhenSqliteOpenedItAndFoundNoBookmarks) {
    const NotPlacesCase& c = GetParam();
    Fixtures::TempFolder folder;
    const std::string path = folder / "places.sqlite";
    if (c.sql) {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(raw, c.sql, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(raw);
    } else if (c.content) {
        Fixtures::WriteFile(path, c.content);
    }
    if (c.damagedByte >= 0 || c.keptBytes > 0) {
        std::string bytes = Fixtures::ReadFile(path);
        if (c.damagedByte >= 0) {
            for (std::size_t at = c.damagedByte; at < c.damagedByte + c.damagedLength; ++at)
                bytes[at] = static_cast<char>(c.setTo >= 0 ? c.setTo : bytes[at] ^ 0x5A);
        }
        if (c.keptBytes > 0) bytes.resize(c.keptBytes);
        Fixtures::WriteFile(path, bytes);
    }
    const std::string before = Fixtures::FileExists(path) ? Fixtures::ReadFile(path) : "";

    EXPECT_EQ(EraseHistory(path), c.expected);
    EXPECT_EQ(EraseDownloads(path), c.expected);
    EXPECT_EQ(Fixtures::FileExists(path) ? Fixtures::ReadFile(path) : "", before) << "the file was changed";
}

constexpr char Bookmarked[] =
    "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT);"
    "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, fk INTEGER, title TEXT);"
    "INSERT INTO moz_places (url) VALUES ('https://kept.example/');"
    "INSERT INTO moz_bookmarks (fk, title) VALUES (1, 'kept')";

INSTANTIATE_TEST_SUITE_P(
    Files, PlacesDatabaseTestNotPlaces,
    ::testing::Values(
        NotPlacesCase{"Text", "This is not a database, though it is named like one.\r\n", nullptr, -1, 0,
                      PlacesOutcome::Failed},
        NotPlacesCase{"Empty", "", nullptr, -1, 0, PlacesOutcome::NotPlaces},
        NotPlacesCase{"Missing", nullptr, nullptr, -1, 0, PlacesOutcome::NotPlaces},
        NotPlacesCase{"OtherDatabase", nullptr,
                      "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT);"
                      "INSERT INTO moz_places (url) VALUES ('https://history-secret.example/')",
                      -1, 0, PlacesOutcome::NotPlaces},
        NotPlacesCase{"PageSizeDamaged", nullptr, Bookmarked, 16, 0, PlacesOutcome::Damaged},
        NotPlacesCase{"ReadVersionDamaged", nullptr, Bookmarked, 19, 0, PlacesOutcome::Damaged},
        NotPlacesCase{"PayloadFractionDamaged", nullptr, Bookmarked, 21, 0, PlacesOutcome::Damaged},
        NotPlacesCase{"Truncated", nullptr, Bookmarked, -1, 1000, PlacesOutcome::Damaged},
        // The first page's cell count (bytes 103-104) at 0: its schema lists no
        // table while the tables' pages follow it.
        NotPlacesCase{"SchemaListsNoTable", nullptr, Bookmarked, 103, 0, PlacesOutcome::Damaged, 2, 0},
        // All of the first page after the file header zeroed, as a torn write leaves it.
        NotPlacesCase{"TornFirstPage", nullptr, Bookmarked, 100, 0, PlacesOutcome::Damaged, 3996, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
