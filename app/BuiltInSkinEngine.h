// The program's own skin engine: draws a window and its controls in the colours
// and font of a skin file of our format (docs/skin-format.md).
#pragma once

#include "app/SkinEngine.h"
#include "app/SkinFile.h"
#include "system/BrushCache.h"
#include "system/UniqueHandle.h"

#include <map>
#include <optional>
#include <vector>

class BuiltInSkinEngine final : public SkinEngine {
public:
    BuiltInSkinEngine() = default;
    ~BuiltInSkinEngine() override;

    void LoadSkin(const std::string& path, const std::string& section) override;
    // Kept for the caller; this engine always draws the window and all its controls.
    std::int32_t ApplyOptions() override { return options_; }
    void SetApplyOptions(std::int32_t options) override { options_ = options; }
    // This engine has no such switches: it always draws everything.
    void SetFlag(DISPID, bool) override {}
    void ApplyWindow(HWND window) override;

private:
    void Subclass(HWND window, UINT_PTR role);
    LRESULT OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    void PaintBackground(HWND window, HDC dc);
    void DrawPushButton(const DRAWITEMSTRUCT& item);
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR role, DWORD_PTR self);

    std::optional<Skin> skin_;
    std::int32_t options_ = 0;
    UniqueFont font_;
    BrushCache brushes_;
    std::vector<std::pair<HWND, UINT_PTR>> subclassed_;
};
