// The main window's controls: their creation and layout, what the handlers
// read and write on them (texts, tick boxes, the list position, the progress
// bar, the mouse pointer), their colours and painting.
#include "app/Form1.h"

#include "app/SkinEngine.h"
#include "system/Failure.h"
#include "system/MiddleEllipsis.h"
#include "system/ScreenDpi.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <vector>

namespace {

HMODULE LoadRichEditLibrary() {
    static HMODULE module = ::LoadLibraryA("riched20.dll");
    return module;
}

const char* WindowClassFor(ControlKind kind) {
    switch (kind) {
    case ControlKind::Frame:
    case ControlKind::CheckBox:
    case ControlKind::PushButton:
        return "BUTTON";
    case ControlKind::ListView:
        return WC_LISTVIEWA;
    case ControlKind::ProgressBar:
        return PROGRESS_CLASSA;
    case ControlKind::RichText:
        return RICHEDIT_CLASSA;
    case ControlKind::Label:
        return "STATIC";
    }
    return "STATIC";
}

DWORD StyleFor(const ControlLayout& layout) {
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (layout.visible ? WS_VISIBLE : 0);
    switch (layout.kind) {
    case ControlKind::Frame:
        return style | BS_GROUPBOX;
    case ControlKind::CheckBox:
        return style | WS_TABSTOP | BS_AUTOCHECKBOX;
    case ControlKind::PushButton:
        return style | WS_TABSTOP | BS_PUSHBUTTON;
    case ControlKind::ListView:
        return style | WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
               LVS_NOSORTHEADER;
    case ControlKind::ProgressBar:
        return style;
    case ControlKind::RichText:
        return style | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL;
    case ControlKind::Label:
        return style | SS_LEFT | SS_NOPREFIX;
    }
    return style;
}

// The chosen interval stays drawn as the list draws a selection while it has
// the focus: the list's own unfocused selection is a grey too faint to tell
// from the white around it.
LRESULT DrawSelectionAlways(NMLVCUSTOMDRAW& draw) {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT && (draw.nmcd.uItemState & CDIS_SELECTED) != 0) {
        draw.nmcd.uItemState &= ~CDIS_SELECTED;
        draw.clrText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
        draw.clrTextBk = ::GetSysColor(COLOR_HIGHLIGHT);
    }
    return CDRF_DODEFAULT;
}

// The top strip of a frame from where its caption's first `unchanged` characters
// end to the right edge: where a caption that keeps those characters changes.
RECT CaptionStripAfter(HWND frame, const FontMetrics& font, const std::string& unchanged) {
    RECT strip;
    ::GetClientRect(frame, &strip);
    // The caption begins a few pixels in from the frame's edge, so the strip
    // starts at or before the first changed character.
    strip.left = std::max<LONG>(0, font.TextWidth(unchanged) - 1);
    strip.bottom = std::min<LONG>(strip.bottom, font.Height() + 2);
    return strip;
}

}  // namespace

// ---------------------------------------------------------------- creation and layout

void Form1::CreateFonts() {
    LOGFONTA font{};
    font.lfHeight = -::MulDiv(Form1Layout::FontPoints, dpi_, 72);
    font.lfWeight = FW_BOLD;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynA(font.lfFaceName, Form1Layout::FontFace, LF_FACESIZE);
    boldFont_.Reset(::CreateFontIndirectA(&font));
    statusFont_ = FontMetrics();  // a new font may reuse the old one's handle

    // The system's message font is made for the screen's scale.
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(metrics);
    ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    metrics.lfMessageFont.lfHeight = ::MulDiv(metrics.lfMessageFont.lfHeight, dpi_, ScreenDpi());
    plainFont_.Reset(::CreateFontIndirectA(&metrics.lfMessageFont));
}

HFONT Form1::FontFor(const ControlLayout& layout) const {
    const bool bold = layout.kind == ControlKind::Frame || layout.kind == ControlKind::CheckBox;
    return bold ? boldFont_.Get() : plainFont_.Get();
}

