// The program ended by force in the middle of an erasure, at each change the
// engine makes to the store's files in turn (each write, flush, truncation,
// rename, removal): this test program runs again as a worker that erases
// and ends itself at the chosen change. After every kill the store opens,
// every kept entry is there, and the erased ones are all there or all gone.
// LevelDB is followed through the guard's hook on each change; SQLite
// through a file layer of the test's that wraps the one the program names.
#include "database/LevelDb.h"
#include "database/SqliteFile.h"
#include "support/DatabaseRows.h"
#include "support/Fixtures.h"
#include "support/LevelDbFill.h"
#include "system/Path.h"
#include "system/ScratchCopy.h"
#include "system/UniqueHandle.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr char EngineVariable[] = "VORLANE_KILL_ENGINE";
constexpr char StoreVariable[] = "VORLANE_KILL_STORE";
constexpr char AtVariable[] = "VORLANE_KILL_AT";
constexpr DWORD KilledCode = 9;
constexpr int KeptEntries = 300, ErasedEntries = 300;
// Every change that moves a store from one set of files to the next (a file
// created, cut, renamed or removed: CURRENT's replacement among them; for
// SQLite each flush too, its commits) and this many of the routine ones
// (bytes written or flushed within a file), spread over them.
constexpr int KilledRoutine = 6;

// Counts the changes and notes which are routine (bytes written or flushed
// within a file); ends the process at the chosen one (0: never).
std::atomic<int> changes{0};
int killAt = 0;
std::vector<bool> isRoutine;
void Change(bool routine = false) {
    const int number = ++changes;
    if (killAt == 0) isRoutine.push_back(routine);
    if (number == killAt) ::TerminateProcess(::GetCurrentProcess(), KilledCode);
}

// ---------------------------------------------------------------- LevelDB

bool ErasesZ(std::string_view key, std::string_view) { return key.starts_with("Z"); }

// Kept keys "K..." and erased keys "Z..." in three openings: in tables at
// more than one level and in the log.
void MakeLevelDb(const std::string& folder) {
    for (int part = 0; part < 3; ++part) {
        std::vector<std::pair<std::string, std::string>> entries;
        for (int i = part; i < KeptEntries; i += 3)
            entries.emplace_back("K" + std::to_string(i), std::string(200, static_cast<char>('a' + i % 26)));
        for (int i = part; i < ErasedEntries; i += 3)
            entries.emplace_back("Z" + std::to_string(i), std::string(200, static_cast<char>('A' + i % 26)));
        LevelDbFill::Put(folder, entries);
    }
}

void EraseLevelDb(const std::string& folder) {
    StoreChange run;
    LevelDb::EraseKeys(folder, ErasesZ, run,
                       [](const char* change, const std::string&) {
                           const std::string_view kind = change;
                           Change(kind == "write" || kind == "sync" || kind == "append");
                       });
}

// Kept and erased entries found; -1, -1 when the store does not open.
std::pair<int, int> LevelDbEntries(const std::string& folder) {
    const std::optional<LevelDb::Entries> entries = LevelDb::ReadAll(folder);
    if (!entries) return {-1, -1};
    const auto erased = std::count_if(entries->begin(), entries->end(), [](const auto& e) { return ErasesZ(e.first, ""); });
    return {static_cast<int>(entries->size() - erased), static_cast<int>(erased)};
}

// ---------------------------------------------------------------- SQLite

// The file layer SQLite opens the program's databases with ("win32-longpath"),
// wrapped so that every write, truncation, flush and removal is a change: a
// file keeps the real layer's state and its methods, but for those three.
struct WrappedMethods {
    sqlite3_io_methods methods;
    const sqlite3_io_methods* real;
};
sqlite3_vfs* realVfs = nullptr;
sqlite3_vfs wrappedVfs;
std::map<const sqlite3_io_methods*, WrappedMethods> wrappedMethods;

const sqlite3_io_methods& Real(sqlite3_file* file) {
    return *reinterpret_cast<const WrappedMethods*>(file->pMethods)->real;
}

int Open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    const int rc = realVfs->xOpen(realVfs, name, file, flags, outFlags);
    if (file->pMethods == nullptr) return rc;
    auto [found, added] = wrappedMethods.try_emplace(file->pMethods, WrappedMethods{*file->pMethods, file->pMethods});
    if (added) {
        found->second.methods.xWrite = [](sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
            Change(true);
            return Real(f).xWrite(f, b, n, o);
        };
        found->second.methods.xTruncate = [](sqlite3_file* f, sqlite3_int64 size) {
            Change();
            return Real(f).xTruncate(f, size);
        };
        found->second.methods.xSync = [](sqlite3_file* f, int flags) {
            Change();
            return Real(f).xSync(f, flags);
        };
    }
    file->pMethods = &found->second.methods;
    return rc;
}

