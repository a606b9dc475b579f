#include "chromium/ChromiumDatabase.h"

#include "cleaning/BrowserFiles.h"
#include "database/SqliteFile.h"

#include <algorithm>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace ChromiumDatabase {

namespace {

// A table name as an SQL identifier, whatever characters it holds.
std::string Quoted(const std::string& name) {
    std::string quoted = "\"";
    for (const char c : name) {
        quoted += c;
        if (c == '"') quoted += '"';
    }
    return quoted + "\"";
}

bool IsDownloadsTable(const std::string& name) {
    return name == "downloads" || name.rfind("downloads_", 0) == 0;
}

// The database's own tables, less SQLite's (sqlite_sequence and the like) and
// less virtual tables with the tables that hold their contents: those are
// changed only through their module, never row by row.
std::vector<std::string> PlainTables(SqliteDatabase& db) {
    std::vector<std::string> virtualTables, tables;
    SqliteStatement list = db.Prepare(
        "SELECT name, type FROM pragma_table_list WHERE schema = 'main' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'");
    while (list.Step()) {
        const std::string type = list.Text(1);
        if (type == "virtual") virtualTables.push_back(list.Text(0));
        else if (type == "table") tables.push_back(list.Text(0));
    }
    std::vector<std::string> plain;
    for (const std::string& table : tables) {
        bool shadow = false;
        for (const std::string& owner : virtualTables) shadow = shadow || table.rfind(owner + "_", 0) == 0;
        if (!shadow) plain.push_back(table);
    }
    return plain;
}

void EraseTables(SqliteDatabase& db, const std::function<bool(const std::string&)>& keep) {
    for (const std::string& table : PlainTables(db)) {
        if (!keep(table)) db.Execute("DELETE FROM " + Quoted(table));
    }
}

void DeleteAllFrom(SqliteDatabase& db, const std::string& table) {
    if (db.HasTable(table)) db.Execute("DELETE FROM " + Quoted(table));
}

// Deletes the rows of `table` whose `column` names a row listed in `ids`
// (a temporary table of ids).
void DeleteListed(SqliteDatabase& db, const std::string& table, const std::string& column, const std::string& ids) {
    if (db.HasTable(table) && db.HasColumn(table, column))
        db.Execute("DELETE FROM " + Quoted(table) + " WHERE " + Quoted(column) + " IN (SELECT id FROM temp." + ids +
                   ")");
}

// Whether `table` has each of `columns` ("owner, name").
bool HasColumns(SqliteDatabase& db, const std::string& table, const std::string& columns) {
    std::istringstream names(columns);
    for (std::string name; std::getline(names >> std::ws, name, ',');)
        if (!db.HasColumn(table, name)) return false;
    return true;
}

// The sites named by the values of a row's site columns.
std::vector<std::string> SitesIn(const std::vector<std::string>& values) {
    std::vector<std::string> sites;
    for (const std::string& value : values) {
        std::istringstream words(value);
        for (std::string site; words >> site;) sites.push_back(site);
    }
    return sites;
}

// The columns naming a row of `table` to the rows that belong to it; "" when
// none do.
std::string KeyOf(std::span<const SiteRows> tables, const std::string& table) {
    for (const SiteRows& rows : tables)
        if (rows.parent && table == rows.parent) return rows.link;
    return "";
}

// Where the keys of a table's rows that went are kept while its tables change.
std::string GoneTable(const std::string& table) { return "temp." + Quoted("gone_" + table); }

// Erases the rows of `rows.table` whose sites `erases` chooses or that belong
// to a row that went; when other rows belong to this table's, the keys of
// those that went are kept in its gone table (`gone` lists the tables that
// have one).
void EraseTableRows(SqliteDatabase& db, std::span<const SiteRows> tables, const SiteRows& rows,
                    const std::function<bool(const std::vector<std::string>& sites)>& erases,
                    std::vector<std::string>& gone) {
    const std::string table = Quoted(rows.table);
    // What goes is what was there before less what is there after.
    const std::string key = KeyOf(tables, rows.table);
    const bool keyed = !key.empty() && HasColumns(db, rows.table, key);
    if (keyed) {
        db.Execute("CREATE TABLE " + GoneTable(rows.table) + " AS SELECT " + key + " FROM " + table);
        gone.push_back(rows.table);
    }
    const bool linked = rows.parent && std::find(gone.begin(), gone.end(), rows.parent) != gone.end() &&
                        HasColumns(db, rows.table, rows.link);
    if (linked)
        db.Execute("DELETE FROM " + table + " WHERE (" + rows.link + ") IN (SELECT " + rows.link + " FROM " +
                   GoneTable(rows.parent) + ")");
    std::vector<std::string> columns;
    for (const char* column : rows.sites)
        if (column && db.HasColumn(rows.table, column)) columns.push_back(column);
    if (!columns.empty())
        db.DeleteRowsWhere(rows.table, columns, [&](const std::vector<std::string>& values) { return erases(SitesIn(values)); });
    else if (!linked)
        db.Execute("DELETE FROM " + table);
    if (keyed)
        db.Execute("DELETE FROM " + GoneTable(rows.table) + " WHERE (" + key + ") IN (SELECT " + key + " FROM " + table + ")");
}

}  // namespace

