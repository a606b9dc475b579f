#include "cleaning/BrowserFiles.h"

#include "cleaning/AddFolder.h"
#include "cleaning/DeletionBatch.h"
#include "cleaning/TargetCheck.h"
#include "system/FileGuard.h"
#include "system/Path.h"
#include "system/UniqueHandle.h"

#include <vector>

namespace BrowserFiles {

namespace {

// The patterns are ASCII: upper-casing the ASCII letters is enough to match
// them without regard to case, whatever other characters a name holds.
std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
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

FolderFileDeleter ProfileDeleter(const std::string& folder, const std::string& resolved, StatusLine& status) {
    return FolderFileDeleter(folder, resolved, FolderFileDeleter::Attributes::KeepReadOnly, status);
}

void DeleteDatabase(const FolderFileDeleter& folder, const std::string& name, StatusLine& status) {
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        if (IsDeletedOrGone(folder.Delete(name + suffix))) continue;
        const std::string path = Path::Join(folder.Folder(), name);
        if (Path::Exists(path)) status.LeaveAlone(path + NotChanged);
        return;
    }
    folder.Delete(name);
}

bool ChangeFile(const FolderFileDeleter& folder, const std::string& name, StatusLine& status,
                const std::function<bool(const std::string& path, StoreChange& run)>& change) {
    const std::string path = Path::Join(folder.Folder(), name);
    if (!Path::Exists(path)) return false;
    StoreChange run = StoreChangeFor(status);
    const bool changed = folder.IsPlainFileHere(name) && change(path, run);
    status.Deleted(TraceKind::Row, run.erased);
    if (!changed) status.LeaveAlone(path + NotChanged);
    return changed;
}

void DeleteMatchingFiles(const FolderFileDeleter& folder, const std::string& pattern) {
    WIN32_FIND_DATAW data;
    UniqueFind find(::FindFirstFileW(Path::ForSystem(Path::Join(folder.Folder(), "*")).c_str(), &data));
    if (!find) return;
    std::vector<DeletionBatch::File> files;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::string name = Path::FromSystem(data.cFileName);
        if (NameMatches(name, pattern))
            files.push_back({&folder, name, data.dwFileAttributes,
                             static_cast<std::int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow});
    } while (::FindNextFileW(find.Get(), &data));
    find.Reset();
    DeletionBatch::DeleteAll(files);
}

namespace {

// A folder of a tree being cleaned: as the walk found it, and where it must
// really be.
struct CheckedFolder {
    std::string path;
    std::string resolved;
};

// `folder` and, with `recurse`, every folder below it that is really where the
// walk found it, parents before children; nothing when the folder is missing
// or refused (said on `status`) or not inside `within`.
std::vector<CheckedFolder> CheckedTree(const std::string& folder, const std::string& within, StatusLine& status,
                                       bool recurse) {
    std::string resolved;
    switch (TargetCheck::CheckFolder(folder, &resolved)) {
    case TargetCheck::Verdict::Missing: return {};
    case TargetCheck::Verdict::Refused: status.LeaveAlone(TargetCheck::NotABrowserFolder(folder)); return {};
    case TargetCheck::Verdict::Target: break;
    }
    if (!TargetCheck::IsInside(resolved, within)) {
        status.LeaveAlone(TargetCheck::NotABrowserFolder(folder));
        return {};
    }
    const std::vector<std::string> folders = recurse ? AddFolder::FolderTree(folder) : std::vector<std::string>{folder};
    std::vector<CheckedFolder> checked;
    for (const std::string& path : folders) {
        const std::string expected = TargetCheck::ResolvedBelow(resolved, folder, path);
        if (TargetCheck::SamePath(FileGuard::ResolvedPath(path), expected)) checked.push_back({path, expected});
    }
    return checked;
}

}  // namespace

std::optional<FolderFileDeleter> Subfolder(const FolderFileDeleter& parent, const std::string& name,
                                           StatusLine& status) {
    const std::string folder = Path::Join(parent.Folder(), name);
    std::string resolved;
    switch (TargetCheck::CheckFolder(folder, &resolved)) {
    case TargetCheck::Verdict::Missing: return std::nullopt;
    case TargetCheck::Verdict::Refused: break;
    case TargetCheck::Verdict::Target:
        if (TargetCheck::IsInside(resolved, parent.ResolvedFolder())) return ProfileDeleter(folder, resolved, status);
        break;
    }
    status.LeaveAlone(TargetCheck::NotABrowserFolder(folder));
    return std::nullopt;
}

void EmptyCacheFolder(const std::string& folder, const std::string& within, StatusLine& status, bool recurse) {
    for (const CheckedFolder& found : CheckedTree(folder, within, status, recurse))
        DeleteMatchingFiles(ProfileDeleter(found.path, found.resolved, status), AllFiles);
}

void DeleteFolderTree(const std::string& folder, const std::string& within, StatusLine& status) {
    const std::vector<CheckedFolder> tree = CheckedTree(folder, within, status, true);
    for (const CheckedFolder& found : tree)
        DeleteMatchingFiles(ProfileDeleter(found.path, found.resolved, status), AllFiles);
    // The walk lists parents first: removing from the end takes children first.
    for (auto it = tree.rbegin(); it != tree.rend(); ++it) {
        if (!status.Previewing() && TargetCheck::SamePath(FileGuard::ResolvedPath(it->path), it->resolved) &&
            !Path::IsLink(it->path))
            ::RemoveDirectoryW(Path::ForSystem(it->path).c_str());
    }
}

}  // namespace BrowserFiles
