// The start-up walk of the URL cache and the purge of its entries.
#include "cleaning/IEUrlCache.h"

#include "cleaning/MemoryBlock.h"
#include "system/StepRunner.h"
#include "system/UniqueHandle.h"

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <string_view>
#include <vector>

namespace IEHistory {
namespace {

std::vector<std::string> cookieEntries{""};
std::vector<std::string> cacheEntries{""};

constexpr char CookiePrefix[] = "Cookie";
// Room for a typical entry; the block grows when an entry needs more.
constexpr DWORD FirstBlockBytes = 4096;
constexpr int MaxFailuresInARow = 8;

// The fixed part of an entry as the cache lays it out at the start of the buffer.
struct EntryRecord {
    INTERNET_CACHE_ENTRY_INFOA info;
    DWORD extra;
};

// Puts a name at the list's last index and adds a new empty last element.
void Store(std::vector<std::string>& list, std::string name) {
    list.back() = std::move(name);
    list.emplace_back();
}

// Calls `fetch` with the block; when the entry needs more room than the block
// holds, allocates exactly what the cache asks for and calls again. One block
// serves the whole walk, so most entries cost a single call. Returns the
// call's result.
template <class Fetch>
bool FetchEntry(MemoryBlock& block, Fetch&& fetch) {
    DWORD size = static_cast<DWORD>(block.Length());
    if (fetch(block.Handle(), size)) return true;
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return false;
    block.Allocate(size);
    if (block.Handle() == 0) return false;
    return fetch(block.Handle(), size);
}

// Reads the entry now in the block and files its name under cookies or the rest.
// The name is read only inside the block, so a stray address yields an empty name.
void Classify(StepRunner& steps, int firstLabel, const MemoryBlock& block) {
    EntryRecord record{};
    block.ReadFrom(reinterpret_cast<std::uintptr_t>(&record), sizeof(record));
    const auto name = reinterpret_cast<std::uintptr_t>(record.info.lpszSourceUrlName);
    if (name == 0) return;
    const std::uintptr_t end = block.Handle() + block.Length();
    const std::size_t room = name >= block.Handle() && name < end ? end - name : 0;
    std::string text = block.ExtractString(name, room);
    if (steps.If(firstLabel, [&] { return text.starts_with(CookiePrefix); })) {
        steps.Run(firstLabel + 2, [&] { Store(cookieEntries, std::move(text)); });
    } else {
        steps.Run(firstLabel + 6, [&] { Store(cacheEntries, std::move(text)); });
    }
}

// The names of the entries in the URL cache now: those beginning with
// "Cookie", or all the others. An entry that cannot be read is passed over;
// a failing walk ends with what it found.
std::vector<std::string> EntriesNow(bool cookies) {
    std::vector<std::string> names;
    std::vector<char> buffer(FirstBlockBytes);
    const auto entry = [&] { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data()); };
    // Calls `fetch`, and once more with the room the cache asked for.
    const auto fetchEntry = [&](auto&& fetch) {
        DWORD size = static_cast<DWORD>(buffer.size());
        if (fetch(size)) return true;
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= buffer.size()) return false;
        buffer.resize(size);
        return fetch(size);
    };
    const auto keep = [&] {
        const char* name = entry()->lpszSourceUrlName;
        if (name && std::string_view(name).starts_with(CookiePrefix) == cookies) names.emplace_back(name);
    };

    UniqueUrlCacheFind search;
    if (!fetchEntry([&](DWORD& size) {
            search.Reset(::FindFirstUrlCacheEntryA(nullptr, entry(), &size));
            return search.Valid();
        }))
        return names;
    keep();
    int failuresInARow = 0;
    while (failuresInARow < MaxFailuresInARow) {
        if (fetchEntry([&](DWORD& size) { return ::FindNextUrlCacheEntryA(search.Get(), entry(), &size) != FALSE; })) {
            failuresInARow = 0;
            keep();
        } else if (::GetLastError() == ERROR_NO_MORE_ITEMS) {
            break;
        } else {
            ++failuresInARow;
        }
    }
    return names;
}

// Deletes one URL-cache entry; true when WinINet reports success.
bool DeleteCacheEntry(const std::string& name) { return ::DeleteUrlCacheEntryA(name.c_str()) != FALSE; }

// Deletes the entries of the kind that are in the URL cache at this pass (a
// program that runs for days must clean what was made after it started) and
// shows each name followed by "-->".
void PurgeEntries(StepRunner& steps, bool cookies, StatusLine& status) {
    std::vector<std::string> names;
    steps.Run(102, [&] { names = EntriesNow(cookies); });
    for (const std::string& name : names) {
        if (cookies && !ErasesSite(status, CookieEntryHost(name))) continue;
        steps.Run(106, [&] {
            // A preview counts the entry the pass would delete; it has just been listed.
            if (status.Previewing() || DeleteCacheEntry(name)) status.Deleted(TraceKind::CacheEntry, 1);
        });
        steps.Run(108, [&] { status.SetStatus(name + "-->"); });
    }
}

}  // namespace

std::string CookieEntryHost(std::string_view name) {
    const std::size_t at = name.find('@');
    if (at == std::string_view::npos) return "";
    const std::string_view rest = name.substr(at + 1);
    return std::string(rest.substr(0, rest.find('/')));
}

void LoadHistroy() {
    StepRunner steps(Location::LoadHistroy);
    steps.Run(100, [] { cookieEntries.assign(1, ""); });
    steps.Run(102, [] { cacheEntries.assign(1, ""); });

    MemoryBlock block;
    UniqueUrlCacheFind search;
    bool found = false;
    steps.Run(104, [&] { block.Allocate(FirstBlockBytes); });
    steps.Run(110, [&] {
        found = FetchEntry(block, [&](std::uintptr_t buffer, DWORD& size) {
            search.Reset(::FindFirstUrlCacheEntryA(
                nullptr, reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer), &size));
            return search.Valid();
        });
    });
    if (found) Classify(steps, 116, block);

    // An entry that cannot be fetched is skipped; a run of such failures (the
    // cache or the memory gave out) ends the walk instead of spinning on one entry.
    int failuresInARow = 0;
    while (search.Valid() && failuresInARow < MaxFailuresInARow) {
        DWORD error = 0;
        steps.Run(128, [&] {
            found = FetchEntry(block, [&](std::uintptr_t buffer, DWORD& size) {
                return ::FindNextUrlCacheEntryA(
                           search.Get(), reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer),
                           &size) != FALSE;
            });
            error = found ? ERROR_SUCCESS : ::GetLastError();
        });
        if (steps.If(132, [&] { return error == ERROR_NO_MORE_ITEMS; })) break;
        failuresInARow = found ? 0 : failuresInARow + 1;
        if (found) Classify(steps, 142, block);
    }
    steps.Run(152, [&] { search.Reset(); });
    steps.Run(154, [&] { block.ReleaseMemory(); });
}

const std::vector<std::string>& CookieEntries() { return cookieEntries; }
const std::vector<std::string>& CacheEntries() { return cacheEntries; }

void PurgeCookieEntries(StepRunner& steps, StatusLine& status) {
    PurgeEntries(steps, true, status);
}

void PurgeCacheEntries(StepRunner& steps, StatusLine& status) {
    PurgeEntries(steps, false, status);
}

}  // namespace IEHistory
