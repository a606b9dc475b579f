#include "FormFixture.h"

#include "app/PreviewDialog.h"
#include "schedule/Intervals.h"
#include "support/Fixtures.h"
#include "system/MessagePump.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// What the window showed while a pass ran its cleaner.
struct PassSeen {
    int progress;  // the seconds counted when the pass began, as the bar shows them
    bool timerRuns;
    bool hourglass;
};

std::string Countdown(const char* time) { return std::string(AutoDelete::CountdownPrefix) + time; }

// The pixels the window shows now over one of its controls (with whatever
// lies on it), read from the window's surface.
std::vector<COLORREF> ShownOver(HWND window, HWND control) {
    RECT r;
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC dc = ::GetDC(window);
    HDC memory = ::CreateCompatibleDC(dc);
    HBITMAP bitmap = ::CreateCompatibleBitmap(dc, width, height);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, dc, r.left, r.top, SRCCOPY);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels.push_back(::GetPixel(memory, x, y));
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(window, dc);
    return pixels;
}

std::size_t Lines(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

}  // namespace

class AutoDeleteWindowTest : public FormFixture {
protected:
    // A window whose IE-history cleaner records each pass, with that box ticked.
    Form1& CreateCountingForm() {
        Cleaners cleaners;
        cleaners[CleaningBoxes::Index("chkIEHist")] = [this](StatusLine&) {
            passes.push_back({ProgressValue(*form), TimerRuns(), CursorOver(IdPushButton12) == Hourglass()});
            if (duringPass) duringPass();
        };
        form = &CreateForm(std::move(cleaners));
        Click(CleaningBoxes::Id("chkIEHist"));
        return *form;
    }

    // Clicks the auto-delete button; whether the timer runs after it.
    bool TurnOnOrOff() {
        Click(IdPushButton13);
        return TimerRuns();
    }

    // Ticks in quick succession, then the window handles its messages as the
    // message loop would. A pass restarts the real timer: it is kept out again.
    void Tick(int count) {
        for (int i = 0; i < count; ++i) {
            ::SendMessageA(form->Handle(), WM_TIMER, Form1::Timer1Id, 0);
            if (passes.size() != passesSeen) timerRunsAfterPass = TimerRuns();
            passesSeen = passes.size();
        }
        MessagePump::LetPendingMessagesRun();
    }

    Form1* form = nullptr;
    std::vector<PassSeen> passes;
    std::size_t passesSeen = 0;
    bool timerRunsAfterPass = false;
    std::function<void()> duringPass;
};

TEST_F(AutoDeleteWindowTest, TenMinutesCountDownFrom0959AndPassAtTick600ThenStartOver) {
    Form1& f = CreateCountingForm();
    EXPECT_TRUE(TurnOnOrOff());
    EXPECT_EQ(Text(f, IdPushButton13), Form1Texts::TurnOff);
    EXPECT_EQ(Fixtures::GetString(HKEY_CURRENT_USER, Settings::KeyPath, Settings::StartStopState), "On");
    EXPECT_EQ(f.Status(), Form1Texts::AutoDeleteOff);  // the first text comes with the first tick

    Tick(1);
    EXPECT_EQ(f.Status(), Countdown("00:09:59"));
    EXPECT_EQ(ProgressMaximum(f), 600);
    EXPECT_EQ(ProgressValue(f), 1);

    Tick(598);
    EXPECT_EQ(f.Status(), Countdown("00:00:01"));
    EXPECT_TRUE(passes.empty());

    Tick(1);
    ASSERT_EQ(passes.size(), 1u);
    EXPECT_EQ(passes[0].progress, 600);
    EXPECT_FALSE(passes[0].timerRuns);
    EXPECT_TRUE(passes[0].hourglass);
    EXPECT_EQ(f.Status(), Form1Texts::PassDone);
    EXPECT_EQ(ProgressValue(f), 600);
    EXPECT_TRUE(timerRunsAfterPass);
    EXPECT_NE(CursorOver(IdListView2), Hourglass());

    Tick(1);  // the count started over
    EXPECT_EQ(f.Status(), Countdown("00:09:59"));
    EXPECT_EQ(ProgressValue(f), 1);
    Tick(599);
    EXPECT_EQ(passes.size(), 2u);
    EXPECT_TRUE(platform->Reports().empty());
}

