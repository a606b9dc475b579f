#include "schedule/AutoDelete.h"

#include "schedule/Intervals.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Interval {
    const char* text;
    std::int32_t seconds;
    const char* afterFirstTick;  // the countdown the first tick shows
};

// Every entry of the list, written out: a changed number or text in the
// program's table shows here.
constexpr Interval Expected[] = {
    {"Delete every 5 minutes", 300, "00:04:59"},
    {"Delete every 10 minutes", 600, "00:09:59"},
    {"Delete every 15 minutes", 900, "00:14:59"},
    {"Delete every 20 minutes", 1200, "00:19:59"},
    {"Delete every 30 minutes", 1800, "00:29:59"},
    {"Delete every 1 hour", 3600, "00:59:59"},
    {"Delete every 2 hours", 7200, "01:59:59"},
    {"Delete every 4 hours", 14400, "03:59:59"},
    {"Delete every 8 hours", 28800, "07:59:59"},
    {"Delete every 16 hours", 57600, "15:59:59"},
    {"Delete every 24 hours", 86400, "23:59:59"},
};

std::string Countdown(const char* time) { return std::string(AutoDelete::CountdownPrefix) + time; }

}  // namespace

TEST(AutoDeleteTest, EveryListPositionCountsDownToItsPassAndStartsOver) {
    ASSERT_EQ(Intervals::Count, 11);
    for (int position = 1; position <= Intervals::Count; ++position) {
        const Interval& expected = Expected[position - 1];
        SCOPED_TRACE(expected.text);
        EXPECT_STREQ(Intervals::Items[position - 1].text, expected.text);

        AutoDelete count;
        count.ChooseInterval(position);
        EXPECT_EQ(count.IntervalSeconds(), expected.seconds);
        count.Tick();
        EXPECT_EQ(count.CountdownText(), Countdown(expected.afterFirstTick));
        int ticks = 1;
        while (!count.PassDue()) {
            count.Tick();
            ++ticks;
        }
        EXPECT_EQ(ticks, expected.seconds);
        EXPECT_EQ(count.CountdownText(), Countdown("00:00:00"));

        count.Restart();
        EXPECT_FALSE(count.PassDue());
        count.Tick();
        EXPECT_EQ(count.CountdownText(), Countdown(expected.afterFirstTick));
    }
    // No entry chosen, or one the list does not have: the default entry.
    for (int position : {0, -1, 12}) {
        AutoDelete count;
        count.ChooseInterval(position);
        EXPECT_EQ(count.IntervalSeconds(), 600) << position;
    }
}

TEST(AutoDeleteTest, ACountPastAShorterIntervalIsDueAndShowsNoTimeLeft) {
    AutoDelete count;
    count.ChooseInterval(2);
    for (int i = 0; i < 400; ++i) count.Tick();
    EXPECT_EQ(count.CountdownText(), Countdown("00:03:20"));
    EXPECT_FALSE(count.PassDue());

    count.ChooseInterval(1);  // the selection changed without a click
    EXPECT_TRUE(count.PassDue());
    EXPECT_EQ(count.SecondsLeft(), 0);
    EXPECT_EQ(count.CountdownText(), Countdown("00:00:00"));
}

TEST(AutoDeleteTest, TheTimerRunsWhileOnExceptDuringItsOwnPassAndOffAndOnKeepsTheCount) {
    AutoDelete schedule;
    EXPECT_FALSE(schedule.IsOn());
    EXPECT_FALSE(schedule.TimerRuns());
    schedule.TurnOn();
    EXPECT_TRUE(schedule.TimerRuns());
    for (int i = 0; i < 348; ++i) schedule.Tick();
    schedule.TurnOff();
    schedule.TurnOn();
    EXPECT_EQ(schedule.ElapsedSeconds(), 348);
    {
        const AutoDelete::RunningPass manual(schedule, AutoDelete::Pass::Manual);
        EXPECT_EQ(schedule.Running(), AutoDelete::Pass::Manual);
        EXPECT_TRUE(schedule.TimerRuns());
    }
    {
        const AutoDelete::RunningPass timed(schedule, AutoDelete::Pass::Timed);
        EXPECT_FALSE(schedule.TimerRuns());
    }
    EXPECT_EQ(schedule.Running(), AutoDelete::Pass::None);
    EXPECT_TRUE(schedule.TimerRuns());
}

// A pass that comes due during a manual pass, a preview or a clean after a
// browser closed runs right after it, once; not when auto delete was turned
// off meanwhile, but then the count stays due.
TEST(AutoDeleteTest, APassDueDuringAnotherPassIsKeptForRightAfterIt) {
    for (const auto other : {AutoDelete::Pass::Manual, AutoDelete::Pass::Preview, AutoDelete::Pass::AfterClose})
        for (const bool offMeanwhile : {false, true}) {
            SCOPED_TRACE(std::to_string(static_cast<int>(other)) + (offMeanwhile ? " turned off meanwhile" : " left on"));
            AutoDelete schedule;
            schedule.TurnOn();
            schedule.ChooseInterval(1);
            for (int i = 0; i < 299; ++i) schedule.Tick();
            EXPECT_FALSE(schedule.TimedPassStartsNow());
            {
                const AutoDelete::RunningPass running(schedule, other);
                schedule.Tick();
                EXPECT_FALSE(schedule.TimedPassStartsNow());
                if (offMeanwhile) schedule.TurnOff();
            }
            EXPECT_EQ(schedule.TakeKeptPass(), !offMeanwhile);
            EXPECT_FALSE(schedule.TakeKeptPass());
            EXPECT_TRUE(schedule.PassDue());
            schedule.TurnOn();
            EXPECT_TRUE(schedule.TimedPassStartsNow());
            const AutoDelete::RunningPass timed(schedule, AutoDelete::Pass::Timed);
            EXPECT_FALSE(schedule.TimedPassStartsNow());
        }
}
