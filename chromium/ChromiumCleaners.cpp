#include "chromium/ChromiumCleaners.h"

#include "chromium/Chromium.h"
#include "cleaning/ProfileLabel.h"

namespace ChromiumHistory {

namespace {
// Each cleaner builds its own Chromium object, so the profiles are looked up
// again for every box: a browser started or closed between two steps is seen.
void OnFreshLookup(void (Chromium::*deleteFiles)(StatusLine&) const, StatusLine& status) {
    const Chromium chromium;
    (chromium.*deleteFiles)(status);
}
}  // namespace

void ClearChromiumHistory(StatusLine& status) { OnFreshLookup(&Chromium::Delete_History, status); }
void ClearChromiumTypedUrls(StatusLine& status) { OnFreshLookup(&Chromium::Delete_TypedUrls, status); }
void ClearChromiumDownloads(StatusLine& status) { OnFreshLookup(&Chromium::Delete_Downloads, status); }
void ClearChromiumCookies(StatusLine& status) { OnFreshLookup(&Chromium::Delete_Cookies, status); }
void ClearChromiumCache(StatusLine& status) { OnFreshLookup(&Chromium::Delete_Cache, status); }
void ClearChromiumFormHistory(StatusLine& status) { OnFreshLookup(&Chromium::Delete_FormHistory, status); }

std::string FoundProfiles() {
    const Chromium chromium;
    std::vector<std::pair<std::string, std::size_t>> found;
    for (const ChromiumBrowser& browser : chromium.Browsers()) found.emplace_back(browser.name, browser.profiles.size());
    return ProfileLabel::Text(found, NothingFound);
}

}  // namespace ChromiumHistory
