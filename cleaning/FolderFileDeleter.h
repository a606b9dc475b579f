// Deleting the files directly in one folder, each checked and deleted on one
// handle: no file is deleted whose real place is not that folder, and a file
// swapped for a link between the check and the deletion cannot be followed.
#pragma once

#include "cleaning/StatusLine.h"
#include "system/FileGuard.h"
#include "system/UniqueHandle.h"

#include <windows.h>

#include <cstdint>
#include <string>

class FolderFileDeleter {
public:
    // What happens to the attributes of a file before it goes.
    enum class Attributes {
        MakeArchiveOnly,  // set them to archive only (this also clears read-only)
        KeepReadOnly,     // a read-only file stays, as the system would keep it
    };
    enum class Outcome {
        Deleted,
        Gone,
        Refused,
        Failed
    };

    // `folder`: the folder as the caller names it, `resolvedFolder`: where the
    // file system really has it (TargetCheck::ResolvedPath). Both without a
    // trailing backslash. Each file deleted is counted on `status`, and one
    // that stays although it was to go is said there (CouldNotDelete). In a
    // preview (StatusLine::Previewing) a file is checked and opened as for its
    // deletion, counted, and left as it is.
    FolderFileDeleter(std::string folder, const std::string& resolvedFolder, Attributes attributes,
                      StatusLine& status);

    // Deletes `folder\name`. `listedAttributes` are those the directory search
    // reported, or INVALID_FILE_ATTRIBUTES when unknown (they are then read on
    // the handle). Gone: the file was not there. Failed: it is there and stays
    // (said on the failures' status line); Refused: it is not a plain file of
    // this folder and stays on purpose. A preview opens the file as the
    // deletion would, so a file the pass could not delete (held open by
    // another program) is said the same way; for a file the search listed
    // (its attributes and `listedSize` known) it takes the rest from the
    // listing. Under Wine a file link lists as a plain file: such a preview
    // counts it, and the pass then leaves it. The bytes counted are
    // `listedSize` when the search gave it, in a pass as in a preview.
    Outcome Delete(const std::string& name, DWORD listedAttributes = INVALID_FILE_ATTRIBUTES,
                   std::int64_t listedSize = -1) const;

    // Delete in two halves, for deletions run on several threads at once
    // (DeletionBatch): Attempt does the system's part and touches nothing but
    // the file, on any thread; Record then counts or says on the status line
    // what it came to, on the status line's thread.
    struct Attempted {
        Outcome outcome;
        std::int64_t size;  // the bytes a deleted file counts
    };
    Attempted Attempt(const std::string& name, DWORD listedAttributes, std::int64_t listedSize) const;
    Outcome Record(const std::string& name, const Attempted& attempted) const;

    // True when `folder\name` is the folder's own file (FileGuard): for
    // callers that must open it by name.
    bool IsPlainFileHere(const std::string& name) const;

    // Opens `folder\name` for `access` on one handle that is checked to be
    // the folder's own file (FileGuard::Folder::Open), creating the file when
    // `create` and it is missing; an empty handle when it is no such file or
    // cannot be opened (GetLastError tells why).
    UniqueFile OpenHere(const std::string& name, DWORD access, bool create) const;

    const std::string& Folder() const { return guard_.Path(); }
    const std::string& ResolvedFolder() const { return guard_.Resolved(); }

private:
    FileGuard::Folder guard_;
    Attributes attributes_;
    StatusLine* status_;
};
