// A dialog template built in memory, for the program's dialogs that have no
// resource: the header, then each control, DWORD-aligned, with its window
// class and caption in UTF-16.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

class DialogTemplate {
public:
    // A modal dialog with a caption and a close box, centred, in 8-point "MS
    // Shell Dlg"; the size in dialog units.
    DialogTemplate(const char* caption, short width, short height);

    // A visible child control of `windowClass` ("BUTTON", WC_LISTVIEWA...).
    void Add(const char* windowClass, const char* caption, DWORD style, int id, short x, short y, short cx, short cy);

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void AddDword(DWORD value);
    void AddText(const char* text);

    std::vector<WORD> words_;
    std::size_t countAt_;
};