bool Change(const FolderFileDeleter& folder, const std::string& name, StatusLine& status,
            const std::function<bool(SqliteDatabase&)>& change) {
    return BrowserFiles::ChangeFile(folder, name, status, [&](const std::string& path, StoreChange& run) {
        return SqliteFile::Change(path, change, run) == SqliteFile::Outcome::Changed;
    });
}

void EraseHistory(SqliteDatabase& db) {
    EraseTables(db, [](const std::string& table) { return table == "meta" || IsDownloadsTable(table); });
}

void EraseAllRows(SqliteDatabase& db) {
    EraseTables(db, [](const std::string& table) { return table == "meta"; });
}

void EraseBounces(SqliteDatabase& db) {
    EraseTables(db, [](const std::string& table) { return table == "meta" || table == "config"; });
}

void EraseTypedUrls(SqliteDatabase& db) {
    if (!db.HasTable("urls")) return;
    db.Execute(
        "CREATE TEMP TABLE typed_urls (id INTEGER PRIMARY KEY);"
        "INSERT INTO typed_urls SELECT id FROM urls WHERE typed_count > 0;"
        "CREATE TEMP TABLE typed_visits (id INTEGER PRIMARY KEY);");
    if (db.HasTable("visits"))
        db.Execute("INSERT INTO typed_visits SELECT id FROM visits WHERE url IN (SELECT id FROM typed_urls)");

    // What the browser recorded of each visit to a typed address.
    DeleteListed(db, "visit_source", "id", "typed_visits");
    for (const char* table : {"content_annotations", "context_annotations", "clusters_and_visits",
                              "cluster_visit_duplicates"})
        DeleteListed(db, table, "visit_id", "typed_visits");
    DeleteListed(db, "cluster_visit_duplicates", "duplicate_visit_id", "typed_visits");
    DeleteListed(db, "visits", "id", "typed_visits");

    // What it recorded of the addresses themselves.
    DeleteListed(db, "keyword_search_terms", "url_id", "typed_urls");
    DeleteListed(db, "visited_links", "link_url_id", "typed_urls");
    if (db.HasTable("segments") && db.HasTable("segment_usage"))
        db.Execute(
            "DELETE FROM segment_usage WHERE segment_id IN"
            " (SELECT id FROM segments WHERE url_id IN (SELECT id FROM temp.typed_urls))");
    DeleteListed(db, "segments", "url_id", "typed_urls");
    DeleteListed(db, "urls", "id", "typed_urls");
    db.Execute("DROP TABLE temp.typed_visits; DROP TABLE temp.typed_urls");
}

