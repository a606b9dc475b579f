#include "cleaning/AddFolder.h"

#include "support/FakePlatform.h"
#include "support/Fixtures.h"
#include "system/Path.h"
#include "system/UniqueHandle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

using AddFolder::FolderCollection;
using Fixtures::TempFolder;

namespace {

FolderCollection Walk(const std::string& start, bool recurse = true) {
    FolderCollection folders{start};
    AddFolder::GetSubDirectories2016(folders, recurse);
    return folders;
}

std::size_t Depth(const std::string& folder) { return std::count(folder.begin(), folder.end(), '\\'); }

std::string Parent(const std::string& folder) {
    const std::size_t slash = folder.find_last_of('\\', folder.size() - 2);
    return folder.substr(0, slash + 1);
}

bool Contains(const FolderCollection& folders, const std::string& folder) {
    return std::find(folders.begin(), folders.end(), folder) != folders.end();
}

void MakeFolderW(const std::wstring& path) { ASSERT_TRUE(::CreateDirectoryW(path.c_str(), nullptr)) << ::GetLastError(); }

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

TEST(AddFolderTest, ThreeLevelsComeLevelByLevelInTheOrderOfTheirParents) {
    TempFolder t;
    for (const char* folder : {"a\\a1\\x", "a\\a2", "b\\b1", "c"}) Fixtures::MakeFolders(t / folder);
    Fixtures::WriteFile(t / "a\\file.txt");  // files are not folders
    const std::string start = t.Path() + "\\";

    const FolderCollection folders = Walk(start);

    const std::set<std::string> expected{start, start + "a\\", start + "b\\", start + "c\\", start + "a\\a1\\",
                                         start + "a\\a2\\", start + "b\\b1\\", start + "a\\a1\\x\\"};
    ASSERT_EQ(std::set<std::string>(folders.begin(), folders.end()), expected);
    ASSERT_EQ(folders.size(), expected.size());
    EXPECT_EQ(folders.front(), start);
    // Breadth first: depth never decreases, and within a level the children of an
    // earlier parent come before those of a later one.
    for (std::size_t i = 1; i < folders.size(); ++i) {
        ASSERT_LE(Depth(folders[i - 1]), Depth(folders[i])) << folders[i];
        if (Depth(folders[i - 1]) == Depth(folders[i])) {
            const auto parentPos = [&](const std::string& f) {
                return std::find(folders.begin(), folders.end(), Parent(f)) - folders.begin();
            };
            EXPECT_LE(parentPos(folders[i - 1]), parentPos(folders[i])) << folders[i];
        }
    }
}

TEST(AddFolderTest, WithoutRecursionOnlyChildrenAreAddedAndALeafStaysAlone) {
    TempFolder t;
    Fixtures::MakeFolders(t / "a\\deep");
    Fixtures::MakeFolders(t / "leaf");
    const std::string start = t.Path() + "\\";

    const FolderCollection shallow = Walk(start, false);
    EXPECT_EQ(std::set<std::string>(shallow.begin(), shallow.end()),
              (std::set<std::string>{start, start + "a\\", start + "leaf\\"}));
    EXPECT_EQ(Walk(start + "leaf\\"), FolderCollection{start + "leaf\\"});
}

TEST(AddFolderTest, HiddenSystemFoldersAreSkippedWithEverythingBelowThem) {
    TempFolder t;
    for (const char* folder : {"hs\\below", "h\\below", "s\\below"}) Fixtures::MakeFolders(t / folder);
    ::SetFileAttributesA((t / "hs").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    ::SetFileAttributesA((t / "h").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ::SetFileAttributesA((t / "s").c_str(), FILE_ATTRIBUTE_SYSTEM);
    ASSERT_EQ(Fixtures::Attributes(t / "hs"), 22u);
    const std::string start = t.Path() + "\\";

    const FolderCollection folders = Walk(start);

    EXPECT_FALSE(Contains(folders, start + "hs\\"));
    EXPECT_FALSE(Contains(folders, start + "hs\\below\\"));
    for (const char* entered : {"h\\", "h\\below\\", "s\\", "s\\below\\"})
        EXPECT_TRUE(Contains(folders, start + entered)) << entered;
    EXPECT_EQ(folders.size(), 5u);

    // A hidden system start folder stays in the collection but is not entered.
    EXPECT_EQ(Walk(start + "hs\\"), FolderCollection{start + "hs\\"});
    for (const char* folder : {"hs", "h", "s"}) ::SetFileAttributesA((t / folder).c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Folders made and removed with the wide functions, as the test fixtures
// take only names of the program's code page.
class WideNames {
public:
    explicit WideNames(std::wstring base) : base_(std::move(base)) { Remove(); }
    ~WideNames() { Remove(); }
    void Remove() {
        for (const wchar_t* name : {L"snow\x2603\\below", L"snow\x2603", L"what\xF03F", L"ctl\x0001"})
            ::RemoveDirectoryW((base_ + name).c_str());
    }

private:
    std::wstring base_;
};

TEST(AddFolderTest, EveryNameIsWalkedButOnesWithControlCharacters) {
    TempFolder t;
    const std::wstring base = Wide(t.Path()) + L"\\";
    WideNames cleanup(base);
    MakeFolderW(base + L"snow\x2603");
    MakeFolderW(base + L"snow\x2603\\below");
    MakeFolderW(base + L"plain");
    // Control characters are refused by Windows but not by every file system
    // Wine sits on; when the platform lets such a name exist, it is skipped.
    ::CreateDirectoryW((base + L"what\xF03F").c_str(), nullptr);  // Wine's form of a Unix "?"
    ::CreateDirectoryW((base + L"ctl\x0001").c_str(), nullptr);
    const std::string start = t.Path() + "\\";
    const std::string snow = start + "snow\xE2\x98\x83\\";

    FolderCollection folders = Walk(start);

    std::sort(folders.begin(), folders.end());
    FolderCollection expected{start, start + "plain\\", snow, snow + "below\\"};
    if (Fixtures::FolderExists(start + "what\xEF\x80\xBF")) expected.push_back(start + "what\xEF\x80\xBF\\");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(folders, expected);
}

// Names are UTF-8, the program's code page: characters are judged, not bytes.
TEST(AddFolderTest, UnusualCharactersAreControlCodesQuestionMarksAndBytesOfNoCharacter) {
    using AddFolder::HasUnusualChars;
    for (const char* usual : {"", "Temporary Internet Files", "caf\xC3\xA9 ~$x {1}", "\xD0\x9A\xD1\x8D\xD1\x88",
                              "\xE6\x97\xA5\xE6\x9C\xAC", "emoji-\xF0\x9F\x98\x80", "\xC2\xA0\xC3\xBF"})
        EXPECT_FALSE(HasUnusualChars(usual)) << usual;
    for (const char* unusual : {"a?b", "tab\there", "\x1F", "del\x7F", "c1-\xC2\x80", "\xC2\x9F", "caf\xE9", "\xFF"})
        EXPECT_TRUE(HasUnusualChars(unusual)) << unusual;
}

TEST(AddFolderTest, ADriveRootIsEnteredWhateverItsAttributes) {
    using AddFolder::MayEnter;
    EXPECT_TRUE(MayEnter("C:\\", 22));
    EXPECT_TRUE(MayEnter("D:", 22));
    EXPECT_TRUE(MayEnter("\\\\server\\share\\", 22));
    EXPECT_FALSE(MayEnter("C:\\Cache\\", 22));
    EXPECT_FALSE(MayEnter("\\\\server\\share\\Cache\\", 22));
    EXPECT_FALSE(MayEnter("C:\\Cache\\", 1046));
    EXPECT_FALSE(MayEnter("C:\\Cache\\", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
    EXPECT_TRUE(MayEnter("C:\\Cache\\", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(MayEnter("C:\\Cache\\", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM));
    EXPECT_TRUE(MayEnter("C:\\Cache\\", 22 | FILE_ATTRIBUTE_ARCHIVE));

    // The real root of drive C is listed.
    const FolderCollection folders = Walk("C:\\", false);
    EXPECT_EQ(folders.front(), "C:\\");
    EXPECT_TRUE(Contains(folders, "C:\\windows\\")) << folders.size();
}

TEST(AddFolderTest, AMissingStartFolderIsNotWalkedAndPathsOfAnyLengthAre) {
    TempFolder t;
    const std::string missing = t.Path() + "\\missing\\";
    EXPECT_EQ(Walk(missing), FolderCollection{missing});

    // Two levels that take the path past 260, then past 400 characters.
    const std::string start = t.Path() + "\\";
    const std::string first = start + std::string(200, 'f') + "\\";
    const std::string second = first + std::string(200, 'g') + "\\";
    ASSERT_TRUE(::CreateDirectoryW(Path::ForSystem(first).c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(Path::ForSystem(second).c_str(), nullptr));
    EXPECT_EQ(Walk(start), (FolderCollection{start, first, second}));
    ::RemoveDirectoryW(Path::ForSystem(second).c_str());
    ::RemoveDirectoryW(Path::ForSystem(first).c_str());
}

TEST(AddFolderTest, AFolderThatCannotBeListedLeavesTheCollectionWithoutAReport) {
    ScopedFakePlatform platform;
    TempFolder t;
    Fixtures::MakeFolders(t / "open\\below");
    Fixtures::MakeFolders(t / "locked\\below");
    const std::string start = t.Path() + "\\";
    // Another program holds the folder open and shares it with nobody: listing
    // it fails with a sharing violation, which counts as permission denied.
    FolderCollection folders;
    FolderCollection lockedAlone{start + "locked\\"};
    {
        UniqueFile holder(::CreateFileA((t / "locked").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        ASSERT_TRUE(holder.Valid()) << ::GetLastError();
        folders = Walk(start);
        AddFolder::GetSubDirectories2016(lockedAlone, true);
    }

    EXPECT_EQ(std::set<std::string>(folders.begin(), folders.end()),
              (std::set<std::string>{start, start + "open\\", start + "open\\below\\"}));
    EXPECT_TRUE(lockedAlone.empty());
    EXPECT_TRUE(platform->messages.empty());
}

namespace {
// The files the walk listed in `folder`.
AddFolder::FileNameArray Listed(const std::string& top, const std::string& folder) {
    AddFolder::FileListings files;
    AddFolder::FolderTree(top, &files);
    return files[folder];
}
}  // namespace

TEST(AddFolderTestListedFiles, AnEmptyOrMissingFolderGivesTheSingleEmptyEntry) {
    TempFolder t;
    Fixtures::MakeFolders(t / "only-a-folder");
    for (const std::string& folder : {t.Path(), t / "missing"}) {
        const AddFolder::FileNameArray names = Listed(folder, folder);
        EXPECT_EQ(names.UBound(), 0);
        EXPECT_EQ(names[0], "");
    }
}

TEST(AddFolderTestListedFiles, OneHundredFiftyFilesGetIndexesOneTo150) {
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

TEST(AddFolderTestListedFiles, EachFolderGetsItsOwnFilesWithTheirAttributesAndSizesAndNoFolders) {
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
