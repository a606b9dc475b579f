#include "system/Clipboard.h"

#include "system/Failure.h"

#include <algorithm>
#include <cstdint>

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
    const UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) throw Failure::FromLastError();
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size)) throw Failure::FromLastError();
    if (static_cast<std::uint64_t>(size.QuadPart) >= SIZE_MAX) throw Failure::FromWin32(ERROR_NOT_ENOUGH_MEMORY);
    const std::size_t length = static_cast<std::size_t>(size.QuadPart);

    UniqueGlobal block(::GlobalAlloc(GMEM_MOVEABLE, length + 1));
    if (!block) throw Failure::FromLastError();
    {
        const LockedBytes bytes(block.Get());
        std::size_t done = 0;
        while (done < length) {
            constexpr std::size_t Chunk = 16u << 20;
            DWORD read = 0;
            if (!::ReadFile(file.Get(), bytes.Get() + done, static_cast<DWORD>(std::min(length - done, Chunk)),
                            &read, nullptr))
                throw Failure::FromLastError();
            if (read == 0) break;  // the file was cut short meanwhile: its end is here
            done += read;
        }
        bytes.Get()[done] = '\0';
    }
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
