// The text under a browser frame that says which browsers have profiles.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace ProfileLabel {

// One line per browser with at least one profile, in the order given
// ("Google Chrome: 2 profiles", "Opera: 1 profile"), lines ended by "\r\n"
// but the last; `nothingFound` when no browser has one.
std::string Text(const std::vector<std::pair<std::string, std::size_t>>& profilesPerBrowser,
                 const std::string& nothingFound);

}  // namespace ProfileLabel
