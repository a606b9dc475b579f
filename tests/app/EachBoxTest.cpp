// Each box of the table, on fresh copies of the real profiles that
// firefox-esr and Debian's chromium made and on Internet Explorer's folders,
// typed addresses and URL cache. The Firefox profile is planted for Firefox
// and for each of its forks, the Chromium profile for Chrome and for Opera
// (whose profile is one folder below Roaming AppData, its cache below Local).
// A preview counts exactly what the pass right after it deletes and changes
// nothing itself, and a second preview finds nothing. A Firefox or Chrome box
// removes the traces its row names in the table below from every browser of
// its family, and leaves every other trace and everything the user keeps.
// Each browser held by its running copy is left whole, named in the log.
#include "app/CleaningBoxes.h"
#include "cleaning/BrowserLock.h"
#include "cleaning/HistoryLog.h"
#include "firefox/Firefox.h"
#include "cleaning/DeletionPass.h"
#include "database/LevelDb.h"
#include "database/SqliteDatabase.h"
#include "database/SqliteFile.h"
#include "firefox/PlacesQueries.h"
#include "support/FileTree.h"
#include "support/Fixtures.h"
#include "support/UrlCacheHelpers.h"
#include "system/UniqueHandle.h"
#include "system/Path.h"
#include "system/ScratchCopy.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr char PlantedFirefox[] = "C:\\vorlane-firefox-profile";
constexpr char PlantedChromium[] = "C:\\vorlane-chromium-profile";
constexpr char KeptPage[] = "http://kept-bookmark.test/";

enum class Family {
    Firefox,
    Chrome
};
// The boxes, by the names of their rows.
constexpr char FFForms[] = "chkFFHist";
constexpr char FFDownloads[] = "chkFFDownloads";
constexpr char FFHistory[] = "chkTypedUrls";
constexpr char FFCookies[] = "chkCookies";
constexpr char FFCache[] = "chkFFCache";
constexpr char CrHistory[] = "chkCrHist";
constexpr char CrTyped[] = "chkCrTyped";
constexpr char CrDownloads[] = "chkCrDownloads";
constexpr char CrCookies[] = "chkCrCookies";
constexpr char CrCache[] = "chkCrCache";
constexpr char CrForms[] = "chkCrForms";

// One cleaned copy of a real profile.
struct Copy {
    Family family;
    std::string browser;  // as a preview's rows name it
    std::string profile;
    std::string data;     // Chromium's User Data folder: Opera's is its profile
    std::string cache;    // the folder of the cache folders
    RunningBrowser held;  // what a pass keeps of it while its running copy holds the lock
    std::string notice;   // and what the log says of it then
};

bool StartsWith(std::string_view text, std::string_view prefix) { return text.rfind(prefix, 0) == 0; }

bool IsWebKey(std::string_view text) {
    for (const char* prefix : {"_http", "META:http", "namespace-", "REG:http", "ORIGIN:http", "21_"}) {
        if (StartsWith(text, prefix) && text.find("chrome-extension") == std::string_view::npos) return true;
    }
    return false;
}

// Whether the LevelDB database in `folder` holds a key `wanted` accepts.
bool HasKey(const std::string& folder, const std::function<bool(std::string_view)>& wanted) {
    const std::optional<LevelDb::Entries> entries = LevelDb::ReadAll(folder);
    if (!entries) return false;
    for (const auto& entry : *entries) {
        if (wanted(entry.first)) return true;
    }
    return false;
}

// Whether `folder` has a subfolder whose name starts with `prefix`.
bool HasFolderNamed(const std::string& folder, const std::string& prefix) {
    for (const std::string& path : FileTree::Paths(folder)) {
        if (StartsWith(path, prefix) && path.back() == '\\') return true;
    }
    return false;
}

bool FolderHolds(const std::string& folder, const std::string& text) {
    for (const auto& [path, bytes] : FileTree::Contents(folder)) {
        if (bytes.find(text) != std::string::npos) return true;
    }
    return false;
}

bool Holds(const std::string& path, const std::string& text) {
    return Fixtures::FileExists(path) && Fixtures::ReadFile(path).find(text) != std::string::npos;
}

nlohmann::json Exceptions(const Copy& c) {
    return nlohmann::json::parse(Fixtures::ReadFile(c.profile + "\\Preferences"))["profile"]["content_settings"]
                                                                                 ["exceptions"];
}

// Whether the content-setting list `name` of Preferences holds a web site's entry.
bool HasSiteEntry(const Copy& c, const char* name) {
    const nlohmann::json exceptions = Exceptions(c);
    if (!exceptions.contains(name)) return false;
    for (const auto& [key, value] : exceptions[name].items()) {
        if (StartsWith(key, "http")) return true;
    }
    return false;
}

