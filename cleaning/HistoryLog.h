// The history log: one dated line per deletion pass in %TEMP%\history.txt, in
// the program's encoding (UTF-8 on today's Windows). The log is the program's
// own file: it is written and deleted only when it is a plain file directly
// in TEMP, never through a link that stands there.
#pragma once

#include "cleaning/StatusLine.h"

#include <string>
#include <vector>

namespace HistoryLog {

inline constexpr char LogName[] = "history.txt";
// Said after the log's path when a link or a folder stands in its place.
inline constexpr char NotOwnFile[] = " was left alone: not the program's own file";

// %TEMP% + "\history.txt", with TEMP read anew on every call.
std::string LogPath();

// The current local date and time in the user's general date form:
// short date, a space, long time.
std::string GeneralDateNow();

enum class Written {
    Appended,
    NotOwnFile
};

// Appends each line and CR LF to the log, creating it when missing; writes
// nothing when the log is not the program's own file. Raises a Failure when
// TEMP cannot hold the log (not set, not a full path, not a folder) or the log
// cannot be written.
Written AppendHistoryLog(const std::vector<std::string>& lines);
inline Written AppendHistoryLog(const std::string& line) { return AppendHistoryLog(std::vector<std::string>{line}); }

enum class Deleted {
    Deleted,
    Gone,
    NotOwnFile,
    Failed
};

// Deletes the log when it is the program's own file.
Deleted DeleteHistoryLog();

}  // namespace HistoryLog
