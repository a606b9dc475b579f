// The window procedure through which the shell's notifications for the tray
// icon reach its cSysTray control.
#pragma once

#include <windows.h>

class cSysTray;

namespace mSysTray {

// The procedure the control's window had before TrayWindowProc was put in front
// of it. One for the whole program: only one control may have its icon in the
// tray at a time.
extern WNDPROC PreviousProcedure;

// The message the shell broadcasts to every top-level window when the taskbar
// has been (re)created and all icons must be added again.
UINT TaskbarCreatedMessage();

// Puts TrayWindowProc in front of the window's procedure; the window's user
// data holds the control's address.
void Install(HWND window, cSysTray* tray);
// Puts the previous procedure back.
void Uninstall(HWND window);

// Hands message 1125 to the control as a notification, the taskbar's re-creation
// as a request to add the icon again, and passes every message on to the
// previous procedure.
LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace mSysTray
