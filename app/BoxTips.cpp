#include "app/BoxTips.h"

#include "system/Failure.h"

#include <commctrl.h>

namespace {
// About sixty characters a line.
constexpr int MaxTipWidth = 420;
}  // namespace

void BoxTips::Create(HWND owner) {
    owner_ = owner;
    tip_ = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                             ::GetModuleHandleA(nullptr), nullptr);
    if (tip_ == nullptr) throw Failure::FromLastError();
    ::SendMessageA(tip_, TTM_SETMAXTIPWIDTH, 0, MaxTipWidth);
    // A long text stays up long enough to be read.
    ::SendMessageA(tip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(30000, 0));
}

void BoxTips::Set(HWND control, const std::string& text) {
    if (tip_ == nullptr) return;
    const bool added = texts_.count(control) > 0;
    std::string& kept = texts_[control];
    kept = text;
    TOOLINFOA tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = owner_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.uFlags = TTF_SUBCLASS | TTF_IDISHWND;
    tool.lpszText = kept.data();
    ::SendMessageA(tip_, added ? TTM_UPDATETIPTEXTA : TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}
