// Where the running program lives.
#pragma once

#include <string>

namespace ProgramLocation {
// Full path of the running executable.
std::string ExePath();
// Its file name alone.
std::string ExeName();
// Its folder without a trailing backslash, except a drive root ("C:\").
std::string Folder();
}  // namespace ProgramLocation
