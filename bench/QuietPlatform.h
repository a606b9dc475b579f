// The platform of the benchmarks that run the real main window: start-up must
// neither open a browser nor wait for a message box (one shown is printed, as
// it means something went wrong); tray records reach the shell; no skin.
#pragma once

#include "system/Seams.h"
#include "system/Window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

class QuietPlatform : public Seams::Platform {
public:
    int ShowMessage(const std::string& text, const std::string&, UINT) override {
        std::fprintf(stderr, "message box: %s\n", text.c_str());
        return IDOK;
    }
    void StartProcess(const std::string&, int) override {}
    void SeedRandomFromTime() override {}
    double RandomUnit() override { return 0.5; }
    void ExitProgram(int) override {}
    BOOL NotifyShell(DWORD message, NOTIFYICONDATAA& record) override {
        return ::Shell_NotifyIconA(message, &record);
    }
    ComPtr<IDispatch> CreateComponent(const std::string&) override { return {}; }
};

// The common controls of the main window registered and the quiet platform
// in force for as long as the benchmark runs.
class QuietWindowBench {
public:
    QuietWindowBench() {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
        ::InitCommonControlsEx(&controls);
        Seams::Install(&platform_);
    }
    ~QuietWindowBench() { Seams::Install(nullptr); }
    QuietWindowBench(const QuietWindowBench&) = delete;
    QuietWindowBench& operator=(const QuietWindowBench&) = delete;

private:
    QuietPlatform platform_;
};

// Rests the pointer on the screen's bottom-right corner, off the window (the
// window never reaches it). Under Wine, a pointer resting on a check box that
// asked to hear when the pointer leaves makes Wine poll the pointer about 100
// times a second for as long as it stays there; Windows waits for the move.
// The benchmarks measure the program, not that polling.
inline void RestPointerOffWindow(HWND window) {
    const int x = ::GetSystemMetrics(SM_CXSCREEN) - 1;
    const int y = ::GetSystemMetrics(SM_CYSCREEN) - 1;
    RECT r{};
    ::GetWindowRect(window, &r);
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
        std::fprintf(stderr, "the window covers the screen's corner: the pointer rests on it\n");
    ::SetCursorPos(x, y);
}

// Ticks or unticks a check box as a click of the user does.
inline void SetTicked(HWND box, bool ticked) {
    if ((::SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED) != ticked) ::SendMessageA(box, BM_CLICK, 0, 0);
}

// A control's text, as a user reads it.
inline std::string ControlText(HWND top, int id) {
    char text[1024] = {};
    ::GetWindowTextA(FindControl(top, id), text, sizeof(text));
    return text;
}
