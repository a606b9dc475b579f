#include "support/FakePlatform.h"
#include "system/Failure.h"
#include "system/StepRunner.h"

#include <gtest/gtest.h>

#include <vector>

TEST(StepRunnerTest, ReportsTheFailingStepAndResumesWithTheNext) {
    ScopedFakePlatform platform;
    std::vector<int> ran;
    StepRunner steps("in Tarvenny2021/08/31.Form1.DeleteAll ");
    steps.Run(100, [&] { ran.push_back(100); });
    steps.Run(102, [&] {
        ran.push_back(102);
        throw Failure(5, "Something broke");
        ran.push_back(-1);
    });
    steps.Run(104, [&] { ran.push_back(104); });
    EXPECT_EQ(ran, (std::vector<int>{100, 102, 104}));
    ASSERT_EQ(platform->Reports().size(), 1u);
    EXPECT_EQ(platform->Reports()[0].text,
              "Something broke\r\nin Tarvenny2021/08/31.Form1.DeleteAll at line 102\r\r"
              "Please email screenshot of this message to support@pendrake.example");
}

TEST(StepRunnerTest, TwoFailuresGiveTwoReportsInOrder) {
    ScopedFakePlatform platform;
    StepRunner steps("in Tarvenny2021/08/31.Form1.Form_Load ");
    steps.Run(154, [] { throw Failure::TypeMismatch(); });
    steps.Run(156, [] { throw Failure(35600, "Index out of bounds"); });
    steps.Run(158, [] {});
    const auto reports = platform->Reports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].text.substr(0, reports[0].text.find('\r')), "Type mismatch");
    EXPECT_NE(reports[0].text.find("Form_Load at line 154"), std::string::npos);
    EXPECT_NE(reports[1].text.find("Form_Load at line 156"), std::string::npos);
}

TEST(StepRunnerTest, AFailingConditionRunsTheBlockItGuards) {
    ScopedFakePlatform platform;
    StepRunner steps("in Tarvenny2021/08/31.Form1.PushButton1_Click ");
    bool thenRan = false;
    bool elseRan = false;
    if (steps.If(100, []() -> bool { throw Failure(52, "Bad file name or number"); })) {
        thenRan = true;
    } else {
        elseRan = true;
    }
    EXPECT_TRUE(thenRan);
    EXPECT_FALSE(elseRan);
    ASSERT_EQ(platform->Reports().size(), 1u);
    EXPECT_NE(platform->Reports()[0].text.find("PushButton1_Click at line 100"), std::string::npos);
}

TEST(StepRunnerTest, SilentModeShowsNothingAndGoesOn) {
    ScopedFakePlatform platform;
    StepRunner steps("in nowhere ", StepRunner::Mode::Silent);
    int after = 0;
    steps.Run(100, [] { throw Failure::FromWin32(ERROR_ACCESS_DENIED); });
    steps.Run(102, [&] { ++after; });
    EXPECT_EQ(after, 1);
    EXPECT_TRUE(platform->messages.empty());
}
