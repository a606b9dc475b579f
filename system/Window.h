// A thin base for the program's own windows (the main window, the tray icon's
// hidden window): one static window procedure that finds the C++ object and
// lets no C++ exception cross into the system.
#pragma once

#include <windows.h>

// The control with id `id` anywhere inside `top` (one in a frame too);
// nullptr when there is none.
HWND FindControl(HWND top, int id);

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const noexcept { return hwnd_; }

protected:
    // Destroys the window without dispatching to the C++ object any more; a
    // derived class calls it from its own destructor, while its members live.
    void DestroyOwnWindow();
    // Registers the class once per process (same name = same class).
    static void RegisterClassOnce(const char* className, HICON icon = nullptr);
    HWND CreateTopLevel(const char* className, const char* caption, DWORD style, DWORD exStyle,
                        int x, int y, int width, int height);

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Called with the failure when a handler let one escape.
    virtual void OnUnhandledFailure() = 0;

    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
        return ::DefWindowProcA(hwnd_, message, wParam, lParam);
    }

    HWND hwnd_ = nullptr;

private:
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};
