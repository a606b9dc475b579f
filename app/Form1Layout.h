// The controls of the main window: kind, container, caption, position in twips
// (relative to the container) and tab index. The cleaning boxes' rows come from
// their own table (app/CleaningBoxes.h).
#pragma once

#include <windows.h>

#include <vector>

enum class ControlKind {
    Frame,
    CheckBox,
    PushButton,
    ListView,
    ProgressBar,
    RichText,
    Label
};

enum ControlId : int {
    IdFrame3 = 1001,
    IdProgressBar1,
    IdFrame4,
    IdCheck4,
    IdCheck8,
    IdFrame1,
    IdFrame2,
    IdListView2,
    IdPushButton13,
    IdPushButton12,
    IdPushButton1,
    IdPushButton2,
    IdPushButton11,
    IdPushButton3,
    IdRichTextBox1,
    IdFrame5,
    IdLabel1,
    IdPushButton14,
    IdPushButton15,
    // The cleaning boxes (app/CleaningBoxes.h) take the ids from here on.
    IdFirstBox = 1101,
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

// Every control: the fixed ones, then a check box for each cleaning box.
const std::vector<ControlLayout>& Controls();

const ControlLayout& Find(ControlId id);

// The control's rectangle in client pixels at `dpi` (frame children are offset
// by their frame's position).
RECT PixelRect(const ControlLayout& layout, int dpi);

inline int TwipsToPixels(int twips, int dpi) { return ::MulDiv(twips, dpi, TwipsPerInch); }

}  // namespace Form1Layout
