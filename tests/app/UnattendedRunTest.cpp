// Vorlane.exe started with arguments, as a scheduled task or an administrator's
// script starts it: the real program as a child process of the test, with its
// standard output and error going to files, on the test prefix's registry and
// files. Each run is watched for windows it creates (a WinEvent hook on its
// process); a message box would also keep it from ending.
#include "FormFixture.h"

#include "app/CommandLine.h"
#include "app/PassLock.h"
#include "cleaning/HistoryLog.h"
#include "cleaning/SitesToKeepSetting.h"
#include "support/UrlCacheHelpers.h"
#include "system/MessagePump.h"
#include "system/ProgramLocation.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

// ---------------------------------------------------------------- the child process

struct Finished {
    DWORD exitCode = STILL_ACTIVE;
    std::string output;  // standard output
    std::string errors;  // standard error
    int windowsCreated = 0;
};

int windowsCreated = 0;  // counted on the test's thread, which receives the hook's calls

// A window on the desktop, or in one. The message-only window COM makes for
// an apartment (a box's cleaner asks COM) is no window a person could see;
// one already gone by the time it is told counts, as it cannot be told apart.
void CALLBACK CountWindow(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD, DWORD) {
    if (object != OBJID_WINDOW) return;
    const bool messageOnly =
        ::IsWindow(window) && ::GetAncestor(::GetAncestor(window, GA_ROOT), GA_PARENT) != ::GetDesktopWindow();
    if (!messageOnly) ++windowsCreated;
}

UniqueFile Inheritable(const std::string& path) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    return UniqueFile(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr));
}

// Waits for the process's end while this thread's messages run; a run that
// does not end within two minutes (waiting for a click?) is ended and fails.
DWORD WaitForEnd(HANDLE process) {
    const DWORD started = ::GetTickCount();
    for (;;) {
        const DWORD woken = ::MsgWaitForMultipleObjects(1, &process, FALSE, 500, QS_ALLINPUT);
        MessagePump::LetPendingMessagesRun();
        if (woken == WAIT_OBJECT_0) break;
        if (::GetTickCount() - started > 120000) {
            ADD_FAILURE() << "Vorlane.exe did not end";
            ::TerminateProcess(process, 99);
            ::WaitForSingleObject(process, INFINITE);
        }
    }
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process, &code);
    return code;
}

Finished RunProgram(const std::string& arguments, const std::string& scratch) {
    const std::string out = scratch + "\\stdout.txt";
    const std::string err = scratch + "\\stderr.txt";
    Finished finished;
    {
        const UniqueFile output = Inheritable(out);
        const UniqueFile errors = Inheritable(err);
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output.Get();
        startup.hStdError = errors.Get();
        std::string line = "\"" + ProgramLocation::Folder() + "\\Vorlane.exe\" " + arguments;
        PROCESS_INFORMATION info{};
        if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr, nullptr,
                              &startup, &info)) {
            ADD_FAILURE() << "cannot start " << line;
            return finished;
        }
        const UniqueKernelHandle process(info.hProcess);
        const UniqueKernelHandle thread(info.hThread);
        windowsCreated = 0;
        const HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, CountWindow,
                                                     info.dwProcessId, 0, WINEVENT_OUTOFCONTEXT);
        EXPECT_NE(hook, nullptr);
        ::ResumeThread(thread.Get());
        finished.exitCode = WaitForEnd(process.Get());
        MessagePump::LetPendingMessagesRun();
        ::UnhookWinEvent(hook);
        finished.windowsCreated = windowsCreated;
    }
    finished.output = Fixtures::ReadFile(out);
    finished.errors = Fixtures::ReadFile(err);
    return finished;
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find("\r\n")); }

// ---------------------------------------------------------------- the user's traces

