// Reading an SQLite database in tests: rows as text and counts.
#pragma once

#include "database/SqliteDatabase.h"

#include <cstdint>
#include <string>
#include <vector>

// Every row of `sql`, its columns joined with "|".
inline std::vector<std::string> Rows(const std::string& database, const std::string& sql) {
    SqliteDatabase db(database);
    SqliteStatement statement = db.Prepare(sql);
    std::vector<std::string> rows;
    while (statement.Step()) {
        std::string row;
        for (int column = 0; column < statement.Columns(); ++column) {
            if (column) row += "|";
            row += statement.Text(column);
        }
        rows.push_back(row);
    }
    return rows;
}

inline std::int64_t Count(const std::string& database, const std::string& sql) {
    SqliteDatabase db(database);
    return db.Scalar(sql, -1);
}
