// A real main window on the test display, with a clean settings key, the history
// log in a fresh TEMP folder and the recording platform installed.
#pragma once

#include "app/Form1.h"
#include "app/Main.h"
#include "app/Settings.h"
#include "support/FakePlatform.h"
#include "support/Fixtures.h"
#include "system/Window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>

// What a user sees of the window, read through its controls as the
// end-to-end probe reads them.
inline HWND Control(const Form1& form, ControlId id) { return FindControl(form.Handle(), id); }
inline std::string Text(const Form1& form, ControlId id) {
    HWND control = Control(form, id);
    std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
    return text;
}
inline bool IsChecked(const Form1& form, ControlId id) {
    return ::SendMessageA(Control(form, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
inline int ProgressValue(const Form1& form) {
    return static_cast<int>(::SendMessageA(Control(form, IdProgressBar1), PBM_GETPOS, 0, 0));
}
inline int ProgressMaximum(const Form1& form) {
    return static_cast<int>(::SendMessageA(Control(form, IdProgressBar1), PBM_GETRANGE, FALSE, 0));
}

class FormFixture : public ::testing::Test {
protected:
    FormFixture()
        : settings_(HKEY_CURRENT_USER, Settings::KeyPath),
          runMachine_(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"),
          runUser_(HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"),
          temp_("temp") {
        Fixtures::DeleteKeyTree(HKEY_CURRENT_USER, Settings::KeyPath);
        char previous[MAX_PATH] = {};
        ::GetEnvironmentVariableA("TEMP", previous, MAX_PATH);
        previousTemp_ = previous;
        ::SetEnvironmentVariableA("TEMP", temp_.Path().c_str());
    }

    ~FormFixture() override {
        form_.reset();
        ::SetEnvironmentVariableA("TEMP", previousTemp_.c_str());
    }

    // Creates (or re-creates, as a restart would) the main window.
    Form1& CreateForm(Cleaners cleaners = RealCleaners(), bool show = true) {
        form_.reset();
        form_ = std::make_unique<Form1>(std::move(cleaners));
        form_->Create(show);
        return *form_;
    }

    Form1& Form() { return *form_; }
    std::string LogPath() const { return temp_ / "history.txt"; }

    void Click(ControlId id) { ::SendMessageA(Control(*form_, id), BM_CLICK, 0, 0); }

    // The pointer Windows shows over a control once the pointer rests on it.
    HCURSOR CursorOver(ControlId id) {
        RECT r;
        ::GetWindowRect(Control(*form_, id), &r);
        ::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        ::SendMessageA(Control(*form_, id), WM_SETCURSOR, reinterpret_cast<WPARAM>(Control(*form_, id)),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return ::GetCursor();
    }
    // One tick of the window's one-second timer.
    void Tick() { ::SendMessageA(form_->Handle(), WM_TIMER, Form1::Timer1Id, 0); }

    // A click on the interval list at this position (1 is the first row, 0
    // beside the rows), as the list control reports it.
    void ClickListAt(int position) {
        SelectWithoutClick(position);
        NMITEMACTIVATE click{};
        click.hdr.hwndFrom = Control(*form_, IdListView2);
        click.hdr.idFrom = IdListView2;
        click.hdr.code = NM_CLICK;
        click.iItem = position - 1;
        ::SendMessageA(form_->Handle(), WM_NOTIFY, IdListView2, reinterpret_cast<LPARAM>(&click));
    }
    // A selection as the keyboard makes it; 0 selects nothing.
    void SelectWithoutClick(int position) {
        HWND list = Control(*form_, IdListView2);
        ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
        if (position > 0) ListView_SetItemState(list, position - 1, LVIS_SELECTED, LVIS_SELECTED);
    }

    // The row selected in the interval list, -1 for none.
    int SelectedRow() { return ListView_GetNextItem(Control(*form_, IdListView2), -1, LVNI_SELECTED); }
    static HCURSOR Hourglass() { return ::LoadCursor(nullptr, IDC_WAIT); }

    // Whether the window's one-second timer runs. A running one is set to a
    // period no test reaches, so that only the test's own ticks count.
    bool TimerRuns() {
        if (!::KillTimer(form_->Handle(), Form1::Timer1Id)) return false;
        ::SetTimer(form_->Handle(), Form1::Timer1Id, USER_TIMER_MAXIMUM, nullptr);
        return true;
    }

    ScopedFakePlatform platform;

private:
    Fixtures::RegistryKeySnapshot settings_;
    Fixtures::RegistryKeySnapshot runMachine_;
    Fixtures::RegistryKeySnapshot runUser_;
    Fixtures::TempFolder temp_;
    std::string previousTemp_;
    std::unique_ptr<Form1> form_;
};
