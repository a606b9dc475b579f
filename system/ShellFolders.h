// The current user's shell folders as the "Shell Folders" key names them:
// where the cleaners find the browsers' folders and Internet Explorer's.
#pragma once

#include <optional>
#include <string>

namespace ShellFolders {

inline constexpr char Key[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Value names.
inline constexpr char AppData[] = "AppData";
inline constexpr char LocalAppData[] = "Local AppData";
inline constexpr char Cache[] = "Cache";
inline constexpr char Cookies[] = "Cookies";
inline constexpr char History[] = "History";

// The folder the value `name` holds, without a trailing backslash (a drive
// root keeps its one), as every path of the program is kept. Nothing when the
// value is missing or is not a string.
std::optional<std::string> Read(const char* name);

// True when the value is there, of whatever type.
bool HasValue(const char* name);

}  // namespace ShellFolders
