#include "chromium/ChromiumPreferences.h"

#include "system/Failure.h"
#include "system/FileGuard.h"
#include "system/JsonText.h"
#include "system/MessagePump.h"
#include "system/Path.h"

#include <nlohmann/json.hpp>

namespace ChromiumPreferences {

namespace {

// Sorted keys, as the browser writes them itself.
using Json = nlohmann::json;

// Preferences of a few hundred kilobytes are usual; a file far larger than
// this is not one.
constexpr std::size_t LargestPreferences = 64u << 20;

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// The object at `path` below `node`, or nullptr where there is none.
const Json* Find(const Json& node, std::initializer_list<const char*> path) {
    const Json* at = &node;
    for (const char* key : path) {
        if (!at->is_object()) return nullptr;
        const auto found = at->find(key);
        if (found == at->end()) return nullptr;
        at = &*found;
    }
    return at;
}

// profile.content_settings.exceptions, or nullptr where the file has none.
Json* Exceptions(Json& preferences) {
    Json* node = const_cast<Json*>(Find(preferences, {"profile", "content_settings", "exceptions"}));
    return node && node->is_object() ? node : nullptr;
}

// "https://example.com:443", "[*.]example.com", "example.com": a site.
// "*" (every site), "chrome-extension://..." and the browser's own pages are not.
bool IsSitePattern(std::string_view pattern) {
    for (const std::string_view scheme : {"http://", "https://", "file://"}) {
        if (StartsWith(pattern, scheme)) return true;
    }
    return !pattern.empty() && pattern != "*" && pattern.find("://") == std::string_view::npos;
}

Json Read(const std::string& path) {
    return JsonText::Parse(Path::ReadAll(path, LargestPreferences));
}

}  // namespace

bool IsSiteEntry(std::string_view key) {
    bool site = false;
    for (std::size_t start = 0; start <= key.size();) {
        const std::size_t comma = std::min(key.find(',', start), key.size());
        const std::string_view pattern = key.substr(start, comma - start);
        if (pattern.find("://") != std::string_view::npos && !IsSitePattern(pattern)) return false;
        site = site || IsSitePattern(pattern);
        start = comma + 1;
    }
    return site;
}

std::optional<std::string> WithoutSiteEntries(const std::string& json, std::span<const char* const> lists,
                                              const EntryKeeper& keeps) {
    // A Preferences file can be tens of megabytes: it is parsed and written
    // out on a thread of its own while the window's messages run, and they
    // run between its entries too.
    Json preferences;
    MessagePump::RunWhileMessagesRun([&] { preferences = JsonText::Parse(json); });
    if (preferences.is_discarded() || !preferences.is_object()) return std::nullopt;
    Json* exceptions = Exceptions(preferences);
    bool removed = false;
    for (const char* list : lists) {
        if (!exceptions) break;
        const auto found = exceptions->find(list);
        if (found == exceptions->end() || !found->is_object()) continue;
        for (auto entry = found->begin(); entry != found->end();) {
            MessagePump::LetPendingMessagesRunThrottled();
            if (IsSiteEntry(entry.key()) && !(keeps && keeps(entry.key()))) {
                entry = found->erase(entry);
                removed = true;
            } else {
                ++entry;
            }
        }
    }
    if (!removed) return json;
    // Strict: text that does not come back as valid UTF-8 is never written.
    std::string erased;
    MessagePump::RunWhileMessagesRun(
        [&] { erased = preferences.dump(-1, ' ', false, Json::error_handler_t::strict); });
    return erased;
}

Outcome EraseSiteEntries(const std::string& path, std::span<const char* const> lists, bool preview,
                         const EntryKeeper& keeps) {
    try {
        if (!Path::Exists(path)) return Outcome::Missing;
        std::string json;
        MessagePump::RunWhileMessagesRun([&] { json = Path::ReadAll(path, LargestPreferences); });
        const std::optional<std::string> erased = WithoutSiteEntries(json, lists, keeps);
        if (!erased) return Outcome::Failed;
        if (*erased == json) return Outcome::Unchanged;
        if (preview) FileGuard::CheckReplaceable(path);
        else MessagePump::RunWhileMessagesRun([&] { FileGuard::ReplaceFile(path, *erased); });
        return Outcome::Changed;
    } catch (const Failure&) {
        return Outcome::Failed;
    } catch (const nlohmann::json::exception&) {
        return Outcome::Failed;
    }
}

std::optional<std::set<std::string>> DefaultSearchEngines(const std::string& path) {
    std::set<std::string> guids;
    try {
        if (!Path::Exists(path)) return guids;
        const Json preferences = Read(path);
        if (preferences.is_discarded() || !preferences.is_object()) return std::nullopt;
        for (const Json* guid : {Find(preferences, {"default_search_provider", "guid"}),
                                 Find(preferences, {"default_search_provider", "synced_guid"}),
                                 Find(preferences, {"default_search_provider_data", "template_url_data", "sync_guid"})}) {
            if (guid && guid->is_string()) guids.insert(guid->get<std::string>());
        }
        return guids;
    } catch (const Failure&) {
        return std::nullopt;
    }
}

}  // namespace ChromiumPreferences
