// Processor time of the auto-delete countdown: the real main window, shown,
// with auto delete on for N seconds of real one-second ticks, against the same
// window idle (auto delete off) for N seconds, in the same run.
//
//   wine build/CountdownCostBench.exe [seconds]    (default 30)
#include "QuietPlatform.h"
#include "app/Form1.h"
#include "system/MessagePump.h"
#include "system/Seams.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

double ProcessorSeconds() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

// Processor seconds used while the window runs its messages for `seconds`.
double ProcessorSecondsOver(double seconds) {
    const double before = ProcessorSeconds();
    MessagePump::WaitWhileMessagesRun(seconds);
    return ProcessorSeconds() - before;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 30.0;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    QuietPlatform quiet;
    Seams::Install(&quiet);

    Form1 form(Cleaners{});
    form.Create(true);
    form.SelectPosition(2);  // every 10 minutes: the bar moves at nearly every tick
    form.SetTimerInterval(0);
    MessagePump::WaitWhileMessagesRun(1.0);  // let start-up's painting settle

    const double idle = ProcessorSecondsOver(seconds);
    form.SetTimerInterval(1000);
    const double counting = ProcessorSecondsOver(seconds);
    form.SetTimerInterval(0);

    const double budget = 0.005 * seconds;  // half a percent of one core
    std::printf("over %.0f s: idle %.3f s, auto delete on %.3f s of processor time\n", seconds, idle, counting);
    std::printf("countdown: %.2f ms per tick, %.3f %% of a core; against idle +%.3f s; "
                "against the 0.5 %% budget ratio %.2f\n",
                (counting - idle) * 1000.0 / seconds, counting * 100.0 / seconds, counting - idle,
                counting / budget);
    Seams::Install(nullptr);
    return 0;
}
