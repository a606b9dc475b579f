// The one check every cleaner makes before it deletes anything in a folder:
// is this folder really browser data, or would emptying it reach the user's
// documents, the system or a whole drive? The paths it takes and gives are
// in the program's form: no trailing backslash (a drive root keeps its one).
#pragma once

#include <string>
#include <vector>

namespace TargetCheck {

enum class Verdict {
    Target,   // may be emptied
    Missing,  // no such folder: nothing to delete, nothing to say
    Refused,  // exists but is not a folder a cleaner may empty: leave it whole
};

// The path's shape alone: "X:\folder..." or "\\server\share\folder..." with at
// least one folder below the root or share, no "." or ".." component, no empty
// component, none ending in a space or a dot, no "/", ":", wildcard or device
// form. No trailing backslash.
bool HasTargetShape(const std::string& path);

// The user's and machine's own folders that no cleaner may empty nor any of
// their ancestors: profile, Desktop, Documents, Downloads, Pictures, Music,
// Videos, Favorites, Roaming and Local AppData, TEMP, Windows, System, Program
// Files, ProgramData and the program's own folder, each as given by the shell
// and as resolved. Folders the shell does not know are left out.
std::vector<std::string> ProtectedFolders();

// While one lives, ProtectedFolders() and CheckFolder() on this thread use the
// list read when it was made instead of asking the shell again: reading it
// costs about 5 ms under Wine, more than the rest of a profile's check, so a
// cleaner that checks many folders holds one for its whole run. They nest.
class ProtectedFoldersScope {
public:
    ProtectedFoldersScope();
    ~ProtectedFoldersScope();
    ProtectedFoldersScope(const ProtectedFoldersScope&) = delete;
    ProtectedFoldersScope& operator=(const ProtectedFoldersScope&) = delete;

private:
    const std::vector<std::string> folders_;
    const std::vector<std::string>* const outer_;
};

// True when `path` equals, or is an ancestor of, one of `protectedFolders`.
bool CoversProtectedFolder(const std::string& path, const std::vector<std::string>& protectedFolders);

// The whole check: shape, existence, not a reparse point, not covering a
// protected folder; then the resolved path must pass shape and protection too.
// `resolved` receives the resolved path of a target.
Verdict CheckFolder(const std::string& path, std::string* resolved = nullptr);

// The check of a browser's own folder (Chrome's User Data, Opera's profile,
// Mozilla\Firefox, an absolute Firefox profile, and their Local AppData
// counterparts): the same, but a link at the folder itself, like one above
// it, is followed, since that is how users move a browser's data to another
// drive; where it leads must pass the check. Below a browser's own folder
// nothing is reached through a link (CheckFolder, and IsInside the resolved
// browser folder).
Verdict CheckBrowserFolder(const std::string& path, std::string* resolved = nullptr);

// True when `child` lies inside `parent` (both without "\\?\", compared
// without regard to case); a folder is not inside itself.
bool IsInside(const std::string& child, const std::string& parent);

// Where `folder`, found by walking down from `top`, must really be: the
// resolved top plus the same way down.
std::string ResolvedBelow(const std::string& resolvedTop, const std::string& top, const std::string& folder);

// Compares two paths without regard to case.
bool SamePath(const std::string& a, const std::string& b);

// A key for sets of paths: the path with each UTF-16 character upper-cased
// as the file system does when it compares names without regard to case. Two
// paths that name the same folder so have the same key, and a set finds a path
// among n in constant time where comparing it with each would take n.
std::wstring PathKey(const std::string& path);

// The status and log text for a refused folder.
std::string NotABrowserFolder(const std::string& path);

}  // namespace TargetCheck
