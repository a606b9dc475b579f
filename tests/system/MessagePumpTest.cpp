// Work handed to the kept threads, alone or while the window's messages run.
#include "system/MessagePump.h"
#include "support/CountingWindow.h"
#include "system/UniqueHandle.h"
#include "system/WorkerThreads.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <stdexcept>

TEST(MessagePumpTest, WorkOnItsOwnThreadLeavesTheWindowAnsweringAndEndsBeforeTheCallerGoesOn) {
    const CountingWindow counting;
    const HWND window = counting.Handle();
    ASSERT_TRUE(window);

    // The work waits for the window's answers: they come while it runs.
    bool done = false;
    MessagePump::RunWhileMessagesRun([&] {
        for (int i = 0; i < 3; ++i) ::SendMessageA(window, WM_APP, 0, 0);
        done = true;
    });
    EXPECT_TRUE(done);
    EXPECT_EQ(CountingWindow::answered, 3);

    // What the work throws reaches the caller.
    EXPECT_THROW(MessagePump::RunWhileMessagesRun([] { throw std::runtime_error("disk full"); }), std::runtime_error);

    // A quit that comes meanwhile does not cut the work short, and is still
    // there for the main loop.
    done = false;
    MessagePump::RunWhileMessagesRun([&] {
        ::PostMessageA(window, WM_QUIT, 0, 0);
        ::Sleep(50);
        done = true;
    });
    EXPECT_TRUE(done);
    MSG quit;
    EXPECT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// Tasks started together run at once: each of three waits for the other two
// to begin. Their state outlives the test, for tasks left waiting when it fails.
TEST(MessagePumpTest, TasksStartedTogetherRunAtOnceOnKeptThreads) {
    struct Meeting {
        std::atomic<int> arrived{0}, met{0};
        UniqueKernelHandle all{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
        UniqueKernelHandle ended{::CreateSemaphoreA(nullptr, 0, 3, nullptr)};
    };
    const auto meeting = std::make_shared<Meeting>();
    for (int i = 0; i < 3; ++i) {
        WorkerThreads::Start([meeting] {
            if (++meeting->arrived == 3) ::SetEvent(meeting->all.Get());
            if (::WaitForSingleObject(meeting->all.Get(), 5000) == WAIT_OBJECT_0) ++meeting->met;
            ::ReleaseSemaphore(meeting->ended.Get(), 1, nullptr);
        });
    }
    for (int i = 0; i < 3; ++i) ::WaitForSingleObject(meeting->ended.Get(), 10000);
    EXPECT_EQ(meeting->met, 3);
}
