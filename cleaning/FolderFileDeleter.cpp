#include "cleaning/FolderFileDeleter.h"

#include "system/Path.h"
#include "system/UniqueHandle.h"

#include <vector>

namespace {

constexpr DWORD OpenAccess = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// "C:\a\b" -> "\a\b\", "\\server\share\a" -> "\server\share\a\": the form in
// which the file system names a file below its volume root.
std::wstring BelowVolumeRoot(const std::string& resolvedFolder) {
    if (resolvedFolder.size() >= 2 && resolvedFolder[1] == ':')
        return Path::ForSystem(Path::WithBackslash(resolvedFolder.substr(2)));
    if (resolvedFolder.size() > 2 && resolvedFolder[0] == '\\' && resolvedFolder[1] == '\\')
        return Path::ForSystem(Path::WithBackslash(resolvedFolder.substr(1)));
    return L"";
}

// The name the file system gives the opened file, below its volume root; ""
// when it cannot tell.
std::wstring OpenedName(HANDLE file) {
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

bool SetAttributes(HANDLE file, DWORD attributes) {
    FILE_BASIC_INFO basic{};  // zero times: leave them as they are
    basic.FileAttributes = attributes;
    return ::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof(basic)) != FALSE;
}

bool MarkForDeletion(HANDLE file) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

}  // namespace

FolderFileDeleter::FolderFileDeleter(std::string folder, const std::string& resolvedFolder, Attributes attributes,
                                     StatusLine& status)
    : folder_(std::move(folder)),
      resolvedFolder_(resolvedFolder),
      expectedPrefix_(BelowVolumeRoot(resolvedFolder)),
      attributes_(attributes),
      status_(&status) {}

// Under Wine a file link reads as a plain file and opens as its target, so the
// name the opened file really has is the guard: it must be this folder's name
// plus the listed name, nothing else.
bool FolderFileDeleter::IsDirectlyInFolder(HANDLE file, const std::string& name) const {
    if (expectedPrefix_.empty()) return false;
    const std::wstring opened = OpenedName(file);
    std::wstring expected = expectedPrefix_ + Path::ForSystem(name);
    if (opened.empty()) return false;
    if (SameName(opened, expected)) return true;
    // Wine gives the name of a file that ends in dots or spaces without them;
    // the name is still this folder's own.
    while (!expected.empty() && (expected.back() == L'.' || expected.back() == L' ')) expected.pop_back();
    return expected.size() > expectedPrefix_.size() && SameName(opened, expected);
}

FolderFileDeleter::Outcome FolderFileDeleter::Delete(const std::string& name, DWORD listedAttributes,
                                                     std::int64_t listedSize) const {
    const Outcome outcome = TryDelete(name, listedAttributes, listedSize);
    if (outcome == Outcome::Failed) status_->CouldNotDelete(Path::Join(folder_, name));
    return outcome;
}

FolderFileDeleter::Outcome FolderFileDeleter::TryDelete(const std::string& name, DWORD listedAttributes,
                                                        std::int64_t listedSize) const {
    if (listedAttributes != INVALID_FILE_ATTRIBUTES &&
        (listedAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)))
        return Outcome::Refused;
    // The folder passed its checks before it was listed; nothing is deleted,
    // so there is no swap to guard against between a check and a deletion.
    if (status_->Previewing() && listedAttributes != INVALID_FILE_ATTRIBUTES && listedSize >= 0) {
        if (attributes_ == Attributes::KeepReadOnly && (listedAttributes & FILE_ATTRIBUTE_READONLY)) return Outcome::Failed;
        status_->Deleted(TraceKind::File, 1, listedSize);
        return Outcome::Deleted;
    }
    UniqueFile file(::CreateFileW(Path::ForSystem(Path::Join(folder_, name)).c_str(), OpenAccess, ShareAll, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return Path::IsGone(::GetLastError()) ? Outcome::Gone : Outcome::Failed;
    if (!IsDirectlyInFolder(file.Get(), name)) return Outcome::Refused;

    DWORD attributes = listedAttributes;
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        FILE_BASIC_INFO basic{};
        if (!::GetFileInformationByHandleEx(file.Get(), FileBasicInfo, &basic, sizeof(basic))) return Outcome::Failed;
        attributes = basic.FileAttributes;
        if (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) return Outcome::Refused;
    }
    // Windows refuses to delete a read-only file through a handle (Wine does
    // not), so it is cleared on the handle first, or the file is left.
    if (attributes_ == Attributes::KeepReadOnly && (attributes & FILE_ATTRIBUTE_READONLY)) return Outcome::Failed;
    LARGE_INTEGER size{};
    ::GetFileSizeEx(file.Get(), &size);
    // A preview has come as far as the deletion would: the file counts and stays.
    if (!status_->Previewing()) {
        if (attributes_ == Attributes::MakeArchiveOnly && attributes != FILE_ATTRIBUTE_ARCHIVE)
            SetAttributes(file.Get(), FILE_ATTRIBUTE_ARCHIVE);
        if (!MarkForDeletion(file.Get())) return Outcome::Failed;
    }
    status_->Deleted(TraceKind::File, 1, size.QuadPart);
    return Outcome::Deleted;
}

UniqueFile FolderFileDeleter::OpenHere(const std::string& name, DWORD access, bool create) const {
    const std::wstring path = Path::ForSystem(Path::Join(folder_, name));
    constexpr DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
    UniqueFile file(::CreateFileW(path.c_str(), access | FILE_READ_ATTRIBUTES, ShareAll, nullptr, OPEN_EXISTING, flags,
                                  nullptr));
    // A new file only where nothing is, not even a link to nowhere (which
    // CREATE_NEW refuses, where opening it "always" would create its target).
    if (!file && create && Path::IsGone(::GetLastError()))
        file.Reset(::CreateFileW(path.c_str(), access | FILE_READ_ATTRIBUTES, ShareAll, nullptr, CREATE_NEW, flags,
                                 nullptr));
    if (!file) return file;
    FILE_BASIC_INFO basic{};
    if (!IsDirectlyInFolder(file.Get(), name) ||
        !::GetFileInformationByHandleEx(file.Get(), FileBasicInfo, &basic, sizeof(basic)) ||
        (basic.FileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return UniqueFile();
    }
    return file;
}

bool FolderFileDeleter::IsPlainFileHere(const std::string& name) const { return OpenHere(name, 0, false).Valid(); }
