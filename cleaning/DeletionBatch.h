// Deleting many listed files: each is checked and deleted as
// FolderFileDeleter::Delete does, but the system's calls for them run on a
// few threads at once while the window's messages run. Under Wine each
// deletion spends most of its time waiting on the Wine server and in the
// guard's question of the opened file's real name; three at a time take
// about the time a plain DeleteFile loop takes for one.
#pragma once

#include "cleaning/FolderFileDeleter.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace DeletionBatch {

struct File {
    const FolderFileDeleter* folder;
    std::string name;
    DWORD attributes;  // as the directory search listed them
    std::int64_t size;
};

// What a file's deletion came to, told on the calling thread.
using Told = std::function<void(const File& file, FolderFileDeleter::Outcome outcome)>;

// Deletes `files` (counted and said on each folder's status line, as Delete
// does) and tells each outcome to `told`, both on the calling thread and in
// the order of `files`, a few hundred files at a time.
void DeleteAll(const std::vector<File>& files, const Told& told = {});

}  // namespace DeletionBatch
