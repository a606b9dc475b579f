// Small file routines shared by the cleaners and the history log.
#pragma once

#include <string>

namespace FileRoutines {

// Deletes a file; when that fails, tries once more by force. Never raises.
void RemoveFile(const std::string& path);

// Clears the read-only attribute and deletes. Raises a Failure when the file stays.
void ForceDeleteFile(const std::string& path);

}  // namespace FileRoutines
