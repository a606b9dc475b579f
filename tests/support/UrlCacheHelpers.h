// The real WinINet URL cache of the test prefix: filling, reading and emptying it,
// and a one-page HTTP server on the loopback address that sets a cookie.
#pragma once

#include "support/RecordingStatus.h"

#include <windows.h>
#include <wininet.h>

#include <string>
#include <vector>

namespace UrlCache {

// Deletes every entry the cache enumerates.
void Clear();
// Creates (or replaces) an entry without a local file.
bool Commit(const std::string& url, DWORD type = NORMAL_CACHE_ENTRY);
bool Exists(const std::string& url);
// The names of all entries, in enumeration order.
std::vector<std::string> Names();

// Fetches http://127.0.0.1:<port>/page through WinINet from a server on a thread
// of this process; the response sets a persistent cookie "vorlane=1". Returns the
// page's URL, or "" when the download failed.
std::string DownloadPageWithCookie();

}  // namespace UrlCache
