// Whether a running browser holds its lock file: Firefox keeps parent.lock in
// the profile, the Chromium browsers User Data\lockfile, each open for as long
// as it runs and without sharing it for writing.
#pragma once

#include <string>

namespace BrowserLock {
// Said after the browser's name when its lock is held.
inline constexpr char Running[] = " was left alone: it is running";

// The file is open in another program that shares it with nobody who writes.
// A missing file, or one that opens, is not held: nobody runs there.
bool IsHeld(const std::string& lockFile);
}  // namespace BrowserLock
