#include "system/ScratchCopy.h"

#include "system/Failure.h"
#include "system/FileGuard.h"
#include "system/MessagePump.h"
#include "system/Path.h"
#include "system/UniqueHandle.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>

namespace {

// The program's own folder under TEMP, where every scratch copy lives.
constexpr char ScratchFolderName[] = "vorlane-scratch";

std::string ScratchRoot() {
    wchar_t temp[MAX_PATH + 1] = {};
    if (::GetTempPathW(MAX_PATH + 1, temp) == 0) throw Failure::FromLastError();
    return Path::Join(Path::WithoutBackslash(Path::FromSystem(temp)), ScratchFolderName);
}

// A process by its id and the moment it started (FILETIME ticks): an id alone
// is given again to a later process.
std::uint64_t StartOf(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return static_cast<std::uint64_t>(created.dwHighDateTime) << 32 | created.dwLowDateTime;
}

// "<id>-<start>-" of this process: the beginning of the name of each of its copies.
std::string OwnPrefix() {
    static const std::string prefix =
        std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(StartOf(::GetCurrentProcess())) + "-";
    return prefix;
}

// Whether the program run that named a copy "<id>-<start>-<n>" still runs.
bool OwnerRuns(const std::string& name) {
    const std::size_t dash = name.find('-');
    const std::size_t second = dash == std::string::npos ? dash : name.find('-', dash + 1);
    if (second == std::string::npos) return false;
    const DWORD id = static_cast<DWORD>(std::strtoul(name.substr(0, dash).c_str(), nullptr, 10));
    const std::uint64_t start = std::strtoull(name.substr(dash + 1, second - dash - 1).c_str(), nullptr, 10);
    const UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    if (!process) return ::GetLastError() == ERROR_ACCESS_DENIED;  // another user's: not ours to judge
    DWORD code = 0;
    return StartOf(process.Get()) == start && ::GetExitCodeProcess(process.Get(), &code) && code == STILL_ACTIVE;
}

// Two paths compared as the file system compares names, without regard to case.
bool SamePath(const std::string& a, const std::string& b) {
    const std::wstring wa = Path::ForSystem(a), wb = Path::ForSystem(b);
    return !wa.empty() && ::CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(),
                                                 static_cast<int>(wb.size()), TRUE) == CSTR_EQUAL;
}

// Whether the scratch folder is a folder of its own directly in TEMP, not a
// link that leads elsewhere.
bool IsOwnFolder(const std::string& root) {
    const std::string resolvedTemp = FileGuard::ResolvedPath(root.substr(0, root.rfind('\\')));
    return !resolvedTemp.empty() && !Path::IsLink(root) &&
           SamePath(FileGuard::ResolvedPath(root), Path::Join(resolvedTemp, ScratchFolderName));
}

// The scratch folder, made when it is not there.
std::string CheckedScratchRoot() {
    const std::string root = ScratchRoot();
    if (!::CreateDirectoryW(Path::ForSystem(root).c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        throw Failure::FromLastError();
    if (!IsOwnFolder(root)) throw Failure(Failure::PermissionDenied, root + " is not the program's own folder");
    return root;
}

// A folder no other copy uses: this process, its start and a running number.
std::string FreshFolder() {
    static std::atomic<unsigned> next{0};
    const std::string folder = Path::Join(CheckedScratchRoot(), OwnPrefix() + std::to_string(next++));
    if (!::CreateDirectoryW(Path::ForSystem(folder).c_str(), nullptr)) throw Failure::FromLastError();
    return folder;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    UniqueFind find(::FindFirstFileW(Path::ForSystem(Path::Join(folder, "*")).c_str(), &data));
    if (!find) return names;
    do {
        if ((data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0)
            names.push_back(Path::FromSystem(data.cFileName));
    } while (::FindNextFileW(find.Get(), &data));
    return names;
}

}  // namespace

ScratchCopy::ScratchCopy(const std::string& folder, const std::vector<std::string>& names)
    : folder_(FreshFolder()) {
    try {
        // A big database takes seconds to copy: the window's messages run meanwhile.
        MessagePump::RunWhileMessagesRun([&] {
            for (const std::string& name : names.empty() ? FilesIn(folder) : names) Copy(folder, name);
        });
    } catch (...) {
        Remove();
        throw;
    }
}

void ScratchCopy::Copy(const std::string& from, const std::string& name) {
    const std::string source = Path::Join(from, name);
    if (!Path::IsFile(source)) return;
    const std::string target = Path::Join(folder_, name);
    if (!::CopyFileW(Path::ForSystem(source).c_str(), Path::ForSystem(target).c_str(), TRUE))
        throw Failure::FromLastError();
}

// The change may have added files beside the copies (a journal, LevelDB's new
// tables and logs): everything in the folder goes.
ScratchCopy::~ScratchCopy() { Remove(); }

namespace {

// Removes the files of a copy's folder and then the folder, through the
// guard: a link put into it meanwhile is not followed.
void RemoveCopyFolder(const std::string& folder, const std::string& resolved = "") {
    const FileGuard::Folder copies(folder, resolved);
    for (const std::string& name : FilesIn(folder)) copies.Remove(name);
    ::RemoveDirectoryW(Path::ForSystem(folder).c_str());
    // The scratch folder goes too once it holds nothing: TEMP keeps no trace
    // of a preview. (One pass or preview runs at a time: none is making a copy.)
    ::RemoveDirectoryW(Path::ForSystem(folder.substr(0, folder.rfind('\\'))).c_str());
}

}  // namespace

void ScratchCopy::Remove() {
    if (folder_.empty()) return;
    RemoveCopyFolder(folder_);
    folder_.clear();
}

void ScratchCopy::RemoveLeftovers() {
    std::string root;
    try {
        root = ScratchRoot();
    } catch (const Failure&) {
        return;  // no TEMP: no copies either
    }
    if (!IsOwnFolder(root)) return;
    const std::string resolvedRoot = FileGuard::ResolvedPath(root);
    for (const std::string& name : Path::Subfolders(root)) {
        if (OwnerRuns(name)) continue;
        // Only a folder really there: never one that a link named so leads to.
        const std::string folder = Path::Join(root, name);
        const std::string expected = Path::Join(resolvedRoot, name);
        if (SamePath(FileGuard::ResolvedPath(folder), expected)) RemoveCopyFolder(folder, expected);
    }
}

ScratchCopies::ScratchCopies() { ScratchCopy::RemoveLeftovers(); }

const std::string& ScratchCopies::CopyOf(const std::string& key, const std::string& folder,
                                         const std::vector<std::string>& names) {
    std::unique_ptr<ScratchCopy>& copy = copies_[key];
    if (!copy) copy = std::make_unique<ScratchCopy>(folder, names);
    return copy->Folder();
}

const std::string& PreviewFolder(const StoreChange& run, const std::string& key, const std::string& folder,
                                 const std::vector<std::string>& names, std::optional<ScratchCopy>& own) {
    if (run.copies) return run.copies->CopyOf(key, folder, names);
    return own.emplace(folder, names).Folder();
}
