#include "app/Form1.h"

#include "app/Appearance.h"
#include "app/Location.h"
#include "app/Main.h"
#include "app/MakerInfo.h"
#include "app/Settings.h"
#include "app/SkinEngine.h"
#include "chromium/ChromiumHistory.h"
#include "cleaning/FileRoutines.h"
#include "cleaning/IEHistory.h"
#include "cleaning/HistoryLog.h"
#include "schedule/Scheduler.h"
#include "system/Clipboard.h"
#include "system/ErrorReport.h"
#include "system/Failure.h"
#include "system/MessagePump.h"
#include "system/ProgramLocation.h"
#include "system/Seams.h"
#include "system/StepRunner.h"
#include "system/PropertyBag.h"
#include "system/ScreenDpi.h"
#include "system/mStartUp.h"

#include "resources/resource.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace {

// The fifteen cleaning boxes, in the order of the pass's CleaningBox values.
constexpr ControlId CleaningBoxes[] = {IdChkIEHist,      IdChkIETemp,    IdChkIETyped,    IdChkIECookies,
                                       IdChkFFHist,      IdChkFFDownloads, IdChkTypedUrls, IdChkCookies,
                                       IdChkFFCache,     IdChkCrHist,    IdChkCrTyped,    IdChkCrDownloads,
                                       IdChkCrCookies,   IdChkCrCache,   IdChkCrForms};

}  // namespace

namespace {

constexpr COLORREF White = RGB(255, 255, 255);
constexpr int ProgramIconResource = IDI_PROGRAM;

HMODULE LoadRichEditLibrary() {
    static HMODULE module = ::LoadLibraryA("riched20.dll");
    return module;
}

const char* WindowClassFor(ControlKind kind) {
    switch (kind) {
    case ControlKind::Frame:
    case ControlKind::CheckBox:
    case ControlKind::PushButton:
        return "BUTTON";
    case ControlKind::ListView:
        return WC_LISTVIEWA;
    case ControlKind::ProgressBar:
        return PROGRESS_CLASSA;
    case ControlKind::RichText:
        return RICHEDIT_CLASSA;
    case ControlKind::Label:
        return "STATIC";
    }
    return "STATIC";
}

DWORD StyleFor(const ControlLayout& layout) {
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (layout.visible ? WS_VISIBLE : 0);
    switch (layout.kind) {
    case ControlKind::Frame:
        return style | BS_GROUPBOX;
    case ControlKind::CheckBox:
        return style | WS_TABSTOP | BS_AUTOCHECKBOX;
    case ControlKind::PushButton:
        return style | WS_TABSTOP | BS_PUSHBUTTON;
    case ControlKind::ListView:
        return style | WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
               LVS_NOSORTHEADER;
    case ControlKind::ProgressBar:
        return style;
    case ControlKind::RichText:
        return style | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL;
    case ControlKind::Label:
        return style | SS_LEFT | SS_NOPREFIX;
    }
    return style;
}

// Marks a pass as running for as long as the object lives.
class ScopedPass {
public:
    ScopedPass(Form1::PassKind& slot, Form1::PassKind kind) : slot_(slot) { slot_ = kind; }
    ~ScopedPass() { slot_ = Form1::PassKind::None; }
    ScopedPass(const ScopedPass&) = delete;
    ScopedPass& operator=(const ScopedPass&) = delete;

private:
    Form1::PassKind& slot_;
};

}  // namespace

