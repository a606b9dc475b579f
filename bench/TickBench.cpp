// How long a day of auto-delete ticks takes when they are driven one after the
// other, against the least a tick would cost if it wrote every countdown to the
// status line: one SetWindowTextA on the same frame per tick.
//
//   wine build/TickBench.exe
#include "app/Form1.h"
#include "system/MessagePump.h"
#include "system/Seams.h"

#include <commctrl.h>

#include <cstdio>
#include <string>

namespace {

// Start-up must neither open a browser nor wait for a message box.
class QuietPlatform : public Seams::Platform {
public:
    int ShowMessage(const std::string&, const std::string&, UINT) override { return IDOK; }
    void StartProcess(const std::string&, int) override {}
    void SeedRandomFromTime() override {}
    double RandomUnit() override { return 0.5; }
    void ExitProgram(int) override {}
    BOOL NotifyShell(DWORD message, NOTIFYICONDATAA& record) override {
        return ::Shell_NotifyIconA(message, &record);
    }
    ComPtr<IDispatch> CreateComponent(const std::string&) override { return {}; }  // no skin here
};

template <class Body>
double SecondsPer(int count, Body&& body) {
    const double start = MessagePump::MonotonicSeconds();
    for (int i = 0; i < count; ++i) body(i);
    return (MessagePump::MonotonicSeconds() - start) / count;
}

}  // namespace

int main() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    QuietPlatform quiet;
    Seams::Install(&quiet);

    constexpr int Day = 86400;
    constexpr int BaselineWrites = Day / 10;
    for (bool shown : {true, false}) {
        Form1 form(Cleaners{});
        form.Create(shown);
        form.SelectPosition(11);
        form.SetTimerInterval(1000);
        ::KillTimer(form.Handle(), Form1::Timer1Id);  // only the ticks driven here

        const double tick = SecondsPer(Day - 1, [&](int) { form.Timer1_Timer(); });
        MessagePump::LetPendingMessagesRun();
        HWND frame = form.Control(IdFrame3);
        const double write = SecondsPer(BaselineWrites, [&](int i) {
            ::SetWindowTextA(frame, (Form1Texts::CountdownPrefix + std::to_string(i)).c_str());
        });
        std::printf("window %-6s day of ticks %7.3f s (%6.2f us/tick), one status write %7.2f us, ratio %.3f\n",
                    shown ? "shown" : "hidden", tick * Day, tick * 1e6, write * 1e6, tick / write);
    }
    Seams::Install(nullptr);
    return 0;
}
