#include "app/Form1Layout.h"

namespace Form1Layout {

const ControlLayout& Find(ControlId id) {
    for (const ControlLayout& layout : Controls)
        if (layout.id == id) return layout;
    return Controls[0];
}

RECT PixelRect(const ControlLayout& layout, int dpi) {
    int left = layout.left;
    int top = layout.top;
    if (layout.container != NoContainer) {
        const ControlLayout& frame = Find(layout.container);
        left += frame.left;
        top += frame.top;
    }
    RECT r;
    r.left = TwipsToPixels(left, dpi);
    r.top = TwipsToPixels(top, dpi);
    r.right = TwipsToPixels(left + layout.width, dpi);
    r.bottom = TwipsToPixels(top + layout.height, dpi);
    return r;
}

}  // namespace Form1Layout
