#include "FormFixture.h"
#include "system/ProgramLocation.h"
#include "system/RegStuff.h"

#include <gtest/gtest.h>

namespace {

constexpr char RunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

class StartupOptionsTest : public FormFixture {
protected:
    std::string Setting(const char* name) {
        return Fixtures::ValueExists(HKEY_CURRENT_USER, Settings::KeyPath, name)
                   ? Fixtures::GetString(HKEY_CURRENT_USER, Settings::KeyPath, name)
                   : "(absent)";
    }
    bool EntryExists() {
        return Fixtures::ValueExists(HKEY_LOCAL_MACHINE, RunKey, "test_app.exe") ||
               Fixtures::ValueExists(HKEY_CURRENT_USER, RunKey, "test_app.exe");
    }
};

}  // namespace

TEST_F(StartupOptionsTest, TickingEntersTheProgramAndRevealsTheMinimizedBox) {
    Form1& form = CreateForm();
    Click(IdCheck4);
    EXPECT_TRUE(::IsWindowVisible(Control(form, IdCheck8)));
    EXPECT_EQ(Setting(Settings::WindowsStartup), "On");
    EXPECT_EQ(Fixtures::GetString(HKEY_LOCAL_MACHINE, RunKey, "test_app.exe"),
              RegStuff::RunValueData(ProgramLocation::ExePath()));

    Click(IdCheck8);
    EXPECT_EQ(Setting(Settings::Minimized), "On");
    Click(IdCheck8);
    EXPECT_EQ(Setting(Settings::Minimized), "Off");
    EXPECT_TRUE(platform->Reports().empty());
}

TEST_F(StartupOptionsTest, UntickingWithMinimizedTickedClearsBothAndRemovesTheEntry) {
    Form1& form = CreateForm();
    Click(IdCheck4);
    Click(IdCheck8);
    ASSERT_EQ(Setting(Settings::Minimized), "On");

    Click(IdCheck4);
    EXPECT_FALSE(IsChecked(form, IdCheck8));
    EXPECT_FALSE(::IsWindowVisible(Control(form, IdCheck8)));
    EXPECT_EQ(Setting(Settings::Minimized), "Off");
    EXPECT_EQ(Setting(Settings::WindowsStartup), "Off");
    EXPECT_FALSE(EntryExists());
}

TEST_F(StartupOptionsTest, UntickingWithMinimizedUntickedLeavesItsSettingAlone) {
    Form1& form = CreateForm();
    Click(IdCheck4);
    Click(IdCheck4);
    EXPECT_FALSE(::IsWindowVisible(Control(form, IdCheck8)));
    EXPECT_EQ(Setting(Settings::Minimized), "(absent)");
    EXPECT_EQ(Setting(Settings::WindowsStartup), "Off");
    EXPECT_FALSE(EntryExists());
}
