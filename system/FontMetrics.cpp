#include "system/FontMetrics.h"

#include "system/ScreenDpi.h"

FontMetrics::FontMetrics(HFONT font) : font_(font) {
    const ScopedDC dc;
    HGDIOBJ previous = ::SelectObject(dc.Get(), font);
    ::GetCharWidth32A(dc.Get(), 0, 255, widths_.data());
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc.Get(), &metrics);
    height_ = metrics.tmHeight;
    ::SelectObject(dc.Get(), previous);
}

int FontMetrics::TextWidth(const std::string& text) const noexcept {
    int width = 0;
    for (const char c : text) width += widths_[static_cast<unsigned char>(c)];
    return width;
}
