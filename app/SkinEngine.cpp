#include "app/SkinEngine.h"

#include "app/BuiltInSkinEngine.h"
#include "app/DispatchSkinEngine.h"
#include "system/Seams.h"

std::unique_ptr<SkinEngine> SkinEngine::ForThisMachine() {
    ComPtr<IDispatch> component = Seams::Current().CreateComponent(ProgId);
    if (component) return std::make_unique<DispatchSkinEngine>(std::move(component));
    return std::make_unique<BuiltInSkinEngine>();
}
