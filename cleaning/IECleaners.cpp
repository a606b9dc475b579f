#include "cleaning/IECleaners.h"

#include "cleaning/AddFolder.h"
#include "cleaning/DeletionBatch.h"
#include "cleaning/FolderFileDeleter.h"
#include "cleaning/IEUrlCache.h"
#include "cleaning/TargetCheck.h"
#include "system/Failure.h"
#include "system/FileGuard.h"
#include "system/MessagePump.h"
#include "system/Path.h"
#include "system/RegStuff.h"
#include "system/Registry1.h"
#include "system/ShellFolders.h"
#include "system/StepRunner.h"
#include "system/UniqueHandle.h"

#include <windows.h>
#include <urlhist.h>

#include <algorithm>
#include <deque>
#include <optional>
#include <vector>

namespace IEHistory {
namespace {

// The Windows URL-history object and the interface whose ClearHistory empties it.
constexpr CLSID UrlHistoryClass = {
    0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};
constexpr IID UrlHistoryStg2Interface = {
    0xAFA0DC11, 0xC313, 0x11D0, {0x83, 0x1A, 0x00, 0xC0, 0x4F, 0xD5, 0xAE, 0x38}};

constexpr DWORD ArchiveOnly = FILE_ATTRIBUTE_ARCHIVE;
constexpr DWORD HiddenArchive = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;

constexpr char NotAPath[] = " is not a folder path: nothing was deleted there";

// The shell folder's path; "" when there is none. A value of another type
// than a string names no folder, and the status line says so.
std::string ShellFolder(const char* valueName, StatusLine& status) {
    const std::optional<std::string> value = ShellFolders::Read(valueName);
    if (value) return *value;
    if (ShellFolders::HasValue(valueName)) status.SetStatus(std::string("Shell folder ") + valueName + NotAPath);
    return "";
}

// Leaves only the archive attribute on a folder. A link is left alone:
// changing its attributes could reach whatever it points at.
void MakeArchiveOnly(const std::string& path) {
    if (!Path::IsLink(path)) ::SetFileAttributesW(Path::ForSystem(path).c_str(), ArchiveOnly);
}

// Shows the files as they go at a reading pace: a path is written when a tenth
// of a second has passed since the last one, and the last path is always
// written at the end, so the line ends on the last file deleted. Writing every
// path would repaint the window once per file and cost more than the deletion
// itself; under Wine a path written and painted costs about 1 ms, so even one
// per 20 ms frame took 5 % of a pass's time, for paths nobody can read at
// that pace. The window's messages still run every 20 ms.
class PacedStatus {
public:
    explicit PacedStatus(StatusLine& status) : status_(status) {}
    void Show(std::string text) {
        const double now = MessagePump::MonotonicSeconds();
        if (now - shownAt_ < ShowSeconds) {
            pending_ = std::move(text);
            return;
        }
        status_.SetStatus(text);
        pending_.clear();
        shownAt_ = now;
    }
    void Flush() {
        if (pending_.empty()) return;
        status_.SetStatus(pending_);
        pending_.clear();
        shownAt_ = MessagePump::MonotonicSeconds();
    }

private:
    static constexpr double ShowSeconds = 0.100;
    StatusLine& status_;
    std::string pending_;
    double shownAt_ = -1.0;
};

// WinINet's own index of a cache folder: WinINet keeps it open while any
// program uses the URL cache (this one too), and what it indexes is erased
// through WinINet. Its deletion is tried; that it stays is no news.
bool IsUrlCacheIndex(const std::string& name) {
    return name.size() == 9 && ::CompareStringOrdinal(Path::ForSystem(name).c_str(), 9, L"index.dat", 9, TRUE) ==
                                   CSTR_EQUAL;
}

// The files of a tree, gathered over all its folders into one batch: a tree
// of few files a folder (a deep one, a folder a level) is then deleted a few
// files at a time on the batch's threads, as a wide folder is.
class TreeFiles {
public:
    explicit TreeFiles(StatusLine& status) : status_(status), unheard_(status.Previewing()) {}

