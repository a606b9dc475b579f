#include "app/UnattendedRun.h"

#include "app/CommandLine.h"
#include "app/PassLock.h"
#include "app/ReportTarget.h"
#include "app/RunReport.h"
#include "app/UnattendedPlatform.h"
#include "cleaning/HistoryLog.h"
#include "system/ConsoleOutput.h"
#include "system/ErrorReport.h"
#include "system/Failure.h"
#include "system/Path.h"

#include <windows.h>

#include <algorithm>
#include <optional>

namespace UnattendedRun {
namespace {

using ConsoleOutput::Stream;

// The status line of a pass without a window: kept, shown nowhere; the
// boxes ticked as the run chose them.
class UnattendedWindow final : public PassWindow {
public:
    explicit UnattendedWindow(const std::vector<bool>& ticked) : ticked_(ticked) {}
    std::string Status() const override { return status_; }
    void SetStatus(const std::string& text) override { status_ = text; }
    bool IsTicked(std::size_t box) const override { return box < ticked_.size() && ticked_[box]; }

private:
    const std::vector<bool>& ticked_;
    std::string status_;
};

// A message's text on one line, for standard error.
std::string OneLine(const std::string& text) {
    std::string line;
    for (const char c : text) {
        if (c == '\r' || c == '\n') {
            if (!line.empty() && line.back() != ' ') line += ' ';
        } else {
            line += c;
        }
    }
    return line;
}

// A relative path is taken from the current folder (System32 for a
// scheduled task that names no other).
std::string FullPath(const std::string& path) {
    const std::wstring given = Path::ForSystem(path);
    if (given.rfind(L"\\\\?\\", 0) == 0) return path;  // fully qualified already
    const std::string full = Path::FromSystemCall([&](wchar_t* buffer, DWORD room) {
        return ::GetFullPathNameW(given.c_str(), room, buffer, nullptr);
    });
    return full.empty() ? path : full;
}

class Session {
public:
    Session(const CommandLine::Request& request, const Cleaners& cleaners)
        : request_(request), steps_(CleaningBoxes::PassSteps(cleaners)) {
        record_.kind = Preview() ? "preview" : "clean";
        record_.boxesFromSettings = !request.boxes.has_value();
        record_.ticked = request.boxes ? *request.boxes : CleaningBoxes::RememberedTicks();
        record_.started = RunReport::LocalTimeNow();
    }

    int Go() {
        // A report that may not be written leaves everything as it is: the
        // run that asked for it is misconfigured, and says so at once.
        if (!ReportAllowed()) return Failed;
        const UnattendedPlatform platform([this](const std::string& title, const std::string& text) {
            record_.errors.push_back({title, text});
            ConsoleOutput::WriteLine(Stream::Error, OneLine(title + ": " + text));
        });
        const int passed = PassUnderLock();
        record_.ended = RunReport::LocalTimeNow();
        record_.exitCode = passed;
        ConsoleOutput::WriteLine(Stream::Output, record_.summary);
        return WriteReport() ? passed : Failed;
    }

private:
    bool Preview() const { return request_.mode == CommandLine::Mode::Preview; }

    int PassUnderLock() {
        // Nothing to do is no pass: no log line says history was deleted.
        if (std::none_of(record_.ticked.begin(), record_.ticked.end(), [](bool ticked) { return ticked; })) {
            record_.summary = Texts::NothingTicked;
            return Done;
        }
        try {
            const std::optional<PassLock> lock = PassLock::TryTake();
            if (!lock) {
                record_.summary = Texts::AnotherPassRuns;
                return AnotherPass;
            }
            Pass();
        } catch (const Failure& failure) {  // no lock to be had
            record_.summary = Texts::RunFailed + failure.Description();
            return Failed;
        }
        record_.summary = Summary(record_);
        return Outcome();
    }

    void Pass() {
        UnattendedWindow window(record_.ticked);
        try {
            if (Preview()) {
                record_.tally = DeletionPass::Preview(window, steps_);
            } else {
                record_.historyLog = HistoryLog::LogPath();
                record_.tally = DeletionPass::DeleteAll(window, steps_);
                // What the pass said last: why the log was left alone, if it was.
                if (!window.Status().empty()) record_.notices.push_back(window.Status());
            }
        } catch (...) {
            Seams::Current().ShowMessage(CurrentFailure().Description(), ErrorReport::Title, MB_OK);
        }
    }

    int Outcome() const {
        if (!record_.errors.empty()) return Failed;
        return record_.LeftAlone() > 0 || record_.tally.Total().notDeleted > 0 ? LeftBehind : Done;
    }

    // Whether the report may go where the request names; said when it may not.
    bool ReportAllowed() const {
        if (request_.report.empty()) return true;
        const std::string path = FullPath(request_.report);
        const std::optional<std::string> refusal = ReportTarget::Refusal(path, request_.report);
        if (!refusal) return true;
        const std::string& named = *refusal == ReportTarget::Device ? request_.report : path;
        ConsoleOutput::WriteLine(Stream::Error, Texts::ReportRefused + named + *refusal);
        return false;
    }

    bool WriteReport() {
        if (request_.report.empty()) return true;
        // Checked again: the pass itself may have made the name (the history log).
        if (!ReportAllowed()) return false;
        const std::string path = FullPath(request_.report);
        try {
            RunReport::Write(path, RunReport::Build(record_));
            return true;
        } catch (const Failure& failure) {
            ConsoleOutput::WriteLine(Stream::Error, Texts::ReportNotWritten + path + ": " + failure.Description());
            return false;
        }
    }

    const CommandLine::Request& request_;
    const std::vector<DeletionPass::Step> steps_;
    RunRecord record_;
};

std::string Counted(std::int64_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string Summary(const RunRecord& record) {
    const bool preview = record.kind == "preview";
    const TallyRow total = record.tally.Total();
    const std::size_t errors = record.errors.size();
    std::string line = std::string(preview ? "Preview: " : "Cleaned: ") + Counted(total.Items(), "item", "items") +
                       (preview ? " would be deleted" : " deleted") + " (" + Counted(total.files, "file", "files") +
                       " of " + Counted(total.bytes, "byte", "bytes") + ", " + Counted(total.rows, "row", "rows") +
                       ", " + Counted(total.registryValues, "registry value", "registry values") + ", " +
                       Counted(total.cacheEntries, "cache entry", "cache entries") + "); " +
                       std::to_string(record.LeftAlone()) + (preview ? " would be left alone; " : " left alone; ") +
                       Counted(total.notDeleted, "file", "files") + " could not be deleted";
    if (errors > 0) line += "; " + Counted(static_cast<std::int64_t>(errors), "error", "errors");
    return line + ".";
}

int Run(const std::vector<std::string>& arguments, const Cleaners& cleaners) {
    const CommandLine::Parsed parsed = CommandLine::Parse(arguments);
    if (!parsed.error.empty()) {
        ConsoleOutput::WriteLine(Stream::Error, parsed.error);
        ConsoleOutput::WriteLine(Stream::Error, CommandLine::Usage());
        return BadArguments;
    }
    if (parsed.request.mode == CommandLine::Mode::Help) {
        ConsoleOutput::WriteLine(Stream::Output, CommandLine::Usage());
        return Done;
    }
    try {
        return Session(parsed.request, cleaners).Go();
    } catch (...) {
        ConsoleOutput::WriteLine(Stream::Error, Texts::RunFailed + CurrentFailure().Description());
        return Failed;
    }
}

}  // namespace UnattendedRun
