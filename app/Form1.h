// The main window: every control, the start-up sequence and the event handlers.
#pragma once

#include "app/Form1Layout.h"
#include "app/CleaningBoxes.h"
#include "app/BoxTips.h"
#include "app/FrameTip.h"
#include "cleaning/CloseWatch.h"
#include "cleaning/DeletionPass.h"
#include "schedule/AutoDelete.h"
#include "system/BrushCache.h"
#include "system/FontMetrics.h"
#include "system/UniqueHandle.h"
#include "system/Window.h"
#include "system/cSysTray.h"

#include <cstdint>
#include <map>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Form1Texts {
inline constexpr char Caption[] = "Vorlane";
inline constexpr char ListHeader[] = "How often would you like to delete history?";
inline constexpr char TurnOn[] = "Turn On Auto Delete";
inline constexpr char TurnOff[] = "Turn Off Auto Delete";
inline constexpr char AutoDeleteOff[] = "Auto Delete is Turned Off.";
inline constexpr char PassRunning[] = "Deleting history is running...";
inline constexpr char PassDone[] = "Deleting history is running...Done.";
inline constexpr char HelpPrefix[] = "Questions? Please contact Team Pendrake at ";
inline constexpr char BalloonTip[] =
    "has been minimized to the system tray.\r\n"
    "Click on the blue 'P' icon (P for Pendrake) to bring the software back.";
inline constexpr char TrayTip[] = "Vorlane";
// Beside the program.
inline constexpr char SkinFile[] = "x\\o.cjs";
inline constexpr char CursorFile[] = "HAND-M.CUR";
}  // namespace Form1Texts

// Mouse pointer codes of the main window.
enum MousePointerCode : int {
    PointerDefault = 0,
    PointerHourglass = 11,
    PointerCustom = 99
};

class SkinEngine;

class Form1 final : public Window, public PassWindow {
public:
    static constexpr char ClassName[] = "VorlaneForm1";
    static constexpr UINT_PTR Timer1Id = 1;
    // Looks every two seconds whether a browser a pass left running has closed.
    static constexpr UINT_PTR CloseWatchTimerId = 2;
    static constexpr UINT CloseWatchMilliseconds = 2000;

    explicit Form1(Cleaners cleaners = RealCleaners());
    ~Form1() override;

    // Creates the window and its controls, runs Form_Load, then shows the window
    // unless start-up hid it in the notification area.
    void Create(bool show = true);

    // The deletion pass over the ticked boxes.
    void DeleteAll();

    // --- what the pass and the skin read and write ---
    std::string Status() const override;
    void SetStatus(const std::string& text) override;
    bool IsTicked(std::size_t box) const override;

    // Colours: the window's background and each control's own.
    void SetBackColor(COLORREF color);
    COLORREF ControlBackColor(ControlId id) const;
    void SetControlBackColor(ControlId id, COLORREF color);

    // The skin engine drawing the window (none without a skin file).
    SkinEngine* SkinFramework1() const { return skinFramework1_.get(); }
    void SetSkinFramework1(std::unique_ptr<SkinEngine> engine);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnUnhandledFailure() override;

private:
    HWND Control(ControlId id) const;
    std::string Text(ControlId id) const;
    bool IsChecked(ControlId id) const;

    // --- event handlers ---
    void Form_Load();
    void Form_Resize();
    void Form_QueryUnload();
    void Form_Unload();
    // The window moved to a screen of another scale: fonts and controls at `dpi`,
    // the window on the rectangle Windows suggests.
    void Form_DpiChanged(int dpi, const RECT& suggested);
    void ListView2_Click();
    void PushButton11_Click();
    void PushButton12_Click();
    void PushButton13_Click();
    void PushButton14_Click();
    void PushButton15_Click();
    void Timer1_Timer();
    void CloseWatch_Timer();
    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton3_Click();
    void Check4_Click();
    void Check8_Click();
    void CleaningBox_Click(ControlId id);
    void cSysTray1_MouseUp(std::int16_t button, std::int32_t id);
    void Form_MouseMove();
    void PushButton_MouseMove();

    // --- start-up and close ---
    void CreateControls();
    void CreateFonts();
    HFONT FontFor(const ControlLayout& layout) const;
    void LayOutControls();
    void FillIntervalList(class StepRunner& steps);
    void RestoreStartupBoxes();
    void RestoreCleaningBoxes();
    void ShowFoundBrowsers();
    void CloseProgram();

    // --- controls ---
    void SetText(ControlId id, const std::string& text);
    void SetChecked(ControlId id, bool checked);  // runs the box's click handler on a change
    // 1-based position of the selected interval, 0 when none is selected.
    int SelectedPosition() const;
    void SelectPosition(int position);  // raises when out of range; no click event
    void ShowProgress(std::int32_t maximum, std::int32_t value);
    void SetMousePointer(int code);
    void UpdateCursor();

    // --- auto delete ---
    void ShowAutoDeleteState();
    void ApplyTimer();
    void RunTimedPass();
    // What becomes of a timed pass that came due while a pass ran.
    enum class KeptPass {
        RunsAfter,
        WaitsForCaller
    };
    bool RunExclusive(AutoDelete::Pass kind, KeptPass kept, const std::function<void()>& work);
    void DropInputOfThePass();

    // --- cleaning a browser after it closes ---
    void WatchRunningBrowsers(const PassTally& tally);
    void ApplyCloseWatchTimer();

    // Runs a handler that has no reporting handler of its own.
    template <class Handler>
    void Unguarded(const char* name, Handler&& handler) {
        handlerName_ = name;
        handler();
        handlerName_ = "WindowProc";
    }
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnNotify(LPARAM lParam);
    LRESULT OnControlColor(HDC dc, HWND control);
    void PaintBackground(HDC dc);
    static LRESULT CALLBACK ChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR subclassId, DWORD_PTR refData);

    std::vector<DeletionPass::Step> passSteps_;
    AutoDelete autoDelete_;
    CloseWatch closeWatch_;
    std::map<int, HWND> controls_;
    FrameTip firefoxTip_;  // the Firefox family found, over the "Mozilla Firefox" frame
    BoxTips boxTips_;      // what each box deletes and keeps
    std::map<int, COLORREF> controlBackColors_;
    COLORREF backColor_;
    std::string status_;  // whole, where the frame may show a long path shortened
    BrushCache brushes_;
    FontMetrics statusFont_;  // the status frame's font, for the countdown's repaint strip
    UniqueFont boldFont_;
    UniqueFont plainFont_;
    HICON programIcon_ = nullptr;
    UniqueCursor mouseIcon_;
    int dpi_ = 96;
    int mousePointer_ = PointerDefault;
    std::string savedStatus_;
    // The window was closed while a pass ran: the program ends once it is over.
    bool closeAfterPass_ = false;
    bool hiddenInTray_ = false;
    cSysTray tray_;
    std::unique_ptr<SkinEngine> skinFramework1_;
    std::string handlerName_ = "WindowProc";
};
