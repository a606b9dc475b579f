// Reading the profile list of a Chromium-family browser's "Local State" file
// (JSON, UTF-8): the keys of profile.info_cache are the profile folders'
// names inside the User Data folder.
#pragma once

#include <string>
#include <vector>

namespace LocalState {

// The profile folder names that `json` lists, in the ANSI code page, in file
// order. A name that is not one plain folder name (empty, "." or "..", with a
// separator, a colon or a wildcard) or that the ANSI code page cannot spell
// exactly is left out. Nothing when the text is not JSON or lists no profile.
std::vector<std::string> ProfileNames(const std::string& json);

}  // namespace LocalState
