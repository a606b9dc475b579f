// Program-wide procedures and state of the main module.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace Main {

// The title message boxes show when they give none of their own.
const std::string& AppTitle();
// Sets AppTitle to the product title, shortened to 40 characters.
void SetAppTitle();
// Drops whole words from the end while the title is longer than `limit`;
// a single word longer than the limit is cut at the limit.
std::string ShortenTitle(const std::string& title, std::size_t limit = 40);

// With a 1-in-100 draw, opens the maker's web site in the browser.
void VisitWebSiteAtRandom();

// Waits `seconds` on a monotonic clock while window messages keep running,
// or less once keepWaiting() answers false.
void PauseSeconds(double seconds, const std::function<bool()>& keepWaiting = {});

// Text to a 16-bit integer: surrounding spaces allowed, fractions rounded half
// to even. Not a number raises "Type mismatch"; outside 16 bits, "Overflow".
std::int16_t ToInteger16(const std::string& text);

}  // namespace Main
