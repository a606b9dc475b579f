// A device context released on every path, and the screen's dots per inch read
// through one.
#pragma once

#include <windows.h>

// The device context of a window (of the whole screen without one) for as long
// as the object lives.
class ScopedDC {
public:
    explicit ScopedDC(HWND window = nullptr) : window_(window), dc_(::GetDC(window)) {}
    ~ScopedDC() {
        if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
    }
    ScopedDC(const ScopedDC&) = delete;
    ScopedDC& operator=(const ScopedDC&) = delete;

    HDC Get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Pixels per logical inch of the screen (96 at 100 % scale).
int ScreenDpi();
