#include "firefox/PlacesDatabase.h"

#include "firefox/SqliteDatabase.h"
#include "system/Path.h"
#include "system/UniqueHandle.h"

#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstring>
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

// SQLite takes UTF-8 file names; the program's paths are in the ANSI code page.
std::string AnsiToUtf8(const std::string& ansi) {
    if (ansi.empty()) return ansi;
    const int wideLength = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), wideLength);
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

enum class FileKind { Sqlite, Other, Unreadable };

// Whether the file starts as every SQLite database does. A file that does not
// is never handed to SQLite: opening it would still treat a -journal or -wal
// beside it as the database's own, rolling it back or removing it. A missing
// file is no database; one that cannot be read (held open by another
// program, access denied) may well be one.
FileKind KindOf(const std::string& path) {
    static constexpr char Header[] = "SQLite format 3";  // and its terminating NUL: 16 bytes
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return Path::IsGone(::GetLastError()) ? FileKind::Other : FileKind::Unreadable;
    char start[sizeof(Header)] = {};
    DWORD read = 0;
    if (!::ReadFile(file.Get(), start, sizeof(start), &read, nullptr)) return FileKind::Unreadable;
    return read == sizeof(start) && std::memcmp(start, Header, sizeof(Header)) == 0 ? FileKind::Sqlite
                                                                                    : FileKind::Other;
}

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
bool HasColumn(SqliteDatabase& db, const std::string& table, const std::string& column) {
    SqliteStatement statement = db.Prepare("SELECT 1 FROM pragma_table_info(?1) WHERE name = ?2");
    return statement.Bind(1, table).Bind(2, column).Step();
}

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
    if (HasColumn(db, table, "recalc_frecency")) set += ", recalc_frecency = 1";
    if (HasColumn(db, table, "alt_frecency")) set += ", alt_frecency = NULL";
    if (HasColumn(db, table, "recalc_alt_frecency")) set += ", recalc_alt_frecency = 1";
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

// Is this a places database? Throws only when the answer cannot be known
// (a locked or unreadable file).
bool HoldsBookmarks(SqliteDatabase& db) {
    try {
        return db.HasTable("moz_bookmarks");
    } catch (const SqliteError& e) {
        if (e.Code() == SQLITE_NOTADB) return false;
        throw;
    }
}

// Copies the write-ahead log into the database and empties it, so no -wal
// file keeps the erased rows. A database in rollback-journal mode has no log.
void Checkpoint(SqliteDatabase& db) {
    if (db.Scalar("PRAGMA wal_checkpoint(TRUNCATE)") != 0)
        throw SqliteError(SQLITE_BUSY, "the write-ahead log is in use");
}

PlacesOutcome Erase(const std::string& path, const std::function<void(SqliteDatabase&)>& eraseRows) {
    switch (KindOf(path)) {
    case FileKind::Other: return PlacesOutcome::NotPlaces;
    case FileKind::Unreadable: return PlacesOutcome::Failed;
    case FileKind::Sqlite: break;
    }
    try {
        SqliteDatabase db(AnsiToUtf8(path));
        db.Execute("PRAGMA busy_timeout = 1000");
        if (!HoldsBookmarks(db)) return PlacesOutcome::NotPlaces;
        // Deleted rows are overwritten with zeros, in the tables, their indexes
        // and the pages that become free.
        db.Execute("PRAGMA secure_delete = ON; PRAGMA temp_store = MEMORY; PRAGMA foreign_keys = OFF");
        {
            SqliteTransaction transaction(db);
            eraseRows(db);
            transaction.Commit();
        }
        Checkpoint(db);
        return PlacesOutcome::Erased;
    } catch (const SqliteError&) {
        return PlacesOutcome::Failed;
    }
}

}  // namespace

PlacesOutcome EraseHistory(const std::string& path) { return Erase(path, EraseHistoryRows); }

PlacesOutcome EraseDownloads(const std::string& path) { return Erase(path, EraseDownloadRows); }

}  // namespace PlacesDatabase
