// A copy of the tests' own small DLL (tests/support/module), loaded from
// where a test put it: while it is loaded the system refuses to delete the
// file, though it opens for deletion. Freed and left on disk when the object goes.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

class LoadedModule {
public:
    explicit LoadedModule(const std::string& path) {
        char exe[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
        std::string dll = exe;
        dll = dll.substr(0, dll.rfind('\\') + 1) + "vorlane_test_module.dll";
        EXPECT_TRUE(::CopyFileA(dll.c_str(), path.c_str(), FALSE)) << dll << " -> " << path;
        module_ = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        EXPECT_NE(module_, nullptr) << path << ": error " << ::GetLastError();
    }
    ~LoadedModule() {
        if (module_) ::FreeLibrary(module_);
    }
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

private:
    HMODULE module_ = nullptr;
};
