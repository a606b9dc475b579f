#include "FormFixture.h"
#include "support/TrayRecorder.h"

#include <gtest/gtest.h>

namespace {

class MainWindowTrayTest : public FormFixture {
protected:
    TrayRecorder recorder;

    // The window the icon reports to.
    HWND TrayWindow() { return recorder.Find(NIM_ADD).at(0).record.hWnd; }

    // Minimizes the window the way the minimize box does. A balloon notification
    // queued first ends the balloon's wait as soon as it starts.
    void Minimize(Form1& form) {
        ::PostMessageA(TrayWindow(), cSysTray::CallbackMessage, 0, NIN_BALLOONTIMEOUT);
        ::ShowWindow(form.Handle(), SW_MINIMIZE);
        MSG msg;  // drop the notification when no balloon consumed it
        while (::PeekMessageA(&msg, TrayWindow(), 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    }

    // A button release over the icon, as the shell reports it.
    void ReleaseOverIcon(Form1& form, LPARAM button) {
        ::SendMessageA(TrayWindow(), cSysTray::CallbackMessage, 0, button);
    }
};

}  // namespace

TEST_F(MainWindowTrayTest, TheIconIsInTheTrayFromStartUpUntilTheWindowCloses) {
    Form1& form = CreateForm();
    const auto adds = recorder.Find(NIM_ADD);
    ASSERT_EQ(adds.size(), 1u);
    EXPECT_STREQ(adds[0].record.szTip, "Vorlane");
    EXPECT_EQ(adds[0].record.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    // The blue 'P' icon from the program's resources, 16 pixels square.
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(adds[0].record.hIcon, &info));
    BITMAP bitmap{};
    ::GetObjectA(info.hbmColor, sizeof(bitmap), &bitmap);
    EXPECT_EQ(bitmap.bmWidth, 16);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);

    HWND tray = TrayWindow();
    ::SendMessageA(form.Handle(), WM_CLOSE, 0, 0);
    const auto deletes = recorder.Find(NIM_DELETE);
    ASSERT_EQ(deletes.size(), 1u);
    EXPECT_EQ(deletes[0].record.hWnd, tray);
    EXPECT_EQ(recorder.Calls().back().message, static_cast<DWORD>(NIM_DELETE));
}

TEST_F(MainWindowTrayTest, MinimizingHidesTheWindowWithTheBalloonOnlyTheFirstTime) {
    Form1& form = CreateForm();
    Minimize(form);
    EXPECT_FALSE(::IsWindowVisible(form.Handle()));
    auto balloons = recorder.Find(NIM_MODIFY, NIF_INFO);
    ASSERT_EQ(balloons.size(), 1u);  // shown, and ended by the shell: no hide record
    EXPECT_STREQ(balloons[0].record.szInfoTitle, "Vorlane");
    EXPECT_STREQ(balloons[0].record.szInfo,
                 "has been minimized to the system tray.\r\n"
                 "Click on the blue 'P' icon (P for Pendrake) to bring the software back.");
    EXPECT_EQ(balloons[0].record.uTimeout, 5000u);

    // The right button brings the window back just as the left one does.
    ReleaseOverIcon(form, WM_RBUTTONUP);
    EXPECT_TRUE(::IsWindowVisible(form.Handle()));
    EXPECT_FALSE(::IsIconic(form.Handle()));
    EXPECT_EQ(::GetActiveWindow(), form.Handle());

    Minimize(form);
    EXPECT_FALSE(::IsWindowVisible(form.Handle()));
    EXPECT_EQ(recorder.Find(NIM_MODIFY, NIF_INFO).size(), 1u);

    ReleaseOverIcon(form, WM_LBUTTONUP);
    EXPECT_TRUE(::IsWindowVisible(form.Handle()));
    EXPECT_EQ(recorder.Find(NIM_ADD).size(), 1u);  // the icon stayed all along
}

TEST_F(MainWindowTrayTest, BothStartupBoxesTickedStartsHiddenInTheTray) {
    Settings::SaveSetting(Settings::WindowsStartup, "On");
    Settings::SaveSetting(Settings::Minimized, "On");
    Form1& form = CreateForm();
    EXPECT_FALSE(::IsWindowVisible(form.Handle()));
    EXPECT_EQ(recorder.Find(NIM_ADD).size(), 1u);
    // No balloon at start-up: the icon was not there yet, and the one-time
    // balloon is kept for the user's first minimize.
    EXPECT_TRUE(recorder.Find(NIM_MODIFY, NIF_INFO).empty());
    EXPECT_TRUE(platform->Reports().empty());

    ReleaseOverIcon(form, WM_LBUTTONUP);
    EXPECT_TRUE(::IsWindowVisible(form.Handle()));
    EXPECT_FALSE(::IsIconic(form.Handle()));
    EXPECT_TRUE(IsChecked(form, IdCheck4));
    EXPECT_TRUE(IsChecked(form, IdCheck8));
    EXPECT_TRUE(::IsWindowVisible(Control(form, IdCheck8)));

    Minimize(form);
    EXPECT_EQ(recorder.Find(NIM_MODIFY, NIF_INFO).size(), 1u);
}

TEST_F(MainWindowTrayTest, AnyOtherStartupChoiceOpensTheWindowWithTheMinimizedBoxUnticked) {
    struct Case {
        const char* startup;
        const char* minimized;
        bool minimizedBoxShown;
    };
    // "Minimized" On without "Windows Startup" On counts for nothing.
    for (const Case& c : {Case{"On", "Off", true}, Case{"Off", "On", false}, Case{"Off", "Off", false}}) {
        SCOPED_TRACE(std::string("Windows Startup ") + c.startup + ", Minimized " + c.minimized);
        Settings::SaveSetting(Settings::WindowsStartup, c.startup);
        Settings::SaveSetting(Settings::Minimized, c.minimized);
        Form1& form = CreateForm();
        EXPECT_TRUE(::IsWindowVisible(form.Handle()));
        EXPECT_FALSE(::IsIconic(form.Handle()));
        EXPECT_EQ(IsChecked(form, IdCheck4), std::string(c.startup) == "On");
        EXPECT_FALSE(IsChecked(form, IdCheck8));
        EXPECT_EQ(::IsWindowVisible(Control(form, IdCheck8)) != FALSE, c.minimizedBoxShown);
        // Restoring the boxes ran no handler: nothing was entered in the Run keys
        // and the settings stay as they were.
        EXPECT_FALSE(Fixtures::ValueExists(HKEY_LOCAL_MACHINE,
                                           "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "test_app.exe"));
        EXPECT_EQ(Settings::GetSetting(Settings::Minimized), c.minimized);
    }
}
