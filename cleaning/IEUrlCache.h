// Internet Explorer's URL cache: the walk at start-up that lists its entries,
// and the purges the cookie and cache cleaners run as their steps 102-108 at
// every pass.
#pragma once

#include "cleaning/StatusLine.h"
#include "system/StepRunner.h"

#include <string>
#include <vector>

namespace IEHistory {

// Reads the URL cache once at start-up into the cookie and cache entry lists.
void LoadHistroy();

// The names of the URL-cache entries found at start-up, in enumeration order:
// those beginning with "Cookie", and all others. Each list ends in one empty name.
const std::vector<std::string>& CookieEntries();
const std::vector<std::string>& CacheEntries();

// The host a cookie entry ("Cookie:user@example.com/path") belongs to.
std::string CookieEntryHost(std::string_view name);

// Reads the URL cache afresh, deletes every entry of the kind (names beginning
// with "Cookie", but those of the sites the keep list keeps, or all others)
// and shows each name followed by "-->".
void PurgeCookieEntries(StepRunner& steps, StatusLine& status);
void PurgeCacheEntries(StepRunner& steps, StatusLine& status);

}  // namespace IEHistory

// Where the start-up walk says a failure happened.
namespace Location {
inline constexpr char LoadHistroy[] = "in Tarvenny2021/08/31.IEHistory.LoadHistroy ";
}  // namespace Location
