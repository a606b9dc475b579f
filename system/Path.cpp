#include "system/Path.h"

#include "system/Failure.h"
#include "system/UniqueHandle.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace Path {
namespace {

bool IsDriveForm(const std::string& path) {
    return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
           path[2] == '\\';
}

// "\\server\share...", not the device forms "\\?\" and "\\.\".
bool IsShareForm(const std::string& path) {
    return path.size() > 2 && path[0] == '\\' && path[1] == '\\' && path[2] != '?' && path[2] != '.' &&
           path[2] != '\\';
}

// No "/", and no component "." or ".." or empty one (but a final backslash):
// the "\\?\" form takes a path exactly as written, so it must be the path meant.
bool HasPlainComponents(const std::string& below) {
    if (below.find('/') != std::string::npos) return false;
    std::size_t start = 0;
    while (start < below.size()) {
        const std::size_t end = std::min(below.find('\\', start), below.size());
        const std::string_view part(below.data() + start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        start = end + 1;
    }
    return true;
}

std::wstring Widen(const std::string& text) {
    if (text.empty()) return L"";
    const int size = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(size, 0)), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

}  // namespace

std::wstring ForSystem(const std::string& path) {
    if (IsDriveForm(path) && HasPlainComponents(path.substr(3))) return L"\\\\?\\" + Widen(path);
    if (IsShareForm(path) && HasPlainComponents(path.substr(2))) return L"\\\\?\\UNC\\" + Widen(path.substr(2));
    return Widen(path);
}

std::string FromSystem(std::wstring_view text) {
    if (text.empty()) return "";
    const int size =
        ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(std::max(size, 0)), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), narrow.data(), size, nullptr,
                          nullptr);
    return narrow;
}

std::string FromSystemCall(const std::function<DWORD(wchar_t* buffer, DWORD room)>& get) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD length = get(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return "";
        if (length < buffer.size()) return FromSystem(std::wstring_view(buffer.data(), length));
        buffer.resize(std::max<std::size_t>(length + 1, buffer.size() * 2));
    }
    return "";
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '\\') return folder + name;
    return folder + '\\' + name;
}

std::string WithBackslash(std::string path) {
    if (path.empty() || path.back() != '\\') path += '\\';
    return path;
}

std::string WithoutBackslash(std::string path) {
    // A backslash after a drive's colon stays: "C:" names the drive's current folder.
    while (path.size() > 1 && path.back() == '\\' && path[path.size() - 2] != ':') path.pop_back();
    return path;
}

bool IsDriveRoot(const std::string& path) {
    std::string_view root = path;
    if (root.ends_with('\\')) root.remove_suffix(1);
    if (root.size() == 2 && root[1] == ':' && std::isalpha(static_cast<unsigned char>(root[0]))) return true;
    // \\server\share
    if (root.size() < 5 || !root.starts_with("\\\\")) return false;
    const std::size_t slash = root.find('\\', 2);
    return slash != std::string_view::npos && slash > 2 && slash + 1 < root.size() &&
           root.find('\\', slash + 1) == std::string_view::npos;
}

DWORD Attributes(const std::string& path) { return ::GetFileAttributesW(ForSystem(path).c_str()); }

bool Exists(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

bool IsFile(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsLink(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::vector<std::string> Subfolders(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    const UniqueFind find(::FindFirstFileW(ForSystem(Join(folder, "*")).c_str(), &data));
    if (!find) return names;
    do {
        const std::wstring_view name = data.cFileName;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..")
            names.push_back(FromSystem(name));
    } while (::FindNextFileW(find.Get(), &data));
    return names;
}

bool IsGone(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

std::size_t ReadAll(const std::string& path, const std::function<char*(std::size_t length)>& place) {
    const UniqueFile file(::CreateFileW(ForSystem(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) throw Failure::FromLastError();
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size)) throw Failure::FromLastError();
    if (static_cast<std::uint64_t>(size.QuadPart) >= SIZE_MAX) throw Failure::FromWin32(ERROR_NOT_ENOUGH_MEMORY);
    const std::size_t length = static_cast<std::size_t>(size.QuadPart);

    char* bytes = place(length);
    std::size_t done = 0;
    while (done < length) {
        constexpr std::size_t Chunk = 16u << 20;
        DWORD read = 0;
        if (!::ReadFile(file.Get(), bytes + done, static_cast<DWORD>(std::min(length - done, Chunk)), &read, nullptr))
            throw Failure::FromLastError();
        if (read == 0) break;  // the file was cut short meanwhile: its end is here
        done += read;
    }
    return done;
}

std::string ReadAll(const std::string& path, std::size_t largest) {
    std::string text;
    text.resize(ReadAll(path, [&](std::size_t length) {
        if (length > largest) throw Failure::FromWin32(ERROR_FILE_TOO_LARGE);
        text.resize(length);
        return text.data();
    }));
    return text;
}

std::string ReadAll(const std::string& path) {
    std::string text;
    text.resize(ReadAll(path, [&](std::size_t length) {
        text.resize(length);
        return text.data();
    }));
    return text;
}

}  // namespace Path
