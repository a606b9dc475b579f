#include "cleaning/FolderFileDeleter.h"

#include "system/Path.h"
#include "system/UniqueHandle.h"

namespace {

constexpr DWORD OpenAccess = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

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

FolderFileDeleter::FolderFileDeleter(std::string folder, const std::string& resolvedFolder, Attributes attributes,
                                     StatusLine& status)
    : guard_(std::move(folder), resolvedFolder), attributes_(attributes), status_(&status) {}

FolderFileDeleter::Outcome FolderFileDeleter::Delete(const std::string& name, DWORD listedAttributes,
                                                     std::int64_t listedSize) const {
    return Record(name, Attempt(name, listedAttributes, listedSize));
}

FolderFileDeleter::Outcome FolderFileDeleter::Record(const std::string& name, const Attempted& attempted) const {
    if (attempted.outcome == Outcome::Deleted) status_->Deleted(TraceKind::File, 1, attempted.size);
    if (attempted.outcome == Outcome::Failed) status_->CouldNotDelete(Path::Join(Folder(), name));
    return attempted.outcome;
}

FolderFileDeleter::Attempted FolderFileDeleter::Attempt(const std::string& name, DWORD listedAttributes,
                                                        std::int64_t listedSize) const {
    const bool listed = listedAttributes != INVALID_FILE_ATTRIBUTES;
    if (listed && (listedAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)))
        return {Outcome::Refused, 0};
    // A preview opens the file as the deletion does: one that another program
    // holds without sharing its deletion fails here in both.
    UniqueFile file(::CreateFileW(Path::ForSystem(Path::Join(Folder(), name)).c_str(), OpenAccess, ShareAll, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return {Path::IsGone(::GetLastError()) ? Outcome::Gone : Outcome::Failed, 0};
    // Nothing is deleted in a preview, so there is no swap to guard against
    // between the listing and the deletion: a listed file counts from the
    // listing, as the pass will count it.
    if (status_->Previewing() && listed && listedSize >= 0) {
        if (attributes_ == Attributes::KeepReadOnly && (listedAttributes & FILE_ATTRIBUTE_READONLY))
            return {Outcome::Failed, 0};
        return {Outcome::Deleted, listedSize};
    }
    // A second name (a hard link) is no reason to keep a file: deleting this
    // one leaves the other's content where it is.
    if (!guard_.HasName(file.Get(), name)) return {Outcome::Refused, 0};

    DWORD attributes = listedAttributes;
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        FILE_BASIC_INFO basic{};
        if (!::GetFileInformationByHandleEx(file.Get(), FileBasicInfo, &basic, sizeof(basic))) return {Outcome::Failed, 0};
        attributes = basic.FileAttributes;
        if (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) return {Outcome::Refused, 0};
    }
    // Windows refuses to delete a read-only file through a handle (Wine does
    // not), so it is cleared on the handle first, or the file is left.
    if (attributes_ == Attributes::KeepReadOnly && (attributes & FILE_ATTRIBUTE_READONLY)) return {Outcome::Failed, 0};
    // The listing's size is the one the preview counted; only a file nobody
    // listed is asked for its own.
    LARGE_INTEGER size{};
    size.QuadPart = listedSize;
    if (!listed || listedSize < 0) ::GetFileSizeEx(file.Get(), &size);
    // A preview has come as far as the deletion would: the file counts and stays.
    if (!status_->Previewing()) {
        if (attributes_ == Attributes::MakeArchiveOnly && attributes != FILE_ATTRIBUTE_ARCHIVE)
            SetAttributes(file.Get(), FILE_ATTRIBUTE_ARCHIVE);
        if (!MarkForDeletion(file.Get())) return {Outcome::Failed, 0};
    }
    return {Outcome::Deleted, size.QuadPart};
}

UniqueFile FolderFileDeleter::OpenHere(const std::string& name, DWORD access, bool create) const {
    return guard_.Open(name, access, create);
}

bool FolderFileDeleter::IsPlainFileHere(const std::string& name) const { return OpenHere(name, 0, false).Valid(); }
