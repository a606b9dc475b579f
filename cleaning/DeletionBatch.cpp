#include "cleaning/DeletionBatch.h"

#include "system/MessagePump.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

namespace DeletionBatch {

namespace {

// Files whose outcomes are told together: about 15 ms of deletions, so the
// status line follows them closely.
constexpr std::size_t GroupSize = 256;
// Three threads keep the Wine server busy on two cores; more add nothing.
constexpr unsigned Threads = 3;
// Fewer files than this are not worth a thread.
constexpr std::size_t FewFiles = 8;

using Attempts = std::vector<FolderFileDeleter::Attempted>;

void AttemptOnThreads(const std::vector<File>& files, Attempts& attempts, std::size_t begin, std::size_t end) {
    std::atomic<std::size_t> next{begin};
    const auto attempt = [&] {
        for (std::size_t i = next++; i < end; i = next++)
            attempts[i] = files[i].folder->Attempt(files[i].name, files[i].attributes, files[i].size);
    };
    std::vector<std::thread> helpers;
    try {
        for (unsigned i = 1; i < Threads; ++i) helpers.emplace_back(attempt);
    } catch (const std::system_error&) {
        // No thread to spare: the ones there are do all of it.
    }
    attempt();
    for (std::thread& helper : helpers) helper.join();
}

}  // namespace

void DeleteAll(const std::vector<File>& files, const Told& told) {
    Attempts attempts(files.size(), {FolderFileDeleter::Outcome::Failed, 0});
    for (std::size_t begin = 0; begin < files.size(); begin += GroupSize) {
        const std::size_t end = std::min(files.size(), begin + GroupSize);
        if (end - begin < FewFiles) {
            for (std::size_t i = begin; i < end; ++i)
                attempts[i] = files[i].folder->Attempt(files[i].name, files[i].attributes, files[i].size);
        } else {
            MessagePump::RunWhileMessagesRun([&] { AttemptOnThreads(files, attempts, begin, end); });
        }
        for (std::size_t i = begin; i < end; ++i) {
            const FolderFileDeleter::Outcome outcome = files[i].folder->Record(files[i].name, attempts[i]);
            if (told) told(files[i], outcome);
        }
    }
}

}  // namespace DeletionBatch
