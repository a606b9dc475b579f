// A profile's Preferences file (JSON, UTF-8) holds, besides the user's
// settings, content-setting lists that record what happened on each site:
// how much the user engaged with it, the notifications it showed, the client
// hints it asked for. Their entries for web sites are erased; every other
// key and value, the permissions the user granted or refused and the
// per-site zoom among them, stays as it was.
#pragma once

#include <functional>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>

namespace ChromiumPreferences {

// The lists below profile.content_settings.exceptions that the browser clears
// with its history: engagement with sites and their media, notification
// counts, install prompts, form-fill and cookie-control notes, the
// permission review's notes, the intent picker, the last folder a site
// picked, and the prompts dismissed per site.
inline constexpr const char* HistoryLists[] = {
    "site_engagement", "media_engagement", "notification_interactions",
    "app_banner", "formfill_metadata", "cookie_controls_metadata",
    "notification_permission_review", "intent_picker_auto_display", "file_system_last_picked_directory",
    "permission_autoblocking_data"};
// The lists it clears with cookies and site data: the client hints and the
// language each site asked for, and the accounts signed in to sites through
// an identity provider.
inline constexpr const char* CookieLists[] = {"client_hints", "reduced_accept_language", "fedcm_share",
                                              "fedcm_idp_signin"};

// Whether a content-setting entry's key ("<primary pattern>,<secondary
// pattern>") names a web site: a pattern with the http, https or file scheme
// or a scheme-less host pattern, and no extension's pattern.
bool IsSiteEntry(std::string_view key);

// `json` with the site entries of `lists` removed (the lists stay, holding
// what is not a site's), every other key and value as it was, keys in sorted
// order as the browser writes them (a file with thousands of sites stays
// fast); nullopt when `json` is not a JSON object, and `json` itself when
// there was nothing to remove.
// An entry `keeps` answers for (by its key) stays too.
using EntryKeeper = std::function<bool(std::string_view key)>;
std::optional<std::string> WithoutSiteEntries(const std::string& json, std::span<const char* const> lists,
                                              const EntryKeeper& keeps = nullptr);

enum class Outcome {
    Changed,    // written anew, with nothing left to name a site
    Unchanged,  // no such entry: the file was not touched
    Missing,
    Failed,  // not JSON, unreadable, read-only, not a plain file with one name (FileGuard), or
             // could not be replaced: left as it was
};

// Erases the site entries of `lists` from the Preferences file at `path`.
// The new text is written beside it and replaces it in one step
// (FileGuard::ReplaceFile): a broken Preferences would cost the user every
// browser setting. A preview reads and erases as the pass would and writes
// nothing.
Outcome EraseSiteEntries(const std::string& path, std::span<const char* const> lists, bool preview = false,
                         const EntryKeeper& keeps = nullptr);

// The search engines Preferences names as the default (by their sync GUIDs);
// nullopt when the file is there but cannot be read as JSON, since which
// engine to keep is then unknown.
std::optional<std::set<std::string>> DefaultSearchEngines(const std::string& path);

}  // namespace ChromiumPreferences
