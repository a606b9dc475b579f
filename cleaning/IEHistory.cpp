#include "cleaning/IEHistory.h"

#include "cleaning/AddFolder.h"
#include "cleaning/FileRoutines.h"
#include "cleaning/IEUrlCache.h"
#include "system/ErrorReport.h"
#include "system/Registry1.h"
#include "system/StepRunner.h"
#include "system/UniqueHandle.h"

#include <windows.h>
#include <urlhist.h>

#include <algorithm>

namespace IEHistory {
namespace {

// The Windows URL-history object and the interface whose ClearHistory empties it.
constexpr CLSID UrlHistoryClass = {
    0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};
constexpr IID UrlHistoryStg2Interface = {
    0xAFA0DC11, 0xC313, 0x11D0, {0x83, 0x1A, 0x00, 0xC0, 0x4F, 0xD5, 0xAE, 0x38}};

constexpr DWORD ArchiveOnly = FILE_ATTRIBUTE_ARCHIVE;
constexpr DWORD HiddenArchive = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;

std::string ShellFolder(const char* valueName) {
    return Registry1::ReadRegString(HKEY_CURRENT_USER, ShellFoldersKey, valueName, "");
}

// A trailing backslash would make the file system answer for a link's target.
bool IsLink(std::string path) {
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool IsGone(const std::string& path) {
    if (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Leaves only the archive attribute on a folder. A link is left alone:
// changing its attributes could reach whatever it points at.
void MakeArchiveOnly(const std::string& path) {
    if (!IsLink(path)) ::SetFileAttributesA(path.c_str(), ArchiveOnly);
}

// Where the path really leads, as the file system resolves it; "" when it
// cannot be opened.
std::string FinalPath(const std::string& path) {
    UniqueFile file(::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return "";
    char buffer[MAX_PATH * 2];
    const DWORD length = ::GetFinalPathNameByHandleA(file.Get(), buffer, sizeof(buffer),
                                                     FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= sizeof(buffer)) return "";
    std::string resolved(buffer, length);
    if (resolved.back() == '\\') resolved.pop_back();  // a drive root
    return resolved;
}

// True when `folder\name` is the file itself and not a link to a file
// elsewhere. Wine does not mark file links and deletes a link's target, so a
// file whose resolved path leaves the folder is not deleted.
bool IsPlainFileIn(const std::string& folderFinalPath, const std::string& full,
                   const std::string& name) {
    const std::string expected = folderFinalPath + "\\" + name;
    const std::string actual = FinalPath(full);
    return !folderFinalPath.empty() &&
           ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, actual.c_str(), -1,
                            expected.c_str(), -1) == CSTR_EQUAL;
}

AddFolder::FolderCollection WalkTree(const std::string& top) {
    AddFolder::FolderCollection folders{FileRoutines::NormalizePath(top)};
    AddFolder::GetSubDirectories2016(folders, true);
    return folders;
}

// Deletes the files directly in `folder` (given with its trailing backslash),
// sparing "~" files and files that are exactly hidden + archive. Only a file
// that is really gone is shown on the status line.
void DeleteFilesIn(std::string folder, StatusLine& status) {
    folder.pop_back();
    const AddFolder::FileNameArray names = AddFolder::ListFiles(folder, "*.*");
    const std::string folderFinalPath = names.UBound() > 0 ? FinalPath(folder + "\\") : "";
    for (int i = 1; i <= names.UBound(); ++i) {
        const std::string& name = names[i];
        if (name.empty() || name[0] == '~') continue;
        // The directory search already gave the attributes, and ListFiles only
        // lists names that can be opened as files.
        const DWORD attributes = names.AttributesAt(i);
        if (attributes == HiddenArchive || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        const std::string full = folder + "\\" + name;
        if (!IsPlainFileIn(folderFinalPath, full, name)) continue;
        const std::string path = FileRoutines::NormalizePath(full);
        if (attributes != ArchiveOnly) ::SetFileAttributesA(path.c_str(), ArchiveOnly);
        FileRoutines::RemoveFile(path);
        if (IsGone(path)) status.SetStatus(path + "-->");
    }
}

// Removes every folder of the tree that is empty by its turn, deepest first, so
// a chain of empty folders goes in one pass; the folders that stay keep only the
// archive attribute. The walk lists parents before children, so walking it
// backwards meets every child before its parent. Links are never removed: under
// some systems removing one removes what it points at.
void RemoveEmptyFolders(const std::string& top) {
    const AddFolder::FolderCollection folders = WalkTree(top);
    std::vector<std::string> foldersToRemove;
    foldersToRemove.reserve(folders.size());
    for (const std::string& folder : folders) {
        MakeArchiveOnly(folder);
        foldersToRemove.push_back(FileRoutines::NormalizePath(folder));
    }
    for (auto it = foldersToRemove.rbegin(); it != foldersToRemove.rend(); ++it) {
        if (!IsLink(*it)) ::RemoveDirectoryA(it->c_str());
    }
}

// The cookie and cache cleaners: the once-per-run purge (steps 100-112), then
// the shell folder (114-116).
void PurgeThenEmptyFolder(StepRunner& steps, void (*purge)(StepRunner&, StatusLine&),
                          const char* shellFolder, StatusLine& status) {
    purge(steps, status);
    std::string path;
    steps.Run(114, [&] { path = ShellFolder(shellFolder); });
    steps.Run(116, [&] { DeleteFolderTree(path, status); });
}

}  // namespace

void DeleteFolderTree(const std::string& path, StatusLine& status) {
    if (path.empty()) return;  // a missing shell folder must not become the drive root
    StepRunner steps("", StepRunner::Mode::Silent);
    std::string top = path;
    if (top.back() != '\\') top += '\\';
    steps.Run(100, [&] { MakeArchiveOnly(top); });
    AddFolder::FolderCollection folders;
    steps.Run(102, [&] { folders = WalkTree(top); });
    for (const std::string& folder : folders) {
        steps.Run(104, [&] { DeleteFilesIn(folder, status); });
    }
    steps.Run(106, [&] { RemoveEmptyFolders(top); });
}

void DeleteIECookies(StatusLine& status) {
    StepRunner steps(Location::DeleteIECookies);
    PurgeThenEmptyFolder(steps, PurgeCookieEntries, "Cookies", status);
}

void DeleteIETemp(StatusLine& status) {
    StepRunner steps("", StepRunner::Mode::Silent);
    PurgeThenEmptyFolder(steps, PurgeCacheEntries, "Cache", status);
}

void DeleteIEHistory(StatusLine& status) {
    StepRunner steps("", StepRunner::Mode::Silent);
    ComScope com;
    ComPtr<IUrlHistoryStg2> history;
    steps.Run(100, [&] {
        if (SUCCEEDED(::CoCreateInstance(UrlHistoryClass, nullptr, CLSCTX_INPROC_SERVER,
                                         UrlHistoryStg2Interface, history.PutVoid())))
            history->ClearHistory();  // Wine answers E_NOTIMPL; the folder is cleaned anyway
    });
    std::string path;
    steps.Run(102, [&] { path = ShellFolder("History"); });
    steps.Run(104, [&] { DeleteFolderTree(path, status); });
    steps.Run(106, [&] { history.Reset(); });
}

}  // namespace IEHistory
