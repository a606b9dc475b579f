// Many Chrome profiles as the user meets them: a Local State that lists N
// profiles (default 10,000) against one that lists 1, each profile a small
// real one (Preferences with an engagement score, an empty History with the
// real schema), made by scripts/make-profiles-bench.py.
//
// (a) The real main window from creation to shown: its start-up looks the
//     browsers up for the label of the "Chrome and Edge" frame. Printed: the
//     seconds with 1 and with N profiles and what N profiles add.
// (b) A pass of the real main window with the six Chrome boxes ticked,
//     through the real cleaners. Printed: the seconds with 1 profile (the
//     median of five passes, each on fresh profiles) and with N, and the ratio
//     of the time per profile (1.0: N profiles take N times as long as one).
//
// Usage: ChromiumProfilesBench.exe BENCH_FOLDER N [window|pass]   (default: both)
//   BENCH_FOLDER\one-0 ... one-4\Local\Google\Chrome\User Data   1 profile each
//   BENCH_FOLDER\many\Local\Google\Chrome\User Data              N profiles
#include "FrameCleaners.h"
#include "QuietPlatform.h"
#include "system/Window.h"
#include "ShellFolderValue.h"
#include "app/Form1.h"
#include "app/CleaningBoxes.h"
#include "system/MessagePump.h"
#include "system/Path.h"
#include "system/Registry1.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int OneProfileCopies = 5;
constexpr char UserData[] = "Local\\Google\\Chrome\\User Data";
constexpr int WindowRounds = 3;

std::string ExpectedLabel(int profiles) {
    return "Google Chrome: " + std::to_string(profiles) + (profiles == 1 ? " profile" : " profiles");
}

// Seconds from the window's creation to its first paint on the screen; the
// window's label must have found `profiles`.
double WindowSeconds(int profiles) {
    const double start = MessagePump::MonotonicSeconds();
    Form1 form(FrameCleaners(IdFrame5));
    form.Create(true);
    MessagePump::LetPendingMessagesRun();
    const double seconds = MessagePump::MonotonicSeconds() - start;
    if (ControlText(form.Handle(), IdLabel1) != ExpectedLabel(profiles)) {
        std::fprintf(stderr, "the window found \"%s\", not %d profiles\n", ControlText(form.Handle(), IdLabel1).c_str(), profiles);
        std::exit(1);
    }
    return seconds;
}

// Seconds of one pass with the Chrome boxes ticked, on the browsers under
// Local AppData as it is set.
double PassSeconds() {
    Form1 form(FrameCleaners(IdFrame5));
    form.Create(true);
    RestPointerOffWindow(form.Handle());
    for (std::size_t i = 0; i < CleaningBoxes::Count; ++i)
        if (CleaningBoxes::Rows[i].frame == IdFrame5) SetTicked(FindControl(form.Handle(), CleaningBoxes::IdAt(i)), true);
    MessagePump::LetPendingMessagesRun();
    const double start = MessagePump::MonotonicSeconds();
    form.DeleteAll();
    const double seconds = MessagePump::MonotonicSeconds() - start;
    // The boxes are remembered: later benchmarks of this prefix start without them.
    for (std::size_t i = 0; i < CleaningBoxes::Count; ++i)
        if (CleaningBoxes::Rows[i].frame == IdFrame5) SetTicked(FindControl(form.Handle(), CleaningBoxes::IdAt(i)), false);
    return seconds;
}

class Bench {
public:
    Bench(std::string folder, int profiles) : folder_(std::move(folder)), profiles_(profiles) {}

    void MeasureWindow() const {
        UseLocalAppData("one-0");
        WindowSeconds(1);  // the first window of a process also loads fonts and classes
        std::vector<double> one, many;
        for (int round = 0; round < WindowRounds; ++round) {
            UseLocalAppData("one-0");
            one.push_back(WindowSeconds(1));
            UseLocalAppData("many");
            many.push_back(WindowSeconds(profiles_));
        }
        const double a = Median(one), b = Median(many);
        std::printf("(a) window created to shown, median of %d: 1 profile %.3f s, %d profiles %.3f s, "
                    "%d profiles add %.3f s\n",
                    WindowRounds, a, profiles_, b, profiles_, b - a);
    }

    void MeasurePass() const {
        const std::string last = profiles_ > 1 ? "Profile " + std::to_string(profiles_ - 1) : "Default";
        std::vector<double> one;
        for (int k = 0; k < OneProfileCopies; ++k) {
            const std::string tree = "one-" + std::to_string(k);
            Expect(true, tree, "Default");
            UseLocalAppData(tree);
            one.push_back(PassSeconds());
            Expect(false, tree, "Default");
        }
        for (const std::string& profile : {std::string("Default"), last}) Expect(true, "many", profile);
        UseLocalAppData("many");
        const double many = PassSeconds();
        for (const std::string& profile : {std::string("Default"), last}) Expect(false, "many", profile);
        const double a = Median(one);
        std::printf("(b) pass with the six Chrome boxes: 1 profile %.3f s (median of %d), %d profiles %.2f s, "
                    "%.2f ms per profile; per-profile ratio %d/1: %.2f\n",
                    a, OneProfileCopies, profiles_, many, many * 1000.0 / profiles_, profiles_,
                    many / profiles_ / a);
    }

private:
    // Whether the profile still has its engagement score in Preferences.
    bool HasEngagement(const std::string& tree, const std::string& profile) const {
        const std::string preferences =
            Path::Join(Path::Join(Path::Join(Path::Join(folder_, tree), UserData), profile), "Preferences");
        return Path::ReadAll(preferences).find(".example") != std::string::npos;
    }
    // Each pass must find fresh profiles and clean them.
    void Expect(bool engagement, const std::string& tree, const std::string& profile) const {
        if (HasEngagement(tree, profile) == engagement) return;
        std::fprintf(stderr,
                     engagement ? "%s\\%s was cleaned before: make the profiles again\n" : "the pass did not clean %s\\%s\n",
                     tree.c_str(), profile.c_str());
        std::exit(1);
    }

    void UseLocalAppData(const std::string& tree) const {
        SetShellFolder(ShellFolders::LocalAppData, Path::Join(Path::Join(folder_, tree), "Local"));
    }

    std::string folder_;
    int profiles_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: ChromiumProfilesBench BENCH_FOLDER N [window|pass]\n");
        return 2;
    }
    const std::string part = argc > 3 ? argv[3] : "";
    const QuietWindowBench quiet;
    const std::string saved = Registry1::ReadRegString(HKEY_CURRENT_USER, ShellFolders::Key, ShellFolders::LocalAppData, "");

    const Bench bench(argv[1], std::atoi(argv[2]));
    if (part != "pass") bench.MeasureWindow();
    if (part != "window") bench.MeasurePass();

    SetShellFolder(ShellFolders::LocalAppData, saved);
    return 0;
}
