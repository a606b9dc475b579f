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

std::vector<std::string> INI::SectionNames(const std::string& filePath) const {
    // The names come back one after the other, each ended by a NUL; a buffer
    // that was too small comes back with size - 2 characters: try a larger one.
    std::vector<char> buffer(4096);
    for (;;) {
        const DWORD count = ::GetPrivateProfileSectionNamesA(buffer.data(), static_cast<DWORD>(buffer.size()),
                                                             filePath.c_str());
        if (count + 2 < buffer.size() || buffer.size() >= (1u << 24)) {
            std::vector<std::string> names;
            for (std::size_t i = 0; i < count && buffer[i] != '\0'; i += names.back().size() + 1)
                names.emplace_back(&buffer[i]);
            return names;
        }
        buffer.resize(buffer.size() * 4);
    }
}
