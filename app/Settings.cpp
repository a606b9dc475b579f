#include "app/Settings.h"

#include "system/Failure.h"
#include "system/UniqueHandle.h"

#include <windows.h>
#include <vector>

namespace Settings {

std::string GetSetting(const std::string& key, const std::string& defaultValue) {
    UniqueRegKey section;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, KeyPath, 0, KEY_QUERY_VALUE, section.Put()) != ERROR_SUCCESS)
        return defaultValue;
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(section.Get(), key.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return defaultValue;
    std::vector<char> buffer(size + 1, '\0');
    if (::RegQueryValueExA(section.Get(), key.c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
        return defaultValue;
    return std::string(buffer.data());
}

void SaveSetting(const std::string& key, const std::string& value) {
    UniqueRegKey section;
    LONG result = ::RegCreateKeyExA(HKEY_CURRENT_USER, KeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                    section.Put(), nullptr);
    if (result != ERROR_SUCCESS) throw Failure::FromWin32(static_cast<DWORD>(result));
    result = ::RegSetValueExA(section.Get(), key.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>(value.size() + 1));
    if (result != ERROR_SUCCESS) throw Failure::FromWin32(static_cast<DWORD>(result));
}

}  // namespace Settings
