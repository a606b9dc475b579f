// Reading an SQLite database in tests: rows as text and counts.
#pragma once

#include "database/SqliteDatabase.h"

#include <cstdint>
#include <string>
#include <vector>

// The first column of every row of `sql`, as text.
inline std::vector<std::string> Rows(const std::string& database, const std::string& sql) {
    SqliteDatabase db(database);
    SqliteStatement statement = db.Prepare(sql);
    std::vector<std::string> rows;
    while (statement.Step()) rows.push_back(statement.Text(0));
    return rows;
}

inline std::int64_t Count(const std::string& database, const std::string& sql) {
    SqliteDatabase db(database);
    return db.Scalar(sql, -1);
}
