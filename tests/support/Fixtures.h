// Real files and registry values in the test prefix, removed again afterwards.
#pragma once

#include "system/UniqueHandle.h"

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace Fixtures {

// A fresh, empty folder under C:\vorlane-tests\ named after the running test;
// deleted (with everything in it) when the object goes.
class TempFolder {
public:
    explicit TempFolder(const std::string& name = "");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }  // no trailing backslash
    std::string operator/(const std::string& relative) const { return path_ + "\\" + relative; }

private:
    std::string path_;
};

// Creates the file (and its folders) with the given content and attributes.
void WriteFile(const std::string& path, const std::string& content = "x",
               DWORD attributes = FILE_ATTRIBUTE_NORMAL);
void MakeFolders(const std::string& path);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
DWORD Attributes(const std::string& path);
// Copies a folder with everything below it (links are not followed). With
// `overwrite` false a name already in `to` keeps what it is (a link planted
// there is never written through).
void CopyTree(const std::string& from, const std::string& to, bool overwrite = true);
// Deletes a tree, clearing attributes first; never follows directory links.
void DeleteTree(const std::string& path);
// A running browser's lock file: made, and held open without sharing, as
// the browser holds it, until the handle goes.
UniqueFile HoldLock(const std::string& path);
// A known folder of the user or machine as the shell gives it ("" when unknown).
std::string KnownFolderPath(REFKNOWNFOLDERID id);

// Saves a registry key's values on construction and puts them back on destruction.
class RegistryKeySnapshot {
public:
    RegistryKeySnapshot(HKEY root, std::string subKey);
    ~RegistryKeySnapshot();

private:
    struct Value {
        std::string name;
        DWORD type;
        std::vector<BYTE> data;
    };
    HKEY root_;
    std::string subKey_;
    bool existed_ = false;
    std::vector<Value> values_;
};

void SetString(HKEY root, const std::string& subKey, const std::string& name, const std::string& value,
               DWORD type = REG_SZ);
bool ValueExists(HKEY root, const std::string& subKey, const std::string& name);
std::string GetString(HKEY root, const std::string& subKey, const std::string& name);
void DeleteKeyTree(HKEY root, const std::string& subKey);

// Points a "Shell Folders" value (and its "User Shell Folders" twin, which Wine
// copies over it) at a folder; restores both when the object goes.
class ShellFolderOverride {
public:
    ShellFolderOverride(const std::string& valueName, const std::string& folder);
    ~ShellFolderOverride();

private:
    RegistryKeySnapshot shell_;
    RegistryKeySnapshot user_;
};

}  // namespace Fixtures
