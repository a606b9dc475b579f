// The three buttons of the history log: view it in Notepad, copy it to the
// clipboard, and delete it after asking.
#pragma once

#include "cleaning/StatusLine.h"

#include <windows.h>

namespace HistoryLogCommands {

inline constexpr char NoHistory[] =
    "There isn't a history to view because actions have not been performed yet.";
inline constexpr char ClearQuestion[] = "Are you sure you want to delete the history log and start over?";

// Opens the log in Notepad, or says there is none yet.
void View();

// Puts the log on the clipboard as one Unicode block owned by `owner`; a log
// that cannot be read leaves the clipboard as it was.
void CopyToClipboard(HWND owner);

// Deletes the log once the user says yes; a log that is not the program's own
// file stays, and the status line says so.
void Clear(StatusLine& status);

}  // namespace HistoryLogCommands
