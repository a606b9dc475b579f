#include "system/MessagePump.h"

#include "system/UniqueHandle.h"
#include "system/WorkerThreads.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <system_error>

namespace MessagePump {
namespace {
constexpr double ThrottleSeconds = 0.020;
double lastPump = 0.0;
}  // namespace

double MonotonicSeconds() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency;
}

void LetPendingMessagesRun() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    lastPump = MonotonicSeconds();
}

void LetPendingMessagesRunThrottled() {
    if (MonotonicSeconds() - lastPump >= ThrottleSeconds) LetPendingMessagesRun();
}

void WaitWhileMessagesRun(double seconds, const std::function<bool()>& keepWaiting) {
    const double start = MonotonicSeconds();
    for (;;) {
        LetPendingMessagesRun();
        if (keepWaiting && !keepWaiting()) return;
        const double left = seconds - (MonotonicSeconds() - start);
        if (left <= 0.0) return;
        const DWORD waitMs = static_cast<DWORD>(std::ceil(std::min(left, 3600.0) * 1000.0));
        ::MsgWaitForMultipleObjectsEx(0, nullptr, waitMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

bool WaitForObjectWhileMessagesRun(HANDLE object) {
    for (;;) {
        const DWORD woken = ::MsgWaitForMultipleObjectsEx(1, &object, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken == WAIT_OBJECT_0 || woken == WAIT_ABANDONED_0) return true;
        if (woken != WAIT_OBJECT_0 + 1) return false;
        LetPendingMessagesRun();
        // A quit found there was posted again: it would wake every wait at once.
        MSG quit;
        if (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) return false;
    }
}

void RunWhileMessagesRun(const std::function<void()>& work) {
    const UniqueKernelHandle done(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!done) return work();
    std::exception_ptr failure;
    try {
        WorkerThreads::Start([&] {
            try {
                work();
            } catch (...) {
                failure = std::current_exception();
            }
            ::SetEvent(done.Get());
        });
    } catch (const std::system_error&) {
        return work();  // no thread to be had: the work runs here, as it would have before
    }
    if (!WaitForObjectWhileMessagesRun(done.Get())) ::WaitForSingleObject(done.Get(), INFINITE);
    lastPump = MonotonicSeconds();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace MessagePump
