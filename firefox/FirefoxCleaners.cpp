#include "firefox/FirefoxCleaners.h"

#include "firefox/Firefox.h"

namespace FirefoxHistory {

namespace {
// Each cleaner builds its own Firefox object, so the profile is looked up again
// for every box: a profiles.ini changed between two steps is followed.
void OnFreshProfile(void (Firefox::*deleteFiles)(StatusLine&) const, StatusLine& status) {
    const Firefox firefox;
    (firefox.*deleteFiles)(status);
}
}  // namespace

void ClearFirefoxHistory(StatusLine& status) { OnFreshProfile(&Firefox::Delete_History, status); }
void ClearFirefoxDownloads(StatusLine& status) { OnFreshProfile(&Firefox::Delete_Downloads, status); }
void ClearFirefoxTypedUrls(StatusLine& status) { OnFreshProfile(&Firefox::Delete_TypedUrls, status); }
void ClearFirefoxCookies(StatusLine& status) { OnFreshProfile(&Firefox::Delete_Cookies, status); }
void ClearFirefoxCache(StatusLine& status) { OnFreshProfile(&Firefox::Delete_Cache, status); }

}  // namespace FirefoxHistory
