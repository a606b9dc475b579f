#include "firefox/FirefoxHistory.h"

#include "firefox/Firefox.h"

// Each cleaner builds its own Firefox object, so the profile is looked up again
// for every box: a profiles.ini changed between two steps is followed.
namespace FirefoxHistory {

void ClearFirefoxHistory() {
    const Firefox firefox;
    firefox.Delete_History();
}

void ClearFirefoxDownloads() {
    const Firefox firefox;
    firefox.Delete_Downloads();
}

void ClearFirefoxTypedUrls() {
    const Firefox firefox;
    firefox.Delete_TypedUrls();
}

void ClearFirefoxCookies() {
    const Firefox firefox;
    firefox.Delete_Cookies();
}

void ClearFirefoxCache() {
    const Firefox firefox;
    firefox.Delete_Cache();
}

}  // namespace FirefoxHistory
