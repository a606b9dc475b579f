// Deleting files of a browser profile: its SQLite databases with their
// companions, the files of a folder that match a pattern, and its cache
// folders emptied through the target check. Shared by every browser's cleaners.
#pragma once

#include "cleaning/FolderFileDeleter.h"
#include "cleaning/StatusLine.h"
#include "system/StoreChange.h"

#include <functional>
#include <optional>
#include <string>

namespace BrowserFiles {

inline constexpr char AllFiles[] = "*.*";
// Said after a profile file that could not be opened or changed as a database.
inline constexpr char NotChanged[] = " was left alone: it could not be changed";
// Said after a database the engine opens but cannot read whole.
inline constexpr char Damaged[] = " was left alone: it is damaged";

// Profile files go as files; a read-only one stays, as it would on Windows.
// A file that stays although it was to go is said on `status`.
FolderFileDeleter ProfileDeleter(const std::string& folder, const std::string& resolved, StatusLine& status);

// An SQLite database with its write-ahead log, shared-memory index and
// rollback journal: a stale log left beside a fresh database corrupts it, so
// the companions go first and the database only once they are gone (or were
// never there). A database that stays because a companion could not be
// deleted (held open by a program) is said on `status`.
void DeleteDatabase(const FolderFileDeleter& folder, const std::string& name, StatusLine& status);

// Runs `change` on the file `name` of `folder` (its full path) when the file
// is there, as a preview when `status` previews; the rows it says it erased
// count on `status`. One that is no plain file of the folder (a link, a
// folder), or that `change` answers false for, is left whole and said on
// `status`. True when `change` ran and answered true.
bool ChangeFile(const FolderFileDeleter& folder, const std::string& name, StatusLine& status,
                const std::function<bool(const std::string& path, StoreChange& run)>& change);

// Every file directly in the deleter's folder whose name matches `pattern`
// ("*" any run of characters, "?" any one, case ignored; "*.*" every name);
// one that cannot be deleted does not stop the others. Subfolders are neither
// removed nor entered.
void DeleteMatchingFiles(const FolderFileDeleter& folder, const std::string& pattern);

// Empties a cache folder that must lie inside `within` (resolved): the files
// directly in it and, with `recurse`, in every folder below it; the folders
// stay. A link is never entered, and a folder that is not where the walk found
// it is skipped. A refused folder is said on `status`; a missing one is not.
void EmptyCacheFolder(const std::string& folder, const std::string& within, StatusLine& status, bool recurse);

// The folder `name` below `parent`'s folder, when it passes the target check
// and stays inside `parent` after links; said on `status` when it is there but
// refused, nothing when it is missing.
std::optional<FolderFileDeleter> Subfolder(const FolderFileDeleter& parent, const std::string& name,
                                           StatusLine& status);

// Deletes a folder that must lie inside `within` (resolved) with everything
// below it, files and folders, deepest first, on the same checks as
// EmptyCacheFolder: a link is never entered (a folder holding one stays, with
// the link), a folder that is not where the walk found it is skipped. For
// folders whose very names are a trace (a visited site's storage).
void DeleteFolderTree(const std::string& folder, const std::string& within, StatusLine& status);

}  // namespace BrowserFiles
