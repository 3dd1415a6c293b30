// TForm1: the clock as the user sees it. A borderless window shaped by its background
// picture (fcImageForm1), with the clock component (BinaryClock) set into it, a start-up
// panel that greets the user for five seconds, a 250 ms clock tick, dragging by the clock
// face, and one popup menu (PopupMenu1) that a click on the clock opens: Settings, Users
// Manual, About, Resume, Quit. The settings record is read when the window is created,
// applied to window and clock (ApplySettings), and written after a drag, after every use
// of the settings dialog, when the window is destroyed (also by another program) and when
// the display goes away. A window that no screen shows is brought back onto one, at start
// and when the monitors change.
//
// The window draws itself at a scale (Scale): the stored "scale" when it chooses one, else
// the scale of the density of the monitor the window is on, which the window follows when
// it comes to a monitor of another density (WM_DPICHANGED). The pictures, the window and
// clock geometry of every format, the outline and the start-up panel are the design's at
// that scale; the framework does not scale this form (Scaled is off). Positions stay in
// screen pixels.
//
// The window's title is the program's name. With the keyboard focus (a click gives it),
// Menu, Shift+F10, F10 and Return open the menu; resting the pointer on the clock shows the
// time in words.
#pragma once

#include <memory>

#include "app/clocktip.h"
#include "clock/binaryclock.h"
#include "dialogs/fclockconfig.h"
#include "platform/ui/form.h"
#include "platform/ui/label.h"
#include "platform/ui/menus.h"
#include "platform/ui/panel.h"
#include "platform/ui/timer.h"
#include "settings/clocksettings.h"
#include "shaped/fcimageform.h"

// Where the window's settings come from and go to: normally the per-user store; the
// renderer gives its own, which never touches it.
class TClockSettingsStore {
public:
    virtual ~TClockSettingsStore() = default;
    virtual void Load(ClockSettings& settings, TSettingsWindow& window) = 0;
    virtual void Save(const ClockSettings& settings, const TSettingsWindow& window) = 0;
};

// The settings in the per-user registry key (LoadSettings / SaveSettings).
class TRegistrySettingsStore : public TClockSettingsStore {
public:
    void Load(ClockSettings& settings, TSettingsWindow& window) override {
        LoadSettings(settings, window);
    }
    void Save(const ClockSettings& settings, const TSettingsWindow& window) override {
        SaveSettings(settings, window);
    }
};

// Settings handed over as they are, the window at a fixed top-left; nothing is saved
// (the renderer, benchmarks).
class TFixedSettingsStore : public TClockSettingsStore {
public:
    TFixedSettingsStore(const ClockSettings& settings, TPoint topLeft)
        : settings_(settings), topLeft_(topLeft) {}
    void Load(ClockSettings& settings, TSettingsWindow& window) override {
        settings = settings_;
        window.SetTop(topLeft_.Y);
        window.SetLeft(topLeft_.X);
    }
    void Save(const ClockSettings&, const TSettingsWindow&) override {}

private:
    ClockSettings settings_;
    TPoint topLeft_;
};

class TForm1 : public TForm, public TSettingsWindow {
public:
    // Builds the window and its components as designed; FormCreate then runs once the
    // whole form exists (New / Application->CreateForm). Without a store the per-user
    // registry store is used.
    explicit TForm1(TComponent* owner, TClockSettingsStore* store = nullptr);
    ~TForm1() override;

    // Components, in creation order.
    TfcImageForm* fcImageForm1 = nullptr;
    TPanel* PanelStartup = nullptr;
    TLabel* LabelTitle = nullptr;
    TLabel* LabelRight = nullptr;
    TLabel* LabelLink = nullptr;
    TLabel* Label4 = nullptr;
    TBinaryClock* BinaryClock = nullptr;
    TTimer* TimerClock = nullptr;
    TPopupMenu* PopupMenu1 = nullptr;
    TMenuItem* Settings1 = nullptr;
    TMenuItem* UsersManual1 = nullptr;
    TMenuItem* About1 = nullptr;
    TMenuItem* Resume1 = nullptr;
    TMenuItem* Quit1 = nullptr;
    TTimer* TimerStartup = nullptr;
    // The time in words when the pointer rests on the clock.
    std::unique_ptr<TClockTip> ClockTip;

    ClockSettings Settings;

    // Drag state of the clock face.
    bool Dragging = false;
    bool DragMoved = false;
    int32_t DragStartX = 0;
    int32_t DragStartY = 0;

