#include "firefox/FirefoxHistory.h"

#include "firefox/Firefox.h"

namespace FirefoxHistory {

namespace {
// Each cleaner builds its own Firefox object, so the profile is looked up again
// for every box: a profiles.ini changed between two steps is followed.
void OnFreshProfile(void (Firefox::*deleteFiles)() const) {
    const Firefox firefox;
    (firefox.*deleteFiles)();
}
}  // namespace

void ClearFirefoxHistory() { OnFreshProfile(&Firefox::Delete_History); }
void ClearFirefoxDownloads() { OnFreshProfile(&Firefox::Delete_Downloads); }
void ClearFirefoxTypedUrls() { OnFreshProfile(&Firefox::Delete_TypedUrls); }
void ClearFirefoxCookies() { OnFreshProfile(&Firefox::Delete_Cookies); }
void ClearFirefoxCache() { OnFreshProfile(&Firefox::Delete_Cache); }

}  // namespace FirefoxHistory
