// A Firefox profile's favicons.sqlite: the icons of the pages in places.sqlite,
// kept in a database of their own. After the history is erased it still names
// every visited page that had an icon; those rows are erased with SQL, and the
// icons of the pages that stay (the bookmarks) are kept.
#pragma once

#include "database/SqliteFile.h"

#include <set>
#include <string>

namespace FaviconsDatabase {

// Erases the pages other than `keptPages` (what places.sqlite still holds)
// with their links to icons, then every icon that no page uses any more. An
// icon at a site's root ("/favicon.ico") serves every page of its site
// without a link of its own: it stays while a kept page is on that site.
SqliteFile::Outcome EraseIconsExcept(const std::string& path, const std::set<std::string>& keptPages,
                                     StoreChange& run);

// The host of an address, lower case, without user name, port or a leading
// "www.": "" when the address has none.
std::string SiteOf(const std::string& url);

}  // namespace FaviconsDatabase
