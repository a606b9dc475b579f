#include "system/ProgramLocation.h"

#include <windows.h>

namespace ProgramLocation {

std::string ExePath() {
    char path[MAX_PATH * 2] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof(path));
    return std::string(path, length);
}

std::string ExeName() {
    const std::string path = ExePath();
    const std::size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Folder() {
    std::string folder = ExePath();
    const std::size_t slash = folder.find_last_of('\\');
    if (slash == std::string::npos) return folder;
    folder.resize(slash);
    if (folder.size() == 2 && folder[1] == ':') folder += '\\';
    return folder;
}

}  // namespace ProgramLocation
