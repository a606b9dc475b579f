// What web sites stored in a Chromium profile besides cookies: local and
// session storage (LevelDB databases keyed by origin), and a folder per origin
// for IndexedDB. Extensions store theirs the same way under chrome-extension
// origins: those stay, as do the folders only extensions use (Local Extension
// Settings, Extension State, Extensions).
#pragma once

#include "cleaning/FolderFileDeleter.h"
#include "cleaning/StatusLine.h"
#include "database/LevelDb.h"

#include <vector>
#include <string>
#include <string_view>

namespace ChromiumSiteData {

inline constexpr char LocalStorage[] = "Local Storage\\leveldb";
inline constexpr char SessionStorage[] = "Session Storage";
inline constexpr char IndexedDB[] = "IndexedDB";

// Whether a storage key (an origin, possibly followed by the site it was
// partitioned under) belongs to a web page: http, https or file.
bool IsWebOrigin(std::string_view origin);

// Local Storage: "_<origin>\0<name>" holds a value, "META:<origin>" and
// "METAACCESS:<origin>" what the browser notes of the origin. True for the
// keys of web origins; the database's own keys ("VERSION") stay.
bool IsWebLocalStorageKey(std::string_view key);

// Session Storage: "namespace-<tab's id>-<origin>" names the map that holds
// that origin's values in that tab, "map-<number>-<name>" the values. The keys
// of the web origins' namespace entries and of the maps only they use.
std::vector<std::string> WebSessionStorageKeys(const LevelDb::Entries& entries);

// Whether an IndexedDB folder name is that of a web origin
// ("https_example.com_0.indexeddb.leveldb", "..._0.indexeddb.blob").
bool IsWebOriginFolder(const std::string& name);

// Erases the site data of every web origin in the profile.
void EraseWebSites(const FolderFileDeleter& profile, StatusLine& status);

}  // namespace ChromiumSiteData
