#include "system/MiddleEllipsis.h"

#include "system/Path.h"

#include <cctype>
#include <vector>

namespace MiddleEllipsis {
namespace {

// Where the first "X:\" begins, or npos.
std::size_t DriveAt(const std::string& text) {
    for (std::size_t i = 0; i + 2 < text.size(); ++i) {
        const bool letter = std::isalpha(static_cast<unsigned char>(text[i])) != 0;
        const bool wordStart = i == 0 || !std::isalnum(static_cast<unsigned char>(text[i - 1]));
        if (letter && wordStart && text[i + 1] == ':' && text[i + 2] == '\\') return i;
    }
    return std::string::npos;
}

std::vector<std::string> Split(const std::string& folders) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = folders.find('\\', start)) != std::string::npos; start = end + 1)
        parts.push_back(folders.substr(start, end - start));
    parts.push_back(folders.substr(start));
    return parts;
}

}  // namespace

std::string Fit(const std::string& text, int room, const std::function<int(const std::string&)>& width) {
    if (width(text) <= room) return text;
    const std::size_t drive = DriveAt(text);
    if (drive == std::string::npos) return text;
    const std::size_t headEnd = drive + 3;  // after "X:\"
    const std::size_t last = text.rfind('\\');
    if (last <= headEnd) return text;  // no folder to take out
    const std::string head = text.substr(0, headEnd);
    const std::string tail = text.substr(last);  // "\file name" and what follows the path
    const std::vector<std::string> folders = Split(text.substr(headEnd, last - headEnd));

    // The text with `out` folders taken out, from the second on; the first goes last.
    const auto without = [&](std::size_t out) {
        const bool keepFirst = out < folders.size();
        std::string shortened = head + (keepFirst ? Path::Join(folders[0], "...") : "...");
        for (std::size_t i = (keepFirst ? 1 : 0) + out; i < folders.size(); ++i) shortened = Path::Join(shortened, folders[i]);
        return shortened + tail;
    };
    // Each folder more taken out makes the text shorter: the fewest that make
    // it fit are found by halving, a few measures even for a path a thousand
    // folders deep. With none that fits, every folder is taken out.
    std::size_t fits = folders.size(), tooWide = 0;
    while (fits - tooWide > 1) {
        const std::size_t middle = tooWide + (fits - tooWide) / 2;
        (width(without(middle)) <= room ? fits : tooWide) = middle;
    }
    return without(fits);
}

}  // namespace MiddleEllipsis
