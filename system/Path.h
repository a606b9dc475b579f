// Paths and files: joining and trimming backslashes the one way, asking the
// file system whether something is there, reading a whole file.
//
// The program keeps paths in its narrow encoding: the process code page, which
// the manifest makes UTF-8 (Windows 10 1903 and later), so every name Windows
// can hold fits. The file system is asked through the wide ("W") functions,
// with paths converted at one place (ForSystem): they reach every length.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace Path {

// The folder, one backslash and the name (a name or a relative path, never
// beginning with a backslash). A folder that ends in one (a drive root "C:\",
// or a folder of the walk) gets no second; an empty folder gives the name.
// Every path the program builds is built here.
std::string Join(const std::string& folder, const std::string& name);

// The path ending in a backslash, as the folder walk keeps its folders.
std::string WithBackslash(std::string path);

// The path without its trailing backslashes, to ask the file system about the
// entry itself: with one it answers for a link's target. A drive root keeps
// its backslash ("C:" would name the drive's current folder). This is the form
// the program keeps every path in: a path that comes in (a registry value, a
// profiles.ini entry, an environment variable, an answer of the system) is put
// in it where it is read, and nothing further on repairs it.
std::string WithoutBackslash(std::string path);

// True for the root of a drive ("C:", "C:\") or of a share ("\\server\share"),
// with or without one final backslash.
bool IsDriveRoot(const std::string& path);

// The path as the wide file functions take it: UTF-16, and for a fully
// qualified path of plain components ("X:\..." or "\\server\share\...") the
// "\\?\" form, which reaches paths of any length and names that end in a dot
// or a space. Any other path (relative, with "." or "..", with "/") goes as it is.
std::wstring ForSystem(const std::string& path);

// A path the system gives through a buffer, of any length: `get` answers the
// length it wrote, or the room it needs when the buffer was too small; "" when
// it fails.
std::string FromSystemCall(const std::function<DWORD(wchar_t* buffer, DWORD room)>& get);

// A name or path the system gave in UTF-16, in the program's narrow encoding.
// On a Windows without the UTF-8 code page a character that code page cannot
// spell comes back as "?", and the name then opens nothing.
std::string FromSystem(std::wstring_view text);

// The file system's attributes for the path; INVALID_FILE_ATTRIBUTES when it
// is not there or cannot be asked.
DWORD Attributes(const std::string& path);
bool Exists(const std::string& path);
// There, and not a folder.
bool IsFile(const std::string& path);
// There, and a folder (or a link to one).
bool IsFolder(const std::string& path);
// A reparse point (junction, symbolic link, mount point). The path has no
// trailing backslash: with one the system answers for the link's target.
bool IsLink(const std::string& path);

// The names of the folders (links too) directly in `folder`, but "." and "..";
// none when it cannot be listed.
std::vector<std::string> Subfolders(const std::string& folder);

// True for the errors that say the file or its folder is not there.
bool IsGone(DWORD error);

// Reads a whole file, shared with programs that write it meanwhile, into the
// room `place(length)` gives for its length when opened; returns the bytes
// read, fewer when the file was cut short meanwhile. Raises a Failure when it
// cannot be opened or read.
std::size_t ReadAll(const std::string& path, const std::function<char*(std::size_t length)>& place);
std::string ReadAll(const std::string& path);
// The same for a file that must not be larger than `largest` bytes (a Failure
// says "file too large" for one that is).
std::string ReadAll(const std::string& path, std::size_t largest);

}  // namespace Path
