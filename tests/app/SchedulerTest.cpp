#include "support/FormFixture.h"

#include "schedule/Scheduler.h"
#include "support/Fixtures.h"
#include "system/MessagePump.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// What the window looked like while one timed pass ran its cleaner.
struct PassSeen {
    std::int32_t elapsed;
    UINT timerInterval;
    bool timerEnabled;
    int pointer;
    Form1::PassKind kind;
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

class SchedulerTest : public FormFixture {
protected:
    // A window whose IE-history cleaner records each pass, with that box ticked.
    Form1& CreateCountingForm() {
        Cleaners cleaners;
        cleaners.ieHistory = [this](StatusLine&) {
            passes.push_back({form->ElapsedSeconds(), form->TimerInterval(), form->TimerEnabled(),
                              form->MousePointer(), form->RunningPass()});
            if (duringPass) duringPass();
        };
        form = &CreateForm(std::move(cleaners));
        Click(IdChkIEHist);
        return *form;
    }

    void TurnOnOrOff() {
        Click(IdPushButton13);
        KeepRealTicksOut();
    }

    // The tests tick by hand; the window's own Win32 timer must not add ticks.
    void KeepRealTicksOut() { ::KillTimer(form->Handle(), Form1::Timer1Id); }

    // Ticks in quick succession, then the window handles its messages as the
    // message loop would.
    void Tick(int count) {
        for (int i = 0; i < count; ++i) {
            form->Timer1_Timer();
            if (!passes.empty() && passes.size() != realTicksKilledAfter) {
                KeepRealTicksOut();  // a pass restarts the real timer
                realTicksKilledAfter = passes.size();
            }
        }
        MessagePump::LetPendingMessagesRun();
    }

    // A click on the list as the list control reports it.
    void ClickListAt(int position) {
        form->SelectPosition(position);
        NMITEMACTIVATE click{};
        click.hdr.hwndFrom = form->Control(IdListView2);
        click.hdr.idFrom = IdListView2;
        click.hdr.code = NM_CLICK;
        click.iItem = position - 1;
        ::SendMessageA(form->Handle(), WM_NOTIFY, IdListView2, reinterpret_cast<LPARAM>(&click));
    }

