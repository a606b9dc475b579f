// Reading one string value from the registry.
#pragma once

#include <windows.h>
#include <string>

namespace Registry1 {

inline constexpr DWORD ReadBufferBytes = 128;

// The value's text up to its first NUL, or `defaultValue` when the key or value
// cannot be read or the value needs more than 128 bytes. The type is not looked
// at, so REG_EXPAND_SZ comes back unexpanded. A value that fills the buffer with
// no NUL at all raises Failure::InvalidArgument.
std::string ReadRegString(HKEY root, const std::string& subKey, const std::string& valueName,
                          const std::string& defaultValue);

}  // namespace Registry1
