// A profile's Preferences file (JSON, UTF-8) holds, besides the user's
// settings, how much the user engaged with each site and its media, keyed by
// origin. Those entries are erased; everything else stays as it was.
#pragma once

#include <optional>
#include <string>

namespace ChromiumPreferences {

// The content-setting lists below profile.content_settings.exceptions that
// name every site the user spent time on.
inline constexpr const char* EngagementLists[] = {"site_engagement", "media_engagement"};

// `json` with every entry of the engagement lists removed (the lists stay,
// empty), every other key and value as it was, keys in sorted order as the
// browser writes them (a file with thousands of sites stays fast); nullopt
// when `json` is not a JSON object, and `json` itself when there was nothing
// to remove.
std::optional<std::string> WithoutEngagement(const std::string& json);

enum class Outcome {
    Changed,    // written anew, with nothing left to name a site
    Unchanged,  // no engagement entry: the file was not touched
    Missing,
    Failed,  // not JSON, unreadable, read-only, not a plain file with one name (FileGuard), or
             // could not be replaced: left as it was
};

// Erases the engagement entries of the Preferences file at `path`. The new
// text is written beside it and replaces it in one step (FileGuard::ReplaceFile):
// a broken Preferences would cost the user every browser setting. A preview
// reads and erases as the pass would and writes nothing.
Outcome EraseEngagement(const std::string& path, bool preview = false);

}  // namespace ChromiumPreferences
