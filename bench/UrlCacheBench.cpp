// The start-up walk of a large URL cache against a plain enumeration with one
// reused buffer, measured in the same run, and the purge's deletions per second.
//
// It empties the URL cache of the Wine prefix it runs in: run it only in the
// throwaway test prefix (see README, Benchmarks).
#include "cleaning/IEUrlCache.h"
#include "cleaning/MemoryBlock.h"
#include "system/StepRunner.h"
#include "system/UniqueHandle.h"

#include <windows.h>
#include <psapi.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class NoStatus : public StatusLine {
public:
    std::string Status() const override { return last_; }
    void SetStatus(const std::string& text) override { last_ = text; }

private:
    std::string last_;
};

// The status line as the main window shows it: the caption of a group box.
class FrameStatus : public StatusLine {
public:
    FrameStatus() {
        window_ = ::CreateWindowExA(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                    600, 200, nullptr, nullptr, nullptr, nullptr);
        frame_ = ::CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 8, 8, 560,
                                   60, window_, nullptr, nullptr, nullptr);
    }
    ~FrameStatus() override { ::DestroyWindow(window_); }
    std::string Status() const override { return ""; }
    void SetStatus(const std::string& text) override { ::SetWindowTextA(frame_, text.c_str()); }

private:
    HWND window_;
    HWND frame_;
};

// Enumerates every entry with one buffer that only grows; returns the count.
std::size_t PlainEnumeration(std::vector<std::string>* names = nullptr) {
    std::vector<char> buffer(4096);
    auto info = [&] { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data()); };
    DWORD size = static_cast<DWORD>(buffer.size());
    UniqueUrlCacheFind search(::FindFirstUrlCacheEntryA(nullptr, info(), &size));
    if (!search && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        buffer.resize(size);
        search.Reset(::FindFirstUrlCacheEntryA(nullptr, info(), &size));
    }
    std::size_t count = 0;
    while (search) {
        ++count;
        if (names && info()->lpszSourceUrlName) names->emplace_back(info()->lpszSourceUrlName);
        size = static_cast<DWORD>(buffer.size());
        if (::FindNextUrlCacheEntryA(search.Get(), info(), &size)) continue;
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
        buffer.resize(size);
        if (!::FindNextUrlCacheEntryA(search.Get(), info(), &size)) break;
    }
    return count;
}

// The walk done entry by entry with a size probe and a fresh, exactly sized,
// locked block for each entry: what the start-up walk avoids.
std::size_t ProbeAndFreshBlockEnumeration() {
    MemoryBlock block;
    DWORD size = 0;
    ::FindFirstUrlCacheEntryA(nullptr, nullptr, &size);
    if (size == 0) return 0;
    block.Allocate(size);
    UniqueUrlCacheFind search(::FindFirstUrlCacheEntryA(
        nullptr, reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(block.Handle()), &size));
    std::size_t count = search ? 1 : 0;
    while (search) {
        size = 0;
        ::FindNextUrlCacheEntryA(search.Get(), nullptr, &size);
        if (size == 0) break;
        block.Allocate(size);
        if (::FindNextUrlCacheEntryA(search.Get(),
                                     reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(block.Handle()),
                                     &size))
            ++count;
    }
    return count;
}

void ClearCache() {
    std::vector<std::string> names;
    PlainEnumeration(&names);
    for (const auto& name : names) ::DeleteUrlCacheEntryA(name.c_str());
}

void BuildCache(int entries) {
    FILETIME never = {};
    for (int i = 0; i < entries; ++i) {
        const bool cookie = i % 5 == 0;
        const std::string url = cookie ? "Cookie:bench@host" + std::to_string(i) + ".example/"
                                       : "http://host" + std::to_string(i % 97) +
                                             ".example/some/path/page" + std::to_string(i) + ".html";
        ::CommitUrlCacheEntryA(url.c_str(), nullptr, never, never,
                               cookie ? COOKIE_CACHE_ENTRY : NORMAL_CACHE_ENTRY, nullptr, 0,
                               nullptr, nullptr);
    }
}

