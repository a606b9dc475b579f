// A tool tip over one frame of the main window and the controls in it: for a
// frame too small to show a label of its own (the "Mozilla Firefox" frame's
// list of the browsers found).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

class FrameTip {
public:
    // A tip shown over `frame` (a control of `owner`, placed at `frameRect` in
    // its client area) and over each of `inside`. The tip window is owned by
    // `owner` and goes with it.
    void Create(HWND owner, const RECT& frameRect, const std::vector<HWND>& inside);
    // The frame moved or changed size (the window changed scale).
    void Place(const RECT& frameRect);
    // Lines end with "\r\n".
    void SetText(const std::string& text);

private:
    // The tool of the frame (FrameToolId) or of a control inside it (its window).
    TOOLINFOA Tool(UINT_PTR id) const;

    HWND tip_ = nullptr;
    HWND owner_ = nullptr;
    std::vector<HWND> inside_;
    std::string text_;
};
