// Hostile values handed to the folder cleaner and to the one-handle deletion:
// drive roots, known folders and their ancestors, relative and odd paths,
// device forms and links planted from Linux. Every canary must survive, and a
// folder that exists but is refused is said to be left alone.
#include "cleaning/FolderFileDeleter.h"
#include "cleaning/IECleaners.h"
#include "cleaning/TargetCheck.h"
#include "support/FakePlatform.h"
#include "support/Fixtures.h"
#include "support/RecordingStatus.h"
#include "system/FileGuard.h"
#include "system/Path.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

// Files with known contents below `root`; Intact() is true while every byte is there.
class Canaries {
public:
    explicit Canaries(std::string root) : root_(std::move(root)) {
        for (const char* name : {"vorlane-canary-a.txt", "vorlane-canary-sub\\b.txt", "vorlane-canary-sub\\c\\d.txt"}) {
            const std::string path = root_ + "\\" + name;
            Fixtures::WriteFile(path, std::string("canary ") + name);
            files_[path] = std::string("canary ") + name;
        }
    }
    ~Canaries() {
        for (const auto& file : files_) Fixtures::DeleteTree(file.first);
        Fixtures::DeleteTree(root_ + "\\vorlane-canary-sub");
    }
    Canaries(const Canaries&) = delete;
    Canaries& operator=(const Canaries&) = delete;

    void ExpectIntact(const std::string& trace) const {
        for (const auto& [path, content] : files_)
            EXPECT_EQ(Fixtures::ReadFile(path), content) << trace << ": " << path;
    }

private:
    std::string root_;
    std::map<std::string, std::string> files_;
};

// The folder of `path`; a drive root keeps its backslash.
std::string Parent(const std::string& path) { return Path::WithoutBackslash(path.substr(0, path.rfind('\\') + 1)); }

// The Linux path of a Windows path inside the test prefix, as Wine's
// "\\?\unix\" form names it.
std::string UnixForm(const std::string& windowsPath) {
    char prefix[MAX_PATH] = {};
    if (!::GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof(prefix))) return "";
    std::string path = std::string("\\\\?\\unix") + prefix + "\\drive_c\\" + windowsPath.substr(3);
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

const std::string DriveRoot = "C:\\vorlane-drive";  // drive V: (scripts/plant-cleaner-fixtures.sh)
// Drive U:'s folder, "vorlane-диск 日本 😀" in UTF-8, the program's code page.
const std::string UnicodeDriveRoot = "C:\\vorlane-\xD0\xB4\xD0\xB8\xD1\x81\xD0\xBA \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";
// "Кэш 日本 Ωmega"
const std::string UnicodeName = "\xD0\x9A\xD1\x8D\xD1\x88 \xE6\x97\xA5\xE6\x9C\xAC \xCE\xA9mega";

}  // namespace

class TargetCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Fixtures::FolderExists("V:\\")) << "drive V: is missing: run scripts/plant-cleaner-fixtures.sh";
    }
    ScopedFakePlatform platform;
    RecordingStatus status;
};

