#include "FormFixture.h"

#include "system/UniqueHandle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void Store(const std::string& key, const std::string& value) {
    Fixtures::SetString(HKEY_CURRENT_USER, Settings::KeyPath, key, value);
}

std::string Stored(const std::string& key) {
    return Fixtures::GetString(HKEY_CURRENT_USER, Settings::KeyPath, key);
}

DWORD StoredType(const std::string& key) {
    UniqueRegKey section;
    DWORD type = 0;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, Settings::KeyPath, 0, KEY_READ, section.Put()) == ERROR_SUCCESS)
        ::RegQueryValueExA(section.Get(), key.c_str(), nullptr, &type, nullptr, nullptr);
    return type;
}

}  // namespace

class StartupSettingsTest : public FormFixture {
protected:
    // A fresh start with only the given settings stored.
    Form1& StartWith(const std::vector<std::pair<std::string, std::string>>& settings) {
        Fixtures::DeleteKeyTree(HKEY_CURRENT_USER, Settings::KeyPath);
        for (const auto& [key, value] : settings) Store(key, value);
        platform->messages.clear();
        Form1& form = CreateForm();
        timerRunsAfterStart = TimerRuns();  // from here on, ticks are driven by hand
        return form;
    }
    bool timerRunsAfterStart = false;

    std::vector<std::string> ReportedLines() {
        std::vector<std::string> lines;
        for (const ShownMessage& report : platform->Reports()) {
            const std::size_t at = report.text.find("Form1.Form_Load at line ");
            lines.push_back(at == std::string::npos ? report.text : report.text.substr(at + 24, 3));
        }
        return lines;
    }
};

TEST_F(StartupSettingsTest, OnlyExactlyOnOrOffRestoresTheAutoDeleteState) {
    struct Case {
        const char* stored;  // nullptr: no value at all
        bool on;
    };
    for (const Case& c : {Case{nullptr, false}, Case{"Off", false}, Case{"On", true}, Case{"ON", false},
                          Case{"on", false}, Case{"On ", false}}) {
        SCOPED_TRACE(c.stored ? c.stored : "(missing)");
        Form1& form = c.stored ? StartWith({{Settings::StartStopState, c.stored}}) : StartWith({});
        EXPECT_EQ(Text(form, IdPushButton13), c.on ? Form1Texts::TurnOff : Form1Texts::TurnOn);
        EXPECT_EQ(timerRunsAfterStart, c.on);
        // "On" leaves the initial status text for the first tick to replace.
        EXPECT_EQ(form.Status(), Form1Texts::AutoDeleteOff);
        EXPECT_EQ(SelectedRow(), 1);
        EXPECT_TRUE(platform->Reports().empty());

        Tick();
        EXPECT_EQ(form.Status(), c.on ? std::string(AutoDelete::CountdownPrefix) + "00:09:59"
                                      : std::string(Form1Texts::AutoDeleteOff));
        if (c.stored) {
            EXPECT_EQ(Stored(Settings::StartStopState), c.stored);
        }
    }
}

TEST_F(StartupSettingsTest, OftenIndexSelectsItsPositionOrIsReportedAndLeftAsStored) {
    struct Case {
        const char* stored;
        int position;
        std::vector<std::string> reportedLines;
    };
    const Case cases[] = {
        {"11", 11, {}},
        {"1", 1, {}},
        {"3.6", 4, {}},
        {"2.5", 2, {}},
        {"12", 0, {"156"}},
        {"0", 0, {"156"}},
        {"-1", 0, {"156"}},
        {"abc", 0, {"154", "156"}},
        {"", 0, {"154", "156"}},
        {"40000", 0, {"154", "156"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("OftenIndex \"") + c.stored + "\"");
        StartWith({{Settings::OftenIndex, c.stored}, {Settings::StartStopState, "On"}});
        EXPECT_EQ(SelectedRow(), c.position - 1);
        EXPECT_EQ(ReportedLines(), c.reportedLines);
        EXPECT_EQ(Stored(Settings::OftenIndex), c.stored);
        // The rest of the start-up still ran.
        EXPECT_TRUE(timerRunsAfterStart);
    }
    // Without a selection the countdown runs against ten minutes.
    Form1& form = StartWith({{Settings::OftenIndex, "abc"}, {Settings::StartStopState, "On"}});
    Tick();
    EXPECT_EQ(form.Status(), std::string(AutoDelete::CountdownPrefix) + "00:09:59");
}

TEST_F(StartupSettingsTest, ARestartKeepsTheOnOffStateAndTheInterval) {
    StartWith({});
    ClickListAt(7);
    Click(IdPushButton13);
    EXPECT_EQ(Stored(Settings::OftenIndex), "7");
    EXPECT_EQ(Stored(Settings::StartStopState), "On");
    EXPECT_EQ(StoredType(Settings::OftenIndex), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(StoredType(Settings::StartStopState), static_cast<DWORD>(REG_SZ));
    for (int i = 0; i < 5; ++i) Tick();

    // The count itself is not kept: the new run starts a fresh cycle.
    Form1& second = CreateForm();
    EXPECT_TRUE(TimerRuns());
    EXPECT_EQ(SelectedRow(), 6);
    EXPECT_EQ(Text(second, IdPushButton13), Form1Texts::TurnOff);
    Tick();
    EXPECT_EQ(second.Status(), std::string(AutoDelete::CountdownPrefix) + "01:59:59");

    Click(IdPushButton13);
    EXPECT_EQ(Stored(Settings::StartStopState), "Off");
    Form1& third = CreateForm();
    EXPECT_EQ(SelectedRow(), 6);
    EXPECT_EQ(Text(third, IdPushButton13), Form1Texts::TurnOn);
    EXPECT_FALSE(TimerRuns());
    EXPECT_TRUE(platform->Reports().empty());
}

TEST(StartupSettingsTestValues, StoreStringsUnderThePendrakeKeyAndFallBackToTheDefault) {
    Fixtures::RegistryKeySnapshot snapshot(HKEY_CURRENT_USER, Settings::KeyPath);
    Fixtures::DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Pendrake");
    EXPECT_EQ(Settings::GetSetting(Settings::OftenIndex, "2"), "2");
    EXPECT_EQ(Settings::GetSetting(Settings::StartStopState), "");

    Settings::SaveSetting(Settings::WindowsStartup, "On");
    EXPECT_EQ(Fixtures::GetString(HKEY_CURRENT_USER, "Software\\Pendrake\\Vorlane", "Windows Startup"), "On");
    EXPECT_EQ(StoredType(Settings::WindowsStartup), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(Settings::GetSetting(Settings::Minimized, "none"), "none");
    Settings::SaveSetting(Settings::WindowsStartup, "Off");
    EXPECT_EQ(Settings::GetSetting(Settings::WindowsStartup, "On"), "Off");
    const std::string longText(300, 'x');
    Settings::SaveSetting(Settings::Minimized, longText);
    EXPECT_EQ(Settings::GetSetting(Settings::Minimized), longText);
}
