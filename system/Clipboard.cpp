#include "system/Clipboard.h"

#include "system/Failure.h"
#include "system/Path.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

namespace {

// GlobalLock for as long as the object lives.
class LockedBytes {
public:
    explicit LockedBytes(HGLOBAL block) : block_(block), bytes_(static_cast<char*>(::GlobalLock(block))) {
        if (bytes_ == nullptr) throw Failure::FromLastError();
    }
    ~LockedBytes() { ::GlobalUnlock(block_); }
    LockedBytes(const LockedBytes&) = delete;
    LockedBytes& operator=(const LockedBytes&) = delete;
    char* Get() const { return bytes_; }

private:
    HGLOBAL block_;
    char* bytes_;
};

}  // namespace

namespace {

// The code page of the user's language for programs that are not Unicode:
// what an older version of the program wrote its log in.
UINT LegacyCodePage() {
    DWORD codePage = 0;
    if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                         reinterpret_cast<LPWSTR>(&codePage), sizeof(codePage) / sizeof(wchar_t)) == 0 ||
        codePage == 0)
        return 1252;
    return codePage;
}

// Appends `bytes` as UTF-16: UTF-8 when they are, else in `fallback`.
void AppendDecoded(std::wstring& out, std::string_view bytes, UINT fallback) {
    if (bytes.empty()) return;
    const int count = static_cast<int>(bytes.size());
    UINT codePage = CP_UTF8;
    int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), count, nullptr, 0);
    if (length <= 0) {
        codePage = fallback;
        length = ::MultiByteToWideChar(codePage, 0, bytes.data(), count, nullptr, 0);
    }
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(std::max(length, 0)));
    ::MultiByteToWideChar(codePage, 0, bytes.data(), count, out.data() + at, length);
}

// A log with lines that are not UTF-8: each line as it was written.
std::wstring DecodeByLine(const std::string& bytes) {
    std::wstring text;
    const UINT fallback = LegacyCodePage();
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t end = std::min(bytes.find('\n', start), bytes.size() - 1) + 1;
        AppendDecoded(text, std::string_view(bytes).substr(start, end - start), fallback);
        start = end;
    }
    return text;
}

}  // namespace

UniqueGlobal Clipboard::ReadFileAsText(const std::string& path) {
    const std::string bytes = Path::ReadAll(path);
    const int count = static_cast<int>(bytes.size());
    // UTF-16 never takes more code units than UTF-8 takes bytes: the whole file
    // is converted straight into the block when it is all UTF-8 (the usual
    // case, one pass over a log of tens of megabytes), line by line when not.
    UniqueGlobal block(::GlobalAlloc(GMEM_MOVEABLE, (bytes.size() + 1) * sizeof(wchar_t)));
    if (!block) throw Failure::FromLastError();
    const LockedBytes locked(block.Get());
    auto* text = reinterpret_cast<wchar_t*>(locked.Get());
    int length = count == 0 ? 0 : ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), count, text, count);
    if (length == 0 && count > 0) {
        const std::wstring decoded = DecodeByLine(bytes);
        std::memcpy(text, decoded.data(), decoded.size() * sizeof(wchar_t));
        length = static_cast<int>(decoded.size());
    }
    text[length] = L'\0';
    return block;
}

Clipboard::Clipboard(HWND owner) {
    if (!::OpenClipboard(owner)) throw Failure::FromLastError();
}

Clipboard::~Clipboard() { ::CloseClipboard(); }

void Clipboard::Empty() {
    if (!::EmptyClipboard()) throw Failure::FromLastError();
}

void Clipboard::PutText(UniqueGlobal text) {
    if (!text) return;
    if (::SetClipboardData(CF_UNICODETEXT, text.Get()) == nullptr) throw Failure::FromLastError();
    text.Release();  // the clipboard owns it now
}
