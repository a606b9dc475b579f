#include "FormFixture.h"
#include "support/TrayRecorder.h"

#include "schedule/Intervals.h"
#include "system/Failure.h"
#include "system/Path.h"
#include "system/ScreenDpi.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

struct CleanerCall {
    std::string box;
    std::string statusAtCall;
};

// Cleaners that record their order and what the status line showed when each
// ran; the box named `failing` raises.
Cleaners RecordingCleaners(std::vector<CleanerCall>& calls, const std::string& failing = "") {
    Cleaners cleaners;
    for (std::size_t i = 0; i < CleaningBoxes::Count; ++i) {
        const std::string name = CleaningBoxes::Rows[i].name;
        cleaners[i] = [&calls, failing, name](StatusLine& status) {
            calls.push_back({name, status.Status()});
            if (name == failing) throw Failure(57, "Device I/O error");
        };
    }
    return cleaners;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

}  // namespace

class Form1Test : public FormFixture {};

TEST_F(Form1Test, FirstStartShowsEveryControlWithItsCaptionAndTheOffState) {
    Form1& form = CreateForm();
    EXPECT_TRUE(platform->Reports().empty());

    char caption[64] = {};
    ::GetWindowTextA(form.Handle(), caption, sizeof(caption));
    EXPECT_STREQ(caption, "Vorlane");
    EXPECT_TRUE(::IsWindowVisible(form.Handle()));

    for (const ControlLayout& layout : Form1Layout::Controls()) {
        HWND control = Control(form, layout.id);
        ASSERT_NE(control, nullptr) << layout.name;
        if (layout.kind != ControlKind::ListView && layout.kind != ControlKind::RichText &&
            layout.kind != ControlKind::ProgressBar && layout.kind != ControlKind::Label) {
            EXPECT_EQ(Text(form, layout.id), layout.caption) << layout.name;
        }
        EXPECT_EQ(::IsWindowVisible(control) != FALSE, layout.visible) << layout.name;
        if (layout.kind == ControlKind::CheckBox) {
            EXPECT_FALSE(IsChecked(form, layout.id)) << layout.name;
        }

        // Position: twips at 15 per pixel scaled for the display's DPI, frames offsetting their boxes.
        RECT actual;
        ::GetWindowRect(control, &actual);
        ::MapWindowPoints(HWND_DESKTOP, form.Handle(), reinterpret_cast<POINT*>(&actual), 2);
        const RECT expected = Form1Layout::PixelRect(layout, ScreenDpi());
        EXPECT_EQ(actual.left, expected.left) << layout.name;
        EXPECT_EQ(actual.top, expected.top) << layout.name;
        EXPECT_EQ(actual.right - actual.left, expected.right - expected.left) << layout.name;
    }

    RECT client;
    ::GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, ::MulDiv(12060, ScreenDpi(), 1440));
    EXPECT_EQ(client.bottom, ::MulDiv(7710, ScreenDpi(), 1440));
    const LONG style = ::GetWindowLongA(form.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);

    // The test prefix has no Chromium browser and no Firefox: the Chrome
    // frame's label and the tool tip over the Firefox frame say so, and so
    // do the Firefox boxes' tips, under what each box deletes and keeps.
    EXPECT_EQ(Text(form, IdLabel1), "No Chrome or Edge profile found.");
    const RECT frame = Form1Layout::PixelRect(Form1Layout::Find(IdFrame2), ScreenDpi());
    const auto described = [](ControlId box) {
        return BoxCleaners::Describe(*CleaningBoxes::Rows[CleaningBoxes::IndexOf(box)].cleaner);
    };
    const struct {
        HWND window;
        POINT point;
        std::string text;
    } spots[] = {
        {form.Handle(), {frame.right - 4, (frame.top + frame.bottom) / 2}, "No Firefox profile found."},
        {Control(form, CleaningBoxes::Id("chkFFHist")), {4, 4}, described(CleaningBoxes::Id("chkFFHist")) + "\r\n\r\nNo Firefox profile found."},
        {Control(form, CleaningBoxes::Id("chkFFCache")), {4, 4}, described(CleaningBoxes::Id("chkFFCache")) + "\r\n\r\nNo Firefox profile found."},
        {Control(form, CleaningBoxes::Id("chkCrCookies")), {4, 4}, described(CleaningBoxes::Id("chkCrCookies"))},
    };
    for (const auto& spot : spots) {
        std::string shown;
        for (HWND tip = ::FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr); tip != nullptr && shown.empty();
             tip = ::FindWindowExA(nullptr, tip, TOOLTIPS_CLASSA, nullptr)) {
            if (::GetWindow(tip, GW_OWNER) != form.Handle()) continue;
            // The wide messages: the ANSI ones give 80 characters at most.
            TTHITTESTINFOW hit{};
            hit.hwnd = spot.window;
            hit.pt = spot.point;
            hit.ti.cbSize = sizeof(hit.ti);
            if (!::SendMessageW(tip, TTM_HITTESTW, 0, reinterpret_cast<LPARAM>(&hit))) continue;
            wchar_t text[1024] = {};
            hit.ti.lpszText = text;
            ::SendMessageW(tip, TTM_GETTEXTW, std::size(text), reinterpret_cast<LPARAM>(&hit.ti));
            shown = Path::FromSystem(text);
        }
        EXPECT_EQ(shown, spot.text);
    }
    EXPECT_EQ(described(CleaningBoxes::Id("chkCrCookies")).rfind("Deletes cookies; what web sites stored", 0), 0u) << described(CleaningBoxes::Id("chkCrCookies"));
    // The rich-text box sits right of the visible client area.
    RECT rich;
    ::GetWindowRect(Control(form, IdRichTextBox1), &rich);
    ::MapWindowPoints(HWND_DESKTOP, form.Handle(), reinterpret_cast<POINT*>(&rich), 2);
    EXPECT_GE(rich.left, client.right);

    HWND list = Control(form, IdListView2);
    ASSERT_EQ(ListView_GetItemCount(list), 11);
    for (int i = 0; i < 11; ++i) {
        char text[64] = {};
        ListView_GetItemText(list, i, 0, text, sizeof(text));
        EXPECT_STREQ(text, Intervals::Items[i].text);
    }
    char header[64] = {};
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = header;
    column.cchTextMax = sizeof(header);
    ::SendMessageA(list, LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    EXPECT_STREQ(header, "How often would you like to delete history?");
    EXPECT_EQ(column.cx, ::MulDiv(6400, ScreenDpi(), 1440));

    ASSERT_EQ(SelectedRow(), 1);
    char selected[64] = {};
    ListView_GetItemText(list, 1, 0, selected, sizeof(selected));
    EXPECT_STREQ(selected, "Delete every 10 minutes");
    EXPECT_EQ(Text(form, IdPushButton13), "Turn On Auto Delete");
    EXPECT_EQ(form.Status(), "Auto Delete is Turned Off.");
    EXPECT_FALSE(TimerRuns());
    // Selecting at start-up is not a click: nothing is saved.
    EXPECT_FALSE(Fixtures::ValueExists(HKEY_CURRENT_USER, Settings::KeyPath, Settings::OftenIndex));
}

