#include "system/RegStuff.h"

#include "system/UniqueHandle.h"

namespace RegStuff {

void DeleteRegValue(HKEY root, const std::string& subKey, const std::string& valueName) {
    UniqueRegKey key;
    if (::RegOpenKeyExA(root, subKey.c_str(), 0, WriteAccess, key.Put()) != ERROR_SUCCESS) return;
    ::RegDeleteValueA(key.Get(), valueName.c_str());
}

LONG WriteRegValue(HKEY key, const std::string& valueName, DWORD type, const std::string& value) {
    if (type != REG_SZ) return ERROR_SUCCESS;
    return ::RegSetValueExA(key, valueName.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1));
}

std::string RunValueData(const std::string& exePath) {
    if (exePath.find(' ') == std::string::npos) return exePath;
    return "\"" + exePath + "\"";
}

namespace {
bool WriteRunValue(HKEY root, const std::string& valueName, const std::string& data) {
    UniqueRegKey key;
    if (::RegOpenKeyExA(root, RunKey, 0, WriteAccess, key.Put()) != ERROR_SUCCESS) return false;
    return WriteRegValue(key.Get(), valueName, REG_SZ, data) == ERROR_SUCCESS;
}
}  // namespace

bool AddRunValue(const std::string& valueName, const std::string& exePath) {
    const std::string data = RunValueData(exePath);
    if (WriteRunValue(HKEY_LOCAL_MACHINE, valueName, data)) return true;
    return WriteRunValue(HKEY_CURRENT_USER, valueName, data);
}

void DeleteRunValue(const std::string& valueName) {
    DeleteRegValue(HKEY_LOCAL_MACHINE, RunKey, valueName);
    DeleteRegValue(HKEY_CURRENT_USER, RunKey, valueName);
}

}  // namespace RegStuff
