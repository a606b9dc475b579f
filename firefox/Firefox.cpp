#include "firefox/Firefox.h"

#include "cleaning/BrowserFiles.h"
#include "cleaning/BrowserLock.h"
#include "cleaning/FolderFileDeleter.h"
#include "cleaning/TargetCheck.h"
#include "database/SqliteFile.h"
#include "firefox/FaviconsDatabase.h"
#include "firefox/INI.h"
#include "firefox/PlacesDatabase.h"
#include "firefox/SiteStorage.h"
#include "system/Failure.h"
#include "system/FileGuard.h"
#include "system/JsonText.h"
#include "system/Path.h"
#include "system/ShellFolders.h"

#include <nlohmann/json.hpp>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <cctype>
#include <optional>
#include <set>
#include <unordered_set>

namespace {

bool IsProfileSection(const std::string& name) {
    const std::size_t prefix = std::char_traits<char>::length(FirefoxNames::ProfileSectionPrefix);
    return name.size() > prefix &&
           ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name.c_str(), static_cast<int>(prefix),
                            FirefoxNames::ProfileSectionPrefix, static_cast<int>(prefix)) == CSTR_EQUAL &&
           std::all_of(name.begin() + prefix, name.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

// Firefox writes "/" in profiles.ini and takes it in its folder values; the
// program keeps paths with backslashes and without a trailing one.
std::string InProgramForm(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return Path::WithoutBackslash(path);
}

// What favicons.sqlite keeps of pages that are not among `keptPages`, the
// pages places.sqlite holds after its erasure; nothing when those are unknown.
void EraseIconsExcept(const FolderFileDeleter& folder, const std::optional<std::set<std::string>>& keptPages,
                      StatusLine& status) {
    BrowserFiles::ChangeFile(folder, FirefoxNames::FaviconsSqlite, status,
                             [&](const std::string& favicons, StoreChange& run) {
                                 return keptPages && FaviconsDatabase::EraseIconsExcept(favicons, *keptPages, run) ==
                                                         SqliteFile::Outcome::Changed;
                             });
}

void DeleteSessionFiles(const FolderFileDeleter& folder, StatusLine& status) {
    for (const char* pattern : FirefoxNames::SessionFiles) BrowserFiles::DeleteMatchingFiles(folder, pattern);
    BrowserFiles::EmptyCacheFolder(Path::Join(folder.Folder(), FirefoxNames::SessionBackups), folder.ResolvedFolder(),
                                   status, true);
}

}  // namespace

namespace {

// A saved-passwords file is far below this.
constexpr std::size_t LargestLogins = 64u << 20;

// The bookmarked addresses of a places.sqlite.
void AddBookmarks(const std::string& places, std::vector<std::string>& addresses) {
    SqliteFile::Read(places, [&](SqliteDatabase& db) {
        if (!db.HasTable("moz_bookmarks") || !db.HasTable("moz_places")) return;
        SqliteStatement urls = db.Prepare("SELECT p.url FROM moz_bookmarks b JOIN moz_places p ON b.fk = p.id");
        while (urls.Step()) addresses.push_back(urls.Text(0));
    });
}

// The sites of the saved passwords of a logins.json: {"logins": [{"hostname": ...}]}.
void AddLoginSites(const std::string& logins, std::vector<std::string>& addresses) {
    try {
        if (!Path::IsFile(logins)) return;
        const nlohmann::json file = JsonText::Parse(Path::ReadAll(logins, LargestLogins));
        if (!file.is_object() || !file.contains("logins") || !file["logins"].is_array()) return;
        for (const nlohmann::json& login : file["logins"]) {
            if (login.is_object() && login.contains("hostname") && login["hostname"].is_string())
                addresses.push_back(login["hostname"].get<std::string>());
        }
    } catch (const Failure&) {
    }
}

}  // namespace

std::vector<std::string> Firefox::SignInAddresses() const {
    std::vector<std::string> addresses;
    for (const FirefoxProfile& profile : profiles_) {
        AddBookmarks(Path::Join(profile.path, FirefoxNames::PlacesSqlite), addresses);
        AddLoginSites(Path::Join(profile.path, FirefoxNames::LoginsJson), addresses);
    }
    return addresses;
}

Firefox::Firefox(const FirefoxNames::FirefoxPlace& place)
    : name_(place.name), isFirefox_(&place == &FirefoxNames::Browsers[0]) {  // Firefox leads the table
    GetFireFoxPath(place.folder);
}

void Firefox::GetFireFoxPath(const char* folder) {
    profiles_.clear();
    firefoxFolder_.clear();
    localFirefoxFolder_.clear();
    // A relative, root or ".." folder would make the look-up (and the
    // deletions after it) land wherever the program runs or above the
    // user's folders: the same shape the Chromium look-up asks of its folders.
    const std::string appData = InProgramForm(ShellFolders::Read(ShellFolders::AppData).value_or(""));
    if (!TargetCheck::HasTargetShape(appData)) return;
    firefoxFolder_ = Path::Join(appData, folder);
    const std::string localAppData = InProgramForm(ShellFolders::Read(ShellFolders::LocalAppData).value_or(""));
    if (TargetCheck::HasTargetShape(localAppData)) localFirefoxFolder_ = Path::Join(localAppData, folder);

    // One pass over the file's text, however many profiles it lists.
    const std::shared_ptr<const INI::Sections> sections =
        INI().Read(Path::Join(firefoxFolder_, FirefoxNames::ProfilesIni));
    std::unordered_set<std::wstring> listed;
    for (const INI::Section& section : *sections) {
        if (!IsProfileSection(section.name)) continue;
        const std::optional<std::string> value = section.Get(FirefoxNames::PathKey);
        if (!value) continue;
        const std::string entry = InProgramForm(*value);
        FirefoxProfile profile;
        // Firefox writes IsRelative=0 for a profile kept anywhere else; without
        // the key the entry is relative. Firefox keeps the cache of a relative
        // profile under Local AppData at the same relative path, and that of
        // an absolute one inside the profile itself.
        profile.relative = section.Get(FirefoxNames::IsRelativeKey) != "0";
        profile.path = profile.relative ? Path::Join(firefoxFolder_, entry) : entry;
        if (profile.relative && !localFirefoxFolder_.empty())
            profile.cacheRoot = Path::Join(localFirefoxFolder_, entry);
        else if (!profile.relative)
            profile.cacheRoot = profile.path;
        // A profile listed twice, in whatever case, is cleaned once.
        if (listed.insert(TargetCheck::PathKey(profile.path)).second) profiles_.push_back(profile);
    }
}

std::optional<std::string> Firefox::CheckProfile(const FirefoxProfile& profile, const std::string& resolvedFolder,
                                                 StatusLine& status) const {
    std::string resolved;
    bool accepted = false;
    // A relative profile lies below the browser's own folder, where no link
    // is followed; an absolute one is a browser folder of its own.
    const auto check = profile.relative ? TargetCheck::CheckFolder : TargetCheck::CheckBrowserFolder;
    switch (check(profile.path, &resolved)) {
    case TargetCheck::Verdict::Missing: return std::nullopt;
    case TargetCheck::Verdict::Refused: break;
    case TargetCheck::Verdict::Target:
        if (profile.relative) {
            // After ".." the profile must still be inside its own browser's
            // folder: a fork's entry may not reach Firefox's.
            accepted = !resolvedFolder.empty() && TargetCheck::IsInside(resolved, resolvedFolder);
        } else {
            accepted = std::any_of(std::begin(FirefoxNames::ProfileMarkers), std::end(FirefoxNames::ProfileMarkers),
                                   [&](const char* marker) { return Path::IsFile(Path::Join(resolved, marker)); });
        }
        break;
    }
    if (!accepted) {
        status.LeaveAlone(profile.path + FirefoxNames::NotAProfile);
        return std::nullopt;
    }
    // Firefox keeps parent.lock open without sharing while it runs; a missing
    // lock (profiles made elsewhere) means nobody holds the profile. A fork is
    // named as the user knows it, Firefox by the profile it holds.
    const std::string lock = Path::Join(resolved, FirefoxNames::ParentLock);
    if (BrowserLock::IsHeld(lock)) {
        const std::string& name = isFirefox_ ? profile.path : name_;
        status.LeaveAlone(name + (isFirefox_ ? FirefoxNames::InUse : BrowserLock::Running));
        status.LeftRunning({name, profile.path, lock});
        return std::nullopt;
    }
    return resolved;
}

// Where the browser's own folder really is, when it passes its check (said
// on `status` when it is there but refused); "" otherwise.
std::string Firefox::ResolvedBrowserFolder(const std::string& folder, StatusLine& status) {
    std::string resolved;
    if (TargetCheck::CheckBrowserFolder(folder, &resolved) == TargetCheck::Verdict::Refused)
        status.LeaveAlone(TargetCheck::NotABrowserFolder(folder));
    return resolved;
}

void Firefox::InEachProfile(StatusLine& status, const Deletions& deletions) const {
    // Every folder of every profile is checked against the user's and
    // machine's folders as they were when the box started, read once.
    const TargetCheck::ProtectedFoldersScope protectedFolders;
    bool named = false;
    std::optional<std::string> resolvedFolder;  // the browser's folder, checked at the first relative profile
    for (const FirefoxProfile& profile : profiles_) {
        if (!status.Covers(profile.path)) continue;
        // What follows is this browser's, from its first profile on.
        if (!named) {
            status.InBrowser(name_);
            named = true;
        }
        if (profile.relative && !resolvedFolder) resolvedFolder = ResolvedBrowserFolder(firefoxFolder_, status);
        const std::optional<std::string> resolved = CheckProfile(profile, resolvedFolder.value_or(""), status);
        if (resolved) deletions(profile, BrowserFiles::ProfileDeleter(profile.path, *resolved, status));
    }
}

void Firefox::EmptyLocalFolder(const FirefoxProfile& profile, const FolderFileDeleter& folder,
                               const std::string& name, StatusLine& status) const {
    if (profile.cacheRoot.empty()) return;
    // An absolute profile keeps it inside itself; a relative one under the
    // browser's Local AppData folder, where it must stay after links.
    const std::string within =
        profile.relative ? ResolvedBrowserFolder(localFirefoxFolder_, status) : folder.ResolvedFolder();
    if (!within.empty())
        BrowserFiles::EmptyCacheFolder(Path::Join(profile.cacheRoot, name), within, status, true);
}

namespace {

// The history of a profile, from places.sqlite with SQL: only a file that
// holds no bookmarks is deleted as a file. Then the icons of the pages it no
// longer holds.
void ErasePlacesAndIcons(const FolderFileDeleter& folder, StatusLine& status) {
    const std::string places = Path::Join(folder.Folder(), FirefoxNames::PlacesSqlite);
    // The pages places.sqlite holds after the erasure: their icons stay.
    std::optional<std::set<std::string>> kept;
    if (folder.IsPlainFileHere(FirefoxNames::PlacesSqlite)) {
        StoreChange run = StoreChangeFor(status);
        std::set<std::string> stay;
        const PlacesOutcome outcome = PlacesDatabase::EraseHistory(places, run, stay);
        switch (outcome) {
        case PlacesOutcome::Erased: kept = std::move(stay); break;
        case PlacesOutcome::NotPlaces:
            BrowserFiles::DeleteDatabase(folder, FirefoxNames::PlacesSqlite, status);
            kept.emplace();
            break;
        case PlacesOutcome::Damaged:
        case PlacesOutcome::Failed:
            status.LeaveAlone(places + (outcome == PlacesOutcome::Damaged ? BrowserFiles::Damaged : BrowserFiles::NotChanged));
            kept = PlacesDatabase::PageUrls(places);
            break;
        }
        status.Deleted(TraceKind::Row, run.erased);
    } else {
        kept = PlacesDatabase::PageUrls(places);
    }
    EraseIconsExcept(folder, kept, status);
}

// The downloads list of today's Firefox lives in places.sqlite; the old
// downloads.sqlite goes as a file.
void EraseDownloads(const FolderFileDeleter& folder, StatusLine& status) {
    BrowserFiles::DeleteDatabase(folder, FirefoxNames::DownloadsSqlite, status);
    if (!folder.IsPlainFileHere(FirefoxNames::PlacesSqlite)) return;
    const std::string places = Path::Join(folder.Folder(), FirefoxNames::PlacesSqlite);
    StoreChange run = StoreChangeFor(status);
    switch (PlacesDatabase::EraseDownloads(places, run)) {
    case PlacesOutcome::Damaged: status.LeaveAlone(places + BrowserFiles::Damaged); break;
    case PlacesOutcome::Failed: status.LeaveAlone(places + BrowserFiles::NotChanged); break;
    case PlacesOutcome::Erased:
    case PlacesOutcome::NotPlaces: break;
    }
    status.Deleted(TraceKind::Row, run.erased);
}

// The old cache folder (its files only) and the "*.cache" files of the
// profile, then cache2 with everything below it: in the profile, and where
// Firefox keeps it for a relative profile, under Local AppData.
void EmptyCaches(const Firefox& browser, const FirefoxProfile& profile, const FolderFileDeleter& folder,
                 StatusLine& status) {
    const std::string& resolvedProfile = folder.ResolvedFolder();
    BrowserFiles::EmptyCacheFolder(Path::Join(profile.path, FirefoxNames::Cache), resolvedProfile, status, false);
    BrowserFiles::DeleteMatchingFiles(folder, FirefoxNames::CacheFiles);
    BrowserFiles::EmptyCacheFolder(Path::Join(profile.path, FirefoxNames::Cache2), resolvedProfile, status, true);
    if (profile.relative) browser.EmptyLocalFolder(profile, folder, FirefoxNames::Cache2, status);
}

// An SQL condition: `column` holds a web origin (http, https, file).
std::string IsWebOrigin(const std::string& column) {
    return "(" + column + " LIKE 'http://%' OR " + column + " LIKE 'https://%' OR " + column + " LIKE 'file://%')";
}

// Changes the database `name` of the profile with `change`; one that cannot
// be changed is left whole and said.
void ChangeDatabase(const FolderFileDeleter& folder, const char* name, StatusLine& status,
                    const std::function<bool(SqliteDatabase&)>& change) {
    BrowserFiles::ChangeFile(folder, name, status, [&](const std::string& path, StoreChange& run) {
        return SqliteFile::Change(path, change, run) == SqliteFile::Outcome::Changed;
    });
}

// Every site bounce-tracking protection noted: each row is a host.
void EraseBounceTracking(const FolderFileDeleter& folder, StatusLine& status) {
    ChangeDatabase(folder, FirefoxNames::BounceTrackingSqlite, status, [](SqliteDatabase& db) {
        if (!db.HasTable("sites")) return false;
        db.Execute("DELETE FROM sites");
        return true;
    });
}

// The permissions Firefox grants by itself when the user interacts with a
// site ("storageAccessAPI") or lets a third-party frame keep its storage
// ("3rdPartyStorage^<origin>", "3rdPartyFrameStorage^<origin>"), and the
// times of the user's last interaction with each web origin. The permissions
// the user chose (notifications, location, camera...) stay; without an
// interaction time Firefox never lets one of them expire.
void EraseInteractionPermissions(const FolderFileDeleter& folder, StatusLine& status) {
    ChangeDatabase(folder, FirefoxNames::PermissionsSqlite, status, [](SqliteDatabase& db) {
        if (!db.HasTable("moz_perms") || !db.HasColumn("moz_perms", "type")) return false;
        db.Execute("DELETE FROM moz_perms WHERE (type = 'storageAccessAPI' OR type GLOB '3rdPartyStorage^*'"
                   " OR type GLOB '3rdPartyFrameStorage^*') AND " +
                   IsWebOrigin("origin"));
        if (db.HasTable("moz_origin_interactions"))
            db.Execute("DELETE FROM moz_origin_interactions WHERE " + IsWebOrigin("origin"));
        return true;
    });
}

// The cookies of the sites the keep list on `status` does not keep, as rows of
// cookies.sqlite: a cookie one site set inside another (its partitionKey)
// stays only when both are kept.
void EraseUnkeptCookies(const FolderFileDeleter& folder, StatusLine& status) {
    ChangeDatabase(folder, FirefoxNames::CookiesSqlite, status, [&](SqliteDatabase& db) {
        if (!db.HasTable("moz_cookies") || !db.HasColumn("moz_cookies", "host")) return false;
        const bool attributes = db.HasColumn("moz_cookies", "originAttributes");
        db.DeleteRowsWhere("moz_cookies", attributes ? std::vector<std::string>{"host", "originAttributes"} : std::vector<std::string>{"host"},
                           [&](const std::vector<std::string>& row) {
                               return ErasesSite(status, row[0], attributes ? SiteStorage::PartitionSite(row[1]) : "");
                           });
        return true;
    });
}

// Where a step takes what it takes: one profile of one browser of the family.
struct At {
    const Firefox& browser;
    const FirefoxProfile& profile;
    const FolderFileDeleter& folder;
};

// One thing a box takes, in the user's words (its tool tip and README's table
// are made of these), and the step that takes it from each profile.
struct Step {
    FirefoxBox box;
    const char* takes;
    void (*take)(const At& at, StatusLine& status);
};

// In the order each box runs them.
// One row per trace, laid out to be read as a table.
// clang-format off
const Step Steps[] = {
    {FirefoxBox::FormHistory, "what was typed into forms and the search bar (formhistory.sqlite, the old history.dat)",
     [](const At& at, StatusLine& s) {
         at.folder.Delete(FirefoxNames::HistoryDat);
         BrowserFiles::DeleteDatabase(at.folder, FirefoxNames::FormHistorySqlite, s);
     }},
    {FirefoxBox::Downloads, "the downloads list (never the downloaded files)",
     [](const At& at, StatusLine& s) { EraseDownloads(at.folder, s); }},
    {FirefoxBox::TypedUrls,
     "the open and recently closed tabs (session files: Firefox will not restore the last session's tabs at its "
     "next start, as when it clears all history itself)",
     [](const At& at, StatusLine& s) { DeleteSessionFiles(at.folder, s); }},
    {FirefoxBox::TypedUrls, "the pictures of visited pages for the new-tab page",
     [](const At& at, StatusLine& s) { at.browser.EmptyLocalFolder(at.profile, at.folder, FirefoxNames::Thumbnails, s); }},
    {FirefoxBox::TypedUrls,
     "the browsing history: visits, typed addresses, address-bar suggestions, page details, and the icons of the "
     "visited pages",
     [](const At& at, StatusLine& s) { ErasePlacesAndIcons(at.folder, s); }},
    {FirefoxBox::TypedUrls,
     "the permissions Firefox gave sites by itself when the user interacted with them, and when that was",
     [](const At& at, StatusLine& s) { EraseInteractionPermissions(at.folder, s); }},
    {FirefoxBox::Cookies, "cookies", [](const At& at, StatusLine& s) {
         at.folder.Delete(FirefoxNames::CookiesTxt);
         if (s.Keeps().Empty()) BrowserFiles::DeleteDatabase(at.folder, FirefoxNames::CookiesSqlite, s);
         else EraseUnkeptCookies(at.folder, s);
     }},
    {FirefoxBox::Cookies,
     "what web sites stored (each site's folder of local storage, IndexedDB, cache storage and files, its "
     "local-storage rows, its service worker, its notifications still open)",
     [](const At& at, StatusLine& s) { SiteStorage::EraseWebSites(at.folder, s); }},
    {FirefoxBox::Cookies, "the sites bounce-tracking protection noted",
     [](const At& at, StatusLine& s) { EraseBounceTracking(at.folder, s); }},
    {FirefoxBox::Cache, "the cache", [](const At& at, StatusLine& s) { EmptyCaches(at.browser, at.profile, at.folder, s); }},
    {FirefoxBox::Cache, "what Firefox learnt of each server (HTTPS-only and protocol state)",
     [](const At& at, StatusLine&) {
         for (const char* pattern : FirefoxNames::ServerStateFiles) BrowserFiles::DeleteMatchingFiles(at.folder, pattern);
     }},
};
// clang-format on

}  // namespace

std::vector<std::string> Firefox::Takes(FirefoxBox box) {
    std::vector<std::string> takes;
    for (const Step& step : Steps)
        if (step.box == box) takes.emplace_back(step.takes);
    return takes;
}

void Firefox::Clear(FirefoxBox box, StatusLine& status) const {
    InEachProfile(status, [&](const FirefoxProfile& profile, const FolderFileDeleter& folder) {
        for (const Step& step : Steps)
            if (step.box == box) step.take({*this, profile, folder}, status);
    });
}
