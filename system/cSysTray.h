// The notification-area icon of a host window: adds and removes the icon, keeps
// its picture and tooltip current, shows balloons, and turns the shell's mouse
// notifications into events.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

class cSysTray {
public:
    // Button: 1 left, 2 right. Id: the icon identifier the shell reports.
    using MouseEvent = std::function<void(std::int16_t button, std::int32_t id)>;

    cSysTray();
    ~cSysTray();
    cSysTray(const cSysTray&) = delete;
    cSysTray& operator=(const cSysTray&) = delete;

    HICON TrayIcon() const { return icon_; }
    void SetTrayIcon(HICON icon);
    const std::string& TrayTip() const { return tip_; }
    void SetTrayTip(const std::string& tip);
    bool InTray() const { return inTray_; }
    void SetInTray(bool show);

    void ShowBalloon(const std::string& tip, const std::string& title, std::int32_t showTimer,
                     bool showOnce);

    MouseEvent onMouseUp;

private:
    bool inTray_ = false;
    std::string tip_ = "Telnet Server";
    HICON icon_ = nullptr;
};
