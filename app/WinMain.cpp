// The program's entry point: without arguments, create the main window and run
// the message loop; with them, one run without a window.
#include "app/CommandLine.h"
#include "app/Form1.h"
#include "app/Location.h"
#include "app/UnattendedRun.h"
#include "system/ErrorReport.h"
#include "system/Failure.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::vector<std::string> arguments = CommandLine::ProcessArguments();
    if (!arguments.empty()) return UnattendedRun::Run(arguments);

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    // OLE (not only COM): the rich-text box copies to the clipboard through it.
    const HRESULT ole = ::OleInitialize(nullptr);

    Form1 form;
    try {
        form.Create(true);
    } catch (...) {
        ErrorReport::ReportError(CurrentFailure().Description(), Location::ForUnhandled("Form_Initialize"), 0);
        return 1;
    }

    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (::IsDialogMessageA(form.Handle(), &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    if (SUCCEEDED(ole)) ::OleUninitialize();
    return static_cast<int>(msg.wParam);
}
