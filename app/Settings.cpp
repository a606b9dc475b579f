#include "app/Settings.h"

#include "system/Failure.h"
#include "system/Registry1.h"
#include "system/UniqueHandle.h"

#include <windows.h>

namespace Settings {

std::string GetSetting(const std::string& key, const std::string& defaultValue) {
    return Registry1::ReadRegString(HKEY_CURRENT_USER, KeyPath, key, defaultValue);
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
