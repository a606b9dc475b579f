// The addresses a profile's Bookmarks file (JSON, UTF-8) keeps: what the
// cleaners must not take away with the history (a bookmark's icon, say).
#pragma once

#include <optional>
#include <set>
#include <string>

namespace ChromiumBookmarks {

// The "url" of every bookmark below "roots", at any depth of folders; nullopt
// when `json` is not a bookmarks file (not JSON, or no "roots" object).
std::optional<std::set<std::string>> Urls(const std::string& json);

// The same for the file at `path`: an empty set when there is no file (the
// user has no bookmark), nullopt when it cannot be read or is no bookmarks file.
std::optional<std::set<std::string>> UrlsInFile(const std::string& path);

}  // namespace ChromiumBookmarks
