// Each box of the table, on fresh copies of the real profiles that
// firefox-esr and Debian's chromium made and on Internet Explorer's folders,
// typed addresses and URL cache. A preview counts exactly what the pass right
// after it deletes and changes nothing itself, and a second preview finds
// nothing. A Firefox or Chrome box removes the traces its row names in the
// table below, and leaves every other trace and everything the user keeps.
#include "app/CleaningBoxes.h"
#include "cleaning/DeletionPass.h"
#include "database/LevelDb.h"
#include "database/SqliteFile.h"
#include "firefox/PlacesQueries.h"
#include "support/FileTree.h"
#include "support/Fixtures.h"
#include "support/UrlCacheHelpers.h"
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

enum Browser { Firefox, Chrome };
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

// The cleaned copies: the Firefox profile and Chrome's User Data folder.
struct Copies {
    std::string firefox;
    std::string chrome;
    std::string profile() const { return chrome + "\\Default"; }
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

nlohmann::json Exceptions(const Copies& c) {
    return nlohmann::json::parse(Fixtures::ReadFile(c.profile() + "\\Preferences"))["profile"]["content_settings"]
                                                                                     ["exceptions"];
}

struct Trace {
    Browser browser;
    const char* what;
    std::function<bool(const Copies&)> present;
    std::set<std::string> removedBy;  // the boxes that take it; empty: kept by every box
};

const std::vector<Trace>& Traces() {
    static const std::vector<Trace> traces = {
        // Firefox
        {Firefox, "visits", [](const Copies& c) { return Count(c.firefox + "\\places.sqlite", "SELECT count(*) FROM moz_historyvisits WHERE visit_type <> 7") > 0; }, {FFHistory}},
        {Firefox, "downloads list", [](const Copies& c) { return Count(c.firefox + "\\places.sqlite", DownloadAnnotations) > 0; }, {FFHistory, FFDownloads}},
        {Firefox, "session files", [](const Copies& c) { return Fixtures::FileExists(c.firefox + "\\sessionstore.jsonlz4") || FileTree::CountFiles(c.firefox + "\\sessionstore-backups") > 0; }, {FFHistory}},
        {Firefox, "icons of visited pages", [](const Copies& c) { return Count(c.firefox + "\\favicons.sqlite", "SELECT count(*) FROM moz_pages_w_icons WHERE page_url LIKE '%alpha-visit.test%'") > 0; }, {FFHistory}},
        {Firefox, "form history", [](const Copies& c) { return Fixtures::FileExists(c.firefox + "\\formhistory.sqlite"); }, {FFForms}},
        {Firefox, "cookies", [](const Copies& c) { return Fixtures::FileExists(c.firefox + "\\cookies.sqlite"); }, {FFCookies}},
        {Firefox, "site storage folders", [](const Copies& c) { return Fixtures::FolderExists(c.firefox + "\\storage\\default\\http+++alpha-visit.test"); }, {FFCookies}},
        {Firefox, "quota rows", [](const Copies& c) { return Count(c.firefox + "\\storage.sqlite", "SELECT count(*) FROM origin WHERE origin LIKE 'http://%'") > 0; }, {FFCookies}},
        {Firefox, "service worker", [](const Copies& c) { return Holds(c.firefox + "\\serviceworker.txt", "charlie-visit.test"); }, {FFCookies}},
        {Firefox, "cache", [](const Copies& c) { return FileTree::CountFiles(c.firefox + "\\cache2") > 0; }, {FFCache}},
        {Firefox, "bookmarked page", [](const Copies& c) { return Count(c.firefox + "\\places.sqlite", std::string("SELECT count(*) FROM moz_bookmarks b JOIN moz_places p ON p.id = b.fk WHERE p.url = '") + KeptPage + "'") > 0; }, {}},
        {Firefox, "bookmarked page's icon", [](const Copies& c) { return Count(c.firefox + "\\favicons.sqlite", std::string("SELECT count(*) FROM moz_pages_w_icons p JOIN moz_icons_to_pages l ON l.page_id = p.id WHERE p.page_url = '") + KeptPage + "'") > 0; }, {}},
        {Firefox, "add-on storage", [](const Copies& c) { return HasFolderNamed(c.firefox + "\\storage\\default", "moz-extension+++"); }, {}},
        {Firefox, "passwords", [](const Copies& c) { return Fixtures::FileExists(c.firefox + "\\key4.db"); }, {}},
        // Chrome
        {Chrome, "visits", [](const Copies& c) { return Count(c.profile() + "\\History", "SELECT count(*) FROM visits v JOIN urls u ON u.id = v.url WHERE u.typed_count = 0") > 0; }, {CrHistory}},
        {Chrome, "typed addresses", [](const Copies& c) { return Count(c.profile() + "\\History", "SELECT count(*) FROM urls WHERE typed_count > 0") > 0; }, {CrHistory, CrTyped}},
        {Chrome, "downloads list", [](const Copies& c) { return Count(c.profile() + "\\History", "SELECT count(*) FROM downloads") > 0; }, {CrDownloads}},
        // The browser deleted the entry of the finished download at its next start; its record stays in the log.
        {Chrome, "download entries", [](const Copies& c) { return FolderHolds(c.profile() + "\\shared_proto_db", "download-secret"); }, {CrDownloads}},
        {Chrome, "session files", [](const Copies& c) { return FileTree::CountFiles(c.profile() + "\\Sessions") > 0; }, {CrHistory}},
        {Chrome, "icons of visited pages", [](const Copies& c) { return Count(c.profile() + "\\Favicons", "SELECT count(*) FROM icon_mapping WHERE page_url LIKE '%alpha-visit.test%'") > 0; }, {CrHistory}},
        {Chrome, "engagement", [](const Copies& c) { return !Exceptions(c)["site_engagement"].empty(); }, {CrHistory}},
        {Chrome, "per-address metrics", [](const Copies& c) { return Count(c.chrome + "\\segmentation_platform\\ukm_db", "SELECT count(*) FROM urls") > 0; }, {CrHistory}},
        {Chrome, "bounces", [](const Copies& c) { return Count(c.profile() + "\\DIPS", "SELECT count(*) FROM bounces") > 0; }, {CrHistory}},
        {Chrome, "site characteristics", [](const Copies& c) { return HasKey(c.profile() + "\\Site Characteristics Database", [](std::string_view k) { return k != "database_metadata"; }); }, {CrHistory}},
        {Chrome, "cookies", [](const Copies& c) { return Count(c.profile() + "\\Network\\Cookies", "SELECT count(*) FROM cookies") > 0; }, {CrCookies}},
        {Chrome, "local storage", [](const Copies& c) { return HasKey(c.profile() + "\\Local Storage\\leveldb", IsWebKey); }, {CrCookies}},
        {Chrome, "session storage", [](const Copies& c) { return HasKey(c.profile() + "\\Session Storage", IsWebKey); }, {CrCookies}},
        {Chrome, "IndexedDB", [](const Copies& c) { return Fixtures::FolderExists(c.profile() + "\\IndexedDB\\http_alpha-visit.test_0.indexeddb.leveldb"); }, {CrCookies}},
        {Chrome, "file system", [](const Copies& c) { return HasKey(c.profile() + "\\File System\\Origins", IsWebKey); }, {CrCookies}},
        {Chrome, "storage buckets", [](const Copies& c) { return Count(c.profile() + "\\WebStorage\\QuotaManager", "SELECT count(*) FROM buckets WHERE storage_key LIKE 'http://%'") > 0; }, {CrCookies}},
        {Chrome, "service worker", [](const Copies& c) { return HasKey(c.profile() + "\\Service Worker\\Database", IsWebKey); }, {CrCookies}},
        {Chrome, "cache storage", [](const Copies& c) { return FileTree::CountFiles(c.profile() + "\\Service Worker\\CacheStorage") > 0; }, {CrCookies}},
        {Chrome, "cache", [](const Copies& c) { return FileTree::CountFiles(c.profile() + "\\Cache") > 0; }, {CrCache}},
        {Chrome, "server state", [](const Copies& c) { return Fixtures::FileExists(c.profile() + "\\Network\\Network Persistent State"); }, {CrCache}},
        {Chrome, "form entries", [](const Copies& c) { return Count(c.profile() + "\\Web Data", "SELECT count(*) FROM autofill") > 0; }, {CrForms}},
        {Chrome, "bookmarked page's icon", [](const Copies& c) { return Count(c.profile() + "\\Favicons", std::string("SELECT count(*) FROM icon_mapping WHERE page_url = '") + KeptPage + "'") > 0; }, {}},
        {Chrome, "extension's storage", [](const Copies& c) { return HasKey(c.profile() + "\\Local Storage\\leveldb", [](std::string_view k) { return StartsWith(k, "_chrome-extension://"); }); }, {}},
        {Chrome, "extension settings", [](const Copies& c) { return FileTree::CountFiles(c.profile() + "\\Local Extension Settings") > 0; }, {}},
        {Chrome, "logins", [](const Copies& c) { return Count(c.profile() + "\\Login Data", "SELECT count(*) FROM logins") > 0; }, {}},
        {Chrome, "settings", [](const Copies& c) { return nlohmann::json::parse(Fixtures::ReadFile(c.profile() + "\\Preferences"))["homepage"] == KeptPage; }, {}},
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

bool IsSqlite(const std::string& path) {
    const std::string start = Fixtures::ReadFile(path).substr(0, 16);
    return start == std::string("SQLite format 3\0", 16);
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
    static std::map<std::string, std::int64_t> counted;  // by path and stamps
    const std::string key = path + "|" + Stamp(path) + "|" + Stamp(path + "-wal") + "|" + Stamp(path + "-journal");
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
    const ScratchCopy copy(folder, {});
    const auto entries = LevelDb::ReadAll(copy.Folder());
    return entries ? static_cast<std::int64_t>(entries->size()) : 0;
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

    // Where a box of `frame` (none: every box) cleans, fresh: a copy of the
    // real Firefox or Chromium profile where the shell folders lead, or
    // Internet Explorer's files, typed addresses and URL-cache entries.
    // Answers the folders planted.
    std::vector<std::string> Plant(ControlId frame = Form1Layout::NoContainer) {
        for (const Fixtures::TempFolder* root : {&appData_, &local_, &ie_}) Fixtures::DeleteTree(root->Path());
        std::vector<std::string> roots;
        if (frame == Form1Layout::NoContainer || frame == IdFrame2) {
            Fixtures::WriteFile(appData_ / "Mozilla\\Firefox\\profiles.ini",
                                "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/real.default\r\n");
            Fixtures::CopyTree(PlantedFirefox, appData_ / "Mozilla\\Firefox\\Profiles\\real.default");
            roots.push_back(appData_.Path());
        }
        if (frame == Form1Layout::NoContainer || frame == IdFrame5) {
            Fixtures::CopyTree(PlantedChromium, local_ / "Google\\Chrome\\User Data");
            roots.push_back(local_.Path());
        }
        if (frame == Form1Layout::NoContainer || frame == IdFrame1) PlantInternetExplorer(), roots.push_back(ie_.Path());
        return roots;
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

    // Where Plant puts the profiles.
    Copies Profiles() const {
        return {appData_ / "Mozilla\\Firefox\\Profiles\\real.default", local_ / "Google\\Chrome\\User Data"};
    }

    const std::vector<DeletionPass::Step> steps_ = CleaningBoxes::PassSteps(RealCleaners());
    Fixtures::TempFolder temp_{"temp"};

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
    const Copies copies = Profiles();
    Plant();
    for (const Trace& trace : Traces()) ASSERT_TRUE(trace.present(copies)) << "the profiles have no " << trace.what;

    for (std::size_t box = 0; box < CleaningBoxes::Count; ++box) {
        const CleaningBox& row = CleaningBoxes::Rows[box];
        SCOPED_TRACE(row.name);
        const std::vector<std::string> roots = Plant(row.frame);
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
        const Browser browser = row.frame == IdFrame2 ? Firefox : Chrome;
        for (const Trace& trace : Traces()) {
            if (trace.browser != browser) continue;
            EXPECT_EQ(trace.present(copies), !trace.removedBy.count(row.name)) << trace.what;
        }
    }
}

TEST_F(EachBoxTest, APreviewOfEveryBoxChangesNoFileNoValueNoEntryAndNoLog) {
    const std::vector<std::string> roots = Plant();
    const Snapshot before = Take(roots, true);
    TickedBoxes window(AllBoxes);
    DeletionPass::Preview(window, steps_);
    const Snapshot after = Take(roots, true);
    EXPECT_EQ(FileTree::Paths(temp_.Path()), std::set<std::string>{});  // no log, no copy left behind
    EXPECT_TRUE(before.files == after.files);
    EXPECT_EQ(before.typedUrls, after.typedUrls);
    EXPECT_EQ(before.cacheEntries, after.cacheEntries);
}