    // The files the walk listed directly in `folder` (`names`), sparing "~"
    // files and files that are exactly hidden + archive. `resolvedFolder` is
    // where the folder must really be (the top folder's resolved path plus the
    // same way down): each file is deleted only when its real name is there
    // (FolderFileDeleter), which also refuses every file of a folder swapped
    // for a link since the walk.
    void Add(const std::string& folder, const AddFolder::FileNameArray& names, const std::string& resolvedFolder,
             const FileKeeper& keeps) {
        if (names.UBound() == 0) return;
        const FolderFileDeleter& deleter = deleters_.emplace_back(folder, resolvedFolder,
                                                                  FolderFileDeleter::Attributes::MakeArchiveOnly, status_);
        const FolderFileDeleter& indexDeleter = deleters_.emplace_back(
            folder, resolvedFolder, FolderFileDeleter::Attributes::MakeArchiveOnly, unheard_);
        for (int i = 1; i <= names.UBound(); ++i) {
            const std::string& name = names[i];
            if (name.empty() || name[0] == '~') continue;
            // The directory search already gave the attributes.
            const DWORD attributes = names.AttributesAt(i);
            if (attributes == HiddenArchive) continue;
            if (keeps && keeps(Path::Join(folder, name))) continue;
            files_.push_back({IsUrlCacheIndex(name) ? &indexDeleter : &deleter, name, attributes, names.SizeAt(i)});
        }
    }

    // Deletes them; only a file that is really gone is shown on the status line.
    void DeleteAll(PacedStatus& paced) {
        DeletionBatch::DeleteAll(files_, [&](const DeletionBatch::File& file, FolderFileDeleter::Outcome outcome) {
            if (outcome == FolderFileDeleter::Outcome::Deleted) paced.Show(Path::Join(file.folder->Folder(), file.name) + "-->");
        });
    }

private:
    StatusLine& status_;
    QuietStatus unheard_;                     // the URL cache's index: that it stays is no news
    std::deque<FolderFileDeleter> deleters_;  // where they are stays put while files_ points at them
    std::vector<DeletionBatch::File> files_;
};

// Removes every folder of the tree (`folders`, as the walk listed them before
// the files went) that is empty by its turn, deepest first, so a chain of empty
// folders goes in one pass; the folders that stay keep only the archive
// attribute (a read-only one is tried again once it has it). The walk lists
// parents before children, so walking it backwards meets every child before
// its parent. Links are never removed: under some systems removing one
// removes what it points at. Each folder is named to the system as few times
// as can be: under Wine naming a folder costs time that grows with the square
// of its depth. Hundreds of folders take longer than a frame, so the window's
// messages run meanwhile.
void RemoveEmptyFolders(const std::vector<std::string>& folders) {
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        MessagePump::LetPendingMessagesRunThrottled();
        const DWORD attributes = Path::Attributes(*it);
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        const std::wstring folder = Path::ForSystem(*it);
        if (::RemoveDirectoryW(folder.c_str())) continue;
        if (attributes != ArchiveOnly) ::SetFileAttributesW(folder.c_str(), ArchiveOnly);
        if (attributes & FILE_ATTRIBUTE_READONLY) ::RemoveDirectoryW(folder.c_str());
    }
}

// The cookie and cache cleaners: the purge (steps 102-108), then the shell
// folder (114-116).
void PurgeThenEmptyFolder(StepRunner& steps, void (*purge)(StepRunner&, StatusLine&),
                          const char* shellFolder, StatusLine& status, const FileKeeper& keeps = nullptr) {
    purge(steps, status);
    std::string path;
    steps.Run(114, [&] { path = ShellFolder(shellFolder, status); });
    steps.Run(116, [&] { DeleteFolderTree(path, status, keeps); });
}

// A cookie file is text, a cookie in nine lines: name, value, host and path
// ("example.com/"), then flags and times. Far larger is no cookie file.
constexpr std::size_t LargestCookieFile = 1 << 20;

// Whether a file of the Cookies folder holds cookies of a site the keep list
// keeps (said on `status`).
bool IsKeptCookieFile(const std::string& path, StatusLine& status) {
    if (status.Keeps().Empty()) return false;
    std::string text;
    try {
        text = Path::ReadAll(path, LargestCookieFile);
    } catch (const Failure&) {
        return false;
    }
    std::size_t start = 0;
    for (int line = 0; line < 2 && start != std::string::npos; ++line) {
        start = text.find('\n', start);
        if (start != std::string::npos) ++start;
    }
    if (start == std::string::npos) return false;
    const std::string hostAndPath = text.substr(start, text.find_first_of("\r\n", start) - start);
    return !ErasesSite(status, hostAndPath.substr(0, hostAndPath.find('/')));
}

}  // namespace

