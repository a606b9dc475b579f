#include "chromium/Chromium.h"

#include "chromium/ChromiumBookmarks.h"
#include "chromium/ChromiumDatabase.h"
#include "chromium/ChromiumPreferences.h"
#include "chromium/ChromiumSiteApis.h"
#include "chromium/ChromiumSiteData.h"
#include "chromium/LocalState.h"
#include "cleaning/BrowserFiles.h"
#include "cleaning/BrowserLock.h"
#include "cleaning/FolderFileDeleter.h"
#include "cleaning/TargetCheck.h"
#include "database/LevelDb.h"
#include "database/SqliteFile.h"
#include "system/Failure.h"
#include "system/Path.h"
#include "system/ShellFolders.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <set>
#include <span>
#include <unordered_set>

namespace {

// Local State is a few hundred kilobytes; anything far larger is not one.
constexpr std::size_t LargestLocalState = 16 * 1024 * 1024;

// The whole file, or "" when it is missing, unreadable or too large.
std::string ReadLocalState(const std::string& path) {
    try {
        return Path::ReadAll(path, LargestLocalState);
    } catch (const Failure&) {
        return "";
    }
}

// "Default" or "Profile" followed by a space and a number.
bool IsUsualProfileName(const std::string& name) {
    if (name == ChromiumNames::DefaultProfile) return true;
    const std::string prefix = ChromiumNames::NumberedProfile;
    return name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
           std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

// Without a usable Local State: the folders a browser makes for its profiles,
// each with its Preferences.
std::vector<std::string> UsualProfiles(const std::string& userData) {
    std::vector<std::string> names;
    for (const std::string& name : Path::Subfolders(userData)) {
        if (IsUsualProfileName(name) && Path::IsFile(Path::Join(Path::Join(userData, name), ChromiumNames::Preferences)))
            names.push_back(name);
    }
    return names;
}

std::vector<std::string> ProfileFolders(const std::string& userData) {
    std::vector<std::string> names = LocalState::ProfileNames(ReadLocalState(Path::Join(userData, ChromiumNames::LocalState)));
    if (names.empty()) names = UsualProfiles(userData);
    std::vector<std::string> folders;
    // A profile listed twice, in whatever case, is cleaned once.
    std::unordered_set<std::wstring> listed;
    for (const std::string& name : names) {
        const std::string folder = Path::Join(userData, name);
        if (listed.insert(TargetCheck::PathKey(folder)).second && Path::IsFolder(folder))
            folders.push_back(folder);
    }
    return folders;
}

// Erases rows of the database `name` of `folder` with `eraseRows`; one that
// cannot be changed is left whole and said on `status`.
void Erase(const FolderFileDeleter& folder, const std::string& name, StatusLine& status,
           const std::function<void(SqliteDatabase&)>& eraseRows) {
    ChromiumDatabase::Change(folder, name, status, [&](SqliteDatabase& db) {
        eraseRows(db);
        return true;
    });
}

// The session files: the Sessions folder's files and the old files of the profile.
void DeleteSessions(const FolderFileDeleter& profile, StatusLine& status) {
    for (const char* folder : ChromiumNames::SessionsFolders)
        BrowserFiles::EmptyCacheFolder(Path::Join(profile.Folder(), folder), profile.ResolvedFolder(), status, false);
    for (const char* name : ChromiumNames::OldSessionFiles) profile.Delete(name);
}

// The icons of every page but the bookmarked ones. Without a Bookmarks file
// the user has none; one that cannot be read leaves Favicons whole, since
// which icons to keep is then unknown.
void EraseUnbookmarkedIcons(const FolderFileDeleter& profile, StatusLine& status) {
    const std::string favicons = Path::Join(profile.Folder(), ChromiumNames::Favicons);
    if (!Path::Exists(favicons)) return;
    const std::string bookmarks = Path::Join(profile.Folder(), ChromiumNames::Bookmarks);
    std::optional<std::set<std::string>> kept;
    if (!Path::Exists(bookmarks) || profile.IsPlainFileHere(ChromiumNames::Bookmarks))
        kept = ChromiumBookmarks::UrlsInFile(bookmarks);
    if (!kept) {
        status.LeaveAlone(favicons + BrowserFiles::NotChanged);
        return;
    }
    Erase(profile, ChromiumNames::Favicons, status,
          [&](SqliteDatabase& db) { ChromiumDatabase::EraseIconsExcept(db, *kept); });
}

// Erases the keys `erase` chooses from the LevelDB database in the folder
// `name` of the profile; one that cannot be changed is left whole and said.
void EraseEntries(const FolderFileDeleter& profile, const std::string& name, StatusLine& status,
                  const LevelDb::EraseFilter& erase) {
    const std::optional<FolderFileDeleter> folder = BrowserFiles::Subfolder(profile, name, status);
    if (!folder) return;
    StoreChange run = StoreChangeFor(status);
    if (LevelDb::EraseKeys(folder->Folder(), erase, run) == LevelDb::Outcome::Failed)
        status.LeaveAlone(folder->Folder() + BrowserFiles::NotChanged);
    status.Deleted(TraceKind::Row, run.erased);
}

// The folder holding a profile's cache folders, and where it resolves.
struct CacheRoot {
    std::string folder;
    std::string resolved;
};

// The profile itself for a browser kept under Local AppData; for one kept
// under Roaming AppData its Local counterpart, when that passes the target
// check (said on `status` when refused, nothing when missing).
std::optional<CacheRoot> CacheRootOf(const ChromiumBrowser& browser, const FolderFileDeleter& profile,
                                     StatusLine& status) {
    if (TargetCheck::SamePath(browser.localData, browser.userData))
        return CacheRoot{profile.Folder(), profile.ResolvedFolder()};
    std::string resolved;
    switch (TargetCheck::CheckBrowserFolder(browser.localData, &resolved)) {
    case TargetCheck::Verdict::Missing: return std::nullopt;
    case TargetCheck::Verdict::Refused: status.LeaveAlone(TargetCheck::NotABrowserFolder(browser.localData)); return std::nullopt;
    case TargetCheck::Verdict::Target: break;
    }
    return CacheRoot{browser.localData, resolved};
}

// Whether the keep list on `status` keeps a content-setting entry: its key
// is "<primary pattern>,<secondary pattern>", each "https://example.com:443",
// "[*.]example.com" or "*" (any site).
bool KeptEntry(std::string_view key, StatusLine& status) {
    const auto site = [](std::string_view pattern) {
        if (pattern.substr(0, 4) == "[*.]") pattern.remove_prefix(4);
        return pattern == "*" ? std::string_view() : pattern;
    };
    const std::size_t comma = key.find(',');
    const std::string_view primary = site(key.substr(0, comma));
    const std::string_view secondary = comma == std::string_view::npos ? std::string_view() : site(key.substr(comma + 1));
    return !primary.empty() && !ErasesSite(status, primary, secondary);
}

// Erases the site entries of the content-setting `lists` of Preferences; with
// `keepList`, not those of the sites the user keeps.
void ErasePreferenceLists(const FolderFileDeleter& profile, std::span<const char* const> lists, StatusLine& status,
                          bool keepList = false) {
    const ChromiumPreferences::EntryKeeper keeps = [&](std::string_view key) { return KeptEntry(key, status); };
    BrowserFiles::ChangeFile(profile, ChromiumNames::Preferences, status, [&](const std::string& path, StoreChange& run) {
        return ChromiumPreferences::EraseSiteEntries(path, lists, run.preview, keepList ? keeps : nullptr) !=
               ChromiumPreferences::Outcome::Failed;
    });
}

// The search engines the browser added by itself, but the default one, which
// Preferences (or Secure Preferences) names; when either cannot be read the
// default is unknown and Web Data is left whole.
void EraseAutoAddedSearchEngines(const FolderFileDeleter& profile, StatusLine& status) {
    std::set<std::string> defaults;
    for (const char* name : {ChromiumNames::Preferences, ChromiumNames::SecurePreferences}) {
        const std::optional<std::set<std::string>> named =
            ChromiumPreferences::DefaultSearchEngines(Path::Join(profile.Folder(), name));
        if (!named) {
            status.LeaveAlone(Path::Join(profile.Folder(), ChromiumNames::WebData) + BrowserFiles::NotChanged);
            return;
        }
        defaults.insert(named->begin(), named->end());
    }
    Erase(profile, ChromiumNames::WebData, status,
          [&](SqliteDatabase& db) { ChromiumDatabase::EraseAutoAddedSearchEngines(db, defaults); });
}

// The notification records of web origins: the browser drops them with the
// service worker that showed them, which the same box erases. The origin is
// written as a storage identifier ("http_example.test_0") or as an address.
bool IsWebNotificationKey(std::string_view key, const ChromiumSiteData::OriginFilter& erases) {
    for (const std::string_view prefix : ChromiumNames::NotificationKeyPrefixes) {
        if (key.substr(0, prefix.size()) != prefix) continue;
        const std::string_view origin = key.substr(prefix.size());
        const std::string folder(origin.substr(0, origin.find('\0')));
        if (ChromiumSiteData::IsWebOrigin(origin)) return erases(folder);
        return ChromiumSiteData::IsWebOriginFolder(folder) && erases(ChromiumSiteData::FolderOrigin(folder));
    }
    return false;
}

// The cookies the keep list on `status` does not keep.
void EraseCookies(SqliteDatabase& db, StatusLine& status) {
    ChromiumDatabase::EraseCookies(db, [&](const std::string& host, const std::string& topSite) { return ErasesSite(status, host, topSite); });
}

}  // namespace

Chromium::Chromium() {
    const std::string localAppData = ShellFolders::Read(ShellFolders::LocalAppData).value_or("");
    const std::string appData = ShellFolders::Read(ShellFolders::AppData).value_or("");
    // A relative or root folder would make the look-up land wherever the program runs.
    if (!TargetCheck::HasTargetShape(localAppData)) return;
    for (const ChromiumNames::BrowserPlace& place : ChromiumNames::Browsers) {
        const bool roaming = place.layout == ChromiumNames::Layout::RoamingProfile;
        if (roaming && !TargetCheck::HasTargetShape(appData)) continue;
        const std::string userData = Path::Join(roaming ? appData : localAppData, place.folder);
        if (!Path::IsFolder(userData)) continue;
        // Opera's folder is its one profile; Local State lists none there.
        browsers_.push_back(ChromiumBrowser{place.name, userData,
                                            roaming ? std::vector<std::string>{userData} : ProfileFolders(userData),
                                            roaming ? Path::Join(localAppData, place.folder) : userData});
    }
}

std::vector<std::string> Chromium::SignInAddresses() const {
    std::vector<std::string> addresses;
    for (const ChromiumBrowser& browser : browsers_) {
        for (const std::string& profile : browser.profiles) {
            const std::optional<std::set<std::string>> bookmarks =
                ChromiumBookmarks::UrlsInFile(Path::Join(profile, ChromiumNames::Bookmarks));
            if (bookmarks) addresses.insert(addresses.end(), bookmarks->begin(), bookmarks->end());
            SqliteFile::Read(Path::Join(profile, ChromiumNames::LoginData), [&](SqliteDatabase& db) {
                if (!db.HasTable("logins") || !db.HasColumn("logins", "origin_url")) return;
                SqliteStatement sites = db.Prepare("SELECT origin_url FROM logins");
                while (sites.Step()) addresses.push_back(sites.Text(0));
            });
        }
    }
    return addresses;
}

void Chromium::InEachProfileOf(StatusLine& status, const BrowserDeletions& deletions,
                               const BrowserDeletions& userDataDeletions) const {
    if (browsers_.empty()) return;
    // Every folder of every profile is checked against the user's and
    // machine's folders as they were when the box started, read once.
    const TargetCheck::ProtectedFoldersScope protectedFolders;
    for (const ChromiumBrowser& browser : browsers_) {
        if (!status.Covers(browser.name)) continue;
        status.InBrowser(browser.name);
        std::string userData;
        switch (TargetCheck::CheckBrowserFolder(browser.userData, &userData)) {
        case TargetCheck::Verdict::Missing: continue;
        case TargetCheck::Verdict::Refused: status.LeaveAlone(TargetCheck::NotABrowserFolder(browser.userData)); continue;
        case TargetCheck::Verdict::Target: break;
        }
        // A running browser holds User Data\lockfile (and deletes it when it
        // closes); a missing or openable lockfile means it is not running.
        const std::string lock = Path::Join(browser.userData, ChromiumNames::Lockfile);
        if (BrowserLock::IsHeld(lock)) {
            status.LeaveAlone(browser.name + BrowserLock::Running);
            status.LeftRunning({browser.name, browser.name, lock});
            continue;
        }
        userDataDeletions(browser, BrowserFiles::ProfileDeleter(browser.userData, userData, status));
        for (const std::string& profile : browser.profiles) {
            // A profile that is the User Data folder itself passed the check above.
            std::string resolved = userData;
            if (!TargetCheck::SamePath(profile, browser.userData)) {
                const TargetCheck::Verdict verdict = TargetCheck::CheckFolder(profile, &resolved);
                if (verdict == TargetCheck::Verdict::Missing) continue;
                // After links the profile must still be inside its User Data folder.
                if (verdict == TargetCheck::Verdict::Refused || !TargetCheck::IsInside(resolved, userData)) {
                    status.LeaveAlone(TargetCheck::NotABrowserFolder(profile));
                    continue;
                }
            }
            deletions(browser, BrowserFiles::ProfileDeleter(profile, resolved, status));
        }
    }
}

namespace {

// Where a step takes what it takes: a profile of a browser, or the browser's
// User Data folder.
struct At {
    const ChromiumBrowser& browser;
    const FolderFileDeleter& folder;
};

// One thing a box takes, in the user's words (its tool tip and README's table
// are made of these), and the step that takes it: in every profile, or once
// in the User Data folder.
struct Step {
    ChromiumBox box;
    const char* takes;
    void (*take)(const At& at, StatusLine& status);
    bool inUserData = false;
};

// In the order each box runs them.
const Step Steps[] = {
    {ChromiumBox::History, "the browsing history: visits, addresses, search terms",
     [](const At& at, StatusLine& s) { Erase(at.folder, ChromiumNames::History, s, ChromiumDatabase::EraseHistory); }},
    {ChromiumBox::History, "the omnibox's shortcuts and what was typed before choosing an address",
     [](const At& at, StatusLine& s) {
         Erase(at.folder, ChromiumNames::Shortcuts, s, ChromiumDatabase::EraseAllRows);
         Erase(at.folder, ChromiumNames::NetworkActionPredictor, s, ChromiumDatabase::EraseAllRows);
     }},
    {ChromiumBox::History, "visited links and top sites",
     [](const At& at, StatusLine& s) {
         BrowserFiles::DeleteDatabase(at.folder, ChromiumNames::VisitedLinks, s);
         BrowserFiles::DeleteDatabase(at.folder, ChromiumNames::TopSites, s);
     }},
    {ChromiumBox::History,
     "the open and recently closed tabs (the browser will not restore them at its next start, as when it clears "
     "all history itself)",
     [](const At& at, StatusLine& s) { DeleteSessions(at.folder, s); }},
    {ChromiumBox::History, "the icons of pages that are not bookmarks",
     [](const At& at, StatusLine& s) { EraseUnbookmarkedIcons(at.folder, s); }},
    {ChromiumBox::History,
     "what Preferences notes of each visited site: engagement scores, notifications shown, install and dismissed "
     "prompts",
     [](const At& at, StatusLine& s) { ErasePreferenceLists(at.folder, ChromiumPreferences::HistoryLists, s); }},
    {ChromiumBox::History, "the search engines the browser added by itself from visited pages",
     [](const At& at, StatusLine& s) { EraseAutoAddedSearchEngines(at.folder, s); }},
    {ChromiumBox::History, "what the password manager noted of its prompts on each site",
     [](const At& at, StatusLine& s) { Erase(at.folder, ChromiumNames::LoginData, s, ChromiumDatabase::EraseLoginStats); }},
    {ChromiumBox::History, "bounce-tracking records",
     [](const At& at, StatusLine& s) { Erase(at.folder, ChromiumNames::Dips, s, ChromiumDatabase::EraseBounces); }},
    {ChromiumBox::History, "what was played on each site (older versions)",
     [](const At& at, StatusLine& s) { Erase(at.folder, ChromiumNames::MediaHistory, s, ChromiumDatabase::EraseAllRows); }},
    {ChromiumBox::History, "per-site characteristics",
     [](const At& at, StatusLine& s) {
         EraseEntries(at.folder, ChromiumNames::SiteCharacteristics, s, [](std::string_view key, std::string_view) {
             return key != ChromiumNames::SiteCharacteristicsVersion;
         });
     }},
    {ChromiumBox::History, "the per-address metrics kept beside the profiles",
     [](const At& at, StatusLine& s) {
         if (const std::optional<FolderFileDeleter> segmentation =
                 BrowserFiles::Subfolder(at.folder, ChromiumNames::SegmentationFolder, s))
             Erase(*segmentation, ChromiumNames::UkmDatabase, s, ChromiumDatabase::EraseAllRows);
     },
     true},
    {ChromiumBox::TypedUrls, "the addresses typed at least once, with their visits and search terms",
     [](const At& at, StatusLine& s) { Erase(at.folder, ChromiumNames::History, s, ChromiumDatabase::EraseTypedUrls); }},
    {ChromiumBox::TypedUrls, "the omnibox's shortcuts",
     [](const At& at, StatusLine& s) { Erase(at.folder, ChromiumNames::Shortcuts, s, ChromiumDatabase::EraseAllRows); }},
    {ChromiumBox::Downloads, "the downloads list (never the downloaded files)",
     [](const At& at, StatusLine& s) { Erase(at.folder, ChromiumNames::History, s, ChromiumDatabase::EraseDownloads); }},
    {ChromiumBox::Downloads, "the browser's records of downloads in progress and of the last days",
     [](const At& at, StatusLine& s) {
         EraseEntries(at.folder, ChromiumNames::SharedProtoDb, s, [](std::string_view key, std::string_view) {
             return key.rfind(ChromiumNames::DownloadEntries, 0) == 0;
         });
     }},
    // Today's browsers keep their cookies in Network\Cookies, older ones in the profile itself.
    {ChromiumBox::Cookies, "cookies",
     [](const At& at, StatusLine& s) {
         if (const std::optional<FolderFileDeleter> network = BrowserFiles::Subfolder(at.folder, ChromiumNames::NetworkFolder, s))
             Erase(*network, ChromiumNames::Cookies, s, [&](SqliteDatabase& db) { EraseCookies(db, s); });
         Erase(at.folder, ChromiumNames::Cookies, s, [&](SqliteDatabase& db) { EraseCookies(db, s); });
     }},
    {ChromiumBox::Cookies,
     "what web sites stored: local storage, session storage, IndexedDB, file systems, storage buckets, service "
     "workers with their cache storage, compression dictionaries",
     [](const At& at, StatusLine& s) { ChromiumSiteData::EraseWebSites(at.folder, s); }},
    {ChromiumBox::Cookies, "the notifications sites' service workers showed",
     [](const At& at, StatusLine& s) {
         const ChromiumSiteData::OriginFilter erases = ChromiumSiteData::ErasedOrigins(s);
         EraseEntries(at.folder, ChromiumNames::PlatformNotifications, s,
                      [&](std::string_view key, std::string_view) { return IsWebNotificationKey(key, erases); });
     }},
    {ChromiumBox::Cookies,
     "what sites stored through the browser's ad and measurement APIs (Interest Groups, Shared Storage, "
     "Conversions, Private Aggregation) and the trust tokens they issued",
     [](const At& at, StatusLine& s) { ChromiumSiteApis::Erase(at.folder, s); }},
    {ChromiumBox::Cookies, "the origin trials sites enabled for later visits",
     [](const At& at, StatusLine& s) {
         const ChromiumSiteData::OriginFilter erases = ChromiumSiteData::ErasedOrigins(s);
         EraseEntries(at.folder, ChromiumNames::PersistentOriginTrials, s,
                      [&](std::string_view key, std::string_view) { return erases(key); });
     }},
    {ChromiumBox::Cookies, "the client hints and languages sites asked for and the sign-ins through an identity provider (in Preferences)",
     [](const At& at, StatusLine& s) { ErasePreferenceLists(at.folder, ChromiumPreferences::CookieLists, s, true); }},
    // A browser kept under Roaming AppData has its cache folders below Local
    // AppData, and may have them in the profile too (a portable set-up, an
    // older version): both are emptied.
    {ChromiumBox::Cache, "everything under Cache, Code Cache and GPUCache (Opera's also in its profile)",
     [](const At& at, StatusLine& s) {
         const auto empty = [&](const std::string& folder, const std::string& resolved) {
             for (const char* name : ChromiumNames::CacheFolders)
                 BrowserFiles::EmptyCacheFolder(Path::Join(folder, name), resolved, s, true);
         };
         const std::optional<CacheRoot> cache = CacheRootOf(at.browser, at.folder, s);
         if (cache) empty(cache->folder, cache->resolved);
         if (!cache || !TargetCheck::SamePath(cache->folder, at.folder.Folder()))
             empty(at.folder.Folder(), at.folder.ResolvedFolder());
     }},
    // In the Network folder on Windows, in the profile itself in older versions.
    {ChromiumBox::Cache,
     "what the browser learnt of each server (Network Persistent State, TransportSecurity) and the reporting and "
     "error-logging rules servers set (Reporting and NEL)",
     [](const At& at, StatusLine& s) {
         const std::optional<FolderFileDeleter> network = BrowserFiles::Subfolder(at.folder, ChromiumNames::NetworkFolder, s);
         for (const FolderFileDeleter* folder : {&at.folder, network ? &*network : nullptr}) {
             if (!folder) continue;
             for (const char* name : ChromiumNames::NetworkStateFiles) folder->Delete(name);
             Erase(*folder, ChromiumNames::ReportingAndNel, s, ChromiumDatabase::EraseAllRows);
         }
     }},
    {ChromiumBox::FormHistory, "the values typed into forms",
     [](const At& at, StatusLine& s) { Erase(at.folder, ChromiumNames::WebData, s, ChromiumDatabase::EraseFormHistory); }},
};

}  // namespace

std::vector<std::string> Chromium::Takes(ChromiumBox box) {
    std::vector<std::string> takes;
    for (const Step& step : Steps)
        if (step.box == box) takes.emplace_back(step.takes);
    return takes;
}

void Chromium::Clear(ChromiumBox box, StatusLine& status) const {
    const auto run = [&](bool inUserData, const ChromiumBrowser& browser, const FolderFileDeleter& folder) {
        for (const Step& step : Steps)
            if (step.box == box && step.inUserData == inUserData) step.take({browser, folder}, status);
    };
    InEachProfileOf(
        status, [&](const ChromiumBrowser& browser, const FolderFileDeleter& profile) { run(false, browser, profile); },
        [&](const ChromiumBrowser& browser, const FolderFileDeleter& userData) { run(true, browser, userData); });
}
