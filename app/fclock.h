// TForm1: the clock as the user sees it. A borderless window shaped by its background
// picture (fcImageForm1), with the clock component (BinaryClock) set into it, a start-up
// panel that greets the user for five seconds, a 250 ms clock tick, and dragging by the
// clock face. The settings record is read when the window is created, applied to window
// and clock (ApplySettings), and written after a drag and when the window is destroyed.
#pragma once

#include <array>
#include <memory>

#include "clock/binaryclock.h"
#include "platform/ui/form.h"
#include "platform/ui/label.h"
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
    void Load(ClockSettings& settings, TSettingsWindow& window) override { LoadSettings(settings, window); }
    void Save(const ClockSettings& settings, const TSettingsWindow& window) override {
        SaveSettings(settings, window);
    }
};

// The product web page, shown on the start-up panel.
extern const char* const kProductAddress;
extern const char* const kProductUrl;

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
    TTimer* TimerStartup = nullptr;

    ClockSettings Settings;

    // Drag state of the clock face.
    bool Dragging = false;
    bool DragMoved = false;
    int32_t DragStartX = 0;
    int32_t DragStartY = 0;

    // Makes window, shape, transparency, stacking and clock agree with Settings.
    void ApplySettings();
    // Colour-key transparency (black) on for background 3, off for any other.
    void SetWindowTransparency(int32_t back);
    // The background picture for a format and background; none outside the table.
    const TBitmap* BackgroundBitmap(int32_t type, int32_t back) const;
    // A copy of picture squeezed to two thirds of its width plus a margin by format, for a
    // clock whose seconds are hidden.
    static std::unique_ptr<TBitmap> SqueezeForHiddenSeconds(const TBitmap& picture, int32_t type);

    // Event handlers.
    void FormCreate(TObject* sender);
    void FormDestroy(TObject* sender);
    void TimerClockTimer(TObject* sender);
    void TimerStartupTimer(TObject* sender);
    void Label4Click(TObject* sender);
    void LabelLinkClick(TObject* sender);
    void BinaryClockMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void BinaryClockMouseMove(TObject* sender, TShiftState shift, int x, int y);
    void BinaryClockMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);

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

    // Window and clock geometry of a clock format.
    struct TGeometry {
        int ClockLeft, ClockTop, ClockWidth, ClockHeight, WindowWidth, WindowHeight;
    };
    static const TGeometry kGeometry[7];

private:
    void SaveSettings();
    TLabel* MakeLabel(int left, int top, const char* caption, TColor color);

    std::unique_ptr<TClockSettingsStore> ownStore_;
    TClockSettingsStore* store_;
    // The nineteen backgrounds, by picture number (43..85; unused slots stay empty), each
    // decoded the first time it is shown.
    mutable std::array<TBitmap, 86> backgrounds_;
};
