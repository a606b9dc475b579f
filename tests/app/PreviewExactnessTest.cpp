// Every box of the table on the real Firefox and Chromium profiles the suite
// makes and on Internet Explorer's folders, typed addresses and URL cache: a
// preview counts exactly what the pass right after it deletes and changes
// nothing itself, and a second preview finds nothing.
#include "app/CleaningBoxes.h"
#include "cleaning/DeletionPass.h"
#include "database/LevelDb.h"
#include "database/SqliteFile.h"
#include "support/FileTree.h"
#include "support/Fixtures.h"
#include "support/UrlCacheHelpers.h"
#include "system/Path.h"
#include "system/ScratchCopy.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr char PlantedFirefox[] = "C:\\vorlane-firefox-profile";
constexpr char PlantedChromium[] = "C:\\vorlane-chromium-profile";
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

class PreviewExactnessTest : public ::testing::Test {
protected:
    PreviewExactnessTest()
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
    ~PreviewExactnessTest() override { ::SetEnvironmentVariableA("TEMP", previousTemp_.c_str()); }

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

TEST_F(PreviewExactnessTest, EachBoxDeletesExactlyWhatItsPreviewCountedAndThenFindsNothing) {
    ASSERT_TRUE(Fixtures::FileExists(std::string(PlantedFirefox) + "\\places.sqlite")) << "test firefox_profile";
    ASSERT_TRUE(Fixtures::FileExists(std::string(PlantedChromium) + "\\Default\\History")) << "test chromium_profile";
    for (std::size_t box = 0; box < CleaningBoxes::Count; ++box) {
        SCOPED_TRACE(CleaningBoxes::Rows[box].name);
        const std::vector<std::string> roots = Plant(CleaningBoxes::Rows[box].frame);
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
    }
}

TEST_F(PreviewExactnessTest, APreviewOfEveryBoxChangesNoFileNoValueNoEntryAndNoLog) {
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
