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
    void Answer(int command) {
        HWND dialog = nullptr;
        for (int i = 0; i < 600 && dialog == nullptr; ++i) {
            dialog = ::FindWindowA(nullptr, PreviewTexts::Caption);
            if (dialog == nullptr) ::Sleep(50);
        }
        if (dialog == nullptr) return;
        seen = true;
        HWND list = ::FindWindowExA(dialog, nullptr, WC_LISTVIEWA, nullptr);
        const int count = ListView_GetItemCount(list);
        for (int row = 0; row < count; ++row) {
            std::vector<std::string> cells;
            for (int column = 0; column < 4; ++column) {
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

class PreviewWindowTest : public FormFixture {};

TEST_F(PreviewWindowTest, WithNoBoxTickedTheDialogSaysSoInOneRow) {
    CreateForm();
    {
        DialogAnswer answer(IDCANCEL);
        Click(IdPushButton14);
        EXPECT_TRUE(answer.seen);
    }
}
