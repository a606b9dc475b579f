#include "system/Window.h"

#include <utility>

Window::~Window() { DestroyOwnWindow(); }

void Window::DestroyOwnWindow() {
    if (hwnd_ == nullptr) return;
    ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(std::exchange(hwnd_, nullptr));
}

void Window::RegisterClassOnce(const char* className, HICON icon) {
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExA(::GetModuleHandleA(nullptr), className, &existing)) return;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = StaticProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = nullptr;  // the window sets its pointer itself
    wc.hIcon = icon;
    wc.hIconSm = icon;
    wc.hbrBackground = nullptr;
    wc.lpszClassName = className;
    ::RegisterClassExA(&wc);
}

HWND Window::CreateTopLevel(const char* className, const char* caption, DWORD style,
                            DWORD exStyle, int x, int y, int width, int height) {
    return ::CreateWindowExA(exStyle, className, caption, style, x, y, width, height, nullptr,
                             nullptr, ::GetModuleHandleA(nullptr), this);
}

LRESULT CALLBACK Window::StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (self == nullptr) return ::DefWindowProcA(hwnd, message, wParam, lParam);

    try {
        const LRESULT result = self->HandleMessage(message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
        }
        return result;
    } catch (...) {
        self->OnUnhandledFailure();
        return 0;
    }
}

namespace {

struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK MatchControl(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<ControlSearch*>(param);
    if (::GetDlgCtrlID(child) != search->id) return TRUE;
    search->found = child;
    return FALSE;
}

}  // namespace

HWND FindControl(HWND top, int id) {
    ControlSearch search{id, nullptr};
    ::EnumChildWindows(top, MatchControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
