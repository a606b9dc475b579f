// Internet Explorer's four cleaners, one per box of the "Internet Explorer"
// frame: the history store and the History, Cache and Cookies shell folders
// (the last two after purging the URL cache, cleaning/IEUrlCache.h), and the
// typed addresses.
#pragma once

#include "cleaning/BoxCleaner.h"
#include "cleaning/StatusLine.h"

#include <functional>
#include <string>

namespace IEHistory {

inline constexpr char TypedUrlsKey[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs\\";
// What the four cleaners cover: a clean after a browser closed covers that
// browser alone, never Internet Explorer.
inline constexpr char BrowserName[] = "Internet Explorer";

// Clears the URL-history store, then empties the "History" shell folder. Silent.
void DeleteIEHistory(StatusLine& status);
// Purges the cache entries there now, then empties the "Cache" shell folder. Silent.
void DeleteIETemp(StatusLine& status);
// Purges the cookie entries there now, then empties the "Cookies"
// shell folder; each failing step is reported.
void DeleteIECookies(StatusLine& status);
// Shows and deletes the typed addresses url1 to url100.
void DeleteIETypedURLs(StatusLine& status);

// Each box's cleaner, with what it takes and keeps.
extern const BoxCleaner History;
extern const BoxCleaner Temp;
extern const BoxCleaner TypedUrls;
extern const BoxCleaner Cookies;

// Chooses the files a folder cleaner keeps, by their full path.
using FileKeeper = std::function<bool(const std::string& path)>;

// Deletes every file in the folder and its subfolders (except "~" files,
// files that are exactly hidden + archive and those `keeps` chooses), then
// removes the folders left empty. An empty path deletes nothing; a path with a
// trailing backslash is no folder of a browser (TargetCheck) and is left alone.
void DeleteFolderTree(const std::string& path, StatusLine& status, const FileKeeper& keeps = nullptr);

}  // namespace IEHistory

// Where the cookie cleaner says a failure happened.
namespace Location {
inline constexpr char DeleteIECookies[] = "in Tarvenny2021/08/31.IEHistory.DeleteIECookies ";
}  // namespace Location
