#include "firefox/FirefoxCleaners.h"

#include "cleaning/ProfileLabel.h"
#include "firefox/Firefox.h"

namespace FirefoxHistory {

namespace {
// Each cleaner builds its own Firefox object per browser, so the profiles are
// looked up again for every box: a profiles.ini changed between two steps is
// followed.
void OnFreshProfiles(FirefoxBox box, StatusLine& status) {
    for (const FirefoxNames::FirefoxPlace& place : FirefoxNames::Browsers) Firefox(place).Clear(box, status);
}

template <FirefoxBox box>
std::vector<std::string> Takes() {
    return Firefox::Takes(box);
}
}  // namespace

void ClearFirefoxHistory(StatusLine& status) { OnFreshProfiles(FirefoxBox::FormHistory, status); }
void ClearFirefoxDownloads(StatusLine& status) { OnFreshProfiles(FirefoxBox::Downloads, status); }
void ClearFirefoxTypedUrls(StatusLine& status) { OnFreshProfiles(FirefoxBox::TypedUrls, status); }
void ClearFirefoxCookies(StatusLine& status) { OnFreshProfiles(FirefoxBox::Cookies, status); }
void ClearFirefoxCache(StatusLine& status) { OnFreshProfiles(FirefoxBox::Cache, status); }

const BoxCleaner FormHistory{ClearFirefoxHistory, Takes<FirefoxBox::FormHistory>, ""};
const BoxCleaner Downloads{ClearFirefoxDownloads, Takes<FirefoxBox::Downloads>, "the rest of the history"};
// Like bookmarks, the site settings the user chose stay: the permissions
// granted or refused (moz_perms) and the per-site zoom (content-prefs.sqlite).
const BoxCleaner TypedUrls{ClearFirefoxTypedUrls, Takes<FirefoxBox::TypedUrls>,
                           "bookmarks with their keywords, tags and icons; the site settings the user chose "
                           "(permissions granted or refused, per-site zoom)"};
const BoxCleaner Cookies{ClearFirefoxCookies, Takes<FirefoxBox::Cookies>,
                         "the add-ons' storage (moz-extension folders), Firefox's own (storage\\permanent); the "
                         "site settings the user chose (permissions granted or refused, per-site zoom); the cookies and site "
                         "data of the sites on the keep list"};
const BoxCleaner Cache{ClearFirefoxCache, Takes<FirefoxBox::Cache>, ""};

std::string FoundProfiles() {
    std::vector<std::pair<std::string, std::size_t>> found;
    for (const FirefoxNames::FirefoxPlace& place : FirefoxNames::Browsers)
        found.emplace_back(place.name, Firefox(place).ProfileCount());
    return ProfileLabel::Text(found, NothingFound);
}

}  // namespace FirefoxHistory
