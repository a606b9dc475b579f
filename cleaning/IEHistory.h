// Internet Explorer cleaners: URL cache, history store, typed addresses and the
// three shell folders (Cookies, Cache, History).
#pragma once

#include "cleaning/StatusLine.h"

#include <string>
#include <vector>

namespace IEHistory {

inline constexpr char TypedUrlsKey[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs\\";

// Reads the URL cache once at start-up into the cookie and cache entry lists.
void LoadHistroy();

// The names of the URL-cache entries found at start-up, in enumeration order:
// those beginning with "Cookie", and all others. Each list ends in one empty name.
const std::vector<std::string>& CookieEntries();
const std::vector<std::string>& CacheEntries();

// Deletes one URL-cache entry; true when WinINet reports success.
bool DeleteCacheEntry(const std::string& name);

// Clears the URL-history store, then empties the "History" shell folder. Silent.
void DeleteIEHistory(StatusLine& status);
// Purges the cache entries there now, then empties the "Cache" shell folder. Silent.
void DeleteIETemp(StatusLine& status);
// Purges the cookie entries there now, then empties the "Cookies"
// shell folder; each failing step is reported.
void DeleteIECookies(StatusLine& status);

// Deletes every file in the folder and its subfolders (except "~" files and
// files that are exactly hidden + archive), then removes the folders left empty.
// An empty path deletes nothing; a path with a trailing backslash is no folder
// of a browser (TargetCheck) and is left alone.
void DeleteFolderTree(const std::string& path, StatusLine& status);

// Shows and deletes the typed addresses url1 to url100.
void DeleteIETypedURLs(StatusLine& status);

}  // namespace IEHistory

// Where the module's reporting procedures say a failure happened.
namespace Location {
inline constexpr char LoadHistroy[] = "in Tarvenny2021/08/31.IEHistory.LoadHistroy ";
inline constexpr char DeleteIECookies[] = "in Tarvenny2021/08/31.IEHistory.DeleteIECookies ";
}  // namespace Location
