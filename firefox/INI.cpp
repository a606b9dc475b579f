#include "firefox/INI.h"

#include "system/Path.h"

#include <windows.h>

// profiles.ini is UTF-8, which the wide profile functions read in the
// program's code page (UTF-8 by the manifest); the path may be of any length.
std::optional<std::string> INI::GetFromINI(const std::string& filePath, const std::string& section,
                                           const std::string& key) const {
    std::wstring buffer(BufferChars, L'\0');
    const DWORD count = ::GetPrivateProfileStringW(Path::ForSystem(section).c_str(), Path::ForSystem(key).c_str(), L"",
                                                   buffer.data(), BufferChars, Path::ForSystem(filePath).c_str());
    if (count == 0) return std::nullopt;
    return Path::FromSystem(std::wstring_view(buffer.data(), count));
}

std::vector<std::string> INI::SectionNames(const std::string& filePath) const {
    // The names come back one after the other, each ended by a NUL; a buffer
    // that was too small comes back with size - 2 characters: try a larger one.
    std::vector<wchar_t> buffer(4096);
    for (;;) {
        const DWORD count = ::GetPrivateProfileSectionNamesW(buffer.data(), static_cast<DWORD>(buffer.size()),
                                                             Path::ForSystem(filePath).c_str());
        if (count + 2 < buffer.size() || buffer.size() >= (1u << 24)) {
            std::vector<std::string> names;
            for (std::size_t i = 0; i < count && buffer[i] != L'\0';) {
                const std::wstring_view name(&buffer[i]);
                names.push_back(Path::FromSystem(name));
                i += name.size() + 1;
            }
            return names;
        }
        buffer.resize(buffer.size() * 4);
    }
}