Form1::Form1(Cleaners cleaners)
    : cleaners_(std::move(cleaners)), backColor_(::GetSysColor(COLOR_BTNFACE)) {
    for (const ControlLayout& layout : Form1Layout::Controls)
        if (layout.kind == ControlKind::Frame || layout.kind == ControlKind::CheckBox ||
            layout.kind == ControlKind::Label)
            controlBackColors_[layout.id] = White;
    tray_.onMouseUp = [this](std::int16_t& button, std::int32_t& id) { cSysTray1_MouseUp(button, id); };
    // The tray control as placed on the window: not yet in the tray, showing the
    // blue 'P' icon.
    PropertyBag placed;
    placed.WriteProperty("InTray", false);
    placed.WriteProperty("TrayIcon", Picture::FromIcon(static_cast<HICON>(::LoadImageA(
                                         ::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TRAY), IMAGE_ICON,
                                         16, 16, LR_SHARED))));
    tray_.ReadProperties(placed);
}

Form1::~Form1() {
    if (hwnd_ != nullptr) ::KillTimer(hwnd_, Timer1Id);
    // The controls' subclass procedures point at this object: destroy them first.
    DestroyOwnWindow();
}

// ---------------------------------------------------------------- creation

void Form1::Create(bool show) {
    programIcon_ = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(ProgramIconResource));
    RegisterClassOnce(ClassName, programIcon_);

    dpi_ = ScreenDpi();

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT frame = {0, 0, Form1Layout::TwipsToPixels(Form1Layout::ClientWidthTwips, dpi_),
                  Form1Layout::TwipsToPixels(Form1Layout::ClientHeightTwips, dpi_)};
    ::AdjustWindowRectEx(&frame, style, FALSE, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT work;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int x = work.left + ((work.right - work.left) - width) / 2;
    const int y = work.top + ((work.bottom - work.top) - height) / 2;

    if (!CreateTopLevel(ClassName, "", style, 0, x, y, width, height)) throw Failure::FromLastError();
    CreateFonts();
    CreateControls();
    RestoreCleaningBoxes();
    ShowFoundBrowsers();

    Form_Load();

    if (show && !hiddenInTray_) {
        ::ShowWindow(hwnd_, SW_SHOWNORMAL);
        ::UpdateWindow(hwnd_);
        ::SetFocus(Control(IdListView2));
    }
}

void Form1::CreateFonts() {
    LOGFONTA font{};
    font.lfHeight = -::MulDiv(Form1Layout::FontPoints, dpi_, 72);
    font.lfWeight = FW_BOLD;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynA(font.lfFaceName, Form1Layout::FontFace, LF_FACESIZE);
    boldFont_.Reset(::CreateFontIndirectA(&font));
    statusFont_ = FontMetrics();  // a new font may reuse the old one's handle

    // The system's message font is made for the screen's scale.
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(metrics);
    ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    metrics.lfMessageFont.lfHeight = ::MulDiv(metrics.lfMessageFont.lfHeight, dpi_, ScreenDpi());
    plainFont_.Reset(::CreateFontIndirectA(&metrics.lfMessageFont));
}

HFONT Form1::FontFor(const ControlLayout& layout) const {
    const bool bold = layout.kind == ControlKind::Frame || layout.kind == ControlKind::CheckBox;
    return bold ? boldFont_.Get() : plainFont_.Get();
}

