// The history log: one dated line per deletion pass in %TEMP%\history.txt.
#pragma once

#include <string>

namespace HistoryLog {

// %TEMP% + "\history.txt", with TEMP read anew on every call.
std::string LogPath();

// The current local date and time in the user's general date form:
// short date, a space, long time.
std::string GeneralDateNow();

// Appends `line` and CR LF to the log, creating it when missing. Raises a
// Failure when the file cannot be opened or written.
void AppendHistoryLog(const std::string& line);

}  // namespace HistoryLog
