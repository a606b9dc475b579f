#include "system/FontMetrics.h"

#include "system/ScreenDpi.h"
#include "system/UniqueHandle.h"

#include <gtest/gtest.h>

#include <string>

// The countdown's repaint strip starts where the unchanged characters end: the
// summed widths must be the width GDI itself measures, for the status line's
// bold font at every scale and for the system's message font.
TEST(FontMetricsTest, TextWidthIsTheExtentGdiMeasures) {
    NONCLIENTMETRICSA system{};
    system.cbSize = sizeof(system);
    ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(system), &system, 0);
    LOGFONTA fonts[] = {system.lfMessageFont, {}, {}, {}};
    const int heights[] = {-12, -18, -27};  // 9 points at 96, 144 and 216 pixels per inch
    for (int i = 0; i < 3; ++i) {
        fonts[i + 1].lfHeight = heights[i];
        fonts[i + 1].lfWeight = FW_BOLD;
        lstrcpynA(fonts[i + 1].lfFaceName, "Arial", LF_FACESIZE);
    }
    const char* texts[] = {"", "On. Next delete will occur in: 00:09:5", "Auto Delete is Turned Off.",
                           "Deleting Chrome and Edge Form History...", "C:\\Users\\\xe9\\Temp\\~$x.tmp"};
    for (const LOGFONTA& logFont : fonts) {
        UniqueFont font(::CreateFontIndirectA(&logFont));
        const FontMetrics metrics(font.Get());
        ASSERT_TRUE(metrics.Measures(font.Get()));
        const ScopedDC dc;
        HGDIOBJ previous = ::SelectObject(dc.Get(), font.Get());
        TEXTMETRICA tm{};
        ::GetTextMetricsA(dc.Get(), &tm);
        EXPECT_EQ(metrics.Height(), tm.tmHeight) << logFont.lfFaceName;
        for (const std::string text : texts) {
            SIZE extent{};
            ::GetTextExtentPoint32A(dc.Get(), text.data(), static_cast<int>(text.size()), &extent);
            EXPECT_EQ(metrics.TextWidth(text), extent.cx) << logFont.lfFaceName << " " << logFont.lfHeight << ": " << text;
        }
        ::SelectObject(dc.Get(), previous);
    }
    EXPECT_FALSE(FontMetrics().Measures(nullptr));
}
