// The main window: every control, the start-up sequence and the event handlers.
#pragma once

#include "app/Form1Layout.h"
#include "app/RealCleaners.h"
#include "cleaning/DeletionPass.h"
#include "schedule/AutoDelete.h"
#include "system/BrushCache.h"
#include "system/FontMetrics.h"
#include "system/UniqueHandle.h"
#include "system/Window.h"
#include "system/cSysTray.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace Form1Texts {
inline constexpr char Caption[] = "Vorlane";
inline constexpr char ListHeader[] = "How often would you like to delete history?";
inline constexpr char TurnOn[] = "Turn On Auto Delete";
inline constexpr char TurnOff[] = "Turn Off Auto Delete";
inline constexpr char AutoDeleteOff[] = "Auto Delete is Turned Off.";
inline constexpr char PassRunning[] = "Deleting history is running...";
inline constexpr char PassDone[] = "Deleting history is running...Done.";
inline constexpr char HelpPrefix[] = "Questions? Please contact Team Pendrake at ";
inline constexpr char NoHistory[] =
    "There isn't a history to view because actions have not been performed yet.";
inline constexpr char ClearQuestion[] =
    "Are you sure you want to delete the history log and start over?";
inline constexpr char BalloonTip[] =
    "has been minimized to the system tray.\r\n"
    "Click on the blue 'P' icon (P for Pendrake) to bring the software back.";
inline constexpr char TrayTip[] = "Vorlane";
inline constexpr char SkinFile[] = "\\x\\o.cjs";
inline constexpr char CursorFile[] = "\\HAND-M.CUR";
}  // namespace Form1Texts

// Mouse pointer codes of the main window.
enum MousePointerCode : int { PointerDefault = 0, PointerHourglass = 11, PointerCustom = 99 };

class SkinEngine;

class Form1 final : public Window, public PassWindow {
public:
    static constexpr char ClassName[] = "VorlaneForm1";
    static constexpr UINT_PTR Timer1Id = 1;

    explicit Form1(Cleaners cleaners = RealCleaners());
    ~Form1() override;

    // Creates the window and its controls, runs Form_Load, then shows the window
    // unless start-up hid it in the notification area.
    void Create(bool show = true);

    // True while the window is hidden in the notification area.
    bool HiddenInTray() const { return hiddenInTray_; }

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
    void Timer1_Timer();
    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton3_Click();
    void Check4_Click();
    void Check8_Click();
    void cSysTray1_MouseUp(std::int16_t button, std::int32_t id);
    void Form_MouseMove();
    void PushButton_MouseMove();

    // The deletion pass over the ticked boxes.
    void DeleteAll();

    // Which pass is running: a manual one ("Delete Now (Test)", with its pause)
    // or a timed one. Only one runs at a time.
    enum class PassKind { None, Manual, Timed };
    PassKind RunningPass() const { return pass_; }

    // --- what the handlers read and write ---
    HWND Control(ControlId id) const;
    std::string Text(ControlId id) const;
    void SetText(ControlId id, const std::string& text);
    bool IsChecked(ControlId id) const;
    void SetChecked(ControlId id, bool checked);  // runs the box's click handler on a change

    std::string Status() const override;
    void SetStatus(const std::string& text) override;
    bool IsTicked(CleaningBox box) const override;

    // 1-based position of the selected interval, 0 when none is selected.
    int SelectedPosition() const;
    void SelectPosition(int position);  // raises when out of range; no click event
    std::string SelectedItemText() const;
    std::int32_t GetIntervalSeconds() const;
    void ShowProgress(std::int32_t maximum, std::int32_t value);
    int ProgressMaximum() const;
    int ProgressValue() const;

    std::int32_t IntervalSeconds() const { return autoDelete_.IntervalSeconds(); }
    std::int32_t ElapsedSeconds() const { return autoDelete_.ElapsedSeconds(); }
    void SetElapsedSeconds(std::int32_t value) { autoDelete_.SetElapsedSeconds(value); }
    UINT TimerInterval() const { return timerInterval_; }
    bool TimerEnabled() const { return timerEnabled_; }
    void SetTimerInterval(UINT milliseconds);
    void SetTimerEnabled(bool enabled);

    int MousePointer() const { return mousePointer_; }
    void SetMousePointer(int code);
    HCURSOR MouseIcon() const { return mouseIcon_.Get(); }

    // Colours: the window's background and each control's own.
    COLORREF BackColor() const { return backColor_; }
    void SetBackColor(COLORREF color);
    COLORREF ControlBackColor(ControlId id) const;
    void SetControlBackColor(ControlId id, COLORREF color);

    // The skin engine drawing the window (none without a skin file).
    SkinEngine* SkinFramework1() const { return skinFramework1_.get(); }
    void SetSkinFramework1(std::unique_ptr<SkinEngine> engine);

    cSysTray& Tray() { return tray_; }
    int Dpi() const { return dpi_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnUnhandledFailure() override;

private:
    void CreateControls();
    void CreateFonts();
    HFONT FontFor(const ControlLayout& layout) const;
    void LayOutControls();
    void CloseProgram();
    void AddListColumnAndItems(class StepRunner& steps);
    void RestoreStartupBoxes();
    void RestoreCleaningBoxes();
    void ShowFoundBrowsers();
    void CleaningBox_Click(ControlId id);
    void ApplyTimer();
    void RunTimedPass();
    void RunDeferredTimedPass();
    void UpdateCursor();
    // Runs a handler that has no reporting handler of its own.
    template <class Handler>
    void Unguarded(const char* name, Handler&& handler);

    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnNotify(LPARAM lParam);
    LRESULT OnControlColor(HDC dc, HWND control);
    void PaintBackground(HDC dc);
    static LRESULT CALLBACK ChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR subclassId, DWORD_PTR refData);

    Cleaners cleaners_;
    std::map<int, HWND> controls_;
    std::map<int, COLORREF> controlBackColors_;
    COLORREF backColor_;
    BrushCache brushes_;
    FontMetrics statusFont_;  // the status frame's font, for the countdown's repaint strip
    UniqueFont boldFont_;
    UniqueFont plainFont_;
    HICON programIcon_ = nullptr;
    UniqueCursor mouseIcon_;
    int dpi_ = 96;
    int mousePointer_ = PointerDefault;
    std::string savedStatus_;
    PassKind pass_ = PassKind::None;
    bool timedPassDue_ = false;  // a tick came due during a manual pass
    AutoDelete autoDelete_;
    std::int16_t oftenIndex_ = 0;
    // The interval of the selected entry, 0 until the list is read again after
    // its selection or items changed.
    mutable std::int32_t selectedInterval_ = 0;
    bool hiddenInTray_ = false;
    UINT timerInterval_ = 0;
    bool timerEnabled_ = true;
    cSysTray tray_;
    std::unique_ptr<SkinEngine> skinFramework1_;
    std::string handlerName_ = "WindowProc";
};
