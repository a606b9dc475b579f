// The program ended by force in the middle of a pass (the task manager, a
// crash): the History and Cookies boxes run in a child process that is killed
// the moment it starts to write Preferences anew, the moment it writes a new
// table into Local Storage, and at moments spread over the pass, on a profile
// whose Preferences and Local Storage are large. After every kill each file is
// whole (Preferences parses and is the old or the new one, LevelDB opens with
// the old or the new keys, SQLite passes its integrity check), and the next
// pass finishes the work.
#include "ChromiumFixture.h"

#include "database/LevelDb.h"
#include "support/LevelDbFill.h"
#include "system/FileGuard.h"
#include "system/Path.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

using namespace ChromiumFiles;

namespace {

// Set for the child process: it then runs the pass instead of skipping.
constexpr char WorkerVariable[] = "VORLANE_CRASH_WORKER";
constexpr int Sites = 10000;        // engagement entries in Preferences
constexpr int StoredValues = 1000;  // web values of 3 KB in Local Storage
constexpr int Kills = 2;            // spread over the pass, besides those at chosen steps
constexpr DWORD KilledCode = 9;

// Thousands of sites in the engagement list, and a Local Storage of web
// values beside the extension's.
void Inflate(const std::string& profile) {
    nlohmann::json preferences = nlohmann::json::parse(Fixtures::ReadFile(profile + "\\Preferences"));
    nlohmann::json& engagement = preferences["profile"]["content_settings"]["exceptions"]["site_engagement"];
    for (int i = 0; i < Sites; ++i)
        engagement["https://site-" + std::to_string(i) + ".example:443,*"] = {
            {"last_modified", "13441144596173224"},
            {"setting", {{"lastEngagementTime", 1.3441144596173208e+16}, {"rawScore", 4.5}}}};
    Fixtures::WriteFile(profile + "\\Preferences", preferences.dump());
    std::vector<std::pair<std::string, std::string>> values;
    for (int i = 0; i < StoredValues; ++i)
        values.emplace_back("_https://site-" + std::to_string(i) + ".example" + std::string(1, '\0') + "\x01" + "key",
                            std::string(3000, static_cast<char>('a' + i % 26)));
    LevelDbFill::Put(profile + "\\Local Storage\\leveldb", values);
}

// What a check of the profile sees.
struct State {
    nlohmann::json settings;
    LevelDb::Entries localStorage;
};

std::optional<State> Read(const std::string& profile) {
    State state;
    state.settings = nlohmann::json::parse(Fixtures::ReadFile(profile + "\\Preferences"), nullptr, false);
    const std::optional<LevelDb::Entries> entries = LevelDb::ReadAll(profile + "\\Local Storage\\leveldb");
    if (state.settings.is_discarded() || !entries) return std::nullopt;
    state.localStorage = *entries;
    return state;
}

// Starts this test program again as the worker, and kills it as soon as
// `killNow` says so (asked over and over) unless it ends first. True when it
// was killed.
bool RunWorker(const std::function<bool()>& killNow) {
    char program[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string command = std::string("\"") + program + "\" --gtest_filter=ChromiumCrashWorker.*";
    ::SetEnvironmentVariableA(WorkerVariable, "1");
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const BOOL started =
        ::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    ::SetEnvironmentVariableA(WorkerVariable, nullptr);
    EXPECT_TRUE(started);
    if (!started) return false;
    const UniqueKernelHandle processHandle(process.hProcess);
    const UniqueKernelHandle thread(process.hThread);
    while (::WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        if (killNow() && ::TerminateProcess(process.hProcess, KilledCode)) {
            ::WaitForSingleObject(process.hProcess, INFINITE);
            DWORD code = 0;
            return ::GetExitCodeProcess(process.hProcess, &code) && code == KilledCode;
        }
    }
    return false;
}

// The highest number among the table files of a LevelDB folder.
unsigned long LastTable(const std::string& folder) {
    unsigned long last = 0;
    for (const std::string& name : FileTree::Paths(folder)) {
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".ldb") == 0)
            last = std::max(last, std::stoul(name.substr(0, name.size() - 4)));
    }
    return last;
}

}  // namespace

