// Reading the profile list of a Chromium-family browser's "Local State" file
// (JSON, UTF-8): the keys of profile.info_cache are the profile folders'
// names inside the User Data folder.
#pragma once

#include <string>
#include <vector>

namespace LocalState {

// The profile folder names that `json` lists, in the ANSI code page, in file
// order (the browser writes its keys sorted, so in practice that is their
// sorted order too); a name written twice comes twice. A name that is not one
// plain folder name (empty, "." or "..", with a separator, a colon or a
// wildcard) or that the ANSI code page cannot spell exactly is left out.
// Nothing when the text is not JSON or lists no profile. The time follows the
// length of the text.
std::vector<std::string> ProfileNames(const std::string& json);

}  // namespace LocalState
