#include "support/FakePlatform.h"
#include "system/ErrorReport.h"

#include <gtest/gtest.h>

namespace {
constexpr char FormLoad[] = "in Tarvenny2021/08/31.Form1.Form_Load ";
constexpr char WalkLocation[] = "in MorvathTitle2021/08/31.AddFolder.GetSubDirectories2016 ";
}  // namespace

TEST(ErrorReportTest, TextIsExactCharacterForCharacter) {
    EXPECT_EQ(ErrorReport::BuildText("Index out of bounds", FormLoad, 156),
              "Index out of bounds\r\n"
              "in Tarvenny2021/08/31.Form1.Form_Load at line 156\r\r"
              "Please email screenshot of this message to support@pendrake.example");
    EXPECT_EQ(ErrorReport::BuildText("x", WalkLocation, 0),
              "x\r\nin MorvathTitle2021/08/31.AddFolder.GetSubDirectories2016 at line 0\r\r"
              "Please email screenshot of this message to support@pendrake.example");
}

TEST(ErrorReportTest, IsAWarningBoxWithOkAndTheFixedTitle) {
    ScopedFakePlatform platform;
    ErrorReport::ReportError("Overflow", "in Tarvenny2021/08/31.Form1.Timer1 ", 112);
    ASSERT_EQ(platform->messages.size(), 1u);
    EXPECT_EQ(platform->messages[0].title, "Application Error");
    EXPECT_EQ(platform->messages[0].type & MB_TYPEMASK, static_cast<UINT>(MB_OK));
    EXPECT_EQ(platform->messages[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
}
