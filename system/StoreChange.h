// One change to a browser's store (an SQLite database, a LevelDB folder, a
// settings file): whether it is a preview, which runs the very same change on
// a scratch copy and leaves the store as it was, and how many rows or entries
// the change erased (would erase, in a preview).
#pragma once

#include <cstdint>

class ScratchCopies;

struct StoreChange {
    bool preview = false;
    std::int64_t erased = 0;
    // A preview's copies of the stores, shared by all its changes; none: each
    // previewed change copies its store afresh.
    ScratchCopies* copies = nullptr;
};
