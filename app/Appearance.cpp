#include "app/Appearance.h"

#include "app/Form1.h"
#include "system/ProgramLocation.h"

#include <windows.h>

namespace Appearance {

namespace {
bool NormalFileExists(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    ::FindClose(find);
    return (data.dwFileAttributes &
            (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY)) == 0;
}
}  // namespace

void ApplySkin(Form1& form) {
    const std::string skin = ProgramLocation::Folder() + Form1Texts::SkinFile;
    if (!NormalFileExists(skin)) return;
    const COLORREF buttonFace = ::GetSysColor(COLOR_BTNFACE);
    form.SetBackColor(buttonFace);
    for (const ControlSpec& spec : Form1Layout::Controls)
        if (spec.kind == ControlKind::Frame || spec.kind == ControlKind::CheckBox)
            form.SetControlBackColor(spec.id, buttonFace);
    // The skin engine that draws the window from the skin file comes with the
    // appearance work.
}

}  // namespace Appearance
