#include "app/UnattendedPlatform.h"

UnattendedPlatform::UnattendedPlatform(Listener listener)
    : previous_(Seams::Current()), listener_(std::move(listener)) {
    Seams::Install(this);
}

UnattendedPlatform::~UnattendedPlatform() { Seams::Install(&previous_); }

int UnattendedPlatform::AnswerWithoutAsking(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL:
    case MB_CANCELTRYCONTINUE: return IDCANCEL;
    case MB_YESNO: return IDNO;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    default: return IDOK;
    }
}

int UnattendedPlatform::ShowMessage(const std::string& text, const std::string& title, UINT type) {
    listener_(title, text);
    return AnswerWithoutAsking(type);
}

void UnattendedPlatform::StartProcess(const std::string& commandLine, int showCommand) {
    previous_.StartProcess(commandLine, showCommand);
}
void UnattendedPlatform::SeedRandomFromTime() { previous_.SeedRandomFromTime(); }
double UnattendedPlatform::RandomUnit() { return previous_.RandomUnit(); }
void UnattendedPlatform::ExitProgram(int code) { previous_.ExitProgram(code); }
BOOL UnattendedPlatform::NotifyShell(DWORD message, NOTIFYICONDATAA& record) {
    return previous_.NotifyShell(message, record);
}
ComPtr<IDispatch> UnattendedPlatform::CreateComponent(const std::string& progId) {
    return previous_.CreateComponent(progId);
}
