// An open SQLite database and its prepared statements, each owned by one object
// that closes it. Failures are thrown as SqliteError with SQLite's result code.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

class SqliteError : public std::runtime_error {
public:
    SqliteError(int code, const std::string& what) : std::runtime_error(what), code_(code) {}
    // The primary result code (SQLITE_BUSY, SQLITE_NOTADB, ...).
    int Code() const { return code_ & 0xFF; }

private:
    int code_;
};

class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, const std::string& sql);

    SqliteStatement& Bind(int index, std::int64_t value);
    SqliteStatement& Bind(int index, double value);
    SqliteStatement& Bind(int index, const std::string& value);
    // One step: true while a row is there to read.
    bool Step();
    // Back to the start, to run again with new bindings.
    void Reset();
    std::int64_t Int64(int column) const;
    std::string Text(int column) const;

private:
    struct Finalizer {
        void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
    };
    sqlite3* db_;
    std::unique_ptr<sqlite3_stmt, Finalizer> stmt_;
};

class SqliteDatabase {
public:
    // Opens an existing database for reading and writing; never creates one.
    // `utf8Path` is a file name in UTF-8, as SQLite takes it.
    explicit SqliteDatabase(const std::string& utf8Path);

    // Runs one or more statements that return no rows of interest.
    void Execute(const std::string& sql);
    SqliteStatement Prepare(const std::string& sql) { return SqliteStatement(db_.get(), sql); }
    // The first column of the first row of `sql`, or `fallback` without a row.
    std::int64_t Scalar(const std::string& sql, std::int64_t fallback = 0);
    bool HasTable(const std::string& name);
    bool HasColumn(const std::string& table, const std::string& column);
    // A temporary table `name` with one column, "value", holding each of
    // `values` once: for statements that keep or erase the rows a list names.
    void CreateTempList(const std::string& name, const std::set<std::string>& values);
    int Changes() const { return sqlite3_changes(db_.get()); }
    // Deletes the rows of `table` whose values of `columns` (NULL read as "")
    // `erase` chooses; each distinct combination is asked once, and the rows
    // go in one statement.
    void DeleteRowsWhere(const std::string& table, const std::vector<std::string>& columns,
                         const std::function<bool(const std::vector<std::string>& values)>& erase);
    // From now on the window messages of this thread run about every 20 ms
    // while the database works: during the steps of a statement, and while
    // Execute, whose statements may be one long step (a table emptied, a
    // commit), runs them on a thread of its own.
    void LetMessagesRunWhileBusy();

private:
    struct Closer {
        void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
    };
    std::unique_ptr<sqlite3, Closer> db_;
    bool messagesRun_ = false;
    unsigned long messagesThread_ = 0;
};

// Throws SqliteError for `code` unless it is one of the success codes.
void ThrowOnSqliteError(sqlite3* db, int code);

// Rolls a transaction back unless Commit() ran: a failure half way leaves the
// database as it was.
class SqliteTransaction {
public:
    // BEGIN IMMEDIATE: the write lock is taken at once, so a busy database fails
    // here, before anything changed.
    explicit SqliteTransaction(SqliteDatabase& db);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;
    void Commit();

private:
    SqliteDatabase& db_;
    bool open_ = true;
};
