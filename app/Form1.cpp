// The main window's behaviour: start-up and close, the event handlers, the
// deletion pass and automatic deletion. Its controls are in Form1Controls.cpp.
#include "app/Form1.h"

#include "app/Appearance.h"
#include "app/HistoryLogCommands.h"
#include "app/Location.h"
#include "app/Main.h"
#include "app/MakerInfo.h"
#include "app/PassLock.h"
#include "app/Settings.h"
#include "app/SkinEngine.h"
#include "chromium/ChromiumCleaners.h"
#include "cleaning/IEUrlCache.h"
#include "schedule/Intervals.h"
#include "system/ErrorReport.h"
#include "system/Failure.h"
#include "system/MessagePump.h"
#include "system/Path.h"
#include "system/ProgramLocation.h"
#include "system/PropertyBag.h"
#include "system/ScreenDpi.h"
#include "system/Seams.h"
#include "system/StepRunner.h"
#include "system/mStartUp.h"

#include "resources/resource.h"

#include <commctrl.h>

#include <utility>

namespace {

constexpr COLORREF White = RGB(255, 255, 255);

}  // namespace

Form1::Form1(Cleaners cleaners)
    : passSteps_(CleaningBoxes::PassSteps(cleaners)),
      backColor_(::GetSysColor(COLOR_BTNFACE)),
      status_(Form1Layout::Find(IdFrame3).caption) {
    for (const ControlLayout& layout : Form1Layout::Controls())
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
    if (hwnd_ != nullptr) {
        ::KillTimer(hwnd_, Timer1Id);
        ::KillTimer(hwnd_, CloseWatchTimerId);
    }
    // The controls' subclass procedures point at this object: destroy them first.
    DestroyOwnWindow();
}

// ---------------------------------------------------------------- creation

void Form1::Create(bool show) {
    programIcon_ = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PROGRAM));
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
    const std::string cursorPath = Path::Join(ProgramLocation::Folder(), Form1Texts::CursorFile);
    if (steps.If(104, [&] { return Path::Exists(cursorPath); })) {
        steps.Run(106, [&] {
            HCURSOR cursor = ::LoadCursorFromFileA(cursorPath.c_str());
            if (cursor == nullptr) throw Failure::FromLastError();
            mouseIcon_.Reset(cursor);
        });
    }
    steps.Run(108, [] { Main::VisitWebSiteAtRandom(); });

    FillIntervalList(steps);
    std::int16_t position = 0;
    steps.Run(154, [&] { position = Main::ToInteger16(Settings::GetSetting(Settings::OftenIndex, "2")); });
    steps.Run(156, [&] { SelectPosition(position); });

    std::string state;
    steps.Run(158, [&] { state = Settings::GetSetting(Settings::StartStopState); });
    if (steps.If(160, [&] { return state == "Off"; })) {
        steps.Run(162, [&] { autoDelete_.TurnOff(); });
        steps.Run(164, [&] { ShowAutoDeleteState(); });
    } else if (steps.If(168, [&] { return state == "On"; })) {
        steps.Run(170, [&] { autoDelete_.TurnOn(); });
        steps.Run(172, [&] { ShowAutoDeleteState(); });
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

// The list's one column and its eleven intervals.
void Form1::FillIntervalList(StepRunner& steps) {
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
    for (int i = 0; i < Intervals::Count; ++i) {
        steps.Run(132 + 2 * i, [&] {
            LVITEMA item{};
            item.mask = LVIF_TEXT;
            item.iItem = i;
            item.pszText = const_cast<char*>(Intervals::Items[i].text);
            if (::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) != i)
                throw Failure::FromLastError();
        });
    }
}

// The window creates both startup boxes unticked; show the user's saved choice
// without running their click handlers (which would write the Run key again).
void Form1::RestoreStartupBoxes() {
    const bool startup = Settings::GetSetting(Settings::WindowsStartup) == "On";
    const bool minimized = startup && Settings::GetSetting(Settings::Minimized) == "On";
    ::SendMessageA(Control(IdCheck4), BM_SETCHECK, startup ? BST_CHECKED : BST_UNCHECKED, 0);
    ::SendMessageA(Control(IdCheck8), BM_SETCHECK, minimized ? BST_CHECKED : BST_UNCHECKED, 0);
}

