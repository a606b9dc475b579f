#include "system/Seams.h"

#include "system/Failure.h"
#include "system/UniqueHandle.h"

#include <random>
#include <vector>

namespace Seams {
namespace {

class RealPlatform final : public Platform {
public:
    int ShowMessage(const std::string& text, const std::string& title, UINT type) override {
        return ::MessageBoxA(::GetActiveWindow(), text.c_str(), title.c_str(), type | MB_TASKMODAL);
    }

    void StartProcess(const std::string& commandLine, int showCommand) override {
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(showCommand);
        PROCESS_INFORMATION info{};
        std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
        mutableLine.push_back('\0');
        if (!::CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &info))
            throw Failure::FromLastError();
        UniqueKernelHandle process(info.hProcess);
        UniqueKernelHandle thread(info.hThread);
    }

    void SeedRandomFromTime() override {
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        const unsigned seed = ((now.wHour * 60u + now.wMinute) * 60u + now.wSecond) * 1000u +
                              now.wMilliseconds;
        engine_.seed(seed);
    }

    double RandomUnit() override {
        return std::uniform_real_distribution<double>(0.0, 1.0)(engine_);
    }

    void ExitProgram(int code) override { ::ExitProcess(static_cast<UINT>(code)); }

    BOOL NotifyShell(DWORD message, NOTIFYICONDATAA& record) override {
        return ::Shell_NotifyIconA(message, &record);
    }

    ComPtr<IDispatch> CreateComponent(const std::string& progId) override {
        ComPtr<IDispatch> component;
        const std::wstring wide(progId.begin(), progId.end());  // ProgIDs are ASCII
        CLSID clsid;
        if (FAILED(::CLSIDFromProgID(wide.c_str(), &clsid))) return component;
        if (FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                      component.PutVoid())))
            component.Reset();
        return component;
    }

private:
    std::mt19937 engine_{12345u};
};

RealPlatform realPlatform;
Platform* current = &realPlatform;

}  // namespace

Platform& Current() { return *current; }

void Install(Platform* replacement) { current = replacement ? replacement : &realPlatform; }

}  // namespace Seams
