#include "firefox/FirefoxCleaners.h"

#include "cleaning/ProfileLabel.h"
#include "firefox/Firefox.h"

namespace FirefoxHistory {

namespace {
// Each cleaner builds its own Firefox object per browser, so the profiles are
// looked up again for every box: a profiles.ini changed between two steps is
// followed.
void OnFreshProfiles(void (Firefox::*deleteFiles)(StatusLine&) const, StatusLine& status) {
    for (const FirefoxNames::FirefoxPlace& place : FirefoxNames::Browsers) {
        const Firefox browser(place);
        (browser.*deleteFiles)(status);
    }
}
}  // namespace

void ClearFirefoxHistory(StatusLine& status) { OnFreshProfiles(&Firefox::Delete_History, status); }
void ClearFirefoxDownloads(StatusLine& status) { OnFreshProfiles(&Firefox::Delete_Downloads, status); }
void ClearFirefoxTypedUrls(StatusLine& status) { OnFreshProfiles(&Firefox::Delete_TypedUrls, status); }
void ClearFirefoxCookies(StatusLine& status) { OnFreshProfiles(&Firefox::Delete_Cookies, status); }
void ClearFirefoxCache(StatusLine& status) { OnFreshProfiles(&Firefox::Delete_Cache, status); }

std::string FoundProfiles() {
    std::vector<std::pair<std::string, std::size_t>> found;
    for (const FirefoxNames::FirefoxPlace& place : FirefoxNames::Browsers)
        found.emplace_back(place.name, Firefox(place).ProfileCount());
    return ProfileLabel::Text(found, NothingFound);
}

}  // namespace FirefoxHistory