struct Trace {
    Family family;
    const char* what;
    std::function<bool(const Copy&)> present;
    std::set<std::string> removedBy;  // the boxes that take it; empty: kept by every box
};

const std::vector<Trace>& Traces() {
    static const std::vector<Trace> traces = {
        // Firefox
        {Family::Firefox, "visits", [](const Copy& c) { return Count(c.profile + "\\places.sqlite", "SELECT count(*) FROM moz_historyvisits WHERE visit_type <> 7") > 0; }, {FFHistory}},
        {Family::Firefox, "downloads list", [](const Copy& c) { return Count(c.profile + "\\places.sqlite", DownloadAnnotations) > 0; }, {FFHistory, FFDownloads}},
        {Family::Firefox, "session files", [](const Copy& c) { return Fixtures::FileExists(c.profile + "\\sessionstore.jsonlz4") || FileTree::CountFiles(c.profile + "\\sessionstore-backups") > 0; }, {FFHistory}},
        {Family::Firefox, "icons of visited pages", [](const Copy& c) { return Count(c.profile + "\\favicons.sqlite", "SELECT count(*) FROM moz_pages_w_icons WHERE page_url LIKE '%alpha-visit.test%'") > 0; }, {FFHistory}},
        {Family::Firefox, "form history", [](const Copy& c) { return Fixtures::FileExists(c.profile + "\\formhistory.sqlite"); }, {FFForms}},
        {Family::Firefox, "cookies", [](const Copy& c) { return Fixtures::FileExists(c.profile + "\\cookies.sqlite"); }, {FFCookies}},
        {Family::Firefox, "site storage folders", [](const Copy& c) { return Fixtures::FolderExists(c.profile + "\\storage\\default\\http+++alpha-visit.test"); }, {FFCookies}},
        {Family::Firefox, "visited site's own icon", [](const Copy& c) { return Count(c.profile + "\\favicons.sqlite", "SELECT count(*) FROM moz_icons WHERE root = 1 AND icon_url LIKE '%bravo-visit.test%'") > 0; }, {FFHistory}},
        {Family::Firefox, "quota usage counted", [](const Copy& c) { return Count(c.profile + "\\storage.sqlite", "SELECT count(*) FROM cache WHERE valid = 1") > 0; }, {FFCookies}},
        {Family::Firefox, "quota rows", [](const Copy& c) { return Count(c.profile + "\\storage.sqlite", "SELECT count(*) FROM origin WHERE origin LIKE 'http://%'") > 0; }, {FFCookies}},
        {Family::Firefox, "service worker", [](const Copy& c) { return Holds(c.profile + "\\serviceworker.txt", "charlie-visit.test"); }, {FFCookies}},
        {Family::Firefox, "bounce-tracking sites", [](const Copy& c) { return Count(c.profile + "\\bounce-tracking-protection.sqlite", "SELECT count(*) FROM sites") > 0; }, {FFCookies}},
        {Family::Firefox, "permissions given on interaction", [](const Copy& c) { return Count(c.profile + "\\permissions.sqlite", "SELECT count(*) FROM moz_perms WHERE type = 'storageAccessAPI' OR type GLOB '3rdParty*'") > 0; }, {FFHistory}},
        {Family::Firefox, "interaction times", [](const Copy& c) { return Count(c.profile + "\\permissions.sqlite", "SELECT count(*) FROM moz_origin_interactions") > 0; }, {FFHistory}},
        {Family::Firefox, "permission the user chose", [](const Copy& c) { return Count(c.profile + "\\permissions.sqlite", "SELECT count(*) FROM moz_perms WHERE type = 'desktop-notification'") > 0; }, {}},
        {Family::Firefox, "per-site zoom", [](const Copy& c) { return Count(c.profile + "\\content-prefs.sqlite", "SELECT count(*) FROM prefs") > 0; }, {}},
        {Family::Firefox, "cache", [](const Copy& c) { return FileTree::CountFiles(c.cache + "\\cache2") > 0; }, {FFCache}},
        {Family::Firefox, "bookmarked page", [](const Copy& c) { return Count(c.profile + "\\places.sqlite", std::string("SELECT count(*) FROM moz_bookmarks b JOIN moz_places p ON p.id = b.fk WHERE p.url = '") + KeptPage + "'") > 0; }, {}},
        {Family::Firefox, "bookmarked page's icon", [](const Copy& c) { return Count(c.profile + "\\favicons.sqlite", std::string("SELECT count(*) FROM moz_pages_w_icons p JOIN moz_icons_to_pages l ON l.page_id = p.id WHERE p.page_url = '") + KeptPage + "'") > 0; }, {}},
        {Family::Firefox, "bookmarked site's own icon", [](const Copy& c) { return Count(c.profile + "\\favicons.sqlite", "SELECT count(*) FROM moz_icons WHERE root = 1 AND icon_url LIKE '%kept-bookmark.test%'") > 0; }, {}},
        {Family::Firefox, "add-on storage", [](const Copy& c) { return HasFolderNamed(c.profile + "\\storage\\default", "moz-extension+++"); }, {}},
        {Family::Firefox, "passwords", [](const Copy& c) { return Fixtures::FileExists(c.profile + "\\key4.db"); }, {}},
        // Chrome
        {Family::Chrome, "visits", [](const Copy& c) { return Count(c.profile + "\\History", "SELECT count(*) FROM visits v JOIN urls u ON u.id = v.url WHERE u.typed_count = 0") > 0; }, {CrHistory}},
        {Family::Chrome, "typed addresses", [](const Copy& c) { return Count(c.profile + "\\History", "SELECT count(*) FROM urls WHERE typed_count > 0") > 0; }, {CrHistory, CrTyped}},
        {Family::Chrome, "downloads list", [](const Copy& c) { return Count(c.profile + "\\History", "SELECT count(*) FROM downloads") > 0; }, {CrDownloads}},
        // The browser deleted the entry of the finished download at its next start; its record stays in the log.
        {Family::Chrome, "download entries", [](const Copy& c) { return FolderHolds(c.profile + "\\shared_proto_db", "download-secret"); }, {CrDownloads}},
        {Family::Chrome, "session files", [](const Copy& c) { return FileTree::CountFiles(c.profile + "\\Sessions") > 0; }, {CrHistory}},
        {Family::Chrome, "icons of visited pages", [](const Copy& c) { return Count(c.profile + "\\Favicons", "SELECT count(*) FROM icon_mapping WHERE page_url LIKE '%alpha-visit.test%'") > 0; }, {CrHistory}},
        {Family::Chrome, "engagement", [](const Copy& c) { return HasSiteEntry(c, "site_engagement"); }, {CrHistory}},
        {Family::Chrome, "notifications shown", [](const Copy& c) { return HasSiteEntry(c, "notification_interactions"); }, {CrHistory}},
        {Family::Chrome, "search engine added by the browser", [](const Copy& c) { return Count(c.profile + "\\Web Data", "SELECT count(*) FROM keywords WHERE originating_url LIKE 'http://hotel-search.test/%'") > 0; }, {CrHistory}},
        {Family::Chrome, "password prompts noted", [](const Copy& c) { return Count(c.profile + "\\Login Data", "SELECT count(*) FROM stats") > 0; }, {CrHistory}},
        {Family::Chrome, "client hints", [](const Copy& c) { return HasSiteEntry(c, "client_hints"); }, {CrCookies}},
        // The browser deleted the notification as it closed; its record stays in the log.
        {Family::Chrome, "notification records", [](const Copy& c) { return FolderHolds(c.profile + "\\Platform Notifications", "juliet-notify.test"); }, {CrCookies}},
        {Family::Chrome, "built-in search engines", [](const Copy& c) { return Count(c.profile + "\\Web Data", "SELECT count(*) FROM keywords WHERE prepopulate_id > 0 OR starter_pack_id > 0") >= 16; }, {}},
        {Family::Chrome, "permission the user chose", [](const Copy& c) { return HasSiteEntry(c, "notifications"); }, {}},
        {Family::Chrome, "per-site zoom", [](const Copy& c) { return nlohmann::json::parse(Fixtures::ReadFile(c.profile + "\\Preferences"))["partition"]["per_host_zoom_levels"]["x"].contains("juliet-notify.test"); }, {}},
        {Family::Chrome, "per-address metrics", [](const Copy& c) { return Count(c.data + "\\segmentation_platform\\ukm_db", "SELECT count(*) FROM urls") > 0; }, {CrHistory}},
        {Family::Chrome, "bounces", [](const Copy& c) { return Count(c.profile + "\\DIPS", "SELECT count(*) FROM bounces") > 0; }, {CrHistory}},
        {Family::Chrome, "site characteristics", [](const Copy& c) { return HasKey(c.profile + "\\Site Characteristics Database", [](std::string_view k) { return k != "database_metadata"; }); }, {CrHistory}},
        {Family::Chrome, "cookies", [](const Copy& c) { return Count(c.profile + "\\Network\\Cookies", "SELECT count(*) FROM cookies") > 0; }, {CrCookies}},
        {Family::Chrome, "local storage", [](const Copy& c) { return HasKey(c.profile + "\\Local Storage\\leveldb", IsWebKey); }, {CrCookies}},
        {Family::Chrome, "session storage", [](const Copy& c) { return HasKey(c.profile + "\\Session Storage", IsWebKey); }, {CrCookies}},
        {Family::Chrome, "IndexedDB", [](const Copy& c) { return Fixtures::FolderExists(c.profile + "\\IndexedDB\\http_alpha-visit.test_0.indexeddb.leveldb"); }, {CrCookies}},
        {Family::Chrome, "file system", [](const Copy& c) { return HasKey(c.profile + "\\File System\\Origins", IsWebKey); }, {CrCookies}},
        {Family::Chrome, "storage buckets", [](const Copy& c) { return Count(c.profile + "\\WebStorage\\QuotaManager", "SELECT count(*) FROM buckets WHERE storage_key LIKE 'http://%'") > 0; }, {CrCookies}},
        {Family::Chrome, "service worker", [](const Copy& c) { return HasKey(c.profile + "\\Service Worker\\Database", IsWebKey); }, {CrCookies}},
        {Family::Chrome, "cache storage", [](const Copy& c) { return FileTree::CountFiles(c.profile + "\\Service Worker\\CacheStorage") > 0; }, {CrCookies}},
        {Family::Chrome, "cache", [](const Copy& c) { return FileTree::CountFiles(c.cache + "\\Cache") > 0; }, {CrCache}},
        // Opera's profile holds cache folders too (a portable set-up), besides those below Local AppData.
        {Family::Chrome, "cache in the profile", [](const Copy& c) { return FileTree::CountFiles(c.profile + "\\GPUCache") > 0; }, {CrCache}},
        {Family::Chrome, "server state", [](const Copy& c) { return Fixtures::FileExists(c.profile + "\\Network\\Network Persistent State"); }, {CrCache}},
        {Family::Chrome, "form entries", [](const Copy& c) { return Count(c.profile + "\\Web Data", "SELECT count(*) FROM autofill") > 0; }, {CrForms}},
        {Family::Chrome, "bookmarked page's icon", [](const Copy& c) { return Count(c.profile + "\\Favicons", std::string("SELECT count(*) FROM icon_mapping WHERE page_url = '") + KeptPage + "'") > 0; }, {}},
        {Family::Chrome, "extension's storage", [](const Copy& c) { return HasKey(c.profile + "\\Local Storage\\leveldb", [](std::string_view k) { return StartsWith(k, "_chrome-extension://"); }); }, {}},
        {Family::Chrome, "extension settings", [](const Copy& c) { return FileTree::CountFiles(c.profile + "\\Local Extension Settings") > 0; }, {}},
        {Family::Chrome, "logins", [](const Copy& c) { return Count(c.profile + "\\Login Data", "SELECT count(*) FROM logins") > 0; }, {}},
        {Family::Chrome, "settings", [](const Copy& c) { return nlohmann::json::parse(Fixtures::ReadFile(c.profile + "\\Preferences"))["homepage"] == KeptPage; }, {}},
    };
    return traces;
}

