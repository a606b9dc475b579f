#include "cleaning/HistoryLog.h"

#include "system/Failure.h"
#include "system/UniqueHandle.h"

#include <windows.h>
#include <vector>

namespace HistoryLog {

std::string LogPath() {
    std::string temp;
    const DWORD needed = ::GetEnvironmentVariableA("TEMP", nullptr, 0);
    if (needed > 0) {
        std::vector<char> buffer(needed);
        const DWORD length = ::GetEnvironmentVariableA("TEMP", buffer.data(), needed);
        if (length > 0 && length < needed) temp.assign(buffer.data(), length);
    }
    return temp + "\\history.txt";
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

void AppendHistoryLog(const std::string& line) {
    UniqueFile file(::CreateFileA(LogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw Failure::FromLastError();
    const std::string text = line + "\r\n";
    DWORD written = 0;
    if (!::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size())
        throw Failure::FromLastError();
}

}  // namespace HistoryLog
