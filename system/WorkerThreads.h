// A few threads kept for work handed off the window's thread. Under Wine a
// new thread costs over a millisecond from its start to its end, a task
// handed to a kept one a small part of that; one pass hands off hundreds.
#pragma once

#include <functional>

namespace WorkerThreads {

// Starts `task` on a kept thread that has nothing to do (a new one is kept
// when none is free) and returns at once; `task` must not throw. Raises
// std::system_error when no thread is free and none can be started.
void Start(std::function<void()> task);

}  // namespace WorkerThreads
