// The LevelDB databases of the Chromium browsers (Local Storage, Session
// Storage, ...): reading them, and erasing keys so that no file of the
// database's folder keeps them. Folders are paths in the ANSI code page, as
// everywhere in the program (LevelDB opens its files with the A entry points).
#pragma once

#include "system/StoreChange.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace LevelDb {

enum class Outcome {
    Changed,    // keys erased, and no file of the folder holds them any more
    Unchanged,  // no key was to be erased (the files were rewritten all the same)
    Missing,    // no database in that folder (none is ever created)
    Failed,     // damaged or locked by a running browser: left as it was; or a
                // disk error part way, after which the keys may still be in its files
};

using Entries = std::vector<std::pair<std::string, std::string>>;
using EraseFilter = std::function<bool(std::string_view key, std::string_view value)>;

// Every key and its value, in key order; nullopt when there is no database or
// it cannot be read whole. Opening a database may write a fresh log and
// MANIFEST in its folder, with the same keys and values.
std::optional<Entries> ReadAll(const std::string& folder);

// Called before each change to a file of the store (see GuardedEnv); none
// in the program.
using BeforeChange = std::function<void(const char* change, const std::string& name)>;

// Deletes every key for which `erase(key, value)` is true in one synced write,
// then compacts the whole key range and opens the database once more, so that
// no table, log or MANIFEST keeps an erased key or value, nor a record the
// browser itself deleted earlier (this happens with nothing to erase too).
// LevelDB's LOG and LOG.old (diagnostics, which can name keys) go as well.
// The store is opened once, and every file LevelDB writes goes through the
// guard on the folder (GuardedEnv): a folder holding a link or a file with a
// second name is Failed and left as it was. `run.erased` grows by the keys
// erased. A preview does all of it on a copy of the folder's files, once the
// browser's lock on the folder could be taken, and leaves the folder as it was.
Outcome EraseKeys(const std::string& folder, const EraseFilter& erase, StoreChange& run,
                  const BeforeChange& beforeChange = {});

// The same, for keys that can only be chosen from the whole database (an entry
// naming others): `choose` gets every entry and answers the keys to erase.
using KeyChooser = std::function<std::vector<std::string>(const Entries& entries)>;
Outcome EraseChosenKeys(const std::string& folder, const KeyChooser& choose, StoreChange& run,
                        const BeforeChange& beforeChange = {});

}  // namespace LevelDb