constexpr char TypedUrls[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";

// Every shell folder a box cleans points into the test's own folders; the
// boxes' traces are planted there anew before each run.
class UnattendedRunTest : public FormFixture {
protected:
    UnattendedRunTest() { Fixtures::MakeFolders(reports_); }

    struct Planted {
        std::string path;
        std::size_t bytes;
    };

    void Plant() {
        UrlCache::Clear();
        for (const Planted& file : Traces()) Fixtures::WriteFile(file.path, std::string(file.bytes, 't'));
        Fixtures::SetString(HKEY_CURRENT_USER, TypedUrls, "url1", "http://typed1.example/");
        Fixtures::SetString(HKEY_CURRENT_USER, TypedUrls, "url2", "http://typed2.example/");
        ::DeleteFileA(LogPath().c_str());
        ::DeleteFileA(Report().c_str());
    }

    // The files of the Cache folder (the last one held open by the test) and
    // of the History folder.
    std::vector<Planted> Traces() const {
        return {{cache_ + "\\a.txt", 10},
                {cache_ + "\\sub\\b.bin", 200},
                {cache_ + "\\sub\\deep\\c.dat", 3000},
                {Held(), 7},
                {history_ + "\\h.txt", 40}};
    }
    std::string Held() const { return cache_ + "\\held.tmp"; }

    // The planted files that are gone, and their bytes.
    std::pair<std::int64_t, std::int64_t> Gone() const {
        std::pair<std::int64_t, std::int64_t> gone{0, 0};
        for (const Planted& file : Traces()) {
            if (Fixtures::FileExists(file.path)) continue;
            ++gone.first;
            gone.second += static_cast<std::int64_t>(file.bytes);
        }
        return gone;
    }
    int TypedLeft() const {
        return Fixtures::ValueExists(HKEY_CURRENT_USER, TypedUrls, "url1") +
               Fixtures::ValueExists(HKEY_CURRENT_USER, TypedUrls, "url2");
    }

    std::string Report() const { return reports_ + "\\run.json"; }
    std::string Scratch() const { return folders_.Path(); }

    Fixtures::TempFolder folders_{"cli"};
    const std::string cache_ = folders_ / "Cache";
    const std::string history_ = folders_ / "History";
    const std::string reports_ = folders_ / "my reports";

private:
    Fixtures::ShellFolderOverride cacheValue_{"Cache", cache_};
    Fixtures::ShellFolderOverride historyValue_{"History", history_};
    Fixtures::ShellFolderOverride cookiesValue_{"Cookies", folders_ / "Cookies"};
    Fixtures::ShellFolderOverride appDataValue_{"AppData", folders_ / "Roaming"};
    Fixtures::ShellFolderOverride localValue_{"Local AppData", folders_ / "Local"};
    Fixtures::RegistryKeySnapshot typed_{HKEY_CURRENT_USER, TypedUrls};
};

// ---------------------------------------------------------------- the table

enum class Gone {
    Nothing,
    Cache,
    History
};

struct ArgumentLine {
    const char* name;
    // {report}: the report's path, in a folder whose name has a space; {cli}:
    // the test's folder, where the shell folders point (in error too)
    const char* arguments;
    const char* remembered;  // the boxes ticked in the settings, as the window saves them
    bool lockHeld;           // another pass holds the one-pass lock
    DWORD exitCode;
    const char* output;  // the summary line
    const char* error;   // the first line of standard error; "" for none
    const char* report;  // the report's kind; nullptr when none is written
    Gone gone;
    const char* before = nullptr;  // the file /report: names holds this before the run; nullptr: none
};

constexpr char CleanedCache[] =
    "Cleaned: 5 items deleted (3 files of 3210 bytes, 0 rows, 2 registry values, 0 cache entries); 0 left alone; "
    "1 file could not be deleted.";
constexpr char CleanedHistory[] =
    "Cleaned: 3 items deleted (1 file of 40 bytes, 0 rows, 2 registry values, 0 cache entries); 0 left alone; "
    "0 files could not be deleted.";
constexpr char PreviewAll[] =
    "Preview: 6 items would be deleted (4 files of 3250 bytes, 0 rows, 2 registry values, 0 cache entries); "
    "0 would be left alone; 1 file could not be deleted.";

const ArgumentLine Lines[] = {
    {"chosen boxes, any case", "/CLEAN /Boxes:chkIETemp,CHKIETYPED \"/report:{report}\"", "chkIEHist", false, 1,
     CleanedCache, "", "clean", Gone::Cache},
    {"remembered boxes", "/clean", "chkIEHist,chkIETyped", false, 0, CleanedHistory, "", nullptr, Gone::History},
    {"unknown box", "/clean /boxes:chkIETemp,chkNoSuchBox \"/report:{report}\"", "", false, 2, "",
     "Unknown box \"chkNoSuchBox\" in /boxes.", nullptr, Gone::Nothing},
    {"unknown switch", "-clean /wipe", "chkIETemp", false, 2, "", "Unknown switch \"/wipe\".", nullptr,
     Gone::Nothing},
    {"preview", "/preview /boxes:all \"/report:{report}\"", "", false, 1, PreviewAll, "", "preview", Gone::Nothing},
    {"another pass runs", "/clean /boxes:all \"/report:{report}\"", "", true, 3,
     "Another Vorlane pass is running: nothing was done.", "", "clean", Gone::Nothing},
    {"usage", "/?", "", false, 0, "Usage: Vorlane.exe /clean | /preview [/boxes:<names>|all] [/report:<file>]", "",
     nullptr, Gone::Nothing},
    {"nothing ticked", "/clean \"/report:{report}\"", "", false, 0, "No box is ticked: nothing was done.", "", "clean",
     Gone::Nothing},
    // A report replaces an earlier one, and nothing else: a mistyped name
    // must not destroy a file. Refused before anything is cleaned.
    {"an earlier report", "/preview /boxes:all \"/report:{report}\"", "", false, 1, PreviewAll, "", "preview",
     Gone::Nothing, "{\"program\": \"Vorlane\", \"kind\": \"clean\"}"},
    {"a file that is no report", "/clean /boxes:all \"/report:{report}\"", "", false, 4, "",
     "The report was not written: {report} is not a Vorlane report", nullptr, Gone::Nothing, "the user's own notes"},
    {"a browser's file", "/clean /boxes:all \"/report:{cli}\\Local\\Google\\Chrome\\User Data\\Default\\Preferences\"",
     "", false, 4, "", "The report was not written: {cli}\\Local\\Google\\Chrome\\User Data\\Default\\Preferences is not a Vorlane report",
     nullptr, Gone::Nothing, "{\"profile\": {\"name\": \"Person 1\"}}"},
    {"a new file in a browser's folder", "/clean /boxes:all \"/report:{cli}\\Roaming\\Mozilla\\Firefox\\report.json\"",
     "", false, 4, "", "The report was not written: {cli}\\Roaming\\Mozilla\\Firefox\\report.json is inside a browser's data folder",
     nullptr, Gone::Nothing},
    {"a system file", "/clean /boxes:all /report:C:\\windows\\win.ini", "", false, 4, "",
     "The report was not written: C:\\windows\\win.ini is not a Vorlane report", nullptr, Gone::Nothing},
    {"NUL", "/clean /boxes:all /report:NUL", "", false, 4, "", "The report was not written: NUL is a device, not a file",
     nullptr, Gone::Nothing},
    {"CON", "/clean /boxes:all /report:con.json", "", false, 4, "",
     "The report was not written: con.json is a device, not a file", nullptr, Gone::Nothing},
};

std::string Replaced(std::string text, const std::string& mark, const std::string& by) {
    for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + by.size()))
        text.replace(at, mark.size(), by);
    return text;
}

