#include "chromium/ChromiumSiteData.h"

#include "chromium/ChromiumDatabase.h"
#include "chromium/ProtoFields.h"
#include "cleaning/BrowserFiles.h"
#include "system/Failure.h"
#include "system/Path.h"

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

// The LevelDB database in the folder `name` below the profile.
std::optional<FolderFileDeleter> DatabaseFolder(const FolderFileDeleter& profile, const std::string& name,
                                                StatusLine& status) {
    std::optional<FolderFileDeleter> folder = BrowserFiles::Subfolder(profile, name, status);
    if (folder && !Path::Exists(Path::Join(folder->Folder(), "CURRENT"))) return std::nullopt;
    return folder;
}

// Erases the keys `choose` answers from the LevelDB database in `folder`, as
// a preview when `status` previews, and counts them; a database that cannot be
// changed is left whole and said.
void EraseKeys(const FolderFileDeleter& folder, const LevelDb::KeyChooser& choose, StatusLine& status) {
    StoreChange run = StoreChangeFor(status);
    if (LevelDb::EraseChosenKeys(folder.Folder(), choose, run) == LevelDb::Outcome::Failed)
        status.LeaveAlone(folder.Folder() + BrowserFiles::NotChanged);
    status.Deleted(TraceKind::Row, run.erased);
}

// The storage key a Local Storage key belongs to; "" for the database's own keys.
std::string_view LocalStorageKeyOrigin(std::string_view key) {
    if (StartsWith(key, LocalStorageValuePrefix)) {
        const std::string_view rest = key.substr(LocalStorageValuePrefix.size());
        return rest.substr(0, rest.find('\0'));
    }
    for (const std::string_view prefix : LocalStorageMetaPrefixes) {
        if (StartsWith(key, prefix)) return key.substr(prefix.size());
    }
    return {};
}

void EraseLocalStorage(const FolderFileDeleter& profile, StatusLine& status) {
    const std::optional<FolderFileDeleter> folder = DatabaseFolder(profile, LocalStorage, status);
    if (!folder) return;
    const OriginFilter erases = ErasedOrigins(status);
    EraseKeys(
        *folder,
        [&](const LevelDb::Entries& entries) {
            std::vector<std::string> keys;
            for (const auto& entry : entries)
                if (IsWebLocalStorageKey(entry.first) && erases(LocalStorageKeyOrigin(entry.first))) keys.push_back(entry.first);
            return keys;
        },
        status);
}

void EraseSessionStorage(const FolderFileDeleter& profile, StatusLine& status) {
    const std::optional<FolderFileDeleter> folder = DatabaseFolder(profile, SessionStorage, status);
    const OriginFilter erases = ErasedOrigins(status);
    if (folder) EraseKeys(
        *folder, [&](const LevelDb::Entries& entries) { return WebSessionStorageKeys(entries, erases); }, status);
}

void DeleteIndexedDb(const FolderFileDeleter& profile, StatusLine& status) {
    const std::optional<FolderFileDeleter> folder = BrowserFiles::Subfolder(profile, IndexedDB, status);
    if (!folder) return;
    const OriginFilter erases = ErasedOrigins(status);
    for (const std::string& name : Path::Subfolders(folder->Folder())) {
        if (IsWebOriginFolder(name) && erases(FolderOrigin(name)))
            BrowserFiles::DeleteFolderTree(Path::Join(folder->Folder(), name), folder->ResolvedFolder(), status);
    }
}

// A name the browser gives a folder it numbers: digits only.
bool IsNumberedFolder(std::string_view name) {
    return !name.empty() && name.find_first_not_of("0123456789") == std::string_view::npos;
}

// "File System\Origins" names the numbered folder of each origin: those of
// web origins go, with their entries.
void EraseFileSystems(const FolderFileDeleter& profile, StatusLine& status) {
    const std::optional<FolderFileDeleter> fileSystem = BrowserFiles::Subfolder(profile, FileSystem, status);
    if (!fileSystem) return;
    const std::optional<FolderFileDeleter> origins = DatabaseFolder(*fileSystem, FileSystemOrigins, status);
    if (!origins) return;
    constexpr std::string_view OriginPrefix = "ORIGIN:";
    const OriginFilter erases = ErasedOrigins(status);
    EraseKeys(
        *origins,
        [&](const LevelDb::Entries& entries) {
            std::vector<std::string> erased;
            for (const auto& [key, folder] : entries) {
                if (!StartsWith(key, OriginPrefix) || !IsWebOriginFolder(key.substr(OriginPrefix.size())) ||
                    !erases(FolderOrigin(key.substr(OriginPrefix.size()))))
                    continue;
                if (IsNumberedFolder(folder))
                    BrowserFiles::DeleteFolderTree(Path::Join(fileSystem->Folder(), folder),
                                                   fileSystem->ResolvedFolder(), status);
                erased.push_back(key);
            }
            return erased;
        },
        status);
}