// The countdown repaints only the status line's changed characters and the
// bar's changed columns: what it leaves on screen must be what a repaint of
// the whole status frame shows, at every tick.
TEST_F(AutoDeleteWindowTest, EachTickLeavesTheStatusFrameAsAWholeRepaintWould) {
    Form1& f = CreateCountingForm();
    ClickListAt(1);  // every 5 minutes: the bar moves at every tick
    TurnOnOrOff();
    HWND frame = Control(f, IdFrame3);
    for (int tick = 1; tick <= 12; ++tick) {
        Tick(tick == 7 ? 55 : 1);  // this step crosses from 00:04:54 to 00:03:59
        const std::vector<COLORREF> afterTick = ShownOver(f.Handle(), frame);
        ::RedrawWindow(f.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        ASSERT_EQ(afterTick, ShownOver(f.Handle(), frame)) << f.Status();
    }
    EXPECT_EQ(f.Status(), Countdown("00:03:54"));
}

// Each position's countdown is the schedule's own (tests/schedule); here, that
// each list row reaches it.
TEST_F(AutoDeleteWindowTest, EachListPositionCountsAgainstItsOwnInterval) {
    Form1& f = CreateCountingForm();
    TurnOnOrOff();
    for (int position = 1; position <= Intervals::Count; ++position) {
        ClickListAt(position);
        Tick(1);
        EXPECT_EQ(ProgressMaximum(f), Intervals::Items[position - 1].seconds) << position;
        EXPECT_EQ(ProgressValue(f), 1) << position;
    }
    EXPECT_TRUE(passes.empty());
}

TEST_F(AutoDeleteWindowTest, TurningOffAndOnKeepsTheCount) {
    Form1& f = CreateCountingForm();
    TurnOnOrOff();
    Tick(348);
    EXPECT_EQ(f.Status(), Countdown("00:04:12"));

    EXPECT_FALSE(TurnOnOrOff());
    EXPECT_EQ(Text(f, IdPushButton13), Form1Texts::TurnOn);
    EXPECT_EQ(f.Status(), Form1Texts::AutoDeleteOff);
    EXPECT_EQ(Fixtures::GetString(HKEY_CURRENT_USER, Settings::KeyPath, Settings::StartStopState), "Off");
    // A tick that was already on its way when the timer stopped counts nothing.
    f.SetStatus("stale");
    Tick(1);
    EXPECT_EQ(f.Status(), Form1Texts::AutoDeleteOff);
    EXPECT_EQ(ProgressValue(f), 348);

    TurnOnOrOff();
    Tick(1);
    EXPECT_EQ(f.Status(), Countdown("00:04:11"));
    EXPECT_TRUE(passes.empty());
}

TEST_F(AutoDeleteWindowTest, AListClickSavesThePositionAndRestartsTheCountAKeyboardSelectionOnlyChooses) {
    Form1& f = CreateCountingForm();
    TurnOnOrOff();
    Tick(400);
    ClickListAt(1);
    EXPECT_EQ(Fixtures::GetString(HKEY_CURRENT_USER, Settings::KeyPath, Settings::OftenIndex), "1");
    // The bar accepts a maximum below its current value.
    Tick(1);
    EXPECT_EQ(f.Status(), Countdown("00:04:59"));
    EXPECT_EQ(ProgressMaximum(f), 300);
    EXPECT_EQ(ProgressValue(f), 1);

    // Ten minutes chosen by the keyboard: no click, so the count goes on; back
    // at five minutes the count is past them and the next tick runs the pass.
    SelectWithoutClick(2);
    Tick(399);
    EXPECT_EQ(f.Status(), Countdown("00:03:20"));
    SelectWithoutClick(1);
    Tick(1);
    ASSERT_EQ(passes.size(), 1u);
    EXPECT_EQ(passes[0].progress, 300);  // the bar's end: 401 seconds on a 300-second bar
    EXPECT_EQ(Fixtures::GetString(HKEY_CURRENT_USER, Settings::KeyPath, Settings::OftenIndex), "1");

    // Without any selection the count runs against ten minutes.
    SelectWithoutClick(0);
    Tick(1);
    EXPECT_EQ(f.Status(), Countdown("00:09:59"));
    // A click beside the items neither saves nor restarts anything.
    ClickListAt(0);
    Tick(1);
    EXPECT_EQ(f.Status(), Countdown("00:09:58"));
    EXPECT_EQ(Fixtures::GetString(HKEY_CURRENT_USER, Settings::KeyPath, Settings::OftenIndex), "1");
    EXPECT_TRUE(platform->Reports().empty());
}

TEST_F(AutoDeleteWindowTest, TurningOffDuringATimedPassLeavesTheTimerStopped) {
    Form1& f = CreateCountingForm();
    ClickListAt(1);
    TurnOnOrOff();
    duringPass = [this] { Click(IdPushButton13); };
    Tick(300);
    ASSERT_EQ(passes.size(), 1u);
    EXPECT_EQ(Text(f, IdPushButton13), Form1Texts::TurnOn);
    EXPECT_EQ(Fixtures::GetString(HKEY_CURRENT_USER, Settings::KeyPath, Settings::StartStopState), "Off");
    EXPECT_FALSE(timerRunsAfterPass);
    EXPECT_EQ(f.Status(), Form1Texts::AutoDeleteOff);

    // Off and on again within the same pass: the timer runs on.
    TurnOnOrOff();
    duringPass = [this] {
        Click(IdPushButton13);
        Click(IdPushButton13);
    };
    Tick(300);
    ASSERT_EQ(passes.size(), 2u);
    EXPECT_EQ(Text(f, IdPushButton13), Form1Texts::TurnOff);
    EXPECT_TRUE(timerRunsAfterPass);
    EXPECT_EQ(f.Status(), Form1Texts::PassDone);
}

TEST_F(AutoDeleteWindowTest, TheRealTimerTicksEverySecondOnlyWhileOn) {
    Form1& f = CreateForm();
    const double start = MessagePump::MonotonicSeconds();
    Click(IdPushButton13);
    // Two ticks come, however busy the machine, and not sooner than a second apart.
    MessagePump::WaitWhileMessagesRun(20, [&] { return ProgressValue(f) < 2; });
    EXPECT_GE(ProgressValue(f), 2);
    EXPECT_GE(MessagePump::MonotonicSeconds() - start, 0.9);
    EXPECT_EQ(f.Status().rfind(AutoDelete::CountdownPrefix, 0), 0u);

    Click(IdPushButton13);
    const int count = ProgressValue(f);
    MessagePump::WaitWhileMessagesRun(1.5);
    EXPECT_EQ(ProgressValue(f), count);
    EXPECT_EQ(f.Status(), Form1Texts::AutoDeleteOff);
}

TEST_F(AutoDeleteWindowTest, DeleteNowWhileCountingClearsTypedUrlsResetsTheBarButNotTheCount) {
    constexpr char TypedUrls[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
    Fixtures::RegistryKeySnapshot snapshot(HKEY_CURRENT_USER, TypedUrls);
    Fixtures::DeleteKeyTree(HKEY_CURRENT_USER, TypedUrls);
    for (const char* name : {"url1", "url2", "url3", "url101"})
        Fixtures::SetString(HKEY_CURRENT_USER, TypedUrls, name, std::string("http://") + name + ".example/");

    form = &CreateForm();
    Click(CleaningBoxes::Id("chkIETyped"));
    TurnOnOrOff();
    Tick(100);
    EXPECT_EQ(ProgressValue(*form), 100);

    Click(IdPushButton12);

    for (const char* name : {"url1", "url2", "url3"})
        EXPECT_FALSE(Fixtures::ValueExists(HKEY_CURRENT_USER, TypedUrls, name)) << name;
    EXPECT_TRUE(Fixtures::ValueExists(HKEY_CURRENT_USER, TypedUrls, "url101"));
    EXPECT_EQ(Fixtures::ReadFile(LogPath()).rfind("Internet History was deleted at ", 0), 0u);
    EXPECT_EQ(form->Status(), Countdown("00:08:20"));
    EXPECT_EQ(ProgressValue(*form), 0);

    Tick(1);
    EXPECT_EQ(form->Status(), Countdown("00:08:19"));
    EXPECT_EQ(ProgressValue(*form), 101);
    EXPECT_TRUE(platform->Reports().empty());
}

TEST_F(AutoDeleteWindowTest, AClickOrATickDuringAPassStartsNoPassInsideItAndADueTickRunsRightAfter) {
    Form1& f = CreateCountingForm();
    ClickListAt(1);  // every 5 minutes
    TurnOnOrOff();
    Tick(299);
    int depth = 0;
    int deepest = 0;
    int disturbed = 0;  // bounded, so that passes started inside passes would end too
    const auto disturb = [&] {
        // While the cleaner runs: a click on "Delete Now (Test)", a tick and a
        // click on "Preview".
        ::SendMessageA(Control(f, IdPushButton12), BM_CLICK, 0, 0);
        ::SendMessageA(f.Handle(), WM_TIMER, Form1::Timer1Id, 0);
        ::SendMessageA(Control(f, IdPushButton14), BM_CLICK, 0, 0);
        // Queued for when the pass or the pause lets messages run.
        ::PostMessageA(Control(f, IdPushButton12), BM_CLICK, 0, 0);
        ::PostMessageA(f.Handle(), WM_TIMER, Form1::Timer1Id, 0);
    };
    duringPass = [&] {
        deepest = std::max(deepest, ++depth);
        // In the manual pass from the cleaner itself; in the timed one from
        // another thread while an engine call runs there, as a store's change
        // does, and the window's thread lets its messages run.
        if (depth == 1 && ++disturbed == 1) disturb();
        else if (depth == 1 && disturbed == 2) MessagePump::RunWhileMessagesRun(disturb);
        --depth;
    };

    Click(IdPushButton12);

    EXPECT_EQ(deepest, 1);
    ASSERT_EQ(passes.size(), 2u);
    EXPECT_EQ(passes[0].progress, 299);  // the manual pass, which lets the timer run
    EXPECT_TRUE(passes[0].timerRuns);
    // The tick that came due in the manual pass, and the one queued in its
    // pause, ran the timed pass once, after the manual one.
    EXPECT_FALSE(passes[1].timerRuns);
    EXPECT_EQ(Lines(Fixtures::ReadFile(LogPath())), 4u);  // each pass's line and what it deleted
    EXPECT_EQ(f.Status(), Form1Texts::PassDone);
    EXPECT_TRUE(TimerRuns());
    Tick(1);  // the count started over after the timed pass
    EXPECT_EQ(f.Status(), Countdown("00:04:59"));
    EXPECT_NE(CursorOver(IdListView2), Hourglass());
    EXPECT_FALSE(::FindWindowA(nullptr, PreviewTexts::Caption));
    EXPECT_TRUE(platform->Reports().empty());
}

// A click belongs to the pass it began in: "Delete Now (Test)" pressed while
// a timed pass runs and let go after it starts no pass.
TEST_F(AutoDeleteWindowTest, AButtonPressedDuringAPassAndLetGoAfterItStartsNoPass) {
    Form1& f = CreateCountingForm();
    const HWND button = Control(f, IdPushButton12);
    duringPass = [&] { ::SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2)); };
    ClickListAt(1);  // every 5 minutes
    TurnOnOrOff();
    Tick(300);
    ASSERT_EQ(passes.size(), 1u);

    duringPass = nullptr;
    ::SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(passes.size(), 1u);
}

// Closed while a store's change runs on a thread of its own: the change
// ends, the pass writes its line, and only then the program ends.
TEST_F(AutoDeleteWindowTest, ClosingDuringAPassEndsTheProgramOnceThePassIsOver) {
    Form1& f = CreateCountingForm();
    const HWND window = f.Handle();
    bool changed = false;
    duringPass = [&] {
        MessagePump::RunWhileMessagesRun([&] {
            ::SendMessageA(window, WM_CLOSE, 0, 0);
            changed = true;
        });
        EXPECT_FALSE(::IsWindowVisible(window));
        EXPECT_TRUE(platform->exitCodes.empty());
    };

    Click(IdPushButton12);

    EXPECT_TRUE(changed);
    EXPECT_EQ(Lines(Fixtures::ReadFile(LogPath())), 2u);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(platform->exitCodes, std::vector<int>{0});
}