void DeleteFolderTree(const std::string& path, StatusLine& status, const FileKeeper& keeps) {
    // A missing shell folder must not become the drive root, and a folder
    // that is not browser data is left whole and said so.
    std::string resolvedTop;
    switch (TargetCheck::CheckFolder(path, &resolvedTop)) {
    case TargetCheck::Verdict::Missing: return;
    case TargetCheck::Verdict::Refused: status.LeaveAlone(TargetCheck::NotABrowserFolder(path)); return;
    case TargetCheck::Verdict::Target: break;
    }
    StepRunner steps("", StepRunner::Mode::Silent);
    const bool previewing = status.Previewing();
    if (!previewing) steps.Run(100, [&] { MakeArchiveOnly(path); });
    std::vector<std::string> folders;
    AddFolder::FileListings files;  // from the walk's own listings
    steps.Run(102, [&] { folders = AddFolder::FolderTree(path, &files); });
    PacedStatus paced(status);
    TreeFiles tree(status);
    for (const std::string& folder : folders)
        steps.Run(104, [&] { tree.Add(folder, files[folder], TargetCheck::ResolvedBelow(resolvedTop, path, folder), keeps); });
    steps.Run(104, [&] { tree.DeleteAll(paced); });
    steps.Run(104, [&] { paced.Flush(); });
    if (!previewing) steps.Run(106, [&] { RemoveEmptyFolders(folders); });
}

void DeleteIECookies(StatusLine& status) {
    if (!status.Covers(BrowserName)) return;
    StepRunner steps(Location::DeleteIECookies);
    PurgeThenEmptyFolder(steps, PurgeCookieEntries, ShellFolders::Cookies, status,
                         [&](const std::string& file) { return IsKeptCookieFile(file, status); });
}

void DeleteIETemp(StatusLine& status) {
    if (!status.Covers(BrowserName)) return;
    StepRunner steps("", StepRunner::Mode::Silent);
    PurgeThenEmptyFolder(steps, PurgeCacheEntries, ShellFolders::Cache, status);
}

void DeleteIEHistory(StatusLine& status) {
    if (!status.Covers(BrowserName)) return;
    StepRunner steps("", StepRunner::Mode::Silent);
    ComScope com;
    ComPtr<IUrlHistoryStg2> history;
    steps.Run(100, [&] {
        if (!status.Previewing() &&
            SUCCEEDED(::CoCreateInstance(UrlHistoryClass, nullptr, CLSCTX_INPROC_SERVER,
                                         UrlHistoryStg2Interface, history.PutVoid())))
            history->ClearHistory();  // Wine answers E_NOTIMPL; the folder is cleaned anyway
    });
    std::string path;
    steps.Run(102, [&] { path = ShellFolder(ShellFolders::History, status); });
    steps.Run(104, [&] { DeleteFolderTree(path, status); });
    steps.Run(106, [&] { history.Reset(); });
}

void DeleteIETypedURLs(StatusLine& status) {
    if (!status.Covers(BrowserName)) return;
    for (int i = 1; i <= 100; ++i) {
        const std::string name = "url" + std::to_string(i);
        const std::string value = Registry1::ReadRegString(HKEY_CURRENT_USER, TypedUrlsKey, name, "");
        if (!value.empty()) status.SetStatus(value + "-->");
        if (RegStuff::DeleteRegValue(HKEY_CURRENT_USER, TypedUrlsKey, name, status.Previewing()))
            status.Deleted(TraceKind::RegistryValue, 1);
    }
}

const BoxCleaner History{DeleteIEHistory,
                         [] { return std::vector<std::string>{"the history store and the files of the History folder"}; },
                         ""};
const BoxCleaner Temp{DeleteIETemp, [] {
                          return std::vector<std::string>{
                              "the cache entries of the URL cache and the files of the Temporary Internet Files "
                              "folder"};
                      },
                      ""};
const BoxCleaner TypedUrls{DeleteIETypedURLs,
                           [] { return std::vector<std::string>{"the addresses typed into the address bar (url1 to url100)"}; },
                           ""};
const BoxCleaner Cookies{DeleteIECookies, [] {
                             return std::vector<std::string>{
                                 "the cookie entries of the URL cache and the files of the Cookies folder"};
                         },
                         "the cookies of the sites on the keep list"};

}  // namespace IEHistory
