#include "app/Form1Layout.h"

namespace Form1Layout {

const ControlSpec& Spec(ControlId id) {
    for (const ControlSpec& spec : Controls)
        if (spec.id == id) return spec;
    return Controls[0];
}

RECT PixelRect(const ControlSpec& spec, int dpi) {
    int left = spec.left;
    int top = spec.top;
    if (spec.container != NoContainer) {
        const ControlSpec& frame = Spec(spec.container);
        left += frame.left;
        top += frame.top;
    }
    RECT r;
    r.left = TwipsToPixels(left, dpi);
    r.top = TwipsToPixels(top, dpi);
    r.right = TwipsToPixels(left + spec.width, dpi);
    r.bottom = TwipsToPixels(top + spec.height, dpi);
    return r;
}

}  // namespace Form1Layout
