// The platform of the benchmarks that run the real main window: start-up must
// neither open a browser nor wait for a message box (one shown is printed, as
// it means something went wrong); tray records reach the shell; no skin.
#pragma once

#include "system/Seams.h"

#include <shellapi.h>

#include <cstdio>
#include <string>

class QuietPlatform : public Seams::Platform {
public:
    int ShowMessage(const std::string& text, const std::string&, UINT) override {
        std::fprintf(stderr, "message box: %s\n", text.c_str());
        return IDOK;
    }
    void StartProcess(const std::string&, int) override {}
    void SeedRandomFromTime() override {}
    double RandomUnit() override { return 0.5; }
    void ExitProgram(int) override {}
    BOOL NotifyShell(DWORD message, NOTIFYICONDATAA& record) override {
        return ::Shell_NotifyIconA(message, &record);
    }
    ComPtr<IDispatch> CreateComponent(const std::string&) override { return {}; }
};
