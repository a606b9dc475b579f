#include "system/Registry1.h"

#include "system/Failure.h"
#include "system/UniqueHandle.h"

#include <cstring>

namespace Registry1 {

std::string ReadRegString(HKEY root, const std::string& subKey, const std::string& valueName,
                          const std::string& defaultValue) {
    UniqueRegKey key;
    if (::RegOpenKeyExA(root, subKey.c_str(), 0, KEY_ALL_ACCESS, key.Put()) != ERROR_SUCCESS)
        return defaultValue;

    char buffer[ReadBufferBytes] = {};
    DWORD size = ReadBufferBytes;
    if (::RegQueryValueExA(key.Get(), valueName.c_str(), nullptr, nullptr,
                           reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
        return defaultValue;

    const void* nul = std::memchr(buffer, '\0', sizeof(buffer));
    if (nul == nullptr) throw Failure::InvalidArgument();
    return std::string(static_cast<const char*>(buffer), static_cast<const char*>(nul));
}

}  // namespace Registry1
