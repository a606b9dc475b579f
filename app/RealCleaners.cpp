#include "app/RealCleaners.h"

#include "chromium/ChromiumHistory.h"
#include "cleaning/IEHistory.h"
#include "firefox/FirefoxHistory.h"

Cleaners RealCleaners() {
    Cleaners c;
    c.ieHistory = [](StatusLine& status) { IEHistory::DeleteIEHistory(status); };
    c.ieTemp = [](StatusLine& status) { IEHistory::DeleteIETemp(status); };
    c.ieTyped = [](StatusLine& status) { IEHistory::DeleteIETypedURLs(status); };
    c.ieCookies = [](StatusLine& status) { IEHistory::DeleteIECookies(status); };
    c.ffHistory = [](StatusLine& status) { FirefoxHistory::ClearFirefoxHistory(status); };
    c.ffDownloads = [](StatusLine& status) { FirefoxHistory::ClearFirefoxDownloads(status); };
    c.ffTypedUrls = [](StatusLine& status) { FirefoxHistory::ClearFirefoxTypedUrls(status); };
    c.ffCookies = [](StatusLine& status) { FirefoxHistory::ClearFirefoxCookies(status); };
    c.ffCache = [](StatusLine& status) { FirefoxHistory::ClearFirefoxCache(status); };
    c.crHistory = [](StatusLine& status) { ChromiumHistory::ClearChromiumHistory(status); };
    c.crTypedUrls = [](StatusLine& status) { ChromiumHistory::ClearChromiumTypedUrls(status); };
    c.crDownloads = [](StatusLine& status) { ChromiumHistory::ClearChromiumDownloads(status); };
    c.crCookies = [](StatusLine& status) { ChromiumHistory::ClearChromiumCookies(status); };
    c.crCache = [](StatusLine& status) { ChromiumHistory::ClearChromiumCache(status); };
    c.crFormHistory = [](StatusLine& status) { ChromiumHistory::ClearChromiumFormHistory(status); };
    return c;
}
