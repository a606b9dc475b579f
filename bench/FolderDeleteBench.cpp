// Deleting a tree of 50,000 small files in 500 folders: the folder walk with
// per-file RemoveFile, as the folder cleaners use them, against a plain
// FindFirstFileExA + DeleteFileA + RemoveDirectoryA loop over an identical tree.
//
// The machine's load and the file system's write-back after the trees are
// built vary by seconds, so the two methods take turns: each deletes one of its
// tree's 20 top folders (25 folders, 2,500 files) at a time, the one going first
// alternating, and their times are summed.
//
// Creating 100,000 files leaves the disk writing back for many seconds, which
// would slow whichever deletion came first; scripts/bench.sh therefore builds
// the trees, flushes the file systems from the Linux side, then measures.
//
// Usage: FolderDeleteBench.exe build [files-per-folder]     (default 100)
//        FolderDeleteBench.exe measure
//        FolderDeleteBench.exe [files-per-folder]           (both, no flush between)
#include "cleaning/AddFolder.h"
#include "cleaning/FileRoutines.h"
#include "system/MessagePump.h"
#include "system/UniqueHandle.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int TopFolders = 20;
constexpr int SubFolders = 24;  // 20 + 20 * 24 = 500 folders

void CreateFolder(const std::string& path) {
    if (!::CreateDirectoryA(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        std::fprintf(stderr, "cannot create %s\n", path.c_str());
        std::exit(2);
    }
}

void CreateFiles(const std::string& folder, int count) {
    for (int i = 0; i < count; ++i) {
        const std::string path = folder + "\\file" + std::to_string(i) + ".tmp";
        UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
        DWORD written = 0;
        ::WriteFile(file.Get(), "cached data", 11, &written, nullptr);
    }
}

// Returns the number of files created.
int BuildTree(const std::string& root, int filesPerFolder) {
    CreateFolder(root);
    int files = 0;
    for (int t = 0; t < TopFolders; ++t) {
        const std::string top = root + "\\top" + std::to_string(t);
        CreateFolder(top);
        CreateFiles(top, filesPerFolder);
        files += filesPerFolder;
        for (int s = 0; s < SubFolders; ++s) {
            const std::string sub = top + "\\sub" + std::to_string(s);
            CreateFolder(sub);
            CreateFiles(sub, filesPerFolder);
            files += filesPerFolder;
        }
    }
    return files;
}

// (a) The plainest deletion: one search per folder, then delete what it found.
// The search is finished before anything is deleted (deleting while a search
// is open is slower under Wine), so the baseline is as fast as a loop can be.
void PlainDelete(const std::string& folder) {
    std::vector<std::string> files;
    std::vector<std::string> subfolders;
    WIN32_FIND_DATAA data;
    {
        UniqueFind find(::FindFirstFileExA((folder + "\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                           nullptr, FIND_FIRST_EX_LARGE_FETCH));
        if (find) {
            do {
                const std::string name = data.cFileName;
                if (name == "." || name == "..") continue;
                (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? subfolders : files).push_back(folder + "\\" + name);
            } while (::FindNextFileA(find.Get(), &data));
        }
    }
    for (const std::string& file : files) ::DeleteFileA(file.c_str());
    for (const std::string& subfolder : subfolders) PlainDelete(subfolder);
    ::RemoveDirectoryA(folder.c_str());
}

// (b) As the folder cleaners do it: walk, list each folder's files, RemoveFile
// each one (which lets window messages run), then remove the emptied folders.
void CleanerDelete(const std::string& root) {
    AddFolder::FolderCollection folders{root + "\\"};
    AddFolder::GetSubDirectories2016(folders, true);
    for (const std::string& folder : folders) {
        const AddFolder::FileNameArray names = AddFolder::ListFiles(folder, "*.*");
        for (int i = 1; i <= names.UBound(); ++i) FileRoutines::RemoveFile(folder + names[i]);
    }
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) ::RemoveDirectoryA(it->c_str());
}

template <class Deletion>
double Seconds(Deletion&& deletion) {
    const double start = MessagePump::MonotonicSeconds();
    deletion();
    return MessagePump::MonotonicSeconds() - start;
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

const std::string Base = "C:\\vorlane-bench";
const std::string PlainRoot = Base + "\\plain";
const std::string CleanerRoot = Base + "\\cleaner";

void Build(int filesPerFolder) {
    CreateFolder(Base);
    PlainDelete(PlainRoot);  // leftovers of an interrupted run
    PlainDelete(CleanerRoot);
    std::printf("Building two trees of %d files in %d folders...\n", TopFolders * (SubFolders + 1) * filesPerFolder,
                TopFolders * (SubFolders + 1));
    BuildTree(PlainRoot, filesPerFolder);
    BuildTree(CleanerRoot, filesPerFolder);
}

int CountFiles(const std::string& root) {
    AddFolder::FolderCollection folders{root + "\\"};
    AddFolder::GetSubDirectories2016(folders, true);
    int count = 0;
    for (const std::string& folder : folders) count += AddFolder::ListFiles(folder, "*.*").UBound();
    return count;
}

int Measure() {
    const int plainFiles = CountFiles(PlainRoot);
    const int cleanerFiles = CountFiles(CleanerRoot);
    if (plainFiles == 0 || plainFiles != cleanerFiles) {
        std::fprintf(stderr, "build the trees first (found %d and %d files)\n", plainFiles, cleanerFiles);
        return 1;
    }
    // A message queue for the pump to look at, as the program's thread has.
    MSG msg;
    ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);

    double plainSeconds = 0.0;
    double cleanerSeconds = 0.0;
    for (int t = 0; t < TopFolders; ++t) {
        const std::string top = "\\top" + std::to_string(t);
        if (t % 2 == 1) cleanerSeconds += Seconds([&] { CleanerDelete(CleanerRoot + top); });
        plainSeconds += Seconds([&] { PlainDelete(PlainRoot + top); });
        if (t % 2 == 0) cleanerSeconds += Seconds([&] { CleanerDelete(CleanerRoot + top); });
    }
    ::RemoveDirectoryA(PlainRoot.c_str());
    ::RemoveDirectoryA(CleanerRoot.c_str());
    ::RemoveDirectoryA(Base.c_str());
    if (Exists(PlainRoot) || Exists(CleanerRoot)) {
        std::fprintf(stderr, "a tree was not deleted completely\n");
        return 1;
    }

    const double plainRate = plainFiles / plainSeconds;
    const double cleanerRate = cleanerFiles / cleanerSeconds;
    std::printf("(a) FindFirstFileExA + DeleteFileA + RemoveDirectoryA: %d files in %.2f s, %.0f files/s\n",
                plainFiles, plainSeconds, plainRate);
    std::printf("(b) GetSubDirectories2016 + ListFiles + RemoveFile:     %d files in %.2f s, %.0f files/s\n",
                cleanerFiles, cleanerSeconds, cleanerRate);
    std::printf("ratio b/a: %.2f\n", cleanerRate / plainRate);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "build") {
        Build(argc > 2 ? std::atoi(argv[2]) : 100);
        return 0;
    }
    if (mode == "measure") return Measure();
    Build(argc > 1 ? std::atoi(argv[1]) : 100);
    return Measure();
}