void Form1::CreateControls() {
    LoadRichEditLibrary();
    // Creation in tab-index order gives the keyboard tab order.
    std::vector<const ControlLayout*> order;
    for (const ControlLayout& layout : Form1Layout::Controls) order.push_back(&layout);
    std::sort(order.begin(), order.end(),
              [](const ControlLayout* a, const ControlLayout* b) { return a->tabIndex < b->tabIndex; });

    for (const ControlLayout* layout : order) {
        const RECT r = Form1Layout::PixelRect(*layout, dpi_);
        HWND control = ::CreateWindowExA(
            layout->kind == ControlKind::ListView ? WS_EX_CLIENTEDGE : 0, WindowClassFor(layout->kind),
            layout->caption, StyleFor(*layout), r.left, r.top, r.right - r.left, r.bottom - r.top, hwnd_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout->id)), ::GetModuleHandleA(nullptr), nullptr);
        if (control == nullptr) throw Failure::FromLastError();
        controls_[layout->id] = control;

        ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(*layout)), FALSE);
        if (layout->kind == ControlKind::PushButton || layout->kind == ControlKind::ListView ||
            layout->kind == ControlKind::Frame)
            ::SetWindowSubclass(control, ChildProc, static_cast<UINT_PTR>(layout->id),
                                reinterpret_cast<DWORD_PTR>(this));
    }
    // Frames paint their whole area, so they go beneath the controls they hold.
    for (const ControlLayout& layout : Form1Layout::Controls)
        if (layout.kind == ControlKind::Frame)
            ::SetWindowPos(Control(layout.id), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    HWND list = Control(IdListView2);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    ::SendMessageA(Control(IdRichTextBox1), EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
}

// ---------------------------------------------------------------- start-up

void Form1::Form_Load() {
    StepRunner steps(Location::Form_Load);

    steps.Run(100, [&] { Appearance::ApplySkin(*this); });
    steps.Run(102, [&] {
        ::SetWindowTextA(hwnd_, Form1Texts::Caption);
        ::SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(programIcon_));
        ::SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(programIcon_));
        Main::SetAppTitle();
    });
    const std::string cursorPath = ProgramLocation::Folder() + Form1Texts::CursorFile;
    if (steps.If(104, [&] { return Main::PathExists(cursorPath); })) {
        steps.Run(106, [&] {
            HCURSOR cursor = ::LoadCursorFromFileA(cursorPath.c_str());
            if (cursor == nullptr) throw Failure::FromLastError();
            mouseIcon_.Reset(cursor);
        });
    }
    steps.Run(108, [] { Main::VisitWebSiteAtRandom(); });

    HWND list = Control(IdListView2);
    steps.Run(128, [&] {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(Form1Texts::ListHeader);
        column.cx = 100;
        if (ListView_InsertColumn(list, 0, &column) != 0) throw Failure::FromLastError();
    });
    steps.Run(130, [&] {
        ListView_SetColumnWidth(list, 0, Form1Layout::TwipsToPixels(Form1Layout::ListColumnWidthTwips, dpi_));
    });
    for (int i = 0; i < Scheduler::IntervalCount; ++i) {
        steps.Run(132 + 2 * i, [&] {
            LVITEMA item{};
            item.mask = LVIF_TEXT;
            item.iItem = i;
            item.pszText = const_cast<char*>(Scheduler::IntervalItems[i].text);
            if (::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) != i)
                throw Failure::FromLastError();
        });
    }

    steps.Run(154, [&] {
        oftenIndex_ = 0;
        oftenIndex_ = Main::ToInteger16(Settings::GetSetting(Settings::OftenIndex, "2"));
    });
    steps.Run(156, [&] { SelectPosition(oftenIndex_); });

    std::string state;
    steps.Run(158, [&] { state = Settings::GetSetting(Settings::StartStopState); });
    if (steps.If(160, [&] { return state == "Off"; })) {
        steps.Run(162, [&] { SetText(IdPushButton13, Form1Texts::TurnOn); });
        steps.Run(164, [&] { SetStatus(Form1Texts::AutoDeleteOff); });
        steps.Run(166, [&] { SetTimerInterval(0); });
    } else if (steps.If(168, [&] { return state == "On"; })) {
        steps.Run(170, [&] { SetText(IdPushButton13, Form1Texts::TurnOff); });
        steps.Run(172, [&] { SetTimerInterval(1000); });
    }

    steps.Run(174, [&] { RestoreStartupBoxes(); });
    if (steps.If(174, [&] { return IsChecked(IdCheck4); })) {
        steps.Run(176, [&] { ::ShowWindow(Control(IdCheck8), SW_SHOW); });
        if (steps.If(178, [&] { return IsChecked(IdCheck8); })) {
            steps.Run(180, [&] { ::ShowWindow(hwnd_, SW_SHOWMINNOACTIVE); });
        }
    }
    if (steps.If(182, [&] { return !IsChecked(IdCheck4); })) {
        steps.Run(182, [&] { ::ShowWindow(Control(IdCheck8), SW_HIDE); });
    }

    steps.Run(184, [&] {
        tray_.SetTrayTip(Form1Texts::TrayTip);
        ::SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(programIcon_));
    });
    steps.Run(186, [&] { tray_.SetInTray(true); });
    steps.Run(188, [] { IEHistory::LoadHistroy(); });
}

