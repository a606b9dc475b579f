#include "firefox/PlacesDatabase.h"

#include "database/SqliteFile.h"

#include <windows.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace PlacesDatabase {

namespace {

// The visits of downloaded files (transition type 7 in moz_historyvisits).
constexpr char DownloadVisits[] = "visit_type = 7";

// Firefox scores a never-visited bookmark with 100 points that halve every 30
// days, and stores a page's frecency as the day (counted from 1970) on which
// its score will have decayed to 1 point.
constexpr double UnvisitedBookmarkPoints = 100.0;
constexpr double FrecencyHalfLifeDays = 30.0;
// Firefox's autofill threshold when no origin has a frecency above 1.
constexpr int EmptyOriginThreshold = 2;

double DaysSince1970() {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    const std::uint64_t ticks = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    constexpr std::uint64_t TicksTo1970 = 116444736000000000ULL;  // 100 ns ticks from 1601
    constexpr double TicksPerDay = 864000000000.0;
    return static_cast<double>(ticks - TicksTo1970) / TicksPerDay;
}

std::int64_t UnvisitedBookmarkFrecency() {
    return static_cast<std::int64_t>(
        std::floor(DaysSince1970() + FrecencyHalfLifeDays * std::log2(UnvisitedBookmarkPoints)));
}

// The schema grew over the years: every table or column beyond the oldest
// places database is looked up before it is used.
void DeleteAllFrom(SqliteDatabase& db, const std::string& table) {
    if (db.HasTable(table)) db.Execute("DELETE FROM " + table);
}

void DeleteWhere(SqliteDatabase& db, const std::string& table, const std::string& condition) {
    if (db.HasTable(table)) db.Execute("DELETE FROM " + table + " WHERE " + condition);
}

// A page that no bookmark (tags included) or keyword names. foreign_count is
// Firefox's own count of such references; the bookmarks and keywords are
// checked as well, so a wrong count can never cost a bookmark.
const char* const Unreferenced =
    "foreign_count = 0"
    " AND NOT EXISTS (SELECT 1 FROM moz_bookmarks b WHERE b.fk = moz_places.id)"
    " AND NOT EXISTS (SELECT 1 FROM moz_keywords k WHERE k.place_id = moz_places.id)";

// Rows that belonged to pages no longer there. Firefox deletes them through
// its triggers and cascades, which exist only while it runs.
void DeleteRowsOfRemovedPages(SqliteDatabase& db) {
    const std::string gone = " NOT IN (SELECT id FROM moz_places)";
    DeleteWhere(db, "moz_annos", "place_id" + gone);
    DeleteWhere(db, "moz_inputhistory", "place_id" + gone);
    DeleteWhere(db, "moz_places_metadata", "place_id" + gone + " OR referrer_place_id" + gone);
    DeleteWhere(db, "moz_places_extra", "place_id" + gone);
    DeleteWhere(db, "moz_newtab_shortcuts_interaction", "place_id" + gone);
    if (db.HasTable("moz_origins"))
        db.Execute(
            "DELETE FROM moz_origins WHERE NOT EXISTS "
            "(SELECT 1 FROM moz_places p WHERE p.origin_id = moz_origins.id)");
}

// Annotation names that no page or bookmark uses any more.
void DeleteUnusedAnnotationNames(SqliteDatabase& db, const std::string& nameCondition) {
    if (!db.HasTable("moz_anno_attributes")) return;
    std::string unused = "(" + nameCondition + ")";
    if (db.HasTable("moz_annos"))
        unused += " AND NOT EXISTS (SELECT 1 FROM moz_annos a WHERE a.anno_attribute_id = moz_anno_attributes.id)";
    if (db.HasTable("moz_items_annos"))
        unused +=
            " AND NOT EXISTS (SELECT 1 FROM moz_items_annos a WHERE a.anno_attribute_id = moz_anno_attributes.id)";
    db.Execute("DELETE FROM moz_anno_attributes WHERE " + unused);
}

// Asks Firefox to compute the frecency of the given pages again at its next idle moment.
std::string RecalculateColumns(SqliteDatabase& db, const std::string& table) {
    std::string set;
    if (db.HasColumn(table, "recalc_frecency")) set += ", recalc_frecency = 1";
    if (db.HasColumn(table, "alt_frecency")) set += ", alt_frecency = NULL";
    if (db.HasColumn(table, "recalc_alt_frecency")) set += ", recalc_alt_frecency = 1";
    return set;
}

// The pages that stay read as never visited: no visit count, typed flag or
// last visit, and the frecency Firefox gives a page that was never visited.
void ResetVisitedPages(SqliteDatabase& db) {
    SqliteStatement update = db.Prepare(
        "UPDATE moz_places SET visit_count = 0, typed = 0, last_visit_date = NULL,"
        " frecency = CASE WHEN EXISTS (SELECT 1 FROM moz_bookmarks b WHERE b.fk = moz_places.id)"
        " THEN ?1 ELSE 0 END" +
        RecalculateColumns(db, "moz_places") +
        " WHERE visit_count <> 0 OR typed <> 0 OR last_visit_date IS NOT NULL");
    update.Bind(1, UnvisitedBookmarkFrecency()).Step();
}

// The origins of the pages that stay, each as an origin without visits.
void ResetOrigins(SqliteDatabase& db) {
    if (!db.HasTable("moz_origins")) return;
    db.Execute("UPDATE moz_origins SET frecency = 1" + RecalculateColumns(db, "moz_origins"));
    if (db.HasTable("moz_meta"))
        db.Execute("UPDATE moz_meta SET value = " + std::to_string(EmptyOriginThreshold) +
                   " WHERE key IN ('origin_frecency_threshold', 'origin_alt_frecency_threshold')");
}

void EraseHistoryRows(SqliteDatabase& db) {
    // What Firefox records of each visit and page view.
    for (const char* table :
         {"moz_places_metadata", "moz_places_metadata_search_queries", "moz_inputhistory", "moz_historyvisits_extra",
          "moz_historyvisits", "moz_places_extra", "moz_newtab_shortcuts_interaction", "moz_newtab_story_click",
          "moz_newtab_story_impression"})
        DeleteAllFrom(db, table);
    db.Execute(std::string("DELETE FROM moz_places WHERE ") + Unreferenced);
    DeleteRowsOfRemovedPages(db);
    DeleteUnusedAnnotationNames(db, "1");
    ResetVisitedPages(db);
    ResetOrigins(db);
}

const char* const DownloadAnnotation = "substr(name, 1, 10) = 'downloads/'";

void EraseDownloadRows(SqliteDatabase& db) {
    // The pages of the downloads list: those with a download visit or a
    // download annotation.
    db.Execute("CREATE TEMP TABLE downloaded_pages (id INTEGER PRIMARY KEY)");
    db.Execute(std::string("INSERT OR IGNORE INTO downloaded_pages SELECT place_id FROM moz_historyvisits WHERE ") +
               DownloadVisits);
    if (db.HasTable("moz_annos") && db.HasTable("moz_anno_attributes")) {
        db.Execute(std::string("INSERT OR IGNORE INTO downloaded_pages SELECT a.place_id FROM moz_annos a"
                               " JOIN moz_anno_attributes n ON n.id = a.anno_attribute_id WHERE ") +
                   DownloadAnnotation);
        db.Execute(std::string("DELETE FROM moz_annos WHERE anno_attribute_id IN"
                               " (SELECT id FROM moz_anno_attributes WHERE ") +
                   DownloadAnnotation + ")");
        DeleteUnusedAnnotationNames(db, DownloadAnnotation);
    }
    DeleteWhere(db, "moz_historyvisits_extra",
                std::string("visit_id IN (SELECT id FROM moz_historyvisits WHERE ") + DownloadVisits + ")");
    db.Execute(std::string("DELETE FROM moz_historyvisits WHERE ") + DownloadVisits);

    db.Execute(std::string("DELETE FROM moz_places WHERE id IN (SELECT id FROM downloaded_pages) AND ") +
               Unreferenced + " AND NOT EXISTS (SELECT 1 FROM moz_historyvisits v WHERE v.place_id = moz_places.id)");
    DeleteRowsOfRemovedPages(db);
    // Download visits never count in visit_count; the last visit may have been one.
    db.Execute(
        "UPDATE moz_places SET last_visit_date ="
        " (SELECT MAX(visit_date) FROM moz_historyvisits v WHERE v.place_id = moz_places.id)" +
        RecalculateColumns(db, "moz_places") + " WHERE id IN (SELECT id FROM downloaded_pages)");
    db.Execute("DROP TABLE downloaded_pages");
}

void ReadPageUrls(SqliteDatabase& db, std::set<std::string>& urls) {
    if (!db.HasTable("moz_places")) return;
    SqliteStatement pages = db.Prepare("SELECT url FROM moz_places");
    while (pages.Step()) urls.insert(pages.Text(0));
}

PlacesOutcome Erase(const std::string& path, const std::function<void(SqliteDatabase&)>& eraseRows, StoreChange& run) {
    const SqliteFile::Outcome outcome = SqliteFile::Change(
        path,
        [&](SqliteDatabase& db) {
            // Without bookmarks it is no places database.
            if (!db.HasTable("moz_bookmarks")) return false;
            eraseRows(db);
            return true;
        },
        run);
    switch (outcome) {
    case SqliteFile::Outcome::Changed: return PlacesOutcome::Erased;
    case SqliteFile::Outcome::Missing:
    case SqliteFile::Outcome::NotDatabase: return PlacesOutcome::NotPlaces;
    case SqliteFile::Outcome::Damaged: return PlacesOutcome::Damaged;
    case SqliteFile::Outcome::Failed: break;
    }
    return PlacesOutcome::Failed;
}

}  // namespace

PlacesOutcome EraseHistory(const std::string& path, StoreChange& run, std::set<std::string>& keptPages) {
    return Erase(
        path,
        [&](SqliteDatabase& db) {
            EraseHistoryRows(db);
            ReadPageUrls(db, keptPages);
        },
        run);
}

PlacesOutcome EraseDownloads(const std::string& path, StoreChange& run) { return Erase(path, EraseDownloadRows, run); }

std::optional<std::set<std::string>> PageUrls(const std::string& path) {
    std::set<std::string> urls;
    const SqliteFile::Outcome outcome = SqliteFile::Read(path, [&](SqliteDatabase& db) { ReadPageUrls(db, urls); });
    if (outcome == SqliteFile::Outcome::Changed || outcome == SqliteFile::Outcome::Missing) return urls;
    return std::nullopt;
}

}  // namespace PlacesDatabase
