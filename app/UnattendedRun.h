// A run without a window, as the command line asks for it: one pass or one
// preview over the remembered or the chosen boxes, a summary line for a
// person, a JSON report for a script, and an exit code.
#pragma once

#include "app/CleaningBoxes.h"
#include "app/RunReport.h"

#include <string>
#include <vector>

namespace UnattendedRun {

enum ExitCode : int {
    Done = 0,          // and nothing was left behind
    LeftBehind = 1,    // done, but something was left alone or could not be deleted
    BadArguments = 2,  // the usage was printed
    AnotherPass = 3,   // another pass (the window's or another run's) holds the one-pass lock
    Failed = 4,        // the run failed: an error report, no lock, or no report written
};

namespace Texts {
inline constexpr char NothingTicked[] = "No box is ticked: nothing was done.";
inline constexpr char AnotherPassRuns[] = "Another Vorlane pass is running: nothing was done.";
inline constexpr char RunFailed[] = "The run failed: ";
inline constexpr char ReportNotWritten[] = "The report could not be written to ";
// "The report was not written: <path> is not a Vorlane report" (ReportTarget says why).
inline constexpr char ReportRefused[] = "The report was not written: ";
}  // namespace Texts

// Runs what `arguments` (the program's, without its name) ask for; never
// creates a window or waits for a person. Answers the exit code.
int Run(const std::vector<std::string>& arguments, const Cleaners& cleaners = RealCleaners());

// The summary line of a clean or a preview.
std::string Summary(const RunRecord& record);

}  // namespace UnattendedRun
