// Copies of a store's files in a fresh folder of the program's own folder
// under TEMP ("vorlane-scratch"), deleted with the object: a preview runs a
// database's real change on them, so that what it counts is exactly what the
// change would do, and the originals stay byte for byte as they were. The
// copies hold the very traces the program erases, so what a killed run left
// there is removed by the next pass or preview (RemoveLeftovers).
#pragma once

#include "system/StoreChange.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class ScratchCopy {
public:
    // Copies each of `names` that is a file directly in `folder`; with no
    // names, every file directly in it. Raises a Failure when a file that is
    // there cannot be copied.
    ScratchCopy(const std::string& folder, const std::vector<std::string>& names);
    ~ScratchCopy();
    ScratchCopy(const ScratchCopy&) = delete;
    ScratchCopy& operator=(const ScratchCopy&) = delete;

    const std::string& Folder() const { return folder_; }

    // Removes the copies of every program run that no longer runs (one
    // killed while it previewed), through the guarded one-handle deletion:
    // a link there is neither followed nor removed.
    static void RemoveLeftovers();

private:
    void Copy(const std::string& from, const std::string& name);
    void Remove();

    std::string folder_;
};

// The scratch copies of one preview: each store is copied once, the first
// time a change is previewed on it, and every later change of the preview
// runs on that copy, as the pass runs each box's change on what the boxes
// before it left. What two boxes take from one store counts once.
class ScratchCopies {
public:
    // Removes what killed program runs left first (ScratchCopy::RemoveLeftovers).
    ScratchCopies();

    // The folder of the copy of the store `key` (a database's path, a
    // LevelDB folder): `names` of `folder` copied the first time it is asked.
    const std::string& CopyOf(const std::string& key, const std::string& folder,
                              const std::vector<std::string>& names);

private:
    std::map<std::string, std::unique_ptr<ScratchCopy>> copies_;
};

// The folder a previewed change of the store `key` runs in: the preview's
// shared copy when `run` has its copies, else a copy of its own, made into `own`.
const std::string& PreviewFolder(const StoreChange& run, const std::string& key, const std::string& folder,
                                 const std::vector<std::string>& names, std::optional<ScratchCopy>& own);
