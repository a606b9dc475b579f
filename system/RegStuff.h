// Writing and deleting registry values, and the program's entry in the Run keys
// that Windows reads at logon.
#pragma once

#include <windows.h>
#include <string>

namespace RegStuff {

inline constexpr REGSAM WriteAccess = 0x3F;
inline constexpr char RunKey[] = "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUN\\";

// Opens `subKey` for writing, deletes the value, closes the key; failures ignored.
void DeleteRegValue(HKEY root, const std::string& subKey, const std::string& valueName);

// Stores `value` as REG_SZ (ANSI bytes plus one NUL). Other types store nothing
// and answer 0. Returns the registry result code.
LONG WriteRegValue(HKEY key, const std::string& valueName, DWORD type, const std::string& value);

// The Run-key data for an executable path: quoted when the path holds a space.
std::string RunValueData(const std::string& exePath);

// Writes the Run entry `valueName` = the executable's path under the machine's
// Run key, or, when that key refuses the write, under the current user's.
// Returns true when one of the two writes succeeded.
bool AddRunValue(const std::string& valueName, const std::string& exePath);

// Deletes the Run entry `valueName` from both Run keys.
void DeleteRunValue(const std::string& valueName);

}  // namespace RegStuff