// The control table itself: every control lies inside its frame (a sixth
// Firefox box would overflow it) and inside the client area, and no two
// controls of one container overlap.
TEST(Form1LayoutTest, EveryControlFitsItsFrameAndNoneOverlapsAnother) {
    const auto& controls = Form1Layout::Controls();
    for (const ControlLayout& c : controls) {
        if (c.id == IdRichTextBox1) continue;  // right of the client area on purpose, never seen
        const int width = c.container == Form1Layout::NoContainer ? Form1Layout::ClientWidthTwips
                                                                  : Form1Layout::Find(c.container).width;
        const int height = c.container == Form1Layout::NoContainer ? Form1Layout::ClientHeightTwips
                                                                   : Form1Layout::Find(c.container).height;
        EXPECT_TRUE(c.left >= 0 && c.top >= 0 && c.left + c.width <= width && c.top + c.height <= height) << c.name;
        for (const ControlLayout& other : controls) {
            if (&other >= &c || other.container != c.container || other.id == IdRichTextBox1) continue;
            const bool apart = c.left + c.width <= other.left || other.left + other.width <= c.left ||
                               c.top + c.height <= other.top || other.top + other.height <= c.top;
            EXPECT_TRUE(apart) << c.name << " overlaps " << other.name;
        }
    }
}

