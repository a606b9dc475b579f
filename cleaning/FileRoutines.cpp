#include "cleaning/FileRoutines.h"

#include "system/Failure.h"
#include "system/MessagePump.h"
#include "system/Path.h"

#include <windows.h>

namespace FileRoutines {

// The attributes are changed only when the read-only bit is in the way, and a
// folder (or a link to one) is never touched.
void ForceDeleteFile(const std::string& path) {
    const DWORD attributes = Path::Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) throw Failure::FromLastError();
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) throw Failure::FromWin32(ERROR_ACCESS_DENIED);
    if ((attributes & FILE_ATTRIBUTE_READONLY) &&
        !::SetFileAttributesW(Path::ForSystem(path).c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)))
        throw Failure::FromLastError();
    if (!::DeleteFileW(Path::ForSystem(path).c_str())) throw Failure::FromLastError();
}

void RemoveFile(const std::string& path) {
    MessagePump::LetPendingMessagesRunThrottled();
    if (::DeleteFileW(Path::ForSystem(path).c_str())) return;
    // A file that is not there needs no second attempt.
    if (Path::IsGone(::GetLastError())) return;
    try {
        ForceDeleteFile(path);
    } catch (const Failure&) {
        // The file stays; nobody is told.
    }
}

}  // namespace FileRoutines
