// The JSON report of a run without a window: what an administrator's scripts
// read. Its fields are listed in README ("Managed use") and stay stable: new
// ones may come, none changes its meaning.
#pragma once

#include "cleaning/PassTally.h"

#include <string>
#include <vector>

struct ReportedError {
    std::string title;
    std::string text;  // the step-numbered report, as the window would show it
};

struct RunRecord {
    std::string kind;  // "clean" or "preview"
    bool boxesFromSettings = true;
    std::vector<bool> ticked;  // by the boxes' index
    std::string started;       // LocalTimeNow()
    std::string ended;
    int exitCode = 0;
    std::string summary;     // the summary line the run printed
    std::string historyLog;  // the log a clean wrote to; "" for a preview
    PassTally tally;
    // "<what> was left alone: <why>" said outside the tally (the log itself).
    std::vector<std::string> notices;
    std::vector<ReportedError> errors;

    // The rows of what was left alone, and the notices.
    std::size_t LeftAlone() const;
};

namespace RunReport {

// Now, in local time with its offset from UTC: "2026-03-01T22:15:07+01:00".
std::string LocalTimeNow();

// The program's version from its version resource ("1.0.0.0").
std::string ProgramVersion();

// The report's text: UTF-8 JSON, two spaces of indentation.
std::string Build(const RunRecord& record);

// Writes the report to `path` (a full path) through a new file that then takes
// its name. Raises a Failure that says why when it cannot.
void Write(const std::string& path, const std::string& json);

}  // namespace RunReport
