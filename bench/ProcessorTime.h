// Processor time of the benchmark's own process, kernel and user together.
#pragma once

#include "system/MessagePump.h"

#include <windows.h>

inline double ProcessorSeconds() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

// Processor seconds used while the window runs its messages for `seconds`.
inline double ProcessorSecondsOver(double seconds) {
    const double before = ProcessorSeconds();
    MessagePump::WaitWhileMessagesRun(seconds);
    return ProcessorSeconds() - before;
}
