#include "system/mStartUp.h"

#include "system/ProgramLocation.h"
#include "system/RegStuff.h"

namespace mStartUp {

void AddToStartup() { RegStuff::AddRunValue(ProgramLocation::ExeName(), ProgramLocation::ExePath()); }

void RemoveFromStartup() { RegStuff::DeleteRunValue(ProgramLocation::ExeName()); }

}  // namespace mStartUp