TEST_F(Form1Test, TabGoesThroughTheControlsInTabIndexOrderFromTheList) {
    Form1& form = CreateForm();
    EXPECT_EQ(::GetFocus(), Control(form, IdListView2));
    std::vector<int> tabIndexes;
    HWND at = Control(form, IdListView2);
    for (int i = 0; i < 40; ++i) {
        tabIndexes.push_back(Form1Layout::Find(static_cast<ControlId>(::GetDlgCtrlID(at))).tabIndex);
        at = ::GetNextDlgTabItem(form.Handle(), at, FALSE);
        if (at == Control(form, IdListView2)) break;
    }
    // The list and the eight buttons ("Sites to Keep..." right before
    // "Preview"), the cleaning boxes, then the rich-text box and Check4:
    // frames and the progress bar take no focus, Check8 is hidden at first
    // start.
    std::vector<int> expected;
    for (int i = 0; i < 9 + static_cast<int>(CleaningBoxes::Count); ++i) expected.push_back(i);
    EXPECT_EQ(Form1Layout::Find(IdPushButton15).tabIndex + 1, Form1Layout::Find(IdPushButton14).tabIndex);
    expected.push_back(Form1Layout::Find(IdRichTextBox1).tabIndex);
    expected.push_back(Form1Layout::Find(IdCheck4).tabIndex);
    EXPECT_EQ(tabIndexes, expected);
}

TEST_F(Form1Test, DeleteNowRunsTickedCleanersInOrderThenLogsAndRestoresTheStatus) {
    std::vector<CleanerCall> calls;
    Form1& form = CreateForm(RecordingCleaners(calls));
    // Ticked in an order different from the pass order.
    Click(CleaningBoxes::Id("chkFFCache"));
    Click(CleaningBoxes::Id("chkTypedUrls"));
    Click(CleaningBoxes::Id("chkIEHist"));
    Click(CleaningBoxes::Id("chkIECookies"));

    const double start = ::GetTickCount64() / 1000.0;
    Click(IdPushButton12);
    const double elapsed = ::GetTickCount64() / 1000.0 - start;

    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].box, "chkIEHist");
    EXPECT_EQ(calls[0].statusAtCall, "Deleting IE History...");
    EXPECT_EQ(calls[1].box, "chkIECookies");
    EXPECT_EQ(calls[1].statusAtCall, "Deleting IE Cookies...");
    EXPECT_EQ(calls[2].box, "chkTypedUrls");
    EXPECT_EQ(calls[2].statusAtCall, "Deleting Firefox Typed URLs...");
    EXPECT_EQ(calls[3].box, "chkFFCache");
    EXPECT_EQ(calls[3].statusAtCall, "Deleting Firefox Cache...");

    const auto lines = Lines(Fixtures::ReadFile(LogPath()));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("Internet History was deleted at ", 0), 0u);
    EXPECT_GT(lines[0].size(), std::string("Internet History was deleted at ").size() + 6);
    EXPECT_EQ(lines[1], "0 file(s), 0 bytes and 0 entries deleted");

    EXPECT_GE(elapsed, 4.9);
    EXPECT_EQ(form.Status(), "Auto Delete is Turned Off.");
    EXPECT_TRUE(platform->Reports().empty());
}

TEST_F(Form1Test, AFailingCleanerIsReportedOnceAndThePassGoesOn) {
    std::vector<CleanerCall> calls;
    Form1& form = CreateForm(RecordingCleaners(calls, "chkIETemp"));
    Click(CleaningBoxes::Id("chkIETemp"));
    Click(CleaningBoxes::Id("chkFFHist"));

    form.DeleteAll();

    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].box, "chkFFHist");
    const auto reports = platform->Reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].text,
              "Device I/O error\r\nin Tarvenny2021/08/31.Form1.DeleteAll at line 110\r\r"
              "Please email screenshot of this message to support@pendrake.example");
    EXPECT_EQ(Lines(Fixtures::ReadFile(LogPath())).size(), 2u);
    EXPECT_EQ(form.Status(), "");
}

TEST_F(Form1Test, APassWithNoBoxTickedStillLogsAndClearsTheStatus) {
    std::vector<CleanerCall> calls;
    Form1& form = CreateForm(RecordingCleaners(calls));
    form.DeleteAll();
    form.DeleteAll();
    EXPECT_TRUE(calls.empty());
    const auto lines = Lines(Fixtures::ReadFile(LogPath()));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2].rfind("Internet History was deleted at ", 0), 0u);
    EXPECT_EQ(form.Status(), "");
}

