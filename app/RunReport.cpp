#include "app/RunReport.h"

#include "app/CleaningBoxes.h"
#include "app/MakerInfo.h"
#include "system/FileGuard.h"
#include "system/Path.h"
#include "system/ProgramLocation.h"

#include <windows.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <vector>

std::size_t RunRecord::LeftAlone() const {
    std::size_t count = notices.size();
    for (const TallyRow& row : tally.Rows()) count += row.leftAlone.empty() ? 0 : 1;
    return count;
}

namespace RunReport {
namespace {

using Json = nlohmann::ordered_json;

constexpr char LeftAlonePrefix[] = "left alone: ";

constexpr char LeftAloneMark[] = " was left alone: ";

std::string ComputerName() {
    return Path::FromSystemCall([](wchar_t* buffer, DWORD room) {
        DWORD size = room;
        if (::GetComputerNameW(buffer, &size)) return size;
        return ::GetLastError() == ERROR_BUFFER_OVERFLOW ? size : 0;
    });
}

std::string UserName() {
    return Path::FromSystemCall([](wchar_t* buffer, DWORD room) {
        DWORD size = room;
        if (::GetUserNameW(buffer, &size)) return size - 1;  // counted with its final null
        return ::GetLastError() == ERROR_INSUFFICIENT_BUFFER ? size : 0;
    });
}

Json Counts(const TallyRow& row) {
    return Json{
        {"items", row.Items()},
        {"files", row.files},
        {"bytes", row.bytes},
        {"rows", row.rows},
        {"registryValues", row.registryValues},
        {"cacheEntries", row.cacheEntries},
    };
}

Json Result(const TallyRow& row) {
    Json result{{"box", CleaningBoxes::Rows[row.box].name},
                {"caption", CleaningBoxes::Rows[row.box].caption},
                {"browser", row.browser}};
    result.update(Counts(row));
    result["notDeleted"] = row.notDeleted;
    result["firstNotDeleted"] = row.notDeleted > 0 ? Json(row.firstNotDeleted) : Json(nullptr);
    result["keptSites"] = row.keptSites;
    return result;
}

Json LeftAlone(const Json& box, const std::string& browser, const std::string& what, const std::string& why) {
    return Json{{"box", box}, {"browser", browser}, {"what", what}, {"why", why}};
}

// A row of what stays: its reason follows "left alone: ".
Json LeftAlone(const TallyRow& row) {
    const bool marked = row.leftAlone.rfind(LeftAlonePrefix, 0) == 0;
    const std::string why = marked ? row.leftAlone.substr(std::size(LeftAlonePrefix) - 1) : row.leftAlone;
    return LeftAlone(CleaningBoxes::Rows[row.box].name, row.browser, row.where.empty() ? row.browser : row.where, why);
}

Json LeftAlone(const std::string& notice) {
    const std::size_t mark = notice.find(LeftAloneMark);
    if (mark == std::string::npos) return LeftAlone(nullptr, "", notice, "");
    return LeftAlone(nullptr, "", notice.substr(0, mark), notice.substr(mark + std::size(LeftAloneMark) - 1));
}

Json Totals(const RunRecord& record) {
    Json totals = Counts(record.tally.Total());
    totals["leftAlone"] = record.LeftAlone();
    totals["notDeleted"] = record.tally.Total().notDeleted;
    return totals;
}

}  // namespace

std::string LocalTimeNow() {
    SYSTEMTIME utc;
    SYSTEMTIME local;
    ::GetSystemTime(&utc);
    if (!::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
    FILETIME utcTime;
    FILETIME localTime;
    ::SystemTimeToFileTime(&utc, &utcTime);
    ::SystemTimeToFileTime(&local, &localTime);
    const auto ticks = [](const FILETIME& t) {
        return static_cast<long long>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    const long long minutes = (ticks(localTime) - ticks(utcTime)) / (60LL * 10000000LL);
    char text[40];
    std::snprintf(text, sizeof(text), "%04u-%02u-%02uT%02u:%02u:%02u%c%02lld:%02lld", local.wYear, local.wMonth,
                  local.wDay, local.wHour, local.wMinute, local.wSecond, minutes < 0 ? '-' : '+',
                  std::llabs(minutes) / 60, std::llabs(minutes) % 60);
    return text;
}

std::string ProgramVersion() {
    const std::wstring program = Path::ForSystem(ProgramLocation::ExePath());
    DWORD ignored = 0;
    std::vector<BYTE> block(::GetFileVersionInfoSizeW(program.c_str(), &ignored));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    if (block.empty() || !::GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) ||
        !::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &size) || size < sizeof(*fixed))
        return "";
    return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) +
           "." + std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionLS));
}

std::string Build(const RunRecord& record) {
    Json boxes = Json::array();
    for (std::size_t box = 0; box < record.ticked.size(); ++box)
        if (record.ticked[box]) boxes.push_back(CleaningBoxes::Rows[box].name);
    Json results = Json::array();
    Json leftAlone = Json::array();
    for (const TallyRow& row : record.tally.Rows()) {
        if (row.leftAlone.empty())
            results.push_back(Result(row));
        else
            leftAlone.push_back(LeftAlone(row));
    }
    for (const std::string& notice : record.notices) leftAlone.push_back(LeftAlone(notice));
    Json errors = Json::array();
    for (const ReportedError& error : record.errors) errors.push_back({{"title", error.title}, {"text", error.text}});

    const Json report{
        {"program", MakerInfo::ProductTitle},
        {"version", ProgramVersion()},
        {"computer", ComputerName()},
        {"user", UserName()},
        {"kind", record.kind},
        {"boxesFrom", record.boxesFromSettings ? "settings" : "arguments"},
        {"boxes", boxes},
        {"started", record.started},
        {"ended", record.ended},
        {"exitCode", record.exitCode},
        {"summary", record.summary},
        {"historyLog", record.historyLog.empty() ? Json(nullptr) : Json(record.historyLog)},
        {"totals", Totals(record)},
        {"results", results},
        {"leftAlone", leftAlone},
        {"errors", errors},
    };
    // A name the system gave that is not valid UTF-16 becomes U+FFFD, not a failure.
    return report.dump(2, ' ', false, Json::error_handler_t::replace) + "\r\n";
}

void Write(const std::string& path, const std::string& json) { FileGuard::WriteWholeFile(path, json); }

}  // namespace RunReport
