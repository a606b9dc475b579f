// Deleting a tree of 50,000 small files in 500 folders the way a user starts
// it: a click on "Delete Now (Test)" of the real main window, "Clear
// Cache/Temp Internet Files" ticked and the Cache shell folder pointing at the
// tree, timed from the click until the history log has the pass's line (another
// thread watches the log's size), against a plain FindFirstFileExW +
// DeleteFileW + RemoveDirectoryW loop over an identical tree.
//
// One round is the plain loop over its whole tree and the pass over the
// other, each in a run of its own started after the disk has been flushed
// from the Linux side, the one going first alternating. On a machine shared
// with other work one whole-tree deletion's time varies by a third from run
// to run, so scripts/bench.sh builds the trees afresh for each of three
// rounds and prints the ratios and their median. While the pass runs,
// another thread sends the window a message every 20 ms and times the
// answer: the longest answer is what a user meets as a frozen window.
//
// In the first round, before the pass, a click on "Preview" with the
// same box ticked, until its dialog shows what it counted over the whole tree
// (nothing is deleted), against a plain FindFirstFileExA walk that counts the
// identical tree's files and bytes, taking turns likewise.
//
// A second case deletes the files of C:\vorlane-bench\one (all in one folder)
// against those of C:\vorlane-bench\spread (as many, spread over folders),
// both through the pass: the time must grow with the number of files, not with
// the size of a folder. scripts/bench.sh makes those two trees from the Linux
// side: under Wine, creating a name in a folder of N files costs time in
// proportion to N, so making 100,000 in one folder from inside would take
// longer than the measurement.
//
// Creating 100,000 files leaves the disk writing back for many seconds, which
// would slow whichever deletion came first; scripts/bench.sh therefore builds
// the trees, flushes the file systems from the Linux side, then measures.
//
// A third case deletes a tree 1,000 folders deep with a file in each
// (C:\vorlane-bench\deep-cleaner) through the pass, against the plain loop
// over an identical tree (deep-plain). Under Wine each call that names a file
// or folder costs time that grows with the square of its depth, in the plain
// loop as in the pass: the pass must name each no more often than the loop
// does, so that its time grows as the loop's. scripts/bench.sh makes both
// trees from the Linux side, where making them takes no time.
//
// Usage: FolderDeleteBench.exe build [files-per-folder]     (default 100)
//        FolderDeleteBench.exe measure-plain
//        FolderDeleteBench.exe measure-pass [preview]
//        FolderDeleteBench.exe measure-one
//        FolderDeleteBench.exe measure-deep
#include "ShellFolderValue.h"
#include "WindowClick.h"
#include "cleaning/AddFolder.h"
#include "system/Path.h"
#include "system/UniqueHandle.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int TopFolders = 20;
constexpr int SubFolders = 24;  // 20 + 20 * 24 = 500 folders

const std::string Base = "C:\\vorlane-bench";
const std::string PlainRoot = Path::Join(Base, "plain");
const std::string CleanerRoot = Path::Join(Base, "cleaner");
const std::string OneRoot = Path::Join(Base, "one");
const std::string SpreadRoot = Path::Join(Base, "spread");
const std::string DeepPlainRoot = Path::Join(Base, "deep-plain");
const std::string DeepCleanerRoot = Path::Join(Base, "deep-cleaner");
constexpr int DeepFolders = 1000;


void CreateFolder(const std::string& path) {
    if (!::CreateDirectoryA(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        std::fprintf(stderr, "cannot create %s\n", path.c_str());
        std::exit(2);
    }
}

void CreateFiles(const std::string& folder, int count) {
    for (int i = 0; i < count; ++i) {
        const std::string path = Path::Join(folder, "file" + std::to_string(i) + ".tmp");
        UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
        DWORD written = 0;
        ::WriteFile(file.Get(), "cached data", 11, &written, nullptr);
    }
}

void BuildTree(const std::string& root, int filesPerFolder) {
    CreateFolder(root);
    for (int t = 0; t < TopFolders; ++t) {
        const std::string top = Path::Join(root, "top" + std::to_string(t));
        CreateFolder(top);
        CreateFiles(top, filesPerFolder);
        for (int s = 0; s < SubFolders; ++s) {
            const std::string sub = Path::Join(top, "sub" + std::to_string(s));
            CreateFolder(sub);
            CreateFiles(sub, filesPerFolder);
        }
    }
}

// (b) What the user starts: the main window's pass with only "Clear
// Cache/Temp Internet Files" ticked, the Cache shell folder set to `folder`.
class RealPass {
public:
    void Run(const std::string& folder) {
        SetShellFolder(ShellFolders::Cache, folder);
        window_.DeleteAll();
    }
    double Click(const std::string& folder) {
        SetShellFolder(ShellFolders::Cache, folder);
        return window_.ClickDeleteNow();
    }
    double Preview(const std::string& folder, std::string& total) {
        SetShellFolder(ShellFolders::Cache, folder);
        return window_.ClickPreview(total);
    }
    HWND Window() const { return window_.Window(); }

private:
    ClickedWindow window_{"chkIETemp"};
};

// (a) The plainest deletion: one search per folder, then delete what it found.
// The search is finished before anything is deleted (deleting while a search
// is open is slower under Wine), so the baseline is as fast as a loop can be.
// Through the wide functions, as the program's own calls go: names of any
// length (a deep tree's), in the "\\?\" form Path::ForSystem gives them.
void PlainDelete(const std::wstring& folder) {
    std::vector<std::wstring> files;
    std::vector<std::wstring> subfolders;
    WIN32_FIND_DATAW data;
    {
        UniqueFind find(::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                           nullptr, FIND_FIRST_EX_LARGE_FETCH));
        if (find) {
            do {
                const std::wstring name = data.cFileName;
                if (name == L"." || name == L"..") continue;
                (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? subfolders : files).push_back(folder + L"\\" + name);
            } while (::FindNextFileW(find.Get(), &data));
        }
    }
    for (const std::wstring& file : files) ::DeleteFileW(file.c_str());
    for (const std::wstring& subfolder : subfolders) PlainDelete(subfolder);
    ::RemoveDirectoryW(folder.c_str());
}