    // Makes window, shape, transparency, stacking, scale and clock agree with Settings.
    void ApplySettings();
    // A window of which no piece the user could take hold of lies on a monitor is moved
    // onto the nearest one, the least way (ReachableBounds, desktop/formutil.h): at start
    // and when the monitors change. The window never moves by itself otherwise; the stored
    // place changes at the next save.
    void BringOntoScreen();
    // Saves the settings record and the window's place (also when the display is gone:
    // it needs none).
    void SaveSettings();
    // Colour-key transparency (black) on for background 3, off for any other.
    void SetWindowTransparency(int32_t back);
    // The background picture for a format and background at a scale, decoded anew on every
    // call (the window keeps its own copy of the picture it shows); none outside the table.
    static std::unique_ptr<TBitmap> BackgroundBitmap(int32_t type, int32_t back,
                                                     int scalePercent = 100);
    // A copy of picture squeezed to two thirds of its design width plus a margin by format,
    // at the scale the picture was made for, for a clock whose seconds are hidden.
    static std::unique_ptr<TBitmap> SqueezeForHiddenSeconds(const TBitmap& picture, int32_t type,
                                                            int scalePercent = 100);

    // The scale the window and clock are drawn at now, in percent.
    int Scale() const { return scale_; }
    // The scale the settings ask for: the stored "scale" when it chooses one, else the scale
    // of the density of the window's monitor.
    int WantedScale();

    // Event handlers.
    void FormCreate(TObject* sender);
    void FormDestroy(TObject* sender);
    // The clock tick: hides the taskbar button when HideTask is on, brings the face up to
    // date and comes again just after its next change (every second, or with the seconds
    // hidden every minute).
    void TimerClockTimer(TObject* sender);
    // The wall clock was set (WM_TIMECHANGE): the face is brought up to date at once and
    // the next tick comes within a quarter second.
    void WMTimeChange(TMessage& message);
    // The window came to a monitor of another density: with the automatic size the clock
    // is drawn anew at that scale, about the centre of the rectangle the system suggests.
    void WMDpiChanged(TMessage& message);
    // The monitors changed (WM_DISPLAYCHANGE): a window left where no screen shows it
    // comes back (BringOntoScreen).
    void WMDisplayChange(TMessage& message);
    void Dispatch(TMessage& message) override;
    void TimerStartupTimer(TObject* sender);
    void Label4Click(TObject* sender);
    void LabelLinkClick(TObject* sender);
    void BinaryClockMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x,
                              int y);
    void BinaryClockMouseMove(TObject* sender, TShiftState shift, int x, int y);
    void BinaryClockMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    // Opening the popup menu: a left click on the clock (at the pointer, unless the press
    // dragged the window), a right-click on the clock or on the start-up panel (at the
    // clicked point).
    void BinaryClockClick(TObject* sender);
    void BinaryClockContextPopup(TObject* sender, TPoint mousePos, bool& handled);
    void PanelStartupContextPopup(TObject* sender, TPoint mousePos, bool& handled);
    // The menu's commands.
    void Settings1Click(TObject* sender);
    void UsersManual1Click(TObject* sender);
    void About1Click(TObject* sender);
    void Quit1Click(TObject* sender);
    // The keyboard: Menu, Shift+F10, F10 and Return open the menu at the clock's top-left
    // corner.
    void FormKeyDown(TObject* sender, uint16_t& key, TShiftState shift);
    // The time and date in words, as the tooltip shows them and screen readers read them.
    std::string TimeText() const;

    // Fills the settings dialog's controls from Settings (the move-around box hidden, the
    // size shown as "Automatic" when the stored one reads so), and reads them back into
    // Settings: what the Settings command does around showing it.
    void FillSettingsDialog(TFormClockConfig& dialog) const;
    void ReadSettingsDialog(const TFormClockConfig& dialog);

    // TSettingsWindow.
    int Left() const override { return TForm::Left(); }
    int Top() const override { return TForm::Top(); }
    int Width() const override { return TForm::Width(); }
    int Height() const override { return TForm::Height(); }
    void SetLeft(int left) override { TForm::SetLeft(left); }
    void SetTop(int top) override { TForm::SetTop(top); }
    bool MinimizedOrMaximized() const override { return WindowState() != wsNormal; }
    int ScreenWidth() const override;
    int ScreenHeight() const override;

    // Window and clock geometry of a clock format, as designed (at 100 %).
    struct TGeometry {
        int ClockLeft, ClockTop, ClockWidth, ClockHeight, WindowWidth, WindowHeight;
    };
    static const TGeometry kGeometry[7];
    // The geometry of a format (0..6) at a scale: every number of kGeometry scaled.
    static TGeometry ScaledGeometry(int32_t type, int scalePercent);

protected:
    // The window's title is the program's name: "Form1" is only the design-time caption.
    void CreateParams(TCreateParams& params) override;

private:
    TMenuItem* AddMenuItem(const char* name, const char* caption, TNotifyEvent onClick);
    TLabel* MakeLabel(int left, int top, const char* caption, TColor color);
    // Places the start-up panel and its labels at the scale, with their fonts in points at
    // the window's density.
    void ScaleStartupPanel();

    std::unique_ptr<TClockSettingsStore> ownStore_;
    TClockSettingsStore* store_;
    int scale_ = 100;
    // Set once the settings were first applied (a change of density before only counts
    // when they are); set while they are applied.
    bool applied_ = false;
    bool applying_ = false;
};
