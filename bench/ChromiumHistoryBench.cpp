// The History box of the "Chrome and Edge" frame on a History database of
// 100,000 visits, timed as the pass runs it (ChromiumHistory::ClearChromiumHistory
// with Local AppData pointed at the bench folder), and the same DELETE
// statements run plainly through SQLite under Wine on a copy: what the
// cleaner's secure_delete, transaction and checkpoint cost on top. The plain
// DELETE with the Linux sqlite3 tool on another copy is timed by
// scripts/bench.sh in the same run.
//
// Usage: ChromiumHistoryBench.exe BENCH_FOLDER
//   BENCH_FOLDER\Local\Google\Chrome\User Data\Default\History  the cleaner's copy
//   BENCH_FOLDER\wine-plain\History                              the plain copy
#include "PlainHistoryDelete.h"
#include "ShellFolderValue.h"
#include "chromium/ChromiumCleaners.h"
#include "database/SqliteDatabase.h"
#include "system/Path.h"
#include "system/Registry1.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;


class NoStatus : public StatusLine {
public:
    std::string Status() const override { return ""; }
    void SetStatus(const std::string&) override {}
    void LeaveAlone(const std::string& notice) override { std::fprintf(stderr, "left alone: %s\n", notice.c_str()); }
};

std::int64_t Visits(const std::string& history) {
    SqliteDatabase db(history);
    return db.Scalar("SELECT count(*) FROM visits", -1);
}

template <class Body>
double Seconds(Body&& body) {
    const Clock::time_point start = Clock::now();
    body();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: ChromiumHistoryBench BENCH_FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    const std::string cleaned = Path::Join(folder, "Local\\Google\\Chrome\\User Data\\Default\\History");
    const std::string plain = Path::Join(folder, "wine-plain\\History");
    const std::int64_t visits = Visits(cleaned);

    const std::string saved = Registry1::ReadRegString(HKEY_CURRENT_USER, ShellFolders::Key, ShellFolders::LocalAppData, "");
    SetShellFolder(ShellFolders::LocalAppData, Path::Join(folder, "Local"));
    NoStatus status;
    const double cleaner = Seconds([&] { ChromiumHistory::ClearChromiumHistory(status); });
    SetShellFolder(ShellFolders::LocalAppData, saved);
    const double wine = Seconds([&] { PlainHistoryDelete(plain); });

    std::printf("visits before: %lld, after the cleaner: %lld, after the plain DELETE: %lld\n",
                static_cast<long long>(visits), static_cast<long long>(Visits(cleaned)),
                static_cast<long long>(Visits(plain)));
    std::printf("cleaner (secure_delete, one transaction, checkpoint): %.3f s\n", cleaner);
    std::printf("plain DELETE through SQLite under Wine:               %.3f s  (cleaner / plain: %.2f)\n", wine,
                cleaner / wine);
    // For scripts/bench.sh, which sets it against the Linux sqlite3 tool.
    std::printf("cleaner-seconds %.6f\n", cleaner);
    return Visits(cleaned) == 0 ? 0 : 1;
}
