// How much processor time the balloon's wait uses: ShowBalloon with a 2-second
// time and nobody dismissing the balloon, against a loop that polls the message
// queue for the same 2 seconds (the busy wait it replaces). Prints both and
// their ratio; lower is better.
#include "system/MessagePump.h"
#include "system/cSysTray.h"

#include <windows.h>

#include <cstdio>

namespace {

double ProcessorSeconds() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
}

BOOL WINAPI NoShell(DWORD, PNOTIFYICONDATAA) { return TRUE; }

}  // namespace

int main() {
    constexpr int seconds = 2;
    cSysTray::shellNotify = NoShell;  // the wait, not the shell, is measured
    cSysTray tray;
    tray.SetInTray(true);

    double start = ProcessorSeconds();
    const double baselineStart = MessagePump::MonotonicSeconds();
    while (MessagePump::MonotonicSeconds() - baselineStart < seconds) MessagePump::LetPendingMessagesRun();
    const double polling = ProcessorSeconds() - start;

    start = ProcessorSeconds();
    const double waitStart = MessagePump::MonotonicSeconds();
    tray.ShowBalloon("text", "title", seconds, false);
    const double waited = MessagePump::MonotonicSeconds() - waitStart;
    const double balloon = ProcessorSeconds() - start;

    std::printf("polling loop:  %.3f s processor time over %d s\n", polling, seconds);
    std::printf("balloon wait:  %.3f s processor time over %.3f s\n", balloon, waited);
    std::printf("ratio balloon/polling: %.4f\n", polling > 0 ? balloon / polling : 0.0);
    return 0;
}
