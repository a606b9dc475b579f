#include "system/FontMetrics.h"

#include "system/ScreenDpi.h"
#include "system/UniqueHandle.h"

#include <gtest/gtest.h>

#include <string>

// The countdown's repaint strip starts where the unchanged characters end: the
// summed widths must be the extent GDI measures, for the status line's bold font
// at 96, 144 and 216 pixels per inch.
TEST(FontMetricsTest, TextWidthIsTheExtentGdiMeasures) {
    const char* texts[] = {"", "On. Next delete will occur in: 00:09:5", "Deleting Chrome and Edge Form History...",
                           "C:\\Users\\\xe9\\Temp\\~$x.tmp"};
    for (const int height : {-12, -18, -27}) {
        LOGFONTA logFont{};
        logFont.lfHeight = height;
        logFont.lfWeight = FW_BOLD;
        lstrcpynA(logFont.lfFaceName, "Arial", LF_FACESIZE);
        UniqueFont font(::CreateFontIndirectA(&logFont));
        const FontMetrics metrics(font.Get());
        const ScopedDC dc;
        HGDIOBJ previous = ::SelectObject(dc.Get(), font.Get());
        TEXTMETRICA tm{};
        ::GetTextMetricsA(dc.Get(), &tm);
        EXPECT_EQ(metrics.Height(), tm.tmHeight) << height;
        for (const std::string text : texts) {
            SIZE extent{};
            ::GetTextExtentPoint32A(dc.Get(), text.data(), static_cast<int>(text.size()), &extent);
            EXPECT_EQ(metrics.TextWidth(text), extent.cx) << height << ": " << text;
        }
        ::SelectObject(dc.Get(), previous);
    }
}
