#include "schedule/AutoDelete.h"

#include <algorithm>
#include <cstdio>

namespace {

// "hh:mm:ss" with the hours taken modulo 24.
std::string FormatCountdown(std::int32_t seconds) {
    const std::int32_t s = seconds % 86400;
    char text[16];
    std::snprintf(text, sizeof(text), "%02d:%02d:%02d", static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60),
                  static_cast<int>(s % 60));
    return text;
}

}  // namespace

void AutoDelete::ChooseInterval(int position) {
    if (position < 1 || position > Intervals::Count) position = Intervals::DefaultPosition;
    interval_ = Intervals::Items[position - 1].seconds;
}

std::int32_t AutoDelete::SecondsLeft() const { return std::max(interval_ - elapsed_, 0); }

std::string AutoDelete::CountdownText() const { return CountdownPrefix + FormatCountdown(SecondsLeft()); }

bool AutoDelete::TimedPassStartsNow() {
    if (!PassDue()) return false;
    if (running_ == Pass::Manual || running_ == Pass::Preview || running_ == Pass::AfterClose) {
        passKept_ = true;
        return false;
    }
    return running_ == Pass::None;
}

bool AutoDelete::TakeKeptPass() {
    const bool kept = passKept_;
    passKept_ = false;
    return kept && on_;
}
