#include "cleaning/TargetCheck.h"

#include "system/FileGuard.h"
#include "system/Path.h"
#include "system/ProgramLocation.h"
#include "system/UniqueHandle.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <optional>
#include <vector>

namespace TargetCheck {
namespace {

constexpr char LeftAloneSuffix[] = " was left alone: not a browser folder";

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// As the file system compares names: letters of every script without regard to case.
bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a == b) return true;
    const std::wstring wideA = Path::ForSystem(a), wideB = Path::ForSystem(b);
    return ::CompareStringOrdinal(wideA.c_str(), static_cast<int>(wideA.size()), wideB.c_str(),
                                  static_cast<int>(wideB.size()), TRUE) == CSTR_EQUAL;
}

bool IsDriveLetterPrefix(const std::string& path) {
    return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
           path[2] == '\\';
}

// Splits "a\b\c" into its components; empty ones are kept so they can be refused.
std::vector<std::string> Components(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\\', start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

bool IsPlainComponent(const std::string& part) {
    if (part.empty() || part == "." || part == "..") return false;
    if (part.back() == ' ' || part.back() == '.') return false;
    return part.find_first_of(":*?\"<>|") == std::string::npos;
}

// Everything below the drive root or the share: "" when nothing is below.
// Returns false when the path has neither form.
bool SplitRoot(const std::string& path, std::string* below) {
    if (IsDriveLetterPrefix(path)) {
        *below = path.substr(3);
        return true;
    }
    if (path.size() < 2 || path[0] != '\\' || path[1] != '\\') return false;
    const std::size_t serverEnd = path.find('\\', 2);
    if (serverEnd == std::string::npos || serverEnd == 2) return false;
    const std::size_t shareEnd = path.find('\\', serverEnd + 1);
    if (shareEnd == std::string::npos || shareEnd == serverEnd + 1) return false;
    if (!IsPlainComponent(path.substr(2, serverEnd - 2)) ||
        !IsPlainComponent(path.substr(serverEnd + 1, shareEnd - serverEnd - 1)))
        return false;
    *below = path.substr(shareEnd + 1);
    return true;
}

std::string KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::string result;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path) result = Path::FromSystem(path);
    ::CoTaskMemFree(path);
    return result;
}

// The system gives it with a trailing backslash.
std::string TempFolder() {
    return Path::WithoutBackslash(Path::FromSystemCall([](wchar_t* buffer, DWORD room) { return ::GetTempPathW(room, buffer); }));
}

}  // namespace


bool HasTargetShape(const std::string& path) {
    if (path.find('/') != std::string::npos) return false;
    if (StartsWith(path, "\\\\?\\") || StartsWith(path, "\\\\.\\") || StartsWith(path, "\\??\\")) return false;
    std::string below;
    if (!SplitRoot(path, &below) || below.empty()) return false;
    const std::vector<std::string> parts = Components(below);
    return std::all_of(parts.begin(), parts.end(), IsPlainComponent);
}

namespace {

// The list of the innermost ProtectedFoldersScope of this thread, if any.
thread_local const std::vector<std::string>* heldFolders = nullptr;

std::vector<std::string> ReadProtectedFolders() {
    const KNOWNFOLDERID* const ids[] = {
        &FOLDERID_Profile,
        &FOLDERID_Desktop,
        &FOLDERID_Documents,
        &FOLDERID_Downloads,
        &FOLDERID_Pictures,
        &FOLDERID_Music,
        &FOLDERID_Videos,
        &FOLDERID_Favorites,
        &FOLDERID_RoamingAppData,
        &FOLDERID_LocalAppData,
        &FOLDERID_Windows,
        &FOLDERID_System,
        &FOLDERID_ProgramFiles,
        &FOLDERID_ProgramFilesX86,
        &FOLDERID_ProgramData,
    };
    std::vector<std::string> given;
    for (const KNOWNFOLDERID* id : ids) given.push_back(KnownFolder(*id));
    given.push_back(TempFolder());
    given.push_back(ProgramLocation::Folder());

    std::vector<std::string> folders;
    for (const std::string& folder : given) {
        if (folder.empty()) continue;
        folders.push_back(folder);
        const std::string resolved = FileGuard::ResolvedPath(folder);
        if (!resolved.empty() && !SamePath(resolved, folder)) folders.push_back(resolved);
    }
    return folders;
}

}  // namespace

std::vector<std::string> ProtectedFolders() { return heldFolders ? *heldFolders : ReadProtectedFolders(); }

ProtectedFoldersScope::ProtectedFoldersScope() : folders_(ProtectedFolders()), outer_(heldFolders) {
    heldFolders = &folders_;
}

ProtectedFoldersScope::~ProtectedFoldersScope() { heldFolders = outer_; }

bool SamePath(const std::string& a, const std::string& b) { return EqualNoCase(a, b); }

std::wstring PathKey(const std::string& path) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    if (length <= 0) return L"";
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(), length);
    std::wstring key(wide.size(), L'\0');
    ::LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide.data(), length, key.data(), length);
    return key;
}

bool IsInside(const std::string& child, const std::string& parent) {
    const std::string prefix = Path::WithBackslash(parent);
    return child.size() > prefix.size() && EqualNoCase(child.substr(0, prefix.size()), prefix);
}

std::string ResolvedBelow(const std::string& resolvedTop, const std::string& top, const std::string& folder) {
    return folder.size() <= top.size() ? resolvedTop : resolvedTop + folder.substr(top.size());
}

bool CoversProtectedFolder(const std::string& path, const std::vector<std::string>& protectedFolders) {
    return std::any_of(protectedFolders.begin(), protectedFolders.end(), [&](const std::string& folder) {
        return SamePath(path, folder) || IsInside(folder, path);
    });
}

namespace {

Verdict Check(const std::string& path, std::string* resolved, bool followLink) {
    if (path.empty()) return Verdict::Missing;
    if (!HasTargetShape(path)) return Verdict::Refused;
    const DWORD attributes = Path::Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return Path::IsGone(::GetLastError()) ? Verdict::Missing : Verdict::Refused;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return Verdict::Missing;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && !followLink) return Verdict::Refused;
    const std::string final = FileGuard::ResolvedPath(path);
    if (final.empty() || !HasTargetShape(final)) return Verdict::Refused;
    const std::vector<std::string> protectedFolders = ProtectedFolders();
    if (CoversProtectedFolder(path, protectedFolders) || CoversProtectedFolder(final, protectedFolders))
        return Verdict::Refused;
    if (resolved) *resolved = final;
    return Verdict::Target;
}

}  // namespace

Verdict CheckFolder(const std::string& path, std::string* resolved) { return Check(path, resolved, false); }

Verdict CheckBrowserFolder(const std::string& path, std::string* resolved) { return Check(path, resolved, true); }

std::string NotABrowserFolder(const std::string& path) { return path + LeftAloneSuffix; }

}  // namespace TargetCheck
