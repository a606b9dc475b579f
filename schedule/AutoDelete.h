// The auto-delete count: the interval of the selected entry, the seconds
// counted towards it, whether a pass is due, and the countdown text. The main
// window's timer drives it one tick a second; it knows nothing of windows.
#pragma once

#include <cstdint>
#include <string>

class AutoDelete {
public:
    static constexpr char CountdownPrefix[] = "On. Next delete will occur in: ";

    std::int32_t IntervalSeconds() const { return interval_; }
    // A new interval keeps the count: a selection changed without a click
    // counts on, and a count past the new interval makes the pass due.
    void SetIntervalSeconds(std::int32_t seconds) { interval_ = seconds; }

    std::int32_t ElapsedSeconds() const { return elapsed_; }
    void SetElapsedSeconds(std::int32_t seconds) { elapsed_ = seconds; }
    void Restart() { elapsed_ = 0; }

    // One second more.
    void Tick() { ++elapsed_; }

    // The count reached (or went past) its interval.
    bool PassDue() const { return elapsed_ >= interval_; }

    // Whole seconds until the pass; a count past its interval has none left
    // (never a wrapped-around day).
    std::int32_t SecondsLeft() const;

    // "On. Next delete will occur in: hh:mm:ss".
    std::string CountdownText() const;

private:
    std::int32_t interval_ = 0;
    std::int32_t elapsed_ = 0;
};
