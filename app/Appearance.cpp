#include "app/Appearance.h"

#include "app/Form1.h"
#include "app/SkinEngine.h"
#include "system/Path.h"
#include "system/ProgramLocation.h"

#include <windows.h>

namespace Appearance {

namespace {
bool NormalFileExists(const std::string& path) {
    const DWORD attributes = Path::Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY)) == 0;
}
}  // namespace

std::string SkinPath() {
    const std::string skin = Path::Join(ProgramLocation::Folder(), Form1Texts::SkinFile);
    return NormalFileExists(skin) ? skin : std::string();
}

void ApplySkin(Form1& form) {
    const std::string skin = SkinPath();
    if (skin.empty()) return;
    const COLORREF buttonFace = ::GetSysColor(COLOR_BTNFACE);
    form.SetBackColor(buttonFace);
    for (const ControlLayout& layout : Form1Layout::Controls())
        if (layout.kind == ControlKind::Frame || layout.kind == ControlKind::CheckBox ||
            layout.kind == ControlKind::Label)
            form.SetControlBackColor(layout.id, buttonFace);
    form.SetSkinFramework1(SkinEngine::ForThisMachine());
    DriveSkinEngine(*form.SkinFramework1(), skin, form);
}

void DriveSkinEngine(SkinEngine& engine, const std::string& skinPath, Form1& form) {
    engine.LoadSkin(skinPath, "");
    const std::int32_t options = engine.ApplyOptions();
    engine.SetApplyOptions(options | 1);
    engine.SetFlag(SkinEngine::Flag5Member, true);
    engine.SetFlag(SkinEngine::Flag10Member, true);
    engine.ApplyWindow(form.Handle());
}

}  // namespace Appearance
