// One block of raw memory from the virtual-memory service, and safe copies of
// bytes and ANSI strings between it and addresses a caller supplies. The URL-cache
// walk lets WinINet fill the block and reads each entry out of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class MemoryBlock {
public:
    MemoryBlock() = default;
    ~MemoryBlock() { ReleaseMemory(); }
    MemoryBlock(const MemoryBlock&) = delete;
    MemoryBlock& operator=(const MemoryBlock&) = delete;

    // The block's start address, 0 when no block is held.
    std::uintptr_t Handle() const noexcept { return start_; }
    // The size asked for when the block was allocated (0 when none is held).
    std::size_t Length() const noexcept { return start_ ? length_ : 0; }

    // Gives back any block held, then obtains `lCount` committed, zero-filled,
    // locked bytes. A failed request leaves Handle() at 0.
    void Allocate(std::size_t lCount);

    // Copies `lLength` bytes from the start of the block to `hWritePointer`. Nothing
    // is copied unless the destination is writable and the block holds that many bytes.
    void ReadFrom(std::uintptr_t hWritePointer, std::size_t lLength) const;

    // The NUL-terminated ANSI string at `hStartPointer`, looking at no more than
    // `lMax` bytes: empty when that memory is not readable up to the NUL; cut at
    // `lMax` bytes when no NUL comes before.
    std::string ExtractString(std::uintptr_t hStartPointer, std::size_t lMax) const;

    // Unlocks and gives the block back; nothing happens when none is held.
    void ReleaseMemory() noexcept;

private:
    std::uintptr_t start_ = 0;
    std::size_t length_ = 0;
};

namespace MemoryAccess {
// How many bytes from `address` on, up to `wanted`, lie in committed pages that
// can be read (or written). Asks the virtual-memory service and touches nothing.
std::size_t ReadableBytes(std::uintptr_t address, std::size_t wanted);
std::size_t WritableBytes(std::uintptr_t address, std::size_t wanted);
}  // namespace MemoryAccess
