// The main window's passes: the deletion pass and its preview, automatic
// deletion's timer, and the clean of a browser after it closes, each one at a
// time (RunExclusive). Start-up and the other handlers are in Form1.cpp.
#include "app/Form1.h"

#include "app/Location.h"
#include "app/Main.h"
#include "app/PassLock.h"
#include "app/PreviewDialog.h"
#include "app/SitesToKeepDialog.h"
#include "app/Settings.h"
#include "system/MessagePump.h"
#include "system/StepRunner.h"

#include <commctrl.h>

// ---------------------------------------------------------------- deletion pass

bool Form1::IsTicked(std::size_t box) const { return box < CleaningBoxes::Count && IsChecked(CleaningBoxes::IdAt(box)); }

// Each of the window's passes holds the one-pass lock; while a command-line
// run holds it, the window waits for it with its messages running.
void Form1::DeleteAll() {
    const PassLock lock = PassLock::Take(*this);
    WatchRunningBrowsers(DeletionPass::DeleteAll(*this, passSteps_));
}

// One pass at a time. A pass, the pause after a manual one, a preview and a
// clean after a browser closed all let window messages run: a click, a tick
// or a look that comes meanwhile must not start a second one inside the
// first. So `work` runs as `kind` only when nothing of the kind runs (else it
// is dropped: false), and a click that came during it is dropped too, also
// one still waiting when it ends (DropInputOfThePass); a timed pass that came
// due while it ran was kept, and runs right after it, unless it waits for
// what the caller runs next.
bool Form1::RunExclusive(AutoDelete::Pass kind, KeptPass kept, const std::function<void()>& work) {
    if (autoDelete_.Running() != AutoDelete::Pass::None) return false;
    {
        const AutoDelete::RunningPass running(autoDelete_, kind);
        work();
        DropInputOfThePass();
    }
    if (closeAfterPass_) {
        CloseProgram();
        return true;
    }
    if (kept == KeptPass::RunsAfter && autoDelete_.TakeKeptPass()) RunTimedPass();
    return true;
}

