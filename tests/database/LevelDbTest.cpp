// LevelDB databases made by LevelDB itself in the test prefix, as Chromium
// keeps them: erased keys and values leave no trace in any file of the
// folder; a database that is damaged, held by a running browser or not there
// is left byte for byte as it was.
#include "database/LevelDb.h"
#include "support/FileTree.h"
#include "support/Fixtures.h"
#include "system/UniqueHandle.h"

#include <db/db_impl.h>
#include <gtest/gtest.h>
#include <leveldb/db.h>
#include <leveldb/write_batch.h>

#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using Files = std::map<std::string, std::string>;

std::unique_ptr<leveldb::DB> Create(const std::string& folder) {
    leveldb::Options options;
    options.create_if_missing = true;
    leveldb::DB* raw = nullptr;
    const leveldb::Status status = leveldb::DB::Open(options, folder, &raw);
    EXPECT_TRUE(status.ok()) << status.ToString();
    return std::unique_ptr<leveldb::DB>(raw);
}

// Bytes no compression shortens: each stands in a file as it is (snappy and
// the tables' shared key prefixes aside, keys are searched without their
// first bytes). From a fixed seed, so every run is the same.
std::string RandomBytes(std::mt19937& random, std::size_t length) {
    std::string bytes(length, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

struct Planted {
    std::map<std::string, std::string> kept;  // key -> its last value
    std::vector<std::string> erased;          // erased keys (less their first bytes) and every value they had
};

// Keys beginning with 'Z' are to be erased, those with 'K' kept: the erased
// keys are the largest, so each compaction ends on one of them (LevelDB keeps
// where a level's last compaction ended in its MANIFEST). Four rounds
// of writes, each overwriting keys of the round before; the first three end
// with a compaction of an empty key range, which writes the memory table into
// a table file (at level 2, then 1, then 0: LevelDB puts it as low as it
// overlaps nothing), the last stays in the log.
Planted Fill(leveldb::DB& db) {
    std::mt19937 random(2024);
    Planted planted;
    std::vector<std::string> keys;
    for (int round = 0; round < 4; ++round) {
        leveldb::WriteBatch batch;
        std::vector<std::string> written(keys.end() - std::min<std::size_t>(keys.size(), 6), keys.end());
        for (int i = 0; i < 30; ++i) {
            std::string key = std::string(i % 3 == 0 ? "Z" : "K") + RandomBytes(random, 24);
            keys.push_back(key);
            written.push_back(key);
        }
        for (const std::string& key : written) {
            const std::string value = RandomBytes(random, 40);
            batch.Put(key, value);
            if (key[0] == 'K') {
                planted.kept[key] = value;
            } else {
                planted.erased.push_back(key.substr(4));
                planted.erased.push_back(value);
            }
        }
        EXPECT_TRUE(db.Write(leveldb::WriteOptions(), &batch).ok());
        if (round < 3) {
            const leveldb::Slice nowhere("\xff\xff");
            db.CompactRange(&nowhere, &nowhere);
        }
    }
    return planted;
}

// The files whose name or bytes hold `text`.
std::set<std::string> Holding(const Files& files, const std::string& text) {
    std::set<std::string> names;
    for (const auto& [name, bytes] : files) {
        if (name.find(text) != std::string::npos || bytes.find(text) != std::string::npos) names.insert(name);
    }
    return names;
}

int Count(const Files& files, const std::string& suffix) {
    int count = 0;
    for (const auto& entry : files) count += entry.first.ends_with(suffix) && !entry.second.empty();
    return count;
}

bool ErasesZ(std::string_view key, std::string_view) { return key.starts_with("Z"); }

// Pushes every table down to level 4, one level at a time: the erased keys
// then sit deeper than any flush of the memory table reaches.
void PushDown(leveldb::DB& db) {
    for (int level = 0; level < 4; ++level) static_cast<leveldb::DBImpl&>(db).TEST_CompactRange(level, nullptr, nullptr);
}

TEST(LevelDbTest, ErasedKeysAndValuesAreInNoFileAndTheOthersReadBack) {
    // Deep: tables at level 4. Every key: nothing is left to keep.
    for (const auto& [deep, everyKey] : {std::pair{false, false}, std::pair{true, false}, std::pair{true, true}}) {
        SCOPED_TRACE(std::string(deep ? "tables at level 4" : "tables at levels 0 to 2") + (everyKey ? ", every key" : ""));
        const LevelDb::EraseFilter erase = everyKey ? +[](std::string_view, std::string_view) { return true; } : ErasesZ;
        Fixtures::TempFolder temp;
        const std::string folder = temp / "leveldb";
        Planted planted;
        {
            const std::unique_ptr<leveldb::DB> db = Create(folder);
            ASSERT_TRUE(db);
            planted = Fill(*db);
            if (deep) PushDown(*db);
        }
        const Files before = FileTree::Contents(folder);
        if (!deep) {
            ASSERT_EQ(Count(before, ".ldb"), 3);
        }
        ASSERT_EQ(Count(before, ".log"), 1);
        ASSERT_EQ(Count(before, "LOG"), 1);  // LevelDB's diagnostics, which Chromium's folders have too
        // Pushed down, the values overwritten before are gone already.
        for (const std::string& text : planted.erased) ASSERT_TRUE(deep || !Holding(before, text).empty());

        StoreChange real;
        EXPECT_EQ(LevelDb::EraseKeys(folder, erase, real), LevelDb::Outcome::Changed);

        const Files after = FileTree::Contents(folder);
        for (const std::string& text : planted.erased) EXPECT_EQ(Holding(after, text), std::set<std::string>{});
        for (const auto& [key, value] : everyKey ? planted.kept : std::map<std::string, std::string>{})
            EXPECT_EQ(Holding(after, key.substr(4)), std::set<std::string>{});
        EXPECT_EQ(after.count("LOG") + after.count("LOG.old"), 0u);
        const auto read = LevelDb::ReadAll(folder);
        ASSERT_TRUE(read);
        const std::map<std::string, std::string> entries(read->begin(), read->end());
        const std::map<std::string, std::string> left = everyKey ? std::map<std::string, std::string>() : planted.kept;
        EXPECT_EQ(entries, left);
        EXPECT_EQ(LevelDb::EraseKeys(folder, erase, real), LevelDb::Outcome::Unchanged);
    }
}

// Flips a byte of every file whose name holds `part`.
void Damage(const std::string& folder, const std::string& part, std::size_t at) {
    for (const std::string& name : FileTree::Paths(folder)) {
        if (name.find(part) == std::string::npos) continue;
        std::string bytes = Fixtures::ReadFile(folder + "\\" + name);
        ASSERT_GT(bytes.size(), at) << name;
        bytes[at] = static_cast<char>(bytes[at] ^ 0x55);
        Fixtures::WriteFile(folder + "\\" + name, bytes);
    }
}

// A database whose entries are in a table file (compacted) or only in its log.
void Make(const std::string& folder, bool compacted) {
    const std::unique_ptr<leveldb::DB> db = Create(folder);
    ASSERT_TRUE(db);
    std::mt19937 random(7);
    for (int i = 0; i < 20; ++i)
        db->Put(leveldb::WriteOptions(), std::string("E") + RandomBytes(random, 10), RandomBytes(random, 30));
    if (compacted) db->CompactRange(nullptr, nullptr);
}

// Makes a database (compacted into a table file, or only in its log) with a
// byte flipped at `at` of the files whose name holds `part`.
std::function<UniqueFile(const std::string&)> Damaged(bool compacted, const char* part, std::size_t at) {
    return [=](const std::string& folder) {
        Make(folder, compacted);
        Damage(folder, part, at);
        return UniqueFile();
    };
}

struct LeftAloneCase {
    const char* name;
    LevelDb::Outcome outcome;
    // Makes the folder; what it returns stays open while the keys are erased.
    std::function<UniqueFile(const std::string& folder)> make;
};

const LeftAloneCase LeftAloneCases[] = {
    {"NoFolder", LevelDb::Outcome::Missing, [](const std::string&) { return UniqueFile(); }},
    {"NoDatabase", LevelDb::Outcome::Missing,
     [](const std::string& folder) {
         Fixtures::WriteFile(folder + "\\000003.log", "not a database");
         return UniqueFile();
     }},
    {"DamagedLog", LevelDb::Outcome::Failed, Damaged(false, ".log", 200)},
    {"DamagedTable", LevelDb::Outcome::Failed, Damaged(true, ".ldb", 20)},
    {"DamagedManifest", LevelDb::Outcome::Failed, Damaged(true, "MANIFEST-", 12)},
    {"CurrentIsAFolder", LevelDb::Outcome::Failed,
     [](const std::string& folder) {
         Make(folder, true);
         EXPECT_TRUE(::DeleteFileA((folder + "\\CURRENT").c_str()));
         Fixtures::MakeFolders(folder + "\\CURRENT");
         return UniqueFile();
     }},
    // Chromium holds its LOCK file open for writing, shared, with the whole
    // file locked, while it runs.
    {"HeldByARunningBrowser", LevelDb::Outcome::Failed,
     [](const std::string& folder) {
         Make(folder, true);
         UniqueFile lock(::CreateFileA((folder + "\\LOCK").c_str(), GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr));
         OVERLAPPED whole{};
         EXPECT_TRUE(::LockFileEx(lock.Get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                                  MAXDWORD, &whole));
         return lock;
     }},
};

void PrintTo(const LeftAloneCase& c, std::ostream* out) { *out << c.name; }

class LevelDbLeftAloneTest : public ::testing::TestWithParam<LeftAloneCase> {};

TEST_P(LevelDbLeftAloneTest, IsLeftByteForByte) {
    Fixtures::TempFolder temp;
    const std::string folder = temp / "leveldb";
    const UniqueFile holder = GetParam().make(folder);
    const Files before = FileTree::Contents(temp.Path());

    for (const bool preview : {true, false}) {
        StoreChange run{preview};
        EXPECT_EQ(LevelDb::EraseKeys(
                      folder, [](std::string_view, std::string_view) { return true; }, run),
                  GetParam().outcome)
            << (preview ? "preview" : "pass");
        EXPECT_EQ(FileTree::Contents(temp.Path()), before);
    }
    EXPECT_FALSE(LevelDb::ReadAll(folder));
}

INSTANTIATE_TEST_SUITE_P(Cases, LevelDbLeftAloneTest, ::testing::ValuesIn(LeftAloneCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
