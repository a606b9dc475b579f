// The one kind of failure that the program's procedures raise and handle. It
// carries an error number (the program's own numbering, e.g. 70 for access
// denied, 76 for path not found) and the description shown to the user.
#pragma once

#include <windows.h>
#include <stdexcept>
#include <string>

class Failure : public std::runtime_error {
public:
    Failure(long number, const std::string& description)
        : std::runtime_error(description), number_(number) {}

    long Number() const noexcept { return number_; }
    std::string Description() const { return what(); }

    // A Win32 error code with the system's own text for it.
    static Failure FromWin32(DWORD code);
    static Failure FromLastError() { return FromWin32(::GetLastError()); }

    static Failure TypeMismatch() { return Failure(13, "Type mismatch"); }
    static Failure Overflow() { return Failure(6, "Overflow"); }

    static constexpr long PermissionDenied = 70;
    static constexpr long PathNotFound = 76;

private:
    long number_;
};

// The system's message text for a Win32 error code, without the trailing line break.
std::string Win32ErrorText(DWORD code);

// Number and description of the exception being handled (call inside a catch block).
Failure CurrentFailure();
