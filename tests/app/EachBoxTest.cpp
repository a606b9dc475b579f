// Each box of the Firefox and the Chrome and Edge frames on fresh copies of the
// real profiles that firefox-esr and Debian's chromium made: a box removes the
// traces its row names, and leaves every other trace and everything the user
// keeps. One table: a trace, where it is, and the boxes that take it.
#include "chromium/ChromiumCleaners.h"
#include "database/LevelDb.h"
#include "firefox/FirefoxCleaners.h"
#include "firefox/PlacesQueries.h"
#include "support/FileTree.h"
#include "support/Fixtures.h"
#include "support/RecordingStatus.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr char PlantedFirefox[] = "C:\\vorlane-firefox-profile";
constexpr char PlantedChromium[] = "C:\\vorlane-chromium-profile";
constexpr char KeptPage[] = "http://kept-bookmark.test/";

enum Browser { Firefox, Chrome };
enum Box { FFForms, FFDownloads, FFHistory, FFCookies, FFCache, CrHistory, CrTyped, CrDownloads, CrCookies, CrCache, CrForms };

struct BoxCleaner {
    Browser browser;
    Box box;
    const char* name;
    void (*clean)(StatusLine&);
};
const BoxCleaner Boxes[] = {
    {Firefox, FFForms, "Firefox Clear Form History", FirefoxHistory::ClearFirefoxHistory},
    {Firefox, FFDownloads, "Firefox Clear Downloads", FirefoxHistory::ClearFirefoxDownloads},
    {Firefox, FFHistory, "Firefox Clear Typed URL(s)", FirefoxHistory::ClearFirefoxTypedUrls},
    {Firefox, FFCookies, "Firefox Clear Cookies", FirefoxHistory::ClearFirefoxCookies},
    {Firefox, FFCache, "Firefox Clear Cache", FirefoxHistory::ClearFirefoxCache},
    {Chrome, CrHistory, "Chrome Clear History", ChromiumHistory::ClearChromiumHistory},
    {Chrome, CrTyped, "Chrome Clear Typed URLs", ChromiumHistory::ClearChromiumTypedUrls},
    {Chrome, CrDownloads, "Chrome Clear Downloads", ChromiumHistory::ClearChromiumDownloads},
    {Chrome, CrCookies, "Chrome Clear Cookies", ChromiumHistory::ClearChromiumCookies},
    {Chrome, CrCache, "Chrome Clear Cache", ChromiumHistory::ClearChromiumCache},
    {Chrome, CrForms, "Chrome Clear Form History", ChromiumHistory::ClearChromiumFormHistory},
};

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
    std::set<Box> removedBy;  // empty: kept by every box
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

}  // namespace

class EachBoxTest : public ::testing::Test {
protected:
    EachBoxTest()
        : appData_("appdata"), local_("local"), appDataOverride_("AppData", appData_.Path()),
          localOverride_("Local AppData", local_.Path()) {}

    // A fresh copy of the browser's planted profile, where the shell folders lead.
    Copies Plant(Browser browser) {
        const Copies copies{appData_ / "Mozilla\\Firefox\\Profiles\\real.default",
                            local_ / "Google\\Chrome\\User Data"};
        if (browser == Firefox) {
            Fixtures::DeleteTree(appData_ / "Mozilla");
            Fixtures::WriteFile(appData_ / "Mozilla\\Firefox\\profiles.ini",
                                "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/real.default\r\n");
            Fixtures::CopyTree(PlantedFirefox, copies.firefox);
        } else {
            Fixtures::DeleteTree(local_ / "Google");
            Fixtures::CopyTree(PlantedChromium, copies.chrome);
        }
        return copies;
    }

private:
    Fixtures::TempFolder appData_;
    Fixtures::TempFolder local_;
    Fixtures::ShellFolderOverride appDataOverride_;
    Fixtures::ShellFolderOverride localOverride_;
};

TEST_F(EachBoxTest, EachBoxTakesTheTracesOfItsRowAndLeavesEverythingElse) {
    ASSERT_TRUE(Fixtures::FileExists(std::string(PlantedFirefox) + "\\places.sqlite")) << "test firefox_profile";
    ASSERT_TRUE(Fixtures::FileExists(std::string(PlantedChromium) + "\\Default\\History")) << "test chromium_profile";
    for (const Browser browser : {Firefox, Chrome}) {
        const Copies fresh = Plant(browser);
        for (const Trace& trace : Traces()) {
            if (trace.browser == browser) {
                ASSERT_TRUE(trace.present(fresh)) << "the profile has no " << trace.what;
            }
        }
    }

    // Each box on a fresh copy of its browser's profile (it never reaches the other browser's).
    for (const BoxCleaner& box : Boxes) {
        SCOPED_TRACE(box.name);
        const Copies copies = Plant(box.browser);
        RecordingStatus status;
        box.clean(status);
        EXPECT_EQ(status.notices, std::vector<std::string>{});
        for (const Trace& trace : Traces()) {
            if (trace.browser == box.browser) {
                EXPECT_EQ(trace.present(copies), !trace.removedBy.count(box.box)) << trace.what;
            }
        }
    }
}
