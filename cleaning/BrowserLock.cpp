#include "cleaning/BrowserLock.h"

#include "system/Path.h"
#include "system/UniqueHandle.h"

#include <windows.h>

namespace BrowserLock {
// Opened to read without sharing: any open handle that may write (Firefox's,
// or Chrome's, which shares reading only) makes that a sharing violation.
bool IsHeld(const std::string& lockFile) {
    UniqueFile lock(::CreateFileW(Path::ForSystem(lockFile).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return !lock && ::GetLastError() == ERROR_SHARING_VIOLATION;
}
}  // namespace BrowserLock