void EraseDownloads(SqliteDatabase& db) {
    EraseTables(db, [](const std::string& table) { return !IsDownloadsTable(table); });
}

void EraseCookies(SqliteDatabase& db, const std::function<bool(const std::string& host, const std::string& topSite)>& erases) {
    if (!db.HasTable("cookies") || !db.HasColumn("cookies", "host_key")) return DeleteAllFrom(db, "cookies");
    const bool partitioned = db.HasColumn("cookies", "top_frame_site_key");
    db.DeleteRowsWhere("cookies", partitioned ? std::vector<std::string>{"host_key", "top_frame_site_key"} : std::vector<std::string>{"host_key"},
                       [&](const std::vector<std::string>& values) { return erases(values[0], partitioned ? values[1] : ""); });
}

void EraseSiteRows(SqliteDatabase& db, std::span<const SiteRows> tables,
                   const std::function<bool(const std::vector<std::string>& sites)>& erases) {
    std::set<std::string> listed = {"meta"};
    std::vector<std::string> gone;
    for (const SiteRows& rows : tables) {
        listed.insert(rows.table);
        if (db.HasTable(rows.table)) EraseTableRows(db, tables, rows, erases, gone);
    }
    for (const std::string& table : gone) db.Execute("DROP TABLE " + GoneTable(table));
    // The tables no row of which names a site: caches and counters of the browser's own.
    EraseTables(db, [&](const std::string& table) { return listed.count(table) > 0; });
}

void EraseIconsExcept(SqliteDatabase& db, const std::set<std::string>& keptPages) {
    if (!db.HasTable("icon_mapping")) return;
    db.CreateTempList("kept_pages", keptPages);
    db.Execute("DELETE FROM icon_mapping WHERE page_url NOT IN (SELECT value FROM temp.kept_pages)");
    const std::string mapped = " NOT IN (SELECT icon_id FROM icon_mapping WHERE icon_id IS NOT NULL)";
    if (db.HasTable("favicon_bitmaps")) db.Execute("DELETE FROM favicon_bitmaps WHERE icon_id" + mapped);
    if (db.HasTable("favicons")) db.Execute("DELETE FROM favicons WHERE id" + mapped);
    db.Execute("DROP TABLE temp.kept_pages");
}

// "autofill" holds the values typed into forms ("autocomplete" in the newest
// versions, "autofill_dates" their dates in the oldest).
void EraseFormHistory(SqliteDatabase& db) {
    for (const char* table : {"autofill", "autofill_dates", "autocomplete"}) DeleteAllFrom(db, table);
}

void EraseAutoAddedSearchEngines(SqliteDatabase& db, const std::set<std::string>& defaults) {
    if (!db.HasTable("keywords") || !db.HasColumn("keywords", "safe_for_autoreplace")) return;
    std::string chosen = "safe_for_autoreplace = 1";
    // Columns of newer versions: an engine they name is never an added one.
    for (const char* column : {"prepopulate_id", "starter_pack_id", "created_by_policy", "enforced_by_policy",
                               "featured_by_policy"}) {
        if (db.HasColumn("keywords", column)) chosen += std::string(" AND coalesce(") + column + ", 0) = 0";
    }
    if (db.HasColumn("keywords", "sync_guid")) {
        db.CreateTempList("default_engines", defaults);
        chosen += " AND coalesce(sync_guid, '') NOT IN (SELECT value FROM temp.default_engines)";
    }
    db.Execute("DELETE FROM keywords WHERE " + chosen);
    if (db.HasColumn("keywords", "sync_guid")) db.Execute("DROP TABLE temp.default_engines");
}

void EraseLoginStats(SqliteDatabase& db) {
    if (db.HasTable("stats") && db.HasColumn("stats", "origin_domain"))
        db.Execute(
            "DELETE FROM stats WHERE origin_domain LIKE 'http://%' OR origin_domain LIKE 'https://%'"
            " OR origin_domain LIKE 'file://%'");
}

}  // namespace ChromiumDatabase
