#include "system/WorkerThreads.h"

#include <windows.h>

#include <climits>
#include <deque>
#include <system_error>

namespace WorkerThreads {

namespace {

// Win32's own primitives: under Wine a task handed over through them takes
// half the time it takes through the C++ library's condition variables.
class Pool {
public:
    Pool() : ready_(::CreateSemaphoreA(nullptr, 0, LONG_MAX, nullptr)) { ::InitializeCriticalSection(&lock_); }

    void Start(std::function<void()> task) {
        ::EnterCriticalSection(&lock_);
        // A thread more when those waiting do not cover the tasks not yet taken and this one.
        if (!ready_ || (waiting_ <= tasks_.size() && !StartThread())) {
            ::LeaveCriticalSection(&lock_);
            throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), "no thread");
        }
        tasks_.push_back(std::move(task));
        ::LeaveCriticalSection(&lock_);
        ::ReleaseSemaphore(ready_, 1, nullptr);
    }

private:
    bool StartThread() {
        const HANDLE thread = ::CreateThread(nullptr, 0, &Pool::Serve, this, 0, nullptr);
        if (!thread) return false;
        ::CloseHandle(thread);  // kept until the program ends, when the system ends it with the others
        return true;
    }

    static DWORD WINAPI Serve(void* self) {
        Pool& pool = *static_cast<Pool*>(self);
        for (;;) {
            ::EnterCriticalSection(&pool.lock_);
            ++pool.waiting_;
            ::LeaveCriticalSection(&pool.lock_);
            ::WaitForSingleObject(pool.ready_, INFINITE);
            ::EnterCriticalSection(&pool.lock_);
            --pool.waiting_;
            std::function<void()> task = std::move(pool.tasks_.front());
            pool.tasks_.pop_front();
            ::LeaveCriticalSection(&pool.lock_);
            task();
        }
    }

    HANDLE ready_;  // one count for each task put in
    CRITICAL_SECTION lock_;
    std::deque<std::function<void()>> tasks_;
    std::size_t waiting_ = 0;
};

// Never destroyed: its threads wait on it until the program ends.
Pool& ThePool() {
    static Pool* const pool = new Pool;
    return *pool;
}

}  // namespace

void Start(std::function<void()> task) { ThePool().Start(std::move(task)); }

}  // namespace WorkerThreads
