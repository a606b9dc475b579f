// What the handlers read and write on the main window's controls: texts, tick
// boxes, the list position, the progress bar, colours and the mouse pointer.
#include "app/Form1.h"

#include "system/Failure.h"

#include <commctrl.h>

#include <algorithm>

namespace {

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

std::string Form1::Status() const { return Text(IdFrame3); }

// The countdown changes the last digits of the status line once a second: the
// frame repaints its caption from the first changed character on, not its whole
// area as the button control itself would.
void Form1::SetStatus(const std::string& text) {
    const std::string shown = Status();
    if (text == shown) return;
    std::size_t same = 0;
    while (same < shown.size() && same < text.size() && shown[same] == text[same]) ++same;
    HWND frame = Control(IdFrame3);
    ::DefWindowProcA(frame, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(frame, WM_GETFONT, 0, 0));
    if (!statusFont_.Measures(font)) statusFont_ = FontMetrics(font);
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

std::string Form1::SelectedItemText() const {
    const int position = SelectedPosition();
    if (position == 0) return "";
    char text[256] = {};
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    ::SendMessageA(Control(IdListView2), LVM_GETITEMTEXTA, static_cast<WPARAM>(position - 1),
                   reinterpret_cast<LPARAM>(&item));
    return text;
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

// ---------------------------------------------------------------- progress bar

// The bar repaints only where its filled part changed. The control itself would
// repaint its whole width at every new position; the countdown moves it by a
// pixel or two a second at most (none on a long interval), so a forward move
// repaints only the columns where the fill's end was and now is. The margin
// covers the fill's drawn end (a rounded cap or the last chunk), never wider
// than the bar is high.
void Form1::ShowProgress(std::int32_t maximum, std::int32_t value) {
    HWND bar = Control(IdProgressBar1);
    if (ProgressMaximum() != maximum) ::SendMessageA(bar, PBM_SETRANGE32, 0, maximum);
    const int shown = ProgressValue();
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

int Form1::ProgressMaximum() const {
    return static_cast<int>(::SendMessageA(Control(IdProgressBar1), PBM_GETRANGE, FALSE, 0));
}
int Form1::ProgressValue() const {
    return static_cast<int>(::SendMessageA(Control(IdProgressBar1), PBM_GETPOS, 0, 0));
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
