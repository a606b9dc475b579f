// Automatic deletion: on or off, the interval chosen in the list, the seconds
// counted towards it, the pass that runs and a timed pass kept for after a
// manual one. The main window's timer ticks it once a second and the window
// shows what it holds; it knows nothing of windows.
#pragma once

#include "schedule/Intervals.h"

#include <cstdint>
#include <string>

class AutoDelete {
public:
    static constexpr char CountdownPrefix[] = "On. Next delete will occur in: ";

    // Turning off and on again keeps the count.
    bool IsOn() const { return on_; }
    void TurnOn() { on_ = true; }
    void TurnOff() { on_ = false; }

    // The list's chosen entry, 1-based. With none chosen (0) the count runs
    // against the default entry. A new interval keeps the count: a selection
    // changed without a click counts on, and a count past the new interval
    // makes the pass due.
    void ChooseInterval(int position);
    std::int32_t IntervalSeconds() const { return interval_; }

    std::int32_t ElapsedSeconds() const { return elapsed_; }
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

    // Which pass runs: a manual one ("Delete Now (Test)", with its pause), a
    // timed one, a preview (with its dialog), or the clean of browsers that
    // closed after a pass left them running. Only one runs at a time.
    enum class Pass {
        None,
        Manual,
        Timed,
        Preview,
        AfterClose
    };
    Pass Running() const { return running_; }
    // Marks a pass as running for as long as the object lives.
    class RunningPass {
    public:
        RunningPass(AutoDelete& schedule, Pass pass) : schedule_(schedule) { schedule_.running_ = pass; }
        ~RunningPass() { schedule_.running_ = Pass::None; }
        RunningPass(const RunningPass&) = delete;
        RunningPass& operator=(const RunningPass&) = delete;

    private:
        AutoDelete& schedule_;
    };

    // The window's one-second timer runs while auto delete is on, except while
    // its own pass runs.
    bool TimerRuns() const { return on_ && running_ != Pass::Timed; }

    // Whether the timed pass starts now: the count is due and no pass runs. A
    // pass that comes due during a manual pass, a preview or a clean after
    // close is kept for right after it.
    bool TimedPassStartsNow();
    // After a manual pass, a preview or a clean after close: whether the pass
    // kept during it runs now. Not once auto delete was turned off since; the
    // count then stays due and the first tick after turning it on again runs
    // the pass.
    bool TakeKeptPass();

private:
    bool on_ = false;
    std::int32_t interval_ = Intervals::Items[Intervals::DefaultPosition - 1].seconds;
    std::int32_t elapsed_ = 0;
    Pass running_ = Pass::None;
    bool passKept_ = false;
};