// ---------------------------------------------------------------- preview and pass

constexpr char TypedUrls[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
constexpr std::size_t AllBoxes = CleaningBoxes::Count;

// The main window as the pass sees it: one box ticked, or all of them.
class TickedBoxes : public PassWindow {
public:
    explicit TickedBoxes(std::size_t box) : box_(box) {}
    bool IsTicked(std::size_t box) const override { return box_ == AllBoxes || box == box_; }
    std::string Status() const override { return status_; }
    void SetStatus(const std::string& text) override { status_ = text; }

private:
    std::size_t box_;
    std::string status_;
};

// Reads the header alone: the snapshot looks at every file of every copy.
bool IsSqlite(const std::string& path) {
    const UniqueFile file(::CreateFileW(Path::ForSystem(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    char start[16] = {};
    DWORD read = 0;
    return file.Valid() && ::ReadFile(file.Get(), start, sizeof(start), &read, nullptr) && read == sizeof(start) &&
           std::string(start, sizeof(start)) == std::string("SQLite format 3\0", 16);
}

std::size_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExW(Path::ForSystem(path).c_str(), GetFileExInfoStandard, &data);
    return data.nFileSizeLow;
}

// The size and last write time of a file: a database whose file and log read
// the same as at its last count holds the same rows.
std::string Stamp(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExW(Path::ForSystem(path).c_str(), GetFileExInfoStandard, &data);
    return std::to_string(data.nFileSizeLow) + ":" + std::to_string(data.ftLastWriteTime.dwLowDateTime) + ":" +
           std::to_string(data.ftLastWriteTime.dwHighDateTime);
}

std::string Folder(const std::string& path) { return path.substr(0, path.rfind('\\')); }
std::string Name(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

// Rows are counted on copies: opening a database or a LevelDB folder in place
// may rewrite its files.
std::int64_t SqliteRows(const std::string& path) {
    // By name and stamps: a planted copy keeps its source's write time, so
    // the copies of one database, in every browser and at every box, are
    // counted once.
    static std::map<std::string, std::int64_t> counted;
    const std::string key = Name(path) + "|" + Stamp(path) + "|" + Stamp(path + "-wal") + "|" + Stamp(path + "-journal");
    if (const auto known = counted.find(key); known != counted.end()) return known->second;
    const ScratchCopy copy(Folder(path), {Name(path), Name(path) + "-wal", Name(path) + "-journal"});
    std::int64_t rows = 0;
    SqliteFile::Read(copy.Folder() + "\\" + Name(path), [&](SqliteDatabase& db) {
        SqliteStatement tables =
            db.Prepare("SELECT name FROM sqlite_master WHERE type = 'table' AND sql NOT LIKE 'CREATE VIRTUAL%'");
        while (tables.Step()) rows += db.Scalar("SELECT COUNT(*) FROM \"" + tables.Text(0) + "\"");
    });
    return counted[key] = rows;
}

std::int64_t LevelDbKeys(const std::string& folder) {
    // By name and the stamps of its files, as SqliteRows.
    static std::map<std::string, std::int64_t> counted;
    std::string key = Name(folder);
    for (const std::string& file : FileTree::Paths(folder)) key += "|" + file + ":" + Stamp(folder + "\\" + file);
    if (const auto known = counted.find(key); known != counted.end()) return known->second;
    const ScratchCopy copy(folder, {});
    const auto entries = LevelDb::ReadAll(copy.Folder());
    return counted[key] = entries ? static_cast<std::int64_t>(entries->size()) : 0;
}

// What a pass can take, as the test reads it.
struct Snapshot {
    std::map<std::string, std::string> files;  // full path: contents
    std::map<std::string, std::int64_t> rows;  // per database file or LevelDB folder
    std::set<std::string> typedUrls;
    std::set<std::string> cacheEntries;

    bool IsLevelDbFolder(const std::string& folder) const { return files.count(folder + "\\CURRENT") > 0; }
};

// With `contents`, the files' bytes; else as many bytes as each file holds.
Snapshot Take(const std::vector<std::string>& roots, bool contents) {
    Snapshot s;
    for (const std::string& root : roots) {
        std::map<std::string, std::string> found;
        FileTree::List(root, "", contents, found);
        for (auto& [path, bytes] : found) {
            if (path.back() == '\\') continue;
            if (!contents) bytes.assign(FileSize(root + "\\" + path), '\0');
            s.files[root + "\\" + path] = std::move(bytes);
        }
    }
    for (const auto& [path, bytes] : s.files) {
        if (Name(path) == "CURRENT") s.rows[Folder(path)] = LevelDbKeys(Folder(path));
        else if (IsSqlite(path) && !s.IsLevelDbFolder(Folder(path))) s.rows[path] = SqliteRows(path);
    }
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, TypedUrls, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        char name[256];
        for (DWORD i = 0, size = sizeof(name); ::RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) ==
                                               ERROR_SUCCESS;
             ++i, size = sizeof(name))
            s.typedUrls.insert(name);
        ::RegCloseKey(key);
    }
    for (const std::string& name : UrlCache::Names()) s.cacheEntries.insert(name);
    return s;
}

// The database whose log, index or journal the file at `path` is; "" for none.
std::string DatabaseOf(const std::string& path) {
    for (const std::string suffix : {"-wal", "-shm", "-journal"}) {
        if (path.size() > suffix.size() && path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0)
            return path.substr(0, path.size() - suffix.size());
    }
    return "";
}

// What disappeared from `before` to `after`, counted as the tally counts. The
// files of a LevelDB folder or an SQLite database that stays are the engine's
// own business (its rows and keys count).
TallyRow Gone(const Snapshot& before, const Snapshot& after) {
    TallyRow gone;
    for (const auto& [path, bytes] : before.files) {
        if (after.files.count(path) || after.IsLevelDbFolder(Folder(path)) || after.files.count(DatabaseOf(path)))
            continue;
        ++gone.files;
        gone.bytes += static_cast<std::int64_t>(bytes.size());
    }
    for (const auto& [store, rows] : before.rows) {
        const auto left = after.rows.find(store);
        if (left != after.rows.end()) gone.rows += rows - left->second;
    }
    for (const std::string& name : before.typedUrls) gone.registryValues += !after.typedUrls.count(name);
    for (const std::string& name : before.cacheEntries) gone.cacheEntries += !after.cacheEntries.count(name);
    return gone;
}

std::string Counts(const TallyRow& row) {
    return std::to_string(row.files) + " files, " + std::to_string(row.bytes) + " bytes, " + std::to_string(row.rows) +
           " rows, " + std::to_string(row.registryValues) + " values, " + std::to_string(row.cacheEntries) +
           " entries";
}

class EachBoxTest : public ::testing::Test {
protected:
    EachBoxTest()
        : typedUrls_(HKEY_CURRENT_USER, TypedUrls),
          appDataOverride_("AppData", appData_.Path()),
          localOverride_("Local AppData", local_.Path()),
          cacheOverride_("Cache", ie_ / "Cache"),
          cookiesOverride_("Cookies", ie_ / "Cookies"),
          historyOverride_("History", ie_ / "History") {
        // The pass's log and the preview's scratch copies go to a TEMP of the test's own.
        char previous[MAX_PATH] = {};
        ::GetEnvironmentVariableA("TEMP", previous, MAX_PATH);
        previousTemp_ = previous;
        ::SetEnvironmentVariableA("TEMP", temp_.Path().c_str());
    }
    ~EachBoxTest() override { ::SetEnvironmentVariableA("TEMP", previousTemp_.c_str()); }

    // Where a box of `frame` (none: every box) cleans, fresh: copies of the
    // real Firefox or Chromium profile for each browser of its family where
    // the shell folders lead, or Internet Explorer's files, typed addresses
    // and URL-cache entries. With `fork` (1 and up), Firefox and that one of
    // its forks only. Answers the folders planted; planted_ holds the copies.
    std::vector<std::string> Plant(ControlId frame = Form1Layout::NoContainer, std::size_t fork = 0) {
        for (const Fixtures::TempFolder* root : {&appData_, &local_, &ie_}) Fixtures::DeleteTree(root->Path());
        std::vector<std::string> roots;
        planted_.clear();
        if (frame == Form1Layout::NoContainer || frame == IdFrame2 || frame == IdFrame5) {
            std::size_t firefoxFamily = 0;  // Firefox, then its forks
            for (const Copy& copy : Profiles()) {
                if (frame != Form1Layout::NoContainer && frame != (copy.family == Family::Firefox ? IdFrame2 : IdFrame5))
                    continue;
                if (copy.family == Family::Firefox) {
                    const std::size_t index = firefoxFamily++;
                    if (fork != 0 && index != 0 && index != fork) continue;
                    PlantFirefox(copy);
                } else {
                    PlantChromium(copy);
                }
                planted_.push_back(copy);
            }
            roots = {appData_.Path(), local_.Path()};
        }
        if (frame == Form1Layout::NoContainer || frame == IdFrame1) PlantInternetExplorer(), roots.push_back(ie_.Path());
        return roots;
    }

    // profiles.ini beside Profiles\real.default; a fork keeps the cache
    // below Local AppData, as Firefox on Windows does.
    static void PlantFirefox(const Copy& copy) {
        Fixtures::WriteFile(Folder(Folder(copy.profile)) + "\\profiles.ini",
                            "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/real.default\r\n");
        Fixtures::CopyTree(PlantedFirefox, copy.profile);
        // The bookmarked site's own icon, on no page: it stays with the bookmark.
        SqliteDatabase(copy.profile + "\\favicons.sqlite")
            .Execute("INSERT INTO moz_icons (icon_url, fixed_icon_url_hash, width, root)"
                     " VALUES ('http://kept-bookmark.test/favicon.ico', 1, 16, 1)");
        if (copy.cache == copy.profile) return;
        Fixtures::CopyTree(copy.profile + "\\cache2", copy.cache + "\\cache2");
        Fixtures::DeleteTree(copy.profile + "\\cache2");
    }

    // Chrome's whole User Data folder; Opera's one folder holds the profile
    // and what Chrome keeps beside its profiles, its cache folders lie below
    // Local AppData, and a GPUCache in the profile too.
    static void PlantChromium(const Copy& copy) {
        if (copy.data != copy.profile) return Fixtures::CopyTree(PlantedChromium, copy.data);
        Fixtures::CopyTree(std::string(PlantedChromium) + "\\Default", copy.profile);
        Fixtures::CopyTree(std::string(PlantedChromium) + "\\segmentation_platform",
                           copy.profile + "\\segmentation_platform");
        for (const char* cache : {"Cache", "Code Cache", "GPUCache"}) {
            Fixtures::CopyTree(copy.profile + "\\" + cache, copy.cache + "\\" + cache);
            if (std::string_view(cache) != "GPUCache") Fixtures::DeleteTree(copy.profile + "\\" + cache);
        }
    }

    void PlantInternetExplorer() {
        for (const char* folder : {"Cache", "Cookies", "History"}) {
            Fixtures::WriteFile(ie_ / folder + "\\page.txt", std::string(1000, 'p'));
            Fixtures::WriteFile(ie_ / folder + "\\sub\\deep.txt", "deep");
        }
        Fixtures::DeleteKeyTree(HKEY_CURRENT_USER, TypedUrls);
        for (const char* name : {"url1", "url2", "url3"})
            Fixtures::SetString(HKEY_CURRENT_USER, TypedUrls, name, std::string("http://typed.test/") + name);
        UrlCache::Clear();
        UrlCache::Commit("Cookie:vorlane@preview.test/", COOKIE_CACHE_ENTRY);
        UrlCache::Commit("http://preview.test/page.html");
    }

    // Where Plant puts the profiles: Firefox's and each fork's, Chrome's and Opera's.
    std::vector<Copy> Profiles() const {
        std::vector<Copy> copies;
        // Firefox is named by its profile when it runs, a fork by its name.
        for (const FirefoxNames::FirefoxPlace& place : FirefoxNames::Browsers) {
            const std::string below = std::string(place.folder) + "\\Profiles\\real.default";
            const std::string profile = appData_ / below;
            const bool firefox = &place == &FirefoxNames::Browsers[0];
            const std::string name = firefox ? profile : place.name;
            copies.push_back({
                Family::Firefox,
                place.name,
                profile,
                profile,
                firefox ? profile : local_ / below,
                {name, profile, profile + "\\parent.lock"},
                name + (firefox ? FirefoxNames::InUse : BrowserLock::Running),
            });
        }
        const std::string chrome = local_ / "Google\\Chrome\\User Data";
        const std::string opera = appData_ / "Opera Software\\Opera Stable";
        const auto chromium = [&](const std::string& name, const std::string& data, const std::string& profile,
                                  const std::string& cache) {
            copies.push_back({
                Family::Chrome,
                name,
                profile,
                data,
                cache,
                {name, name, data + "\\lockfile"},
                name + BrowserLock::Running,
            });
        };
        chromium("Google Chrome", chrome, chrome + "\\Default", chrome + "\\Default");
        chromium("Opera", opera, opera, local_ / "Opera Software\\Opera Stable");
        return copies;
    }

    const std::vector<DeletionPass::Step> steps_ = CleaningBoxes::PassSteps(RealCleaners());
    Fixtures::TempFolder temp_{"temp"};
    std::vector<Copy> planted_;

private:
    std::string previousTemp_;
    Fixtures::TempFolder appData_{"appdata"};
    Fixtures::TempFolder local_{"local"};
    Fixtures::TempFolder ie_{"ie"};
    Fixtures::RegistryKeySnapshot typedUrls_;
    Fixtures::ShellFolderOverride appDataOverride_;
    Fixtures::ShellFolderOverride localOverride_;
    Fixtures::ShellFolderOverride cacheOverride_;
    Fixtures::ShellFolderOverride cookiesOverride_;
    Fixtures::ShellFolderOverride historyOverride_;
};

}  // namespace

TEST_F(EachBoxTest, EachBoxDeletesWhatItsPreviewCountedAndItsTracesAndKeepsTheRest) {
    ASSERT_TRUE(Fixtures::FileExists(std::string(PlantedFirefox) + "\\places.sqlite")) << "test firefox_profile";
    ASSERT_TRUE(Fixtures::FileExists(std::string(PlantedChromium) + "\\Default\\History")) << "test chromium_profile";
    // Each Firefox box runs on Firefox and one fork, the forks in turn, so
    // that every fork is cleaned by some box at a fraction of the copying.
    const std::size_t forks = std::size(FirefoxNames::Browsers) - 1;
    std::size_t firefoxBoxes = 0;
    for (std::size_t box = 0; box < CleaningBoxes::Count; ++box) {
        const CleaningBox& row = CleaningBoxes::Rows[box];
        SCOPED_TRACE(row.name);
        const std::vector<std::string> roots =
            Plant(row.frame, row.frame == IdFrame2 ? 1 + firefoxBoxes++ % forks : 0);
        for (const Copy& copy : planted_) {
            for (const Trace& trace : Traces()) {
                if (trace.family != copy.family) continue;
                ASSERT_TRUE(trace.present(copy)) << copy.browser << " has no " << trace.what;
            }
        }
        TickedBoxes window(box);
        const Snapshot before = Take(roots, false);
        const PassTally preview = DeletionPass::Preview(window, steps_);
        const TallyRow counted = preview.Total();
        EXPECT_GT(counted.Items(), 0) << "the box found nothing to count";
        const PassTally pass = DeletionPass::DeleteAll(window, steps_);
        const TallyRow gone = Gone(before, Take(roots, false));

        EXPECT_EQ(Counts(counted), Counts(gone));
        EXPECT_EQ(Counts(pass.Total()), Counts(gone));
        EXPECT_EQ(DeletionPass::Preview(window, steps_).Total().Items(), 0);
        for (const TallyRow& shown : pass.Rows()) EXPECT_EQ(shown.leftAlone, "") << shown.browser;

        if (row.frame == IdFrame1) continue;  // Internet Explorer's traces are the counts above
        const Family family = row.frame == IdFrame2 ? Family::Firefox : Family::Chrome;
        std::set<std::string> counting;  // the preview's rows that counted something
        for (const TallyRow& shown : preview.Rows()) {
            if (shown.Items() > 0) counting.insert(shown.browser);
        }
        for (const Copy& copy : planted_) {
            if (copy.family != family) continue;
            SCOPED_TRACE(copy.browser);
            for (const Trace& trace : Traces()) {
                if (trace.family != family) continue;
                EXPECT_EQ(trace.present(copy), !trace.removedBy.count(row.name)) << trace.what;
            }
        }
        // Each browser's traces count in a row of its own.
        std::set<std::string> browsers;
        for (const Copy& copy : planted_) {
            if (copy.family == family) browsers.insert(copy.browser);
        }
        EXPECT_EQ(counting, browsers);
    }
}

// Every box at once: boxes that change one database (Chrome's History and
// Typed URLs, Firefox's Downloads and Typed URLs) count what they take of it
// once, as the pass takes it.
TEST_F(EachBoxTest, APreviewOfEveryBoxChangesNothingAndCountsWhatThePassOfEveryBoxTakes) {
    const std::vector<std::string> roots = Plant(Form1Layout::NoContainer, 1);  // Firefox and one fork
    const Snapshot before = Take(roots, true);
    TickedBoxes window(AllBoxes);
    const TallyRow counted = DeletionPass::Preview(window, steps_).Total();
    const Snapshot after = Take(roots, true);
    EXPECT_EQ(FileTree::Paths(temp_.Path()), std::set<std::string>{});  // no log, no copy left behind
    EXPECT_TRUE(before.files == after.files);
    EXPECT_EQ(before.typedUrls, after.typedUrls);
    EXPECT_EQ(before.cacheEntries, after.cacheEntries);

    DeletionPass::DeleteAll(window, steps_);
    EXPECT_EQ(Counts(counted), Counts(Gone(before, Take(roots, false))));
}

// Every browser of both families held by its running copy: a pass with every
// box ticked leaves each whole, names each in the log as its own, and keeps
// each for a clean after it closes.
TEST_F(EachBoxTest, APassLeavesEachRunningBrowserWholeUnderItsOwnName) {
    std::vector<std::string> roots = Plant();
    roots.pop_back();  // Internet Explorer's
    const Snapshot before = Take(roots, false);
    std::vector<UniqueFile> locks;
    std::vector<RunningBrowser> held;
    std::set<std::string> notices;
    for (const Copy& copy : Profiles()) {
        SCOPED_TRACE(copy.browser);
        locks.push_back(Fixtures::HoldLock(copy.held.lockFile));
        ASSERT_TRUE(locks.back().Valid());
        held.push_back(copy.held);
        notices.insert(copy.notice);
    }
    TickedBoxes window(AllBoxes);

    const PassTally pass = DeletionPass::DeleteAll(window, steps_);

    const TallyRow gone = Gone(before, Take(roots, false));  // Internet Explorer's values and entries apart
    EXPECT_EQ(gone.files + gone.rows, 0);
    EXPECT_EQ(pass.Running(), held);
    std::set<std::string> logged;
    for (const std::string& notice : notices) {
        if (Fixtures::ReadFile(HistoryLog::LogPath()).find(notice + "\r\n") != std::string::npos) logged.insert(notice);
    }
    EXPECT_EQ(logged, notices);
}
