// A recording stand-in for the things tests must not do for real: message
// boxes (answered from a script), process starts, the random draw, exiting.
// Tray records go on to the real shell (Wine's tray window); the skin
// component is the one a test put in `component`, or none, as on a machine
// where it is not registered.
#pragma once

#include "system/Seams.h"

#include <deque>
#include <string>
#include <vector>

struct ShownMessage {
    std::string text;
    std::string title;
    UINT type;
};

class FakePlatform : public Seams::Platform {
public:
    int ShowMessage(const std::string& text, const std::string& title, UINT type) override;
    void StartProcess(const std::string& commandLine, int showCommand) override;
    void SeedRandomFromTime() override { ++seeds; }
    double RandomUnit() override { return randomValue; }
    void ExitProgram(int code) override { exitCodes.push_back(code); }
    BOOL NotifyShell(DWORD message, NOTIFYICONDATAA& record) override {
        return ::Shell_NotifyIconA(message, &record);
    }
    ComPtr<IDispatch> CreateComponent(const std::string& progId) override;

    // Answers for the next message boxes, in order; IDOK/IDYES... Without one, IDOK
    // (or IDNO for a Yes/No box).
    std::deque<int> answers;
    double randomValue = 0.5;
    bool failProcessStart = false;
    IDispatch* component = nullptr;

    std::vector<ShownMessage> messages;
    std::vector<std::string> processes;
    std::vector<int> processShowCommands;
    std::vector<int> exitCodes;
    int seeds = 0;

    // Only the error reports among the messages.
    std::vector<ShownMessage> Reports() const;
};

// Installs a FakePlatform for the lifetime of the object.
class ScopedFakePlatform {
public:
    ScopedFakePlatform() { Seams::Install(&fake); }
    ~ScopedFakePlatform() { Seams::Install(nullptr); }
    FakePlatform* operator->() { return &fake; }
    FakePlatform& operator*() { return fake; }
    FakePlatform fake;
};
