#include "system/ProgramLocation.h"

#include "system/Path.h"

#include <windows.h>

namespace ProgramLocation {

std::string ExePath() {
    // A path of any length: the buffer grows until the whole of it fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return "";
        if (length < path.size()) return Path::FromSystem(std::wstring_view(path.data(), length));
        path.resize(path.size() * 2);
    }
}

std::string ExeName() {
    const std::string path = ExePath();
    const std::size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Folder() {
    const std::string path = ExePath();
    const std::size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : Path::WithoutBackslash(path.substr(0, slash + 1));
}

}  // namespace ProgramLocation
