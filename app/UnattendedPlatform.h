// The platform of a run without a window: a message box is never shown, so
// nothing waits for a click. Its text goes to whoever listens (the run's
// report and standard error) and it is answered with the button that changes
// nothing. Everything else is the platform that was in force.
#pragma once

#include "system/Seams.h"

#include <functional>
#include <string>

class UnattendedPlatform final : public Seams::Platform {
public:
    using Listener = std::function<void(const std::string& title, const std::string& text)>;

    // Installs itself in place of the platform in force, until it goes.
    explicit UnattendedPlatform(Listener listener);
    ~UnattendedPlatform() override;
    UnattendedPlatform(const UnattendedPlatform&) = delete;
    UnattendedPlatform& operator=(const UnattendedPlatform&) = delete;

    // OK for a box that only tells; Cancel, No or Abort for one that asks.
    static int AnswerWithoutAsking(UINT type);

    int ShowMessage(const std::string& text, const std::string& title, UINT type) override;
    void StartProcess(const std::string& commandLine, int showCommand) override;
    void SeedRandomFromTime() override;
    double RandomUnit() override;
    void ExitProgram(int code) override;
    BOOL NotifyShell(DWORD message, NOTIFYICONDATAA& record) override;
    ComPtr<IDispatch> CreateComponent(const std::string& progId) override;

private:
    Seams::Platform& previous_;
    Listener listener_;
};
