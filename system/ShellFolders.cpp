#include "system/ShellFolders.h"

#include "system/Path.h"
#include "system/Registry1.h"

#include <windows.h>

namespace ShellFolders {

std::optional<std::string> Read(const char* name) {
    const std::optional<std::string> value = Registry1::ReadRegStringValue(HKEY_CURRENT_USER, Key, name);
    if (!value) return std::nullopt;
    return Path::WithoutBackslash(*value);
}

bool HasValue(const char* name) { return Registry1::ValueExists(HKEY_CURRENT_USER, Key, name); }

}  // namespace ShellFolders
