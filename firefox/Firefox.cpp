#include "firefox/Firefox.h"

#include "firefox/INI.h"
#include "system/Registry1.h"
#include "system/UniqueHandle.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// "X:\..." or "\\server\...": a path that does not depend on the current drive
// or folder. Anything else would make the profile lookup (and the deletions
// after it) land wherever the program happens to run.
bool IsFullyQualified(const std::string& path) {
    if (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
        IsSeparator(path[2]))
        return true;
    return path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2]);
}

std::string Upper(std::string text) {
    if (!text.empty()) ::CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// "*" matches any run of characters, "?" any one; case is ignored as Windows
// ignores it in file names. "*.*" matches every name, with or without a dot.
bool NameMatches(const std::string& name, const std::string& pattern) {
    if (pattern == FirefoxNames::AllFiles) return true;
    const std::string n = Upper(name);
    const std::string p = Upper(pattern);
    std::size_t i = 0, j = 0;
    std::size_t star = std::string::npos, resume = 0;
    while (i < n.size()) {
        if (j < p.size() && (p[j] == '?' || p[j] == n[i])) {
            ++i;
            ++j;
        } else if (j < p.size() && p[j] == '*') {
            star = j++;
            resume = i;
        } else if (star != std::string::npos) {
            j = star + 1;
            i = ++resume;
        } else {
            return false;
        }
    }
    while (j < p.size() && p[j] == '*') ++j;
    return j == p.size();
}

// One file, ignoring every failure. Folders are never removed (DeleteFileA
// refuses them), and a read-only file stays as a file in use does.
void DeleteOneFile(const std::string& path) { ::DeleteFileA(path.c_str()); }

bool IsGone(const std::string& path) {
    if (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// An SQLite database with its write-ahead log, shared-memory index and rollback
// journal: a stale log left beside a fresh database corrupts it. While the
// database itself stays (in use, read-only), its companions stay too, since
// they may hold changes that the database still needs.
void DeleteDatabase(const std::string& path) {
    DeleteOneFile(path);
    if (!IsGone(path)) return;
    for (const char* suffix : {"-wal", "-shm", "-journal"}) DeleteOneFile(path + suffix);
}

// Every file directly in `folder` whose name matches `pattern`; one that cannot
// be deleted does not stop the others. Subfolders are neither removed nor entered.
void DeleteMatchingFiles(const std::string& folder, const std::string& pattern) {
    WIN32_FIND_DATAA data;
    UniqueFind find(::FindFirstFileA((folder + "\\*").c_str(), &data));
    if (!find) return;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (NameMatches(data.cFileName, pattern)) DeleteOneFile(folder + "\\" + data.cFileName);
    } while (::FindNextFileA(find.Get(), &data));
}

}  // namespace

Firefox::Firefox() {
    GetFireFoxPath();
    if (!profile_) return;  // no profile: the paths stay empty and name nothing
    cachePath_ = *profile_ + FirefoxNames::Cache;
    historyDatPath_ = *profile_ + FirefoxNames::HistoryDat;
    cookiesTxtPath_ = *profile_ + FirefoxNames::CookiesTxt;
}

std::string Firefox::GetFireFoxPath() {
    profile_.reset();
    const std::string appData =
        Registry1::ReadRegString(HKEY_CURRENT_USER, FirefoxNames::ShellFoldersKey, FirefoxNames::AppDataValue, "");
    if (!IsFullyQualified(appData)) return "";

    const std::string firefoxFolder = appData + FirefoxNames::FirefoxFolder;
    const INI ini;
    const std::optional<std::string> relative =
        ini.GetFromINI(firefoxFolder + FirefoxNames::ProfilesIni, FirefoxNames::ProfileSection, FirefoxNames::PathKey);
    if (!relative) return "";

    std::string path = firefoxFolder + "\\" + *relative;
    std::replace(path.begin(), path.end(), '/', '\\');
    profile_ = path;
    return path;
}

void Firefox::Delete_TypedUrls() const {
    if (!profile_) return;
    DeleteDatabase(*profile_ + FirefoxNames::PlacesSqlite);
}

void Firefox::Delete_History() const {
    if (!profile_) return;
    DeleteOneFile(historyDatPath_);
    DeleteDatabase(*profile_ + FirefoxNames::FormHistorySqlite);
}

void Firefox::Delete_Downloads() const {
    if (!profile_) return;
    DeleteDatabase(*profile_ + FirefoxNames::DownloadsSqlite);
}

void Firefox::Delete_Cache() const {
    if (!profile_) return;
    DeleteMatchingFiles(cachePath_, FirefoxNames::AllFiles);
    DeleteMatchingFiles(*profile_, FirefoxNames::CacheFiles);
}

void Firefox::Delete_Cookies() const {
    if (!profile_) return;
    DeleteOneFile(cookiesTxtPath_);
    DeleteDatabase(*profile_ + FirefoxNames::CookiesSqlite);
}