// The label of the "Chrome and Edge" frame, and the tool tip of the "Mozilla
// Firefox" frame, list the browsers of each family found when the window
// opened. Looking them up must never keep the window from opening.
void Form1::ShowFoundBrowsers() {
    const auto found = [](std::string (*lookUp)(), const char* nothing) {
        try {
            return lookUp();
        } catch (...) {
            return std::string(nothing);
        }
    };
    SetText(IdLabel1, found(ChromiumHistory::FoundProfiles, ChromiumHistory::NothingFound));
    const std::string firefox = found(FirefoxHistory::FoundProfiles, FirefoxHistory::NothingFound);
    firefoxTip_.SetText(firefox);
    for (std::size_t i = 0; i < CleaningBoxes::Count; ++i) {
        const CleaningBox& box = CleaningBoxes::Rows[i];
        const std::string text = BoxCleaners::Describe(*box.cleaner);
        boxTips_.Set(Control(CleaningBoxes::IdAt(i)), box.frame == IdFrame2 ? text + "\r\n\r\n" + firefox : text);
    }
}

// The cleaning boxes come back as the user left them, so that automatic
// deletion after a restart cleans what was chosen. A missing or unreadable
// value leaves its box unticked; no click handler runs.
void Form1::RestoreCleaningBoxes() {
    const std::vector<bool> ticked = CleaningBoxes::RememberedTicks();
    for (std::size_t i = 0; i < CleaningBoxes::Count; ++i)
        ::SendMessageA(Control(CleaningBoxes::IdAt(i)), BM_SETCHECK, ticked[i] ? BST_CHECKED : BST_UNCHECKED, 0);
}

// Each tick or untick of a cleaning box is saved at once, under the box's name.
void Form1::CleaningBox_Click(ControlId id) {
    Settings::SaveSetting(CleaningBoxes::Rows[CleaningBoxes::IndexOf(id)].name, IsChecked(id) ? "On" : "Off");
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

// A browser still watched is not cleaned after the program ends: the next
// pass decides again.
void Form1::Form_Unload() {
    ::KillTimer(hwnd_, Timer1Id);
    ::KillTimer(hwnd_, CloseWatchTimerId);
    ::DestroyWindow(hwnd_);
    Seams::Current().ExitProgram(0);
}

// The close box, and the end of the session (shutdown, log-off). Closed
// while a pass, a preview or a clean runs (its window messages run while it
// works), the window goes at once and the program ends when that is over: a
// store is never left half changed, and the pass's line reaches the log.
void Form1::CloseProgram() {
    if (autoDelete_.Running() != AutoDelete::Pass::None) {
        closeAfterPass_ = true;
        ::ShowWindow(hwnd_, SW_HIDE);
        tray_.SetInTray(false);
        return;
    }
    Form_QueryUnload();
    Unguarded("Form_Unload", [&] { Form_Unload(); });
}

// ---------------------------------------------------------------- list and help

// A click chooses the interval and starts the count over; a selection changed
// otherwise (the keyboard) only chooses it.
void Form1::ListView2_Click() {
    const int position = SelectedPosition();
    if (position == 0) return;  // a click beside the items selects nothing
    Settings::SaveSetting(Settings::OftenIndex, std::to_string(position));
    autoDelete_.ChooseInterval(position);
    autoDelete_.Restart();
}

void Form1::PushButton11_Click() {
    StepRunner steps(Location::PushButton11_Click);
    steps.Run(100, [] {
        Seams::Current().ShowMessage(std::string(Form1Texts::HelpPrefix) + MakerInfo::ContactPage,
                                     Main::AppTitle(), MB_OK);
    });
}

// ---------------------------------------------------------------- history log and startup boxes

void Form1::PushButton1_Click() { HistoryLogCommands::View(); }
void Form1::PushButton2_Click() { HistoryLogCommands::CopyToClipboard(hwnd_); }
void Form1::PushButton3_Click() { HistoryLogCommands::Clear(*this); }


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

void Form1::SetSkinFramework1(std::unique_ptr<SkinEngine> engine) { skinFramework1_ = std::move(engine); }

// ---------------------------------------------------------------- messages

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
        if (wParam == CloseWatchTimerId) CloseWatch_Timer();
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
    const int id = LOWORD(wParam);
    switch (id) {
    case IdPushButton13: PushButton13_Click(); break;
    case IdPushButton12: PushButton12_Click(); break;
    case IdPushButton1: PushButton1_Click(); break;
    case IdPushButton2: PushButton2_Click(); break;
    case IdPushButton11: PushButton11_Click(); break;
    case IdPushButton3: PushButton3_Click(); break;
    case IdPushButton14: PushButton14_Click(); break;
    case IdPushButton15: PushButton15_Click(); break;
    case IdCheck4: Unguarded("Check4_Click", [&] { Check4_Click(); }); break;
    case IdCheck8: Unguarded("Check8_Click", [&] { Check8_Click(); }); break;
    default:
        if (CleaningBoxes::IndexOf(id) < CleaningBoxes::Count) {
            const std::string name = std::string(CleaningBoxes::Rows[CleaningBoxes::IndexOf(id)].name) + "_Click";
            Unguarded(name.c_str(), [&] { CleaningBox_Click(static_cast<ControlId>(id)); });
        }
        break;
    }
    return 0;
}
