#include "cleaning/AddFolder.h"
#include "cleaning/FileRoutines.h"

#include "support/Fixtures.h"
#include "system/Failure.h"
#include "system/UniqueHandle.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using Fixtures::TempFolder;

namespace {
// The files the walk listed in `folder`.
AddFolder::FileNameArray Listed(const std::string& top, const std::string& folder) {
    AddFolder::FileListings files;
    AddFolder::FolderTree(top, &files);
    return files[folder];
}
}  // namespace

TEST(FileRoutinesTestListedFiles, AnEmptyOrMissingFolderGivesTheSingleEmptyEntry) {
    TempFolder t;
    Fixtures::MakeFolders(t / "only-a-folder");
    for (const std::string& folder : {t.Path(), t / "missing"}) {
        const AddFolder::FileNameArray names = Listed(folder, folder);
        EXPECT_EQ(names.UBound(), 0);
        EXPECT_EQ(names[0], "");
    }
}

TEST(FileRoutinesTestListedFiles, OneHundredFiftyFilesGetIndexesOneTo150) {
    TempFolder t;
    std::set<std::string> written;
    for (int i = 0; i < 150; ++i) {
        const std::string name = std::to_string(i) + "f.dat";
        Fixtures::WriteFile(t / name);
        written.insert(name);
    }

    const AddFolder::FileNameArray names = Listed(t.Path(), t.Path());

    ASSERT_EQ(names.UBound(), 150);
    std::set<std::string> listed;
    for (int i = 1; i <= names.UBound(); ++i) listed.insert(names[i]);
    EXPECT_EQ(listed, written);
    EXPECT_THROW(names[151], std::out_of_range);
}

TEST(FileRoutinesTestListedFiles, EachFolderGetsItsOwnFilesWithTheirAttributesAndSizesAndNoFolders) {
    TempFolder t;
    Fixtures::WriteFile(t / "sub.dir\\deeper.txt", "deeper");
    Fixtures::WriteFile(t / "plain.txt", "plain text");
    Fixtures::WriteFile(t / "hidden.txt", "x", FILE_ATTRIBUTE_HIDDEN);
    Fixtures::WriteFile(t / "system.txt", "x", FILE_ATTRIBUTE_SYSTEM);
    Fixtures::WriteFile(t / "both.txt", "x", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    Fixtures::WriteFile(t / "~locked.txt", "x", FILE_ATTRIBUTE_READONLY);

    AddFolder::FileListings files;
    AddFolder::FolderTree(t.Path(), &files);

    const AddFolder::FileNameArray& names = files[t.Path()];
    std::set<std::string> listed;
    for (int i = 1; i <= names.UBound(); ++i) {
        listed.insert(names[i]);
        EXPECT_EQ(names.AttributesAt(i), Fixtures::Attributes(t / names[i])) << names[i];
        EXPECT_EQ(names.SizeAt(i), static_cast<std::int64_t>(Fixtures::ReadFile(t / names[i]).size())) << names[i];
    }
    EXPECT_EQ(listed, (std::set<std::string>{"plain.txt", "hidden.txt", "system.txt", "both.txt", "~locked.txt"}));
    ASSERT_EQ(files[t / "sub.dir"].UBound(), 1);
    EXPECT_EQ(files[t / "sub.dir"][1], "deeper.txt");
    for (const char* name : {"hidden.txt", "system.txt", "both.txt", "~locked.txt"})
        ::SetFileAttributesA((t / name).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(FileRoutinesTest, RemoveFileDeletesReadOnlyFilesAndIsSilentOtherwise) {
    TempFolder t;
    Fixtures::WriteFile(t / "ro.txt", "x", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    Fixtures::WriteFile(t / "plain.txt");
    Fixtures::MakeFolders(t / "folder");

    FileRoutines::RemoveFile(t / "ro.txt");
    FileRoutines::RemoveFile(t / "plain.txt");
    FileRoutines::RemoveFile(t / "missing.txt");
    FileRoutines::RemoveFile(t / "missing\\deeper.txt");
    FileRoutines::RemoveFile(t / "folder");  // a folder is not a file: it stays as it was

    EXPECT_FALSE(Fixtures::FileExists(t / "ro.txt"));
    EXPECT_FALSE(Fixtures::FileExists(t / "plain.txt"));
    EXPECT_TRUE(Fixtures::FolderExists(t / "folder"));
    EXPECT_EQ(Fixtures::Attributes(t / "folder"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

TEST(FileRoutinesTest, ForceDeleteFileRaisesWhenTheFileStays) {
    TempFolder t;
    EXPECT_THROW(FileRoutines::ForceDeleteFile(t / "missing.txt"), Failure);
    Fixtures::WriteFile(t / "open.txt");
    UniqueFile holder(::CreateFileA((t / "open.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder.Valid());
    EXPECT_THROW(FileRoutines::ForceDeleteFile(t / "open.txt"), Failure);
    FileRoutines::RemoveFile(t / "open.txt");  // silent
    EXPECT_TRUE(Fixtures::FileExists(t / "open.txt"));
}
