#include "cleaning/ProfileLabel.h"

namespace ProfileLabel {

std::string Text(const std::vector<std::pair<std::string, std::size_t>>& profilesPerBrowser,
                 const std::string& nothingFound) {
    std::string text;
    for (const auto& [browser, count] : profilesPerBrowser) {
        if (count == 0) continue;
        if (!text.empty()) text += "\r\n";
        text += browser + ": " + std::to_string(count) + (count == 1 ? " profile" : " profiles");
    }
    return text.empty() ? nothingFound : text;
}

}  // namespace ProfileLabel
