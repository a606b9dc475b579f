// The entries of the auto-delete interval list.
#pragma once

#include <cstdint>
#include <iterator>

namespace Intervals {

struct Item {
    const char* text;
    std::int32_t seconds;
};

// In list order (position 1 first).
inline constexpr Item Items[] = {
    {"Delete every 5 minutes", 300},
    {"Delete every 10 minutes", 600},
    {"Delete every 15 minutes", 900},
    {"Delete every 20 minutes", 1200},
    {"Delete every 30 minutes", 1800},
    {"Delete every 1 hour", 3600},
    {"Delete every 2 hours", 7200},
    {"Delete every 4 hours", 14400},
    {"Delete every 8 hours", 28800},
    {"Delete every 16 hours", 57600},
    {"Delete every 24 hours", 86400},
};
inline constexpr int Count = static_cast<int>(std::size(Items));
// The entry a first start selects, and the one counted against while none is selected.
inline constexpr int DefaultPosition = 2;

}  // namespace Intervals
