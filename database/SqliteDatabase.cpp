#include "database/SqliteDatabase.h"

#include "system/MessagePump.h"

#include <windows.h>

void ThrowOnSqliteError(sqlite3* db, int code) {
    if (code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE) return;
    std::string message = sqlite3_errstr(code);
    if (db && sqlite3_errcode(db) == code) message = sqlite3_errmsg(db);
    throw SqliteError(code, message);
}

SqliteStatement::SqliteStatement(sqlite3* db, const std::string& sql) : db_(db) {
    sqlite3_stmt* raw = nullptr;
    const int code = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr);
    stmt_.reset(raw);
    ThrowOnSqliteError(db, code);
}

SqliteStatement& SqliteStatement::Bind(int index, std::int64_t value) {
    ThrowOnSqliteError(db_, sqlite3_bind_int64(stmt_.get(), index, value));
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, const std::string& value) {
    ThrowOnSqliteError(db_, sqlite3_bind_text(stmt_.get(), index, value.data(), static_cast<int>(value.size()),
                                              SQLITE_TRANSIENT));
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, double value) {
    ThrowOnSqliteError(db_, sqlite3_bind_double(stmt_.get(), index, value));
    return *this;
}

bool SqliteStatement::Step() {
    const int code = sqlite3_step(stmt_.get());
    ThrowOnSqliteError(db_, code);
    return code == SQLITE_ROW;
}

void SqliteStatement::Reset() { ThrowOnSqliteError(db_, sqlite3_reset(stmt_.get())); }

std::int64_t SqliteStatement::Int64(int column) const { return sqlite3_column_int64(stmt_.get(), column); }

std::string SqliteStatement::Text(int column) const {
    const auto* text = sqlite3_column_text(stmt_.get(), column);
    return text ? std::string(reinterpret_cast<const char*>(text),
                              static_cast<std::size_t>(sqlite3_column_bytes(stmt_.get(), column)))
                : std::string();
}

SqliteDatabase::SqliteDatabase(const std::string& utf8Path) {
    sqlite3* raw = nullptr;
    // SQLite's Windows file layer for paths of any length ("\\?\" paths).
    const int code = sqlite3_open_v2(utf8Path.c_str(), &raw, SQLITE_OPEN_READWRITE, "win32-longpath");
    db_.reset(raw);
    ThrowOnSqliteError(raw, code);
    sqlite3_extended_result_codes(raw, 1);
}

void SqliteDatabase::LetMessagesRunWhileBusy() {
    // Every 1,000 steps of SQLite's machine: a few microseconds apart, so the
    // clock is looked at often enough; the messages run only on the thread
    // that asked (a step handed to another thread leaves its own alone).
    static constexpr int Steps = 1000;
    messagesThread_ = ::GetCurrentThreadId();
    const auto owner = reinterpret_cast<void*>(static_cast<std::uintptr_t>(messagesThread_));
    sqlite3_progress_handler(
        db_.get(), Steps,
        [](void* thread) {
            if (reinterpret_cast<std::uintptr_t>(thread) == ::GetCurrentThreadId())
                MessagePump::LetPendingMessagesRunThrottled();
            return 0;
        },
        owner);
    messagesRun_ = true;
}

void SqliteDatabase::Execute(const std::string& sql) {
    const auto execute = [&] {
        ThrowOnSqliteError(db_.get(), sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, nullptr));
    };
    // Handed off from the thread that asked for it only: work already handed
    // off runs where it is.
    if (messagesRun_ && ::GetCurrentThreadId() == messagesThread_) MessagePump::RunWhileMessagesRun(execute);
    else execute();
}

std::int64_t SqliteDatabase::Scalar(const std::string& sql, std::int64_t fallback) {
    SqliteStatement statement = Prepare(sql);
    return statement.Step() ? statement.Int64(0) : fallback;
}

bool SqliteDatabase::HasTable(const std::string& name) {
    SqliteStatement statement = Prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1");
    return statement.Bind(1, name).Step();
}

bool SqliteDatabase::HasColumn(const std::string& table, const std::string& column) {
    SqliteStatement statement = Prepare("SELECT 1 FROM pragma_table_info(?1) WHERE name = ?2");
    return statement.Bind(1, table).Bind(2, column).Step();
}

void SqliteDatabase::CreateTempList(const std::string& name, const std::set<std::string>& values) {
    Execute("CREATE TEMP TABLE \"" + name + "\" (value TEXT PRIMARY KEY)");
    SqliteStatement insert = Prepare("INSERT INTO temp.\"" + name + "\" (value) VALUES (?1)");
    for (const std::string& value : values) {
        insert.Bind(1, value).Step();
        insert.Reset();
    }
}

void SqliteDatabase::DeleteRowsWhere(const std::string& table, const std::vector<std::string>& columns,
                                     const std::function<bool(const std::vector<std::string>& values)>& erase) {
    // The combinations chosen go into a temporary table keyed by them, so
    // one DELETE finds each row's by that key: a table of many sites is
    // read once, not once per site.
    std::string values, keys, placeholders;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const std::string separator = i ? ", " : "";
        values += separator + "coalesce(\"" + columns[i] + "\", '')";
        keys += separator + "c" + std::to_string(i);
        placeholders += separator + "?" + std::to_string(i + 1);
    }
    Execute("CREATE TEMP TABLE erased_values (" + keys + ", PRIMARY KEY (" + keys + "))");
    {
        SqliteStatement insert = Prepare("INSERT INTO temp.erased_values VALUES (" + placeholders + ")");
        SqliteStatement distinct = Prepare("SELECT DISTINCT " + values + " FROM \"" + table + "\"");
        while (distinct.Step()) {
            std::vector<std::string> row;
            for (std::size_t i = 0; i < columns.size(); ++i) row.push_back(distinct.Text(static_cast<int>(i)));
            if (!erase(row)) continue;
            for (std::size_t i = 0; i < row.size(); ++i) insert.Bind(static_cast<int>(i + 1), row[i]);
            insert.Step();
            insert.Reset();
        }
    }
    Execute("DELETE FROM \"" + table + "\" WHERE (" + values + ") IN (SELECT " + keys + " FROM temp.erased_values)");
    Execute("DROP TABLE temp.erased_values");
}

SqliteTransaction::SqliteTransaction(SqliteDatabase& db) : db_(db) { db_.Execute("BEGIN IMMEDIATE"); }

SqliteTransaction::~SqliteTransaction() {
    if (!open_) return;
    try {
        db_.Execute("ROLLBACK");
    } catch (const SqliteError&) {
        // SQLite has already rolled back after certain errors; nothing is left to undo.
    }
}

void SqliteTransaction::Commit() {
    db_.Execute("COMMIT");
    open_ = false;
}
