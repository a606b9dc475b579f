// The engine that draws the main window in a skin: the six calls the window
// makes, whichever engine answers them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

class SkinEngine {
public:
    // Dispatch members of the skin component, in the order the window calls them.
    static constexpr DISPID LoadSkinMember = 2;
    static constexpr DISPID ApplyOptionsMember = 1;
    static constexpr DISPID Flag5Member = 5;
    static constexpr DISPID Flag10Member = 10;
    static constexpr DISPID ApplyWindowMember = 3;
    static constexpr char ProgId[] = "XtremeSkinFramework.SkinFramework";

    virtual ~SkinEngine() = default;

    // Reads the skin file; raises a Failure when it cannot.
    virtual void LoadSkin(const std::string& path, const std::string& section) = 0;
    virtual std::int32_t ApplyOptions() = 0;
    virtual void SetApplyOptions(std::int32_t options) = 0;
    // Members 5 and 10: switches of the engine, both turned on by the window.
    virtual void SetFlag(DISPID member, bool value) = 0;
    // Draws the window and its controls in the loaded skin from now on.
    virtual void ApplyWindow(HWND window) = 0;

    // The engine for this machine: the skin component when it is registered
    // (Seams::Platform::CreateComponent), otherwise the program's own engine.
    static std::unique_ptr<SkinEngine> ForThisMachine();
};
