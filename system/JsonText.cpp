#include "system/JsonText.h"

namespace JsonText {

bool WithinDepth(std::string_view json) {
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < json.size(); ++i) {
        const char c = json[i];
        if (inString) {
            if (c == '\\') ++i;  // the escaped character, a quote too
            else if (c == '"') inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (++depth > MaxDepth) return false;
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return true;
}

nlohmann::json Parse(std::string_view json) {
    if (!WithinDepth(json)) return nlohmann::json(nlohmann::json::value_t::discarded);
    return nlohmann::json::parse(json, nullptr, false);
}

}  // namespace JsonText
