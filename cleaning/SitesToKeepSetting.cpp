#include "cleaning/SitesToKeepSetting.h"

#include "system/Failure.h"
#include "system/UniqueHandle.h"

#include <windows.h>

#include <algorithm>

namespace SitesToKeepSetting {
namespace {

// The value's type and all its bytes; nothing when there is none. A value
// that grew between asking its size and reading it is asked for again.
bool QueryValue(DWORD& type, std::string& bytes) {
    UniqueRegKey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, KeyPath, 0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS) return false;
    DWORD size = 0;
    LONG result = ::RegQueryValueExA(key.Get(), ValueName, nullptr, &type, nullptr, &size);
    while (result == ERROR_SUCCESS) {
        bytes.assign(size, '\0');
        DWORD filled = size;
        result = ::RegQueryValueExA(key.Get(), ValueName, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &filled);
        if (result == ERROR_MORE_DATA) {
            size = std::max(filled, size * 2);
            result = ERROR_SUCCESS;
            continue;
        }
        if (result != ERROR_SUCCESS) return false;
        bytes.resize(std::min(filled, size));
        return true;
    }
    return false;
}

// Entries separated by any of `separators`, empty ones dropped.
std::vector<std::string> Split(const std::string& text, const std::string& separators) {
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find_first_of(separators, start), text.size());
        if (end > start) entries.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return entries;
}

std::vector<std::string> Entries(DWORD type, const std::string& bytes, std::vector<std::string>& notices) {
    switch (type) {
    case REG_MULTI_SZ: return Split(bytes, std::string(1, '\0'));
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_BINARY: return Split(bytes, std::string(" \t\r\n,;") + '\0');
    default:
        notices.push_back(std::string("The keep list's value ") + ValueName + " holds no text: it was not used");
        return {};
    }
}

}  // namespace

Stored Read() {
    Stored stored;
    DWORD type = REG_NONE;
    std::string bytes;
    if (!QueryValue(type, bytes)) return stored;
    std::vector<std::string> entries = Entries(type, bytes, stored.notices);
    if (entries.size() > MostEntries) {
        stored.notices.push_back("The keep list holds " + std::to_string(entries.size()) + " entries: those after the first " +
                                 std::to_string(MostEntries) + " were not used");
        entries.resize(MostEntries);
    }
    stored.sites = SitesToKeep(entries);
    for (const std::string& entry : stored.sites.Invalid()) stored.notices.push_back(NotASite(entry));
    return stored;
}

void Write(const std::vector<std::string>& entries) {
    UniqueRegKey key;
    LONG result = ::RegCreateKeyExA(HKEY_CURRENT_USER, KeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Put(), nullptr);
    if (result != ERROR_SUCCESS) throw Failure::FromWin32(static_cast<DWORD>(result));
    if (entries.empty()) {
        result = ::RegDeleteValueA(key.Get(), ValueName);
        if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) throw Failure::FromWin32(static_cast<DWORD>(result));
        return;
    }
    std::string value;
    for (const std::string& entry : entries) value += entry + '\0';
    value += '\0';
    result = ::RegSetValueExA(key.Get(), ValueName, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(value.data()),
                              static_cast<DWORD>(value.size()));
    if (result != ERROR_SUCCESS) throw Failure::FromWin32(static_cast<DWORD>(result));
}

std::string NotASite(const std::string& entry) {
    return "The keep list's entry \"" + entry + "\" names no site, address or range: it was not used";
}

}  // namespace SitesToKeepSetting
