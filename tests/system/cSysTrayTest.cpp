#include "system/cSysTray.h"
#include "support/TrayRecorder.h"
#include "system/Failure.h"
#include "system/ScreenDpi.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace {

// A procedure put on the control's window before the tray procedure, to see
// what reaches "the previous procedure".
struct SeenMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<SeenMessage> seen;
WNDPROC original = nullptr;
LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER) seen.push_back({message, wParam, lParam});
    return ::CallWindowProcA(original, window, message, wParam, lParam);
}

// The control TrayWindowProc is installed on the window for, if any.
const cSysTray* SubclassedFor(HWND window) {
    DWORD_PTR tray = 0;
    if (!::GetWindowSubclass(window, mSysTray::TrayWindowProc, mSysTray::SubclassId, &tray)) return nullptr;
    return reinterpret_cast<const cSysTray*>(tray);
}

HICON TestIcon(int which = 0) { return ::LoadIcon(nullptr, which == 0 ? IDI_APPLICATION : IDI_INFORMATION); }

class cSysTrayTest : public ::testing::Test {
protected:
    cSysTrayTest() { seen.clear(); }

    TrayRecorder recorder;
    std::vector<ShellCall>& calls = recorder.Calls();

    // The common header of every record.
    void ExpectHeader(const ShellCall& call, const cSysTray& tray) {
        EXPECT_EQ(call.record.cbSize, 488u);
        EXPECT_EQ(call.record.hWnd, tray.Handle());
        EXPECT_EQ(call.record.uID, 0u);
        EXPECT_EQ(call.record.dwState, 0u);
        EXPECT_EQ(call.record.dwInfoFlags, 0u);
    }
};

}  // namespace

TEST_F(cSysTrayTest, InTrayAddsTheIconOnceAndRemovesItOnce) {
    cSysTray tray;
    tray.SetTrayIcon(Picture::FromIcon(TestIcon()));
    tray.SetTrayTip("Vorlane");
    EXPECT_TRUE(calls.empty());  // not in the tray yet: nothing sent
    tray.SetInTray(false);

    tray.SetInTray(true);
    tray.SetInTray(true);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_ADD));
    ExpectHeader(calls[0], tray);
    EXPECT_EQ(calls[0].record.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(calls[0].record.uCallbackMessage, 1125u);
    EXPECT_EQ(calls[0].record.hIcon, TestIcon());
    EXPECT_STREQ(calls[0].record.szTip, "Vorlane");
    EXPECT_EQ(SubclassedFor(tray.Handle()), &tray);

    tray.SetInTray(false);
    tray.SetInTray(false);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_DELETE));
    ExpectHeader(calls[1], tray);
    EXPECT_EQ(calls[1].record.uFlags, 0u);
    EXPECT_EQ(SubclassedFor(tray.Handle()), nullptr);
}

TEST_F(cSysTrayTest, AnIconWithoutPictureOrTipAsksOnlyForTheCallback) {
    cSysTray tray;
    tray.SetTrayTip("");
    tray.SetInTray(true);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].record.uFlags, static_cast<UINT>(NIF_MESSAGE));
    EXPECT_EQ(calls[0].record.hIcon, nullptr);
}

TEST_F(cSysTrayTest, OnlyAnIconChangesThePicture) {
    cSysTray tray;
    tray.SetTrayIcon(Picture::FromIcon(TestIcon(0)));
    tray.SetInTray(true);
    calls.clear();

    HBITMAP bitmap = ::CreateBitmap(16, 16, 1, 1, nullptr);
    tray.SetTrayIcon(Picture{Picture::Bitmap, bitmap});
    tray.SetTrayIcon(Picture{});
    EXPECT_TRUE(calls.empty());
    ::DeleteObject(bitmap);
    tray.SetInTray(false);
    tray.SetInTray(true);
    EXPECT_EQ(calls.back().record.hIcon, TestIcon(0));  // still the icon it had
    calls.clear();

    tray.SetTrayIcon(Picture::FromIcon(TestIcon(1)));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(calls[0].record.uFlags, static_cast<UINT>(NIF_ICON));
    EXPECT_EQ(calls[0].record.hIcon, TestIcon(1));

    // Out of the tray the icon waits for the next add.
    tray.SetInTray(false);
    calls.clear();
    tray.SetTrayIcon(Picture::FromIcon(TestIcon(0)));
    EXPECT_TRUE(calls.empty());
    tray.SetInTray(true);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].record.hIcon, TestIcon(0));
}

