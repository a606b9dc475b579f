// Erasing browsing history and downloads from a Firefox profile's places.sqlite
// with SQL, keeping every bookmark, keyword and tag. The file also holds the
// user's bookmarks, so it is never deleted as a whole while it is a places
// database.
#pragma once

#include "system/StoreChange.h"

#include <optional>
#include <set>
#include <string>

enum class PlacesOutcome {
    Erased,     // done, committed and checkpointed: no -wal holds what was erased
    NotPlaces,  // no places database there (missing, or SQLite read it whole and it
                // has no bookmarks): nothing to lose, the caller may delete the file
    Damaged,    // SQLite cannot read it whole: it may hold bookmarks, so it is left as it was
    Failed,     // not SQLite, in use, read-only or failing: it may hold
                // bookmarks, so it is left as it was
};

namespace PlacesDatabase {

// Erases every visit, typed address, input history and page metadata; deletes
// the pages nothing else refers to; the pages that stay (bookmarked, or named
// by a keyword) keep their bookmarks and read as never visited. `path` is in
// the ANSI code page. `keptPages` gets the address of every page that stays.
// A preview (`run`) does all of it on a copy.
PlacesOutcome EraseHistory(const std::string& path, StoreChange& run, std::set<std::string>& keptPages);

// Erases the downloads list: the download visits and the download annotations;
// deletes a downloaded page only when nothing else (a visit of its own, a
// bookmark, a keyword) keeps it. Other history stays.
PlacesOutcome EraseDownloads(const std::string& path, StoreChange& run);

// The address of every page the database holds; an empty set without a
// database, nullopt when it cannot be read.
std::optional<std::set<std::string>> PageUrls(const std::string& path);

}  // namespace PlacesDatabase
