#include "support/UrlCacheHelpers.h"

#include "cleaning/DeletionBatch.h"
#include "cleaning/IECleaners.h"
#include "support/CountingWindow.h"
#include "support/FakePlatform.h"
#include "support/Fixtures.h"
#include "support/LoadedModule.h"
#include "system/MessagePump.h"
#include "system/ShellFolders.h"
#include "system/UniqueHandle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr DWORD Hidden = FILE_ATTRIBUTE_HIDDEN;
constexpr DWORD Kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

class FolderTreeTest : public ::testing::Test {
protected:
    ScopedFakePlatform platform;
    Fixtures::TempFolder root_;
    RecordingStatus status;
};

}  // namespace

TEST_F(FolderTreeTest, DeletesEveryFileButTildeAndExactlyHiddenArchiveOnesAtAnyDepth) {
    const std::string top = root_ / "Cookies";
    Fixtures::WriteFile(top + "\\plain.txt");
    Fixtures::WriteFile(top + "\\~lock.txt", "x", FILE_ATTRIBUTE_READONLY | Hidden);
    Fixtures::WriteFile(top + "\\index.dat", "x", Hidden);  // reads back as hidden + archive: 34
    Fixtures::WriteFile(top + "\\hsa.txt", "x", Hidden | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    Fixtures::WriteFile(top + "\\readonly.txt", "x", FILE_ATTRIBUTE_READONLY);
    Fixtures::WriteFile(top + "\\hiddenreadonly.txt", "x", Hidden | FILE_ATTRIBUTE_READONLY);
    Fixtures::WriteFile(top + "\\a\\b\\c\\d\\deep.txt");
    Fixtures::WriteFile(top + "\\a\\~temp\\~kept.txt");
    ASSERT_EQ(Fixtures::Attributes(top + "\\index.dat"), Hidden | FILE_ATTRIBUTE_ARCHIVE);

    IEHistory::DeleteFolderTree(top, status);

    std::vector<std::string> goneTexts;
    for (const char* gone : {"plain.txt", "hsa.txt", "readonly.txt", "hiddenreadonly.txt",
                             "a\\b\\c\\d\\deep.txt"}) {
        EXPECT_FALSE(Fixtures::FileExists(top + "\\" + gone)) << gone;
        goneTexts.push_back(top + "\\" + gone + "-->");
    }
    EXPECT_TRUE(Fixtures::FileExists(top + "\\~lock.txt"));
    EXPECT_TRUE(Fixtures::FileExists(top + "\\index.dat"));
    EXPECT_TRUE(Fixtures::FileExists(top + "\\a\\~temp\\~kept.txt"));
    // Paths are shown at the screen's pace: only files that are gone, ending
    // on the last one deleted (the walk reaches the deepest folder last).
    ASSERT_FALSE(status.texts.empty());
    for (const std::string& text : status.texts)
        EXPECT_NE(std::find(goneTexts.begin(), goneTexts.end(), text), goneTexts.end()) << text;
    EXPECT_EQ(status.texts.back(), goneTexts.back());
    // The emptied chain below a goes; a stays for its remaining file, archive only.
    EXPECT_FALSE(Fixtures::FolderExists(top + "\\a\\b"));
    EXPECT_EQ(Fixtures::Attributes(top + "\\a") & Kept, 0u);
    EXPECT_TRUE(platform->Reports().empty());
}

TEST_F(FolderTreeTest, EmptyFoldersGoInOnePassAndTheTopEndsArchiveOnly) {
    const std::string top = root_ / "Cache";
    Fixtures::MakeFolders(top + "\\e1\\e2\\e3\\e4");
    Fixtures::MakeFolders(top + "\\f1");
    Fixtures::WriteFile(top + "\\kept\\~keep.txt");
    ::SetFileAttributesA((top + "\\kept").c_str(), Hidden | FILE_ATTRIBUTE_READONLY);
    Fixtures::WriteFile(top + "\\index.dat", "x", Hidden);
    ::SetFileAttributesA(top.c_str(), Kept);

    {
        // A value written with a trailing backslash names the same folder.
        const Fixtures::ShellFolderOverride value(ShellFolders::History, top + "\\");
        IEHistory::DeleteIEHistory(status);
    }

    EXPECT_FALSE(Fixtures::FolderExists(top + "\\e1"));
    EXPECT_FALSE(Fixtures::FolderExists(top + "\\f1"));
    ASSERT_TRUE(Fixtures::FolderExists(top + "\\kept"));
    EXPECT_EQ(Fixtures::Attributes(top + "\\kept") & Kept, 0u);
    ASSERT_TRUE(Fixtures::FolderExists(top));
    EXPECT_EQ(Fixtures::Attributes(top) & Kept, 0u);
    EXPECT_TRUE(status.texts.empty()) << "no file went, so nothing is shown";

    // An emptied top folder is removed too.
    const std::string bare = root_ / "History";
    Fixtures::WriteFile(bare + "\\x\\y.txt");
    IEHistory::DeleteFolderTree(bare, status);
    EXPECT_FALSE(Fixtures::FolderExists(bare));
}

// A file that opens for deletion but that the system will not delete (a
// loaded DLL) stays and is never shown as deleted.
TEST_F(FolderTreeTest, AFileTheSystemWillNotDeleteIsNotShownAsDeleted) {
    const std::string top = root_ / "Cache";
    Fixtures::WriteFile(top + "\\plain.txt");
    const LoadedModule loaded(top + "\\loaded.dll");

    IEHistory::DeleteFolderTree(top, status);

    EXPECT_FALSE(Fixtures::FileExists(top + "\\plain.txt"));
    EXPECT_TRUE(Fixtures::FileExists(top + "\\loaded.dll"));
    EXPECT_EQ(status.texts, std::vector<std::string>{top + "\\plain.txt-->"});
}

// A batch tells each outcome in the order of its files, and the window's
// messages run while the files go: one sent as the batch starts is answered
// before the first outcome is told.
TEST_F(FolderTreeTest, ABatchTellsOutcomesInItsOrderAndAnswersTheWindowMeanwhile) {
    const std::string top = root_ / "Batch";
    std::vector<std::string> names;
    for (int i = 300; i-- > 0;) {
        names.push_back("f" + std::to_string(i) + ".txt");
        Fixtures::WriteFile(top + "\\" + names.back());
    }
    const FolderFileDeleter folder(top, FileGuard::ResolvedPath(top), FolderFileDeleter::Attributes::MakeArchiveOnly, status);
    std::vector<DeletionBatch::File> files;
    for (const std::string& name : names) files.push_back({&folder, name, INVALID_FILE_ATTRIBUTES, -1});
    const CountingWindow counting;
    const HWND window = counting.Handle();
    ASSERT_TRUE(window);
    std::thread sender([window] { ::SendMessageA(window, WM_APP, 0, 0); });
    for (int waited = 0; !(HIWORD(::GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) && waited < 5000; ++waited) ::Sleep(1);
    ASSERT_EQ(CountingWindow::answered, 0);

    std::vector<std::string> told;
    int answeredFirst = -1;
    DeletionBatch::DeleteAll(files, [&](const DeletionBatch::File& file, FolderFileDeleter::Outcome outcome) {
        if (answeredFirst < 0) answeredFirst = CountingWindow::answered;
        if (outcome == FolderFileDeleter::Outcome::Deleted) told.push_back(file.name);
    });

    MessagePump::LetPendingMessagesRun();
    sender.join();
    EXPECT_EQ(answeredFirst, 1);
    EXPECT_EQ(told, names);
}

// A missing or empty shell-folder value must not turn into the root of the
// current drive. The test runs with its current directory on drive V:, which
// scripts/plant-cleaner-fixtures.sh maps (from the Linux side) to C:\vorlane-drive, so a
// fault could only ever reach that folder.
TEST_F(FolderTreeTest, EmptyShellFolderValuesDeleteNothingAnywhere) {
    const std::string driveRoot = "C:\\vorlane-drive";
    ASSERT_TRUE(Fixtures::FolderExists("V:\\"))
        << "drive V: is missing: run scripts/plant-cleaner-fixtures.sh build/wineprefix";
    Fixtures::WriteFile(driveRoot + "\\root.txt");
    Fixtures::WriteFile(driveRoot + "\\sub\\inner.txt");
    ASSERT_TRUE(::SetFileAttributesA(driveRoot.c_str(), Hidden));
    char previous[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryA("V:\\sub"));
    ASSERT_TRUE(Fixtures::FileExists("\\root.txt"));

    {
        Fixtures::ShellFolderOverride cookies("Cookies", "");
        Fixtures::ShellFolderOverride cache("Cache", "");
        Fixtures::ShellFolderOverride history("History", "");
        IEHistory::DeleteFolderTree("", status);
        IEHistory::DeleteIECookies(status);
        IEHistory::DeleteIETemp(status);
        IEHistory::DeleteIEHistory(status);
    }

    ::SetCurrentDirectoryA(previous);
    EXPECT_TRUE(Fixtures::FileExists(driveRoot + "\\root.txt"));
    EXPECT_TRUE(Fixtures::FileExists(driveRoot + "\\sub\\inner.txt"));
    EXPECT_EQ(Fixtures::Attributes(driveRoot), FILE_ATTRIBUTE_DIRECTORY | Hidden) << "the root was touched";
    for (const auto& text : status.texts) EXPECT_EQ(text.find("root.txt"), std::string::npos) << text;
}

// A shell-folder path longer than 128 characters is read whole and cleaned; a
// value that is not a string (here the bytes of a path and a NUL, stored as
// binary) names no folder, nothing is deleted for it, and the status line says so.
TEST_F(FolderTreeTest, LongShellFolderPathsAreCleanedAndValuesThatAreNotStringsNameNoFolder) {
    const std::string longFolder = root_ / std::string(200 - root_.Path().size() - 1, 'c');
    ASSERT_EQ(longFolder.size(), 200u);
    Fixtures::WriteFile(longFolder + "\\cached.txt");
    Fixtures::WriteFile(longFolder + "\\sub\\inner.txt");
    {
        Fixtures::ShellFolderOverride cache("Cache", longFolder);
        IEHistory::DeleteIETemp(status);
    }
    EXPECT_FALSE(Fixtures::FileExists(longFolder + "\\cached.txt"));
    EXPECT_FALSE(Fixtures::FileExists(longFolder + "\\sub\\inner.txt"));
    ASSERT_FALSE(status.texts.empty());
    EXPECT_EQ(status.texts.back(), longFolder + "\\sub\\inner.txt-->");

    const std::string kept = root_ / "binary";
    Fixtures::WriteFile(kept + "\\kept.txt");
    std::vector<BYTE> bytes(kept.begin(), kept.end());
    bytes.push_back(0);
    {
        Fixtures::ShellFolderOverride cookies("Cookies", "");
        Fixtures::ShellFolderOverride cache("Cache", "");
        Fixtures::ShellFolderOverride history("History", "");
        for (const char* key : {ShellFolders::Key,
                                "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"}) {
            UniqueRegKey shellFolders;
            ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_SET_VALUE, shellFolders.Put()), ERROR_SUCCESS);
            for (const char* name : {"Cookies", "Cache", "History"})
                ASSERT_EQ(::RegSetValueExA(shellFolders.Get(), name, 0, REG_BINARY, bytes.data(),
                                           static_cast<DWORD>(bytes.size())),
                          ERROR_SUCCESS);
        }
        status.texts.clear();
        IEHistory::DeleteIECookies(status);
        IEHistory::DeleteIETemp(status);
        IEHistory::DeleteIEHistory(status);
    }
    EXPECT_TRUE(Fixtures::FileExists(kept + "\\kept.txt"));
    for (const char* name : {"Cookies", "Cache", "History"}) {
        const std::string said = std::string("Shell folder ") + name + " is not a folder path: nothing was deleted there";
        EXPECT_NE(std::find(status.texts.begin(), status.texts.end(), said), status.texts.end()) << said;
    }
    EXPECT_TRUE(platform->Reports().empty());
}
