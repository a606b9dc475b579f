// The auto-delete intervals and the countdown text.
#pragma once

#include <cstdint>
#include <string>

namespace Scheduler {

struct IntervalItem {
    const char* text;
    std::int32_t seconds;
};

// The eleven entries of the interval list, in list order (position 1 first).
inline constexpr IntervalItem IntervalItems[] = {
    {"Delete every 5 minutes", 300},    {"Delete every 10 minutes", 600},
    {"Delete every 15 minutes", 900},   {"Delete every 20 minutes", 1200},
    {"Delete every 30 minutes", 1800},  {"Delete every 1 hour", 3600},
    {"Delete every 2 hours", 7200},     {"Delete every 4 hours", 14400},
    {"Delete every 8 hours", 28800},    {"Delete every 16 hours", 57600},
    {"Delete every 24 hours", 86400},
};
inline constexpr int IntervalCount = 11;
inline constexpr int DefaultPosition = 2;

// Seconds of the entry with exactly this text (case-sensitive); 0 for any other text.
std::int32_t IntervalSecondsForText(const std::string& itemText);

// "hh:mm:ss" with the hours taken modulo 24.
std::string FormatCountdown(std::int32_t seconds);

}  // namespace Scheduler
