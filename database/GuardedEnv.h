// The file layer every LevelDB store of a browser is opened with. LevelDB
// creates, writes, renames and removes files by name in the store's folder;
// here each of those names goes through the program's guard first
// (FileGuard): only a name directly in the folder, missing or a plain file
// with no second name. A link named LOG, or an old log's name, that leads
// to a file elsewhere is never written, renamed over or removed (under Wine
// removing a file link removes its target). Files are created with
// CREATE_NEW after an own leftover of the name was removed, so a name that
// turns into a link meanwhile is not written through, and a file takes
// another's name in one step (LevelDB's own Windows layer falls back to
// ReplaceFile, which under Wine removes the old CURRENT before the new one
// is in place: a kill at that moment left a store that no longer opens).
// Reading goes to the system's own layer unchanged.
#pragma once

#include "database/LevelDb.h"
#include "system/FileGuard.h"

#include <leveldb/env.h>

#include <functional>
#include <string>

class GuardedEnv : public leveldb::EnvWrapper {
public:
    // `beforeChange` is called before each change to a file of the folder
    // (its name created, appended to, written, flushed to the disk, renamed
    // or removed) with a word for the change and the file's name. None in the
    // program; the crash tests end the process at a chosen one.
    using BeforeChange = LevelDb::BeforeChange;

    explicit GuardedEnv(const std::string& folder, BeforeChange beforeChange = {});

    leveldb::Status NewWritableFile(const std::string& path, leveldb::WritableFile** result) override;
    leveldb::Status NewAppendableFile(const std::string& path, leveldb::WritableFile** result) override;
    leveldb::Status RemoveFile(const std::string& path) override;
    leveldb::Status RenameFile(const std::string& from, const std::string& to) override;
    leveldb::Status LockFile(const std::string& path, leveldb::FileLock** lock) override;
    leveldb::Status UnlockFile(leveldb::FileLock* lock) override;

private:
    // The name of `path` when it lies directly in the folder, else "".
    std::string NameOf(const std::string& path) const;
    leveldb::Status Open(const std::string& path, bool append, leveldb::WritableFile** result);
    void Before(const char* change, const std::string& name) const;

    FileGuard::Folder folder_;
    BeforeChange beforeChange_;
};
