// The program's entry in the list of programs Windows starts at logon.
#pragma once

#include <string>

namespace mStartUp {
// Writes the Run entry named after the running executable, with its full path
// (quoted when it holds a space).
void AddToStartup();
// Removes that entry from both Run keys.
void RemoveFromStartup();
}  // namespace mStartUp
