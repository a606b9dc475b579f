// The controls of the main window: kind, container, caption, position in twips
// (relative to the container) and tab index.
#pragma once

#include <windows.h>

enum class ControlKind { Frame, CheckBox, PushButton, ListView, ProgressBar, RichText, Label };

enum ControlId : int {
    IdFrame3 = 1001,
    IdProgressBar1,
    IdFrame4,
    IdCheck4,
    IdCheck8,
    IdFrame1,
    IdChkIEHist,
    IdChkIETemp,
    IdChkIETyped,
    IdChkIECookies,
    IdFrame2,
    IdChkFFHist,
    IdChkFFDownloads,
    IdChkTypedUrls,
    IdChkCookies,
    IdChkFFCache,
    IdListView2,
    IdPushButton13,
    IdPushButton12,
    IdPushButton1,
    IdPushButton2,
    IdPushButton11,
    IdPushButton3,
    IdRichTextBox1,
    IdFrame5,
    IdChkCrHist,
    IdChkCrTyped,
    IdChkCrDownloads,
    IdChkCrCookies,
    IdChkCrCache,
    IdChkCrForms,
    IdLabel1,
};

struct ControlLayout {
    ControlId id;
    const char* name;
    ControlKind kind;
    ControlId container;  // 0 for the window itself
    const char* caption;
    int left, top, width, height;  // twips
    int tabIndex;
    bool visible;
};

namespace Form1Layout {

// A third column as wide as the "Mozilla Firefox" frame, with the same margins,
// holds the "Chrome and Edge" frame.
inline constexpr int ClientWidthTwips = 12060;
inline constexpr int ClientHeightTwips = 7710;
inline constexpr int TwipsPerInch = 1440;
inline constexpr int ListColumnWidthTwips = 6400;
inline constexpr int FontPoints = 9;
inline constexpr char FontFace[] = "Arial";

inline constexpr ControlId NoContainer = static_cast<ControlId>(0);

inline constexpr ControlLayout Controls[] = {
    {IdFrame3, "Frame3", ControlKind::Frame, NoContainer, "Auto Delete is Turned Off.", 120, 90, 7800, 870, 24, true},
    {IdProgressBar1, "ProgressBar1", ControlKind::ProgressBar, IdFrame3, "", 240, 300, 7320, 405, 25, true},
    {IdFrame4, "Frame4", ControlKind::Frame, NoContainer, "Startup Options", 120, 1035, 7800, 735, 27, true},
    {IdCheck4, "Check4", ControlKind::CheckBox, IdFrame4, "Load this software on Windows startup", 240, 300, 3930, 285, 28, true},
    {IdCheck8, "Check8", ControlKind::CheckBox, IdFrame4, "Minimized to system tray", 4320, 300, 2580, 285, 29, false},
    {IdFrame1, "Frame1", ControlKind::Frame, NoContainer, "Internet Explorer", 120, 1845, 3780, 2265, 22, true},
    {IdChkIEHist, "chkIEHist", ControlKind::CheckBox, IdFrame1, "Clear History", 315, 360, 1455, 255, 7, true},
    {IdChkIETemp, "chkIETemp", ControlKind::CheckBox, IdFrame1, "Clear Cache/Temp Internet Files", 315, 720, 3300, 255, 8, true},
    {IdChkIETyped, "chkIETyped", ControlKind::CheckBox, IdFrame1, "Clear Typed Urls In IE", 315, 1080, 2595, 255, 9, true},
    {IdChkIECookies, "chkIECookies", ControlKind::CheckBox, IdFrame1, "Clear Cookies", 315, 1440, 2355, 255, 10, true},
    {IdFrame2, "Frame2", ControlKind::Frame, NoContainer, "Mozilla Firefox", 4035, 1845, 3885, 2265, 23, true},
    {IdChkFFHist, "chkFFHist", ControlKind::CheckBox, IdFrame2, "Clear Form History", 315, 360, 2130, 255, 11, true},
    {IdChkFFDownloads, "chkFFDownloads", ControlKind::CheckBox, IdFrame2, "Clear Downloads", 315, 720, 3030, 255, 12, true},
    {IdChkTypedUrls, "chkTypedUrls", ControlKind::CheckBox, IdFrame2, "Clear Typed URL(s) In Firefox", 315, 1080, 3060, 255, 13, true},
    {IdChkCookies, "chkCookies", ControlKind::CheckBox, IdFrame2, "Clear Cookies", 315, 1440, 2355, 255, 14, true},
    {IdChkFFCache, "chkFFCache", ControlKind::CheckBox, IdFrame2, "Clear Cache", 315, 1800, 2355, 255, 15, true},
    {IdListView2, "ListView2", ControlKind::ListView, NoContainer, "", 120, 4230, 7800, 1860, 0, true},
    {IdPushButton13, "PushButton13", ControlKind::PushButton, NoContainer, "Turn On Auto Delete", 120, 6180, 3840, 405, 1, true},
    {IdPushButton12, "PushButton12", ControlKind::PushButton, NoContainer, "Delete Now (Test)", 4080, 6180, 3840, 405, 2, true},
    {IdPushButton1, "PushButton1", ControlKind::PushButton, NoContainer, "View History Log", 120, 6690, 3840, 405, 3, true},
    {IdPushButton2, "PushButton2", ControlKind::PushButton, NoContainer, "Copy History To Clipboard", 4080, 6690, 3840, 405, 4, true},
    {IdPushButton11, "PushButton11", ControlKind::PushButton, NoContainer, "Help", 120, 7200, 3840, 405, 5, true},
    {IdPushButton3, "PushButton3", ControlKind::PushButton, NoContainer, "Clear History Log", 4080, 7200, 3840, 405, 6, true},
    {IdRichTextBox1, "RichTextBox1", ControlKind::RichText, NoContainer, "", 13620, 120, 4815, 3015, 26, true},
    {IdFrame5, "Frame5", ControlKind::Frame, NoContainer, "Chrome and Edge", 8055, 90, 3885, 7515, 30, true},
    {IdChkCrHist, "chkCrHist", ControlKind::CheckBox, IdFrame5, "Clear History", 315, 360, 3300, 255, 16, true},
    {IdChkCrTyped, "chkCrTyped", ControlKind::CheckBox, IdFrame5, "Clear Typed URLs", 315, 720, 3300, 255, 17, true},
    {IdChkCrDownloads, "chkCrDownloads", ControlKind::CheckBox, IdFrame5, "Clear Downloads", 315, 1080, 3300, 255, 18, true},
    {IdChkCrCookies, "chkCrCookies", ControlKind::CheckBox, IdFrame5, "Clear Cookies", 315, 1440, 3300, 255, 19, true},
    {IdChkCrCache, "chkCrCache", ControlKind::CheckBox, IdFrame5, "Clear Cache", 315, 1800, 3300, 255, 20, true},
    {IdChkCrForms, "chkCrForms", ControlKind::CheckBox, IdFrame5, "Clear Form History", 315, 2160, 3300, 255, 21, true},
    {IdLabel1, "Label1", ControlKind::Label, IdFrame5, "", 315, 2640, 3300, 4600, 31, true},
};

const ControlLayout& Find(ControlId id);

// The control's rectangle in client pixels at `dpi` (frame children are offset
// by their frame's position).
RECT PixelRect(const ControlLayout& layout, int dpi);

inline int TwipsToPixels(int twips, int dpi) { return ::MulDiv(twips, dpi, TwipsPerInch); }

}  // namespace Form1Layout
