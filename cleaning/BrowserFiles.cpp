#include "cleaning/BrowserFiles.h"

#include "cleaning/AddFolder.h"
#include "cleaning/DeletionBatch.h"
#include "cleaning/TargetCheck.h"
#include "system/FileGuard.h"
#include "system/Path.h"
#include "system/UniqueHandle.h"

#include <deque>
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

// `folder` and, with `recurse`, every folder below it with where each must
// really be, parents before children; nothing when the folder is missing or
// refused (said on `status`) or not inside `within`. A folder swapped for a
// link since the walk has no file whose real name is where it must be, so
// FolderFileDeleter deletes nothing there; the folders are not resolved one by
// one, since under Wine naming a folder costs time that grows with the square
// of its depth. With `files`, the walk's own listing of each folder's files.
std::vector<CheckedFolder> CheckedTree(const std::string& folder, const std::string& within, StatusLine& status,
                                       bool recurse, AddFolder::FileListings* files = nullptr) {
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
    std::vector<std::string> links;
    const std::vector<std::string> folders =
        recurse ? AddFolder::FolderTree(folder, files, &links) : std::vector<std::string>{folder};
    // Nothing is reached through a link below a browser's folder; each one passed over is said.
    for (const std::string& link : links) status.LeaveAlone(TargetCheck::NotABrowserFolder(link));
    std::vector<CheckedFolder> checked;
    for (const std::string& path : folders) checked.push_back({path, TargetCheck::ResolvedBelow(resolved, folder, path)});
    return checked;
}

// Every file a walk listed in the folders of `tree`, in one batch: a tree of
// few files a folder (a deep one) is then deleted a few files at a time on
// the batch's threads, as a wide folder is.
void DeleteListedFiles(const std::vector<CheckedFolder>& tree, AddFolder::FileListings& listings, StatusLine& status) {
    std::deque<FolderFileDeleter> deleters;  // where they are stays put while `files` points at them
    std::vector<DeletionBatch::File> files;
    for (const CheckedFolder& found : tree) {
        const AddFolder::FileNameArray& names = listings[found.path];
        if (names.UBound() == 0) continue;
        const FolderFileDeleter& folder = deleters.emplace_back(ProfileDeleter(found.path, found.resolved, status));
        for (int i = 1; i <= names.UBound(); ++i) files.push_back({&folder, names[i], names.AttributesAt(i), names.SizeAt(i)});
    }
    DeletionBatch::DeleteAll(files);
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
    if (!recurse) {
        for (const CheckedFolder& found : CheckedTree(folder, within, status, false))
            DeleteMatchingFiles(ProfileDeleter(found.path, found.resolved, status), AllFiles);
        return;
    }
    AddFolder::FileListings files;
    DeleteListedFiles(CheckedTree(folder, within, status, true, &files), files, status);
}

void DeleteFolderTree(const std::string& folder, const std::string& within, StatusLine& status) {
    AddFolder::FileListings files;
    const std::vector<CheckedFolder> tree = CheckedTree(folder, within, status, true, &files);
    DeleteListedFiles(tree, files, status);
    // The walk lists parents first: removing from the end takes children first.
    for (auto it = tree.rbegin(); it != tree.rend(); ++it) {
        if (!status.Previewing() && TargetCheck::SamePath(FileGuard::ResolvedPath(it->path), it->resolved) &&
            !Path::IsLink(it->path))
            ::RemoveDirectoryW(Path::ForSystem(it->path).c_str());
    }
}

}  // namespace BrowserFiles