TEST_F(Form1Test, AFailingLogAppendIsReportedAtLine154AndTheStatusStillClears) {
    Form1& form = CreateForm(Cleaners{});
    ::SetEnvironmentVariableA("TEMP", "C:\\no such folder\\at all");
    form.SetStatus("before");
    form.DeleteAll();
    const auto reports = platform->Reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].text.find("Form1.DeleteAll at line 154"), std::string::npos);
    EXPECT_EQ(form.Status(), "");
}

TEST_F(Form1Test, HelpShowsTheContactPageUnderTheApplicationTitle) {
    CreateForm();
    Click(IdPushButton11);
    ASSERT_EQ(platform->messages.size(), 1u);
    EXPECT_EQ(platform->messages[0].text,
              "Questions? Please contact Team Pendrake at https://www.pendrake.example/contact");
    EXPECT_EQ(platform->messages[0].title, "Vorlane");
    EXPECT_EQ(platform->messages[0].type, static_cast<UINT>(MB_OK));
}

TEST_F(Form1Test, ClosingEndsTheProgramWithoutAsking) {
    Form1& form = CreateForm();
    HWND window = form.Handle();
    ::SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(platform->exitCodes, std::vector<int>{0});
    EXPECT_TRUE(platform->messages.empty());
}

TEST_F(Form1Test, TheEndOfTheSessionClosesAsTheCloseBoxDoesAndTheQuestionBeforeClosesNothing) {
    TrayRecorder recorder;
    for (LPARAM how : {static_cast<LPARAM>(0), static_cast<LPARAM>(ENDSESSION_LOGOFF)}) {
        SCOPED_TRACE(how == 0 ? "shutdown" : "log-off");
        platform->exitCodes.clear();
        recorder.Calls().clear();
        Form1& form = CreateForm();
        HWND window = form.Handle();
        // Windows may still cancel after asking.
        EXPECT_EQ(::SendMessageA(window, WM_QUERYENDSESSION, 0, how), TRUE);
        ::SendMessageA(window, WM_ENDSESSION, FALSE, how);
        EXPECT_TRUE(::IsWindow(window));
        EXPECT_TRUE(recorder.Find(NIM_DELETE).empty());
        EXPECT_TRUE(platform->exitCodes.empty());

        ::SendMessageA(window, WM_ENDSESSION, TRUE, how);
        EXPECT_FALSE(::IsWindow(window));
        EXPECT_EQ(recorder.Find(NIM_DELETE).size(), 1u);
        EXPECT_EQ(platform->exitCodes, std::vector<int>{0});
        EXPECT_TRUE(platform->messages.empty());
    }
}

TEST_F(Form1Test, AMoveToAScreenOfAnotherScaleLaysTheWindowOutAtThatScale) {
    Form1& form = CreateForm();
    const int dpi = ScreenDpi() * 3 / 2;
    // The rectangle Windows suggests: the same client area at the new scale.
    RECT suggested = {0, 0, ::MulDiv(Form1Layout::ClientWidthTwips, dpi, 1440), ::MulDiv(7710, dpi, 1440)};
    ::AdjustWindowRectEx(&suggested, static_cast<DWORD>(::GetWindowLongA(form.Handle(), GWL_STYLE)), FALSE, 0);
    ::OffsetRect(&suggested, 40 - suggested.left, 30 - suggested.top);
    ::SendMessageA(form.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));

    RECT window;
    ::GetWindowRect(form.Handle(), &window);
    EXPECT_TRUE(::EqualRect(&window, &suggested));
    for (const ControlLayout& layout : Form1Layout::Controls()) {
        RECT actual;
        ::GetWindowRect(Control(form, layout.id), &actual);
        ::MapWindowPoints(HWND_DESKTOP, form.Handle(), reinterpret_cast<POINT*>(&actual), 2);
        const RECT expected = Form1Layout::PixelRect(layout, dpi);
        EXPECT_TRUE(::EqualRect(&actual, &expected)) << layout.name;
    }
    EXPECT_EQ(ListView_GetColumnWidth(Control(form, IdListView2), 0), ::MulDiv(6400, dpi, 1440));
    LOGFONTA font{};
    ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(Control(form, CleaningBoxes::Id("chkIEHist")), WM_GETFONT, 0, 0)),
                 sizeof(font), &font);
    EXPECT_EQ(font.lfHeight, -::MulDiv(9, dpi, 72));
    EXPECT_TRUE(platform->Reports().empty());
}
