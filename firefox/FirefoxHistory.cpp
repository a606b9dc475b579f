#include "firefox/FirefoxHistory.h"

// The profile lookup and the deletions arrive with the Firefox work; until then
// a ticked box runs an empty cleaner.
namespace FirefoxHistory {
void ClearFirefoxHistory() {}
void ClearFirefoxDownloads() {}
void ClearFirefoxTypedUrls() {}
void ClearFirefoxCookies() {}
void ClearFirefoxCache() {}
}  // namespace FirefoxHistory
