#include "chromium/LocalState.h"

#include <nlohmann/json.hpp>

#include <windows.h>

namespace LocalState {

namespace {

// The name in the program's code page, or "" when it is no valid UTF-8 or
// a character has no exact spelling there (a Windows without the UTF-8 code
// page): a best-fit stand-in could name another folder.
std::string Utf8ToAnsi(const std::string& utf8) {
    const int wideLength = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                                 static_cast<int>(utf8.size()), nullptr, 0);
    if (wideLength <= 0) return "";
    if (::GetACP() == CP_UTF8) return utf8;
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                          wideLength);
    BOOL lossy = FALSE;
    const int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, nullptr, 0,
                                             nullptr, &lossy);
    if (length <= 0 || lossy) return "";
    std::string ansi(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, ansi.data(), length, nullptr,
                          &lossy);
    return lossy ? "" : ansi;
}

bool IsPlainFolderName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    if (name.back() == ' ' || name.back() == '.') return false;
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20) return false;
    }
    return name.find_first_of("\\/:*?\"<>|") == std::string::npos;
}

}  // namespace

std::vector<std::string> ProfileNames(const std::string& json) {
    const nlohmann::ordered_json state = nlohmann::ordered_json::parse(json, nullptr, false);
    std::vector<std::string> names;
    if (!state.is_object()) return names;
    const auto profile = state.find("profile");
    if (profile == state.end() || !profile->is_object()) return names;
    const auto cache = profile->find("info_cache");
    if (cache == profile->end() || !cache->is_object()) return names;
    for (const auto& entry : cache->items()) {
        const std::string name = Utf8ToAnsi(entry.key());
        if (IsPlainFolderName(name)) names.push_back(name);
    }
    return names;
}

}  // namespace LocalState
