#include "cleaning/DeletionBatch.h"

#include "system/MessagePump.h"
#include "system/UniqueHandle.h"
#include "system/WorkerThreads.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <system_error>

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

FolderFileDeleter::Attempted AttemptOf(const File& file) {
    return file.folder->Attempt(file.name, file.attributes, file.size);
}

void AttemptOnThreads(const std::vector<File>& files, Attempts& attempts, std::size_t begin, std::size_t end) {
    std::atomic<std::size_t> next{begin};
    const auto attempt = [&] {
        for (std::size_t i = next++; i < end; i = next++) attempts[i] = AttemptOf(files[i]);
    };
    // The helpers say when the last of them is done; one that could not be
    // started is done at once, and this thread does its share.
    const UniqueKernelHandle helpersDone(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::atomic<unsigned> helpersLeft{helpersDone ? Threads - 1 : 0};
    const auto helperEnded = [&] {
        if (--helpersLeft == 0) ::SetEvent(helpersDone.Get());
    };
    for (unsigned i = 0; helpersDone && i + 1 < Threads; ++i) {
        try {
            WorkerThreads::Start([&] {
                try {
                    attempt();
                } catch (...) {
                    // Out of memory: the files it took stay counted as not deleted.
                }
                helperEnded();
            });
        } catch (const std::system_error&) {
            helperEnded();
        }
    }
    attempt();
    if (helpersDone) ::WaitForSingleObject(helpersDone.Get(), INFINITE);
}

}  // namespace

void DeleteAll(const std::vector<File>& files, const Told& told) {
    Attempts attempts(files.size(), {FolderFileDeleter::Outcome::Failed, 0});
    for (std::size_t begin = 0; begin < files.size(); begin += GroupSize) {
        const std::size_t end = std::min(files.size(), begin + GroupSize);
        if (end - begin < FewFiles) {
            for (std::size_t i = begin; i < end; ++i) attempts[i] = AttemptOf(files[i]);
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
