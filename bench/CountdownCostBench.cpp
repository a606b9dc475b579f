// Processor time of the auto-delete countdown: the real main window, shown,
// with auto delete on for N seconds of real one-second ticks, against the same
// window idle (auto delete off) for N seconds, in the same run. Then the same
// ticks driven back to back, painting included: the tick's own work without the
// cost of waking up for it, a steadier figure than the real ticks give.
//
//   wine build/CountdownCostBench.exe [seconds]    (default 60)
#include "ProcessorTime.h"
#include "QuietPlatform.h"
#include "system/Window.h"
#include "app/Form1.h"
#include "system/MessagePump.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    const QuietWindowBench quiet;

    Form1 form(Cleaners{});
    form.Create(true);
    // Every 10 minutes (the bar moves at nearly every tick), and auto delete off.
    ListView_SetItemState(FindControl(form.Handle(), IdListView2), 1, LVIS_SELECTED, LVIS_SELECTED);
    HWND onOff = FindControl(form.Handle(), IdPushButton13);
    if (ControlText(form.Handle(), IdPushButton13) == Form1Texts::TurnOff) ::SendMessageA(onOff, BM_CLICK, 0, 0);
    RestPointerOffWindow(form.Handle());
    MessagePump::WaitWhileMessagesRun(1.0);  // let start-up's painting settle

    const double idle = ProcessorSecondsOver(seconds);
    ::SendMessageA(onOff, BM_CLICK, 0, 0);  // on
    const double counting = ProcessorSecondsOver(seconds);
    ::KillTimer(form.Handle(), Form1::Timer1Id);
    constexpr int BackToBack = 300;  // still short of the 10 minutes' pass
    const double before = ProcessorSeconds();
    for (int i = 0; i < BackToBack; ++i) {
        ::SendMessageA(form.Handle(), WM_TIMER, Form1::Timer1Id, 0);
        MessagePump::LetPendingMessagesRun();
    }
    const double ownWork = (ProcessorSeconds() - before) * 1000.0 / BackToBack;
    ::SendMessageA(onOff, BM_CLICK, 0, 0);  // off again, as the bench found it

    const double budget = 0.005 * seconds;  // half a percent of one core
    std::printf("over %.0f s: idle %.3f s, auto delete on %.3f s of processor time\n", seconds, idle, counting);
    std::printf("countdown: %.2f ms per tick, %.3f %% of a core; against idle +%.3f s; "
                "against the 0.5 %% budget ratio %.2f\n",
                (counting - idle) * 1000.0 / seconds, counting * 100.0 / seconds, counting - idle,
                counting / budget);
    std::printf("one tick driven directly, repaint included: %.2f ms (%d ticks)\n", ownWork, BackToBack);
    return 0;
}
