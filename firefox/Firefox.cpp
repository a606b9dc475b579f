#include "firefox/Firefox.h"

#include "cleaning/FolderFileDeleter.h"
#include "cleaning/TargetCheck.h"
#include "firefox/INI.h"
#include "system/Registry1.h"
#include "system/UniqueHandle.h"

#include <windows.h>

#include <algorithm>
#include <functional>
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

bool IsFile(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// An SQLite database with its write-ahead log, shared-memory index and rollback
// journal: a stale log left beside a fresh database corrupts it. While the
// database itself stays (in use, read-only), its companions stay too, since
// they may hold changes that the database still needs.
void DeleteDatabase(const FolderFileDeleter& profile, const std::string& name) {
    const FolderFileDeleter::Outcome outcome = profile.Delete(name);
    if (outcome != FolderFileDeleter::Outcome::Deleted && outcome != FolderFileDeleter::Outcome::Gone) return;
    for (const char* suffix : {"-wal", "-shm", "-journal"}) profile.Delete(name + suffix);
}

// Every file directly in the deleter's folder whose name matches `pattern`;
// one that cannot be deleted does not stop the others. Subfolders are neither
// removed nor entered.
void DeleteMatchingFiles(const FolderFileDeleter& folder, const std::string& pattern) {
    WIN32_FIND_DATAA data;
    UniqueFind find(::FindFirstFileA((folder.Folder() + "\\*").c_str(), &data));
    if (!find) return;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (NameMatches(data.cFileName, pattern)) folder.Delete(data.cFileName, data.dwFileAttributes);
    } while (::FindNextFileA(find.Get(), &data));
}

// Profile files go as files; a read-only one stays, as it would on Windows.
FolderFileDeleter ProfileDeleter(const std::string& folder, const std::string& resolved) {
    return FolderFileDeleter(folder, resolved, FolderFileDeleter::Attributes::KeepReadOnly);
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
    firefoxFolder_.clear();
    const std::string appData =
        Registry1::ReadRegString(HKEY_CURRENT_USER, FirefoxNames::ShellFoldersKey, FirefoxNames::AppDataValue, "");
    if (!IsFullyQualified(appData)) return "";

    firefoxFolder_ = appData + FirefoxNames::FirefoxFolder;
    const std::string ini = firefoxFolder_ + FirefoxNames::ProfilesIni;
    const INI reader;
    const std::optional<std::string> entry = reader.GetFromINI(ini, FirefoxNames::ProfileSection, FirefoxNames::PathKey);
    if (!entry) return "";

    // Firefox writes IsRelative=0 for a profile kept anywhere else; without
    // the key the entry is relative.
    relative_ = reader.GetFromINI(ini, FirefoxNames::ProfileSection, FirefoxNames::IsRelativeKey) != "0";
    std::string path = relative_ ? firefoxFolder_ + "\\" + *entry : *entry;
    std::replace(path.begin(), path.end(), '/', '\\');
    profile_ = path;
    return path;
}

std::optional<std::string> Firefox::CheckProfile(StatusLine& status) const {
    if (!profile_) return std::nullopt;
    std::string resolved;
    bool accepted = false;
    switch (TargetCheck::CheckFolder(*profile_, &resolved)) {
    case TargetCheck::Verdict::Missing: return std::nullopt;
    case TargetCheck::Verdict::Refused: break;
    case TargetCheck::Verdict::Target:
        if (relative_) {
            // After ".." and links the profile must still be inside the Firefox folder.
            const std::string firefox = TargetCheck::ResolvedPath(firefoxFolder_);
            accepted = !firefox.empty() && TargetCheck::IsInside(resolved, firefox);
        } else {
            accepted = std::any_of(std::begin(FirefoxNames::ProfileMarkers), std::end(FirefoxNames::ProfileMarkers),
                                   [&](const char* marker) { return IsFile(resolved + "\\" + marker); });
        }
        break;
    }
    if (accepted) return resolved;
    status.LeaveAlone(*profile_ + FirefoxNames::NotAProfile);
    return std::nullopt;
}

void Firefox::InProfile(StatusLine& status, const std::function<void(const FolderFileDeleter&)>& deletions) const {
    const std::optional<std::string> resolved = CheckProfile(status);
    if (resolved) deletions(ProfileDeleter(*profile_, *resolved));
}

// The fixed names start with a backslash; the deleter takes bare names.
void Firefox::Delete_TypedUrls(StatusLine& status) const {
    InProfile(status, [](const FolderFileDeleter& profile) { DeleteDatabase(profile, FirefoxNames::PlacesSqlite + 1); });
}

void Firefox::Delete_History(StatusLine& status) const {
    InProfile(status, [](const FolderFileDeleter& profile) {
        profile.Delete(FirefoxNames::HistoryDat + 1);
        DeleteDatabase(profile, FirefoxNames::FormHistorySqlite + 1);
    });
}

void Firefox::Delete_Downloads(StatusLine& status) const {
    InProfile(status,
              [](const FolderFileDeleter& profile) { DeleteDatabase(profile, FirefoxNames::DownloadsSqlite + 1); });
}

void Firefox::Delete_Cookies(StatusLine& status) const {
    InProfile(status, [](const FolderFileDeleter& profile) {
        profile.Delete(FirefoxNames::CookiesTxt + 1);
        DeleteDatabase(profile, FirefoxNames::CookiesSqlite + 1);
    });
}

// The cache folder is cleaned only when it is a real folder inside the profile:
// a link there is never entered.
void Firefox::Delete_Cache(StatusLine& status) const {
    const std::optional<std::string> resolved = CheckProfile(status);
    if (!resolved) return;
    std::string resolvedCache;
    switch (TargetCheck::CheckFolder(cachePath_, &resolvedCache)) {
    case TargetCheck::Verdict::Missing: break;
    case TargetCheck::Verdict::Refused: status.LeaveAlone(TargetCheck::NotABrowserFolder(cachePath_)); break;
    case TargetCheck::Verdict::Target:
        if (TargetCheck::IsInside(resolvedCache, *resolved))
            DeleteMatchingFiles(ProfileDeleter(cachePath_, resolvedCache), FirefoxNames::AllFiles);
        else
            status.LeaveAlone(TargetCheck::NotABrowserFolder(cachePath_));
        break;
    }
    DeleteMatchingFiles(ProfileDeleter(*profile_, *resolved), FirefoxNames::CacheFiles);
}
