#include "system/cSysTray.h"

// The shell calls and the callback window arrive with the tray work; until then
// the control only keeps its properties.
cSysTray::cSysTray() = default;
cSysTray::~cSysTray() = default;

void cSysTray::SetTrayIcon(HICON icon) {
    if (icon != nullptr) icon_ = icon;
}
void cSysTray::SetTrayTip(const std::string& tip) { tip_ = tip; }
void cSysTray::SetInTray(bool show) { inTray_ = show; }
void cSysTray::ShowBalloon(const std::string&, const std::string&, std::int32_t, bool) {}
