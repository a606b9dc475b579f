#include "app/ReportTarget.h"

#include "app/MakerInfo.h"
#include "chromium/Chromium.h"
#include "cleaning/TargetCheck.h"
#include "firefox/Firefox.h"
#include "system/Failure.h"
#include "system/FileGuard.h"
#include "system/JsonText.h"
#include "system/Path.h"
#include "system/ShellFolders.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace ReportTarget {
namespace {

// An earlier report is far below this.
constexpr std::size_t LargestReport = 64u << 20;

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// "NUL", "con.json", "COM1", "\\.\pipe\x": names Windows gives a device in any
// folder, whatever follows a dot.
bool IsDevice(const std::string& path, const std::string& given) {
    if (path.rfind("\\\\.\\", 0) == 0) return true;
    std::string name = given.substr(given.find_last_of("\\/:") == std::string::npos ? 0 : given.find_last_of("\\/:") + 1);
    name = Upper(name.substr(0, name.find('.')));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    static const char* const Names[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    if (std::any_of(std::begin(Names), std::end(Names), [&](const char* device) { return name == device; })) return true;
    return name.size() == 4 && (name.rfind("COM", 0) == 0 || name.rfind("LPT", 0) == 0) && std::isdigit(static_cast<unsigned char>(name[3]));
}

// Every folder a browser keeps its data in, as named and as resolved.
std::vector<std::string> BrowserDataFolders() {
    const std::string roaming = ShellFolders::Read(ShellFolders::AppData).value_or("");
    const std::string local = ShellFolders::Read(ShellFolders::LocalAppData).value_or("");
    std::vector<std::string> folders;
    const auto add = [&](const std::string& base, const char* below) {
        if (!base.empty()) folders.push_back(Path::Join(base, below));
    };
    for (const FirefoxNames::FirefoxPlace& place : FirefoxNames::Browsers) {
        add(roaming, place.folder);
        add(local, place.folder);
    }
    for (const ChromiumNames::BrowserPlace& place : ChromiumNames::Browsers) {
        add(local, place.folder);
        if (place.layout == ChromiumNames::Layout::RoamingProfile) add(roaming, place.folder);
    }
    for (const char* shellFolder : {ShellFolders::Cookies, ShellFolders::Cache, ShellFolders::History})
        if (const std::optional<std::string> folder = ShellFolders::Read(shellFolder)) folders.push_back(*folder);
    const std::size_t named = folders.size();
    for (std::size_t i = 0; i < named; ++i)
        if (const std::string resolved = FileGuard::ResolvedPath(folders[i]); !resolved.empty()) folders.push_back(resolved);
    return folders;
}

bool InBrowserDataFolder(const std::string& folder) {
    const std::string places[] = {folder, FileGuard::ResolvedPath(folder)};
    for (const std::string& browser : BrowserDataFolders())
        for (const std::string& place : places)
            if (!place.empty() && (TargetCheck::SamePath(place, browser) || TargetCheck::IsInside(place, browser)))
                return true;
    return false;
}

// Whether the file holds a report this program wrote: JSON whose "program" is ours.
bool IsEarlierReport(const std::string& path) {
    try {
        const nlohmann::json report = JsonText::Parse(Path::ReadAll(path, LargestReport));
        const auto program = report.is_object() ? report.find("program") : report.end();
        return program != report.end() && program->is_string() && *program == MakerInfo::ProductTitle;
    } catch (const Failure&) {
        return false;
    }
}

}  // namespace

std::optional<std::string> Refusal(const std::string& path, const std::string& given) {
    if (IsDevice(path, given)) return Device;
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string::npos) return NotReport;
    const std::string folder = Path::WithoutBackslash(path.substr(0, slash + 1));
    switch (FileGuard::Folder(folder).Check(path.substr(slash + 1))) {
    case FileGuard::Kind::Missing:
    case FileGuard::Kind::Foreign: break;  // writing refuses a foreign name, and says why
    case FileGuard::Kind::Own:
    case FileGuard::Kind::Failed:
        if (!IsEarlierReport(path)) return NotReport;
        break;
    }
    if (InBrowserDataFolder(folder)) return InBrowserData;
    return std::nullopt;
}

}  // namespace ReportTarget
