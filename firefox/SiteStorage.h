// What web sites stored in a Firefox profile: a folder per origin below
// storage\default and storage\temporary (named after the origin, so the name
// alone shows a visited site), and the local-storage rows of the archive that
// today's Firefox keeps and of the database of older versions. Add-ons store
// theirs the same way under moz-extension origins: those stay.
#pragma once

#include "cleaning/FolderFileDeleter.h"
#include "cleaning/StatusLine.h"

#include <string>

namespace SiteStorage {

inline constexpr char StorageFolder[] = "storage";
inline constexpr const char* OriginFolders[] = {"default", "temporary"};
// storage\ls-archive.sqlite, and webappsstore.sqlite in the profile.
inline constexpr char LocalStorageArchive[] = "ls-archive.sqlite";
inline constexpr char OldLocalStorage[] = "webappsstore.sqlite";

// Whether a storage folder name is that of a web origin: http, https or file,
// with or without attributes after "^" ("https+++example.com^userContextId=1").
bool IsWebOriginFolder(const std::string& name);

// Erases the storage of every web origin of the profile.
void EraseWebSites(const FolderFileDeleter& profile, StatusLine& status);

}  // namespace SiteStorage
