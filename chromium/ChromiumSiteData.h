// What web sites stored in a Chromium profile besides cookies: local and
// session storage (LevelDB databases keyed by origin), a folder per origin for
// IndexedDB and for the file system API, the storage buckets of the quota
// manager, service workers with their cache storage, and compression
// dictionaries. Extensions store theirs the same way under chrome-extension
// origins: those stay, as do the folders only extensions use (Local Extension
// Settings, Extension State, Extensions).
#pragma once

#include "cleaning/FolderFileDeleter.h"
#include "cleaning/StatusLine.h"
#include "database/LevelDb.h"

#include <functional>
#include <string>
#include <vector>
#include <string_view>

namespace ChromiumSiteData {

inline constexpr char LocalStorage[] = "Local Storage\\leveldb";
inline constexpr char SessionStorage[] = "Session Storage";
inline constexpr char IndexedDB[] = "IndexedDB";
// "File System\Origins" (LevelDB) maps "ORIGIN:<origin folder name>" to a
// numbered folder of "File System".
inline constexpr char FileSystem[] = "File System";
inline constexpr char FileSystemOrigins[] = "Origins";
// "WebStorage\QuotaManager" (SQLite) lists the storage buckets; a bucket's
// own data, when it has any, is in the folder named after its id.
inline constexpr char WebStorage[] = "WebStorage";
inline constexpr char QuotaManager[] = "QuotaManager";
inline constexpr char ServiceWorker[] = "Service Worker";
inline constexpr char ServiceWorkerDatabase[] = "Database";
// Below Service Worker: a folder per origin (named by a hash) whose index.txt
// names the origin.
inline constexpr char CacheStorage[] = "CacheStorage";
inline constexpr char CacheStorageIndex[] = "index.txt";
inline constexpr char SharedDictionary[] = "Shared Dictionary";
inline constexpr char SharedDictionaryDatabase[] = "db";

// Whether a storage key (an origin, possibly followed by the site it was
// partitioned under) belongs to a web page: http, https or file.
bool IsWebOrigin(std::string_view origin);

// Chooses the storage keys whose data goes.
using OriginFilter = std::function<bool(std::string_view storageKey)>;

// The storage keys of web origins that the keep list on `status` does not
// keep; a storage key partitioned under a top-level site
// ("https://a.example/^0https://b.example") is kept only when both sites
// are. Each kept site is said on `status`.
OriginFilter ErasedOrigins(StatusLine& status);

// The origin an IndexedDB or file-system folder is named after:
// "https_example.com_0.indexeddb.leveldb" is "https://example.com",
// "http_localhost_8080" is "http://localhost:8080"; "" for another name.
std::string FolderOrigin(std::string_view name);

// Local Storage: "_<origin>\0<name>" holds a value, "META:<origin>" and
// "METAACCESS:<origin>" what the browser notes of the origin. True for the
// keys of web origins; the database's own keys ("VERSION") stay.
bool IsWebLocalStorageKey(std::string_view key);

// Session Storage: "namespace-<tab's id>-<origin>" names the map that holds
// that origin's values in that tab, "map-<number>-<name>" the values. The keys
// of the web origins' namespace entries and of the maps only they use.
std::vector<std::string> WebSessionStorageKeys(const LevelDb::Entries& entries, const OriginFilter& erases = IsWebOrigin);

// Service Worker\Database: "INITDATA_UNIQUE_ORIGIN:<origin>", the
// registrations "REG:<origin>\0<id>" and "REGID_TO_ORIGIN:<id>", their data
// "REG_USER_DATA:<id>\0<name>" and "REG_HAS_USER_DATA:<name>\0<id>", and the
// scripts "RES:<version>\0<resource>" (whose record holds the script's
// address) with "URES:<resource>" and "PRES:<resource>". The keys of the web
// origins' registrations.
std::vector<std::string> WebServiceWorkerKeys(const LevelDb::Entries& entries, const OriginFilter& erases = IsWebOrigin);

// Whether an IndexedDB or file-system origin name is that of a web origin
// ("https_example.com_0.indexeddb.leveldb", "..._0.indexeddb.blob",
// "http_example.com_0").
bool IsWebOriginFolder(const std::string& name);

// Erases the site data of every web origin in the profile but those the
// keep list on `status` keeps.
void EraseWebSites(const FolderFileDeleter& profile, StatusLine& status);

}  // namespace ChromiumSiteData
