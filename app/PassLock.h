// One pass at a time for each user, across the program's processes: the
// window's passes, its previews and its cleans after a browser closed, and
// every command-line run, hold a named mutex while they work. A holder that
// ends without releasing it (a crash) lets the next taker in.
#pragma once

#include "cleaning/StatusLine.h"
#include "system/UniqueHandle.h"

#include <optional>
#include <string>

namespace PassLockTexts {
inline constexpr char Waiting[] = "Waiting for another Vorlane pass to end...";
}  // namespace PassLockTexts

class PassLock {
public:
    // The mutex's name: "Global\Vorlane.OnePass.<the user's SID>", so that a
    // scheduled run in another session of the same user is kept apart too,
    // and other users' runs are not.
    static std::string Name();

    // The lock, when no other pass holds it; none when one does. Raises a
    // Failure when the mutex cannot be made or opened.
    static std::optional<PassLock> TryTake();

    // The lock for the window: when another pass holds it, the status line
    // says so and the window's messages run until it is free. A lock that
    // cannot be had (no mutex, the thread quitting) is not held, and the pass
    // goes on: the window never refuses the user's pass.
    static PassLock Take(StatusLine& status);

    PassLock(PassLock&& other) noexcept = default;
    PassLock& operator=(PassLock&&) = delete;
    ~PassLock();

    bool Held() const { return mutex_.Valid(); }

private:
    PassLock() = default;
    explicit PassLock(UniqueKernelHandle owned) : mutex_(std::move(owned)) {}

    static UniqueKernelHandle Open();

    UniqueKernelHandle mutex_;  // owned by this thread while valid
};
