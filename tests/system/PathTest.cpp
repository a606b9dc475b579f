#include "system/Path.h"

#include "support/Fixtures.h"
#include "system/Failure.h"

#include <gtest/gtest.h>

#include <string>

TEST(PathTest, JoinPutsExactlyOneBackslashBetweenFolderAndName) {
    const struct {
        const char* folder;
        const char* name;
        const char* joined;
    } cases[] = {
        {"C:\\Tools", "Vorlane.exe", "C:\\Tools\\Vorlane.exe"},
        {"C:\\", "Vorlane.exe", "C:\\Vorlane.exe"},
        {"C:\\Tools\\", "x\\o.cjs", "C:\\Tools\\x\\o.cjs"},
        {"\\\\server\\share", "a.txt", "\\\\server\\share\\a.txt"},
        {"", "Vorlane.exe", "Vorlane.exe"},
    };
    for (const auto& c : cases) EXPECT_EQ(Path::Join(c.folder, c.name), c.joined) << c.folder << " + " << c.name;
}

TEST(PathTest, TrailingBackslashesComeAndGoButADriveRootKeepsItsOne) {
    const struct {
        const char* path;
        const char* with;
        const char* without;
    } cases[] = {
        {"C:\\a", "C:\\a\\", "C:\\a"},
        {"C:\\a\\", "C:\\a\\", "C:\\a"},
        {"C:\\a\\\\", "C:\\a\\\\", "C:\\a"},
        {"C:\\", "C:\\", "C:\\"},
        {"\\\\server\\share\\", "\\\\server\\share\\", "\\\\server\\share"},
        {"", "\\", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Path::WithBackslash(c.path), c.with) << c.path;
        EXPECT_EQ(Path::WithoutBackslash(c.path), c.without) << c.path;
    }
}

// Windows reaches every length, and names that end in a dot or a space, only
// in the "\\?\" form (Wine takes either): a fully qualified path of plain
// components gets it; any other goes as it is, since the form takes a path
// exactly as written.
TEST(PathTest, ForSystemGivesAFullyQualifiedPathTheFormOfEveryLength) {
    const struct {
        const char* path;
        const wchar_t* wide;
    } cases[] = {
        {"C:\\Users\\a\\History", L"\\\\?\\C:\\Users\\a\\History"},
        {"\\\\server\\share\\a", L"\\\\?\\UNC\\server\\share\\a"},
        {"C:\\a\\..\\b", L"C:\\a\\..\\b"},
        {"C:/a", L"C:/a"},
        {"a\\b", L"a\\b"},
    };
    for (const auto& c : cases) EXPECT_EQ(Path::ForSystem(c.path), c.wide) << c.path;
}

TEST(PathTest, ExistsIsFileAndIsFolderTellFilesFoldersAndMissingPathsApart) {
    Fixtures::TempFolder t;
    Fixtures::WriteFile(t / "a.txt");
    Fixtures::WriteFile(t / "ro.txt", "x", FILE_ATTRIBUTE_READONLY);
    Fixtures::WriteFile(t / "hs.txt", "x", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    const struct {
        std::string path;
        bool file;
        bool folder;
    } cases[] = {
        {t.Path(), false, true},
        {t / "a.txt", true, false},
        {t / "ro.txt", true, false},
        {t / "hs.txt", true, false},
        {t / "missing.txt", false, false},
        {"", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Path::Exists(c.path), c.file || c.folder) << c.path;
        EXPECT_EQ(Path::IsFile(c.path), c.file) << c.path;
        EXPECT_EQ(Path::IsFolder(c.path), c.folder) << c.path;
    }
    EXPECT_FALSE(Path::IsLink(t.Path()));
    for (const char* name : {"ro.txt", "hs.txt"}) ::SetFileAttributesA((t / name).c_str(), FILE_ATTRIBUTE_NORMAL);

    for (const std::string& missing : {t / "missing.txt", t / "missing\\a.txt"}) {
        const DWORD attributes = Path::Attributes(missing);
        const DWORD error = ::GetLastError();
        EXPECT_EQ(attributes, INVALID_FILE_ATTRIBUTES) << missing;
        EXPECT_TRUE(Path::IsGone(error)) << missing << ": " << error;
        EXPECT_FALSE(Path::Exists(missing)) << missing;
    }
    EXPECT_FALSE(Path::IsGone(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(Path::IsGone(ERROR_SHARING_VIOLATION));
}

TEST(PathTest, ReadAllGivesEveryByteAndAMissingFileRaises) {
    Fixtures::TempFolder t;
    const std::string bytes("one\r\ntwo\0three\r\n", 16);
    Fixtures::WriteFile(t / "log.txt", bytes);
    Fixtures::WriteFile(t / "empty.txt", "");
    EXPECT_EQ(Path::ReadAll(t / "log.txt"), bytes);
    EXPECT_EQ(Path::ReadAll(t / "empty.txt"), "");

    std::size_t offered = 0;
    char room[32] = {};
    EXPECT_EQ(Path::ReadAll(t / "log.txt", [&](std::size_t length) {
                  offered = length;
                  return room;
              }),
              bytes.size());
    EXPECT_EQ(offered, bytes.size());

    try {
        Path::ReadAll(t / "missing.txt");
        ADD_FAILURE() << "a missing file was read";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.Number(), Failure::PathNotFound);
    }
}
