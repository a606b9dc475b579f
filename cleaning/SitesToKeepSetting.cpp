#include "cleaning/SitesToKeepSetting.h"

#include "system/Failure.h"
#include "system/UniqueHandle.h"
#include "system/Utf8.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace SitesToKeepSetting {
namespace {

// The value's type and all its bytes, read as UTF-16 whatever the system's
// code page (a site typed as "bücher.de" on a Windows in code page 1252 must
// reach the list as it was typed); nothing when there is none. A value that
// grew between asking its size and reading it is asked for again.
bool QueryValue(DWORD& type, std::wstring& text) {
    UniqueRegKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, Utf8::ToWide(KeyPath).c_str(), 0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS)
        return false;
    const std::wstring name = Utf8::ToWide(ValueName);
    std::vector<BYTE> bytes;
    DWORD size = 0;
    LONG result = ::RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, nullptr, &size);
    while (result == ERROR_SUCCESS) {
        bytes.assign(size, 0);
        DWORD filled = size;
        result = ::RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, bytes.data(), &filled);
        if (result == ERROR_MORE_DATA) {
            size = std::max(filled, size * 2);
            result = ERROR_SUCCESS;
            continue;
        }
        if (result != ERROR_SUCCESS) return false;
        filled = std::min(filled, size);
        // A binary value's bytes are text as they are; a string's are UTF-16.
        if (type == REG_BINARY) text = Utf8::ToWide(std::string(bytes.begin(), bytes.begin() + filled));
        else text.assign(reinterpret_cast<const wchar_t*>(bytes.data()), filled / sizeof(wchar_t));
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
    std::wstring text;
    if (!QueryValue(type, text)) return stored;
    std::vector<std::string> entries = Entries(type, Utf8::FromWide(text), stored.notices);
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
    std::wstring value;
    for (const std::string& entry : entries) value += Utf8::ToWide(entry) + L'\0';
    value += L'\0';
    result = ::RegSetValueExW(key.Get(), Utf8::ToWide(ValueName).c_str(), 0, REG_MULTI_SZ,
                              reinterpret_cast<const BYTE*>(value.data()), static_cast<DWORD>(value.size() * sizeof(wchar_t)));
    if (result != ERROR_SUCCESS) throw Failure::FromWin32(static_cast<DWORD>(result));
}

std::string NotASite(const std::string& entry) {
    // A long entry is named by its beginning: a value of megabytes must not
    // become a line of megabytes in the log.
    std::string named = entry;
    if (named.size() > NamedLength) {
        std::size_t cut = NamedLength;
        while (cut > 0 && (static_cast<unsigned char>(named[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
        named = named.substr(0, cut) + "...";
    }
    return "The keep list's entry \"" + named + "\" names no site, address or range: it was not used";
}

}  // namespace SitesToKeepSetting
