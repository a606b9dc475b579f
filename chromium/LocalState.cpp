#include "chromium/LocalState.h"

#include "system/JsonText.h"

#include <nlohmann/json.hpp>

#include <windows.h>

namespace LocalState {

namespace {

// The name in the program's code page, or "" when it is no valid UTF-8 or
// a character has no exact spelling there (a Windows without the UTF-8 code
// page): a best-fit stand-in could name another folder.
std::string Utf8ToAnsi(const std::string& utf8) {
    const int wideLength = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                                 static_cast<int>(utf8.size()), nullptr, 0);
    if (wideLength <= 0) return "";
    if (::GetACP() == CP_UTF8) return utf8;
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                          wideLength);
    BOOL lossy = FALSE;
    const int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, nullptr, 0,
                                             nullptr, &lossy);
    if (length <= 0 || lossy) return "";
    std::string ansi(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, ansi.data(), length, nullptr,
                          &lossy);
    return lossy ? "" : ansi;
}

bool IsPlainFolderName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    if (name.back() == ' ' || name.back() == '.') return false;
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20) return false;
    }
    return name.find_first_of("\\/:*?\"<>|") == std::string::npos;
}

// Collects the keys of profile.info_cache, in file order, as the parser reads
// them: no document is built, so the time follows the length of the file. (A
// document that keeps file order would look every key up among the earlier
// ones of its object: the square of the number of profiles.) Where a key
// comes twice, its last value counts, as in a document.
class InfoCacheKeys : public nlohmann::json::json_sax_t {
public:
    const std::vector<std::string>& Keys() const { return keys_; }

    bool null() override { return Value(); }
    bool boolean(bool) override { return Value(); }
    bool number_integer(number_integer_t) override { return Value(); }
    bool number_unsigned(number_unsigned_t) override { return Value(); }
    bool number_float(number_float_t, const string_t&) override { return Value(); }
    bool string(string_t&) override { return Value(); }
    bool binary(binary_t&) override { return Value(); }
    bool start_object(std::size_t) override {
        open_.push_back(open_.empty() ? Place::Top : next_);
        next_ = Place::Other;
        return true;
    }
    bool start_array(std::size_t) override {
        open_.push_back(Place::Other);
        next_ = Place::Other;
        return true;
    }
    bool end_object() override { return Close(); }
    bool end_array() override { return Close(); }
    bool key(string_t& key) override;
    bool parse_error(std::size_t, const std::string&, const nlohmann::json::exception&) override { return false; }

private:
    // What an open object or array is.
    enum class Place {
        Top,
        Profile,
        InfoCache,
        Other
    };

    bool Value() {
        next_ = Place::Other;
        return true;
    }
    bool Close() {
        open_.pop_back();
        return true;
    }

    std::vector<Place> open_;
    Place next_ = Place::Other;  // what the value after the last key is, when it is an object
    std::vector<std::string> keys_;
};

bool InfoCacheKeys::key(string_t& key) {
    next_ = Place::Other;
    switch (open_.back()) {
    case Place::Top:
        if (key != "profile") break;
        next_ = Place::Profile;
        keys_.clear();
        break;
    case Place::Profile:
        if (key != "info_cache") break;
        next_ = Place::InfoCache;
        keys_.clear();
        break;
    case Place::InfoCache: keys_.push_back(key); break;
    case Place::Other: break;
    }
    return true;
}

}  // namespace

std::vector<std::string> ProfileNames(const std::string& json) {
    InfoCacheKeys reader;
    std::vector<std::string> names;
    if (!JsonText::WithinDepth(json) || !nlohmann::json::sax_parse(json, &reader)) return names;
    for (const std::string& key : reader.Keys()) {
        std::string name = Utf8ToAnsi(key);
        if (IsPlainFolderName(name)) names.push_back(std::move(name));
    }
    return names;
}

}  // namespace LocalState
