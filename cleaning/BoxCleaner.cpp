#include "cleaning/BoxCleaner.h"

namespace BoxCleaners {

std::string Describe(const BoxCleaner& cleaner) {
    std::string text = "Deletes ";
    const std::vector<std::string> takes = cleaner.takes();
    for (std::size_t i = 0; i < takes.size(); ++i) text += (i ? "; " : "") + takes[i];
    text += ".";
    if (*cleaner.keeps) text += " Keeps " + std::string(cleaner.keeps) + ".";
    return text;
}

}  // namespace BoxCleaners
