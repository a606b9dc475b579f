#include "database/SqliteFile.h"

#include "system/Failure.h"
#include "system/FileGuard.h"
#include "system/MessagePump.h"
#include "system/Path.h"
#include "system/ScratchCopy.h"
#include "system/UniqueHandle.h"
#include "system/Utf8.h"

#include <windows.h>

#include <cstring>
#include <optional>

namespace SqliteFile {

namespace {

enum class Kind {
    Sqlite,
    Missing,
    Other,
    Unreadable
};

// Whether the file starts as every SQLite database does. A file that does not
// is never handed to SQLite: opening it would still treat a -journal or -wal
// beside it as the database's own, rolling it back or removing it. A file
// that cannot be read (held open by another program, access denied) may well
// be one.
Kind KindOf(const std::string& path) {
    static constexpr char Header[] = "SQLite format 3";  // and its terminating NUL: 16 bytes
    UniqueFile file(::CreateFileW(Path::ForSystem(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return Path::IsGone(::GetLastError()) ? Kind::Missing : Kind::Unreadable;
    char start[sizeof(Header)] = {};
    DWORD read = 0;
    if (!::ReadFile(file.Get(), start, sizeof(start), &read, nullptr)) return Kind::Unreadable;
    // An empty file is a database with nothing in it, as SQLite opens it.
    if (read == 0) return Kind::Sqlite;
    return read == sizeof(start) && std::memcmp(start, Header, sizeof(Header)) == 0 ? Kind::Sqlite : Kind::Other;
}

// The files SQLite keeps beside a database and writes, truncates or removes
// by name.
constexpr const char* Companions[] = {"-wal", "-shm", "-journal"};

// Whether the database is a plain file of its folder with no second name,
// and each companion that is there too (FileGuard): SQLite would otherwise
// write or remove through a link, or through a hard link into a file elsewhere.
bool FilesAreOwn(const std::string& path) {
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string::npos) return false;
    const FileGuard::Folder folder(Path::WithoutBackslash(path.substr(0, slash + 1)));
    const std::string name = path.substr(slash + 1);
    if (folder.Check(name) != FileGuard::Kind::Own) return false;
    for (const char* suffix : Companions) {
        const FileGuard::Kind kind = folder.Check(name + suffix);
        if (kind != FileGuard::Kind::Missing && kind != FileGuard::Kind::Own) return false;
    }
    return true;
}

// Copies the write-ahead log into the database and empties it, so no -wal
// file keeps the erased rows. A database in rollback-journal mode has no log.
void Checkpoint(SqliteDatabase& db) {
    if (db.Scalar("PRAGMA wal_checkpoint(TRUNCATE)") != 0)
        throw SqliteError(SQLITE_BUSY, "the write-ahead log is in use");
}

}  // namespace

std::string Utf8Path(const std::string& path) { return Utf8::FromWide(Path::ForSystem(path)); }

namespace {

// What the checks before any opening say of the file at `path`: Missing,
// Failed (not SQLite, unreadable, or its files not its own), or nullopt
// when SQLite may open it.
std::optional<Outcome> Refusal(const std::string& path) {
    switch (KindOf(path)) {
    case Kind::Missing: return Outcome::Missing;
    case Kind::Other:
    case Kind::Unreadable: return Outcome::Failed;
    case Kind::Sqlite: break;
    }
    if (!FilesAreOwn(path)) return Outcome::Failed;
    return std::nullopt;
}

// Whether SQLite reads every page of the database as part of it. A first page
// that lists no table while other pages follow is a damaged schema (one torn
// sector can zero its cell count), not an empty database: its tables are
// still in the pages it no longer names.
bool ReadsWhole(SqliteDatabase& db) {
    if (db.Scalar("SELECT COUNT(*) FROM sqlite_master") == 0 && db.Scalar("PRAGMA page_count") > 1) return false;
    SqliteStatement check = db.Prepare("PRAGMA quick_check(1)");
    return check.Step() && check.Text(0) == "ok";
}

bool IsDamage(const SqliteError& error) { return error.Code() == SQLITE_CORRUPT || error.Code() == SQLITE_NOTADB; }

// Opens the file at `path` when it is SQLite, sets `pragmas` and runs `use`,
// which answers false when the database is not the one it expects: it is
// then read whole before it is said to be another database, since a caller
// may delete that as a file.
Outcome Use(const std::string& path, const char* pragmas, const std::function<bool(SqliteDatabase&)>& use) {
    if (const std::optional<Outcome> refused = Refusal(path)) return *refused;
    try {
        SqliteDatabase db(Utf8Path(path));
        db.Execute(pragmas);
        if (use(db)) return Outcome::Changed;
        return ReadsWhole(db) ? Outcome::NotDatabase : Outcome::Damaged;
    } catch (const SqliteError& error) {
        // Damaged (a header SQLite rejects, a torn page), busy or failing:
        // nothing changed, and what it holds stays.
        return IsDamage(error) ? Outcome::Damaged : Outcome::Failed;
    }
}

}  // namespace

namespace {

// The rows of every table the database stores itself (a virtual table's rows
// live in tables of their own, counted there).
std::int64_t RowCount(SqliteDatabase& db) {
    std::int64_t rows = 0;
    SqliteStatement tables = db.Prepare(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND sql NOT LIKE 'CREATE VIRTUAL%'");
    while (tables.Step()) {
        std::string name = tables.Text(0);
        for (std::size_t at = 0; (at = name.find('"', at)) != std::string::npos; at += 2) name.insert(at, 1, '"');
        rows += db.Scalar("SELECT COUNT(*) FROM \"" + name + "\"");
    }
    return rows;
}

// Deleted rows are overwritten with zeros, in the tables, their indexes and
// the pages that become free.
Outcome ChangeHere(const std::string& path, const std::function<bool(SqliteDatabase&)>& change, StoreChange& run) {
    return Use(path,
               "PRAGMA busy_timeout = 1000; PRAGMA secure_delete = ON; PRAGMA temp_store = MEMORY;"
               " PRAGMA foreign_keys = OFF",
               [&](SqliteDatabase& db) {
                   db.LetMessagesRunWhileBusy();
                   std::int64_t erased = 0;
                   // Counting a big table and checkpointing are one long step
                   // of SQLite each: they run on a thread of their own.
                   {
                       SqliteTransaction transaction(db);
                       std::int64_t before = 0, after = 0;
                       MessagePump::RunWhileMessagesRun([&] { before = RowCount(db); });
                       if (!change(db)) return false;
                       MessagePump::RunWhileMessagesRun([&] { after = RowCount(db); });
                       erased = before - after;
                       transaction.Commit();
                   }
                   MessagePump::RunWhileMessagesRun([&] { Checkpoint(db); });
                   run.erased += erased;
                   return true;
               });
}

}  // namespace

Outcome Change(const std::string& path, const std::function<bool(SqliteDatabase&)>& change, StoreChange& run) {
    if (!run.preview) return ChangeHere(path, change, run);
    // What the checks say about the file itself, before anything is copied.
    if (const std::optional<Outcome> refused = Refusal(path)) return *refused;
    const std::size_t slash = path.rfind('\\');
    const std::string folder = path.substr(0, slash);
    const std::string name = path.substr(slash + 1);
    try {
        std::optional<ScratchCopy> own;
        const std::string& copied = PreviewFolder(run, path, folder, {name, name + Companions[0], name + Companions[2]}, own);
        return ChangeHere(Path::Join(copied, name), change, run);
    } catch (const Failure&) {
        return Outcome::Failed;
    }
}

Outcome Read(const std::string& path, const std::function<void(SqliteDatabase&)>& read) {
    return Use(path, "PRAGMA busy_timeout = 1000; PRAGMA query_only = ON", [&](SqliteDatabase& db) {
        read(db);
        return true;
    });
}

}  // namespace SqliteFile
