// A profiles.ini that lists N profiles (default 10,000), as a damaged or
// hostile file can, against one that lists 1: the Firefox family's look-up
// must take time in proportion to the file, not to its square.
//
// (a) The real main window from creation to shown: its start-up looks the
//     Firefox family up for the tool tip of the "Mozilla Firefox" frame.
//     Printed: the seconds with 1 and with N profiles and what N add.
// (b) A pass of the real main window with the five Firefox boxes ticked,
//     through the real cleaners (each box looks the profiles up again).
//     Printed: the seconds with 1 and with N profiles.
//
// Usage: FirefoxProfilesBench.exe BENCH_FOLDER [N]
//   makes BENCH_FOLDER\one and BENCH_FOLDER\many, each a Roaming AppData
//   folder with Mozilla\Firefox\profiles.ini; the first profile of each
//   exists (prefs.js), the others are only listed.
#include "FrameCleaners.h"
#include "QuietPlatform.h"
#include "system/Window.h"
#include "ShellFolderValue.h"
#include "app/CleaningBoxes.h"
#include "app/Form1.h"
#include "firefox/FirefoxCleaners.h"
#include "system/MessagePump.h"
#include "system/Path.h"
#include "system/Registry1.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int Rounds = 3;

// A Roaming AppData folder whose profiles.ini lists `profiles` profiles.
void MakeAppData(const std::string& appData, int profiles) {
    const std::string firefox = Path::Join(appData, "Mozilla\\Firefox");
    const std::string first = Path::Join(firefox, "Profiles\\p0.default");
    ::SHCreateDirectoryExA(nullptr, first.c_str(), nullptr);
    std::ofstream(Path::Join(first, "prefs.js")) << "// prefs\n";
    std::ofstream ini(Path::Join(firefox, "profiles.ini"), std::ios::binary);
    ini << "[General]\r\nStartWithLastProfile=1\r\n\r\n";
    for (int i = 0; i < profiles; ++i)
        ini << "[Profile" << i << "]\r\nName=p" << i << "\r\nIsRelative=1\r\nPath=Profiles/p" << i << ".default\r\n\r\n";
}

void Expect(int profiles) {
    const std::string expected =
        "Mozilla Firefox: " + std::to_string(profiles) + (profiles == 1 ? " profile" : " profiles");
    const std::string found = FirefoxHistory::FoundProfiles();
    if (found != expected) {
        std::fprintf(stderr, "the look-up found \"%s\", not \"%s\"\n", found.c_str(), expected.c_str());
        std::exit(1);
    }
}

double WindowSeconds() {
    const double start = MessagePump::MonotonicSeconds();
    Form1 form(FrameCleaners(IdFrame2));
    form.Create(true);
    MessagePump::LetPendingMessagesRun();
    return MessagePump::MonotonicSeconds() - start;
}

double PassSeconds() {
    Form1 form(FrameCleaners(IdFrame2));
    form.Create(true);
    RestPointerOffWindow(form.Handle());
    const auto tick = [&](bool on) {
        for (std::size_t i = 0; i < CleaningBoxes::Count; ++i)
            if (CleaningBoxes::Rows[i].frame == IdFrame2) SetTicked(FindControl(form.Handle(), CleaningBoxes::IdAt(i)), on);
    };
    tick(true);
    MessagePump::LetPendingMessagesRun();
    const double start = MessagePump::MonotonicSeconds();
    form.DeleteAll();
    const double seconds = MessagePump::MonotonicSeconds() - start;
    tick(false);  // the boxes are remembered: later benchmarks start without them
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: FirefoxProfilesBench BENCH_FOLDER [N]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int profiles = argc > 2 ? std::atoi(argv[2]) : 10000;
    const QuietWindowBench quiet;
    const std::string saved = Registry1::ReadRegString(HKEY_CURRENT_USER, ShellFolders::Key, ShellFolders::AppData, "");
    const std::string one = Path::Join(folder, "one"), many = Path::Join(folder, "many");
    MakeAppData(one, 1);
    MakeAppData(many, profiles);

    SetShellFolder(ShellFolders::AppData, one);
    Expect(1);
    WindowSeconds();  // the first window of a process also loads fonts and classes
    std::vector<double> windowOne, windowMany, passOne, passMany;
    for (int round = 0; round < Rounds; ++round) {
        SetShellFolder(ShellFolders::AppData, one);
        windowOne.push_back(WindowSeconds());
        passOne.push_back(PassSeconds());
        SetShellFolder(ShellFolders::AppData, many);
        if (round == 0) Expect(profiles);
        windowMany.push_back(WindowSeconds());
        passMany.push_back(PassSeconds());
    }
    std::printf("(a) window created to shown, median of %d: 1 profile %.3f s, %d profiles %.3f s, "
                "%d profiles add %.3f s\n",
                Rounds, Median(windowOne), profiles, Median(windowMany), profiles,
                Median(windowMany) - Median(windowOne));
    std::printf("(b) pass with the five Firefox boxes, median of %d: 1 profile %.3f s, %d profiles %.3f s\n", Rounds,
                Median(passOne), profiles, Median(passMany));

    SetShellFolder(ShellFolders::AppData, saved);
    return 0;
}