// The file /report: names in `arguments`; "" for none.
std::string ReportArgument(const std::string& arguments) {
    const std::size_t at = arguments.find("/report:");
    if (at == std::string::npos) return "";
    const std::size_t start = at + 8;
    const bool quoted = at > 0 && arguments[at - 1] == '"';
    return arguments.substr(start, arguments.find(quoted ? '"' : ' ', start) - start);
}

void Remember(const std::string& boxes) {
    for (const CleaningBox& box : CleaningBoxes::Rows)
        Settings::SaveSetting(box.name, boxes.find(box.name) != std::string::npos ? "On" : "Off");
}

}  // namespace

TEST_F(UnattendedRunTest, EachArgumentLineGivesItsExitCodeSummaryReportAndNoWindow) {
    for (const ArgumentLine& line : Lines) {
        SCOPED_TRACE(line.name);
        Plant();
        Remember(line.remembered);
        const auto placed = [&](const char* text) { return Replaced(Replaced(text, "{report}", Report()), "{cli}", Scratch()); };
        const std::string arguments = placed(line.arguments);
        const std::string named = ReportArgument(arguments);
        if (line.before) {
            Fixtures::MakeFolders(named.substr(0, named.rfind('\\')));
            Fixtures::WriteFile(named, line.before);
        }
        const bool aFile = named.find('\\') != std::string::npos && Fixtures::FileExists(named);
        const std::string kept = aFile ? Fixtures::ReadFile(named) : "";
        const UniqueFile held = Fixtures::HoldLock(Held());
        std::optional<PassLock> lock;
        if (line.lockHeld) lock.emplace(std::move(*PassLock::TryTake()));
        const Finished run = RunProgram(arguments, Scratch());
        lock.reset();

        EXPECT_EQ(run.exitCode, line.exitCode);
        EXPECT_EQ(FirstLine(run.output), line.output);
        EXPECT_EQ(FirstLine(run.errors), placed(line.error)) << run.errors;
        if (line.exitCode == 4 && aFile) {
            EXPECT_EQ(Fixtures::ReadFile(named), kept) << "a file that is no report was written over";
        }
        if (line.exitCode == 2) {
            EXPECT_NE(run.errors.find(CommandLine::Usage()), std::string::npos);
        }
        EXPECT_EQ(run.windowsCreated, 0);

        const auto [files, bytes] = Gone();
        EXPECT_EQ(files, line.gone == Gone::Cache ? 3 : (line.gone == Gone::History ? 1 : 0));
        EXPECT_EQ(TypedLeft(), line.gone == Gone::Nothing ? 2 : 0);
        const bool cleaned = line.gone != Gone::Nothing;
        ASSERT_EQ(Fixtures::FileExists(LogPath()), cleaned);
        if (cleaned) {
            const std::string log = Fixtures::ReadFile(LogPath());
            EXPECT_EQ(log.rfind(PassTexts::LogLinePrefix, 0), 0u) << log;
            if (line.gone == Gone::Cache) {
                EXPECT_NE(log.find(PassTexts::CouldNotDelete(1, Held())), std::string::npos);
            }
        }

        if (!line.report) {
            if (!line.before || named != Report()) EXPECT_FALSE(Fixtures::FileExists(Report()));
            continue;
        }
        ASSERT_TRUE(Fixtures::FileExists(Report()));
        const nlohmann::json report = nlohmann::json::parse(Fixtures::ReadFile(Report()));
        EXPECT_EQ(report["program"], "Vorlane");
        EXPECT_EQ(report["version"], "1.0.0.0");
        EXPECT_EQ(report["kind"], line.report);
        EXPECT_EQ(report["exitCode"], line.exitCode);
        EXPECT_EQ(report["summary"], line.output);
        EXPECT_LE(report["started"].get<std::string>(), report["ended"].get<std::string>());
        std::string lower = arguments;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        EXPECT_EQ(report["boxesFrom"], lower.find("/boxes:") != std::string::npos ? "arguments" : "settings");
        EXPECT_EQ(report["errors"].size(), 0u);
        EXPECT_EQ(report["leftAlone"].size(), 0u);
        // No pass: another held the lock, or nothing was ticked.
        if (line.report == std::string("clean") && line.gone == Gone::Nothing) {
            EXPECT_EQ(report["results"].size(), 0u);
            continue;
        }
        // What the report says went is what went from the disk (a preview:
        // what stands there and would go).
        const bool preview = line.gone == Gone::Nothing;
        const nlohmann::json& totals = report["totals"];
        EXPECT_EQ(totals["files"], preview ? 4 : files);
        EXPECT_EQ(totals["bytes"], preview ? 3250 : bytes);
        EXPECT_EQ(totals["registryValues"], 2);
        EXPECT_EQ(totals["notDeleted"], 1);
        EXPECT_EQ(report["historyLog"], preview ? nlohmann::json(nullptr) : nlohmann::json(LogPath()));
        std::map<std::string, nlohmann::json> results;
        for (const nlohmann::json& result : report["results"]) results[result["box"].get<std::string>()] = result;
        const nlohmann::json& cache = results["chkIETemp"];
        EXPECT_EQ(cache["browser"], "Internet Explorer");
        EXPECT_EQ(cache["caption"], "Clear Cache/Temp Internet Files");
        EXPECT_EQ(cache["files"], 3);
        EXPECT_EQ(cache["bytes"], 3210);
        EXPECT_EQ(cache["notDeleted"], 1);
        EXPECT_EQ(cache["firstNotDeleted"], Held());
        EXPECT_EQ(cache["keptSites"], nlohmann::json::array());
        EXPECT_EQ(results["chkIETyped"]["registryValues"], 2);
    }
}

