// The cleaning boxes are remembered in the settings, so that a program
// that starts with Windows and deletes automatically cleans what was chosen.
#include "FormFixture.h"

#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

const ControlId Boxes[] = {
    CleaningBoxes::Id("chkIEHist"),
    CleaningBoxes::Id("chkIETemp"),
    CleaningBoxes::Id("chkIETyped"),
    CleaningBoxes::Id("chkIECookies"),
    CleaningBoxes::Id("chkFFHist"),
    CleaningBoxes::Id("chkFFDownloads"),
    CleaningBoxes::Id("chkTypedUrls"),
    CleaningBoxes::Id("chkCookies"),
    CleaningBoxes::Id("chkFFCache"),
    CleaningBoxes::Id("chkCrHist"),
    CleaningBoxes::Id("chkCrTyped"),
    CleaningBoxes::Id("chkCrDownloads"),
    CleaningBoxes::Id("chkCrCookies"),
    CleaningBoxes::Id("chkCrCache"),
    CleaningBoxes::Id("chkCrForms"),
};

std::string Saved(const char* name) {
    return Fixtures::GetString(HKEY_CURRENT_USER, Settings::KeyPath, name);
}

}  // namespace

class RememberedBoxesTest : public FormFixture {};

TEST_F(RememberedBoxesTest, EachBoxIsSavedWhenClickedAndComesBackAtTheNextStart) {
    CreateForm();
    Click(CleaningBoxes::Id("chkIETemp"));
    Click(CleaningBoxes::Id("chkCookies"));
    Click(CleaningBoxes::Id("chkFFHist"));
    Click(CleaningBoxes::Id("chkFFHist"));
    Click(CleaningBoxes::Id("chkCrCookies"));
    EXPECT_EQ(Saved("chkIETemp"), "On");
    EXPECT_EQ(Saved("chkCookies"), "On");
    EXPECT_EQ(Saved("chkFFHist"), "Off");
    EXPECT_EQ(Saved("chkCrCookies"), "On");
    EXPECT_TRUE(platform->Reports().empty());

    // Values that are not exactly "On" (or not strings at all) leave their box unticked.
    Fixtures::SetString(HKEY_CURRENT_USER, Settings::KeyPath, "chkIEHist", "ON");
    Fixtures::SetString(HKEY_CURRENT_USER, Settings::KeyPath, "chkIETyped", "On", REG_BINARY);
    Form1& restarted = CreateForm();
    for (const ControlId box : Boxes) {
        const bool expected = box == CleaningBoxes::Id("chkIETemp") || box == CleaningBoxes::Id("chkCookies") || box == CleaningBoxes::Id("chkCrCookies");
        EXPECT_EQ(IsChecked(restarted, box), expected) << Form1Layout::Find(box).name;
    }
    EXPECT_EQ(Saved("chkIEHist"), "ON") << "restoring runs no click handler";
}

// Auto delete on, two boxes saved: the count runs out and exactly the data of
// those two boxes goes.
TEST_F(RememberedBoxesTest, AnUnattendedPassAfterAStartCleansTheSavedBoxes) {
    Fixtures::TempFolder folders("data");
    const Fixtures::ShellFolderOverride cache("Cache", folders / "Cache");
    const Fixtures::ShellFolderOverride history("History", folders / "History");
    const Fixtures::ShellFolderOverride appData("AppData", folders / "AppData");
    const std::string profile = folders / "AppData\\Mozilla\\Firefox\\Profiles\\abc.default";
    Fixtures::WriteFile(folders / "AppData\\Mozilla\\Firefox\\profiles.ini",
                        "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/abc.default\r\n");
    for (const char* file : {"cookies.sqlite", "cookies.txt", "formhistory.sqlite", "prefs.js"})
        Fixtures::WriteFile(profile + "\\" + file);
    Fixtures::WriteFile(folders / "Cache\\page.html");
    Fixtures::WriteFile(folders / "History\\visited.dat");
    for (const auto& [name, value] : {std::pair{"chkIETemp", "On"}, std::pair{"chkCookies", "On"},
                                      std::pair{"chkIEHist", "Off"}, std::pair{"StartStopState", "On"},
                                      std::pair{"OftenIndex", "1"}})
        Fixtures::SetString(HKEY_CURRENT_USER, Settings::KeyPath, name, value);

    CreateForm();
    ASSERT_TRUE(TimerRuns());  // and from here on only the ticks driven here
    for (int second = 0; second < 5 * 60; ++second) Tick();

    EXPECT_FALSE(Fixtures::FileExists(folders / "Cache\\page.html"));
    EXPECT_FALSE(Fixtures::FileExists(profile + "\\cookies.sqlite"));
    EXPECT_FALSE(Fixtures::FileExists(profile + "\\cookies.txt"));
    EXPECT_TRUE(Fixtures::FileExists(folders / "History\\visited.dat"));
    EXPECT_TRUE(Fixtures::FileExists(profile + "\\formhistory.sqlite"));
    EXPECT_TRUE(Fixtures::FileExists(profile + "\\prefs.js"));
    EXPECT_EQ(Fixtures::ReadFile(LogPath()).rfind("Internet History was deleted at ", 0), 0u);
    EXPECT_TRUE(platform->Reports().empty());
}
