// Reading one value from an INI file.
#pragma once

#include <optional>
#include <string>
#include <vector>

class INI {
public:
    // Longest value read, terminator included: the longest path Windows holds.
    static constexpr unsigned BufferChars = 32768;

    // The value of `key` in `section` of the file, or nothing when the file,
    // the section or the key is missing or the value is empty.
    std::optional<std::string> GetFromINI(const std::string& filePath, const std::string& section,
                                          const std::string& key) const;

    // The names of the file's sections in file order; none when it is missing.
    std::vector<std::string> SectionNames(const std::string& filePath) const;
};
