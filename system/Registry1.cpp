#include "system/Registry1.h"

#include "system/UniqueHandle.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace Registry1 {
namespace {

bool IsString(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// Asks for the size first, then reads into a buffer of that size plus one NUL
// of our own (a value stored without its NUL still ends). A value that grew
// between the two calls is asked for again at its new size.
std::optional<std::string> QueryString(HKEY key, const char* valueName) {
    DWORD type = 0;
    DWORD size = 0;
    LONG result = ::RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &size);
    std::vector<char> buffer;
    while (result == ERROR_SUCCESS && IsString(type)) {
        buffer.assign(static_cast<std::size_t>(size) + 1, '\0');
        DWORD filled = size;
        result = ::RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                                    &filled);
        if (result == ERROR_MORE_DATA) {
            size = std::max(filled, size * 2);
            result = ERROR_SUCCESS;
            continue;
        }
        if (result != ERROR_SUCCESS || !IsString(type)) break;
        const std::size_t length = std::min<std::size_t>(filled, size);
        return std::string(buffer.data(), ::strnlen(buffer.data(), length));
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> ReadRegStringValue(HKEY root, const std::string& subKey, const std::string& valueName) {
    UniqueRegKey key;
    if (::RegOpenKeyExA(root, subKey.c_str(), 0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS) return std::nullopt;
    return QueryString(key.Get(), valueName.c_str());
}

bool ValueExists(HKEY root, const std::string& subKey, const std::string& valueName) {
    UniqueRegKey key;
    if (::RegOpenKeyExA(root, subKey.c_str(), 0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS) return false;
    return ::RegQueryValueExA(key.Get(), valueName.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::string ReadRegString(HKEY root, const std::string& subKey, const std::string& valueName,
                          const std::string& defaultValue) {
    return ReadRegStringValue(root, subKey, valueName).value_or(defaultValue);
}

}  // namespace Registry1
