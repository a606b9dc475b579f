#include "schedule/AutoDelete.h"

#include "schedule/Scheduler.h"

#include <algorithm>

std::int32_t AutoDelete::SecondsLeft() const { return std::max(interval_ - elapsed_, 0); }

std::string AutoDelete::CountdownText() const {
    return CountdownPrefix + Scheduler::FormatCountdown(SecondsLeft());
}