TEST_F(TargetCheckTest, HostileFolderValuesDeleteNothingAndAreSaidToBeLeftAlone) {
    Fixtures::TempFolder work;
    const std::string localAppData = Fixtures::KnownFolderPath(FOLDERID_LocalAppData);
    ASSERT_FALSE(localAppData.empty());
    const Canaries driveCanaries(DriveRoot);
    Fixtures::MakeFolders(DriveRoot + "\\sub");
    const Canaries driveSubCanaries(DriveRoot + "\\sub");
    const Canaries knownCanaries(localAppData);
    const Canaries workCanaries(work.Path());
    Fixtures::MakeFolders(work / "cache");
    const Canaries cacheCanaries(work / "cache");
    ASSERT_TRUE(Fixtures::FolderExists("U:\\")) << "drive U: is missing: run scripts/plant-cleaner-fixtures.sh";
    const Canaries unicodeDriveCanaries(UnicodeDriveRoot);
    Fixtures::MakeFolders(work / UnicodeName);
    const Canaries unicodeCanaries(work / UnicodeName);

    // The relative value is resolved against the working folder.
    char previous[MAX_PATH];
    ::GetCurrentDirectoryA(sizeof(previous), previous);
    ASSERT_TRUE(::SetCurrentDirectoryA(work.Path().c_str()));

    struct Case {
        std::string value;
        bool exists;  // an existing folder is said to be left alone; a missing one is not
    };
    const Case cases[] = {
        {"V:\\", true},
        {"V:", true},
        {"V:/", true},
        {"V:\\\\", true},
        {"V:\\sub\\..", true},
        {"V:/sub", true},
        {localAppData, true},
        {Parent(localAppData), true},
        {Parent(Parent(localAppData)), true},
        {"cache", true},
        {".\\cache", true},
        {work / "cache ", true},
        {work / "cache.", true},
        {work / "cache\\.", true},
        {work / "cache\\..\\cache", true},
        {UnixForm(work / "cache"), true},
        {"\\\\?\\" + work / "cache", true},
        {"\\\\.\\" + work / "cache", true},
        {"\\\\localhost\\share", true},
        {"U:\\", true},
        {work / (UnicodeName + " "), true},
        {work / (UnicodeName + "\\..\\" + UnicodeName), true},
        {UnixForm(work / UnicodeName), true},
        {"\\\\?\\" + work / UnicodeName, true},
        {work / "missing", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        status.notices.clear();
        IEHistory::DeleteFolderTree(c.value, status);
        if (c.exists)
            EXPECT_EQ(status.notices, std::vector<std::string>{c.value + " was left alone: not a browser folder"});
        else
            EXPECT_TRUE(status.notices.empty());
    }
    ::SetCurrentDirectoryA(previous);

    for (const Canaries* canaries : {&driveCanaries, &driveSubCanaries, &knownCanaries, &workCanaries, &cacheCanaries,
                                     &unicodeDriveCanaries, &unicodeCanaries})
        canaries->ExpectIntact("after every hostile value");
}

TEST_F(TargetCheckTest, OrdinaryBrowserFoldersPassBelowKnownFolders) {
    const std::string cache = Fixtures::KnownFolderPath(FOLDERID_LocalAppData) + "\\Microsoft\\Windows\\INetCache";
    Fixtures::MakeFolders(cache);
    std::string resolved;
    EXPECT_EQ(TargetCheck::CheckFolder(cache, &resolved), TargetCheck::Verdict::Target);
    EXPECT_TRUE(TargetCheck::SamePath(resolved, cache));
    EXPECT_EQ(TargetCheck::CheckFolder("V:\\sub"), TargetCheck::Verdict::Target);
    EXPECT_EQ(TargetCheck::CheckFolder(""), TargetCheck::Verdict::Missing);
}

// The program's own folder and TEMP (where the history log lives) are protected too.
TEST_F(TargetCheckTest, TheProgramFolderAndTempAreNeverTargets) {
    char buffer[MAX_PATH];
    ::GetModuleFileNameA(nullptr, buffer, sizeof(buffer));
    const std::vector<std::string> folders = TargetCheck::ProtectedFolders();
    EXPECT_TRUE(TargetCheck::CoversProtectedFolder(Parent(buffer), folders));
    ::GetTempPathA(sizeof(buffer), buffer);
    EXPECT_EQ(TargetCheck::CheckFolder(buffer), TargetCheck::Verdict::Refused);
}

// A file link planted from Linux (C:\vorlane-filelink\tree\file-link.txt ->
// ..\outside\precious.txt) handed straight to the one-handle deletion: Wine
// opens the target, and the name check refuses it.
TEST_F(TargetCheckTest, TheOneHandleDeletionRefusesAFileLinkHandedToItDirectly) {
    const std::string tree = "C:\\vorlane-filelink\\tree";
    ASSERT_EQ(Fixtures::ReadFile("C:\\vorlane-filelink\\outside\\precious.txt"), "precious");
    Fixtures::WriteFile(tree + "\\plain.txt", "plain", FILE_ATTRIBUTE_READONLY);
    RecordingStatus status;
    const FolderFileDeleter deleter(tree, FileGuard::ResolvedPath(tree),
                                    FolderFileDeleter::Attributes::MakeArchiveOnly, status);

    EXPECT_EQ(deleter.Delete("file-link.txt"), FolderFileDeleter::Outcome::Refused);
    EXPECT_EQ(deleter.Delete("file-link.txt", FILE_ATTRIBUTE_ARCHIVE), FolderFileDeleter::Outcome::Refused);
    EXPECT_EQ(Fixtures::ReadFile("C:\\vorlane-filelink\\outside\\precious.txt"), "precious");

    EXPECT_EQ(deleter.Delete("plain.txt"), FolderFileDeleter::Outcome::Deleted);
    EXPECT_FALSE(Fixtures::FileExists(tree + "\\plain.txt"));
    EXPECT_EQ(deleter.Delete("plain.txt"), FolderFileDeleter::Outcome::Gone);

    // A deleter told the folder is elsewhere deletes nothing here.
    Fixtures::WriteFile(tree + "\\plain.txt", "plain");
    const FolderFileDeleter wrong(tree, "C:\\vorlane-filelink\\outside", FolderFileDeleter::Attributes::MakeArchiveOnly,
                                  status);
    EXPECT_EQ(wrong.Delete("plain.txt"), FolderFileDeleter::Outcome::Refused);
    EXPECT_TRUE(Fixtures::FileExists(tree + "\\plain.txt"));
    Fixtures::DeleteTree(tree + "\\plain.txt");
    // What stays on purpose is not a file that could not be deleted.
    EXPECT_EQ(status.failures, std::vector<std::string>{});
}

// Profile files keep a read-only file, as Windows would refuse to delete it,
// and say so.
TEST_F(TargetCheckTest, KeepReadOnlyLeavesReadOnlyFilesAndArchiveOnlyClearsThem) {
    Fixtures::TempFolder folder;
    Fixtures::WriteFile(folder / "locked.sqlite", "x", FILE_ATTRIBUTE_READONLY);
    const std::string resolved = FileGuard::ResolvedPath(folder.Path());
    RecordingStatus status;
    const FolderFileDeleter keep(folder.Path(), resolved, FolderFileDeleter::Attributes::KeepReadOnly, status);
    EXPECT_EQ(keep.Delete("locked.sqlite"), FolderFileDeleter::Outcome::Failed);
    EXPECT_TRUE(Fixtures::FileExists(folder / "locked.sqlite"));
    EXPECT_EQ(status.failures, std::vector<std::string>{folder / "locked.sqlite"});
    const FolderFileDeleter clear(folder.Path(), resolved, FolderFileDeleter::Attributes::MakeArchiveOnly, status);
    EXPECT_EQ(clear.Delete("locked.sqlite", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE),
              FolderFileDeleter::Outcome::Deleted);
    EXPECT_FALSE(Fixtures::FileExists(folder / "locked.sqlite"));
}
