#include "chromium/ChromiumSiteData.h"

#include "cleaning/BrowserFiles.h"
#include "system/Path.h"
#include "system/UniqueHandle.h"

#include <windows.h>

#include <optional>
#include <set>
#include <vector>

namespace ChromiumSiteData {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

constexpr std::string_view LocalStorageValuePrefix = "_";
constexpr std::string_view LocalStorageMetaPrefixes[] = {"META:", "METAACCESS:"};

constexpr std::string_view NamespacePrefix = "namespace-";
constexpr std::string_view MapPrefix = "map-";
// A tab's session-storage id is a GUID: 36 characters.
constexpr std::size_t NamespaceIdLength = 36;

// The origin of a namespace entry, "" for a key of another form.
std::string_view NamespaceOrigin(std::string_view key) {
    const std::size_t origin = NamespacePrefix.size() + NamespaceIdLength + 1;
    if (!StartsWith(key, NamespacePrefix) || key.size() <= origin || key[origin - 1] != '-') return {};
    return key.substr(origin);
}

// The subfolders of `folder` (no links) whose names are web origins' folders.
std::vector<std::string> WebOriginFolders(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    UniqueFind find(::FindFirstFileA(Path::Join(folder, "*").c_str(), &data));
    if (!find) return names;
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsWebOriginFolder(data.cFileName))
            names.push_back(data.cFileName);
    } while (::FindNextFileA(find.Get(), &data));
    return names;
}

// The LevelDB database in the folder `name` below the profile.
std::optional<FolderFileDeleter> DatabaseFolder(const FolderFileDeleter& profile, const std::string& name,
                                                StatusLine& status) {
    std::optional<FolderFileDeleter> folder = BrowserFiles::Subfolder(profile, name, status);
    if (folder && !Path::Exists(Path::Join(folder->Folder(), "CURRENT"))) return std::nullopt;
    return folder;
}

void Say(LevelDb::Outcome outcome, const FolderFileDeleter& folder, StatusLine& status) {
    if (outcome == LevelDb::Outcome::Failed) status.LeaveAlone(folder.Folder() + BrowserFiles::NotChanged);
}

void EraseLocalStorage(const FolderFileDeleter& profile, StatusLine& status) {
    const std::optional<FolderFileDeleter> folder = DatabaseFolder(profile, LocalStorage, status);
    if (!folder) return;
    Say(LevelDb::EraseKeys(folder->Folder(), [](std::string_view key, std::string_view) {
            return IsWebLocalStorageKey(key);
        }),
        *folder, status);
}

void EraseSessionStorage(const FolderFileDeleter& profile, StatusLine& status) {
    const std::optional<FolderFileDeleter> folder = DatabaseFolder(profile, SessionStorage, status);
    if (folder) Say(LevelDb::EraseChosenKeys(folder->Folder(), WebSessionStorageKeys), *folder, status);
}

void DeleteIndexedDb(const FolderFileDeleter& profile, StatusLine& status) {
    const std::optional<FolderFileDeleter> folder = BrowserFiles::Subfolder(profile, IndexedDB, status);
    if (!folder) return;
    for (const std::string& name : WebOriginFolders(folder->Folder()))
        BrowserFiles::DeleteFolderTree(Path::Join(folder->Folder(), name), folder->ResolvedFolder(), status);
}

}  // namespace

bool IsWebOrigin(std::string_view origin) {
    return StartsWith(origin, "http://") || StartsWith(origin, "https://") || StartsWith(origin, "file://");
}

bool IsWebLocalStorageKey(std::string_view key) {
    if (StartsWith(key, LocalStorageValuePrefix)) {
        const std::string_view rest = key.substr(LocalStorageValuePrefix.size());
        return IsWebOrigin(rest.substr(0, rest.find('\0')));
    }
    for (const std::string_view prefix : LocalStorageMetaPrefixes) {
        if (StartsWith(key, prefix)) return IsWebOrigin(key.substr(prefix.size()));
    }
    return false;
}

std::vector<std::string> WebSessionStorageKeys(const LevelDb::Entries& entries) {
    std::vector<std::string> erased;
    std::set<std::string> webMaps, keptMaps;
    for (const auto& [key, value] : entries) {
        const std::string_view origin = NamespaceOrigin(key);
        if (origin.empty()) continue;
        if (IsWebOrigin(origin)) {
            erased.push_back(key);
            webMaps.insert(value);
        } else {
            keptMaps.insert(value);
        }
    }
    // A map that a kept namespace entry also names stays.
    for (const auto& [key, value] : entries) {
        if (!StartsWith(key, MapPrefix)) continue;
        const std::string_view rest = std::string_view(key).substr(MapPrefix.size());
        const std::string map(rest.substr(0, rest.find('-')));
        if (rest.find('-') != std::string_view::npos && webMaps.count(map) && !keptMaps.count(map)) erased.push_back(key);
    }
    return erased;
}

bool IsWebOriginFolder(const std::string& name) {
    return StartsWith(name, "http_") || StartsWith(name, "https_") || StartsWith(name, "file_");
}

void EraseWebSites(const FolderFileDeleter& profile, StatusLine& status) {
    EraseLocalStorage(profile, status);
    EraseSessionStorage(profile, status);
    DeleteIndexedDb(profile, status);
}

}  // namespace ChromiumSiteData
