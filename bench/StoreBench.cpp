// The big stores a pass changes through their engines, the way a user meets
// them: a click on "Delete Now (Test)" of the real main window with the one
// box ticked that changes the store, timed until the history log has the
// pass's line, while another thread times the window's answers to a message
// sent every 20 ms; against the plainest change of an identical copy through
// the same engine in the same run.
//
//   chromium-history  History of 100,000 visits       "Clear History" (Chrome and Edge)
//   firefox-places    places.sqlite of 1.6 million visits  "Clear Typed URL(s) In Firefox"
//   local-storage     Local Storage of 50 MB (LevelDB) "Clear Cookies" (Chrome and Edge)
//   preferences       Preferences of 30 MB (JSON)      "Clear History" (Chrome and Edge)
//
// scripts/make-store-bench.sh makes each store's folder: "Local" and
// "Roaming" (where Local and Roaming AppData point during the pass) and
// "plain" (the copy the plain change takes). The LevelDB store is written by this program
// itself (build-local-storage), with LevelDB.
//
// Usage: StoreBench.exe STORE_FOLDER STORE
//        StoreBench.exe build-local-storage STORE_FOLDER MEGABYTES
#include "PlainHistoryDelete.h"
#include "ShellFolderValue.h"
#include "WindowClick.h"
#include "database/SqliteDatabase.h"
#include "system/Path.h"
#include "system/Registry1.h"

#include <leveldb/db.h>
#include <leveldb/write_batch.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string ChromeProfile = "Google\\Chrome\\User Data\\Default";

void PlainHistoryChange(const std::string& plain) { PlainHistoryDelete(Path::Join(plain, "History")); }

// The visits, then the places no bookmark or other record holds.
void PlainPlacesDelete(const std::string& plain) {
    SqliteDatabase db(Path::Join(plain, "places.sqlite"));
    db.Execute("BEGIN; DELETE FROM moz_historyvisits; DELETE FROM moz_places WHERE foreign_count = 0; COMMIT;"
               "PRAGMA wal_checkpoint(TRUNCATE);");
}

bool IsSiteKey(const leveldb::Slice& key) { return key.starts_with("_") || key.starts_with("META"); }

// Every site's key in one batch, then the whole range compacted.
void PlainLocalStorageDelete(const std::string& plain) {
    leveldb::DB* raw = nullptr;
    if (!leveldb::DB::Open(leveldb::Options(), Path::Join(plain, "leveldb"), &raw).ok()) return;
    const std::unique_ptr<leveldb::DB> db(raw);
    leveldb::WriteBatch batch;
    const std::unique_ptr<leveldb::Iterator> it(db->NewIterator(leveldb::ReadOptions()));
    for (it->SeekToFirst(); it->Valid(); it->Next())
        if (IsSiteKey(it->key())) batch.Delete(it->key());
    leveldb::WriteOptions synced;
    synced.sync = true;
    db->Write(synced, &batch);
    db->CompactRange(nullptr, nullptr);
}

