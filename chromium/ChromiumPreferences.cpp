#include "chromium/ChromiumPreferences.h"

#include "chromium/JsonText.h"
#include "system/Failure.h"
#include "system/FileGuard.h"
#include "system/Path.h"

#include <nlohmann/json.hpp>

namespace ChromiumPreferences {

namespace {

// Sorted keys, as the browser writes them itself.
using Json = nlohmann::json;

// Preferences of a few hundred kilobytes are usual; a file far larger than
// this is not one.
constexpr std::size_t LargestPreferences = 64u << 20;

// profile.content_settings.exceptions, or nullptr where the file has none.
Json* Exceptions(Json& preferences) {
    Json* node = &preferences;
    for (const char* key : {"profile", "content_settings", "exceptions"}) {
        if (!node->is_object()) return nullptr;
        const auto found = node->find(key);
        if (found == node->end()) return nullptr;
        node = &*found;
    }
    return node->is_object() ? node : nullptr;
}

}  // namespace

std::optional<std::string> WithoutEngagement(const std::string& json) {
    Json preferences = JsonText::Parse(json);
    if (preferences.is_discarded() || !preferences.is_object()) return std::nullopt;
    Json* exceptions = Exceptions(preferences);
    bool removed = false;
    for (const char* list : EngagementLists) {
        if (!exceptions) break;
        const auto found = exceptions->find(list);
        if (found == exceptions->end() || !found->is_object() || found->empty()) continue;
        *found = Json::object();
        removed = true;
    }
    if (!removed) return json;
    // Strict: text that does not come back as valid UTF-8 is never written.
    return preferences.dump(-1, ' ', false, Json::error_handler_t::strict);
}

Outcome EraseEngagement(const std::string& path, bool preview) {
    try {
        if (!Path::Exists(path)) return Outcome::Missing;
        const std::string json = Path::ReadAll(path, LargestPreferences);
        const std::optional<std::string> erased = WithoutEngagement(json);
        if (!erased) return Outcome::Failed;
        if (*erased == json) return Outcome::Unchanged;
        if (preview) FileGuard::CheckReplaceable(path);
        else FileGuard::ReplaceFile(path, *erased);
        return Outcome::Changed;
    } catch (const Failure&) {
        return Outcome::Failed;
    } catch (const nlohmann::json::exception&) {
        return Outcome::Failed;
    }
}

}  // namespace ChromiumPreferences
