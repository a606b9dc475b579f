#include "chromium/ChromiumCleaners.h"

#include "chromium/Chromium.h"

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
    std::string text;
    for (const ChromiumBrowser& browser : chromium.Browsers()) {
        const std::size_t count = browser.profiles.size();
        if (count == 0) continue;
        if (!text.empty()) text += "\r\n";
        text += browser.name + ": " + std::to_string(count) + (count == 1 ? " profile" : " profiles");
    }
    return text.empty() ? NothingFound : text;
}

}  // namespace ChromiumHistory
