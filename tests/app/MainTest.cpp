#include "app/Main.h"
#include "support/FakePlatform.h"
#include "system/Failure.h"

#include <gtest/gtest.h>

TEST(MainTest, KeepsShortTitlesAndDropsWholeWordsFromLongOnes) {
    EXPECT_EQ(Main::ShortenTitle("Vorlane"), "Vorlane");
    const std::string forty(40, 'a');
    EXPECT_EQ(Main::ShortenTitle(forty), forty);
    EXPECT_EQ(Main::ShortenTitle("Vorlane erases browsing traces from Internet Explorer"),
              "Vorlane erases browsing traces from");
    EXPECT_EQ(Main::ShortenTitle("one two", 5), "one");
    // A single word longer than the limit is cut rather than failing.
    EXPECT_EQ(Main::ShortenTitle(std::string(45, 'b')), std::string(40, 'b'));
    Main::SetAppTitle();
    EXPECT_EQ(Main::AppTitle(), "Vorlane");
}

TEST(MainTest, RoundsHalfToEvenAndRejectsWhatIsNotANumber) {
    EXPECT_EQ(Main::ToInteger16("2"), 2);
    EXPECT_EQ(Main::ToInteger16(" 11 "), 11);
    EXPECT_EQ(Main::ToInteger16("3.6"), 4);
    EXPECT_EQ(Main::ToInteger16("2.5"), 2);
    EXPECT_EQ(Main::ToInteger16("3.5"), 4);
    EXPECT_EQ(Main::ToInteger16("-32768"), -32768);
    EXPECT_EQ(Main::ToInteger16("32767"), 32767);
    const auto numberOf = [](const char* text) {
        try {
            Main::ToInteger16(text);
        } catch (const Failure& f) {
            return f.Number();
        }
        return 0L;
    };
    EXPECT_EQ(numberOf("abc"), 13);
    EXPECT_EQ(numberOf(""), 13);
    EXPECT_EQ(numberOf("12abc"), 13);
    EXPECT_EQ(numberOf("32768"), 6);
    EXPECT_EQ(numberOf("1e10"), 6);
}

TEST(MainTest, OpensTheSiteOnlyWhenTheDrawIsSeven) {
    ScopedFakePlatform platform;
    platform->randomValue = 0.0655;  // 6.55 -> 6, plus 1 = 7
    Main::VisitWebSiteAtRandom();
    ASSERT_EQ(platform->processes.size(), 1u);
    EXPECT_EQ(platform->processes[0], "explorer \"https://www.pendrake.example/\"");
    EXPECT_EQ(platform->processShowCommands[0], SW_SHOWMINIMIZED);
    EXPECT_EQ(platform->seeds, 1);

    for (double draw : {0.0, 0.0599, 0.07, 0.5, 0.9999}) {
        platform->randomValue = draw;
        Main::VisitWebSiteAtRandom();
    }
    EXPECT_EQ(platform->processes.size(), 1u);
}
