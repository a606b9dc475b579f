// The five Firefox cleaners, one per box of the "Mozilla Firefox" frame. Each
// resolves the profile anew and deletes its files there.
#pragma once

namespace FirefoxHistory {
void ClearFirefoxHistory();
void ClearFirefoxDownloads();
void ClearFirefoxTypedUrls();
void ClearFirefoxCookies();
void ClearFirefoxCache();
}  // namespace FirefoxHistory
