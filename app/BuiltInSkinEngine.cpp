#include "app/BuiltInSkinEngine.h"

#include "system/ScreenDpi.h"

#include <commctrl.h>

#include <iterator>

namespace {

enum Role : UINT_PTR {
    MainWindow = 1,
    GroupBox = 2
};

bool IsButtonOfType(HWND window, LONG type) {
    char className[16] = {};
    ::GetClassNameA(window, className, sizeof(className));
    if (::lstrcmpiA(className, "Button") != 0) return false;
    return (::GetWindowLongA(window, GWL_STYLE) & BS_TYPEMASK) == type;
}

bool IsClass(HWND window, const char* name) {
    char className[64] = {};
    ::GetClassNameA(window, className, sizeof(className));
    return ::lstrcmpiA(className, name) == 0;
}

}  // namespace

BuiltInSkinEngine::~BuiltInSkinEngine() {
    // The windows may outlive the engine: take our procedure out of each first.
    for (const auto& [window, role] : subclassed_)
        if (::IsWindow(window)) ::RemoveWindowSubclass(window, SubclassProc, role);
}

void BuiltInSkinEngine::LoadSkin(const std::string& path, const std::string&) { skin_ = SkinFile::Load(path); }

void BuiltInSkinEngine::ApplyWindow(HWND window) {
    if (!skin_) return;
    LOGFONTA font{};
    font.lfHeight = -::MulDiv(skin_->fontSize, ScreenDpi(), 72);
    font.lfWeight = skin_->fontBold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(font.lfFaceName, skin_->font.c_str(), LF_FACESIZE);
    font_.Reset(::CreateFontIndirectA(&font));

    Subclass(window, MainWindow);
    for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (IsButtonOfType(child, BS_PUSHBUTTON) || IsButtonOfType(child, BS_DEFPUSHBUTTON)) {
            const LONG style = ::GetWindowLongA(child, GWL_STYLE);
            ::SetWindowLongA(child, GWL_STYLE, (style & ~BS_TYPEMASK) | BS_OWNERDRAW);
        } else if (IsButtonOfType(child, BS_GROUPBOX)) {
            Subclass(child, GroupBox);
        } else if (IsClass(child, WC_LISTVIEWA)) {
            ListView_SetBkColor(child, skin_->list);
            ListView_SetTextBkColor(child, skin_->list);
            ListView_SetTextColor(child, skin_->listText);
        } else if (IsClass(child, PROGRESS_CLASSA)) {
            ::SendMessageA(child, PBM_SETBARCOLOR, 0, skin_->button);
            ::SendMessageA(child, PBM_SETBKCOLOR, 0, skin_->face);
        }
        if (!IsClass(child, WC_LISTVIEWA)) ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    }
    ::RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_FRAME);
}

void BuiltInSkinEngine::Subclass(HWND window, UINT_PTR role) {
    if (::SetWindowSubclass(window, SubclassProc, role, reinterpret_cast<DWORD_PTR>(this)))
        subclassed_.emplace_back(window, role);
}

void BuiltInSkinEngine::PaintBackground(HWND window, HDC dc) {
    RECT client;
    ::GetClientRect(window, &client);
    ::FillRect(dc, &client, brushes_.Brush(skin_->window));
    // Frames are filled with the face colour beneath the controls they hold.
    for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!IsButtonOfType(child, BS_GROUPBOX) || !::IsWindowVisible(child)) continue;
        RECT r;
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&r), 2);
        ::FillRect(dc, &r, brushes_.Brush(skin_->face));
    }
}

void BuiltInSkinEngine::DrawPushButton(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    ::FillRect(dc, &r, brushes_.Brush(skin_->buttonText));
    ::InflateRect(&r, -1, -1);
    ::FillRect(dc, &r, brushes_.Brush(pressed ? skin_->face : skin_->button));
    wchar_t caption[128] = {};
    ::GetWindowTextW(item.hwndItem, caption, static_cast<int>(std::size(caption)));
    HGDIOBJ oldFont = ::SelectObject(dc, font_.Get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, (item.itemState & ODS_DISABLED) ? ::GetSysColor(COLOR_GRAYTEXT) : skin_->buttonText);
    if (pressed) ::OffsetRect(&r, 1, 1);
    ::DrawTextW(dc, caption, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::SelectObject(dc, oldFont);
    if (item.itemState & ODS_FOCUS) {
        ::InflateRect(&r, -3, -3);
        ::DrawFocusRect(dc, &r);
    }
}

LRESULT BuiltInSkinEngine::OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           bool& handled) {
    handled = true;
    switch (message) {
    case WM_ERASEBKGND:
        PaintBackground(window, reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, skin_->text);
        ::SetBkColor(dc, skin_->face);
        return reinterpret_cast<LRESULT>(brushes_.Brush(skin_->face));
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlType != ODT_BUTTON) break;
        DrawPushButton(*item);
        return TRUE;
    }
    default:
        break;
    }
    handled = false;
    return 0;
}

LRESULT CALLBACK BuiltInSkinEngine::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                 UINT_PTR role, DWORD_PTR self) {
    auto* engine = reinterpret_cast<BuiltInSkinEngine*>(self);
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(window, SubclassProc, role);
    } else if (role == MainWindow) {
        bool handled = false;
        const LRESULT result = engine->OnWindowMessage(window, message, wParam, lParam, handled);
        if (handled) return result;
    } else if (role == GroupBox && message == WM_ERASEBKGND) {
        RECT r;
        ::GetClientRect(window, &r);
        ::FillRect(reinterpret_cast<HDC>(wParam), &r, engine->brushes_.Brush(engine->skin_->face));
        return 1;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}
