#include "system/mStartUp.h"

#include "system/Path.h"
#include "system/ProgramLocation.h"
#include "system/RegStuff.h"

namespace mStartUp {

// The entry names the running program itself (not the first .exe a search of
// its folder happens to return), so Windows starts exactly this program.
void AddToStartup() {
    const std::string name = ProgramLocation::ExeName();
    if (name.empty()) return;
    RegStuff::AddRunValue(name, Path::Join(ProgramLocation::Folder(), name));
}

void RemoveFromStartup() {
    const std::string name = ProgramLocation::ExeName();
    if (name.empty()) return;
    RegStuff::DeleteRunValue(name);
}

}  // namespace mStartUp
