#include "firefox/INI.h"

#include "system/Failure.h"
#include "system/Path.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <string_view>

namespace {

// profiles.ini is a few hundred kilobytes even with thousands of profiles.
constexpr std::size_t LargestIni = 64u << 20;

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// As the system compares names: letters of every script without regard to case.
bool EqualNoCase(std::string_view a, std::string_view b) {
    if (IsAscii(a) && IsAscii(b)) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return (x >= 'A' && x <= 'Z' ? x - 'A' + 'a' : x) == (y >= 'A' && y <= 'Z' ? y - 'A' + 'a' : y);
               });
    }
    const std::wstring wideA = Path::ForSystem(std::string(a)), wideB = Path::ForSystem(std::string(b));
    return ::CompareStringOrdinal(wideA.c_str(), static_cast<int>(wideA.size()), wideB.c_str(),
                                  static_cast<int>(wideB.size()), TRUE) == CSTR_EQUAL;
}

std::string_view Trimmed(std::string_view text) {
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    return text;
}

// The text in the program's encoding: UTF-8 without its byte-order mark, or
// UTF-16 (little-endian, with its mark) converted.
std::string Decoded(const std::string& bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
        std::wstring wide((bytes.size() - 2) / 2, L'\0');
        std::copy_n(bytes.data() + 2, wide.size() * 2, reinterpret_cast<char*>(wide.data()));
        return Path::FromSystem(wide);
    }
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) return bytes.substr(3);
    return bytes;
}

}  // namespace

std::optional<std::string> INI::Section::Get(const std::string& key) const {
    for (const auto& [name, value] : values) {
        if (EqualNoCase(name, key)) return value.empty() ? std::nullopt : std::optional<std::string>(value);
    }
    return std::nullopt;
}

INI::Sections INI::Parse(const std::string& text) {
    Sections sections;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = Trimmed(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            sections.push_back({std::string(Trimmed(line.substr(1, close == std::string_view::npos ? close : close - 1))), {}});
            continue;
        }
        const std::size_t equals = line.find('=');
        if (sections.empty() || equals == std::string_view::npos) continue;
        std::string_view value = Trimmed(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        sections.back().values.emplace_back(std::string(Trimmed(line.substr(0, equals))), std::string(value));
    }
    return sections;
}

// The last text of each file read and its sections: asked again with the
// same text, the file is not parsed again.
std::shared_ptr<const INI::Sections> INI::Read(const std::string& filePath) const {
    static std::map<std::string, std::pair<std::string, std::shared_ptr<const Sections>>> parsed;
    std::string text;
    try {
        text = Decoded(Path::ReadAll(filePath, LargestIni));
    } catch (const Failure&) {
        parsed.erase(filePath);
        return std::make_shared<const Sections>();
    }
    auto& [lastText, sections] = parsed[filePath];
    if (!sections || text != lastText) {
        sections = std::make_shared<const Sections>(Parse(text));
        lastText = std::move(text);
    }
    return sections;
}

std::optional<std::string> INI::GetFromINI(const std::string& filePath, const std::string& section,
                                           const std::string& key) const {
    const std::shared_ptr<const Sections> sections = Read(filePath);
    for (const Section& found : *sections) {
        if (EqualNoCase(found.name, section)) return found.Get(key);
    }
    return std::nullopt;
}

std::vector<std::string> INI::SectionNames(const std::string& filePath) const {
    std::vector<std::string> names;
    for (const Section& section : *Read(filePath)) names.push_back(section.name);
    return names;
}
