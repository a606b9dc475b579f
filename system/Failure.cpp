#include "system/Failure.h"

#include <exception>
#include <new>

std::string Win32ErrorText(DWORD code) {
    char* buffer = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text;
    if (length != 0 && buffer != nullptr) text.assign(buffer, length);
    if (buffer != nullptr) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    if (text.empty()) text = "System error " + std::to_string(code);
    return text;
}

Failure Failure::FromWin32(DWORD code) {
    long number = static_cast<long>(code);
    switch (code) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        number = PermissionDenied;
        break;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        number = PathNotFound;
        break;
    default:
        break;
    }
    return Failure(number, Win32ErrorText(code));
}

Failure CurrentFailure() {
    try {
        throw;
    } catch (const Failure& f) {
        return f;
    } catch (const std::bad_alloc&) {
        return Failure(7, "Out of memory");
    } catch (const std::out_of_range&) {
        return Failure(9, "Subscript out of range");
    } catch (const std::exception& e) {
        return Failure(5, e.what());
    } catch (...) {
        return Failure(51, "Internal error");
    }
}
