#include "system/mStartUp.h"

#include "system/ProgramLocation.h"
#include "system/RegStuff.h"

namespace mStartUp {

// The entry names the running program itself (not the first .exe a search of
// its folder happens to return), so Windows starts exactly this program.
void AddToStartup() {
    const std::string name = ProgramLocation::ExeName();
    if (name.empty()) return;
    RegStuff::AddRunValue(name, ExecutablePath(ProgramLocation::Folder(), name));
}

void RemoveFromStartup() {
    const std::string name = ProgramLocation::ExeName();
    if (name.empty()) return;
    RegStuff::DeleteRunValue(name);
}

std::string ExecutablePath(const std::string& folder, const std::string& fileName) {
    if (folder.empty() || folder.back() == '\\') return folder + fileName;
    return folder + "\\" + fileName;
}

}  // namespace mStartUp
