// The guard on every file the program lets something create, write, append
// to, rename, replace or delete by name: the program itself (its history log,
// the new text of a settings file, its scratch copies) and the database
// engines it drives. Such a name must be missing, or a plain file directly in
// its folder (not a link: under Wine a file link opens as its target, so the
// name the opened file really has is compared) with no second name (a hard
// link: writing through it would change a file elsewhere, and Windows lets
// anyone make one). Each check is made on the handle that then does the work.
#pragma once

#include "system/UniqueHandle.h"

#include <windows.h>

#include <string>

namespace FileGuard {

// Where `path` really leads, from the file system: the resolved form without
// the "\\?\" prefix ("C:\..." or "\\server\share\..."); "" when it cannot be
// opened or resolves to something that is neither a drive-letter path nor a
// share (Wine's "\\?\unix\..." paths, devices).
std::string ResolvedPath(const std::string& path);

// What a name in a folder is now.
enum class Kind {
    Missing,  // nothing there, not even a link to nowhere
    Own,      // a plain file directly in the folder with no other name
    Foreign,  // a link (also one to nowhere), a folder, a file with a second name, or not where its name says
    Failed,   // there, but it could not be opened to tell (held, access denied)
};

// One folder, as named and as it really is, whose files are checked by name.
class Folder {
public:
    // `resolved`: where the folder really is (ResolvedPath); "" to ask now.
    // A folder that cannot be resolved has no own file.
    explicit Folder(std::string folder, std::string resolved = "");

    const std::string& Path() const { return folder_; }
    const std::string& Resolved() const { return resolved_; }

    // Whether the opened `file` is `name` directly in this folder: not a file
    // elsewhere that a link named so leads to.
    bool HasName(HANDLE file, const std::string& name) const;
    // HasName, and a plain file (no link, no folder) with no other name.
    bool IsOwn(HANDLE file, const std::string& name) const;

    Kind Check(const std::string& name) const;

    // Opens `name` for `access` when it is own; with `create`, a missing name
    // is created (CREATE_NEW: never through a link to nowhere). An empty
    // handle otherwise: GetLastError says why (ERROR_ACCESS_DENIED for a
    // foreign name).
    UniqueFile Open(const std::string& name, DWORD access, bool create) const;
    // A new, empty `name`: a leftover own file there is removed first; a
    // foreign name stays and nothing is created.
    UniqueFile CreateNew(const std::string& name, DWORD access) const;
    // Removes `name` on one handle when it is own (a read-only one too). True
    // when no such name is there afterwards.
    bool Remove(const std::string& name) const;
    // Gives the own file `from` the name `to` in one step, replacing an own
    // file of that name. False, with nothing changed, for a foreign name.
    bool Rename(const std::string& from, const std::string& to) const;

private:
    std::string folder_;
    std::string resolved_;
    std::wstring expectedPrefix_;  // the resolved folder below its volume root, with a final backslash
};

// The name beside a file that ReplaceFile writes first.
inline constexpr char ReplacementSuffix[] = ".vorlane-new";

// Makes `contents` the whole content of the existing file at `path` without
// ever leaving a half-written file: a leftover of an earlier run beside it
// (`path` + ReplacementSuffix) is removed, the bytes go into that name created
// anew, are flushed to the disk, and the file then takes the old one's place
// in one step, with the old one's attributes. A crash or power loss at any
// moment leaves the old file or the new one whole. Raises a Failure, leaving
// the file as it was, when it cannot, and for a file that is not own or is
// read-only (the user's choice to keep it as it is).
void ReplaceFile(const std::string& path, const std::string& contents);
// Raises the Failure that ReplaceFile would raise before it writes anything:
// what a preview asks.
void CheckReplaceable(const std::string& path);

// Makes `contents` the whole content of the file at `path`, which need not
// exist yet, the way ReplaceFile does: a crash at any moment leaves the old
// file or the new one whole (or, for a new file, none). A name that is a
// link, a folder or a file with a second name is left as it is, and the
// Failure says so.
void WriteWholeFile(const std::string& path, const std::string& contents);

}  // namespace FileGuard
