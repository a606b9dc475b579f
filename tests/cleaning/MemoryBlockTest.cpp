#include "cleaning/MemoryBlock.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {
std::uintptr_t AddressOf(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }
}  // namespace

TEST(MemoryBlockTest, HoldsAZeroFilledBlockFromAllocateUntilRelease) {
    MemoryBlock block;
    EXPECT_EQ(block.Handle(), 0u);
    block.Allocate(1000);
    ASSERT_NE(block.Handle(), 0u);
    EXPECT_EQ(block.Length(), 1000u);

    std::vector<unsigned char> copy(1000, 0xCC);
    block.ReadFrom(AddressOf(copy.data()), copy.size());
    EXPECT_TRUE(std::all_of(copy.begin(), copy.end(), [](unsigned char b) { return b == 0; }));

    const std::uintptr_t first = block.Handle();
    block.Allocate(100);  // the old block is given back
    MEMORY_BASIC_INFORMATION info;
    ASSERT_NE(::VirtualQuery(reinterpret_cast<void*>(first), &info, sizeof(info)), 0u);
    if (first != block.Handle()) {
        EXPECT_EQ(info.State, static_cast<DWORD>(MEM_FREE));
    }

    block.ReleaseMemory();
    EXPECT_EQ(block.Handle(), 0u);
    block.ReleaseMemory();  // twice is harmless
    EXPECT_EQ(block.Handle(), 0u);
}

TEST(MemoryBlockTest, ReadFromCopiesTheBlocksStartAndRefusesRangesThatAreNotThere) {
    MemoryBlock block;
    block.Allocate(16);
    std::memcpy(reinterpret_cast<void*>(block.Handle()), "fifteen chars..", 16);  // as WinINet fills it
    char back[16] = {};
    block.ReadFrom(AddressOf(back), sizeof(back));
    EXPECT_STREQ(back, "fifteen chars..");

    block.ReadFrom(0, 16);  // no destination: nothing happens
    char big[64];
    std::memset(big, 'z', sizeof(big));
    block.ReadFrom(AddressOf(big), sizeof(big));  // longer than the block: refused
    EXPECT_EQ(big[0], 'z');

    // A reserved but uncommitted page cannot be written: nothing is copied there.
    void* reserved = ::VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_NE(reserved, nullptr);
    block.ReadFrom(AddressOf(reserved), 16);
    ::VirtualFree(reserved, 0, MEM_RELEASE);

    MemoryBlock empty;
    std::memset(back, 'q', sizeof(back));
    empty.ReadFrom(AddressOf(back), sizeof(back));
    EXPECT_EQ(back[0], 'q');
}

TEST(MemoryBlockTest, ExtractStringReadsOnlyWithinItsLimitAndReadableMemory) {
    MemoryBlock block;
    EXPECT_EQ(block.ExtractString(0, 100), "");
    const char abc[] = "abc";
    EXPECT_EQ(block.ExtractString(AddressOf(abc), 100), "abc");
    EXPECT_EQ(block.ExtractString(AddressOf(abc), 2), "ab");  // no NUL within the limit: cut there
    EXPECT_EQ(block.ExtractString(AddressOf(abc), 0), "");

    // A string that runs into an inaccessible page is no string: nothing past the
    // readable page is touched.
    char* pages = static_cast<char*>(::VirtualAlloc(nullptr, 8192, MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(pages, nullptr);
    DWORD old;
    ASSERT_TRUE(::VirtualProtect(pages + 4096, 4096, PAGE_NOACCESS, &old));
    std::memset(pages + 4093, 'x', 3);
    EXPECT_EQ(block.ExtractString(AddressOf(pages + 4093), 100), "");
    pages[4095] = '\0';
    EXPECT_EQ(block.ExtractString(AddressOf(pages + 4093), 100), "xx");
    ::VirtualFree(pages, 0, MEM_RELEASE);
}
