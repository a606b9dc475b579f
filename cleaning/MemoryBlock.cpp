#include "cleaning/MemoryBlock.h"

#include <windows.h>

#include <cstring>
#include <limits>

namespace MemoryAccess {
namespace {

constexpr DWORD ReadableProtections = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY |
                                      PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE |
                                      PAGE_EXECUTE_WRITECOPY;
constexpr DWORD WritableProtections =
    PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;

// Walks the regions from `address` on while their pages are committed, not guard
// pages and carry one of `protections`. Asking the system instead of probing
// with a read keeps guard pages (a thread's stack growth) untouched.
std::size_t AccessibleBytes(std::uintptr_t address, std::size_t wanted, DWORD protections) {
    if (address == 0 || wanted == 0) return 0;
    if (wanted > std::numeric_limits<std::uintptr_t>::max() - address) return 0;
    std::size_t covered = 0;
    while (covered < wanted) {
        MEMORY_BASIC_INFORMATION info;
        const auto at = address + covered;
        if (::VirtualQuery(reinterpret_cast<const void*>(at), &info, sizeof(info)) == 0) break;
        if (info.State != MEM_COMMIT || (info.Protect & PAGE_GUARD) ||
            (info.Protect & protections) == 0)
            break;
        const auto regionEnd =
            reinterpret_cast<std::uintptr_t>(info.BaseAddress) + info.RegionSize;
        covered += regionEnd - at;
    }
    return covered < wanted ? covered : wanted;
}

}  // namespace

std::size_t ReadableBytes(std::uintptr_t address, std::size_t wanted) {
    return AccessibleBytes(address, wanted, ReadableProtections);
}

std::size_t WritableBytes(std::uintptr_t address, std::size_t wanted) {
    return AccessibleBytes(address, wanted, WritableProtections);
}

}  // namespace MemoryAccess

void MemoryBlock::Allocate(std::size_t lCount) {
    ReleaseMemory();
    void* block = ::VirtualAlloc(nullptr, lCount, MEM_COMMIT, PAGE_EXECUTE_READWRITE);
    start_ = reinterpret_cast<std::uintptr_t>(block);
    length_ = lCount;
    if (block) ::VirtualLock(block, lCount);  // staying resident is a wish, not a need
}

void MemoryBlock::ReleaseMemory() noexcept {
    if (start_ == 0) return;
    void* block = reinterpret_cast<void*>(start_);
    ::VirtualUnlock(block, length_);
    ::VirtualFree(block, length_, MEM_DECOMMIT);
    ::VirtualFree(block, 0, MEM_RELEASE);
    start_ = 0;
    length_ = 0;
}

void MemoryBlock::ReadFrom(std::uintptr_t hWritePointer, std::size_t lLength) const {
    if (lLength == 0 || lLength > Length()) return;
    if (MemoryAccess::WritableBytes(hWritePointer, lLength) < lLength) return;
    std::memmove(reinterpret_cast<void*>(hWritePointer), reinterpret_cast<const void*>(start_),
                 lLength);
}

std::string MemoryBlock::ExtractString(std::uintptr_t hStartPointer, std::size_t lMax) const {
    const std::size_t readable = MemoryAccess::ReadableBytes(hStartPointer, lMax);
    const char* text = reinterpret_cast<const char*>(hStartPointer);
    const void* nul = readable ? std::memchr(text, '\0', readable) : nullptr;
    if (nul) return std::string(text, static_cast<const char*>(nul));
    // No NUL within lMax readable bytes: the string is cut there. A string that
    // runs into unreadable memory first is no string at all.
    return readable == lMax && lMax > 0 ? std::string(text, lMax) : std::string();
}
