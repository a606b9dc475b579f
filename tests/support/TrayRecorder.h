// Sees every tray record on its way to the real shell (Wine's tray window) and
// keeps a copy; installed for the lifetime of the object.
#pragma once

#include "system/cSysTray.h"

#include <vector>

struct ShellCall {
    DWORD message;
    NOTIFYICONDATAA record;
};

class TrayRecorder {
public:
    TrayRecorder();
    ~TrayRecorder();
    TrayRecorder(const TrayRecorder&) = delete;
    TrayRecorder& operator=(const TrayRecorder&) = delete;

    std::vector<ShellCall>& Calls();
    // The records with this message and, when given, these flags.
    std::vector<ShellCall> Find(DWORD message, int flags = -1) const;
};
