// Nothing outside the folder a cleaner is given may go: not a sibling folder,
// and nothing reached through a directory link inside it. The links are planted
// from the Linux side by scripts/plant-links.sh (the "links" test fixture); its
// "clean" set belongs to these tests.
#include "support/UrlCacheHelpers.h"

#include "cleaning/IECleaners.h"
#include "support/FakePlatform.h"
#include "support/Fixtures.h"
#include "system/UniqueHandle.h"

#include <gtest/gtest.h>

#include <knownfolders.h>

#include <functional>
#include <string>
#include <vector>

namespace {

const std::string Root = "C:\\vorlane-links\\clean\\";
const std::string Tree = Root + "tree";
const std::string Targets = Root + "targets\\";
const std::string Sibling = Root + "tree-sibling";

struct Cleaner {
    const char* shellFolder;
    std::function<void(StatusLine&)> run;
};

class IECleanersCanaryTest : public ::testing::TestWithParam<Cleaner> {
protected:
    void SetUp() override {
        ASSERT_EQ(Fixtures::Attributes(Tree + "\\top-link"), 0x410u)
            << "the link fixture is missing: run scripts/plant-links.sh build/wineprefix";
        Fixtures::WriteFile(Tree + "\\plain.txt");
        Fixtures::WriteFile(Tree + "\\sub\\inner.txt");
        Fixtures::WriteFile(Sibling + "\\sibling.txt");
        Fixtures::WriteFile(Sibling + "\\deeper\\sibling.txt");
    }
    void TearDown() override { Fixtures::DeleteTree(Sibling); }

    ScopedFakePlatform platform;
    RecordingStatus status;
};

}  // namespace

TEST_P(IECleanersCanaryTest, DeletesTheTreeButNothingBesideItOrBehindItsLinks) {
    const Cleaner& cleaner = GetParam();
    {
        Fixtures::ShellFolderOverride value(cleaner.shellFolder, Tree);
        QuietStatus preview(true);  // a preview first: it deletes nothing, here or behind the links
        cleaner.run(preview);
        EXPECT_TRUE(Fixtures::FileExists(Tree + "\\plain.txt"));
        EXPECT_TRUE(Fixtures::FileExists(Tree + "\\sub\\inner.txt"));
        cleaner.run(status);
    }

    EXPECT_FALSE(Fixtures::FileExists(Tree + "\\plain.txt"));
    EXPECT_FALSE(Fixtures::FileExists(Tree + "\\sub\\inner.txt"));
    for (const char* canary : {"top\\canary.txt", "top\\deeper\\canary.txt", "nested\\canary.txt",
                               "start\\canary.txt", "start\\deeper\\canary.txt"})
        EXPECT_EQ(Fixtures::ReadFile(Targets + canary), "canary") << canary;
    EXPECT_TRUE(Fixtures::FolderExists(Targets + "empty"));
    EXPECT_TRUE(Fixtures::FolderExists(Targets + "top\\deeper"));
    // The links themselves stay: removing one could remove what it points at.
    EXPECT_EQ(Fixtures::Attributes(Tree + "\\top-link"), 0x410u);
    EXPECT_EQ(Fixtures::Attributes(Tree + "\\empty-link"), 0x410u);
    EXPECT_EQ(Fixtures::ReadFile(Sibling + "\\sibling.txt"), "x");
    EXPECT_EQ(Fixtures::ReadFile(Sibling + "\\deeper\\sibling.txt"), "x");
    for (const auto& text : status.texts) EXPECT_EQ(text.find("canary"), std::string::npos) << text;
}

