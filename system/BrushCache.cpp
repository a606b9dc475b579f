#include "system/BrushCache.h"

HBRUSH BrushCache::Brush(COLORREF color) {
    UniqueBrush& brush = brushes_[color];
    if (!brush) brush.Reset(::CreateSolidBrush(color));
    return brush.Get();
}
