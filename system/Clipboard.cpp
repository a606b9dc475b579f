#include "system/Clipboard.h"

#include "system/Failure.h"
#include "system/Path.h"

#include <optional>

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

UniqueGlobal Clipboard::ReadFileAsText(const std::string& path) {
    UniqueGlobal block;
    std::optional<LockedBytes> bytes;
    const std::size_t read = Path::ReadAll(path, [&](std::size_t length) {
        block.Reset(::GlobalAlloc(GMEM_MOVEABLE, length + 1));
        if (!block) throw Failure::FromLastError();
        bytes.emplace(block.Get());
        return bytes->Get();
    });
    bytes->Get()[read] = '\0';
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
    if (::SetClipboardData(CF_TEXT, text.Get()) == nullptr) throw Failure::FromLastError();
    text.Release();  // the clipboard owns it now
}
