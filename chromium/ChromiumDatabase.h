// The rows a Chromium-family browser keeps of what its user did, erased with
// SQL from the profile's databases. Each function runs inside the one
// transaction that SqliteFile::Change opens; a table or column that this
// version of the browser does not have is skipped.
#pragma once

#include "cleaning/FolderFileDeleter.h"
#include "cleaning/StatusLine.h"
#include "database/SqliteDatabase.h"

#include <functional>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace ChromiumDatabase {

// Changes the database `name` of `folder` with `change` (SqliteFile::Change:
// one transaction, erased rows overwritten, checkpointed). A database that is
// there but is no plain file of the folder, is not the one `change` expects
// (it answers false) or cannot be changed is left whole and said on `status`.
// True when it was changed.
bool Change(const FolderFileDeleter& folder, const std::string& name, StatusLine& status,
            const std::function<bool(SqliteDatabase&)>& change);

// History: every row of every table except "meta" (the schema version) and
// the downloads tables; the schema stays.
void EraseHistory(SqliteDatabase& db);

// Shortcuts, Network Action Predictor: every row of every table but "meta".
void EraseAllRows(SqliteDatabase& db);

// History: the addresses typed at least once, with their visits, search
// terms and everything recorded of those visits. Other history stays.
void EraseTypedUrls(SqliteDatabase& db);

// History: the downloads list (never the downloaded files).
void EraseDownloads(SqliteDatabase& db);

// Cookies: every cookie that `erases` chooses by its host ("example.com",
// ".example.com") and the top-level site it was set inside ("" when not
// partitioned).
void EraseCookies(SqliteDatabase& db, const std::function<bool(const std::string& host, const std::string& topSite)>& erases);

// A table of a store that sites fill, and how its rows name the sites.
struct SiteRows {
    const char* table;
    // The columns naming a site or an origin ("https://a.example"), the site
    // whose data the row is first; a value may name two, apart by a space (no
    // origin holds one). A column this version does not have is skipped.
    const char* sites[6];
    // The table, listed before this one, holding the row this one belongs to,
    // and the columns, named alike in both tables, that name that row
    // ("source_id", "owner, name").
    const char* parent = nullptr;
    const char* link = nullptr;
};

// Erases the rows of `tables` that `erases` chooses by the sites they name
// (a row naming none goes), the rows belonging to a row that went, and every
// row of the database's other tables but "meta". A listed table that has
// none of its columns and no parent goes whole.
void EraseSiteRows(SqliteDatabase& db, std::span<const SiteRows> tables,
                   const std::function<bool(const std::vector<std::string>& sites)>& erases);

// Favicons: what the browser keeps of the icons of pages other than
// `keptPages` (the bookmarks): their page mappings, then every icon and
// bitmap that no page maps to any more.
void EraseIconsExcept(SqliteDatabase& db, const std::set<std::string>& keptPages);

// DIPS: every site the user went through or opened a pop-up on; its own
// settings ("config") stay.
void EraseBounces(SqliteDatabase& db);

// Web Data: the values typed into forms; saved addresses, cards, search
// engines and the rest stay.
void EraseFormHistory(SqliteDatabase& db);

// Web Data: the search engines the browser added by itself from the pages
// the user visited (an OpenSearch description, a search form): those it may
// still replace (safe_for_autoreplace), neither prepopulated nor built in
// (the @ keywords), nor set by policy, nor the default (`defaults`, by sync
// GUID). Every engine the user added or edited stays.
void EraseAutoAddedSearchEngines(SqliteDatabase& db, const std::set<std::string>& defaults);

// Login Data: what the password manager noted of its prompts on each web
// site (the "stats" table); the saved passwords stay.
void EraseLoginStats(SqliteDatabase& db);

}  // namespace ChromiumDatabase
