// How much processor time the balloon's wait uses: ShowBalloon with a 2-second
// time and nobody dismissing the balloon, against a loop that polls the message
// queue for the same 2 seconds (the busy wait it replaces). Prints both and
// their ratio; lower is better.
#include "system/MessagePump.h"
#include "system/Seams.h"
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

// The real platform, except that no record reaches the shell.
class NoShell final : public Seams::Platform {
public:
    int ShowMessage(const std::string& text, const std::string& title, UINT type) override {
        return real_.ShowMessage(text, title, type);
    }
    void StartProcess(const std::string& commandLine, int showCommand) override {
        real_.StartProcess(commandLine, showCommand);
    }
    void SeedRandomFromTime() override { real_.SeedRandomFromTime(); }
    double RandomUnit() override { return real_.RandomUnit(); }
    void ExitProgram(int code) override { real_.ExitProgram(code); }
    BOOL NotifyShell(DWORD, NOTIFYICONDATAA&) override { return TRUE; }
    ComPtr<IDispatch> CreateComponent(const std::string& progId) override { return real_.CreateComponent(progId); }

private:
    Seams::Platform& real_ = Seams::Current();
};

}  // namespace

int main() {
    constexpr int seconds = 2;
    NoShell noShell;  // the wait, not the shell, is measured
    Seams::Install(&noShell);
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
    Seams::Install(nullptr);
    return 0;
}
