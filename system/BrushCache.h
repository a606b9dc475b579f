// Solid brushes by colour, made once and kept until the cache goes: windows
// that paint the same few colours on every WM_CTLCOLOR* and WM_ERASEBKGND do
// not make and delete a brush each time.
#pragma once

#include "system/UniqueHandle.h"

#include <windows.h>

#include <map>

class BrushCache {
public:
    // The brush of this colour; the cache owns it.
    HBRUSH Brush(COLORREF color);

private:
    std::map<COLORREF, UniqueBrush> brushes_;
};