// The window creates both startup boxes unticked; show the user's saved choice
// without running their click handlers (which would write the Run key again).
void Form1::RestoreStartupBoxes() {
    const bool startup = Settings::GetSetting(Settings::WindowsStartup) == "On";
    const bool minimized = startup && Settings::GetSetting(Settings::Minimized) == "On";
    ::SendMessageA(Control(IdCheck4), BM_SETCHECK, startup ? BST_CHECKED : BST_UNCHECKED, 0);
    ::SendMessageA(Control(IdCheck8), BM_SETCHECK, minimized ? BST_CHECKED : BST_UNCHECKED, 0);
}

// The label of the "Chrome and Edge" frame lists the browsers found when the
// window opened. Looking them up must never keep the window from opening.
void Form1::ShowFoundBrowsers() {
    std::string text = ChromiumHistory::NothingFound;
    try {
        text = ChromiumHistory::FoundProfiles();
    } catch (...) {
    }
    SetText(IdLabel1, text);
}

// The cleaning boxes come back as the user left them, so that automatic
// deletion after a restart cleans what was chosen. A missing or unreadable
// value leaves its box unticked; no click handler runs.
void Form1::RestoreCleaningBoxes() {
    for (const ControlId id : CleaningBoxes) {
        bool ticked = false;
        try {
            ticked = Settings::GetSetting(Form1Layout::Find(id).name) == "On";
        } catch (const Failure&) {
        }
        ::SendMessageA(Control(id), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

// Each tick or untick of a cleaning box is saved at once, under the box's name.
void Form1::CleaningBox_Click(ControlId id) {
    Settings::SaveSetting(Form1Layout::Find(id).name, IsChecked(id) ? "On" : "Off");
}

// ---------------------------------------------------------------- window state

// A hidden window keeps its minimized state until the tray brings it back with
// SW_RESTORE: restoring it here would show it again.
void Form1::Form_Resize() {
    if (!::IsIconic(hwnd_) || hiddenInTray_) return;
    ::ShowWindow(hwnd_, SW_HIDE);
    hiddenInTray_ = true;
    tray_.ShowBalloon(Form1Texts::BalloonTip, Form1Texts::Caption, 5, true);
}

void Form1::cSysTray1_MouseUp(std::int16_t, std::int32_t) {
    ::ShowWindow(hwnd_, ::IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
    ::SetForegroundWindow(hwnd_);
    ::SetFocus(hwnd_);
    hiddenInTray_ = false;
}

void Form1::Form_QueryUnload() {
    StepRunner steps(Location::Form_QueryUnload);
    steps.Run(100, [&] { tray_.SetInTray(false); });
    steps.Run(102, [] { MessagePump::LetPendingMessagesRun(); });
}

void Form1::Form_Unload() {
    ::KillTimer(hwnd_, Timer1Id);
    ::DestroyWindow(hwnd_);
    Seams::Current().ExitProgram(0);
}

// The close box, and the end of the session (shutdown, log-off).
void Form1::CloseProgram() {
    Form_QueryUnload();
    Unguarded("Form_Unload", [&] { Form_Unload(); });
}

void Form1::Form_DpiChanged(int dpi, const RECT& suggested) {
    dpi_ = dpi;
    // The controls take the new fonts before the old ones are deleted.
    UniqueFont oldBold = std::move(boldFont_);
    UniqueFont oldPlain = std::move(plainFont_);
    CreateFonts();
    LayOutControls();
    ::SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // A skin sets its own font on the controls.
    if (skinFramework1_) skinFramework1_->ApplyWindow(hwnd_);
}

void Form1::LayOutControls() {
    for (const ControlLayout& layout : Form1Layout::Controls) {
        HWND control = Control(layout.id);
        const RECT r = Form1Layout::PixelRect(layout, dpi_);
        ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(layout)), FALSE);
        ::SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ListView_SetColumnWidth(Control(IdListView2), 0,
                            Form1Layout::TwipsToPixels(Form1Layout::ListColumnWidthTwips, dpi_));
    ::InvalidateRect(hwnd_, nullptr, TRUE);
}

// ---------------------------------------------------------------- list and help

void Form1::ListView2_Click() {
    const int position = SelectedPosition();
    if (position == 0) return;  // a click beside the items selects nothing
    Settings::SaveSetting(Settings::OftenIndex, std::to_string(position));
    autoDelete_.SetIntervalSeconds(GetIntervalSeconds());
    autoDelete_.Restart();
}

void Form1::PushButton11_Click() {
    StepRunner steps(Location::PushButton11_Click);
    steps.Run(100, [] {
        Seams::Current().ShowMessage(std::string(Form1Texts::HelpPrefix) + MakerInfo::ContactPage,
                                     Main::AppTitle(), MB_OK);
    });
}

// ---------------------------------------------------------------- deletion pass

bool Form1::IsTicked(CleaningBox box) const {
    const auto index = static_cast<std::size_t>(box);
    return index < std::size(CleaningBoxes) && IsChecked(CleaningBoxes[index]);
}

void Form1::DeleteAll() { DeletionPass::DeleteAll(*this, cleaners_); }

// One pass at a time: a click while a pass or the pause after a manual one
// runs is ignored (the pass and the pause let window messages run, so the
// click would otherwise start a second pass inside the first).
void Form1::PushButton12_Click() {
    if (pass_ != PassKind::None) return;
    {
        const ScopedPass running(pass_, PassKind::Manual);
        StepRunner steps(Location::PushButton12_Click);
        steps.Run(100, [&] { savedStatus_ = Status(); });
        steps.Run(102, [&] { SetMousePointer(PointerHourglass); });
        steps.Run(104, [&] { DeleteAll(); });
        steps.Run(106, [&] { SetMousePointer(PointerDefault); });
        steps.Run(108, [&] { ::SendMessageA(Control(IdProgressBar1), PBM_SETPOS, 0, 0); });
        steps.Run(110, [] { Main::PauseSeconds(5); });
        steps.Run(112, [&] { SetStatus(savedStatus_); });
    }
    RunDeferredTimedPass();
}

// ---------------------------------------------------------------- auto delete

void Form1::PushButton13_Click() {
    StepRunner steps(Location::PushButton13_Click);
    if (steps.If(100, [&] { return Text(IdPushButton13) == Form1Texts::TurnOn; })) {
        steps.Run(102, [&] { SetText(IdPushButton13, Form1Texts::TurnOff); });
        steps.Run(104, [&] { SetTimerInterval(1000); });
        steps.Run(106, [] { Settings::SaveSetting(Settings::StartStopState, "On"); });
    } else if (steps.If(108, [&] { return Text(IdPushButton13) == Form1Texts::TurnOff; })) {
        steps.Run(110, [&] { SetText(IdPushButton13, Form1Texts::TurnOn); });
        steps.Run(112, [&] {
            SetTimerInterval(0);
            SetStatus(Form1Texts::AutoDeleteOff);
        });
        steps.Run(114, [] { Settings::SaveSetting(Settings::StartStopState, "Off"); });
    }
}

void Form1::Timer1_Timer() {
    // The timer is stopped while its own pass runs; a tick still queued from
    // before has nothing to count and must not start a pass inside the pass.
    if (pass_ == PassKind::Timed) return;
    StepRunner steps(Location::Timer1);
    if (steps.If(100, [&] { return timerInterval_ == 0; })) {
        steps.Run(102, [&] { SetStatus(Form1Texts::AutoDeleteOff); });
        return;
    }
    steps.Run(104, [&] { autoDelete_.SetIntervalSeconds(GetIntervalSeconds()); });
    steps.Run(106, [&] { autoDelete_.Tick(); });
    steps.Run(108, [&] { SetStatus(autoDelete_.CountdownText()); });
    steps.Run(110, [] { MessagePump::LetPendingMessagesRunThrottled(); });
    steps.Run(112, [&] { ShowProgress(autoDelete_.IntervalSeconds(), autoDelete_.ElapsedSeconds()); });
    // A count that went past its interval (the selection changed without a
    // click) runs the pass too, rather than never again. A tick that comes due
    // during a manual pass leaves its pass for right after that one.
    if (steps.If(114, [&] { return autoDelete_.PassDue(); })) {
        if (pass_ == PassKind::Manual)
            timedPassDue_ = true;
        else
            RunTimedPass();
    }
}

void Form1::RunTimedPass() {
    const ScopedPass running(pass_, PassKind::Timed);
    StepRunner steps(Location::Timer1);
    steps.Run(116, [&] { SetTimerInterval(0); });
    steps.Run(118, [&] { SetTimerEnabled(false); });
    steps.Run(120, [&] { SetMousePointer(PointerHourglass); });
    steps.Run(122, [&] { SetStatus(Form1Texts::PassRunning); });
    steps.Run(124, [] { MessagePump::LetPendingMessagesRun(); });
    steps.Run(126, [&] { DeleteAll(); });
    steps.Run(128, [&] { SetStatus(Form1Texts::PassDone); });
    steps.Run(130, [] { MessagePump::LetPendingMessagesRun(); });
    // Auto delete turned off during the pass stays off: the timer is not
    // restarted behind a button that says it is off.
    if (steps.If(138, [&] { return Text(IdPushButton13) == Form1Texts::TurnOff; })) {
        steps.Run(138, [&] { SetTimerInterval(1000); });
    } else {
        steps.Run(138, [&] { SetStatus(Form1Texts::AutoDeleteOff); });
    }
    steps.Run(140, [&] { SetTimerEnabled(true); });
    steps.Run(142, [&] { SetMousePointer(PointerDefault); });
    steps.Run(144, [&] { autoDelete_.Restart(); });
}

// The timed pass that came due during a manual pass, unless auto delete was
// turned off since (the count then stays due and the first tick after turning
// it on again runs the pass).
void Form1::RunDeferredTimedPass() {
    if (!std::exchange(timedPassDue_, false) || timerInterval_ == 0) return;
    RunTimedPass();
}

std::int32_t Form1::GetIntervalSeconds() const {
    if (selectedInterval_ == 0) {
        const std::int32_t seconds = Scheduler::IntervalSecondsForText(SelectedItemText());
        // Without a selected entry the count runs against the default entry.
        selectedInterval_ = seconds != 0 ? seconds
                                         : Scheduler::IntervalItems[Scheduler::DefaultPosition - 1].seconds;
    }
    return selectedInterval_;
}

void Form1::SetTimerInterval(UINT milliseconds) {
    timerInterval_ = milliseconds;
    ApplyTimer();
}
void Form1::SetTimerEnabled(bool enabled) {
    timerEnabled_ = enabled;
    ApplyTimer();
}
void Form1::ApplyTimer() {
    if (timerEnabled_ && timerInterval_ > 0)
        ::SetTimer(hwnd_, Timer1Id, timerInterval_, nullptr);
    else
        ::KillTimer(hwnd_, Timer1Id);
}

// ---------------------------------------------------------------- history log

void Form1::PushButton1_Click() {
    StepRunner steps(Location::PushButton1_Click);
    const std::string log = HistoryLog::LogPath();
    if (steps.If(100, [&] { return Main::PathExists(log); })) {
        steps.Run(102, [&] { Seams::Current().StartProcess("notepad \"" + log + "\"", SW_SHOWNORMAL); });
    } else {
        steps.Run(104, [] { Seams::Current().ShowMessage(Form1Texts::NoHistory, Main::AppTitle(), MB_OK); });
    }
}

// The log goes on the clipboard straight from the file, as one Unicode block
// owned by this window: no text box in between, so a log of any size copies in
// about the time it takes to read.
void Form1::PushButton2_Click() {
    StepRunner steps(Location::PushButton2_Click);
    const std::string log = HistoryLog::LogPath();
    if (steps.If(100, [&] { return Main::PathExists(log); })) {
        UniqueGlobal text;
        std::optional<Clipboard> clipboard;
        steps.Run(102, [&] { text = Clipboard::ReadFileAsText(log); });
        // A log that could not be read leaves the clipboard as it was.
        steps.Run(104, [&] {
            if (text) clipboard.emplace(hwnd_);
        });
        steps.Run(106, [&] {
            if (clipboard) clipboard->Empty();
        });
        steps.Run(108, [&] {
            if (clipboard) clipboard->PutText(std::move(text));
        });
    }
}

void Form1::PushButton3_Click() {
    StepRunner steps(Location::PushButton3_Click);
    if (steps.If(100, [] {
            return Seams::Current().ShowMessage(Form1Texts::ClearQuestion, Main::AppTitle(), MB_YESNO) == IDYES;
        })) {
        steps.Run(102, [&] {
            if (HistoryLog::DeleteHistoryLog() == HistoryLog::Deleted::NotOwnFile)
                SetStatus(HistoryLog::LogPath() + HistoryLog::NotOwnFile);
        });
    }
}

// ---------------------------------------------------------------- startup boxes

void Form1::Check4_Click() {
    if (IsChecked(IdCheck4)) {
        ::ShowWindow(Control(IdCheck8), SW_SHOW);
        Settings::SaveSetting(Settings::WindowsStartup, "On");
        mStartUp::AddToStartup();
    } else {
        SetChecked(IdCheck8, false);
        ::ShowWindow(Control(IdCheck8), SW_HIDE);
        Settings::SaveSetting(Settings::WindowsStartup, "Off");
        mStartUp::RemoveFromStartup();
    }
}

void Form1::Check8_Click() { Settings::SaveSetting(Settings::Minimized, IsChecked(IdCheck8) ? "On" : "Off"); }

// ---------------------------------------------------------------- pointer

void Form1::Form_MouseMove() {
    if (mousePointer_ == PointerHourglass) return;
    SetMousePointer(PointerDefault);
}

void Form1::PushButton_MouseMove() {
    if (mousePointer_ == PointerHourglass) return;
    SetMousePointer(PointerCustom);
}

void Form1::SetSkinFramework1(std::unique_ptr<SkinEngine> engine) { skinFramework1_ = std::move(engine); }

// ---------------------------------------------------------------- messages

template <class Handler>
void Form1::Unguarded(const char* name, Handler&& handler) {
    handlerName_ = name;
    handler();
    handlerName_ = "WindowProc";
}

void Form1::OnUnhandledFailure() {
    const Failure failure = CurrentFailure();
    const std::string name = handlerName_;
    handlerName_ = "WindowProc";
    ErrorReport::ReportError(failure.Description(), Location::ForUnhandled(name), 0);
}

LRESULT Form1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        return OnCommand(wParam, lParam);
    case WM_NOTIFY:
        return OnNotify(lParam);
    case WM_TIMER:
        if (wParam == Timer1Id) Timer1_Timer();
        return 0;
    case WM_DPICHANGED:
        Form_DpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;  // Windows may still cancel: nothing closes here
    case WM_ENDSESSION:
        if (wParam != FALSE) CloseProgram();
        return 0;
    case WM_SIZE:
        Unguarded("Form_Resize", [&] { Form_Resize(); });
        return 0;
    case WM_CLOSE:
        CloseProgram();
        return 0;
    case WM_ERASEBKGND:
        PaintBackground(reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SETCURSOR:
        UpdateCursor();
        return TRUE;
    case WM_MOUSEMOVE:
        Form_MouseMove();
        return 0;
    default:
        return Default(message, wParam, lParam);
    }
}

LRESULT Form1::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) != BN_CLICKED) return Default(WM_COMMAND, wParam, lParam);
    switch (LOWORD(wParam)) {
    case IdPushButton13: PushButton13_Click(); break;
    case IdPushButton12: PushButton12_Click(); break;
    case IdPushButton1: PushButton1_Click(); break;
    case IdPushButton2: PushButton2_Click(); break;
    case IdPushButton11: PushButton11_Click(); break;
    case IdPushButton3: PushButton3_Click(); break;
    case IdCheck4: Unguarded("Check4_Click", [&] { Check4_Click(); }); break;
    case IdCheck8: Unguarded("Check8_Click", [&] { Check8_Click(); }); break;
    default: {
        const ControlId id = static_cast<ControlId>(LOWORD(wParam));
        if (std::find(std::begin(CleaningBoxes), std::end(CleaningBoxes), id) != std::end(CleaningBoxes))
            Unguarded((std::string(Form1Layout::Find(id).name) + "_Click").c_str(), [&] { CleaningBox_Click(id); });
        break;
    }
    }
    return 0;
}

