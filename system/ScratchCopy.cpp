#include "system/ScratchCopy.h"

#include "system/Failure.h"
#include "system/FileGuard.h"
#include "system/MessagePump.h"
#include "system/Path.h"
#include "system/UniqueHandle.h"

#include <windows.h>

#include <atomic>

namespace {

// A folder no other copy uses: TEMP, the process and a running number.
std::string FreshFolder() {
    static std::atomic<unsigned> next{0};
    wchar_t temp[MAX_PATH + 1] = {};
    if (::GetTempPathW(MAX_PATH + 1, temp) == 0) throw Failure::FromLastError();
    const std::string name = "vorlane-preview-" + std::to_string(::GetCurrentProcessId()) + "-" +
                             std::to_string(next++);
    const std::string folder = Path::Join(Path::WithoutBackslash(Path::FromSystem(temp)), name);
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

void ScratchCopy::Remove() {
    if (folder_.empty()) return;
    // Through the guard: a link put into the folder meanwhile is not followed.
    const FileGuard::Folder copies(folder_);
    for (const std::string& name : FilesIn(folder_)) copies.Remove(name);
    ::RemoveDirectoryW(Path::ForSystem(folder_).c_str());
    folder_.clear();
}

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
