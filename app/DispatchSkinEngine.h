// Drives the skin component through its dispatch interface.
#pragma once

#include "app/SkinEngine.h"
#include "system/UniqueHandle.h"

#include <oaidl.h>

class DispatchSkinEngine final : public SkinEngine {
public:
    explicit DispatchSkinEngine(ComPtr<IDispatch> component) : component_(std::move(component)) {}

    void LoadSkin(const std::string& path, const std::string& section) override;
    std::int32_t ApplyOptions() override;
    void SetApplyOptions(std::int32_t options) override;
    void SetFlag(DISPID member, bool value) override;
    void ApplyWindow(HWND window) override;

private:
    // Arguments in call order (Invoke wants them last first). Raises a Failure
    // with the component's own description when the call fails.
    VARIANT Invoke(DISPID member, WORD kind, VARIANT* arguments, UINT count);

    ComPtr<IDispatch> component_;
};