// Read, parse, drop the sites' engagement, write a new file and swap it in.
void PlainPreferencesChange(const std::string& plain) {
    const std::string path = Path::Join(plain, "Preferences");
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    nlohmann::json settings = nlohmann::json::parse(text.str());
    settings["profile"]["content_settings"]["exceptions"].erase("site_engagement");
    {
        std::ofstream out(path + ".new", std::ios::binary);
        out << settings.dump();
    }
    ::MoveFileExA((path + ".new").c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

struct Store {
    const char* name;
    const char* box;
    const char* what;
    void (*plain)(const std::string& plainFolder);
};

constexpr Store Stores[] = {
    {"chromium-history", "chkCrHist", "Chromium History of 100,000 visits", PlainHistoryChange},
    {"firefox-places", "chkTypedUrls", "Firefox places.sqlite of 1.6 million visits", PlainPlacesDelete},
    {"local-storage", "chkCrCookies", "Chromium Local Storage of 50 MB", PlainLocalStorageDelete},
    {"preferences", "chkCrHist", "Chromium Preferences of 30 MB", PlainPreferencesChange},
};

// Local and Roaming AppData pointed at the store's folder while the pass runs.
class PointedAppData {
public:
    explicit PointedAppData(const std::string& folder) {
        for (std::size_t i = 0; i < std::size(Values); ++i) {
            saved_.push_back(Registry1::ReadRegString(HKEY_CURRENT_USER, ShellFolders::Key, Values[i], ""));
            SetShellFolder(Values[i], Path::Join(folder, Folders[i]));
        }
    }
    ~PointedAppData() {
        for (std::size_t i = 0; i < saved_.size(); ++i) SetShellFolder(Values[i], saved_[i]);
    }

private:
    static constexpr const char* Values[] = {ShellFolders::LocalAppData, ShellFolders::AppData};
    static constexpr const char* Folders[] = {"Local", "Roaming"};
    std::vector<std::string> saved_;
};

int Measure(const Store& store, const std::string& folder) {
    std::vector<double> delays;
    double pass = 0.0;
    {
        const PointedAppData pointed(folder);
        ClickedWindow window{store.box};
        WithResponseProbe(window.Window(), delays, [&] { pass = window.ClickDeleteNow(); });
    }
    const double plain = Seconds([&] { store.plain(Path::Join(folder, "plain")); });
    if (pass < 0) {
        std::fprintf(stderr, "the pass wrote no log line\n");
        return 1;
    }
    std::printf("%s: \"Delete Now (Test)\" clicked until the log's line %.2f s; the plain change %.2f s;"
                " ratio plain/pass %.2f\n",
                store.what, pass, plain, plain / pass);
    PrintAnswers("the pass", delays);
    return 0;
}

// 50 MB of values of 500 sites, with the browser's own keys, as Local Storage
// holds them: "_<origin>\0<name>" and "META:<origin>".
int BuildLocalStorage(const std::string& folder, int megabytes) {
    for (const std::string& where : {Path::Join(folder, "Local\\" + ChromeProfile + "\\Local Storage\\leveldb"),
                                     Path::Join(folder, "plain\\leveldb")}) {
        leveldb::Options options;
        options.create_if_missing = true;
        leveldb::DB* raw = nullptr;
        if (!leveldb::DB::Open(options, where, &raw).ok()) return 1;
        const std::unique_ptr<leveldb::DB> db(raw);
        db->Put(leveldb::WriteOptions(), "VERSION", "1");
        constexpr int Sites = 500;
        std::uint32_t seed = 2463534242u;
        const std::size_t valueSize = static_cast<std::size_t>(megabytes) * 1024 * 1024 / Sites;
        for (int site = 0; site < Sites; ++site) {
            const std::string origin = "https://site-" + std::to_string(site) + ".example";
            // Letters drawn at random: text that does not compress, as a
            // site's own data mostly does not.
            std::string value(valueSize, '\0');
            value[0] = '\1';
            for (std::size_t i = 1; i < value.size(); ++i) {
                seed ^= seed << 13;
                seed ^= seed >> 17;
                seed ^= seed << 5;
                value[i] = static_cast<char>('a' + seed % 26);
            }
            db->Put(leveldb::WriteOptions(), "_" + origin + std::string(1, '\0') + "data", value);
            db->Put(leveldb::WriteOptions(), "META:" + origin, "meta");
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const QuietWindowBench quiet;
    if (argc == 4 && std::string(argv[1]) == "build-local-storage") return BuildLocalStorage(argv[2], std::atoi(argv[3]));
    if (argc == 3) {
        for (const Store& store : Stores)
            if (store.name == std::string(argv[2])) return Measure(store, argv[1]);
    }
    std::fprintf(stderr, "usage: StoreBench STORE_FOLDER chromium-history|firefox-places|local-storage|preferences\n"
                         "       StoreBench build-local-storage STORE_FOLDER MEGABYTES\n");
    return 2;
}
