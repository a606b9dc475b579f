// The plainest erasure of a Chromium History, the benchmarks' baseline.
#pragma once

#include "database/SqliteDatabase.h"

#include <string>
#include <vector>

// The DELETE a user would type: every history table, in one transaction, no
// secure_delete, no checkpoint.
inline void PlainHistoryDelete(const std::string& history) {
    SqliteDatabase db(history);
    std::vector<std::string> tables;
    SqliteStatement list = db.Prepare(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' AND name <> 'meta'"
        " AND name NOT LIKE 'downloads%'");
    while (list.Step()) tables.push_back(list.Text(0));
    std::string sql = "PRAGMA secure_delete = OFF; BEGIN;";
    for (const std::string& table : tables) sql += "DELETE FROM \"" + table + "\";";
    db.Execute(sql + "COMMIT;");
}