void WrapSqliteFiles() {
    sqlite3_initialize();
    realVfs = sqlite3_vfs_find("win32-longpath");
    wrappedVfs = *realVfs;
    wrappedVfs.xOpen = Open;
    wrappedVfs.xDelete = [](sqlite3_vfs*, const char* name, int syncDir) {
        Change();
        return realVfs->xDelete(realVfs, name, syncDir);
    };
    // Found by its name before the real one.
    sqlite3_vfs_register(&wrappedVfs, 0);
}

void Exec(const std::string& path, const std::string& sql) {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(raw, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(raw);
    sqlite3_close(raw);
}

// A database in write-ahead-log mode, as Firefox and Chrome keep theirs, with
// its last changes still in the log.
void MakeSqlite(const std::string& folder) {
    const std::string path = folder + "\\store.sqlite";
    Exec(path, "PRAGMA journal_mode = WAL; CREATE TABLE items (id INTEGER PRIMARY KEY, erase INTEGER, v TEXT);"
               "CREATE INDEX items_v ON items (v)");
    std::string insert = "PRAGMA wal_autocheckpoint = 0; BEGIN;";
    for (int i = 0; i < KeptEntries + ErasedEntries; ++i)
        insert += "INSERT INTO items (erase, v) VALUES (" + std::to_string(i % 2) + ", printf('%0200d', " +
                  std::to_string(i) + "));";
    Exec(path, insert + "COMMIT");
}

// The same change as a preview makes it: on a copy of the store, in the
// program's scratch folder under TEMP.
void PreviewSqlite(const std::string& folder) {
    StoreChange run;
    run.preview = true;
    SqliteFile::Change(
        folder + "\\store.sqlite", [](SqliteDatabase& db) {
            db.Execute("DELETE FROM items WHERE erase = 1");
            return true;
        },
        run);
}

void EraseSqlite(const std::string& folder) {
    StoreChange run;
    SqliteFile::Change(
        folder + "\\store.sqlite", [](SqliteDatabase& db) {
            db.Execute("DELETE FROM items WHERE erase = 1");
            return true;
        },
        run);
}

std::pair<int, int> SqliteEntries(const std::string& folder) {
    const std::string path = folder + "\\store.sqlite";
    try {
        if (Rows(path, "PRAGMA integrity_check") != std::vector<std::string>{"ok"}) return {-1, -1};
        return {static_cast<int>(Count(path, "SELECT count(*) FROM items WHERE erase = 0")),
                static_cast<int>(Count(path, "SELECT count(*) FROM items WHERE erase = 1"))};
    } catch (const SqliteError&) {
        return {-1, -1};
    }
}

// ---------------------------------------------------------------- both

struct Engine {
    const char* name;
    void (*make)(const std::string& folder);
    void (*erase)(const std::string& folder);
    std::pair<int, int> (*entries)(const std::string& folder);
};

const Engine Engines[] = {
    {"leveldb", MakeLevelDb, EraseLevelDb, LevelDbEntries},
    {"sqlite", MakeSqlite, EraseSqlite, SqliteEntries},
};

const Engine Previewing{"sqlite-preview", MakeSqlite, PreviewSqlite, SqliteEntries};

const Engine& EngineNamed(const std::string& name) {
    if (name == Previewing.name) return Previewing;
    return *std::find_if(std::begin(Engines), std::end(Engines), [&](const Engine& e) { return name == e.name; });
}

// Runs this test program again as the worker; its exit code.
DWORD RunWorker(const Engine& engine, const std::string& store, int at) {
    char program[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string command = std::string("\"") + program + "\" --gtest_filter=KillWorker.*";
    ::SetEnvironmentVariableA(EngineVariable, engine.name);
    ::SetEnvironmentVariableA(StoreVariable, store.c_str());
    ::SetEnvironmentVariableA(AtVariable, std::to_string(at).c_str());
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const BOOL started =
        ::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    for (const char* variable : {EngineVariable, StoreVariable, AtVariable}) ::SetEnvironmentVariableA(variable, nullptr);
    if (!started) return static_cast<DWORD>(-1);
    const UniqueKernelHandle processHandle(process.hProcess), thread(process.hThread);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    return code;
}

}  // namespace

// Runs in the worker only.
TEST(KillWorker, ErasesUntilTheChosenChange) {
    const char* engine = std::getenv(EngineVariable);
    if (!engine) GTEST_SKIP() << "started by KillTest only";
    killAt = std::atoi(std::getenv(AtVariable));
    if (std::string(engine).starts_with("sqlite")) WrapSqliteFiles();
    EngineNamed(engine).erase(std::getenv(StoreVariable));
}

TEST(KillTest, AKillAtAnyChangeOfAnErasureLeavesTheStoreWholeWithTheOldEntriesOrTheNew) {
    for (const Engine& engine : Engines) {
        SCOPED_TRACE(engine.name);
        const Fixtures::TempFolder original("original"), store("store");
        engine.make(original.Path());
        const auto reset = [&] {
            Fixtures::DeleteTree(store.Path());
            Fixtures::CopyTree(original.Path(), store.Path());
        };
        reset();
        ASSERT_EQ(engine.entries(store.Path()), std::make_pair(KeptEntries, ErasedEntries));
        // How many changes a whole erasure makes, counted here.
        if (std::string(engine.name) == "sqlite") WrapSqliteFiles();
        changes = 0;
        killAt = 0;
        isRoutine.clear();
        engine.erase(store.Path());
        const int total = changes;
        ASSERT_EQ(engine.entries(store.Path()), std::make_pair(KeptEntries, 0));
        std::vector<int> kills;
        const int routine = static_cast<int>(std::count(isRoutine.begin(), isRoutine.end(), true));
        for (int at = 1, seen = 0; at <= total; ++at) {
            if (!isRoutine[at - 1] || ++seen % std::max(1, routine / KilledRoutine) == 0) kills.push_back(at);
        }

        int killed = 0;
        for (const int at : kills) {
            SCOPED_TRACE("killed at change " + std::to_string(at) + " of " + std::to_string(total));
            reset();
            killed += RunWorker(engine, store.Path(), at) == KilledCode;
            const std::pair<int, int> found = engine.entries(store.Path());
            EXPECT_EQ(found.first, KeptEntries) << "the store does not open, or kept entries are gone";
            EXPECT_TRUE(found.second == 0 || found.second == ErasedEntries) << found.second << " erased entries left";
        }
        EXPECT_GT(killed, 0);
        std::printf("%s: %d changes in an erasure, %d kills\n", engine.name, total, killed);
    }
}

namespace {

std::vector<std::string> ScratchFolders() {
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(MAX_PATH + 1, temp);
    return Path::Subfolders(std::string(temp) + "vorlane-scratch");
}

}  // namespace

// A preview killed while it changes its copy of a store leaves that copy, the
// erased rows and all, in the program's scratch folder; the next preview
// removes it before anything else, and its own copies once it is done.
TEST(KillTest, APreviewKilledMidwayLeavesItsCopyForTheNextPreviewToRemove) {
    const Fixtures::TempFolder store("store");
    MakeSqlite(store.Path());
    EXPECT_EQ(RunWorker(Previewing, store.Path(), 1), KilledCode);
    EXPECT_FALSE(ScratchFolders().empty()) << "the killed preview's copy is not there";
    EXPECT_EQ(SqliteEntries(store.Path()), std::make_pair(KeptEntries, ErasedEntries));
    {
        ScratchCopies previewsCopies;
        EXPECT_EQ(ScratchFolders(), std::vector<std::string>{});
        StoreChange run{true, 0, &previewsCopies};
        EXPECT_EQ(SqliteFile::Change(
                      store.Path() + "\\store.sqlite", [](SqliteDatabase& db) {
                          db.Execute("DELETE FROM items WHERE erase = 1");
                          return true;
                      },
                      run),
                  SqliteFile::Outcome::Changed);
        EXPECT_EQ(run.erased, ErasedEntries);
    }
    EXPECT_EQ(ScratchFolders(), std::vector<std::string>{});

    // A leftover that is a link, and a scratch folder that is one (planted by
    // scripts/plant-cleaner-fixtures.sh), lead nowhere: what they lead to stays.
    const std::string planted = "C:\\vorlane-scratch-links";
    for (const char* temp : {"\\temp", "\\linked-temp"}) {
        SCOPED_TRACE(temp);
        ASSERT_TRUE(Path::Exists(planted + temp + "\\vorlane-scratch\\1-1-0")) << "test plant_cleaner_fixtures";
        char saved[MAX_PATH] = {};
        ::GetEnvironmentVariableA("TMP", saved, MAX_PATH);
        ::SetEnvironmentVariableA("TMP", (planted + temp).c_str());
        { const ScratchCopies previewsCopies; }
        ::SetEnvironmentVariableA("TMP", saved[0] ? saved : nullptr);
    }
    EXPECT_TRUE(Path::Exists(planted + "\\outside\\copies\\History"));
    EXPECT_TRUE(Path::Exists(planted + "\\outside\\1-1-0\\History"));
}
