#include "schedule/Scheduler.h"

#include <cstdio>

namespace Scheduler {

std::int32_t IntervalSecondsForText(const std::string& itemText) {
    for (const IntervalItem& item : IntervalItems)
        if (itemText == item.text) return item.seconds;
    return 0;
}

std::string FormatCountdown(std::int32_t seconds) {
    // Negative counts (a count past its interval) show as the time of day they wrap to.
    std::int64_t s = seconds % 86400;
    if (s < 0) s += 86400;
    char text[16];
    std::snprintf(text, sizeof(text), "%02d:%02d:%02d", static_cast<int>(s / 3600),
                  static_cast<int>(s / 60 % 60), static_cast<int>(s % 60));
    return text;
}

}  // namespace Scheduler