// An error the window would show in a box (here: the history log cannot be
// written, as TEMP names a file) goes to standard error and the report; the
// run ends, as nothing waits for a click, and says it failed.
TEST_F(UnattendedRunTest, AnErrorReportGoesToStandardErrorAndTheReportAndTheRunFails) {
    Plant();
    const std::string notAFolder = folders_ / "temp-is-a-file";
    Fixtures::WriteFile(notAFolder);
    ::SetEnvironmentVariableA("TEMP", notAFolder.c_str());
    const Finished run = RunProgram("/clean /boxes:chkIETyped /report:\"" + Report() + "\"", Scratch());

    EXPECT_EQ(run.exitCode, 4u);
    EXPECT_EQ(run.errors.rfind("Application Error: ", 0), 0u) << run.errors;
    EXPECT_NE(run.errors.find("DeleteAll at line 154"), std::string::npos) << run.errors;
    EXPECT_EQ(TypedLeft(), 0);
    const nlohmann::json report = nlohmann::json::parse(Fixtures::ReadFile(Report()));
    ASSERT_EQ(report["errors"].size(), 1u);
    EXPECT_EQ(report["errors"][0]["title"], "Application Error");
    EXPECT_NE(report["errors"][0]["text"].get<std::string>().find("at line 154"), std::string::npos);
    EXPECT_EQ(report["exitCode"], 4);
}

