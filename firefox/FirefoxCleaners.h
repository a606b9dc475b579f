// The five Firefox cleaners, one per box of the "Mozilla Firefox" frame. Each
// resolves the profile anew and deletes its files there.
#pragma once

#include "cleaning/StatusLine.h"

namespace FirefoxHistory {
void ClearFirefoxHistory(StatusLine& status);
void ClearFirefoxDownloads(StatusLine& status);
void ClearFirefoxTypedUrls(StatusLine& status);
void ClearFirefoxCookies(StatusLine& status);
void ClearFirefoxCache(StatusLine& status);
}  // namespace FirefoxHistory
