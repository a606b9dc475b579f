// Putting text on the clipboard. The text lives in a movable global memory
// block that the caller owns until the clipboard takes it; the clipboard stays
// open for one window for as long as a Clipboard object lives.
#pragma once

#include "system/UniqueHandle.h"

#include <windows.h>
#include <string>

class Clipboard {
public:
    // A whole text file and a closing NUL in one block of UTF-16, ready to go
    // on the clipboard as CF_UNICODETEXT. The file is UTF-8; a line that is
    // not (written by an older version in the user's ANSI code page) is read
    // in that code page. Raises a Failure when the file cannot be read or the
    // memory cannot be had.
    static UniqueGlobal ReadFileAsText(const std::string& path);

    // Opens the clipboard for `owner`; raises a Failure when another window
    // holds it open.
    explicit Clipboard(HWND owner);
    ~Clipboard();
    Clipboard(const Clipboard&) = delete;
    Clipboard& operator=(const Clipboard&) = delete;

    // Empties the clipboard; the owner window becomes its owner.
    void Empty();
    // Hands the block over as CF_UNICODETEXT; from then on the clipboard frees it.
    // An empty block puts nothing. Raises a Failure when the clipboard refuses
    // it (the block is then freed here).
    void PutText(UniqueGlobal text);
};
