#include "app/HistoryLogCommands.h"

#include "app/Location.h"
#include "app/Main.h"
#include "cleaning/HistoryLog.h"
#include "system/Clipboard.h"
#include "system/Path.h"
#include "system/Seams.h"
#include "system/StepRunner.h"

#include <optional>
#include <string>
#include <utility>

namespace HistoryLogCommands {

void View() {
    StepRunner steps(Location::PushButton1_Click);
    const std::string log = HistoryLog::LogPath();
    if (steps.If(100, [&] { return Path::Exists(log); })) {
        steps.Run(102, [&] { Seams::Current().StartProcess("notepad \"" + log + "\"", SW_SHOWNORMAL); });
    } else {
        steps.Run(104, [] { Seams::Current().ShowMessage(NoHistory, Main::AppTitle(), MB_OK); });
    }
}

// Straight from the file: no text box in between, so a log of any size copies
// in about the time it takes to read.
void CopyToClipboard(HWND owner) {
    StepRunner steps(Location::PushButton2_Click);
    const std::string log = HistoryLog::LogPath();
    if (steps.If(100, [&] { return Path::Exists(log); })) {
        UniqueGlobal text;
        std::optional<Clipboard> clipboard;
        steps.Run(102, [&] { text = Clipboard::ReadFileAsText(log); });
        steps.Run(104, [&] {
            if (text) clipboard.emplace(owner);
        });
        steps.Run(106, [&] {
            if (clipboard) clipboard->Empty();
        });
        steps.Run(108, [&] {
            if (clipboard) clipboard->PutText(std::move(text));
        });
    }
}

void Clear(StatusLine& status) {
    StepRunner steps(Location::PushButton3_Click);
    if (steps.If(100, [] {
            return Seams::Current().ShowMessage(ClearQuestion, Main::AppTitle(), MB_YESNO) == IDYES;
        })) {
        steps.Run(102, [&] {
            if (HistoryLog::DeleteHistoryLog() == HistoryLog::Deleted::NotOwnFile)
                status.SetStatus(HistoryLog::LogPath() + HistoryLog::NotOwnFile);
        });
    }
}

}  // namespace HistoryLogCommands
