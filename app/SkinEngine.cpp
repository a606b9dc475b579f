#include "app/SkinEngine.h"

#include "app/BuiltInSkinEngine.h"
#include "app/DispatchSkinEngine.h"

SkinEngine::Factory SkinEngine::factory = SkinEngine::ForThisMachine;

std::unique_ptr<SkinEngine> SkinEngine::ForThisMachine() {
    ComPtr<IDispatch> component = DispatchSkinEngine::CreateComponent();
    if (component) return std::make_unique<DispatchSkinEngine>(std::move(component));
    return std::make_unique<BuiltInSkinEngine>();
}
