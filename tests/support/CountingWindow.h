// A message-only window of the calling thread that counts the WM_APP
// messages sent to it: whether a thread's messages ran while it worked.
#pragma once

#include <windows.h>

class CountingWindow {
public:
    CountingWindow() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = ClassName;
        ::RegisterClassA(&windowClass);  // fails harmlessly when already there
        window_ = ::CreateWindowA(ClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        answered = 0;
    }
    ~CountingWindow() { ::DestroyWindow(window_); }
    CountingWindow(const CountingWindow&) = delete;
    CountingWindow& operator=(const CountingWindow&) = delete;

    HWND Handle() const { return window_; }
    // The WM_APP messages answered since the window was made.
    static inline int answered = 0;

private:
    static constexpr char ClassName[] = "VorlaneCountingWindow";
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_APP) return ++answered;
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    HWND window_;
};
