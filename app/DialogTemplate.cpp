#include "app/DialogTemplate.h"

#include <string>

DialogTemplate::DialogTemplate(const char* caption, short width, short height) {
    AddDword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER);
    AddDword(0);
    countAt_ = words_.size();
    words_.push_back(0);  // the number of controls, counted as they come
    for (short n : {short{0}, short{0}, width, height}) words_.push_back(static_cast<WORD>(n));
    words_.push_back(0);  // no menu
    words_.push_back(0);  // the standard dialog class
    AddText(caption);
    words_.push_back(8);
    AddText("MS Shell Dlg");
}

void DialogTemplate::Add(const char* windowClass, const char* caption, DWORD style, int id, short x, short y, short cx,
                         short cy) {
    if (words_.size() % 2 != 0) words_.push_back(0);
    AddDword(style | WS_CHILD | WS_VISIBLE);
    AddDword(0);
    for (short n : {x, y, cx, cy}) words_.push_back(static_cast<WORD>(n));
    words_.push_back(static_cast<WORD>(id));
    AddText(windowClass);
    AddText(caption);
    words_.push_back(0);  // no creation data
    ++words_[countAt_];
}

void DialogTemplate::AddDword(DWORD value) {
    words_.push_back(LOWORD(value));
    words_.push_back(HIWORD(value));
}

void DialogTemplate::AddText(const char* text) {
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
    words_.insert(words_.end(), wide.begin(), wide.end());  // with its terminating zero
}
