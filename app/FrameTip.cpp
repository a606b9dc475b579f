#include "app/FrameTip.h"

#include "system/Failure.h"

#include <commctrl.h>

namespace {
// The frame's own tool: the owner's area under the frame, which hands the
// mouse on to its parent.
constexpr UINT_PTR FrameToolId = 1;
// Wide enough for "Mozilla Firefox: 10 profiles" on one line; the lines break
// where the text breaks them.
constexpr int MaxTipWidth = 400;
}  // namespace

TOOLINFOA FrameTip::Tool(UINT_PTR id) const {
    TOOLINFOA tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = owner_;
    tool.uId = id;
    tool.uFlags = TTF_SUBCLASS | (id == FrameToolId ? 0 : TTF_IDISHWND);
    tool.lpszText = const_cast<char*>(text_.c_str());
    return tool;
}

void FrameTip::Create(HWND owner, const RECT& frameRect, const std::vector<HWND>& inside) {
    owner_ = owner;
    inside_ = inside;
    tip_ = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                             ::GetModuleHandleA(nullptr), nullptr);
    if (tip_ == nullptr) throw Failure::FromLastError();
    ::SendMessageA(tip_, TTM_SETMAXTIPWIDTH, 0, MaxTipWidth);
    TOOLINFOA frame = Tool(FrameToolId);
    frame.rect = frameRect;
    ::SendMessageA(tip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&frame));
    for (HWND control : inside_) {
        TOOLINFOA tool = Tool(reinterpret_cast<UINT_PTR>(control));
        ::SendMessageA(tip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void FrameTip::Place(const RECT& frameRect) {
    if (tip_ == nullptr) return;
    TOOLINFOA frame = Tool(FrameToolId);
    frame.rect = frameRect;
    ::SendMessageA(tip_, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&frame));
}

void FrameTip::SetText(const std::string& text) {
    if (tip_ == nullptr) return;
    text_ = text;
    std::vector<UINT_PTR> ids{FrameToolId};
    for (HWND control : inside_) ids.push_back(reinterpret_cast<UINT_PTR>(control));
    for (UINT_PTR id : ids) {
        TOOLINFOA tool = Tool(id);
        ::SendMessageA(tip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}