TEST_F(cSysTrayTest, TextsAreCutToTheirFields) {
    cSysTray tray;
    tray.SetInTray(true);
    calls.clear();

    tray.SetTrayTip(std::string(130, 't'));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].record.uFlags, static_cast<UINT>(NIF_TIP));
    EXPECT_EQ(std::string(calls[0].record.szTip), std::string(127, 't'));

    // A notification already waiting ends the wait before the hide record.
    ::PostMessageA(tray.Handle(), cSysTray::CallbackMessage, 0, NIN_BALLOONUSERCLICK);
    tray.ShowBalloon(std::string(300, 'b'), std::string(70, 'h'), 3, false);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].record.uFlags, static_cast<UINT>(NIF_INFO));
    EXPECT_EQ(std::string(calls[1].record.szInfo), std::string(255, 'b'));
    EXPECT_EQ(std::string(calls[1].record.szInfoTitle), std::string(63, 'h'));
    EXPECT_EQ(calls[1].record.uTimeout, 3000u);
}

TEST_F(cSysTrayTest, ABalloonNobodyDismissesIsHiddenAfterItsTime) {
    cSysTray tray;
    tray.SetInTray(true);
    calls.clear();
    tray.ShowBalloon("text", "title", 1, false);
    ASSERT_EQ(calls.size(), 2u);
    const NOTIFYICONDATAA& hide = calls[1].record;
    EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(hide.uFlags, static_cast<UINT>(NIF_INFO));
    EXPECT_STREQ(hide.szInfo, "");
    EXPECT_STREQ(hide.szInfoTitle, "");
    EXPECT_EQ(hide.uTimeout, 0u);
}

TEST_F(cSysTrayTest, AOneTimeBalloonShowsOnceAndOthersAlways) {
    cSysTray tray;
    tray.SetInTray(true);
    calls.clear();
    tray.ShowBalloon("once", "t", 0, true);
    tray.ShowBalloon("once", "t", 0, true);
    ASSERT_EQ(calls.size(), 1u);  // no wait and no hide without a time
    EXPECT_EQ(calls[0].record.uTimeout, 0u);

    tray.ShowBalloon("always", "t", 0, false);
    tray.ShowBalloon("always", "t", 0, false);
    tray.ShowBalloon("once", "t", 0, true);
    EXPECT_EQ(calls.size(), 3u);
}

TEST_F(cSysTrayTest, ABalloonWithoutTheIconInTheTrayIsNotUsedUp) {
    cSysTray tray;
    tray.ShowBalloon("text", "title", 5, true);
    EXPECT_TRUE(calls.empty());
    tray.SetInTray(true);
    calls.clear();
    tray.ShowBalloon("text", "title", 0, true);
    EXPECT_EQ(calls.size(), 1u);
}

TEST_F(cSysTrayTest, ATimeTooLongForMillisecondsOverflowsBeforeAnythingIsSent) {
    cSysTray tray;
    tray.SetInTray(true);
    calls.clear();
    try {
        tray.ShowBalloon("text", "title", 2147484, true);
        FAIL() << "no overflow";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.Number(), 6);
    }
    EXPECT_TRUE(calls.empty());
    tray.ShowBalloon("text", "title", 0, true);  // the one-time balloon is still there
    EXPECT_EQ(calls.size(), 1u);
}

