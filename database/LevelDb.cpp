#include "database/LevelDb.h"

#include "database/GuardedEnv.h"
#include "system/Failure.h"
#include "system/FileGuard.h"
#include "system/MessagePump.h"
#include "system/Path.h"
#include "system/ScratchCopy.h"
#include "system/UniqueHandle.h"

#include <windows.h>

#include <db/db_impl.h>
#include <db/dbformat.h>
#include <db/filename.h>
#include <db/table_cache.h>
#include <db/version_edit.h>
#include <db/version_set.h>
#include <leveldb/db.h>
#include <leveldb/env.h>
#include <leveldb/iterator.h>
#include <leveldb/options.h>
#include <leveldb/table.h>
#include <leveldb/write_batch.h>

#include <cstdarg>
#include <cstdint>
#include <memory>
#include <set>
#include <vector>

namespace LevelDb {

namespace {

// LevelDB's diagnostics go nowhere: they name keys ("Manual compaction at
// level-0 from <key> .. <key>"), and without a logger of its own LevelDB would
// rotate LOG into LOG.old and write a new LOG into the folder.
class SilentLogger : public leveldb::Logger {
public:
    void Logv(const char*, std::va_list) override {}
};

// Every file of the store goes through `env`, the guard on its folder.
// Reusing LevelDB's log and MANIFEST where it can: the opening then writes no
// new CURRENT (the MANIFEST is written anew once, at the end of an erasure).
leveldb::Options DatabaseOptions(leveldb::Env& env) {
    static SilentLogger logger;
    leveldb::Options options;
    options.env = &env;
    options.create_if_missing = false;
    options.paranoid_checks = true;  // a damaged log or MANIFEST fails the opening
    options.reuse_logs = true;
    options.compression = leveldb::kSnappyCompression;  // as Chromium writes its tables
    options.info_log = &logger;
    return options;
}

leveldb::ReadOptions CheckedReads() {
    leveldb::ReadOptions options;
    options.verify_checksums = true;
    options.fill_cache = false;
    return options;
}

// LevelDB called on a folder without a database would create the folder and
// its LOCK file before it noticed. A database is there when something named
// CURRENT is: a CURRENT that is no file (a folder) is a damaged store, left
// as it is and said, not a missing one.
bool HasDatabase(const std::string& folder) { return Path::Exists(Path::Join(folder, "CURRENT")); }

// Whether every file of the store's folder is a plain file with no second
// name (FileGuard): LevelDB rewrites, renames and removes its files by name,
// so a link or a hard link there (LOG, an old log, CURRENT ...) leaves the
// store as it is, before anything is written.
bool FilesAreOwn(const std::string& folder) {
    const FileGuard::Folder files(folder);
    WIN32_FIND_DATAW data;
    UniqueFind find(::FindFirstFileW(Path::ForSystem(Path::Join(folder, "*")).c_str(), &data));
    if (!find) return false;
    do {
        const std::wstring_view name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return false;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (files.Check(Path::FromSystem(name)) != FileGuard::Kind::Own) return false;
    } while (::FindNextFileW(find.Get(), &data));
    return true;
}

// Reads every block of the table file with its checksum checked.
bool TableIntact(leveldb::Env& env, const std::string& path) {
    std::uint64_t size = 0;
    leveldb::RandomAccessFile* rawFile = nullptr;
    if (!env.GetFileSize(path, &size).ok() || !env.NewRandomAccessFile(path, &rawFile).ok()) return false;
    const std::unique_ptr<leveldb::RandomAccessFile> file(rawFile);
    leveldb::Table* rawTable = nullptr;
    if (!leveldb::Table::Open(DatabaseOptions(env), file.get(), size, &rawTable).ok()) return false;
    const std::unique_ptr<leveldb::Table> table(rawTable);
    // Read in file order only, which needs no comparator of the database.
    const std::unique_ptr<leveldb::Iterator> it(table->NewIterator(CheckedReads()));
    for (it->SeekToFirst(); it->Valid(); it->Next()) {
    }
    return it->status().ok();
}

// The numbers of the table files that the database's MANIFEST lists, read
// without opening the database; nullopt when the MANIFEST cannot be read.
// Other table files are leftovers (a compaction cut short by a crash leaves
// one half written), which LevelDB removes unread at its next opening.
std::optional<std::set<std::uint64_t>> ListedTables(const std::string& folder, leveldb::Env& env) {
    const leveldb::Options options = DatabaseOptions(env);
    const leveldb::InternalKeyComparator comparator(options.comparator);
    leveldb::TableCache tables(folder, options, 1);
    leveldb::VersionSet versions(folder, &options, &tables, &comparator);
    bool saveManifest = false;
    if (!versions.Recover(&saveManifest).ok()) return std::nullopt;
    std::set<std::uint64_t> listed;
    versions.AddLiveFiles(&listed);
    return listed;
}

// Opening a database already rewrites its log and MANIFEST, so the tables it
// lists are checked before: a damaged one leaves the folder byte for byte as
// it was.
bool TablesIntact(const std::string& folder, leveldb::Env& env) {
    const std::optional<std::set<std::uint64_t>> listed = ListedTables(folder, env);
    if (!listed) return false;
    for (const std::uint64_t number : *listed) {
        const std::string ldb = leveldb::TableFileName(folder, number);
        const std::string sst = leveldb::SSTTableFileName(folder, number);
        if (!TableIntact(env, Path::IsFile(ldb) ? ldb : sst)) return false;
    }
    return true;
}

// The database when the folder holds one whose every file is its own and
// whose every part reads back whole.
std::unique_ptr<leveldb::DB> OpenWhole(const std::string& folder, leveldb::Env& env) {
    if (!FilesAreOwn(folder) || !TablesIntact(folder, env)) return nullptr;
    leveldb::DB* raw = nullptr;
    if (!leveldb::DB::Open(DatabaseOptions(env), folder, &raw).ok()) return nullptr;
    return std::unique_ptr<leveldb::DB>(raw);
}

// The MANIFEST still names erased keys (as the first and last keys of the
// tables a compaction replaced, in the record it kept of them): it is written
// anew from LevelDB's own account of the tables that are there now, as an
// opening writes it, CURRENT is set to it in one step and the old one goes.
// The store's lock is held meanwhile.
bool RewriteManifest(const std::string& folder, leveldb::Env& env) {
    leveldb::Options options = DatabaseOptions(env);
    options.reuse_logs = false;
    leveldb::FileLock* lock = nullptr;
    if (!env.LockFile(leveldb::LockFileName(folder), &lock).ok()) return false;
    // CURRENT names the MANIFEST in use: "MANIFEST-000005" and a line end.
    std::string old;
    bool done = leveldb::ReadFileToString(&env, leveldb::CurrentFileName(folder), &old).ok() && !old.empty() &&
                old.back() == '\n';
    if (done) {
        old.pop_back();
        const leveldb::InternalKeyComparator comparator(options.comparator);
        leveldb::TableCache tables(folder, options, 1);
        leveldb::VersionSet versions(folder, &options, &tables, &comparator);
        bool saveManifest = false;
        leveldb::port::Mutex mutex;
        done = versions.Recover(&saveManifest).ok();
        if (done) {
            leveldb::VersionEdit edit;
            mutex.Lock();
            done = versions.LogAndApply(&edit, &mutex).ok();
            mutex.Unlock();
        }
    }
    if (done) env.RemoveFile(Path::Join(folder, old));
    env.UnlockFile(lock);
    return done;
}

// Calls `visit` for every entry; false when one could not be read.
bool ForEachEntry(leveldb::DB& db, const std::function<void(const leveldb::Slice&, const leveldb::Slice&)>& visit) {
    const std::unique_ptr<leveldb::Iterator> it(db.NewIterator(CheckedReads()));
    for (it->SeekToFirst(); it->Valid(); it->Next()) visit(it->key(), it->value());
    return it->status().ok();
}

bool FilesAtLevelZero(leveldb::DB& db) {
    std::string count;
    return db.GetProperty("leveldb.num-files-at-level0", &count) && count != "0";
}

// LevelDB remembers for every level the last key a compaction of that level
// reached, and writes these "compact pointers" into every MANIFEST: after the
// erasure they may still be erased keys, from this compaction or an older one.
// A level's pointer is set anew whenever that level is compacted, so the
// largest key that stays is written again as it is until a table at level 0
// holds it, and then every level is compacted into the next in turn: each
// compaction's input holds only keys that stay. In a database with no key
// left, the empty key (which names nothing) stands in for one and is deleted
// again once the pointers name it: otherwise the pointers would keep naming
// the last keys erased.
bool ResetCompactPointers(leveldb::DB& db) {
    auto& impl = static_cast<leveldb::DBImpl&>(db);
    std::string key, value;
    bool standIn = false;
    {
        const std::unique_ptr<leveldb::Iterator> it(db.NewIterator(CheckedReads()));
        it->SeekToLast();
        if (!it->status().ok()) return false;
        standIn = !it->Valid();
        if (!standIn) {
            key = it->key().ToString();
            value = it->value().ToString();
        }
    }
    leveldb::WriteOptions synced;
    synced.sync = true;
    const auto compactEveryLevel = [&] {
        for (int level = 0; level + 1 < leveldb::config::kNumLevels; ++level)
            impl.TEST_CompactRange(level, nullptr, nullptr);
    };
    // A flushed table goes below level 0 when nothing there overlaps it, at
    // most to level kMaxMemCompactLevel; each flush lands one level higher.
    for (int flush = 0; flush <= leveldb::config::kMaxMemCompactLevel && !FilesAtLevelZero(db); ++flush) {
        if (!db.Put(synced, key, value).ok() || !impl.TEST_CompactMemTable().ok()) return false;
    }
    compactEveryLevel();
    if (standIn) {
        if (!db.Delete(synced, key).ok() || !impl.TEST_CompactMemTable().ok()) return false;
        compactEveryLevel();
    }
    return true;
}

// Deletes the keys in one synced write and compacts the whole key range: every
// table holding one of them is rewritten without it, the deletion markers are
// dropped, and the log that held them goes.
bool DeleteAndCompact(leveldb::DB& db, const std::vector<std::string>& keys) {
    leveldb::WriteBatch batch;
    for (const std::string& key : keys) batch.Delete(key);
    leveldb::WriteOptions synced;
    synced.sync = true;
    if (!keys.empty() && !db.Write(synced, &batch).ok()) return false;
    db.CompactRange(nullptr, nullptr);
    if (!ResetCompactPointers(db)) return false;
    // LevelDB keeps a failed compaction's error for the next write and offers
    // no other way to read it; an empty batch adds no key to the log.
    leveldb::WriteBatch empty;
    return db.Write(synced, &empty).ok();
}

}  // namespace

std::optional<Entries> ReadAll(const std::string& folder) {
    if (!HasDatabase(folder)) return std::nullopt;
    GuardedEnv env(folder);
    const std::unique_ptr<leveldb::DB> db = OpenWhole(folder, env);
    if (!db) return std::nullopt;
    Entries entries;
    const bool whole = ForEachEntry(*db, [&](const leveldb::Slice& key, const leveldb::Slice& value) {
        entries.emplace_back(key.ToString(), value.ToString());
    });
    if (!whole) return std::nullopt;
    return entries;
}

namespace {

// One opening: the entries are read, the chosen keys deleted and the tables
// compacted; then the MANIFEST is written anew and LevelDB's diagnostic LOG
// files (which can name keys) go. LevelDB's own work runs on a thread of its
// own while this thread's window messages run (a big store is read and
// compacted in seconds); `choose` runs here, between the two.
Outcome EraseHere(const std::string& folder, const KeyChooser& choose, StoreChange& run,
                  const BeforeChange& beforeChange) {
    GuardedEnv env(folder, beforeChange);
    std::unique_ptr<leveldb::DB> db;
    Entries entries;
    bool whole = false;
    MessagePump::RunWhileMessagesRun([&] {
        db = OpenWhole(folder, env);
        whole = db && ForEachEntry(*db, [&](const leveldb::Slice& key, const leveldb::Slice& value) {
                    entries.emplace_back(key.ToString(), value.ToString());
                });
    });
    if (!whole) return Outcome::Failed;
    const std::vector<std::string> keys = choose(entries);
    Entries().swap(entries);
    bool done = false;
    MessagePump::RunWhileMessagesRun([&] {
        // With nothing to erase the tables are still rewritten: records the
        // browser deleted itself stay in its log and older tables until then.
        done = DeleteAndCompact(*db, keys);
        db.reset();
        done = done && RewriteManifest(folder, env);
        for (const char* name : {"LOG", "LOG.old"}) {
            if (!done) return;
            const leveldb::Status removed = env.RemoveFile(Path::Join(folder, name));
            done = removed.ok() || removed.IsNotFound();
        }
    });
    if (!done) return Outcome::Failed;
    run.erased += static_cast<std::int64_t>(keys.size());
    return keys.empty() ? Outcome::Unchanged : Outcome::Changed;
}

// Whether the browser's lock on the database could be taken now, as opening
// it takes it; a missing LOCK file is not made.
bool LockFree(const std::string& folder) {
    const std::string lock = Path::Join(folder, "LOCK");
    if (!Path::Exists(lock)) return true;
    UniqueFile file(::CreateFileW(Path::ForSystem(lock).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || !::LockFile(file.Get(), 0, 0, 1, 0)) return false;
    ::UnlockFile(file.Get(), 0, 0, 1, 0);
    return true;
}

}  // namespace

Outcome EraseChosenKeys(const std::string& folder, const KeyChooser& choose, StoreChange& run,
                        const BeforeChange& beforeChange) {
    if (!HasDatabase(folder)) return Outcome::Missing;
    if (!run.preview) return EraseHere(folder, choose, run, beforeChange);
    // What the pass would find of the folder itself, then its change on a copy.
    if (!FilesAreOwn(folder) || !LockFree(folder)) return Outcome::Failed;
    try {
        std::optional<ScratchCopy> own;
        return EraseHere(PreviewFolder(run, folder, folder, {}, own), choose, run, beforeChange);
    } catch (const Failure&) {
        return Outcome::Failed;
    }
}

Outcome EraseKeys(const std::string& folder, const EraseFilter& erase, StoreChange& run,
                  const BeforeChange& beforeChange) {
    return EraseChosenKeys(
        folder,
        [&](const Entries& entries) {
            std::vector<std::string> keys;
            for (const auto& [key, value] : entries) {
                if (erase(key, value)) keys.push_back(key);
            }
            return keys;
        },
        run, beforeChange);
}

}  // namespace LevelDb
