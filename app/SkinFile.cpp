#include "app/SkinFile.h"

#include "system/Failure.h"
#include "system/Path.h"

#include <sstream>

namespace SkinFile {

namespace {

constexpr long LoadError = 31037;

[[noreturn]] void Fail(const std::string& detail) {
    throw Failure(LoadError, "Error loading skin file: " + detail);
}

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    const std::size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool EqualNoCase(const std::string& a, const char* b) { return ::lstrcmpiA(a.c_str(), b) == 0; }

COLORREF ParseColour(const std::string& value, const std::string& where) {
    if (value.size() != 7 || value[0] != '#') Fail(where + " is not a colour #RRGGBB");
    unsigned int rgb = 0;
    for (std::size_t i = 1; i < 7; ++i) {
        const char c = value[i];
        unsigned int digit;
        if (c >= '0' && c <= '9') digit = static_cast<unsigned int>(c - '0');
        else if (c >= 'a' && c <= 'f') digit = static_cast<unsigned int>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F') digit = static_cast<unsigned int>(c - 'A' + 10);
        else Fail(where + " is not a colour #RRGGBB");
        rgb = rgb * 16 + digit;
    }
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

int ParseNumber(const std::string& value, int low, int high, const std::string& where) {
    if (value.empty() || value.size() > 3 || value.find_first_not_of("0123456789") != std::string::npos)
        Fail(where + " is not a number from " + std::to_string(low) + " to " + std::to_string(high));
    const int number = std::stoi(value);
    if (number < low || number > high)
        Fail(where + " is not a number from " + std::to_string(low) + " to " + std::to_string(high));
    return number;
}

void Apply(Skin& skin, const std::string& key, const std::string& value, const std::string& where) {
    struct Colour {
        const char* key;
        COLORREF Skin::*field;
    };
    static const Colour colours[] = {
        {"Window", &Skin::window},
        {"Face", &Skin::face},
        {"Text", &Skin::text},
        {"Button", &Skin::button},
        {"ButtonText", &Skin::buttonText},
        {"List", &Skin::list},
        {"ListText", &Skin::listText},
    };
    for (const Colour& colour : colours) {
        if (EqualNoCase(key, colour.key)) {
            skin.*colour.field = ParseColour(value, where);
            return;
        }
    }
    if (EqualNoCase(key, "Font")) {
        if (value.empty() || value.size() >= LF_FACESIZE) Fail(where + " is not a font name");
        skin.font = value;
    } else if (EqualNoCase(key, "FontSize")) {
        skin.fontSize = ParseNumber(value, 6, 24, where);
    } else if (EqualNoCase(key, "FontBold")) {
        skin.fontBold = ParseNumber(value, 0, 1, where) == 1;
    }
    // Other names are left for later versions of the format and ignored.
}

}  // namespace

Skin Parse(const std::string& text) {
    Skin skin;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    bool headerSeen = false;
    while (std::getline(lines, line)) {
        ++number;
        line = Trim(line);
        if (line.empty() || line[0] == ';') continue;
        const std::string where = "line " + std::to_string(number);
        if (!headerSeen) {
            if (line != Header) Fail(where + " is not \"" + Header + "\"");
            headerSeen = true;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) Fail(where + " has no \"=\"");
        Apply(skin, Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)), where);
    }
    if (!headerSeen) Fail("the file is empty");
    return skin;
}

Skin Load(const std::string& path) {
    std::string text;
    try {
        text = Path::ReadAll(path);
    } catch (const Failure&) {
        Fail("cannot open " + path);
    }
    return Parse(text);
}

}  // namespace SkinFile
