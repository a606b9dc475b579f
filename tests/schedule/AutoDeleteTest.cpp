#include "schedule/AutoDelete.h"

#include "schedule/Scheduler.h"

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
constexpr Interval Intervals[] = {
    {"Delete every 5 minutes", 300, "00:04:59"},      {"Delete every 10 minutes", 600, "00:09:59"},
    {"Delete every 15 minutes", 900, "00:14:59"},     {"Delete every 20 minutes", 1200, "00:19:59"},
    {"Delete every 30 minutes", 1800, "00:29:59"},    {"Delete every 1 hour", 3600, "00:59:59"},
    {"Delete every 2 hours", 7200, "01:59:59"},       {"Delete every 4 hours", 14400, "03:59:59"},
    {"Delete every 8 hours", 28800, "07:59:59"},      {"Delete every 16 hours", 57600, "15:59:59"},
    {"Delete every 24 hours", 86400, "23:59:59"},
};

std::string Countdown(const char* time) { return std::string(AutoDelete::CountdownPrefix) + time; }

}  // namespace

TEST(AutoDeleteTest, CountdownShowsHoursOfTheDayMinutesAndSeconds) {
    EXPECT_EQ(Scheduler::FormatCountdown(0), "00:00:00");
    EXPECT_EQ(Scheduler::FormatCountdown(600), "00:10:00");
    EXPECT_EQ(Scheduler::FormatCountdown(86399), "23:59:59");
    EXPECT_EQ(Scheduler::FormatCountdown(86400 + 3661), "01:01:01");
}

TEST(AutoDeleteTest, EveryIntervalCountsDownToItsPassAndStartsOver) {
    ASSERT_EQ(Scheduler::IntervalCount, 11);
    for (int i = 0; i < Scheduler::IntervalCount; ++i) {
        const Interval& expected = Intervals[i];
        SCOPED_TRACE(expected.text);
        EXPECT_STREQ(Scheduler::IntervalItems[i].text, expected.text);
        ASSERT_EQ(Scheduler::IntervalSecondsForText(expected.text), expected.seconds);

        AutoDelete count;
        count.SetIntervalSeconds(Scheduler::IntervalSecondsForText(expected.text));
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
    EXPECT_EQ(Scheduler::IntervalSecondsForText("delete every 5 minutes"), 0);
    EXPECT_EQ(Scheduler::IntervalSecondsForText(""), 0);
}

TEST(AutoDeleteTest, ACountPastAShorterIntervalIsDueAndShowsNoTimeLeft) {
    AutoDelete count;
    count.SetIntervalSeconds(600);
    for (int i = 0; i < 400; ++i) count.Tick();
    EXPECT_EQ(count.CountdownText(), Countdown("00:03:20"));
    EXPECT_FALSE(count.PassDue());

    count.SetIntervalSeconds(300);  // the selection changed without a click
    EXPECT_TRUE(count.PassDue());
    EXPECT_EQ(count.SecondsLeft(), 0);
    EXPECT_EQ(count.CountdownText(), Countdown("00:00:00"));
}
