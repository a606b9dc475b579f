#include "cleaning/DeletionPass.h"

#include "cleaning/HistoryLog.h"
#include "cleaning/SitesToKeepSetting.h"
#include "system/Failure.h"
#include "system/MessagePump.h"
#include "system/ScratchCopy.h"
#include "system/StepRunner.h"

#include <set>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

std::string PassTexts::Deleted(const TallyRow& total) {
    return std::to_string(total.files) + " file(s), " + SizeText(total.bytes) + " and " +
           std::to_string(total.rows + total.registryValues + total.cacheEntries) + " entries deleted";
}

std::string PassTexts::Kept(std::size_t sites) {
    return KeptPrefix + std::to_string(sites) + KeptSuffix;
}

namespace DeletionPass {
namespace {

// What the keep list's value held that is not used, named in the log once
// while the program runs: the same list must not add the same lines pass
// after pass.
std::vector<std::string> NewKeepListNotices(const std::vector<std::string>& notices) {
    static std::set<std::string> named;
    std::vector<std::string> fresh;
    for (const std::string& notice : notices)
        if (named.insert(notice).second) fresh.push_back(notice);
    return fresh;
}

// What the cleaners of one pass write: forwarded to the window; the notices of
// what was left alone kept (once each) for the history log; the files that
// could not be deleted counted, the first named.
class PassStatus : public StatusLine {
public:
    // `scope`, when not empty, is the one browser or profile the cleaners cover.
    PassStatus(PassWindow& window, bool previewing, std::string scope = "")
        : window_(window), previewing_(previewing), scope_(std::move(scope)) {}
    std::string Status() const override { return window_.Status(); }
    void SetStatus(const std::string& text) override { window_.SetStatus(text); }
    // A pass over many profiles may leave something alone in each: the set
    // finds a notice already kept without going through all of them.
    void LeaveAlone(const std::string& notice) override {
        window_.SetStatus(notice);
        tally_.LeftAlone(notice);
        if (kept_.insert(notice).second) notices_.push_back(notice);
    }
    // Shown at the screen's pace: a folder of thousands of held files must not
    // repaint the window once per file.
    void CouldNotDelete(const std::string& path) override {
        tally_.CouldNotDelete(path);
        if (failures_++ == 0) first_ = path;
        const double now = MessagePump::MonotonicSeconds();
        if (failures_ > 1 && now - shownAt_ < FrameSeconds) return;
        window_.SetStatus(PassTexts::CouldNotDelete(failures_, first_));
        shownAt_ = now;
    }

    void Kept(const std::string& site) override { tally_.Kept(site); }
    const SitesToKeep& Keeps() const override { return keep_.sites; }
    void LeftRunning(const RunningBrowser& browser) override { tally_.LeftRunning(browser); }
    bool Covers(const std::string& scope) const override { return scope_.empty() || scope == scope_; }

    bool Previewing() const override { return previewing_; }
    ScratchCopies* PreviewCopies() override { return previewing_ ? &copies_ : nullptr; }
    void InBrowser(const std::string& browser) override { tally_.InBrowser(browser); }
    void Deleted(TraceKind kind, std::int64_t count, std::int64_t bytes) override { tally_.Add(kind, count, bytes); }
    PassTally& Tally() { return tally_; }

    // The lines the log gets after the pass's own: with `counts`, what it deleted first.
    std::vector<std::string> LogLines(bool counts = true) const {
        std::vector<std::string> lines;
        if (counts) lines.push_back(PassTexts::Deleted(tally_.Total()));
        if (failures_ > 0) lines.push_back(PassTexts::CouldNotDelete(failures_, first_));
        if (const std::size_t kept = KeptSites(); kept > 0) lines.push_back(PassTexts::Kept(kept));
        lines.insert(lines.end(), notices_.begin(), notices_.end());
        const std::vector<std::string> keepList = NewKeepListNotices(keep_.notices);
        lines.insert(lines.end(), keepList.begin(), keepList.end());
        return lines;
    }

private:
    // How many sites of the keep list kept something, in every box and browser.
    std::size_t KeptSites() const {
        std::set<std::string> sites;
        for (const TallyRow& row : tally_.Rows()) sites.insert(row.keptSites.begin(), row.keptSites.end());
        return sites.size();
    }

