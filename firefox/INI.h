// Reading INI files (profiles.ini): "[section]" lines and "key=value" lines
// below them, read as the system's profile functions read them: names are
// compared without regard to case and the first of a name counts, spaces
// around names and values and quotes around a value go, lines starting with
// ";" are comments. The text is UTF-8 (UTF-16 with its byte-order mark is
// read too). A file is parsed once however many values are asked of it, and
// again only when its text changed: a profiles.ini of thousands of profiles
// takes one pass over its text, not one per value.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class INI {
public:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> values;  // in file order

        // The value of `key`, or nothing when the key is missing or its value empty.
        std::optional<std::string> Get(const std::string& key) const;
    };
    using Sections = std::vector<Section>;

    // Every section of the file in file order; none when it is missing or
    // cannot be read.
    std::shared_ptr<const Sections> Read(const std::string& filePath) const;

    // The value of `key` in `section` of the file, or nothing when the file,
    // the section or the key is missing or the value is empty.
    std::optional<std::string> GetFromINI(const std::string& filePath, const std::string& section,
                                          const std::string& key) const;

    // The names of the file's sections in file order; none when it is missing.
    std::vector<std::string> SectionNames(const std::string& filePath) const;

    // The sections of INI text.
    static Sections Parse(const std::string& text);
};