// The report's name is a second name of another file: nothing is written
// through it, and the run says why and fails.
TEST_F(UnattendedRunTest, AReportNamedByAHardLinkIsNotWrittenThrough) {
    Plant();
    const std::string canary = folders_ / "the user's own.txt";
    Fixtures::WriteFile(canary, "kept as it is");
    ASSERT_TRUE(::CreateHardLinkA(Report().c_str(), canary.c_str(), nullptr));
    const Finished run = RunProgram("/preview /boxes:chkIETyped \"/report:" + Report() + "\"", Scratch());

    EXPECT_EQ(run.exitCode, 4u);
    EXPECT_EQ(FirstLine(run.errors), "The report could not be written to " + Report() + ": " + Report() +
                                         " is a link, a folder or a file with a second name: it was left as it is");
    EXPECT_EQ(Fixtures::ReadFile(canary), "kept as it is");
    EXPECT_FALSE(Fixtures::FileExists(Report() + ".vorlane-new"));
}

// A history log that is a second name of another file is not written; the
// run says so in the report and does not claim that nothing stayed behind.
TEST_F(UnattendedRunTest, ALogThatIsNotTheProgramsOwnFileIsLeftAloneAndSaid) {
    Plant();
    const std::string canary = folders_ / "not a log.txt";
    Fixtures::WriteFile(canary, "kept as it is");
    ASSERT_TRUE(::CreateHardLinkA(LogPath().c_str(), canary.c_str(), nullptr));
    const Finished run = RunProgram("/clean /boxes:chkIETyped \"/report:" + Report() + "\"", Scratch());

    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(Fixtures::ReadFile(canary), "kept as it is");
    EXPECT_EQ(TypedLeft(), 0);
    const nlohmann::json report = nlohmann::json::parse(Fixtures::ReadFile(Report()));
    const nlohmann::json said = {
        {"box", nullptr},
        {"browser", ""},
        {"what", LogPath()},
        {"why", "not the program's own file"},
    };
    EXPECT_EQ(report["leftAlone"], nlohmann::json::array({said}));
    EXPECT_EQ(report["totals"]["leftAlone"], 1);
}

