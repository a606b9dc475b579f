#include "system/ScreenDpi.h"

int ScreenDpi() {
    const ScopedDC screen;
    return ::GetDeviceCaps(screen.Get(), LOGPIXELSY);
}
