#include "cleaning/BrowserFiles.h"

#include "cleaning/AddFolder.h"
#include "cleaning/TargetCheck.h"
#include "system/Path.h"
#include "system/UniqueHandle.h"

namespace BrowserFiles {

namespace {

std::string Upper(std::string text) {
    if (!text.empty()) ::CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// "*" matches any run of characters, "?" any one; case is ignored as Windows
// ignores it in file names. "*.*" matches every name, with or without a dot.
bool NameMatches(const std::string& name, const std::string& pattern) {
    if (pattern == AllFiles) return true;
    const std::string n = Upper(name);
    const std::string p = Upper(pattern);
    std::size_t i = 0, j = 0;
    std::size_t star = std::string::npos, resume = 0;
    while (i < n.size()) {
        if (j < p.size() && (p[j] == '?' || p[j] == n[i])) {
            ++i;
            ++j;
        } else if (j < p.size() && p[j] == '*') {
            star = j++;
            resume = i;
        } else if (star != std::string::npos) {
            j = star + 1;
            i = ++resume;
        } else {
            return false;
        }
    }
    while (j < p.size() && p[j] == '*') ++j;
    return j == p.size();
}

bool IsDeletedOrGone(FolderFileDeleter::Outcome outcome) {
    return outcome == FolderFileDeleter::Outcome::Deleted || outcome == FolderFileDeleter::Outcome::Gone;
}

}  // namespace

FolderFileDeleter ProfileDeleter(const std::string& folder, const std::string& resolved) {
    return FolderFileDeleter(folder, resolved, FolderFileDeleter::Attributes::KeepReadOnly);
}

void DeleteDatabase(const FolderFileDeleter& folder, const std::string& name) {
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        if (!IsDeletedOrGone(folder.Delete(name + suffix))) return;
    }
    folder.Delete(name);
}

void DeleteMatchingFiles(const FolderFileDeleter& folder, const std::string& pattern) {
    WIN32_FIND_DATAA data;
    UniqueFind find(::FindFirstFileA((folder.Folder() + "\\*").c_str(), &data));
    if (!find) return;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (NameMatches(data.cFileName, pattern)) folder.Delete(data.cFileName, data.dwFileAttributes);
    } while (::FindNextFileA(find.Get(), &data));
}

void EmptyCacheFolder(const std::string& folder, const std::string& within, StatusLine& status, bool recurse) {
    std::string resolved;
    switch (TargetCheck::CheckFolder(folder, &resolved)) {
    case TargetCheck::Verdict::Missing: return;
    case TargetCheck::Verdict::Refused: status.LeaveAlone(TargetCheck::NotABrowserFolder(folder)); return;
    case TargetCheck::Verdict::Target: break;
    }
    if (!TargetCheck::IsInside(resolved, within)) {
        status.LeaveAlone(TargetCheck::NotABrowserFolder(folder));
        return;
    }
    AddFolder::FolderCollection folders{folder + "\\"};
    if (recurse) AddFolder::GetSubDirectories2016(folders, true);
    for (const std::string& found : folders) {
        const std::string path = Path::WithoutBackslash(found);
        const std::string expected = TargetCheck::ResolvedBelow(resolved, folder, path);
        if (!TargetCheck::SamePath(TargetCheck::ResolvedPath(path), expected)) continue;
        DeleteMatchingFiles(ProfileDeleter(path, expected), AllFiles);
    }
}

}  // namespace BrowserFiles