namespace {

BOOL CALLBACK FirstLanguage(HMODULE, LPCSTR, LPCSTR, WORD found, LONG_PTR out) {
    *reinterpret_cast<WORD*>(out) = found;
    return FALSE;
}

// A copy of the program that does not ask for the UTF-8 code page: it runs in
// the system's own, 1252 in the test prefix, as on a Windows before 10 1903.
std::string LegacyCodePageCopy(const std::string& folder) {
    const std::string copy = folder + "\\Vorlane-1252.exe";
    EXPECT_TRUE(::CopyFileA((ProgramLocation::Folder() + "\\Vorlane.exe").c_str(), copy.c_str(), FALSE));
    std::string manifest;
    WORD language = 0;
    {
        const HMODULE module = ::LoadLibraryExA(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        const HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
        manifest.assign(static_cast<const char*>(::LockResource(::LoadResource(module, found))),
                        ::SizeofResource(module, found));
        ::EnumResourceLanguagesA(module, MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1), FirstLanguage,
                                 reinterpret_cast<LONG_PTR>(&language));
        ::FreeLibrary(module);
    }
    const std::size_t start = manifest.find("<activeCodePage");
    const std::size_t end = manifest.find("</activeCodePage>");
    EXPECT_NE(end, std::string::npos);
    manifest.erase(start, end + 17 - start);
    const HANDLE update = ::BeginUpdateResourceA(copy.c_str(), FALSE);
    EXPECT_TRUE(::UpdateResourceA(update, MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1), language, manifest.data(),
                                  static_cast<DWORD>(manifest.size())));
    EXPECT_TRUE(::EndUpdateResourceA(update, FALSE));
    return copy;
}

}  // namespace

// A site with a letter beyond ASCII, stored by the keep list's dialog or an
// administrator's "reg add", is kept on a Windows whose code page is 1252.
TEST_F(UnattendedRunTest, TheKeepListReadsAsWrittenInTheCodePage1252) {
    Plant();
    const Fixtures::RegistryKeySnapshot settings(HKEY_CURRENT_USER, SitesToKeepSetting::KeyPath);
    const wchar_t kept[] = L"b\u00FCcher.de\0";
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Pendrake\\Vorlane", L"SitesToKeep", REG_MULTI_SZ, kept,
                                sizeof(kept)),
              ERROR_SUCCESS);
    const std::string cookies = folders_ / "Cookies";
    Fixtures::WriteFile(cookies + "\\user@buecher.txt", "id\n1\nxn--bcher-kva.de/\n0\n0\n0\n0\n0\n*\n");
    Fixtures::WriteFile(cookies + "\\user@other.txt", "id\n1\nother.example/\n0\n0\n0\n0\n0\n*\n");

    const std::string copy = LegacyCodePageCopy(Scratch());
    const std::string line = "\"" + copy + "\" /clean /boxes:chkIECookies";
    STARTUPINFOA startup{sizeof(startup)};
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(::CreateProcessA(nullptr, std::string(line).data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &info));
    const UniqueKernelHandle process(info.hProcess), thread(info.hThread);
    EXPECT_EQ(WaitForEnd(process.Get()), 0u);

    EXPECT_TRUE(Fixtures::FileExists(cookies + "\\user@buecher.txt"));
    EXPECT_FALSE(Fixtures::FileExists(cookies + "\\user@other.txt"));
    EXPECT_EQ(Fixtures::ReadFile(LogPath()).find("names no site"), std::string::npos);
}

