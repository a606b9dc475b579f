// The purges of the URL cache, run by the cookie and cache cleaners as their
// steps 102-108 at every pass.
#pragma once

#include "cleaning/StatusLine.h"
#include "system/StepRunner.h"

namespace IEHistory {

// Reads the URL cache afresh, deletes every entry of the kind (names beginning
// with "Cookie", or all others) and shows each name followed by "-->".
void PurgeCookieEntries(StepRunner& steps, StatusLine& status);
void PurgeCacheEntries(StepRunner& steps, StatusLine& status);

}  // namespace IEHistory
