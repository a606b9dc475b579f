#include "support/FakePlatform.h"

#include "system/ErrorReport.h"
#include "system/Failure.h"

int FakePlatform::ShowMessage(const std::string& text, const std::string& title, UINT type) {
    messages.push_back({text, title, type});
    if (!answers.empty()) {
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
}

void FakePlatform::StartProcess(const std::string& commandLine, int showCommand) {
    if (failProcessStart) throw Failure::FromWin32(ERROR_FILE_NOT_FOUND);
    processes.push_back(commandLine);
    processShowCommands.push_back(showCommand);
}

ComPtr<IDispatch> FakePlatform::CreateComponent(const std::string&) {
    ComPtr<IDispatch> created;
    if (component) component->QueryInterface(IID_IDispatch, created.PutVoid());
    return created;
}

std::vector<ShownMessage> FakePlatform::Reports() const {
    std::vector<ShownMessage> reports;
    for (const ShownMessage& m : messages)
        if (m.title == ErrorReport::Title) reports.push_back(m);
    return reports;
}
