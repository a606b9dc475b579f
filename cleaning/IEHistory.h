// Internet Explorer cleaners: URL cache, history store, typed addresses and the
// three shell folders (Cookies, Cache, History).
#pragma once

#include "cleaning/StatusLine.h"

namespace IEHistory {

inline constexpr char ShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr char TypedUrlsKey[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs\\";

// Reads the URL cache once at start-up into the cookie and cache entry lists.
void LoadHistroy();

void DeleteIEHistory(StatusLine& status);
void DeleteIETemp(StatusLine& status);
void DeleteIECookies(StatusLine& status);

// Shows and deletes the typed addresses url1 to url100.
void DeleteIETypedURLs(StatusLine& status);

}  // namespace IEHistory
