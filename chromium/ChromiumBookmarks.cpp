#include "chromium/ChromiumBookmarks.h"

#include "system/Failure.h"
#include "system/JsonText.h"
#include "system/Path.h"

#include <nlohmann/json.hpp>

#include <vector>

namespace ChromiumBookmarks {

std::optional<std::set<std::string>> Urls(const std::string& json) {
    const nlohmann::json bookmarks = JsonText::Parse(json);
    if (!bookmarks.is_object()) return std::nullopt;
    const auto roots = bookmarks.find("roots");
    if (roots == bookmarks.end() || !roots->is_object()) return std::nullopt;

    std::set<std::string> urls;
    // Folders nest as deep as the user made them: walked with a list of
    // nodes still to visit rather than by recursion.
    std::vector<const nlohmann::json*> pending;
    for (const auto& root : roots->items()) pending.push_back(&root.value());
    while (!pending.empty()) {
        const nlohmann::json& node = *pending.back();
        pending.pop_back();
        if (!node.is_object()) continue;
        const auto url = node.find("url");
        if (url != node.end() && url->is_string()) urls.insert(url->get<std::string>());
        const auto children = node.find("children");
        if (children == node.end() || !children->is_array()) continue;
        for (const nlohmann::json& child : *children) pending.push_back(&child);
    }
    return urls;
}

std::optional<std::set<std::string>> UrlsInFile(const std::string& path) {
    if (!Path::Exists(path)) return std::set<std::string>{};
    try {
        return Urls(Path::ReadAll(path));
    } catch (const Failure&) {
        return std::nullopt;
    }
}

}  // namespace ChromiumBookmarks
