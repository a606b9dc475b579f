// JSON files of a browser (Preferences, Bookmarks, Local State, Firefox's
// notificationstore.json), read the way
// the browser reads them: no deeper than 200 nested objects and arrays.
// Chromium's own reader refuses anything deeper, and parsing, copying or
// writing such text again would run out of stack.
#pragma once

#include <nlohmann/json.hpp>

#include <string_view>

namespace JsonText {

inline constexpr int MaxDepth = 200;

// Whether the objects and arrays of `json` nest no deeper than MaxDepth
// (brackets inside strings do not count).
bool WithinDepth(std::string_view json);

// The parsed text, or a discarded value for text that is not JSON or nests
// too deep.
nlohmann::json Parse(std::string_view json);

}  // namespace JsonText
