// Paths and files: joining and trimming backslashes the one way, asking the
// file system whether something is there, reading a whole file.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace Path {

// The folder and the name with exactly one backslash between them, whether the
// folder ends in one (a drive root "C:\") or the name begins with one. An empty
// folder gives the name as it is.
std::string Join(const std::string& folder, const std::string& name);

// The path ending in a backslash, as the folder walk keeps its folders.
std::string WithBackslash(std::string path);

// The path without its trailing backslashes, to ask the file system about the
// entry itself: with one it answers for a link's target. A drive root keeps
// its backslash ("C:" would name the drive's current folder).
std::string WithoutBackslash(std::string path);

// The file system's attributes for the path; INVALID_FILE_ATTRIBUTES when it
// is not there or cannot be asked.
DWORD Attributes(const std::string& path);
bool Exists(const std::string& path);
// There, and not a folder.
bool IsFile(const std::string& path);
// A reparse point (junction, symbolic link, mount point), asked without the
// trailing backslash.
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

// The name beside `path` that ReplaceAll writes first.
inline constexpr char ReplacementSuffix[] = ".vorlane-new";

// Makes `contents` the whole content of the existing file at `path` without
// ever leaving a half-written file: the bytes go into a new file beside it
// (`path` + ReplacementSuffix), are flushed to the disk, and that file then
// takes the old one's place in one step. A crash or power loss at any moment
// leaves the old file or the new one whole. Raises a Failure when it cannot
// (the old file then stays as it was).
void ReplaceAll(const std::string& path, const std::string& contents);

}  // namespace Path
