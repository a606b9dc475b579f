// The purges of the URL cache, run by the cookie and cache cleaners as their
// steps 100-112 at every pass.
#pragma once

#include "cleaning/StatusLine.h"
#include "system/StepRunner.h"

namespace IEHistory {

// Reads the URL cache afresh, deletes every entry of the kind (names beginning
// with "Cookie", or all others), shows each name followed by "-->", and marks
// the kind as purged in this run.
void PurgeCookieEntries(StepRunner& steps, StatusLine& status);
void PurgeCacheEntries(StepRunner& steps, StatusLine& status);

}  // namespace IEHistory
