#include "system/FileGuard.h"

#include "system/Failure.h"
#include "system/Path.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

namespace FileGuard {

namespace {

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsDriveLetterPrefix(const std::string& path) {
    return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
           path[2] == '\\';
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// The volume's serial number: whether two handles are on one volume.
std::optional<DWORD> VolumeSerial(HANDLE handle) {
    DWORD serial = 0;
    if (!::GetVolumeInformationByHandleW(handle, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) return std::nullopt;
    return serial;
}

// The name the file system gives the opened file or folder below its volume
// root ("\a\b"); "" when it cannot tell.
std::wstring NameBelowVolumeRoot(HANDLE file) {
    // A name of any length: the first call tells how much room it needs.
    std::vector<BYTE> buffer(sizeof(FILE_NAME_INFO) + 512 * sizeof(WCHAR));
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto* info = reinterpret_cast<FILE_NAME_INFO*>(buffer.data());
        if (::GetFileInformationByHandleEx(file, FileNameInfo, info, static_cast<DWORD>(buffer.size())))
            return std::wstring(info->FileName, info->FileNameLength / sizeof(WCHAR));
        if (::GetLastError() != ERROR_MORE_DATA) return L"";
        buffer.resize(sizeof(FILE_NAME_INFO) + info->FileNameLength + sizeof(WCHAR));
    }
    return L"";
}

// Where an opened folder or file really is, from its name below the volume
// root and the drive of `path`, when both are on the same volume. Wine gives no
// final path longer than MAX_PATH, this name it gives whole.
std::string ResolvedBelowVolumeRoot(HANDLE handle, const std::string& path) {
    if (!IsDriveLetterPrefix(path)) return "";
    const UniqueFile root(::CreateFileW(Path::ForSystem(path.substr(0, 3)).c_str(), FILE_READ_ATTRIBUTES, ShareAll,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    const std::optional<DWORD> serial = VolumeSerial(handle);
    if (!root || !serial || VolumeSerial(root.Get()) != serial) return "";
    const std::wstring below = NameBelowVolumeRoot(handle);
    if (below.empty()) return "";
    return Path::WithoutBackslash(path.substr(0, 2) + Path::FromSystem(below));
}

// "C:\a\b" -> "\a\b\", "\\server\share\a" -> "\server\share\a\": the form in
// which the file system names a file below its volume root.
std::wstring BelowVolumeRoot(const std::string& resolvedFolder) {
    if (IsDriveLetterPrefix(resolvedFolder) || (resolvedFolder.size() == 2 && resolvedFolder[1] == ':'))
        return Path::ForSystem(Path::WithBackslash(resolvedFolder.substr(2)));
    if (resolvedFolder.size() > 2 && resolvedFolder[0] == '\\' && resolvedFolder[1] == '\\')
        return Path::ForSystem(Path::WithBackslash(resolvedFolder.substr(1)));
    return L"";
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool SetAttributes(HANDLE file, DWORD attributes) {
    FILE_BASIC_INFO basic{};  // zero times: leave them as they are
    basic.FileAttributes = attributes;
    return ::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof(basic)) != FALSE;
}

std::optional<DWORD> AttributesOf(HANDLE file) {
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof(basic))) return std::nullopt;
    return basic.FileAttributes;
}

// Writes every byte to `file` and flushes it to the disk; raises a Failure when it cannot.
void WriteAllAndFlush(HANDLE file, const std::string& contents) {
    std::size_t done = 0;
    while (done < contents.size()) {
        constexpr std::size_t Chunk = 16u << 20;
        DWORD wrote = 0;
        if (!::WriteFile(file, contents.data() + done, static_cast<DWORD>(std::min(contents.size() - done, Chunk)),
                         &wrote, nullptr))
            throw Failure::FromLastError();
        if (wrote == 0) throw Failure::FromWin32(ERROR_WRITE_FAULT);
        done += wrote;
    }
    if (!::FlushFileBuffers(file)) throw Failure::FromLastError();
}

}  // namespace

std::string ResolvedPath(const std::string& path) {
    UniqueFile handle(::CreateFileW(Path::ForSystem(path).c_str(), FILE_READ_ATTRIBUTES, ShareAll, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) return "";
    const std::string final = Path::FromSystemCall([&](wchar_t* buffer, DWORD room) {
        return ::GetFinalPathNameByHandleW(handle.Get(), buffer, room, VOLUME_NAME_DOS);
    });
    if (final.empty()) return ResolvedBelowVolumeRoot(handle.Get(), path);
    if (!StartsWith(final, "\\\\?\\")) return "";
    const std::string rest = final.substr(4);
    if (StartsWith(rest, "UNC\\")) return Path::WithoutBackslash("\\\\" + rest.substr(4));
    if (IsDriveLetterPrefix(rest) || Path::IsDriveRoot(rest)) return Path::WithoutBackslash(rest);
    return "";  // "\\?\unix\...", a volume GUID or a device: not a place a user's browser data lives
}

Folder::Folder(std::string folder, std::string resolved)
    : folder_(std::move(folder)), resolved_(resolved.empty() ? ResolvedPath(folder_) : std::move(resolved)),
      expectedPrefix_(BelowVolumeRoot(resolved_)) {}

// Under Wine a file link reads as a plain file and opens as its target, so the
// name the opened file really has is the guard: it must be this folder's name
// plus `name`, nothing else.
bool Folder::HasName(HANDLE file, const std::string& name) const {
    if (expectedPrefix_.empty() || name.empty() || name.find_first_of("\\/") != std::string::npos) return false;
    const std::wstring opened = NameBelowVolumeRoot(file);
    std::wstring expected = expectedPrefix_ + Path::ForSystem(name);
    if (opened.empty()) return false;
    if (SameName(opened, expected)) return true;
    // Wine gives the name of a file that ends in dots or spaces without them;
    // the name is still this folder's own.
    while (!expected.empty() && (expected.back() == L'.' || expected.back() == L' ')) expected.pop_back();
    return expected.size() > expectedPrefix_.size() && SameName(opened, expected);
}

bool Folder::IsOwn(HANDLE file, const std::string& name) const {
    FILE_STANDARD_INFO standard{};
    const std::optional<DWORD> attributes = AttributesOf(file);
    return attributes && !(*attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) &&
           ::GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof(standard)) &&
           standard.NumberOfLinks == 1 && !standard.Directory && HasName(file, name);
}

namespace {

// Whether the folder has no entry named so. A name that cannot be opened may
// still be there: under Wine a link to nowhere opens as its missing target,
// yet the folder holds it, and whatever writes the name creates that target.
// Its own search answers "no more files" for such a name, "not found" only
// for a name the folder does not hold.
bool NoEntryNamed(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    const UniqueFind find(::FindFirstFileExW(path.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
    return !find && Path::IsGone(::GetLastError());
}

}  // namespace

Kind Folder::Check(const std::string& name) const {
    const std::wstring path = Path::ForSystem(Path::Join(folder_, name));
    const UniqueFile file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, ShareAll, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) {
        if (!Path::IsGone(::GetLastError())) return Kind::Failed;
        return NoEntryNamed(path) ? Kind::Missing : Kind::Foreign;
    }
    return IsOwn(file.Get(), name) ? Kind::Own : Kind::Foreign;
}

UniqueFile Folder::Open(const std::string& name, DWORD access, bool create) const {
    const std::wstring path = Path::ForSystem(Path::Join(folder_, name));
    constexpr DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
    access |= FILE_READ_ATTRIBUTES;
    UniqueFile file(::CreateFileW(path.c_str(), access, ShareAll, nullptr, OPEN_EXISTING, flags, nullptr));
    // A new file only where nothing is, not even a link to nowhere (which
    // CREATE_NEW refuses, where opening it "always" would create its target).
    if (!file && create && Path::IsGone(::GetLastError()))
        file.Reset(::CreateFileW(path.c_str(), access, ShareAll, nullptr, CREATE_NEW, flags, nullptr));
    if (file && !IsOwn(file.Get(), name)) {
        file.Reset();
        ::SetLastError(ERROR_ACCESS_DENIED);
    }
    return file;
}

UniqueFile Folder::CreateNew(const std::string& name, DWORD access) const {
    if (!Remove(name)) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return UniqueFile();
    }
    UniqueFile file(::CreateFileW(Path::ForSystem(Path::Join(folder_, name)).c_str(), access | FILE_READ_ATTRIBUTES,
                                  ShareAll, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                  nullptr));
    if (file && !IsOwn(file.Get(), name)) {
        file.Reset();
        ::SetLastError(ERROR_ACCESS_DENIED);
    }
    return file;
}

bool Folder::Remove(const std::string& name) const {
    const std::wstring path = Path::ForSystem(Path::Join(folder_, name));
    const UniqueFile file(::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, ShareAll,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return Path::IsGone(::GetLastError()) && NoEntryNamed(path);
    if (!IsOwn(file.Get(), name)) return false;
    // Windows refuses to delete a read-only file through a handle.
    const std::optional<DWORD> attributes = AttributesOf(file.Get());
    if (attributes && (*attributes & FILE_ATTRIBUTE_READONLY)) SetAttributes(file.Get(), FILE_ATTRIBUTE_ARCHIVE);
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return ::SetFileInformationByHandle(file.Get(), FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
}

bool Folder::Rename(const std::string& from, const std::string& to) const {
    const Kind target = Check(to);
    if (Check(from) != Kind::Own || (target != Kind::Own && target != Kind::Missing)) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    // One rename(2) under Wine, one step on Windows: the old name or the new
    // one is there at every moment, never neither.
    return ::MoveFileExW(Path::ForSystem(Path::Join(folder_, from)).c_str(),
                         Path::ForSystem(Path::Join(folder_, to)).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

namespace {

// The file at `path` as ReplaceFile takes it: its folder, its name and its
// attributes; raises a Failure for one it would leave as it is.
struct Replaced {
    Folder folder;
    std::string name;
    DWORD attributes;
};

// The folder and the name of `path`, the attributes not yet known.
Replaced Split(const std::string& path) {
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string::npos) throw Failure::FromWin32(ERROR_BAD_PATHNAME);
    return {Folder(Path::WithoutBackslash(path.substr(0, slash + 1))), path.substr(slash + 1), FILE_ATTRIBUTE_NORMAL};
}

Replaced CheckedForReplace(const std::string& path) {
    Replaced file = Split(path);
    const UniqueFile old = file.folder.Open(file.name, 0, false);
    if (!old) throw Failure::FromLastError();
    file.attributes = AttributesOf(old.Get()).value_or(FILE_ATTRIBUTE_NORMAL);
    if (file.attributes & FILE_ATTRIBUTE_READONLY) throw Failure::FromWin32(ERROR_ACCESS_DENIED);
    const Kind leftover = file.folder.Check(file.name + ReplacementSuffix);
    if (leftover != Kind::Missing && leftover != Kind::Own) throw Failure::FromWin32(ERROR_ACCESS_DENIED);
    return file;
}

// The bytes go into a new file beside the old name, flushed, which then
// takes that name in one step; a failure removes the new file again.
void WriteBesideThenRename(const Replaced& file, const std::string& contents) {
    const std::string replacement = file.name + ReplacementSuffix;
    try {
        {
            const UniqueFile created = file.folder.CreateNew(replacement, GENERIC_WRITE | FILE_WRITE_ATTRIBUTES);
            if (!created) throw Failure::FromLastError();
            WriteAllAndFlush(created.Get(), contents);
            if (file.attributes != FILE_ATTRIBUTE_NORMAL) SetAttributes(created.Get(), file.attributes);
        }
        if (!file.folder.Rename(replacement, file.name)) throw Failure::FromLastError();
    } catch (const Failure&) {
        file.folder.Remove(replacement);
        throw;
    }
}

}  // namespace

void CheckReplaceable(const std::string& path) { CheckedForReplace(path); }

void ReplaceFile(const std::string& path, const std::string& contents) {
    WriteBesideThenRename(CheckedForReplace(path), contents);
}

void WriteWholeFile(const std::string& path, const std::string& contents) {
    const Replaced file = Split(path);
    switch (file.folder.Check(file.name)) {
    case Kind::Missing: return WriteBesideThenRename(file, contents);
    case Kind::Foreign:
        throw Failure(Failure::PermissionDenied,
                      path + " is a link, a folder or a file with a second name: it was left as it is");
    case Kind::Own:
    case Kind::Failed: return ReplaceFile(path, contents);
    }
}

}  // namespace FileGuard
