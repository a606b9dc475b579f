// How long "Copy History To Clipboard" takes on a 50 MB history log (a few
// years of passes every 5 minutes), through the real window's click handler,
// against a baseline measured in the same run: reading the same file and
// putting its bytes on the clipboard with a plain SetClipboardData. A second
// thread keeps sending the window a message meanwhile and records the longest
// time the window took to answer one.
//
//   wine build/ClipboardBench.exe [megabytes]     (default 50)
#include "QuietPlatform.h"
#include "system/Window.h"
#include "app/Form1.h"
#include "cleaning/HistoryLog.h"
#include "system/MessagePump.h"


#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string WriteLog(const std::string& path, std::size_t megabytes) {
    std::string log;
    log.reserve(megabytes << 20);
    for (int i = 0; log.size() < (megabytes << 20); ++i)
        log += "Internet History was deleted at 1/2/2026 3:04:05 PM #" + std::to_string(i) + "\r\n";
    std::ofstream(path, std::ios::binary).write(log.data(), static_cast<std::streamsize>(log.size()));
    return log;
}

// The least a copy can cost: read the file, one block, one SetClipboardData.
void PlainCopy(const std::string& path, HWND owner) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const std::size_t size = static_cast<std::size_t>(in.tellg());
    in.seekg(0);
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size + 1);
    char* bytes = static_cast<char*>(::GlobalLock(block));
    in.read(bytes, static_cast<std::streamsize>(size));
    bytes[size] = '\0';
    ::GlobalUnlock(block);
    ::OpenClipboard(owner);
    ::EmptyClipboard();
    if (!::SetClipboardData(CF_TEXT, block)) ::GlobalFree(block);
    ::CloseClipboard();
}

std::size_t ClipboardTextLength() {
    std::size_t length = 0;
    if (!::OpenClipboard(nullptr)) return 0;
    if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
        if (const char* text = static_cast<const char*>(::GlobalLock(data))) {
            length = std::strlen(text);
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return length;
}

// Sends the window WM_NULL again and again from another thread while `body`
// runs on this one; answers the longest wait for a reply, in seconds.
template <class Body>
double LongestAnswer(HWND window, Body&& body) {
    std::atomic<bool> running{true};
    std::atomic<double> longest{0.0};
    std::atomic<bool> finished{false};
    std::thread prober([&] {
        while (running) {
            const double sent = MessagePump::MonotonicSeconds();
            DWORD_PTR result = 0;
            ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
            longest = std::max(longest.load(), MessagePump::MonotonicSeconds() - sent);
            ::Sleep(1);
        }
        finished = true;
    });
    MessagePump::WaitWhileMessagesRun(0.05);  // the prober is under way
    body();
    running = false;
    while (!finished) MessagePump::WaitWhileMessagesRun(0.01);  // its last message gets its answer
    prober.join();
    return longest;
}

template <class Body>
double Seconds(Body&& body) {
    const double start = MessagePump::MonotonicSeconds();
    body();
    return MessagePump::MonotonicSeconds() - start;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t megabytes = argc > 1 ? static_cast<std::size_t>(std::atoi(argv[1])) : 50;
    const QuietWindowBench quiet;

    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "vorlane-clipboard-bench";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::SetEnvironmentVariableA("TEMP", folder.c_str());
    const std::string path = HistoryLog::LogPath();
    const std::string log = WriteLog(path, megabytes);

    Form1 form(Cleaners{});
    form.Create(true);
    RestPointerOffWindow(form.Handle());
    MessagePump::LetPendingMessagesRun();
    HWND button = FindControl(form.Handle(), IdPushButton2);

    constexpr int Rounds = 3;
    double plainBest = 1e9, handlerBest = 1e9, plainAnswer = 0, handlerAnswer = 0;
    bool whole = true;
    for (int round = 0; round < Rounds; ++round) {
        double seconds = 0;
        plainAnswer = std::max(plainAnswer, LongestAnswer(form.Handle(), [&] {
                                   seconds = Seconds([&] { PlainCopy(path, form.Handle()); });
                               }));
        plainBest = std::min(plainBest, seconds);
        whole = whole && ClipboardTextLength() == log.size();

        handlerAnswer = std::max(handlerAnswer, LongestAnswer(form.Handle(), [&] {
                                     seconds = Seconds([&] { ::SendMessageA(button, BM_CLICK, 0, 0); });
                                 }));
        handlerBest = std::min(handlerBest, seconds);
        whole = whole && ClipboardTextLength() == log.size();
    }

    std::printf("log: %zu bytes (%zu MB), best of %d rounds\n", log.size(), megabytes, Rounds);
    std::printf("plain read + SetClipboardData:   %8.3f s, window answered within %.3f s\n", plainBest, plainAnswer);
    std::printf("Copy History To Clipboard click: %8.3f s, window answered within %.3f s\n", handlerBest,
                handlerAnswer);
    std::printf("ratio handler/plain: %.3f\n", handlerBest / plainBest);
    std::printf("clipboard held the whole log every time: %s\n", whole ? "yes" : "NO");

    ::DeleteFileA(path.c_str());
    ::RemoveDirectoryA(folder.c_str());
    return whole ? 0 : 1;
}
