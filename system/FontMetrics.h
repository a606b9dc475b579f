// The advance widths of one font's ASCII characters and its height, measured
// once on a screen DC. An ASCII string's width is then a sum, with no device
// context: the countdown asks for one every second, and selecting a font into a
// fresh DC each time costs more than the repaint it serves. Text with other
// characters (a path in Cyrillic, say) is measured on a DC as it is drawn.
#pragma once

#include <windows.h>

#include <array>
#include <string>

class FontMetrics {
public:
    FontMetrics() = default;
    explicit FontMetrics(HFONT font);

    // True when these are the measures of `font` (a default-made one measures none).
    bool Measures(HFONT font) const noexcept { return font_ != nullptr && font == font_; }

    // Width in pixels of `text` (UTF-8) drawn in the font.
    int TextWidth(const std::string& text) const noexcept;
    int Height() const noexcept { return height_; }

private:
    int MeasuredWidth(const std::string& text) const noexcept;

    HFONT font_ = nullptr;
    std::array<int, 256> widths_{};
    int height_ = 0;
};
