#include "system/ConsoleOutput.h"

#include "system/UniqueHandle.h"
#include "system/Utf8.h"

#include <windows.h>

namespace ConsoleOutput {
namespace {

struct Target {
    HANDLE handle = nullptr;  // nullptr: nowhere
    bool console = false;
};

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return ::GetConsoleMode(handle, &mode) != FALSE;
}

// The console of the program that started this one, opened once: both
// streams write to it.
HANDLE ParentConsole() {
    static const UniqueFile console = [] {
        if (!::AttachConsole(ATTACH_PARENT_PROCESS) && ::GetLastError() != ERROR_ACCESS_DENIED) return UniqueFile();
        return UniqueFile(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
    }();
    return console.Get();
}

Target Find(Stream stream) {
    const HANDLE given = ::GetStdHandle(stream == Stream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (given != nullptr && given != INVALID_HANDLE_VALUE && ::GetFileType(given) != FILE_TYPE_UNKNOWN)
        return {given, IsConsole(given)};
    const HANDLE console = ParentConsole();
    if (console == INVALID_HANDLE_VALUE) return {};
    return {console, true};
}

}  // namespace

void WriteLine(Stream stream, const std::string& text) {
    static const Target output = Find(Stream::Output);
    static const Target error = Find(Stream::Error);
    const Target& target = stream == Stream::Output ? output : error;
    if (target.handle == nullptr) return;
    const std::string line = text + "\r\n";
    DWORD written = 0;
    if (target.console) {
        const std::wstring wide = Utf8::ToWide(line);
        ::WriteConsoleW(target.handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        ::WriteFile(target.handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
}

}  // namespace ConsoleOutput
