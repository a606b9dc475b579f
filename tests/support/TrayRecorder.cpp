#include "support/TrayRecorder.h"

#include <cstring>

namespace {
std::vector<ShellCall> calls;

BOOL WINAPI ObserveShell(DWORD message, PNOTIFYICONDATAA data) {
    ShellCall call{message, {}};
    std::memcpy(&call.record, data, data->cbSize < sizeof(call.record) ? data->cbSize : sizeof(call.record));
    calls.push_back(call);
    return ::Shell_NotifyIconA(message, data);
}
}  // namespace

TrayRecorder::TrayRecorder() {
    calls.clear();
    cSysTray::shellNotify = ObserveShell;
}

TrayRecorder::~TrayRecorder() { cSysTray::shellNotify = ::Shell_NotifyIconA; }

std::vector<ShellCall>& TrayRecorder::Calls() { return calls; }

std::vector<ShellCall> TrayRecorder::Find(DWORD message, int flags) const {
    std::vector<ShellCall> found;
    for (const ShellCall& call : calls)
        if (call.message == message && (flags < 0 || call.record.uFlags == static_cast<UINT>(flags)))
            found.push_back(call);
    return found;
}
