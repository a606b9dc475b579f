#include "system/FontMetrics.h"

#include "system/Path.h"
#include "system/ScreenDpi.h"
#include "system/UniqueHandle.h"

#include <gtest/gtest.h>

#include <string>

// The countdown's repaint strip starts where the unchanged characters end: the
// widths must be the extent GDI measures for the text as it is drawn (UTF-8
// shown as Unicode), for the status line's bold font at 96, 144 and 216
// pixels per inch.
TEST(FontMetricsTest, TextWidthIsTheExtentGdiMeasures) {
    const char* texts[] = {"", "On. Next delete will occur in: 00:09:5", "Deleting Chrome and Edge Form History...",
                           "C:\\Users\\caf\xC3\xA9\\\xD0\x9A\xD1\x8D\xD1\x88 \xE6\x97\xA5\xE6\x9C\xAC\\~$x.tmp"};
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
            const std::wstring wide = Path::ForSystem(text);
            ::GetTextExtentPoint32W(dc.Get(), wide.data(), static_cast<int>(wide.size()), &extent);
            EXPECT_EQ(metrics.TextWidth(text), extent.cx) << height << ": " << text;
        }
        ::SelectObject(dc.Get(), previous);
    }
}
