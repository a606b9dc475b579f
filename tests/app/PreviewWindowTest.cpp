#include "FormFixture.h"

#include "app/PreviewDialog.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

using Rows = std::vector<std::vector<std::string>>;

// Waits on its own thread for the preview dialog, reads its rows and answers
// it with `command` (the "Delete Now" button's id, or IDCANCEL as Escape does).
class DialogAnswer {
public:
    explicit DialogAnswer(int command) : thread_([this, command] { Answer(command); }) {}
    ~DialogAnswer() { thread_.join(); }
    Rows rows;
    std::atomic<bool> seen{false};

private:
    // Waits (30 s at most) until the dialog is shown: it is found by its
    // caption as soon as it is created, before its list is filled.
    void Answer(int command) {
        HWND dialog = nullptr;
        for (int i = 0; i < 600; ++i) {
            dialog = ::FindWindowA(nullptr, PreviewTexts::Caption);
            if (dialog != nullptr && ::IsWindowVisible(dialog)) break;
            dialog = nullptr;
            ::Sleep(50);
        }
        if (dialog == nullptr) return;
        seen = true;
        HWND list = ::FindWindowExA(dialog, nullptr, WC_LISTVIEWA, nullptr);
        const int count = ListView_GetItemCount(list);
        for (int row = 0; row < count; ++row) {
            std::vector<std::string> cells;
            for (int column = 0; column < 5; ++column) {
                char text[256] = {};
                ListView_GetItemText(list, row, column, text, sizeof(text));
                cells.push_back(text);
            }
            rows.push_back(cells);
        }
        ::PostMessageA(dialog, WM_COMMAND, command, 0);
    }
    std::thread thread_;
};

}  // namespace

class PreviewWindowTest : public FormFixture {
protected:
    // A window whose Chrome history box reports two files and a folder it
    // leaves alone, and records whether each run was a preview.
    Form1& CreateReportingForm() {
        Cleaners cleaners;
        cleaners[CleaningBoxes::Index("chkCrHist")] = [this](StatusLine& status) {
            runs.push_back(status.Previewing());
            status.InBrowser("Google Chrome");
            status.Deleted(TraceKind::File, 2, 3072);
            status.Deleted(TraceKind::Row, 40);
            status.Kept("example.com");
            status.Kept("192.168.1.*");
            status.LeaveAlone("C:\\x was left alone: not a browser folder");
            status.InBrowser("Microsoft Edge");  // nothing there: no row
        };
        Form1& form = CreateForm(std::move(cleaners));
        Click(CleaningBoxes::Id("chkCrHist"));
        Click(CleaningBoxes::Id("chkIETyped"));  // ticked, finds nothing
        return form;
    }
    std::vector<bool> runs;
};

TEST_F(PreviewWindowTest, TheDialogShowsEachBoxAndBrowserThenTheTotalAndDeletesNothing) {
    Form1& form = CreateReportingForm();
    DialogAnswer answer(IDCANCEL);
    Click(IdPushButton14);
    const Rows expected = {
        {"Internet Explorer", "Clear Typed Urls In IE", "nothing to delete", "-", ""},
        {"Google Chrome", "Clear History", "2 files, 40 entries", "3.00 KB", ""},
        {"Google Chrome", "Clear History", "kept: on the keep list", "-", "example.com, 192.168.1.*"},
        {"Google Chrome (x)", "Clear History", "left alone: not a browser folder", "-", "C:\\x"},
        {"Total", "", "2 files, 40 entries", "3.00 KB", ""},
    };
    EXPECT_EQ(answer.rows, expected);
    EXPECT_EQ(runs, std::vector<bool>{true});
    EXPECT_FALSE(Fixtures::FileExists(LogPath()));
    EXPECT_EQ(form.Status(), Form1Texts::AutoDeleteOff);
    EXPECT_TRUE(platform->Reports().empty());
}
