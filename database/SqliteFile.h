// Changing an SQLite database file of a browser profile safely: the file is
// checked to be SQLite before SQLite ever sees it, every change runs in one
// transaction with erased rows overwritten, and the write-ahead log is
// emptied afterwards so no -wal file keeps what was erased.
#pragma once

#include "database/SqliteDatabase.h"
#include "system/StoreChange.h"

#include <functional>
#include <string>

namespace SqliteFile {

enum class Outcome {
    Changed,      // done, committed and checkpointed
    Missing,      // no file there
    NotDatabase,  // SQLite read it whole, and it is not the database `change` expects: nothing changed
    Damaged,      // SQLite opened it but cannot read it whole (a torn page, a first page that lists no
                  // table while others follow): left as it was, since it may hold what the user keeps
    Failed,       // not SQLite, in use, read-only, failing, or the file or a companion (-wal, -shm,
                  // -journal) is not a plain file with one name, or a link even to nowhere: left as it was
};

// Opens the file at `path` (ANSI code page) and runs `change` in one
// transaction with secure_delete on; `change` returns false, before changing
// anything, when the database is not the one it expects. `run.erased` grows
// by the rows the change took away (all tables counted before and after). A
// preview runs the same on a copy of the database and its log or journal and
// leaves the file as it was.
Outcome Change(const std::string& path, const std::function<bool(SqliteDatabase&)>& change, StoreChange& run);

// Opens the file at `path` the same careful way and runs `read`, which must
// not change anything. Changed means it ran.
Outcome Read(const std::string& path, const std::function<void(SqliteDatabase&)>& read);

// The file name as SQLite takes it: UTF-8, in the "\\?\" form that reaches
// every length (the databases are opened through SQLite's long-path layer).
std::string Utf8Path(const std::string& ansiPath);

}  // namespace SqliteFile