// Runs in the child process only.
TEST(ChromiumCrashWorker, RunsThePassWhenStartedByTheCrashTest) {
    if (!std::getenv(WorkerVariable)) GTEST_SKIP() << "started by ChromiumCrashTest only";
    RecordingStatus status;
    ChromiumHistory::ClearChromiumHistory(status);
    ChromiumHistory::ClearChromiumCookies(status);
}

class ChromiumCrashTest : public ChromiumFixture {};

TEST_F(ChromiumCrashTest, EveryFileIsWholeWhereverThePassIsKilled) {
    ASSERT_TRUE(Fixtures::FileExists(std::string(PlantedUserData) + "\\Default\\History")) << "test chromium_profile";
    Fixtures::TempFolder original("original");
    CopyProfile(original.Path(), "Default");
    Inflate(original / "Default");
    const std::string userData = UserData("Google\\Chrome");
    const std::string profile = userData + "\\Default";
    const auto reset = [&] {
        Fixtures::DeleteTree(userData);
        Fixtures::CopyTree(original.Path(), userData);
        WriteLocalState(userData, PlantedLocalState());
    };

    reset();
    const std::optional<State> before = Read(profile);
    reset();
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(RunWorker([] { return false; }));
    const DWORD whole = ::GetTickCount() - start;
    std::printf("History and Cookies on %d sites' engagement and %d stored values: %lu ms, process start included\n",
                Sites, StoredValues, static_cast<unsigned long>(whole));
    const std::optional<State> after = Read(profile);
    ASSERT_TRUE(before && after);
    ASSERT_NE(before->settings, after->settings);
    ASSERT_LT(after->localStorage.size(), before->localStorage.size());

    // After any kill, every file is the old one or the new one, whole.
    const auto checkWhole = [&] {
        const std::optional<State> state = Read(profile);
        ASSERT_TRUE(state) << "Preferences or Local Storage is damaged";
        // History changes Preferences, then Cookies: a kill between them leaves History's.
        EXPECT_TRUE(state->settings == before->settings || state->settings == after->settings ||
                    state->settings == WithoutSiteNotes(before->settings, HistoryNotes));
        EXPECT_TRUE(state->localStorage == before->localStorage || state->localStorage == after->localStorage);
        for (const char* database : {"History", "Favicons", "Network\\Cookies"})
            EXPECT_EQ(Rows(profile + "\\" + database, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
    };
    // A kill at a chosen step, tried again (at most a few times) when the
    // step went by between two looks.
    const auto killAt = [&](const std::function<bool()>& step) {
        bool killed = false;
        for (int attempt = 0; attempt < 5 && !killed; ++attempt) {
            reset();
            killed = RunWorker(step);
            checkWhole();
        }
        EXPECT_TRUE(killed);
    };
    {
        SCOPED_TRACE("killed while Preferences was written anew");
        const std::string replacement = profile + "\\Preferences" + FileGuard::ReplacementSuffix;
        killAt([&] { return Fixtures::FileExists(replacement); });
    }
    {
        SCOPED_TRACE("killed while Local Storage was rewritten");
        const std::string localStorage = profile + "\\Local Storage\\leveldb";
        const unsigned long last = LastTable(original / "Default\\Local Storage\\leveldb");
        killAt([&] { return LastTable(localStorage) > last; });
    }
    for (int kill = 1; kill <= Kills; ++kill) {
        SCOPED_TRACE("killed after " + std::to_string(whole * kill / (Kills + 1)) + " of " + std::to_string(whole) +
                     " ms");
        reset();
        const DWORD deadline = ::GetTickCount() + whole * kill / (Kills + 1);
        RunWorker([&] { return static_cast<LONG>(::GetTickCount() - deadline) >= 0; });
        checkWhole();
    }

    // The next pass after the last kill finishes the work and leaves nothing of its own.
    ChromiumHistory::ClearChromiumHistory(status);
    ChromiumHistory::ClearChromiumCookies(status);
    const std::optional<State> finished = Read(profile);
    ASSERT_TRUE(finished);
    EXPECT_EQ(finished->settings, after->settings);
    EXPECT_EQ(finished->localStorage, after->localStorage);
    EXPECT_FALSE(Fixtures::FileExists(profile + "\\Preferences" + FileGuard::ReplacementSuffix));
}
