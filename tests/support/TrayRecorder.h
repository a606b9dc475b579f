// Sees every tray record on its way to the shell and keeps a copy: installed
// as the platform for the lifetime of the object, in front of the one that was
// in force, to which it passes every call on.
#pragma once

#include "system/Seams.h"

#include <vector>

struct ShellCall {
    DWORD message;
    NOTIFYICONDATAA record;
};

class TrayRecorder final : public Seams::Platform {
public:
    TrayRecorder();
    ~TrayRecorder() override;
    TrayRecorder(const TrayRecorder&) = delete;
    TrayRecorder& operator=(const TrayRecorder&) = delete;

    std::vector<ShellCall>& Calls() { return calls_; }
    // The records with this message and, when given, these flags.
    std::vector<ShellCall> Find(DWORD message, int flags = -1) const;

    int ShowMessage(const std::string& text, const std::string& title, UINT type) override {
        return next_.ShowMessage(text, title, type);
    }
    void StartProcess(const std::string& commandLine, int showCommand) override {
        next_.StartProcess(commandLine, showCommand);
    }
    void SeedRandomFromTime() override { next_.SeedRandomFromTime(); }
    double RandomUnit() override { return next_.RandomUnit(); }
    void ExitProgram(int code) override { next_.ExitProgram(code); }
    BOOL NotifyShell(DWORD message, NOTIFYICONDATAA& record) override;
    ComPtr<IDispatch> CreateComponent(const std::string& progId) override { return next_.CreateComponent(progId); }

private:
    Seams::Platform& next_;
    std::vector<ShellCall> calls_;
};
