// The advance widths of one font's single-byte characters and its height,
// measured once on a screen DC. A string's width is then a sum, with no device
// context: the countdown asks for one every second, and selecting a font into a
// fresh DC each time costs more than the repaint it serves.
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

    // Width in pixels of `text` drawn in the font, as GetTextExtentPoint32A gives it.
    int TextWidth(const std::string& text) const noexcept;
    int Height() const noexcept { return height_; }

private:
    HFONT font_ = nullptr;
    std::array<int, 256> widths_{};
    int height_ = 0;
};