// A shell folder that runs through a link (C:\vorlane-links\users-link ->
// C:\users, planted by scripts/plant-links.sh) into the user's Documents: only
// where it really leads shows it is one of the user's own folders.
TEST_P(IECleanersCanaryTest, AShellFolderThroughALinkIntoTheUsersDocumentsIsLeftAlone) {
    const std::string documents = Fixtures::KnownFolderPath(FOLDERID_Documents);
    const std::string profile = Fixtures::KnownFolderPath(FOLDERID_Profile);
    ASSERT_EQ(documents, profile + "\\Documents");
    const std::string user = profile.substr(profile.rfind('\\') + 1);
    const std::string throughLink = "C:\\vorlane-links\\users-link\\" + user + "\\Documents";
    ASSERT_EQ(Fixtures::Attributes("C:\\vorlane-links\\users-link") & 0x410u, 0x410u)
        << "the link fixture is missing: run scripts/plant-links.sh build/wineprefix";
    Fixtures::WriteFile(documents + "\\vorlane-canary.txt", "canary");
    Fixtures::WriteFile(documents + "\\vorlane-canary-sub\\deeper.txt", "canary");

    {
        Fixtures::ShellFolderOverride value(GetParam().shellFolder, throughLink);
        GetParam().run(status);
    }

    EXPECT_EQ(Fixtures::ReadFile(documents + "\\vorlane-canary.txt"), "canary");
    EXPECT_EQ(Fixtures::ReadFile(documents + "\\vorlane-canary-sub\\deeper.txt"), "canary");
    EXPECT_EQ(status.notices, std::vector<std::string>{throughLink + " was left alone: not a browser folder"});
    Fixtures::DeleteTree(documents + "\\vorlane-canary.txt");
    Fixtures::DeleteTree(documents + "\\vorlane-canary-sub");
}

INSTANTIATE_TEST_SUITE_P(
    EveryIECleaner, IECleanersCanaryTest,
    ::testing::Values(Cleaner{"Cookies", [](StatusLine& s) { IEHistory::DeleteIECookies(s); }},
                      Cleaner{"Cache", [](StatusLine& s) { IEHistory::DeleteIETemp(s); }},
                      Cleaner{"History", [](StatusLine& s) { IEHistory::DeleteIEHistory(s); }}),
    [](const ::testing::TestParamInfo<Cleaner>& info) { return std::string(info.param.shellFolder); });

// Under Wine, deleting a file link deletes the file it points at; a file link
// inside a cleaned folder is therefore left alone. Planted from the Linux side
// by scripts/plant-cleaner-fixtures.sh. Beside it enough files that they go
// several at a time, and one held open by another program.
TEST(IECleanersCanaryTestFileLink, AFileLinkInACleanedFolderLeavesItsTargetAlone) {
    ScopedFakePlatform platform;
    const std::string root = "C:\\vorlane-filelink\\";
    ASSERT_EQ(Fixtures::ReadFile(root + "outside\\precious.txt"), "precious")
        << "the file-link fixture is missing: run scripts/plant-cleaner-fixtures.sh build/wineprefix";
    for (int i = 0; i < 300; ++i) Fixtures::WriteFile(root + "tree\\plain" + std::to_string(i) + ".txt");
    const std::string held = root + "tree\\held.txt";
    Fixtures::WriteFile(held);
    const UniqueFile holder(::CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    RecordingStatus status;

    IEHistory::DeleteFolderTree(root + "tree", status);

    EXPECT_EQ(Fixtures::ReadFile(root + "outside\\precious.txt"), "precious");
    for (int i = 0; i < 300; ++i) EXPECT_FALSE(Fixtures::FileExists(root + "tree\\plain" + std::to_string(i) + ".txt")) << i;
    EXPECT_EQ(status.failures, std::vector<std::string>{held});
    ASSERT_FALSE(status.texts.empty());
    EXPECT_EQ(status.texts.back().rfind(root + "tree\\plain", 0), 0u);
}

// A shell folder value that names a link: nothing behind it is touched, not
// even the attributes of the folder it points at, and the status line says so.
TEST(IECleanersCanaryTestLinkedShellFolder, AShellFolderThatIsALinkLeavesItsTargetAlone) {
    ScopedFakePlatform platform;
    const std::string link = Root + "start-link";
    const std::string target = Targets + "start";
    ASSERT_EQ(Fixtures::Attributes(link), 0x410u);
    ::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_HIDDEN);
    const DWORD before = Fixtures::Attributes(target);
    RecordingStatus status;

    for (const std::string& given : {link, link + "\\"}) IEHistory::DeleteFolderTree(given, status);

    EXPECT_EQ(Fixtures::Attributes(target), before);
    EXPECT_EQ(Fixtures::ReadFile(target + "\\canary.txt"), "canary");
    EXPECT_EQ(Fixtures::ReadFile(target + "\\deeper\\canary.txt"), "canary");
    EXPECT_EQ(Fixtures::Attributes(link) & 0x410u, 0x410u);  // the link stays
    EXPECT_EQ(status.notices, (std::vector<std::string>{link + " was left alone: not a browser folder",
                                                        link + "\\ was left alone: not a browser folder"}));
    ::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}