// The window goes on while a command-line run cleans: its next copy of the
// log holds the run's line. And a pass of the window waits, its messages
// running, while another holds the one-pass lock, then runs.
TEST_F(UnattendedRunTest, TheWindowSeesTheRunsLogLineAndWaitsForAPassThatHoldsTheLock) {
    Plant();
    Form1& form = CreateForm();
    const std::string status = form.Status();
    EXPECT_EQ(RunProgram("/clean /boxes:chkIETyped", Scratch()).exitCode, 0u);
    EXPECT_EQ(form.Status(), status);
    Click(IdPushButton2);  // Copy History To Clipboard
    ASSERT_TRUE(::OpenClipboard(nullptr));
    const HANDLE copied = ::GetClipboardData(CF_TEXT);
    const std::string clipboard = copied ? static_cast<const char*>(::GlobalLock(copied)) : "";
    if (copied) ::GlobalUnlock(copied);
    ::CloseClipboard();
    EXPECT_EQ(clipboard, Fixtures::ReadFile(LogPath()));
    EXPECT_EQ(clipboard.rfind(PassTexts::LogLinePrefix, 0), 0u);

    ::DeleteFileA(LogPath().c_str());
    std::atomic<bool> held{false};
    std::atomic<bool> tried{false};
    std::atomic<bool> sawWaiting{false};
    std::atomic<bool> logBeforeRelease{false};
    std::thread other([&] {
        const std::optional<PassLock> lock = PassLock::TryTake();
        held = lock.has_value();
        tried = true;
        const std::string waiting = PassLockTexts::Waiting;
        wchar_t text[128] = {};
        for (int i = 0; i < 2000 && held && !sawWaiting; ++i) {
            ::InternalGetWindowText(Control(form, IdFrame3), text, 128);
            sawWaiting = std::wstring(waiting.begin(), waiting.end()) == text;
            ::Sleep(5);
        }
        logBeforeRelease = Fixtures::FileExists(LogPath());
    });
    while (!tried) ::Sleep(1);
    if (!held) {
        other.join();
        FAIL() << "the lock could not be taken";
    }
    form.DeleteAll();
    other.join();
    EXPECT_TRUE(sawWaiting);
    EXPECT_FALSE(logBeforeRelease);
    EXPECT_TRUE(Fixtures::FileExists(LogPath()));
}

// The arguments as the program reads them, beyond the lines the program was
// started with above.
TEST(CommandLineTest, ArgumentsAreReadWindowsStyleAndEveryMistakeIsNamed) {
    using CommandLine::Mode;
    struct Case {
        std::vector<std::string> arguments;
        Mode mode;
        const char* error;
        int boxes;  // ticked boxes; -1: the remembered ones
    };
    const int all = static_cast<int>(CleaningBoxes::Count);
    const Case cases[] = {
        {{}, Mode::Window, "", -1},
        {{"/Preview"}, Mode::Preview, "", -1},
        {{"-clean", "/BOXES:ALL"}, Mode::Clean, "", all},
        {{"/clean", "/boxes: chkIEHist , chkcrcookies ,"}, Mode::Clean, "", 2},
        {{"/clean", "/boxes:chkIEHist,all"}, Mode::Clean, "", all},
        {{"/report:C:\\r.json", "/bogus", "/?"}, Mode::Help, "", -1},
        {{"/clean", "/boxes:"}, Mode::Window, "/boxes needs the boxes' names, separated by commas, or \"all\".", 0},
        {{"/clean", "/boxes"}, Mode::Window, "/boxes needs the boxes' names, separated by commas, or \"all\".", 0},
        {{"/clean", "/report:"}, Mode::Window, "/report needs a file: /report:<file>.", -1},
        {{"/clean", "/clean"}, Mode::Window, "/clean is given twice.", -1},
        {{"/clean:now"}, Mode::Window, "/clean takes no value.", -1},
        {{"/clean", "/preview"}, Mode::Window, "/clean and /preview cannot be given together.", -1},
        {{"/boxes:all"}, Mode::Window, "Nothing to do: give /clean or /preview.", all},
        {{"clean"}, Mode::Window, "Unknown argument \"clean\": switches begin with \"/\".", -1},
        {{"/"}, Mode::Window, "Unknown argument \"/\": switches begin with \"/\".", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        const CommandLine::Parsed parsed = CommandLine::Parse(c.arguments);
        EXPECT_EQ(parsed.error, c.error);
        if (!parsed.error.empty()) continue;
        EXPECT_EQ(parsed.request.mode, c.mode);
        const auto& boxes = parsed.request.boxes;
        EXPECT_EQ(boxes ? std::count(boxes->begin(), boxes->end(), true) : -1, c.boxes);
    }
    EXPECT_EQ(CommandLine::Parse({"/clean", "/report:C:\\my reports\\r.json"}).request.report,
              "C:\\my reports\\r.json");
}
