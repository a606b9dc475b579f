// What a folder holds, in tests: every file and folder below it as paths
// relative to it (folders end in "\"), with or without the files' contents.
#pragma once

#include "support/Fixtures.h"
#include "system/UniqueHandle.h"

#include <windows.h>

#include <map>
#include <set>
#include <string>

namespace FileTree {

// Fills `out` with every entry below `root\prefix`: a file with its content
// when `withContents`, else with ""; a folder with "".
inline void List(const std::string& root, const std::string& prefix, bool withContents,
                 std::map<std::string, std::string>& out) {
    WIN32_FIND_DATAA data;
    UniqueFind find(::FindFirstFileA((root + "\\" + prefix + "*").c_str(), &data));
    if (!find) return;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out[prefix + name + "\\"] = "";
            List(root, prefix + name + "\\", withContents, out);
        } else {
            out[prefix + name] = withContents ? Fixtures::ReadFile(root + "\\" + prefix + name) : "";
        }
    } while (::FindNextFileA(find.Get(), &data));
}

inline std::map<std::string, std::string> Contents(const std::string& root) {
    std::map<std::string, std::string> out;
    List(root, "", true, out);
    return out;
}

inline std::set<std::string> Paths(const std::string& root) {
    std::map<std::string, std::string> entries;
    List(root, "", false, entries);
    std::set<std::string> out;
    for (const auto& entry : entries) out.insert(entry.first);
    return out;
}

inline int CountFiles(const std::string& root) {
    int files = 0;
    for (const std::string& path : Paths(root)) files += path.back() != '\\';
    return files;
}

}  // namespace FileTree
