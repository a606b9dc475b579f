// The notification-area icon of a host window: adds and removes the icon, keeps
// its picture and tooltip current, shows balloons, and turns the shell's mouse
// notifications into events.
#pragma once

#include "system/Picture.h"
#include "system/PropertyBag.h"
#include "system/mSysTray.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class cSysTray {
public:
    // The message the shell sends to the control's window about its icon.
    static constexpr UINT CallbackMessage = WM_USER + 101;  // 1125
    // The record size that carries the balloon fields.
    static constexpr DWORD RecordSize = NOTIFYICONDATAA_V2_SIZE;  // 488
    // The control's own window is always this size (34 pixels at 96 dpi).
    static constexpr int SizeTwips = 510;
    static constexpr char DefaultTip[] = "Telnet Server";

    // Every shell record goes through Seams::Current().NotifyShell.

    // Button: 1 left, 2 right. Id: the icon identifier the shell reports.
    using MoveEvent = std::function<void(std::int32_t& id)>;
    using ButtonEvent = std::function<void(std::int16_t& button, std::int32_t& id)>;

    cSysTray();
    ~cSysTray();
    cSysTray(const cSysTray&) = delete;
    cSysTray& operator=(const cSysTray&) = delete;

    // Anything but an icon leaves the icon unchanged.
    void SetTrayIcon(const Picture& icon);
    void SetTrayTip(const std::string& tip);
    void SetInTray(bool show);

    // Shows a balloon over the icon. ShowOnce: only the first such balloon of the
    // control's life shows. ShowTimer > 0: waits up to that many seconds (messages
    // keep running) for the shell to report the balloon gone, then hides it.
    void ShowBalloon(const std::string& tip, const std::string& title, std::int32_t showTimer,
                     bool showOnce);

    // The properties the control was placed with: "InTray", "TrayIcon", "TrayTip".
    void ReadProperties(const PropertyBag& bag);
    // Keeps the control's window at 510 x 510 twips.
    void Resize();

    HWND Handle() const;

    MoveEvent onMouseMove;
    ButtonEvent onMouseDown;
    ButtonEvent onMouseUp;
    ButtonEvent onMouseDblClick;

private:
    friend LRESULT CALLBACK mSysTray::TrayWindowProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    class ControlWindow;

    void InitProperties();
    void Terminate();
    // A shell notification for the icon (code = lParam, id = wParam of 1125).
    void TrayNotify(LPARAM code, WPARAM id);
    void AddTrayIcon(HWND window, std::int32_t id, const std::string& tip, const Picture& icon);
    void DeleteTrayIcon(HWND window, std::int32_t id);
    // The taskbar came back without our icon: add it again when it was there.
    void AddAgain();
    NOTIFYICONDATAA Record() const;
    void RaiseButton(const ButtonEvent& event, std::int16_t button, WPARAM id);

    std::unique_ptr<ControlWindow> window_;
    bool inTray_ = false;
    std::int32_t iconId_ = 0;
    std::string tip_;
    Picture icon_;
    bool iconAdded_ = false;
    bool balloonVisible_ = false;
    std::int32_t balloonsShown_ = 0;
};