struct Memory {
    double peakWorkingSetMB;
    double privateMB;
};

Memory MemoryNow() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    return {counters.PeakWorkingSetSize / 1048576.0, counters.PagefileUsage / 1048576.0};
}

}  // namespace

int main(int argc, char** argv) {
    const int entries = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rounds = 3;

    ClearCache();
    auto start = Clock::now();
    BuildCache(entries);
    const double buildSeconds = SecondsSince(start);
    const std::size_t present = PlainEnumeration();
    std::printf("URL cache: %zu entries (built in %.1f s)\n", present, buildSeconds);

    double plainBest = 1e9, walkBest = 1e9, probeBest = 1e9;
    const Memory before = MemoryNow();
    for (int round = 0; round < rounds; ++round) {
        start = Clock::now();
        PlainEnumeration();
        plainBest = std::min(plainBest, SecondsSince(start));
    }
    const Memory afterPlain = MemoryNow();
    for (int round = 0; round < rounds; ++round) {
        start = Clock::now();
        IEHistory::LoadHistroy();
        walkBest = std::min(walkBest, SecondsSince(start));
    }
    const Memory afterWalk = MemoryNow();
    for (int round = 0; round < rounds; ++round) {
        start = Clock::now();
        ProbeAndFreshBlockEnumeration();
        probeBest = std::min(probeBest, SecondsSince(start));
    }
    const std::size_t listed =
        IEHistory::CookieEntries().size() + IEHistory::CacheEntries().size() - 2;

    std::printf("plain enumeration, one reused buffer: %.3f s  %.0f entries/s\n", plainBest,
                present / plainBest);
    std::printf("start-up walk (LoadHistroy):          %.3f s  %.0f entries/s  (%zu listed)\n",
                walkBest, listed / walkBest, listed);
    std::printf("size probe + fresh block per entry:   %.3f s  %.0f entries/s\n", probeBest,
                present / probeBest);
    std::printf("walk / plain time ratio: %.2f (goal <= 2.00); probe-per-entry / plain: %.2f\n",
                walkBest / plainBest, probeBest / plainBest);
    std::printf("memory: peak working set %.1f MB before, %.1f MB after plain, %.1f MB after walk;"
                " private bytes %.1f -> %.1f -> %.1f MB (walk keeps its two lists)\n",
                before.peakWorkingSetMB, afterPlain.peakWorkingSetMB, afterWalk.peakWorkingSetMB,
                before.privateMB, afterPlain.privateMB, afterWalk.privateMB);

    // The purges of a pass with both boxes ticked, once with a status object and
    // once into a real window caption, against one plain enumeration followed by
    // a DeleteUrlCacheEntryA per entry on the same cache. Each purge reads the
    // cache afresh (so a long-running program cleans what came after its
    // start), which is the price over the baseline: two walks instead of one.
    start = Clock::now();
    ClearCache();
    const double plainPurgeSeconds = SecondsSince(start);
    std::printf("plain enumeration + DeleteUrlCacheEntryA: %zu entries in %.3f s  %.0f deletions/s\n", present,
                plainPurgeSeconds, present / plainPurgeSeconds);
    for (int round = 0; round < 2; ++round) {
        BuildCache(entries);
        NoStatus plain;
        FrameStatus frame;
        StatusLine& status = round == 0 ? static_cast<StatusLine&>(plain) : frame;
        StepRunner steps("", StepRunner::Mode::Silent);
        const std::size_t had = PlainEnumeration();
        start = Clock::now();
        IEHistory::PurgeCookieEntries(steps, status);
        IEHistory::PurgeCacheEntries(steps, status);
        const double purgeSeconds = SecondsSince(start);
        const std::size_t left = PlainEnumeration();
        std::printf("purges of a pass (%s): %zu entries deleted in %.3f s  %.0f deletions/s, "
                    "time ratio to plain %.2f (goal <= 2.00); %zu left\n",
                    round == 0 ? "status object" : "window caption", had - left, purgeSeconds,
                    (had - left) / purgeSeconds, purgeSeconds / plainPurgeSeconds, left);
    }
    return 0;
}
