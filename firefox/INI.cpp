#include "firefox/INI.h"

#include <windows.h>

std::optional<std::string> INI::GetFromINI(const std::string& filePath, const std::string& section,
                                           const std::string& key) const {
    char buffer[BufferChars] = {};
    const DWORD count =
        ::GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, BufferChars, filePath.c_str());
    if (count == 0) return std::nullopt;
    return std::string(buffer, count);
}
