#include "cleaning/FolderFileDeleter.h"

#include "system/Path.h"
#include "system/UniqueHandle.h"

namespace {

constexpr DWORD OpenAccess = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::wstring Widen(const std::string& text) {
    if (text.empty()) return L"";
    const int size = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

// "C:\a\b" -> "\a\b\", "\\server\share\a" -> "\server\share\a\": the form in
// which the file system names a file below its volume root.
std::wstring BelowVolumeRoot(const std::string& resolvedFolder) {
    if (resolvedFolder.size() >= 2 && resolvedFolder[1] == ':') return Widen(resolvedFolder.substr(2)) + L"\\";
    if (resolvedFolder.size() > 2 && resolvedFolder[0] == '\\' && resolvedFolder[1] == '\\')
        return Widen(resolvedFolder.substr(1)) + L"\\";
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

}  // namespace

FolderFileDeleter::FolderFileDeleter(std::string folder, const std::string& resolvedFolder, Attributes attributes)
    : folder_(std::move(folder)),
      resolvedFolder_(resolvedFolder),
      expectedPrefix_(BelowVolumeRoot(resolvedFolder)),
      attributes_(attributes) {}

// Under Wine a file link reads as a plain file and opens as its target, so the
// name the opened file really has is the guard: it must be this folder's name
// plus the listed name, nothing else.
bool FolderFileDeleter::IsDirectlyInFolder(HANDLE file, const std::string& name) const {
    if (expectedPrefix_.empty()) return false;
    alignas(FILE_NAME_INFO) BYTE buffer[sizeof(FILE_NAME_INFO) + MAX_PATH * 4 * sizeof(WCHAR)];
    if (!::GetFileInformationByHandleEx(file, FileNameInfo, buffer, sizeof(buffer))) return false;
    const auto* info = reinterpret_cast<const FILE_NAME_INFO*>(buffer);
    const std::wstring expected = expectedPrefix_ + Widen(name);
    return ::CompareStringOrdinal(info->FileName, static_cast<int>(info->FileNameLength / sizeof(WCHAR)),
                                  expected.c_str(), static_cast<int>(expected.size()), TRUE) == CSTR_EQUAL;
}

FolderFileDeleter::Outcome FolderFileDeleter::Delete(const std::string& name, DWORD listedAttributes) const {
    if (listedAttributes != INVALID_FILE_ATTRIBUTES &&
        (listedAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)))
        return Outcome::Refused;
    UniqueFile file(::CreateFileA((folder_ + "\\" + name).c_str(), OpenAccess, ShareAll, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
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
    if (attributes_ == Attributes::MakeArchiveOnly && attributes != FILE_ATTRIBUTE_ARCHIVE)
        SetAttributes(file.Get(), FILE_ATTRIBUTE_ARCHIVE);
    return MarkForDeletion(file.Get()) ? Outcome::Deleted : Outcome::Failed;
}

bool FolderFileDeleter::IsPlainFileHere(const std::string& name) const {
    UniqueFile file(::CreateFileA((folder_ + "\\" + name).c_str(), FILE_READ_ATTRIBUTES, ShareAll, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file || !IsDirectlyInFolder(file.Get(), name)) return false;
    FILE_BASIC_INFO basic{};
    return ::GetFileInformationByHandleEx(file.Get(), FileBasicInfo, &basic, sizeof(basic)) &&
           !(basic.FileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
}
