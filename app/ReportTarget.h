// Where a command-line run may write its JSON report: a name that is not
// there yet, or that holds an earlier report of this program, and never
// inside a browser's data folders. A mistyped /report: path must not replace
// a browser's settings, a database, the history log or a system file.
#pragma once

#include <optional>
#include <string>

namespace ReportTarget {

inline constexpr char NotReport[] = " is not a Vorlane report";
inline constexpr char InBrowserData[] = " is inside a browser's data folder";
inline constexpr char Device[] = " is a device, not a file";

// Why the report may not be written to `path` (a full path; `given` as the
// user wrote it, for a device's name), as the rest of a sentence that begins
// with the path: " is not a Vorlane report", ...; nothing when it may.
std::optional<std::string> Refusal(const std::string& path, const std::string& given);

}  // namespace ReportTarget
