// Letting the user-interface thread's pending window messages run from inside
// long work, and waiting while they run.
#pragma once

#include <windows.h>

#include <functional>

namespace MessagePump {

// Seconds on a monotonic clock (unaffected by midnight or clock changes).
double MonotonicSeconds();

// Dispatches every message waiting in this thread's queue, then returns.
// A WM_QUIT found here is posted again so that the main loop still ends.
void LetPendingMessagesRun();

// The same, but only when about 20 ms have passed since the last pump: cheap
// enough to call once per file while the window still answers within a frame.
void LetPendingMessagesRunThrottled();

// Returns after `seconds`, or earlier once keepWaiting() answers false; meanwhile
// messages run. Sleeps between messages instead of spinning.
void WaitWhileMessagesRun(double seconds, const std::function<bool()>& keepWaiting = {});

// Waits until `object` is signalled (a mutex: owned by this thread, also when
// its last owner ended without releasing it) while messages run. False, without
// it, once the thread is asked to quit.
bool WaitForObjectWhileMessagesRun(HANDLE object);

// Runs `work` on a thread of its own while this thread's messages run, and
// returns once it has ended, rethrowing what it threw: for one long call of
// an engine (a compaction, a checkpoint, a file parsed or written) that would
// otherwise hold the window. `work` must not touch windows nor anything the
// messages handled meanwhile touch. After a quit it is still waited for:
// it works on the caller's data.
void RunWhileMessagesRun(const std::function<void()>& work);

}  // namespace MessagePump
