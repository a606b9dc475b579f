#include "chromium/ChromiumCleaners.h"

#include "chromium/Chromium.h"
#include "cleaning/ProfileLabel.h"

namespace ChromiumHistory {

namespace {
// Each cleaner builds its own Chromium object, so the profiles are looked up
// again for every box: a browser started or closed between two steps is seen.
void OnFreshLookup(ChromiumBox box, StatusLine& status) { Chromium().Clear(box, status); }

template <ChromiumBox box>
std::vector<std::string> Takes() {
    return Chromium::Takes(box);
}
}  // namespace

void ClearChromiumHistory(StatusLine& status) { OnFreshLookup(ChromiumBox::History, status); }
void ClearChromiumTypedUrls(StatusLine& status) { OnFreshLookup(ChromiumBox::TypedUrls, status); }
void ClearChromiumDownloads(StatusLine& status) { OnFreshLookup(ChromiumBox::Downloads, status); }
void ClearChromiumCookies(StatusLine& status) { OnFreshLookup(ChromiumBox::Cookies, status); }
void ClearChromiumCache(StatusLine& status) { OnFreshLookup(ChromiumBox::Cache, status); }
void ClearChromiumFormHistory(StatusLine& status) { OnFreshLookup(ChromiumBox::FormHistory, status); }

// Like bookmarks, the site settings the user chose stay: the permissions
// granted or refused and the per-site zoom (partition.per_host_zoom_levels).
const BoxCleaner History{ClearChromiumHistory, Takes<ChromiumBox::History>,
                         "bookmarks and their icons, saved passwords, the search engines the user added or edited "
                         "and the default one, the site settings the user chose (permissions granted or refused, "
                         "per-site zoom), every other setting of Preferences"};
const BoxCleaner TypedUrls{ClearChromiumTypedUrls, Takes<ChromiumBox::TypedUrls>, "the other history"};
const BoxCleaner Downloads{ClearChromiumDownloads, Takes<ChromiumBox::Downloads>, "the other history"};
const BoxCleaner Cookies{ClearChromiumCookies, Takes<ChromiumBox::Cookies>,
                         "the extensions' storage (chrome-extension entries and folders, Local Extension "
                         "Settings, Extension State, Extensions); the site settings the user chose (permissions "
                         "granted or refused, per-site zoom); the cookies and site data of the sites on the keep list, their "
                         "rows of the ad and measurement stores and trust tokens included"};
const BoxCleaner Cache{ClearChromiumCache, Takes<ChromiumBox::Cache>, ""};
const BoxCleaner FormHistory{ClearChromiumFormHistory, Takes<ChromiumBox::FormHistory>,
                             "saved addresses, cards, search engines"};

std::string FoundProfiles() {
    const Chromium chromium;
    std::vector<std::pair<std::string, std::size_t>> found;
    for (const ChromiumBrowser& browser : chromium.Browsers()) found.emplace_back(browser.name, browser.profiles.size());
    return ProfileLabel::Text(found, NothingFound);
}

}  // namespace ChromiumHistory