    static constexpr double FrameSeconds = 0.020;
    PassWindow& window_;
    const bool previewing_;
    const std::string scope_;
    PassTally tally_;
    const SitesToKeepSetting::Stored keep_ = SitesToKeepSetting::Read();  // as it is when the pass begins
    // A preview's, removed with it; made at every pass, it first removes what killed runs left.
    ScratchCopies copies_;
    std::vector<std::string> notices_;  // in the order they came
    std::unordered_set<std::string> kept_;
    int failures_ = 0;
    std::string first_;
    double shownAt_ = 0.0;
};

// The last failure to write the log that was reported: automatic deletion
// must not pile up the same error box pass after pass.
std::string& LastLogFailure() {
    static std::string last;
    return last;
}

// Appends the pass's lines; what the status line says after the pass: ""
// or why the log was left alone.
std::string WriteLog(const std::vector<std::string>& lines) {
    try {
        const HistoryLog::Written written = HistoryLog::AppendHistoryLog(lines);
        LastLogFailure().clear();
        return written == HistoryLog::Written::NotOwnFile ? HistoryLog::LogPath() + HistoryLog::NotOwnFile : "";
    } catch (const Failure& failure) {
        const std::string seen = HistoryLog::LogPath() + "\n" + failure.Description();
        if (seen == LastLogFailure()) return "";
        LastLogFailure() = seen;
        throw;
    }
}

// The main window's status line, with the boxes as they were ticked at an
// earlier pass.
class TickedAtPass : public PassWindow {
public:
    TickedAtPass(PassWindow& window, const std::vector<bool>& ticked) : window_(window), ticked_(ticked) {}
    std::string Status() const override { return window_.Status(); }
    void SetStatus(const std::string& text) override { window_.SetStatus(text); }
    bool IsTicked(std::size_t box) const override { return box < ticked_.size() && ticked_[box]; }

private:
    PassWindow& window_;
    const std::vector<bool>& ticked_;
};

// Runs the cleaner of every ticked step on `status`.
void RunTickedSteps(PassWindow& window, const std::vector<Step>& steps, StepRunner& runner, PassStatus& status) {
    for (std::size_t box = 0; box < steps.size(); ++box) {
        const Step& step = steps[box];
        if (runner.If(step.line, [&] { return window.IsTicked(box); })) {
            runner.Run(step.line + 2, [&] { window.SetStatus(step.statusText); });
            status.Tally().Begin(box, step.browser);
            runner.Run(step.line + 4, [&] {
                if (step.cleaner) step.cleaner(status);
            });
        }
    }
}

}  // namespace

PassTally DeleteAll(PassWindow& window, const std::vector<Step>& steps) {
    StepRunner runner(Location::DeleteAll);
    PassStatus status(window, false);
    RunTickedSteps(window, steps, runner, status);
    // The pass's own line, then the count of what stayed and what was left alone.
    std::string afterPass;
    runner.Run(154, [&] {
        std::vector<std::string> lines{PassTexts::LogLinePrefix + HistoryLog::GeneralDateNow()};
        const std::vector<std::string> more = status.LogLines();
        lines.insert(lines.end(), more.begin(), more.end());
        afterPass = WriteLog(lines);
    });
    runner.Run(156, [&] { window.SetStatus(afterPass); });
    return status.Tally();
}

PassTally CleanAfterClose(PassWindow& window, const std::vector<Step>& steps, const std::vector<bool>& ticked,
                          const RunningBrowser& browser) {
    StepRunner runner(Location::CleanAfterClose);
    TickedAtPass tickedAtPass(window, ticked);
    PassStatus status(tickedAtPass, false, browser.scope);
    RunTickedSteps(tickedAtPass, steps, runner, status);
    // Started again before its clean: it was left whole once more and is
    // not said to be cleaned.
    if (!status.Tally().Running().empty()) return status.Tally();
    // Said to be cleaned only when something went; what was left alone is
    // said either way.
    runner.Run(154, [&] {
        std::vector<std::string> lines;
        const bool cleaned = status.Tally().Total().Items() > 0;
        if (cleaned) lines.push_back(browser.name + PassTexts::CleanedAfterClose + HistoryLog::GeneralDateNow());
        const std::vector<std::string> more = status.LogLines(cleaned);
        lines.insert(lines.end(), more.begin(), more.end());
        if (!lines.empty()) WriteLog(lines);
    });
    return status.Tally();
}

PassTally Preview(PassWindow& window, const std::vector<Step>& steps) {
    StepRunner runner(Location::Preview);
    PassStatus status(window, true);
    RunTickedSteps(window, steps, runner, status);
    window.SetStatus("");
    return status.Tally();
}

}  // namespace DeletionPass
