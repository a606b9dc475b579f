#include "cleaning/HistoryLog.h"

#include "cleaning/DeletionPass.h"
#include "support/FakePlatform.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

// TEMP pointed at a folder of the test, put back afterwards.
class TempVariable {
public:
    explicit TempVariable(const std::string& value) {
        char previous[MAX_PATH] = {};
        hadValue_ = ::GetEnvironmentVariableA("TEMP", previous, MAX_PATH) > 0;
        previous_ = previous;
        ::SetEnvironmentVariableA("TEMP", value.c_str());
    }
    ~TempVariable() { ::SetEnvironmentVariableA("TEMP", hadValue_ ? previous_.c_str() : nullptr); }

private:
    bool hadValue_;
    std::string previous_;
};

class NoBoxTicked : public PassWindow {
public:
    bool IsTicked(std::size_t) const override { return ticked; }
    bool ticked = false;
    std::string Status() const override { return status; }
    void SetStatus(const std::string& text) override { status = text; }
    std::string status;
};

}  // namespace

TEST(HistoryLogTest, TwoPassesLeaveExactlyTwoDatedLinesEachWithWhatItDeletedEndedByCrLf) {
    ScopedFakePlatform platform;
    Fixtures::TempFolder t;
    TempVariable temp(t.Path());
    NoBoxTicked window;

    DeletionPass::DeleteAll(window, {});
    DeletionPass::DeleteAll(window, {});

    const std::string text = Fixtures::ReadFile(t / "history.txt");
    const std::regex twoLines("(Internet History was deleted at [^\r\n]+\r\n0 file\\(s\\), 0 bytes and 0 entries deleted\r\n){2}");
    EXPECT_TRUE(std::regex_match(text, twoLines)) << text;
    EXPECT_TRUE(platform->Reports().empty());
}

TEST(HistoryLogTest, TheLogFollowsTempWhenItChangesAndAnUnsetTempMeansTheDriveRoot) {
    Fixtures::TempFolder first("first");
    Fixtures::TempFolder second("second");
    {
        TempVariable temp(first.Path());
        HistoryLog::AppendHistoryLog("one");
        ::SetEnvironmentVariableA("TEMP", second.Path().c_str());
        EXPECT_EQ(HistoryLog::LogPath(), second / "history.txt");
        HistoryLog::AppendHistoryLog("two");
        ::SetEnvironmentVariableA("TEMP", nullptr);
        EXPECT_EQ(HistoryLog::LogPath(), "\\history.txt");
    }
    EXPECT_EQ(Fixtures::ReadFile(first / "history.txt"), "one\r\n");
    EXPECT_EQ(Fixtures::ReadFile(second / "history.txt"), "two\r\n");
}

// The log is the program's own file: a link in its place (planted from Linux
// by scripts/plant-cleaner-fixtures.sh) is neither written through nor
// deleted, and the status line says why.
TEST(HistoryLogTest, ALinkInTheLogsPlaceIsLeftAloneAndWhatItLeadsToIsKept) {
    ScopedFakePlatform platform;
    const std::string diary = "C:\\vorlane-filelink\\outside\\diary.txt";
    ASSERT_EQ(Fixtures::ReadFile(diary), "dear diary") << "run scripts/plant-cleaner-fixtures.sh";
    TempVariable temp("C:\\vorlane-filelink\\temp");
    NoBoxTicked window;

    DeletionPass::DeleteAll(window, {});
    EXPECT_EQ(window.status, "C:\\vorlane-filelink\\temp\\history.txt was left alone: not the program's own file");
    EXPECT_EQ(HistoryLog::DeleteHistoryLog(), HistoryLog::Deleted::NotOwnFile);

    EXPECT_EQ(Fixtures::ReadFile(diary), "dear diary");
    EXPECT_TRUE(platform->Reports().empty());
}

// A TEMP that cannot hold the log is reported once, not at every pass of an
// automatic deletion, and the pass still runs its cleaners.
TEST(HistoryLogTest, ATempThatCannotHoldTheLogIsReportedOnceAndThePassStillCleans) {
    ScopedFakePlatform platform;
    for (const char* value : {"relative-temp-of-this-test", "C:\\vorlane-missing-temp-of-this-test"}) {
        SCOPED_TRACE(value);
        platform->messages.clear();
        TempVariable temp(value);
        NoBoxTicked window;
        int cleaned = 0;
        const std::vector<DeletionPass::Step> cleaners{{100, "Clear", "Browser", "Cleaning", [&](StatusLine&) { ++cleaned; }}};
        window.ticked = true;

        DeletionPass::DeleteAll(window, cleaners);
        DeletionPass::DeleteAll(window, cleaners);

        EXPECT_EQ(cleaned, 2);
        EXPECT_EQ(platform->Reports().size(), 1u);
    }
}