// The quota manager's buckets of web origins, and their folders.
void EraseStorageBuckets(const FolderFileDeleter& profile, StatusLine& status) {
    const std::optional<FolderFileDeleter> webStorage = BrowserFiles::Subfolder(profile, WebStorage, status);
    if (!webStorage) return;
    std::vector<std::string> buckets;
    const OriginFilter erases = ErasedOrigins(status);
    const bool changed = ChromiumDatabase::Change(*webStorage, QuotaManager, status, [&](SqliteDatabase& db) {
        if (!db.HasTable("buckets") || !db.HasColumn("buckets", "storage_key")) return false;
        SqliteStatement rows = db.Prepare("SELECT id, storage_key FROM buckets");
        while (rows.Step()) {
            if (erases(rows.Text(1))) buckets.push_back(rows.Text(0));
        }
        for (const std::string& id : buckets) db.Execute("DELETE FROM buckets WHERE id = " + id);
        return true;
    });
    if (!changed) return;
    for (const std::string& id : buckets) {
        const std::string folder = Path::Join(webStorage->Folder(), id);
        if (IsNumberedFolder(id) && Path::Exists(folder))
            BrowserFiles::DeleteFolderTree(folder, webStorage->ResolvedFolder(), status);
    }
}

// A cache-storage folder's index names its origin (fields 2 and 3 of the
// index record); a folder without a readable index is left.
bool IsWebCacheStorage(const std::string& folder, const OriginFilter& erases) {
    const std::string index = Path::Join(folder, CacheStorageIndex);
    constexpr std::size_t LargestIndex = 4u << 20;
    if (!Path::IsFile(index)) return false;
    try {
        const std::string record = Path::ReadAll(index, LargestIndex);
        for (const std::uint32_t field : {2u, 3u}) {
            for (const std::string& origin : ProtoFields::Strings(record, field)) {
                if (IsWebOrigin(origin)) return erases(origin);
            }
        }
    } catch (const Failure&) {
    }
    return false;
}

void EraseServiceWorkers(const FolderFileDeleter& profile, StatusLine& status) {
    const std::optional<FolderFileDeleter> serviceWorker = BrowserFiles::Subfolder(profile, ServiceWorker, status);
    if (!serviceWorker) return;
    const OriginFilter erases = ErasedOrigins(status);
    if (const std::optional<FolderFileDeleter> database =
            DatabaseFolder(*serviceWorker, ServiceWorkerDatabase, status))
        EraseKeys(
            *database, [&](const LevelDb::Entries& entries) { return WebServiceWorkerKeys(entries, erases); }, status);
    const std::optional<FolderFileDeleter> caches = BrowserFiles::Subfolder(*serviceWorker, CacheStorage, status);
    if (!caches) return;
    for (const std::string& name : Path::Subfolders(caches->Folder())) {
        const std::string folder = Path::Join(caches->Folder(), name);
        if (IsWebCacheStorage(folder, erases)) BrowserFiles::DeleteFolderTree(folder, caches->ResolvedFolder(), status);
    }
}

// Compression dictionaries that sites sent; each row names the site.
void EraseSharedDictionaries(const FolderFileDeleter& profile, StatusLine& status) {
    const std::optional<FolderFileDeleter> folder = BrowserFiles::Subfolder(profile, SharedDictionary, status);
    if (!folder) return;
    const OriginFilter erases = ErasedOrigins(status);
    ChromiumDatabase::Change(*folder, SharedDictionaryDatabase, status, [&](SqliteDatabase& db) {
        if (!db.HasTable("dictionaries") || !db.HasColumn("dictionaries", "frame_origin")) return false;
        db.DeleteRowsWhere("dictionaries", {"frame_origin"}, [&](const std::vector<std::string>& origin) { return erases(origin[0]); });
        return true;
    });
}

}  // namespace

bool IsWebOrigin(std::string_view origin) {
    return StartsWith(origin, "http://") || StartsWith(origin, "https://") || StartsWith(origin, "file://");
}

