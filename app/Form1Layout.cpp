#include "app/Form1Layout.h"

#include "app/CleaningBoxes.h"

#include <map>

namespace Form1Layout {
namespace {

// The cleaning boxes stand in their frame's left column, one under the other,
// and come in the tab order right after the eight push buttons.
constexpr int BoxLeft = 315;
constexpr int FirstBoxTop = 360;
constexpr int BoxPitch = 360;
constexpr int BoxHeight = 255;
constexpr int FirstBoxTabIndex = 9;
constexpr int AfterBoxes = FirstBoxTabIndex + static_cast<int>(CleaningBoxes::Count);
// The label under the Chrome and Edge boxes ends a little above its frame's
// bottom edge, which is above the two last rows of buttons.
constexpr int LabelGap = 120;
constexpr int LabelBottom = 6270;

// clang-format off
constexpr ControlLayout FixedControls[] = {
    {IdFrame3, "Frame3", ControlKind::Frame, NoContainer, "Auto Delete is Turned Off.", 120, 90, 7800, 870, AfterBoxes + 2, true},
    {IdProgressBar1, "ProgressBar1", ControlKind::ProgressBar, IdFrame3, "", 240, 300, 7320, 405, AfterBoxes + 3, true},
    {IdFrame4, "Frame4", ControlKind::Frame, NoContainer, "Startup Options", 120, 1035, 7800, 735, AfterBoxes + 5, true},
    {IdCheck4, "Check4", ControlKind::CheckBox, IdFrame4, "Load this software on Windows startup", 240, 300, 3930, 285, AfterBoxes + 6, true},
    {IdCheck8, "Check8", ControlKind::CheckBox, IdFrame4, "Minimized to system tray", 4320, 300, 2580, 285, AfterBoxes + 7, false},
    {IdFrame1, "Frame1", ControlKind::Frame, NoContainer, "Internet Explorer", 120, 1845, 3780, 2265, AfterBoxes, true},
    {IdFrame2, "Frame2", ControlKind::Frame, NoContainer, "Mozilla Firefox", 4035, 1845, 3885, 2265, AfterBoxes + 1, true},
    {IdListView2, "ListView2", ControlKind::ListView, NoContainer, "", 120, 4230, 7800, 1860, 0, true},
    {IdPushButton13, "PushButton13", ControlKind::PushButton, NoContainer, "Turn On Auto Delete", 120, 6180, 3840, 405, 1, true},
    {IdPushButton12, "PushButton12", ControlKind::PushButton, NoContainer, "Delete Now (Test)", 4080, 6180, 3840, 405, 2, true},
    {IdPushButton1, "PushButton1", ControlKind::PushButton, NoContainer, "View History Log", 120, 6690, 3840, 405, 3, true},
    {IdPushButton2, "PushButton2", ControlKind::PushButton, NoContainer, "Copy History To Clipboard", 4080, 6690, 3840, 405, 4, true},
    {IdPushButton11, "PushButton11", ControlKind::PushButton, NoContainer, "Help", 120, 7200, 3840, 405, 5, true},
    {IdPushButton3, "PushButton3", ControlKind::PushButton, NoContainer, "Clear History Log", 4080, 7200, 3840, 405, 6, true},
    {IdPushButton15, "PushButton15", ControlKind::PushButton, NoContainer, "Sites to Keep...", 8055, 6690, 3885, 405, 7, true},
    {IdPushButton14, "PushButton14", ControlKind::PushButton, NoContainer, "Preview", 8055, 7200, 3885, 405, 8, true},
    {IdRichTextBox1, "RichTextBox1", ControlKind::RichText, NoContainer, "", 13620, 120, 4815, 3015, AfterBoxes + 4, true},
    {IdFrame5, "Frame5", ControlKind::Frame, NoContainer, "Chrome and Edge", 8055, 90, 3885, 6510, AfterBoxes + 8, true},
    {IdLabel1, "Label1", ControlKind::Label, IdFrame5, "", 315, 0, 3300, 0, AfterBoxes + 9, true},
};
// clang-format on

std::vector<ControlLayout> AllControls() {
    std::vector<ControlLayout> controls(std::begin(FixedControls), std::end(FixedControls));
    std::map<ControlId, int> inFrame;  // the boxes placed in each frame so far
    for (std::size_t i = 0; i < CleaningBoxes::Count; ++i) {
        const CleaningBox& box = CleaningBoxes::Rows[i];
        const int top = FirstBoxTop + BoxPitch * inFrame[box.frame]++;
        controls.push_back({CleaningBoxes::IdAt(i), box.name, ControlKind::CheckBox, box.frame, box.caption, BoxLeft,
                            top, box.width, BoxHeight, FirstBoxTabIndex + static_cast<int>(i), true});
    }
    for (ControlLayout& layout : controls) {
        if (layout.id != IdLabel1) continue;
        layout.top = FirstBoxTop + BoxPitch * inFrame[IdFrame5] + LabelGap;
        layout.height = LabelBottom - layout.top;
    }
    return controls;
}

}  // namespace

const std::vector<ControlLayout>& Controls() {
    static const std::vector<ControlLayout> controls = AllControls();
    return controls;
}

const ControlLayout& Find(ControlId id) {
    for (const ControlLayout& layout : Controls())
        if (layout.id == id) return layout;
    return Controls()[0];
}

RECT PixelRect(const ControlLayout& layout, int dpi) {
    int left = layout.left;
    int top = layout.top;
    if (layout.container != NoContainer) {
        const ControlLayout& frame = Find(layout.container);
        left += frame.left;
        top += frame.top;
    }
    RECT r;
    r.left = TwipsToPixels(left, dpi);
    r.top = TwipsToPixels(top, dpi);
    r.right = TwipsToPixels(left + layout.width, dpi);
    r.bottom = TwipsToPixels(top + layout.height, dpi);
    return r;
}

}  // namespace Form1Layout
