#include "system/cSysTray.h"

#include "system/Failure.h"
#include "system/MessagePump.h"
#include "system/ScreenDpi.h"
#include "system/Seams.h"
#include "system/Window.h"

#include <cstring>
#include <limits>

namespace {

// Copies text into a fixed field, cut so that the field always ends in a NUL.
template <std::size_t N>
void CopyField(char (&field)[N], const std::string& text) {
    const std::size_t length = text.size() < N - 1 ? text.size() : N - 1;
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

}  // namespace

// The control's own window: hidden and top-level, so that it also receives the
// shell's "TaskbarCreated" broadcast (a message-only window would not), and
// always 510 twips square.
class cSysTray::ControlWindow final : public Window {
public:
    static constexpr char ClassName[] = "VorlaneTrayControl";

    ControlWindow() {
        RegisterClassOnce(ClassName);
        if (!CreateTopLevel(ClassName, "", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0)) throw Failure::FromLastError();
    }
    ~ControlWindow() override { DestroyOwnWindow(); }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_WINDOWPOSCHANGING) {
            auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
            if (!(pos->flags & SWP_NOSIZE)) pos->cx = pos->cy = ::MulDiv(cSysTray::SizeTwips, ScreenDpi(), 1440);
        }
        return Default(message, wParam, lParam);
    }
    void OnUnhandledFailure() override {}
};

cSysTray::cSysTray() : window_(std::make_unique<ControlWindow>()) {
    InitProperties();
    Resize();
}

cSysTray::~cSysTray() { Terminate(); }

HWND cSysTray::Handle() const { return window_->Handle(); }

void cSysTray::InitProperties() {
    inTray_ = false;
    iconAdded_ = false;
    iconId_ = 0;
    tip_ = DefaultTip;
}

void cSysTray::Terminate() {
    if (inTray_) SetInTray(false);
}

// ---------------------------------------------------------------- properties

void cSysTray::SetTrayIcon(const Picture& icon) {
    if (!icon.IsIcon()) return;
    if (iconAdded_) {
        NOTIFYICONDATAA record = Record();
        record.uFlags = NIF_ICON;
        record.hIcon = icon.IconHandle();
        Seams::Current().NotifyShell(NIM_MODIFY, record);
    }
    icon_ = icon;
}

void cSysTray::SetTrayTip(const std::string& tip) {
    if (iconAdded_) {
        NOTIFYICONDATAA record = Record();
        record.uFlags = NIF_TIP;
        CopyField(record.szTip, tip);
        Seams::Current().NotifyShell(NIM_MODIFY, record);
    }
    tip_ = tip;
}

void cSysTray::SetInTray(bool show) {
    if (show == inTray_) return;
    if (show) {
        mSysTray::Install(Handle(), this);
        AddTrayIcon(Handle(), iconId_, tip_, icon_);
        iconAdded_ = true;  // whatever the shell answered
    } else if (iconAdded_) {
        DeleteTrayIcon(Handle(), iconId_);
        mSysTray::Uninstall(Handle());
        iconAdded_ = false;
    }
    inTray_ = show;
}

void cSysTray::ReadProperties(const PropertyBag& bag) {
    SetInTray(bag.Read<bool>("InTray", false));
    SetTrayIcon(bag.Read<Picture>("TrayIcon", icon_));
    SetTrayTip(bag.Read<std::string>("TrayTip", DefaultTip));
}

void cSysTray::Resize() {
    // The window procedure turns any size into 510 twips.
    ::SetWindowPos(Handle(), nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------- balloon

void cSysTray::ShowBalloon(const std::string& tip, const std::string& title, std::int32_t showTimer,
                           bool showOnce) {
    if (showOnce && balloonsShown_ >= 1) return;
    const std::int64_t timeout = static_cast<std::int64_t>(showTimer) * 1000;
    if (timeout > std::numeric_limits<std::int32_t>::max()) throw Failure::Overflow();
    // Without our icon in the tray the shell has nowhere to show the balloon:
    // neither use up the one-time balloon nor wait for a notification that
    // cannot come.
    if (!iconAdded_) return;

    NOTIFYICONDATAA record = Record();
    record.uFlags = NIF_INFO;
    CopyField(record.szInfoTitle, title);
    CopyField(record.szInfo, tip);
    record.uTimeout = showTimer > 0 ? static_cast<UINT>(timeout) : 0;
    Seams::Current().NotifyShell(NIM_MODIFY, record);

    balloonVisible_ = true;
    if (showOnce) ++balloonsShown_;

    if (showTimer > 0 && balloonVisible_) {
        MessagePump::WaitWhileMessagesRun(showTimer, [this] { return balloonVisible_; });
        if (balloonVisible_) {
            NOTIFYICONDATAA hide = Record();
            hide.uFlags = NIF_INFO;
            Seams::Current().NotifyShell(NIM_MODIFY, hide);
        }
    }
}

// ---------------------------------------------------------------- shell records

NOTIFYICONDATAA cSysTray::Record() const {
    NOTIFYICONDATAA record{};
    record.cbSize = RecordSize;
    record.hWnd = Handle();
    record.uID = static_cast<UINT>(iconId_);
    return record;
}

void cSysTray::AddTrayIcon(HWND window, std::int32_t id, const std::string& tip, const Picture& icon) {
    NOTIFYICONDATAA record = Record();
    record.hWnd = window;
    record.uID = static_cast<UINT>(id);
    if (icon.IsIcon()) {
        record.hIcon = icon.IconHandle();
        record.uFlags |= NIF_ICON;
        icon_ = icon;
    }
    if (!tip.empty()) {
        CopyField(record.szTip, tip);
        record.uFlags |= NIF_TIP;
        tip_ = tip;
    }
    record.uCallbackMessage = CallbackMessage;
    record.uFlags |= NIF_MESSAGE;
    Seams::Current().NotifyShell(NIM_ADD, record);
}

void cSysTray::DeleteTrayIcon(HWND window, std::int32_t id) {
    NOTIFYICONDATAA record = Record();
    record.hWnd = window;
    record.uID = static_cast<UINT>(id);
    Seams::Current().NotifyShell(NIM_DELETE, record);
}

void cSysTray::AddAgain() {
    if (iconAdded_) AddTrayIcon(Handle(), iconId_, tip_, icon_);
}

// ---------------------------------------------------------------- notifications

void cSysTray::RaiseButton(const ButtonEvent& event, std::int16_t button, WPARAM id) {
    std::int32_t iconId = static_cast<std::int32_t>(id);
    if (event) event(button, iconId);
}

void cSysTray::TrayNotify(LPARAM code, WPARAM id) {
    switch (code) {
    case WM_MOUSEMOVE:
        if (onMouseMove) {
            std::int32_t iconId = static_cast<std::int32_t>(id);
            onMouseMove(iconId);
        }
        break;
    case WM_LBUTTONDOWN: RaiseButton(onMouseDown, 1, id); break;
    case WM_LBUTTONUP: RaiseButton(onMouseUp, 1, id); break;
    case WM_LBUTTONDBLCLK: RaiseButton(onMouseDblClick, 1, id); break;
    case WM_RBUTTONDOWN: RaiseButton(onMouseDown, 2, id); break;
    case WM_RBUTTONUP: RaiseButton(onMouseUp, 2, id); break;
    case WM_RBUTTONDBLCLK: RaiseButton(onMouseDblClick, 2, id); break;
    case NIN_BALLOONHIDE:
    case NIN_BALLOONTIMEOUT:
    case NIN_BALLOONUSERCLICK:
        balloonVisible_ = false;
        break;
    default:
        break;
    }
}
