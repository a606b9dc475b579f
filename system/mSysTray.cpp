#include "system/mSysTray.h"

#include "system/ErrorReport.h"
#include "system/Failure.h"
#include "system/cSysTray.h"

#include <commctrl.h>

namespace mSysTray {
namespace {
constexpr char TrayWindowProcLocation[] = "in Tarvenny2021/08/31.Form1.TrayWindowProc ";
}  // namespace

UINT TaskbarCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageA("TaskbarCreated");
    return message;
}

void Install(HWND window, cSysTray* tray) {
    ::SetWindowSubclass(window, TrayWindowProc, SubclassId, reinterpret_cast<DWORD_PTR>(tray));
}

void Uninstall(HWND window) { ::RemoveWindowSubclass(window, TrayWindowProc, SubclassId); }

LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR refData) {
    auto* tray = reinterpret_cast<cSysTray*>(refData);
    // No C++ exception may cross into the system: a failing event handler of the
    // host is reported here.
    try {
        if (message == cSysTray::CallbackMessage) tray->TrayNotify(lParam, wParam);
        if (message == TaskbarCreatedMessage()) tray->AddAgain();
    } catch (...) {
        ErrorReport::ReportError(CurrentFailure().Description(), TrayWindowProcLocation, 0);
    }
    if (message == WM_NCDESTROY) Uninstall(window);
    return ::DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace mSysTray