void Form1::CreateControls() {
    LoadRichEditLibrary();
    // Creation in tab-index order gives the keyboard tab order.
    std::vector<const ControlLayout*> order;
    for (const ControlLayout& layout : Form1Layout::Controls()) order.push_back(&layout);
    std::stable_sort(order.begin(), order.end(),
                     [](const ControlLayout* a, const ControlLayout* b) { return a->tabIndex < b->tabIndex; });

    for (const ControlLayout* layout : order) {
        const RECT r = Form1Layout::PixelRect(*layout, dpi_);
        HWND control = ::CreateWindowExA(
            layout->kind == ControlKind::ListView ? WS_EX_CLIENTEDGE : 0, WindowClassFor(layout->kind),
            layout->caption, StyleFor(*layout), r.left, r.top, r.right - r.left, r.bottom - r.top, hwnd_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout->id)), ::GetModuleHandleA(nullptr), nullptr);
        if (control == nullptr) throw Failure::FromLastError();
        controls_[layout->id] = control;

        ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(*layout)), FALSE);
        if (layout->kind == ControlKind::PushButton || layout->kind == ControlKind::ListView ||
            layout->kind == ControlKind::Frame)
            ::SetWindowSubclass(control, ChildProc, static_cast<UINT_PTR>(layout->id),
                                reinterpret_cast<DWORD_PTR>(this));
    }
    // Frames paint their whole area, so they go beneath the controls they hold.
    for (const ControlLayout& layout : Form1Layout::Controls())
        if (layout.kind == ControlKind::Frame)
            ::SetWindowPos(Control(layout.id), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // The "Mozilla Firefox" frame has no room for a label under its boxes:
    // what was found shows as the tool tip of the frame, and of its boxes
    // under what each deletes (ShowFoundBrowsers).
    firefoxTip_.Create(hwnd_, Form1Layout::PixelRect(Form1Layout::Find(IdFrame2), dpi_), {});
    boxTips_.Create(hwnd_);
    HWND list = Control(IdListView2);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    ::SendMessageA(Control(IdRichTextBox1), EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
}

void Form1::LayOutControls() {
    for (const ControlLayout& layout : Form1Layout::Controls()) {
        HWND control = Control(layout.id);
        const RECT r = Form1Layout::PixelRect(layout, dpi_);
        ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(layout)), FALSE);
        ::SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
    firefoxTip_.Place(Form1Layout::PixelRect(Form1Layout::Find(IdFrame2), dpi_));
    ListView_SetColumnWidth(Control(IdListView2), 0,
                            Form1Layout::TwipsToPixels(Form1Layout::ListColumnWidthTwips, dpi_));
    ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void Form1::Form_DpiChanged(int dpi, const RECT& suggested) {
    dpi_ = dpi;
    // The controls take the new fonts before the old ones are deleted.
    UniqueFont oldBold = std::move(boldFont_);
    UniqueFont oldPlain = std::move(plainFont_);
    CreateFonts();
    LayOutControls();
    ::SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // A skin sets its own font on the controls.
    if (skinFramework1_) skinFramework1_->ApplyWindow(hwnd_);
}


// ---------------------------------------------------------------- reading and writing

HWND Form1::Control(ControlId id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

std::string Form1::Text(ControlId id) const {
    HWND control = Control(id);
    const int length = ::GetWindowTextLengthA(control);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

void Form1::SetText(ControlId id, const std::string& text) { ::SetWindowTextA(Control(id), text.c_str()); }

bool Form1::IsChecked(ControlId id) const {
    return ::SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Form1::SetChecked(ControlId id, bool checked) {
    if (IsChecked(id) == checked) return;
    ::SendMessageA(Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (id == IdCheck4) Check4_Click();
    if (id == IdCheck8) Check8_Click();
}

std::string Form1::Status() const { return status_; }

// The countdown changes the last digits of the status line once a second: the
// frame repaints its caption from the first changed character on, not its whole
// area as the button control itself would. A path too long for the frame is
// shown shortened in its middle; the status keeps it whole.
void Form1::SetStatus(const std::string& text) {
    if (text == status_) return;
    status_ = text;
    HWND frame = Control(IdFrame3);
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(frame, WM_GETFONT, 0, 0));
    if (!statusFont_.Measures(font)) statusFont_ = FontMetrics(font);
    RECT client;
    ::GetClientRect(frame, &client);
    const int room = client.right - 2 * statusFont_.Height();
    const std::string shown =
        MiddleEllipsis::Fit(text, room, [this](const std::string& line) { return statusFont_.TextWidth(line); });
    const std::string before = Text(IdFrame3);
    std::size_t same = 0;
    while (same < before.size() && same < shown.size() && before[same] == shown[same]) ++same;
    ::DefWindowProcA(frame, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(shown.c_str()));
    const RECT changed = CaptionStripAfter(frame, statusFont_, shown.substr(0, same));
    ::InvalidateRect(frame, &changed, TRUE);
}

int Form1::SelectedPosition() const {
    return ListView_GetNextItem(Control(IdListView2), -1, LVNI_SELECTED) + 1;
}

void Form1::SelectPosition(int position) {
    HWND list = Control(IdListView2);
    if (position < 1 || position > ListView_GetItemCount(list)) throw Failure(35600, "Index out of bounds");
    ListView_SetItemState(list, position - 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list, position - 1, FALSE);
}

void Form1::SetBackColor(COLORREF color) {
    backColor_ = color;
    if (hwnd_) ::InvalidateRect(hwnd_, nullptr, TRUE);
}

COLORREF Form1::ControlBackColor(ControlId id) const {
    auto it = controlBackColors_.find(id);
    return it == controlBackColors_.end() ? backColor_ : it->second;
}

void Form1::SetControlBackColor(ControlId id, COLORREF color) {
    controlBackColors_[id] = color;
    if (hwnd_) ::InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT Form1::OnNotify(LPARAM lParam) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->idFrom != IdListView2) return 0;
    switch (header->code) {
    case NM_CLICK:
        Unguarded("ListView2_Click", [&] { ListView2_Click(); });
        break;
    case LVN_ITEMCHANGED:  // however the selection changed, it chooses the interval
        autoDelete_.ChooseInterval(SelectedPosition());
        break;
    case NM_CUSTOMDRAW:
        return DrawSelectionAlways(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
    }
    return 0;
}

// ---------------------------------------------------------------- progress bar

// The bar repaints only where its filled part changed. The control itself would
// repaint its whole width at every new position; the countdown moves it by a
// pixel or two a second at most (none on a long interval), so a forward move
// repaints only the columns where the fill's end was and now is. The margin
// covers the fill's drawn end (a rounded cap or the last chunk), never wider
// than the bar is high.
void Form1::ShowProgress(std::int32_t maximum, std::int32_t value) {
    HWND bar = Control(IdProgressBar1);
    if (::SendMessageA(bar, PBM_GETRANGE, FALSE, 0) != maximum) ::SendMessageA(bar, PBM_SETRANGE32, 0, maximum);
    const int shown = static_cast<int>(::SendMessageA(bar, PBM_GETPOS, 0, 0));
    if (value > maximum || value == shown) return;
    // Turning drawing off validates the bar: only when nothing else waits to be
    // painted there, and only forward (a restart repaints the whole bar).
    if (maximum <= 0 || value < shown || ::GetUpdateRect(bar, nullptr, FALSE)) {
        ::SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(value), 0);
        return;
    }
    RECT client;
    ::GetClientRect(bar, &client);
    const int from = ::MulDiv(shown, client.right, maximum);
    const int to = ::MulDiv(value, client.right, maximum);
    ::SendMessageA(bar, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(value), 0);
    ::SendMessageA(bar, WM_SETREDRAW, TRUE, 0);
    if (from == to) return;
    const int margin = client.bottom;
    const RECT changed{std::max<LONG>(0, from - margin), 0, std::min<LONG>(client.right, to + margin),
                       client.bottom};
    ::InvalidateRect(bar, &changed, FALSE);
}


// ---------------------------------------------------------------- pointer

void Form1::SetMousePointer(int code) {
    mousePointer_ = code;
    UpdateCursor();
}

void Form1::UpdateCursor() {
    POINT at;
    if (!::GetCursorPos(&at)) return;
    HWND under = ::WindowFromPoint(at);
    if (under != hwnd_ && !::IsChild(hwnd_, under)) return;
    HCURSOR cursor = ::LoadCursor(nullptr, IDC_ARROW);
    if (mousePointer_ == PointerHourglass) cursor = ::LoadCursor(nullptr, IDC_WAIT);
    if (mousePointer_ == PointerCustom && mouseIcon_) cursor = mouseIcon_.Get();
    ::SetCursor(cursor);
}

void Form1::Form_MouseMove() {
    if (mousePointer_ == PointerHourglass) return;
    SetMousePointer(PointerDefault);
}

void Form1::PushButton_MouseMove() {
    if (mousePointer_ == PointerHourglass) return;
    SetMousePointer(PointerCustom);
}


// ---------------------------------------------------------------- colours and painting

LRESULT Form1::OnControlColor(HDC dc, HWND control) {
    const COLORREF color = ControlBackColor(static_cast<ControlId>(::GetDlgCtrlID(control)));
    ::SetBkColor(dc, color);
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    return reinterpret_cast<LRESULT>(brushes_.Brush(color));
}

void Form1::PaintBackground(HDC dc) {
    RECT client;
    ::GetClientRect(hwnd_, &client);
    ::FillRect(dc, &client, brushes_.Brush(backColor_));
    for (const ControlLayout& layout : Form1Layout::Controls()) {
        if (layout.kind != ControlKind::Frame) continue;
        RECT r = Form1Layout::PixelRect(layout, dpi_);
        ::FillRect(dc, &r, brushes_.Brush(ControlBackColor(layout.id)));
    }
}

// Frames fill their whole area with their own colour (a plain group box leaves
// its inside unpainted); push buttons and the list report mouse moves.
LRESULT CALLBACK Form1::ChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                  UINT_PTR subclassId, DWORD_PTR refData) {
    auto* form = reinterpret_cast<Form1*>(refData);
    const ControlKind kind = Form1Layout::Find(static_cast<ControlId>(subclassId)).kind;
    if (message == WM_ERASEBKGND && kind == ControlKind::Frame) {
        RECT r;
        ::GetClientRect(hwnd, &r);
        ::FillRect(reinterpret_cast<HDC>(wParam), &r,
                   form->brushes_.Brush(form->ControlBackColor(static_cast<ControlId>(subclassId))));
        return 1;
    }
    if (message == WM_MOUSEMOVE && kind != ControlKind::Frame) {
        if (subclassId == IdListView2)
            form->Form_MouseMove();
        else
            form->PushButton_MouseMove();
    } else if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, ChildProc, subclassId);
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}
