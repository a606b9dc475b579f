#include "support/Fixtures.h"

#include "system/Path.h"
#include "system/ShellFolders.h"
#include "system/UniqueHandle.h"

#include <gtest/gtest.h>

#include <shlwapi.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace Fixtures {

namespace {
const char TestRoot[] = "C:\\vorlane-tests";

std::string CurrentTestName() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    if (info == nullptr) return "global";
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
        if (c == '/' || c == '\\' || c == ':') c = '_';
    return name;
}
}  // namespace

TempFolder::TempFolder(const std::string& name) {
    path_ = std::string(TestRoot) + "\\" + CurrentTestName() + (name.empty() ? "" : "-" + name);
    DeleteTree(path_);
    MakeFolders(path_);
}

TempFolder::~TempFolder() { DeleteTree(path_); }

void MakeFolders(const std::string& path) {
    for (std::size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') ::CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    }
}

void WriteFile(const std::string& path, const std::string& content, DWORD attributes) {
    const std::size_t slash = path.find_last_of('\\');
    if (slash != std::string::npos) MakeFolders(path.substr(0, slash));
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (!out) throw std::runtime_error("cannot write " + path);
        out << content;
    }
    ::SetFileAttributesA(path.c_str(), attributes);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

DWORD Attributes(const std::string& path) { return ::GetFileAttributesA(path.c_str()); }

bool FileExists(const std::string& path) {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

UniqueFile HoldLock(const std::string& path) {
    WriteFile(path, "");
    return UniqueFile(::CreateFileW(Path::ForSystem(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void CopyTree(const std::string& from, const std::string& to, bool overwrite) {
    MakeFolders(to);
    WIN32_FIND_DATAA data;
    UniqueFind find(::FindFirstFileA((from + "\\*").c_str(), &data));
    if (!find) return;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == ".." || (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CopyTree(from + "\\" + name, to + "\\" + name, overwrite);
        else  // not over a name that is there, not even a link to nowhere (CopyFile would make its target)
            ::CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), !overwrite);
    } while (::FindNextFileA(find.Get(), &data));
}

std::string KnownFolderPath(REFKNOWNFOLDERID id) {
    PWSTR wide = nullptr;
    std::string path;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &wide))) {
        path = Path::FromSystem(wide);
    }
    ::CoTaskMemFree(wide);
    return path;
}

// Through the wide functions: a test may leave names and depths the narrow
// ones cannot reach.
void DeleteTree(const std::string& path) {
    const std::wstring wide = Path::ForSystem(path);
    const DWORD a = ::GetFileAttributesW(wide.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return;
    if (!(a & FILE_ATTRIBUTE_DIRECTORY)) {
        ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(wide.c_str());
        return;
    }
    if (a & FILE_ATTRIBUTE_REPARSE_POINT) return;  // a link: never enter or remove its target
    WIN32_FIND_DATAW data;
    UniqueFind find(::FindFirstFileW(Path::ForSystem(path + "\\*").c_str(), &data));
    if (find) {
        do {
            const std::wstring_view name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            DeleteTree(path + "\\" + Path::FromSystem(name));
        } while (::FindNextFileW(find.Get(), &data));
    }
    find.Reset();
    ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryW(wide.c_str());
}

RegistryKeySnapshot::RegistryKeySnapshot(HKEY root, std::string subKey) : root_(root), subKey_(std::move(subKey)) {
    UniqueRegKey key;
    if (::RegOpenKeyExA(root_, subKey_.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return;
    existed_ = true;
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD nameLength = sizeof(name);
        DWORD type = 0;
        DWORD size = 0;
        if (::RegEnumValueA(key.Get(), i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            break;
        Value v{std::string(name, nameLength), type, std::vector<BYTE>(size)};
        nameLength = sizeof(name);
        ::RegEnumValueA(key.Get(), i, name, &nameLength, nullptr, &type, v.data.data(), &size);
        v.data.resize(size);
        values_.push_back(std::move(v));
    }
}

RegistryKeySnapshot::~RegistryKeySnapshot() {
    if (!existed_) {
        ::RegDeleteKeyA(root_, subKey_.c_str());
        return;
    }
    UniqueRegKey key;
    if (::RegCreateKeyExA(root_, subKey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(), nullptr) !=
        ERROR_SUCCESS)
        return;
    // Remove every value now there, then write the saved ones back.
    for (;;) {
        char name[16384];
        DWORD nameLength = sizeof(name);
        if (::RegEnumValueA(key.Get(), 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (::RegDeleteValueA(key.Get(), name) != ERROR_SUCCESS) break;
    }
    for (const Value& v : values_)
        ::RegSetValueExA(key.Get(), v.name.c_str(), 0, v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
}

void SetString(HKEY root, const std::string& subKey, const std::string& name, const std::string& value, DWORD type) {
    UniqueRegKey key;
    if (::RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(), nullptr) !=
        ERROR_SUCCESS)
        throw std::runtime_error("cannot create key " + subKey);
    ::RegSetValueExA(key.Get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
}

bool ValueExists(HKEY root, const std::string& subKey, const std::string& name) {
    UniqueRegKey key;
    if (::RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return false;
    return ::RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::string GetString(HKEY root, const std::string& subKey, const std::string& name) {
    UniqueRegKey key;
    if (::RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return "";
    char buffer[4096] = {};
    DWORD size = sizeof(buffer) - 1;
    if (::RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
        return "";
    return buffer;
}

void DeleteKeyTree(HKEY root, const std::string& subKey) { ::SHDeleteKeyA(root, subKey.c_str()); }

namespace {
const char UserShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
}  // namespace

ShellFolderOverride::ShellFolderOverride(const std::string& valueName, const std::string& folder)
    : shell_(HKEY_CURRENT_USER, ShellFolders::Key), user_(HKEY_CURRENT_USER, UserShellFolders) {
    SetString(HKEY_CURRENT_USER, ShellFolders::Key, valueName, folder);
    SetString(HKEY_CURRENT_USER, UserShellFolders, valueName, folder, REG_EXPAND_SZ);
}

ShellFolderOverride::~ShellFolderOverride() = default;

}  // namespace Fixtures
