#include "support/TrayRecorder.h"

#include <cstring>

TrayRecorder::TrayRecorder() : next_(Seams::Current()) { Seams::Install(this); }

TrayRecorder::~TrayRecorder() { Seams::Install(&next_); }

BOOL TrayRecorder::NotifyShell(DWORD message, NOTIFYICONDATAA& record) {
    ShellCall call{message, {}};
    std::memcpy(&call.record, &record, record.cbSize < sizeof(call.record) ? record.cbSize : sizeof(call.record));
    calls_.push_back(call);
    return next_.NotifyShell(message, record);
}

std::vector<ShellCall> TrayRecorder::Find(DWORD message, int flags) const {
    std::vector<ShellCall> found;
    for (const ShellCall& call : calls_)
        if (call.message == message && (flags < 0 || call.record.uFlags == static_cast<UINT>(flags)))
            found.push_back(call);
    return found;
}
