// Directory links planted from the Linux side by scripts/plant-links.sh (the
// "links" test fixture); its "walk" set belongs to these tests.
#include "cleaning/AddFolder.h"

#include "support/FakePlatform.h"
#include "support/Fixtures.h"
#include "system/Path.h"

#include <gtest/gtest.h>

#include <string>

using AddFolder::FolderCollection;

namespace {

const std::string Root = "C:\\vorlane-links\\walk\\";
const std::string Tree = Root + "tree\\";
const std::string Targets = Root + "targets\\";

// Walks the tree and deletes every file listed in it, as the folder cleaners do.
FolderCollection WalkAndDelete(const std::string& start) {
    FolderCollection folders{start};
    AddFolder::FileListings files;
    AddFolder::GetSubDirectories2016(folders, true, &files);
    for (const std::string& folder : folders) {
        const AddFolder::FileNameArray& names = files[Path::WithoutBackslash(folder)];
        for (int i = 1; i <= names.UBound(); ++i) ::DeleteFileW(Path::ForSystem(folder + names[i]).c_str());
    }
    return folders;
}

void ExpectTargetsUntouched() {
    for (const char* canary : {"top\\canary.txt", "top\\deeper\\canary.txt", "nested\\canary.txt",
                               "start\\canary.txt", "start\\deeper\\canary.txt"})
        EXPECT_EQ(Fixtures::ReadFile(Targets + canary), "canary") << canary;
    EXPECT_TRUE(Fixtures::FolderExists(Targets + "empty"));
    EXPECT_TRUE(Fixtures::FolderExists(Targets + "top\\deeper"));
}

class FolderLinksTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Fixtures::Attributes(Tree + "top-link"), 0x410u)
            << "the link fixture is missing: run scripts/plant-links.sh build/wineprefix";
        // The ordinary files are the ones a walk-and-delete may remove; make
        // them again so the test can run more than once per planting.
        Fixtures::WriteFile(Tree + "plain.txt");
        Fixtures::WriteFile(Tree + "sub\\inner.txt");
    }
    ScopedFakePlatform platform;
};

}  // namespace

TEST_F(FolderLinksTest, LinksAreNeitherReturnedNorEnteredAndWhatTheyReachSurvivesADeletion) {
    const FolderCollection folders = WalkAndDelete(Tree);

    // Dangling and looping links end nothing early and raise nothing.
    EXPECT_EQ(folders, (FolderCollection{Tree, Tree + "sub\\"}));
    EXPECT_TRUE(platform->messages.empty());
    EXPECT_FALSE(Fixtures::FileExists(Tree + "plain.txt"));
    EXPECT_FALSE(Fixtures::FileExists(Tree + "sub\\inner.txt"));
    ExpectTargetsUntouched();
    // The links themselves are still there.
    for (const char* link : {"top-link", "empty-link", "sub\\nested-link", "sub\\loop"})
        EXPECT_EQ(Fixtures::Attributes(Tree + link), 0x410u) << link;
}

TEST_F(FolderLinksTest, ALinkGivenAsTheStartFolderLeavesTheCollection) {
    const FolderCollection folders = WalkAndDelete(Root + "start-link\\");

    EXPECT_TRUE(folders.empty());
    EXPECT_TRUE(platform->messages.empty());
    ExpectTargetsUntouched();
}

TEST_F(FolderLinksTest, TheLinkFoldersThemselvesAreNotFiles) {
    for (const char* link : {"top-link", "empty-link"}) {
        EXPECT_FALSE(Path::IsFile(Tree + link)) << link;
        EXPECT_EQ(Fixtures::Attributes(Tree + link), 0x410u) << link;
    }
    ExpectTargetsUntouched();
}
