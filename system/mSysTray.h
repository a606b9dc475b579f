// The window procedure through which the shell's notifications for the tray
// icon reach its cSysTray control.
#pragma once

#include <windows.h>

class cSysTray;

namespace mSysTray {

// The message the shell broadcasts to every top-level window when the taskbar
// has been (re)created and all icons must be added again.
UINT TaskbarCreatedMessage();

// Puts TrayWindowProc in front of the window's procedure (a subclass, so the
// window's own procedure stays where it is); the control comes with every call.
void Install(HWND window, cSysTray* tray);
// Takes TrayWindowProc out again.
void Uninstall(HWND window);

// Hands message 1125 to the control as a notification, the taskbar's re-creation
// as a request to add the icon again, and passes every message on to the
// window's own procedure.
LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR subclassId,
                                DWORD_PTR refData);

// The subclass identifier TrayWindowProc is installed with.
inline constexpr UINT_PTR SubclassId = 1125;

}  // namespace mSysTray
