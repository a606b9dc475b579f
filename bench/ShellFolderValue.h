// Points a shell folder of the current user (Shell Folders and User Shell
// Folders alike) at a benchmark's own tree, as a user's setting would.
#pragma once

#include "system/ShellFolders.h"
#include "system/UniqueHandle.h"

#include <windows.h>

#include <string>

inline void SetShellFolder(const char* value, const std::string& folder) {
    for (const char* key : {ShellFolders::Key, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"}) {
        UniqueRegKey handle;
        ::RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, handle.Put(), nullptr);
        ::RegSetValueExA(handle.Get(), value, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                         static_cast<DWORD>(folder.size() + 1));
    }
}