    Form1* form = nullptr;
    std::vector<PassSeen> passes;
    std::size_t realTicksKilledAfter = 0;
    std::function<void()> duringPass;
};

TEST_F(SchedulerTest, TenMinutesCountDownFrom0959AndPassAtTick600ThenStartOver) {
    Form1& f = CreateCountingForm();
    TurnOnOrOff();
    EXPECT_EQ(f.Text(IdPushButton13), Form1Texts::TurnOff);
    EXPECT_EQ(f.TimerInterval(), 1000u);
    EXPECT_EQ(Fixtures::GetString(HKEY_CURRENT_USER, Settings::KeyPath, Settings::StartStopState), "On");
    EXPECT_EQ(f.Status(), Form1Texts::AutoDeleteOff);  // the first text comes with the first tick

    Tick(1);
    EXPECT_EQ(f.Status(), Countdown("00:09:59"));
    EXPECT_EQ(f.ProgressMaximum(), 600);
    EXPECT_EQ(f.ProgressValue(), 1);

    Tick(598);
    EXPECT_EQ(f.Status(), Countdown("00:00:01"));
    EXPECT_TRUE(passes.empty());

    Tick(1);
    ASSERT_EQ(passes.size(), 1u);
    EXPECT_EQ(passes[0].elapsed, 600);
    EXPECT_EQ(passes[0].timerInterval, 0u);
    EXPECT_FALSE(passes[0].timerEnabled);
    EXPECT_EQ(passes[0].pointer, PointerHourglass);
    EXPECT_EQ(f.Status(), Form1Texts::PassDone);
    EXPECT_EQ(f.ProgressValue(), 600);
    EXPECT_EQ(f.ElapsedSeconds(), 0);
    EXPECT_EQ(f.TimerInterval(), 1000u);
    EXPECT_TRUE(f.TimerEnabled());
    EXPECT_EQ(f.MousePointer(), PointerDefault);

    Tick(1);
    EXPECT_EQ(f.Status(), Countdown("00:09:59"));
    EXPECT_EQ(f.ProgressValue(), 1);
    Tick(599);
    EXPECT_EQ(passes.size(), 2u);
    EXPECT_TRUE(platform->Reports().empty());
}

// The countdown repaints only the status line's changed characters and the
// bar's changed columns: what it leaves on screen must be what a repaint of
// the whole status frame shows, at every tick.
TEST_F(SchedulerTest, EachTickLeavesTheStatusFrameAsAWholeRepaintWould) {
    Form1& f = CreateCountingForm();
    ClickListAt(1);  // every 5 minutes: the bar moves at every tick
    TurnOnOrOff();
    HWND frame = f.Control(IdFrame3);
    for (int tick = 1; tick <= 12; ++tick) {
        Tick(tick == 7 ? 55 : 1);  // this step crosses from 00:04:54 to 00:03:59
        const std::vector<COLORREF> afterTick = ShownOver(f.Handle(), frame);
        ::RedrawWindow(f.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        ASSERT_EQ(afterTick, ShownOver(f.Handle(), frame)) << "after " << f.ElapsedSeconds() << " s: " << f.Status();
    }
    EXPECT_EQ(f.Status(), Countdown("00:03:54"));
}

TEST_F(SchedulerTest, EachListPositionCountsAgainstItsOwnInterval) {
    Form1& f = CreateCountingForm();
    TurnOnOrOff();
    for (int position = 1; position <= Scheduler::IntervalCount; ++position) {
        const Scheduler::IntervalItem& item = Scheduler::IntervalItems[position - 1];
        SCOPED_TRACE(item.text);
        ClickListAt(position);
        EXPECT_EQ(f.IntervalSeconds(), item.seconds);
        Tick(1);
        EXPECT_EQ(f.Status(), AutoDelete::CountdownPrefix + Scheduler::FormatCountdown(item.seconds - 1));
        EXPECT_EQ(f.ProgressMaximum(), item.seconds);
        EXPECT_EQ(f.ProgressValue(), 1);
    }
    EXPECT_TRUE(passes.empty());
}

TEST_F(SchedulerTest, TwentyFourHoursRunTheirPassAtTick86400) {
    Form1& f = CreateCountingForm();
    ClickListAt(11);
    TurnOnOrOff();

    Tick(1);
    EXPECT_EQ(f.Status(), Countdown("23:59:59"));
    // The rest of the day (counted through AutoDelete in its own test).
    f.SetElapsedSeconds(86398);
    Tick(1);
    EXPECT_EQ(f.Status(), Countdown("00:00:01"));
    EXPECT_TRUE(passes.empty());

    Tick(1);
    ASSERT_EQ(passes.size(), 1u);
    EXPECT_EQ(passes[0].elapsed, 86400);
    EXPECT_EQ(f.ProgressMaximum(), 86400);
    EXPECT_EQ(f.ProgressValue(), 86400);
    EXPECT_EQ(f.ElapsedSeconds(), 0);
}

TEST_F(SchedulerTest, TurningOffAndOnKeepsTheCount) {
    Form1& f = CreateCountingForm();
    TurnOnOrOff();
    Tick(348);
    EXPECT_EQ(f.Status(), Countdown("00:04:12"));

    TurnOnOrOff();
    EXPECT_EQ(f.Text(IdPushButton13), Form1Texts::TurnOn);
    EXPECT_EQ(f.Status(), Form1Texts::AutoDeleteOff);
    EXPECT_EQ(f.TimerInterval(), 0u);
    EXPECT_EQ(Fixtures::GetString(HKEY_CURRENT_USER, Settings::KeyPath, Settings::StartStopState), "Off");
    // A tick that was already on its way when the timer stopped counts nothing.
    f.SetStatus("stale");
    Tick(1);
    EXPECT_EQ(f.Status(), Form1Texts::AutoDeleteOff);
    EXPECT_EQ(f.ElapsedSeconds(), 348);
    EXPECT_EQ(f.ProgressValue(), 348);

    TurnOnOrOff();
    Tick(1);
    EXPECT_EQ(f.Status(), Countdown("00:04:11"));
    EXPECT_TRUE(passes.empty());
}

TEST_F(SchedulerTest, AListClickSavesThePositionAndRestartsTheCount) {
    Form1& f = CreateCountingForm();
    TurnOnOrOff();
    Tick(400);
    ClickListAt(1);
    EXPECT_EQ(Fixtures::GetString(HKEY_CURRENT_USER, Settings::KeyPath, Settings::OftenIndex), "1");
    EXPECT_EQ(f.ElapsedSeconds(), 0);
    EXPECT_EQ(f.IntervalSeconds(), 300);

    // The bar accepts a maximum below its current value.
    Tick(1);
    EXPECT_EQ(f.Status(), Countdown("00:04:59"));
    EXPECT_EQ(f.ProgressMaximum(), 300);
    EXPECT_EQ(f.ProgressValue(), 1);
    Tick(299);
    EXPECT_EQ(passes.size(), 1u);
}

TEST_F(SchedulerTest, ASelectionChangedWithoutAClickStillGetsItsPass) {
    Form1& f = CreateCountingForm();
    TurnOnOrOff();
    Tick(400);
    f.SelectPosition(1);  // keyboard selection: no click, so the count goes on past 300
    Tick(1);
    ASSERT_EQ(passes.size(), 1u);
    EXPECT_EQ(passes[0].elapsed, 401);
    EXPECT_EQ(f.ElapsedSeconds(), 0);
    EXPECT_EQ(f.ProgressMaximum(), 300);

    // Without any selection the count runs against ten minutes.
    ListView_SetItemState(f.Control(IdListView2), -1, 0, LVIS_SELECTED);
    Tick(1);
    EXPECT_EQ(f.Status(), Countdown("00:09:59"));
    EXPECT_TRUE(platform->Reports().empty());
}

TEST_F(SchedulerTest, TurningOffDuringATimedPassLeavesTheTimerStopped) {
    Form1& f = CreateCountingForm();
    ClickListAt(1);
    TurnOnOrOff();
    duringPass = [this] { Click(IdPushButton13); };
    Tick(300);
    ASSERT_EQ(passes.size(), 1u);
    EXPECT_EQ(f.Text(IdPushButton13), Form1Texts::TurnOn);
    EXPECT_EQ(Fixtures::GetString(HKEY_CURRENT_USER, Settings::KeyPath, Settings::StartStopState), "Off");
    EXPECT_EQ(f.TimerInterval(), 0u);
    EXPECT_TRUE(f.TimerEnabled());
    EXPECT_EQ(f.Status(), Form1Texts::AutoDeleteOff);
    EXPECT_EQ(f.MousePointer(), PointerDefault);

    // Off and on again within the same pass: the timer runs on.
    TurnOnOrOff();
    duringPass = [this] {
        Click(IdPushButton13);
        Click(IdPushButton13);
    };
    Tick(300);
    ASSERT_EQ(passes.size(), 2u);
    EXPECT_EQ(f.Text(IdPushButton13), Form1Texts::TurnOff);
    EXPECT_EQ(f.TimerInterval(), 1000u);
    EXPECT_EQ(f.Status(), Form1Texts::PassDone);
}

TEST_F(SchedulerTest, TheRealTimerTicksEverySecondOnlyWhileOn) {
    Form1& f = CreateForm();
    Click(IdPushButton13);
    MessagePump::WaitWhileMessagesRun(2.5);
    EXPECT_GE(f.ElapsedSeconds(), 1);
    EXPECT_LE(f.ElapsedSeconds(), 3);
    EXPECT_EQ(f.Status().rfind(AutoDelete::CountdownPrefix, 0), 0u);

    Click(IdPushButton13);
    const std::int32_t count = f.ElapsedSeconds();
    MessagePump::WaitWhileMessagesRun(1.5);
    EXPECT_EQ(f.ElapsedSeconds(), count);
    EXPECT_EQ(f.Status(), Form1Texts::AutoDeleteOff);
}

TEST_F(SchedulerTest, DeleteNowWhileCountingClearsTypedUrlsResetsTheBarButNotTheCount) {
    constexpr char TypedUrls[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
    Fixtures::RegistryKeySnapshot snapshot(HKEY_CURRENT_USER, TypedUrls);
    Fixtures::DeleteKeyTree(HKEY_CURRENT_USER, TypedUrls);
    for (const char* name : {"url1", "url2", "url3", "url101"})
        Fixtures::SetString(HKEY_CURRENT_USER, TypedUrls, name, std::string("http://") + name + ".example/");

    form = &CreateForm();
    Click(IdChkIETyped);
    TurnOnOrOff();
    Tick(100);
    EXPECT_EQ(form->ProgressValue(), 100);

    Click(IdPushButton12);

    for (const char* name : {"url1", "url2", "url3"})
        EXPECT_FALSE(Fixtures::ValueExists(HKEY_CURRENT_USER, TypedUrls, name)) << name;
    EXPECT_TRUE(Fixtures::ValueExists(HKEY_CURRENT_USER, TypedUrls, "url101"));
    EXPECT_EQ(Fixtures::ReadFile(LogPath()).rfind("Internet History was deleted at ", 0), 0u);
    EXPECT_EQ(form->Status(), Countdown("00:08:20"));
    EXPECT_EQ(form->ProgressValue(), 0);
    EXPECT_EQ(form->ElapsedSeconds(), 100);

    Tick(1);
    EXPECT_EQ(form->Status(), Countdown("00:08:19"));
    EXPECT_EQ(form->ProgressValue(), 101);
    EXPECT_TRUE(platform->Reports().empty());
}

TEST_F(SchedulerTest, AClickOrATickDuringAPassStartsNoPassInsideItAndADueTickRunsRightAfter) {
    Form1& f = CreateCountingForm();
    ClickListAt(1);  // every 5 minutes
    TurnOnOrOff();
    Tick(299);
    int depth = 0;
    int deepest = 0;
    int disturbed = 0;  // bounded, so that passes started inside passes would end too
    duringPass = [&] {
        deepest = std::max(deepest, ++depth);
        if (depth == 1 && disturbed++ < 2) {
            // While the cleaner runs: a click on "Delete Now (Test)" and a tick.
            ::SendMessageA(f.Control(IdPushButton12), BM_CLICK, 0, 0);
            f.Timer1_Timer();
            // Queued for when the pass or the pause lets messages run.
            ::PostMessageA(f.Control(IdPushButton12), BM_CLICK, 0, 0);
            ::PostMessageA(f.Handle(), WM_TIMER, Form1::Timer1Id, 0);
        }
        --depth;
    };

    Click(IdPushButton12);
    KeepRealTicksOut();

    EXPECT_EQ(deepest, 1);
    ASSERT_EQ(passes.size(), 2u);
    EXPECT_EQ(passes[0].kind, Form1::PassKind::Manual);
    EXPECT_EQ(passes[0].elapsed, 299);
    // The tick that came due in the manual pass, and the one queued in its
    // pause, ran the timed pass once, after the manual one.
    EXPECT_EQ(passes[1].kind, Form1::PassKind::Timed);
    EXPECT_EQ(passes[1].elapsed, 301);
    EXPECT_FALSE(passes[1].timerEnabled);
    EXPECT_EQ(Lines(Fixtures::ReadFile(LogPath())), 2u);
    EXPECT_EQ(f.RunningPass(), Form1::PassKind::None);
    EXPECT_EQ(f.Status(), Form1Texts::PassDone);
    EXPECT_EQ(f.ElapsedSeconds(), 0);
    EXPECT_EQ(f.MousePointer(), PointerDefault);
    EXPECT_EQ(f.TimerInterval(), 1000u);
    EXPECT_TRUE(platform->Reports().empty());
}
