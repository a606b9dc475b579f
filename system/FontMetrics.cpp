#include "system/FontMetrics.h"

#include "system/Path.h"
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
    for (const char c : text) {
        // Beyond ASCII a character takes several bytes of UTF-8: measured whole.
        if (static_cast<unsigned char>(c) >= 0x80) return MeasuredWidth(text);
        width += widths_[static_cast<unsigned char>(c)];
    }
    return width;
}

int FontMetrics::MeasuredWidth(const std::string& text) const noexcept {
    const std::wstring wide = Path::ForSystem(text);
    const ScopedDC dc;
    HGDIOBJ previous = ::SelectObject(dc.Get(), font_);
    SIZE size{};
    ::GetTextExtentPoint32W(dc.Get(), wide.c_str(), static_cast<int>(wide.size()), &size);
    ::SelectObject(dc.Get(), previous);
    return size.cx;
}
