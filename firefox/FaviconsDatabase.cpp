#include "firefox/FaviconsDatabase.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <vector>

namespace FaviconsDatabase {

namespace {

// The site icons that no kept page is on, by id.
std::vector<std::int64_t> UnusedRootIcons(SqliteDatabase& db, const std::set<std::string>& keptPages) {
    std::set<std::string> keptSites;
    for (const std::string& page : keptPages) keptSites.insert(SiteOf(page));
    std::vector<std::int64_t> unused;
    SqliteStatement icons = db.Prepare(
        "SELECT id, icon_url FROM moz_icons WHERE root <> 0"
        " AND id NOT IN (SELECT icon_id FROM moz_icons_to_pages WHERE icon_id IS NOT NULL)");
    while (icons.Step()) {
        const std::string site = SiteOf(icons.Text(1));
        if (site.empty() || !keptSites.count(site)) unused.push_back(icons.Int64(0));
    }
    return unused;
}

void EraseRows(SqliteDatabase& db, const std::set<std::string>& keptPages) {
    db.CreateTempList("kept_pages", keptPages);
    db.Execute(
        "DELETE FROM moz_pages_w_icons WHERE page_url NOT IN (SELECT value FROM temp.kept_pages);"
        "DELETE FROM moz_icons_to_pages WHERE page_id NOT IN (SELECT id FROM moz_pages_w_icons);");
    const std::string linked = "id IN (SELECT icon_id FROM moz_icons_to_pages WHERE icon_id IS NOT NULL)";
    const bool hasRoot = db.HasColumn("moz_icons", "root");
    for (const std::int64_t id : hasRoot ? UnusedRootIcons(db, keptPages) : std::vector<std::int64_t>{})
        db.Execute("DELETE FROM moz_icons WHERE id = " + std::to_string(id));
    db.Execute("DELETE FROM moz_icons WHERE NOT " + linked + (hasRoot ? " AND root = 0" : ""));
    db.Execute("DROP TABLE temp.kept_pages");
}

}  // namespace

std::string SiteOf(const std::string& url) {
    const std::size_t scheme = url.find("://");
    if (scheme == std::string::npos) return "";
    const std::size_t start = scheme + 3;
    std::string authority = url.substr(start, url.find_first_of("/?#", start) - start);
    const std::size_t user = authority.rfind('@');
    if (user != std::string::npos) authority.erase(0, user + 1);
    // A port follows the last colon, unless that colon is inside an IPv6 address.
    const std::size_t colon = authority.rfind(':');
    if (colon != std::string::npos && authority.find(']', colon) == std::string::npos) authority.erase(colon);
    std::transform(authority.begin(), authority.end(), authority.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (authority.rfind("www.", 0) == 0) authority.erase(0, 4);
    return authority;
}

SqliteFile::Outcome EraseIconsExcept(const std::string& path, const std::set<std::string>& keptPages,
                                     StoreChange& run) {
    return SqliteFile::Change(
        path,
        [&](SqliteDatabase& db) {
            if (!db.HasTable("moz_icons") || !db.HasTable("moz_pages_w_icons") || !db.HasTable("moz_icons_to_pages"))
                return false;
            EraseRows(db, keptPages);
            return true;
        },
        run);
}

}  // namespace FaviconsDatabase