OriginFilter ErasedOrigins(StatusLine& status) {
    return [&status](std::string_view key) {
        if (!IsWebOrigin(key)) return false;
        // "<origin>/^0<top-level site>": partitioned; "^1", "^2" carry a nonce
        // of a frame that is no site's, so what it holds is never kept.
        const std::size_t mark = key.find('^');
        const std::string_view origin = key.substr(0, mark);
        std::string_view within;
        if (mark != std::string_view::npos) {
            within = key.substr(mark + 1);
            within = within.substr(0, within.find('^'));
            if (StartsWith(within, "0")) within.remove_prefix(1);
        }
        return ErasesSite(status, origin, within);
    };
}

std::string FolderOrigin(std::string_view name) {
    name = name.substr(0, name.find(".indexeddb"));
    const std::size_t scheme = name.find('_');
    const std::size_t port = name.rfind('_');
    if (scheme == std::string_view::npos || port <= scheme) return "";
    const std::string_view number = name.substr(port + 1);
    std::string origin = std::string(name.substr(0, scheme)) + "://" + std::string(name.substr(scheme + 1, port - scheme - 1));
    if (!number.empty() && number != "0") origin += ":" + std::string(number);
    return origin;
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

std::vector<std::string> WebSessionStorageKeys(const LevelDb::Entries& entries, const OriginFilter& erases) {
    std::vector<std::string> erased;
    std::set<std::string> webMaps, keptMaps;
    for (const auto& [key, value] : entries) {
        const std::string_view origin = NamespaceOrigin(key);
        if (origin.empty()) continue;
        if (IsWebOrigin(origin) && erases(origin)) {
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

std::vector<std::string> WebServiceWorkerKeys(const LevelDb::Entries& entries, const OriginFilter& erases) {
    constexpr std::string_view UniqueOrigin = "INITDATA_UNIQUE_ORIGIN:", Registration = "REG:",
                               RegistrationOrigin = "REGID_TO_ORIGIN:", UserData = "REG_USER_DATA:",
                               HasUserData = "REG_HAS_USER_DATA:", Resource = "RES:";
    constexpr std::string_view ResourceLists[] = {"URES:", "PRES:"};
    // The registrations and scripts of web origins first...
    std::set<std::string> registrations, resources;
    std::vector<std::string> erased;
    for (const auto& [key, value] : entries) {
        if (StartsWith(key, RegistrationOrigin) && IsWebOrigin(value) && erases(value)) {
            registrations.insert(key.substr(RegistrationOrigin.size()));
        } else if (StartsWith(key, Resource)) {
            // The script record's second field is the script's address.
            const std::vector<std::string> urls = ProtoFields::Strings(value, 2);
            if (!urls.empty() && IsWebOrigin(urls.front()) && erases(urls.front())) {
                erased.push_back(key);
                const std::size_t separator = key.find('\0');
                if (separator != std::string::npos) resources.insert(key.substr(separator + 1));
            }
        }
    }
    // ...then every key that names one of them.
    const auto afterNul = [](std::string_view rest) {
        const std::size_t nul = rest.find('\0');
        return nul == std::string_view::npos ? std::string() : std::string(rest.substr(nul + 1));
    };
    const auto beforeNul = [](std::string_view rest) { return std::string(rest.substr(0, rest.find('\0'))); };
    for (const auto& [key, value] : entries) {
        const std::string_view k = key;
        bool erase = false;
        if (StartsWith(k, UniqueOrigin)) erase = IsWebOrigin(k.substr(UniqueOrigin.size())) && erases(k.substr(UniqueOrigin.size()));
        else if (StartsWith(k, Registration)) erase = IsWebOrigin(beforeNul(k.substr(Registration.size()))) && erases(beforeNul(k.substr(Registration.size())));
        else if (StartsWith(k, RegistrationOrigin)) erase = registrations.count(std::string(k.substr(RegistrationOrigin.size()))) > 0;
        else if (StartsWith(k, UserData)) erase = registrations.count(beforeNul(k.substr(UserData.size()))) > 0;
        else if (StartsWith(k, HasUserData)) erase = registrations.count(afterNul(k.substr(HasUserData.size()))) > 0;
        for (const std::string_view list : ResourceLists) {
            if (StartsWith(k, list)) erase = resources.count(std::string(k.substr(list.size()))) > 0;
        }
        if (erase) erased.push_back(key);
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
    EraseFileSystems(profile, status);
    EraseStorageBuckets(profile, status);
    EraseServiceWorkers(profile, status);
    EraseSharedDictionaries(profile, status);
}

}  // namespace ChromiumSiteData
