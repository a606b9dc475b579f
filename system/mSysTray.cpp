#include "system/mSysTray.h"

#include "system/ErrorReport.h"
#include "system/Failure.h"
#include "system/cSysTray.h"

namespace mSysTray {
namespace {
constexpr char TrayWindowProcLocation[] = "in Tarvenny2021/08/31.Form1.TrayWindowProc ";
}  // namespace

WNDPROC PreviousProcedure = nullptr;

UINT TaskbarCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageA("TaskbarCreated");
    return message;
}

void Install(HWND window, cSysTray* tray) {
    PreviousProcedure = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TrayWindowProc)));
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(tray));
}

void Uninstall(HWND window) {
    ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PreviousProcedure));
}

LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* tray = reinterpret_cast<cSysTray*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    // No C++ exception may cross into the system: a failing event handler of the
    // host is reported here.
    try {
        if (tray != nullptr && message == cSysTray::CallbackMessage) tray->TrayNotify(lParam, wParam);
        if (tray != nullptr && message == TaskbarCreatedMessage()) tray->AddAgain();
    } catch (...) {
        ErrorReport::ReportError(CurrentFailure().Description(), TrayWindowProcLocation, 0);
    }
    return ::CallWindowProcA(PreviousProcedure, window, message, wParam, lParam);
}

}  // namespace mSysTray
