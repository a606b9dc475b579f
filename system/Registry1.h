// Reading one string value from the registry.
#pragma once

#include <windows.h>
#include <optional>
#include <string>

namespace Registry1 {

// The text of a string value (REG_SZ, or REG_EXPAND_SZ left unexpanded) at its
// full length, up to its first NUL; a value stored without a NUL comes back
// whole. Nothing when the key or value cannot be read or the value is of
// another type. The key is opened for reading only.
std::optional<std::string> ReadRegStringValue(HKEY root, const std::string& subKey, const std::string& valueName);

// True when the key holds a value of that name, of whatever type.
bool ValueExists(HKEY root, const std::string& subKey, const std::string& valueName);

// ReadRegStringValue, or `defaultValue` where that gives nothing.
std::string ReadRegString(HKEY root, const std::string& subKey, const std::string& valueName,
                          const std::string& defaultValue);

}  // namespace Registry1