// The clicks and keys the user gave while the pass ran and that still wait
// in the queue (the window's thread was in one long step) belong to the pass:
// run after it, they would start the pass again. A button pressed during the
// pass and released after it is let go without a click.
void Form1::DropInputOfThePass() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
    while (::PeekMessageA(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
    const HWND captured = ::GetCapture();
    if (captured && (captured == hwnd_ || ::IsChild(hwnd_, captured))) ::ReleaseCapture();
}

void Form1::PushButton12_Click() {
    RunExclusive(AutoDelete::Pass::Manual, KeptPass::RunsAfter, [&] {
        StepRunner steps(Location::PushButton12_Click);
        steps.Run(100, [&] { savedStatus_ = Status(); });
        steps.Run(102, [&] { SetMousePointer(PointerHourglass); });
        steps.Run(104, [&] { DeleteAll(); });
        steps.Run(106, [&] { SetMousePointer(PointerDefault); });
        steps.Run(108, [&] { ::SendMessageA(Control(IdProgressBar1), PBM_SETPOS, 0, 0); });
        steps.Run(110, [&] { Main::PauseSeconds(5, [&] { return !closeAfterPass_; }); });
        steps.Run(112, [&] { SetStatus(savedStatus_); });
    });
}

// Looks at what a pass over the ticked boxes would delete and shows it; the
// dialog's "Delete Now" runs that pass, and a timed pass that came due
// meanwhile runs after it (without "Delete Now", once the dialog closed).
void Form1::PushButton14_Click() {
    bool deleteNow = false;
    const bool ran = RunExclusive(AutoDelete::Pass::Preview, KeptPass::WaitsForCaller, [&] {
        StepRunner steps(Location::PushButton14_Click);
        const std::string saved = Status();
        PassTally tally;
        steps.Run(100, [&] { SetMousePointer(PointerHourglass); });
        steps.Run(102, [&] {
            const PassLock lock = PassLock::Take(*this);
            tally = DeletionPass::Preview(*this, passSteps_);
        });
        steps.Run(104, [&] { SetMousePointer(PointerDefault); });
        steps.Run(106, [&] { SetStatus(saved); });
        steps.Run(108, [&] { deleteNow = PreviewDialog::Show(hwnd_, PreviewDialog::Lines(tally, passSteps_)); });
    });
    if (!ran) return;
    if (deleteNow) PushButton12_Click();
    else if (autoDelete_.TakeKeptPass()) RunTimedPass();
}

// Shows the keep list beside every site that holds cookies or site data now.
// The stores are read as a preview reads them, so no pass may run meanwhile.
void Form1::PushButton15_Click() {
    const bool ran = RunExclusive(AutoDelete::Pass::Preview, KeptPass::WaitsForCaller, [&] {
        StepRunner steps(Location::PushButton15_Click);
        std::vector<SitesToKeepDialog::FoundSite> found;
        steps.Run(100, [&] { SetMousePointer(PointerHourglass); });
        steps.Run(102, [&] {
            const PassLock lock = PassLock::Take(*this);
            found = SitesToKeepDialog::FindSites();
        });
        steps.Run(104, [&] { SetMousePointer(PointerDefault); });
        steps.Run(106, [&] { SitesToKeepDialog::Show(hwnd_, found); });
    });
    if (ran && autoDelete_.TakeKeptPass()) RunTimedPass();
}

// ---------------------------------------------------------------- auto delete

void Form1::PushButton13_Click() {
    StepRunner steps(Location::PushButton13_Click);
    if (steps.If(100, [&] { return !autoDelete_.IsOn(); })) {
        steps.Run(102, [&] { autoDelete_.TurnOn(); });
        steps.Run(104, [&] { ShowAutoDeleteState(); });
        steps.Run(106, [] { Settings::SaveSetting(Settings::StartStopState, "On"); });
    } else {
        steps.Run(110, [&] { autoDelete_.TurnOff(); });
        steps.Run(112, [&] { ShowAutoDeleteState(); });
        steps.Run(114, [] { Settings::SaveSetting(Settings::StartStopState, "Off"); });
    }
}

// The button says what a click on it does and the timer runs while auto delete
// is on. Off is said on the status line at once; on shows with the first tick.
void Form1::ShowAutoDeleteState() {
    SetText(IdPushButton13, autoDelete_.IsOn() ? Form1Texts::TurnOff : Form1Texts::TurnOn);
    if (!autoDelete_.IsOn()) SetStatus(Form1Texts::AutoDeleteOff);
    ApplyTimer();
}

void Form1::ApplyTimer() {
    if (autoDelete_.TimerRuns())
        ::SetTimer(hwnd_, Timer1Id, 1000, nullptr);
    else
        ::KillTimer(hwnd_, Timer1Id);
}

void Form1::Timer1_Timer() {
    // The timer is stopped while its own pass runs; a tick still queued from
    // before has nothing to count and must not start a pass inside the pass.
    if (autoDelete_.Running() == AutoDelete::Pass::Timed) return;
    StepRunner steps(Location::Timer1);
    if (steps.If(100, [&] { return !autoDelete_.IsOn(); })) {
        steps.Run(102, [&] { SetStatus(Form1Texts::AutoDeleteOff); });
        return;
    }
    steps.Run(106, [&] { autoDelete_.Tick(); });
    steps.Run(108, [&] { SetStatus(autoDelete_.CountdownText()); });
    steps.Run(110, [] { MessagePump::LetPendingMessagesRunThrottled(); });
    steps.Run(112, [&] { ShowProgress(autoDelete_.IntervalSeconds(), autoDelete_.ElapsedSeconds()); });
    if (steps.If(114, [&] { return autoDelete_.TimedPassStartsNow(); })) RunTimedPass();
}

void Form1::RunTimedPass() {
    // Nothing comes due during the timed pass itself.
    RunExclusive(AutoDelete::Pass::Timed, KeptPass::WaitsForCaller, [&] {
        StepRunner steps(Location::Timer1);
        steps.Run(116, [&] { ApplyTimer(); });
        steps.Run(120, [&] { SetMousePointer(PointerHourglass); });
        steps.Run(122, [&] { SetStatus(Form1Texts::PassRunning); });
        steps.Run(124, [] { MessagePump::LetPendingMessagesRun(); });
        steps.Run(126, [&] { DeleteAll(); });
        steps.Run(128, [&] { SetStatus(Form1Texts::PassDone); });
        steps.Run(130, [] { MessagePump::LetPendingMessagesRun(); });
        // Auto delete turned off during the pass stays off.
        if (steps.If(138, [&] { return !autoDelete_.IsOn(); })) {
            steps.Run(138, [&] { SetStatus(Form1Texts::AutoDeleteOff); });
        }
        steps.Run(142, [&] { SetMousePointer(PointerDefault); });
        steps.Run(144, [&] { autoDelete_.Restart(); });
    });
    ApplyTimer();
}

// ---------------------------------------------------------------- cleaning a browser after it closes

// What the pass left whole because it ran is watched, with the boxes ticked
// now; it replaces what an earlier pass left to watch.
void Form1::WatchRunningBrowsers(const PassTally& tally) {
    std::vector<bool> ticked(CleaningBoxes::Count);
    for (std::size_t box = 0; box < ticked.size(); ++box) ticked[box] = IsTicked(box);
    closeWatch_.Replace(tally.Running(), ticked);
    ApplyCloseWatchTimer();
}

void Form1::ApplyCloseWatchTimer() {
    if (closeWatch_.IsWatching())
        ::SetTimer(hwnd_, CloseWatchTimerId, CloseWatchMilliseconds, nullptr);
    else
        ::KillTimer(hwnd_, CloseWatchTimerId);
}

// Each watched browser that has closed is cleaned once, with the boxes ticked
// at its pass, and said in the history log. While another pass runs the watch
// waits for its next look; a timed pass that comes due meanwhile runs after.
void Form1::CloseWatch_Timer() {
    RunExclusive(AutoDelete::Pass::AfterClose, KeptPass::RunsAfter, [&] {
        std::vector<CloseWatch::Watched> closed = closeWatch_.TakeClosed();
        if (!closed.empty()) {
            StepRunner steps(Location::CloseWatch_Timer);
            const std::string saved = Status();
            const PassLock lock = PassLock::Take(*this);
            for (const CloseWatch::Watched& watched : closed) {
                steps.Run(100, [&] {
                    const PassTally tally =
                        DeletionPass::CleanAfterClose(*this, passSteps_, watched.ticked, watched.browser);
                    // Started again before its turn: watched again.
                    if (!tally.Running().empty()) closeWatch_.Add(watched);
                });
            }
            steps.Run(102, [&] { SetStatus(saved); });
        }
        ApplyCloseWatchTimer();
    });
}
