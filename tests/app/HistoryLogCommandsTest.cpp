#include "FormFixture.h"

#include "system/ErrorReport.h"
#include "system/UniqueHandle.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

namespace {

std::string ClipboardText() {
    if (!::OpenClipboard(nullptr)) return "<clipboard busy>";
    std::string text;
    if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
        if (const char* chars = static_cast<const char*>(::GlobalLock(data))) {
            text = chars;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

void SetClipboardText(const std::string& text) {
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(::GlobalLock(memory), text.c_str(), text.size() + 1);
    ::GlobalUnlock(memory);
    ::SetClipboardData(CF_TEXT, memory);
    ::CloseClipboard();
}

}  // namespace

class HistoryLogCommandsTest : public FormFixture {};

TEST_F(HistoryLogCommandsTest, WithoutALogViewShowsTheMessageAndCopyDoesNothing) {
    CreateForm(Cleaners{});
    SetClipboardText("before");

    Click(IdPushButton1);
    Click(IdPushButton2);

    ASSERT_EQ(platform->messages.size(), 1u);
    EXPECT_EQ(platform->messages[0].text,
              "There isn't a history to view because actions have not been performed yet.");
    EXPECT_EQ(platform->messages[0].title, Main::AppTitle());
    EXPECT_EQ(platform->messages[0].type, static_cast<UINT>(MB_OK));
    EXPECT_TRUE(platform->processes.empty());
    EXPECT_EQ(ClipboardText(), "before");
}

TEST_F(HistoryLogCommandsTest, ViewOpensTheEditorOnTheQuotedPathEvenWithSpaces) {
    CreateForm(Cleaners{});
    Fixtures::TempFolder spaced("log folder");
    ::SetEnvironmentVariableA("TEMP", spaced.Path().c_str());
    Fixtures::WriteFile(spaced / "history.txt", "Internet History was deleted at 1/2/2026 3:04:05 PM\r\n");

    Click(IdPushButton1);

    ASSERT_EQ(platform->processes.size(), 1u);
    EXPECT_EQ(platform->processes[0], "notepad \"" + spaced.Path() + "\\history.txt\"");
    EXPECT_EQ(platform->processShowCommands[0], SW_SHOWNORMAL);
    EXPECT_TRUE(platform->messages.empty());

    // An editor that cannot start is reported at line 102.
    platform->failProcessStart = true;
    Click(IdPushButton1);
    const auto reports = platform->Reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].text.find("in Tarvenny2021/08/31.Form1.PushButton1_Click at line 102"), std::string::npos)
        << reports[0].text;
}

TEST_F(HistoryLogCommandsTest, CopyPutsTheWholeLogOnTheClipboardWithItsLineBreaks) {
    CreateForm(Cleaners{});
    const std::string log =
        "Internet History was deleted at 1/2/2026 3:04:05 PM\r\n"
        "Internet History was deleted at 1/2/2026 3:09:05 PM\r\n";
    Fixtures::WriteFile(LogPath(), log);
    SetClipboardText("before");

    Click(IdPushButton2);
    EXPECT_EQ(ClipboardText(), log);

    // The box's earlier content is replaced, not added to.
    Fixtures::WriteFile(LogPath(), "Internet History was deleted at 2/2/2026 1:00:00 AM\r\n");
    Click(IdPushButton2);
    EXPECT_EQ(ClipboardText(), "Internet History was deleted at 2/2/2026 1:00:00 AM\r\n");
    EXPECT_TRUE(platform->messages.empty());
}

TEST_F(HistoryLogCommandsTest, CopyPutsALogOfSomeMegabytesOnTheClipboardWholeOwnedByTheWindow) {
    Form1& form = CreateForm(Cleaners{});
    std::string log;
    for (int i = 0; log.size() < 6u * 1024 * 1024; ++i)
        log += "Internet History was deleted at 1/2/2026 3:04:05 PM #" + std::to_string(i) + "\r\n";
    log += "Internet History was deleted at 12/31/2026 11:59:59 PM, the last line\r\n";
    Fixtures::WriteFile(LogPath(), log);
    SetClipboardText("before");

    Click(IdPushButton2);

    const std::string copied = ClipboardText();
    EXPECT_EQ(copied.size(), log.size());
    EXPECT_TRUE(copied == log) << "the clipboard differs from the log";
    EXPECT_EQ(::GetClipboardOwner(), form.Handle());
    EXPECT_TRUE(platform->messages.empty());
}

TEST_F(HistoryLogCommandsTest, ACopyWhileAnotherProgramHoldsTheClipboardIsReportedAtLine104) {
    CreateForm(Cleaners{});
    Fixtures::WriteFile(LogPath(), "Internet History was deleted at 1/2/2026 3:04:05 PM\r\n");
    SetClipboardText("before");

    // Another thread (as another program would) keeps the clipboard open.
    UniqueKernelHandle opened(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    UniqueKernelHandle release(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::thread holder([&] {
        const BOOL open = ::OpenClipboard(nullptr);
        ::SetEvent(opened.Get());
        ::WaitForSingleObject(release.Get(), 10000);
        if (open) ::CloseClipboard();
    });
    ::WaitForSingleObject(opened.Get(), 10000);
    Click(IdPushButton2);
    ::SetEvent(release.Get());
    holder.join();

    const auto reports = platform->Reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].text.find("in Tarvenny2021/08/31.Form1.PushButton2_Click at line 104"), std::string::npos)
        << reports[0].text;
    EXPECT_EQ(ClipboardText(), "before");
}

TEST_F(HistoryLogCommandsTest, ClearAsksAndOnlyYesRemovesTheLog) {
    CreateForm(Cleaners{});
    Fixtures::WriteFile(LogPath(), "Internet History was deleted at 1/2/2026 3:04:05 PM\r\n");

    platform->answers = {IDNO};
    Click(IdPushButton3);
    ASSERT_EQ(platform->messages.size(), 1u);
    EXPECT_EQ(platform->messages[0].text, "Are you sure you want to delete the history log and start over?");
    EXPECT_EQ(platform->messages[0].type, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(platform->messages[0].title, Main::AppTitle());
    EXPECT_EQ(Fixtures::ReadFile(LogPath()), "Internet History was deleted at 1/2/2026 3:04:05 PM\r\n");

    ::SetFileAttributesA(LogPath().c_str(), FILE_ATTRIBUTE_READONLY);
    platform->answers = {IDYES};
    Click(IdPushButton3);
    EXPECT_FALSE(Fixtures::FileExists(LogPath()));

    // Nothing left to clear is no error; the next view shows the message.
    platform->answers = {IDYES};
    Click(IdPushButton3);
    Click(IdPushButton1);
    EXPECT_TRUE(platform->Reports().empty());
    EXPECT_EQ(platform->messages.back().text,
              "There isn't a history to view because actions have not been performed yet.");
}