LRESULT Form1::OnNotify(LPARAM lParam) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom == IdListView2 && header->code == NM_CLICK)
        Unguarded("ListView2_Click", [&] { ListView2_Click(); });
    // The selection (however it changed) decides the interval: read it again.
    if (header->idFrom == IdListView2 &&
        (header->code == LVN_ITEMCHANGED || header->code == LVN_INSERTITEM ||
         header->code == LVN_DELETEITEM || header->code == LVN_DELETEALLITEMS))
        selectedInterval_ = 0;
    return 0;
}

LRESULT Form1::OnControlColor(HDC dc, HWND control) {
    const COLORREF color = ControlBackColor(static_cast<ControlId>(::GetDlgCtrlID(control)));
    ::SetBkColor(dc, color);
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    return reinterpret_cast<LRESULT>(brushes_.Brush(color));
}

void Form1::PaintBackground(HDC dc) {
    RECT client;
    ::GetClientRect(hwnd_, &client);
    ::FillRect(dc, &client, brushes_.Brush(backColor_));
    for (const ControlLayout& layout : Form1Layout::Controls) {
        if (layout.kind != ControlKind::Frame) continue;
        RECT r = Form1Layout::PixelRect(layout, dpi_);
        ::FillRect(dc, &r, brushes_.Brush(ControlBackColor(layout.id)));
    }
}

// Frames fill their whole area with their own colour (a plain group box leaves
// its inside unpainted); push buttons and the list report mouse moves.
LRESULT CALLBACK Form1::ChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                  UINT_PTR subclassId, DWORD_PTR refData) {
    auto* form = reinterpret_cast<Form1*>(refData);
    const ControlKind kind = Form1Layout::Find(static_cast<ControlId>(subclassId)).kind;
    if (message == WM_ERASEBKGND && kind == ControlKind::Frame) {
        RECT r;
        ::GetClientRect(hwnd, &r);
        ::FillRect(reinterpret_cast<HDC>(wParam), &r,
                   form->brushes_.Brush(form->ControlBackColor(static_cast<ControlId>(subclassId))));
        return 1;
    }
    if (message == WM_MOUSEMOVE && kind != ControlKind::Frame) {
        if (subclassId == IdListView2)
            form->Form_MouseMove();
        else
            form->PushButton_MouseMove();
    } else if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, ChildProc, subclassId);
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}
