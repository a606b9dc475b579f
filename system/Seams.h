// The few things tests must not do for real: show a message box and wait for a
// person, start another program, draw a random number, end the process; and
// the two outside components a test watches or stands in for: the records the
// notification area receives, and the skin component, which no test machine
// has. Everything else (registry, files, URL cache, windows) is always real.
#pragma once

#include "system/UniqueHandle.h"

#include <windows.h>
#include <oaidl.h>
#include <shellapi.h>

#include <string>

namespace Seams {

class Platform {
public:
    virtual ~Platform() = default;
    // MessageBoxA semantics: returns IDOK, IDYES, IDNO...
    virtual int ShowMessage(const std::string& text, const std::string& title, UINT type) = 0;
    // Starts a command line without waiting; raises a Failure when it cannot start.
    virtual void StartProcess(const std::string& commandLine, int showCommand) = 0;
    virtual void SeedRandomFromTime() = 0;
    // Uniform in [0, 1).
    virtual double RandomUnit() = 0;
    virtual void ExitProgram(int code) = 0;
    // Shell_NotifyIconA: every record of the tray icon goes through here.
    virtual BOOL NotifyShell(DWORD message, NOTIFYICONDATAA& record) = 0;
    // The registered COM component of a ProgID, asked for its dispatch
    // interface; an empty pointer when it is not registered here.
    virtual ComPtr<IDispatch> CreateComponent(const std::string& progId) = 0;
};

// The platform in force: the real one unless a test installed another.
Platform& Current();
// Installs a replacement; nullptr puts the real platform back.
void Install(Platform* replacement);

}  // namespace Seams
