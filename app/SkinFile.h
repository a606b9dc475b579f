// The program's own skin file format (see docs/skin-format.md): a text file
// that names the window's colours and font.
#pragma once

#include <windows.h>

#include <string>

struct Skin {
    COLORREF window = RGB(236, 233, 216);  // window background
    COLORREF face = RGB(255, 255, 255);    // frames, check boxes, progress-bar track
    COLORREF text = RGB(0, 0, 0);          // text of frames and check boxes
    COLORREF button = RGB(212, 208, 200);  // push-button face, progress bar
    COLORREF buttonText = RGB(0, 0, 0);
    COLORREF list = RGB(255, 255, 255);  // list background
    COLORREF listText = RGB(0, 0, 0);
    std::string font = "Arial";
    int fontSize = 9;  // points
    bool fontBold = true;
};

namespace SkinFile {

inline constexpr char Header[] = "[Vorlane Skin]";

// Parses the text of a skin file. Raises a Failure naming the line when the
// text is not a skin of this format.
Skin Parse(const std::string& text);

// Reads and parses the file. Raises a Failure when it cannot be read or parsed.
Skin Load(const std::string& path);

}  // namespace SkinFile
