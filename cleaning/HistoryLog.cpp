#include "cleaning/HistoryLog.h"

#include "cleaning/FolderFileDeleter.h"
#include "cleaning/TargetCheck.h"
#include "system/FileGuard.h"
#include "system/Failure.h"
#include "system/Path.h"
#include "system/UniqueHandle.h"

#include <windows.h>

#include <optional>
#include <vector>

namespace HistoryLog {

namespace {

// TEMP without a trailing backslash (a drive root keeps its one).
std::string Temp() {
    const DWORD needed = ::GetEnvironmentVariableW(L"TEMP", nullptr, 0);
    if (needed == 0) return "";
    std::wstring buffer(needed, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(L"TEMP", buffer.data(), needed);
    if (length == 0 || length >= needed) return "";
    return Path::WithoutBackslash(Path::FromSystem(std::wstring_view(buffer.data(), length)));
}

// Where the log may be: TEMP, a full path of an existing folder, as it is
// and where it really leads. Raises a Failure for any other TEMP.
std::pair<std::string, std::string> LogFolder() {
    const std::string temp = Temp();
    const bool fullPath = (temp.size() >= 3 && temp[1] == ':' && temp[2] == '\\') ||
                          (temp.size() > 2 && temp[0] == '\\' && temp[1] == '\\');
    if (!fullPath) throw Failure::FromWin32(ERROR_BAD_PATHNAME);
    const DWORD attributes = Path::Attributes(temp);
    if (attributes == INVALID_FILE_ATTRIBUTES) throw Failure::FromLastError();
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) throw Failure::FromWin32(ERROR_DIRECTORY);
    const std::string resolved = FileGuard::ResolvedPath(temp);
    if (resolved.empty()) throw Failure::FromWin32(ERROR_PATH_NOT_FOUND);
    return {temp, resolved};
}

}  // namespace

// An unset TEMP leaves the log in the root of the current drive.
std::string LogPath() {
    const std::string temp = Temp();
    return Path::Join(temp.empty() ? "\\" : temp, LogName);
}

std::string GeneralDateNow() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char date[128] = {};
    char time[128] = {};
    ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, sizeof(date));
    ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, sizeof(time));
    return std::string(date) + " " + time;
}

Written AppendHistoryLog(const std::vector<std::string>& lines) {
    const auto [folder, resolved] = LogFolder();
    QuietStatus silent;
    const FolderFileDeleter here(folder, resolved, FolderFileDeleter::Attributes::KeepReadOnly, silent);
    const UniqueFile file = here.OpenHere(LogName, FILE_APPEND_DATA, true);
    if (!file) {
        if (Path::Exists(Path::Join(folder, LogName)) && !here.IsPlainFileHere(LogName)) return Written::NotOwnFile;
        throw Failure::FromLastError();
    }
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    DWORD written = 0;
    if (!::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size())
        throw Failure::FromLastError();
    return Written::Appended;
}

Deleted DeleteHistoryLog() {
    const auto [folder, resolved] = LogFolder();
    QuietStatus silent;
    const FolderFileDeleter here(folder, resolved, FolderFileDeleter::Attributes::MakeArchiveOnly, silent);
    switch (here.Delete(LogName)) {
    case FolderFileDeleter::Outcome::Deleted: return Deleted::Deleted;
    case FolderFileDeleter::Outcome::Gone: return Deleted::Gone;
    case FolderFileDeleter::Outcome::Refused: return Deleted::NotOwnFile;
    case FolderFileDeleter::Outcome::Failed: break;
    }
    return Deleted::Failed;
}

}  // namespace HistoryLog