void PlainDelete(const std::string& folder) { PlainDelete(Path::ForSystem(folder)); }

// (c) The plainest walk: one search per folder, files counted with their bytes.
void PlainWalk(const std::string& folder, std::int64_t& files, std::int64_t& bytes) {
    WIN32_FIND_DATAA data;
    std::vector<std::string> subfolders;
    UniqueFind find(::FindFirstFileExA(Path::Join(folder, "*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                       nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            subfolders.push_back(Path::Join(folder, name));
        } else {
            ++files;
            bytes += static_cast<std::int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
        }
    } while (::FindNextFileA(find.Get(), &data));
    find.Reset();
    for (const std::string& subfolder : subfolders) PlainWalk(subfolder, files, bytes);
}


// The benchmark's own files below `root` (WinINet keeps its index in the
// Cache shell folder once the pass has used it: not ours to count).
int CountFiles(const std::string& root) {
    int count = 0;
    AddFolder::FileListings files;
    AddFolder::FolderTree(root, &files);
    for (const auto& [folder, names] : files) {
        for (int i = 1; i <= names.UBound(); ++i) count += names[i].rfind("file", 0) == 0;
    }
    return count;
}

void Build(int filesPerFolder) {
    CreateFolder(Base);
    PlainDelete(PlainRoot);  // leftovers of an interrupted run
    PlainDelete(CleanerRoot);
    std::printf("Building two trees of %d files in %d folders...\n", TopFolders * (SubFolders + 1) * filesPerFolder,
                TopFolders * (SubFolders + 1));
    BuildTree(PlainRoot, filesPerFolder);
    BuildTree(CleanerRoot, filesPerFolder);
}

// The preview against the plain walk, twice each, taking turns.
void MeasurePreview(RealPass& pass) {
    double walkSeconds = 0.0;
    double previewSeconds = 0.0;
    std::int64_t walkFiles = 0, walkBytes = 0;
    std::string counted;
    for (int round = 0; round < 2; ++round) {
        const auto walk = [&] {
            walkFiles = walkBytes = 0;
            walkSeconds += Seconds([&] { PlainWalk(PlainRoot, walkFiles, walkBytes); });
        };
        if (round == 1) walk();
        previewSeconds += pass.Preview(CleanerRoot, counted);
        if (round == 0) walk();
    }
    std::printf("(c) FindFirstFileExA walk counting files and bytes:      %lld files, %lld bytes in %.2f s\n",
                static_cast<long long>(walkFiles), static_cast<long long>(walkBytes), walkSeconds / 2);
    std::printf("(d) \"Preview\" clicked, Cache/Temp Internet Files ticked, until its dialog shows \"%s\": %.2f s\n",
                counted.c_str(), previewSeconds / 2);
    std::printf("preview time / walk time: %.2f\n", previewSeconds / walkSeconds);
}

bool TreesBuilt() {
    const int plainFiles = CountFiles(PlainRoot);
    const int cleanerFiles = CountFiles(CleanerRoot);
    if (plainFiles > 0 && plainFiles == cleanerFiles) return true;
    std::fprintf(stderr, "build the trees first (found %d and %d files)\n", plainFiles, cleanerFiles);
    return false;
}

// (a) over the plain tree, which it removes.
int MeasurePlain() {
    const int files = CountFiles(PlainRoot);
    if (files == 0) {
        std::fprintf(stderr, "build the trees first\n");
        return 1;
    }
    const double seconds = Seconds([&] { PlainDelete(PlainRoot); });
    if (Path::Exists(PlainRoot)) {
        std::fprintf(stderr, "the plain loop left its tree\n");
        return 1;
    }
    std::printf("(a) FindFirstFileExW + DeleteFileW + RemoveDirectoryW: %d files in %.2f s, %.0f files/s\n", files,
                seconds, files / seconds);
    std::printf("plain-seconds %.3f\n", seconds);
    return 0;
}

// (b) over the pass's tree; with `preview`, (c) and (d) first. The pass
// empties the folder but keeps the folder itself (it is the Cache shell
// folder): it is removed afterwards, with the plain tree's folder.
int MeasurePass(bool preview) {
    if (preview && !TreesBuilt()) return 1;
    const int files = CountFiles(CleanerRoot);
    if (files == 0) {
        std::fprintf(stderr, "build the trees first\n");
        return 1;
    }
    RealPass pass;
    if (preview) MeasurePreview(pass);
    std::vector<double> delays;
    double seconds = 0.0;
    WithResponseProbe(pass.Window(), delays, [&] { seconds = pass.Click(CleanerRoot); });
    const int left = CountFiles(CleanerRoot);
    PlainDelete(CleanerRoot);
    if (left != 0 || seconds < 0) {
        std::fprintf(stderr, "the pass left %d files or wrote no log line\n", left);
        return 1;
    }
    std::printf("(b) \"Delete Now (Test)\" clicked until the log's line:  %d files in %.2f s, %.0f files/s\n", files,
                seconds, files / seconds);
    std::printf("pass-seconds %.3f\n", seconds);
    PrintAnswers("(b)", delays);
    return 0;
}

int MeasureOne() {
    const int oneFiles = CountFiles(OneRoot);
    const int spreadFiles = CountFiles(SpreadRoot);
    if (oneFiles == 0 || oneFiles != spreadFiles) {
        std::fprintf(stderr, "make the two trees first (found %d and %d files)\n", oneFiles, spreadFiles);
        return 1;
    }
    RealPass pass;
    const double spreadSeconds = Seconds([&] { pass.Run(SpreadRoot); });
    const double oneSeconds = Seconds([&] { pass.Run(OneRoot); });
    const int left = CountFiles(OneRoot) + CountFiles(SpreadRoot);
    PlainDelete(OneRoot);
    PlainDelete(SpreadRoot);
    ::RemoveDirectoryA(Base.c_str());
    if (left != 0) {
        std::fprintf(stderr, "%d files were left\n", left);
        return 1;
    }
    std::printf("the real pass: %d files in one folder %.2f s, spread over folders %.2f s, ratio one/spread %.2f\n",
                oneFiles, oneSeconds, spreadSeconds, oneSeconds / spreadSeconds);
    return 0;
}

// The path of the file at `depth` (1 to DeepFolders) of a deep tree.
std::string DeepFile(const std::string& root, int depth) {
    std::string folder = "\\\\?\\" + root;
    for (int i = 0; i < depth; ++i) folder += "\\d";
    return folder + "\\f.tmp";
}

// The pass over one deep tree against the plain loop over the other, the pass
// first; the time of each and their ratio.
int MeasureDeep() {
    for (const std::string& root : {DeepPlainRoot, DeepCleanerRoot}) {
        if (!Path::Exists(DeepFile(root, DeepFolders))) {
            std::fprintf(stderr, "make the two deep trees first\n");
            return 1;
        }
    }
    RealPass pass;
    const double passSeconds = pass.Click(DeepCleanerRoot);
    const double plainSeconds = Seconds([&] { PlainDelete(DeepPlainRoot); });
    const bool emptied = !Path::Exists(DeepFile(DeepCleanerRoot, 1)) && !Path::Exists(DeepFile(DeepCleanerRoot, DeepFolders));
    PlainDelete(DeepCleanerRoot);
    ::RemoveDirectoryA(Base.c_str());
    if (!emptied || passSeconds < 0 || Path::Exists(DeepPlainRoot)) {
        std::fprintf(stderr, "a deletion left its tree (the pass's: %s, the plain loop's: %s), or the pass wrote no log line (%.2f s)\n",
                     emptied ? "no" : "yes", Path::Exists(DeepPlainRoot) ? "yes" : "no", passSeconds);
        return 1;
    }
    std::printf("a tree %d folders deep, a file in each: the plain loop %.2f s, the pass (clicked until the log's "
                "line) %.2f s, ratio pass/plain %.2f (goal at most 1.5)\n",
                DeepFolders, plainSeconds, passSeconds, passSeconds / plainSeconds);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const QuietWindowBench quiet;
    const std::string mode = argc > 1 ? argv[1] : "";
    int result = 0;
    if (mode == "build") {
        Build(argc > 2 ? std::atoi(argv[2]) : 100);
    } else if (mode == "measure-plain") {
        result = MeasurePlain();
    } else if (mode == "measure-pass") {
        result = MeasurePass(argc > 2 && std::string(argv[2]) == "preview");
    } else if (mode == "measure-one") {
        result = MeasureOne();
    } else if (mode == "measure-deep") {
        result = MeasureDeep();
    } else {
        std::fprintf(stderr, "usage: FolderDeleteBench build [n] | measure-pass [preview] | measure-plain | measure-one | measure-deep\n");
        result = 2;
    }
    return result;
}
