#include "support/LevelDbFill.h"

#include <gtest/gtest.h>
#include <leveldb/db.h>
#include <leveldb/write_batch.h>

#include <memory>

namespace LevelDbFill {

void Put(const std::string& folder, const std::vector<std::pair<std::string, std::string>>& entries) {
    leveldb::Options options;
    options.create_if_missing = true;
    leveldb::DB* raw = nullptr;
    const leveldb::Status opened = leveldb::DB::Open(options, folder, &raw);
    ASSERT_TRUE(opened.ok()) << opened.ToString();
    const std::unique_ptr<leveldb::DB> db(raw);
    leveldb::WriteBatch batch;
    for (const auto& [key, value] : entries) batch.Put(key, value);
    ASSERT_TRUE(db->Write(leveldb::WriteOptions(), &batch).ok());
}

}  // namespace LevelDbFill
