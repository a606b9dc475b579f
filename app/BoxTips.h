// The tool tips of the cleaning boxes: each says what its box deletes and what
// it keeps (BoxCleaners::Describe), the words README's table is made of; the
// boxes of the "Mozilla Firefox" frame add the list of the browsers found,
// for which that frame has no room.
#pragma once

#include <windows.h>

#include <map>
#include <string>

class BoxTips {
public:
    // One tip window owned by `owner`; no tool yet.
    void Create(HWND owner);
    // `control` shows `text` (lines break where it has "\r\n").
    void Set(HWND control, const std::string& text);

private:
    HWND tip_ = nullptr;
    HWND owner_ = nullptr;
    std::map<HWND, std::string> texts_;  // each tool's text, alive as long as the tool
};
