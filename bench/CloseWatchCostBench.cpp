// Processor time of watching browsers until they close: the real main window
// after a real pass that left three running browsers whole (a Firefox profile,
// Google Chrome and Microsoft Edge, each holding its lock), for N seconds of
// the watch's real looks, against the same window with nothing watched for N
// seconds, in the same run; then the watch's looks driven back to back. Then
// the browsers close, and the time from their closing to the log's line for
// the last of them.
//
//   wine build/CloseWatchCostBench.exe [seconds]    (default 60)
#include "ProcessorTime.h"
#include "QuietPlatform.h"
#include "system/Window.h"
#include "ShellFolderValue.h"
#include "app/Form1.h"
#include "cleaning/HistoryLog.h"
#include "system/MessagePump.h"
#include "system/Path.h"

#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr char Root[] = "C:\\vorlane-bench-closewatch";

void WriteFile(const std::string& path, const std::string& text) {
    ::SHCreateDirectoryExA(nullptr, path.substr(0, path.rfind('\\')).c_str(), nullptr);
    std::ofstream(path, std::ios::binary) << text;
}

// The lock file, made and held open without sharing, as the running browser holds it.
UniqueFile Hold(const std::string& lockFile) {
    WriteFile(lockFile, "");
    return UniqueFile(::CreateFileA(lockFile.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

int CleanedLines() {
    std::ifstream log(HistoryLog::LogPath(), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    int count = 0;
    for (std::size_t at = text.find(PassTexts::CleanedAfterClose); at != std::string::npos;
         at = text.find(PassTexts::CleanedAfterClose, at + 1))
        ++count;
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    const QuietWindowBench quiet;

    const std::string roaming = Path::Join(Root, "Roaming");
    const std::string local = Path::Join(Root, "Local");
    const std::string savedRoaming = ShellFolders::Read(ShellFolders::AppData).value_or("");
    const std::string savedLocal = ShellFolders::Read(ShellFolders::LocalAppData).value_or("");
    SetShellFolder(ShellFolders::AppData, roaming);
    SetShellFolder(ShellFolders::LocalAppData, local);
    ::SetEnvironmentVariableA("TEMP", Root);  // the history log

    const std::string profile = Path::Join(roaming, "Mozilla\\Firefox\\Profiles\\bench.default");
    WriteFile(Path::Join(roaming, "Mozilla\\Firefox\\profiles.ini"),
              "[Profile0]\r\nName=bench\r\nIsRelative=1\r\nPath=Profiles/bench.default\r\n");
    WriteFile(Path::Join(profile, "cookies.sqlite"), "");
    std::vector<UniqueFile> locks;
    locks.push_back(Hold(Path::Join(profile, "parent.lock")));
    for (const char* userData : {"Google\\Chrome\\User Data", "Microsoft\\Edge\\User Data"}) {
        WriteFile(Path::Join(local, std::string(userData) + "\\Default\\Preferences"), "{}");
        locks.push_back(Hold(Path::Join(local, std::string(userData) + "\\lockfile")));
    }

    Form1 form;
    form.Create(true);
    // The cookie boxes of both frames, as a user would tick them.
    std::vector<HWND> ticked;
    for (ControlId box : {CleaningBoxes::Id("chkCookies"), CleaningBoxes::Id("chkCrCookies")}) {
        if (!(::SendMessageA(FindControl(form.Handle(), box), BM_GETCHECK, 0, 0) == BST_CHECKED)) {
            ::SendMessageA(FindControl(form.Handle(), box), BM_CLICK, 0, 0);
            ticked.push_back(FindControl(form.Handle(), box));
        }
    }
    RestPointerOffWindow(form.Handle());
    MessagePump::WaitWhileMessagesRun(1.0);  // let start-up's painting settle

    const double idle = ProcessorSecondsOver(seconds);
    form.DeleteAll();  // leaves all three whole: they run
    const double watching = ProcessorSecondsOver(seconds);
    // The same looks driven back to back: the look's own work, a steadier
    // figure than the few real ones give.
    constexpr int BackToBack = 1000;
    const double before = ProcessorSeconds();
    for (int i = 0; i < BackToBack; ++i) ::SendMessageA(form.Handle(), WM_TIMER, Form1::CloseWatchTimerId, 0);
    const double lookMs = (ProcessorSeconds() - before) * 1000.0 / BackToBack;

    locks.clear();  // the browsers close
    const double closed = MessagePump::MonotonicSeconds();
    MessagePump::WaitWhileMessagesRun(10, [] { return CleanedLines() < 3; });
    const double cleanedAfter = MessagePump::MonotonicSeconds() - closed;
    const int cleaned = CleanedLines();

    for (HWND box : ticked) ::SendMessageA(box, BM_CLICK, 0, 0);  // as the bench found them
    SetShellFolder(ShellFolders::AppData, savedRoaming);
    SetShellFolder(ShellFolders::LocalAppData, savedLocal);

    const double budget = 0.001 * seconds;  // a tenth of a percent of one core
    std::printf("over %.0f s: nothing watched %.3f s, three browsers watched %.3f s of processor time\n", seconds,
                idle, watching);
    std::printf("close watch: %.4f %% of a core; against nothing watched +%.3f s; against the 0.1 %% budget "
                "ratio %.2f\n",
                watching * 100.0 / seconds, watching - idle, (watching - idle) / budget);
    const double lookShare = lookMs / Form1::CloseWatchMilliseconds * 100.0;
    std::printf("one look at three locks driven directly: %.3f ms (%d looks): %.4f %% of a core at one look every "
                "%u ms; against the 0.1 %% budget ratio %.3f\n",
                lookMs, BackToBack, lookShare, Form1::CloseWatchMilliseconds, lookShare / 0.1);
    std::printf("closing to the last log line: %.2f s, the next look coming at most %u ms after the closing (%d of 3 "
                "browsers cleaned)\n",
                cleanedAfter, Form1::CloseWatchMilliseconds, cleaned);
    return cleaned == 3 ? 0 : 1;
}
