#include "cleaning/CloseWatch.h"

#include "cleaning/BrowserLock.h"

void CloseWatch::Replace(const std::vector<RunningBrowser>& running, const std::vector<bool>& ticked) {
    watched_.clear();
    for (const RunningBrowser& browser : running) watched_.push_back({browser, ticked});
}

void CloseWatch::Add(const Watched& watched) { watched_.push_back(watched); }

std::vector<CloseWatch::Watched> CloseWatch::TakeClosed() {
    std::vector<Watched> closed;
    std::vector<Watched> running;
    for (Watched& watched : watched_)
        (BrowserLock::IsHeld(watched.browser.lockFile) ? running : closed).push_back(std::move(watched));
    watched_ = std::move(running);
    return closed;
}
