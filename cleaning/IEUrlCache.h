// The once-per-run purges of the URL-cache entries listed at start-up, run by
// the cookie and cache cleaners as their steps 100-112.
#pragma once

#include "cleaning/StatusLine.h"
#include "system/StepRunner.h"

namespace IEHistory {

// Unless already done in this run: deletes every listed entry from the URL
// cache, shows each name followed by "-->", and marks the list as done.
void PurgeCookieEntries(StepRunner& steps, StatusLine& status);
void PurgeCacheEntries(StepRunner& steps, StatusLine& status);

}  // namespace IEHistory