TEST_F(cSysTrayTest, ShellNotificationsBecomeEventsAndEveryMessageReachesThePreviousProcedure) {
    cSysTray tray;
    original = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(tray.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc)));
    tray.SetInTray(true);

    std::vector<std::string> events;
    tray.onMouseMove = [&](std::int32_t& id) { events.push_back("move " + std::to_string(id)); };
    auto button = [&](const char* name) {
        return [&events, name](std::int16_t& b, std::int32_t& id) {
            events.push_back(std::string(name) + " " + std::to_string(b) + " " + std::to_string(id));
        };
    };
    tray.onMouseDown = button("down");
    tray.onMouseUp = button("up");
    tray.onMouseDblClick = button("dbl");

    for (LPARAM code : {512, 513, 514, 515, 516, 517, 518, 519, 520, 1026})
        ::SendMessageA(tray.Handle(), cSysTray::CallbackMessage, 0, code);
    EXPECT_EQ(events, (std::vector<std::string>{"move 0", "down 1 0", "up 1 0", "dbl 1 0", "down 2 0",
                                                "up 2 0", "dbl 2 0"}));

    seen.clear();
    ::SendMessageA(tray.Handle(), WM_USER + 7, 11, 22);
    ::SendMessageA(tray.Handle(), cSysTray::CallbackMessage, 0, 514);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_USER + 7));
    EXPECT_EQ(seen[0].wParam, 11u);
    EXPECT_EQ(seen[0].lParam, 22);
    EXPECT_EQ(seen[1].message, cSysTray::CallbackMessage);

    tray.SetInTray(false);
    EXPECT_EQ(::GetWindowLongPtrA(tray.Handle(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(RecordingProc));
    ::SetWindowLongPtrA(tray.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
}

TEST_F(cSysTrayTest, ANewTaskbarGetsTheIconAgain) {
    cSysTray tray;
    tray.SetTrayTip("Vorlane");
    tray.SetInTray(true);
    calls.clear();
    // As the shell announces it: to every top-level window, hidden ones included.
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutA(HWND_BROADCAST, mSysTray::TaskbarCreatedMessage(), 0, 0, SMTO_ABORTIFHUNG, 2000, &answer);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_STREQ(calls[0].record.szTip, "Vorlane");

    tray.SetInTray(false);
    calls.clear();
    ::SendMessageA(tray.Handle(), mSysTray::TaskbarCreatedMessage(), 0, 0);
    EXPECT_TRUE(calls.empty());
}

TEST_F(cSysTrayTest, SavedPropertiesAreReadAndAbsentOnesTakeTheDefaults) {
    cSysTray restored;
    restored.SetTrayTip("changed");
    restored.ReadProperties(PropertyBag{});
    EXPECT_TRUE(calls.empty());  // not in the tray
    restored.SetInTray(true);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_STREQ(calls[0].record.szTip, "Telnet Server");

    calls.clear();
    cSysTray placed;
    PropertyBag bag;
    bag.WriteProperty("TrayTip", std::string("Vorlane"));
    bag.WriteProperty("TrayIcon", Picture::FromIcon(TestIcon()));
    bag.WriteProperty("InTray", true);
    placed.ReadProperties(bag);
    const auto adds = std::count_if(calls.begin(), calls.end(), [](const auto& c) { return c.message == NIM_ADD; });
    EXPECT_EQ(adds, 1);
    // The last tip and icon sent are the placed ones.
    const auto last = [&](UINT flag) {
        return std::find_if(calls.rbegin(), calls.rend(), [flag](const auto& c) { return c.record.uFlags & flag; });
    };
    EXPECT_STREQ(last(NIF_TIP)->record.szTip, "Vorlane");
    EXPECT_EQ(last(NIF_ICON)->record.hIcon, TestIcon());
}

TEST_F(cSysTrayTest, TheControlWindowKeeps510Twips) {
    cSysTray tray;
    ::SetWindowPos(tray.Handle(), nullptr, 0, 0, 200, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT r;
    ::GetWindowRect(tray.Handle(), &r);
    const int expected = ::MulDiv(510, ScreenDpi(), 1440);
    EXPECT_EQ(r.right - r.left, expected);
    EXPECT_EQ(r.bottom - r.top, expected);
}
