// The clock's settings record and its persistence in the parameter store.
#pragma once

#include <cstdint>

// All the user's choices for the clock. Yes/no fields act when nonzero. The values come
// from the store as they are: nothing checks their ranges.
struct ClockSettings {
    int32_t OnTop = 0;        // "alwaysontop": window stays on top
    int32_t Hour24 = 1;       // "24hour": 24-hour display, 0 = 12-hour
    int32_t Bcd = 1;          // "bcd": BCD digits instead of pure binary
    int32_t BcdHide = 1;      // "bcdhide": hide the LEDs a BCD digit never uses
    int32_t SecondsHide = 0;  // "secondshide": hide the seconds
    int32_t AutoLoad = 0;     // "autoload": start at log-on
    int32_t HideTask = 1;     // "hidetask": hide the taskbar button
    int32_t Type = 0;         // "type": clock format, a TClockType value
    int32_t Back = 0;         // "back": background, a TClockBackground value
    int32_t Color = 0;        // "ledcolor": LED colour, a TLedColor value
    int32_t Shape = 0;        // "ledshape": LED shape, a TLedShape value
    int32_t MoveAround = 0;   // "movearound": kept, has no effect
    int32_t Scale = 0;        // "scale": the clock's size in percent, 0 automatic (ChosenScale)
};

// The scale a stored "scale" asks for: the percentage when it lies in 100..400, otherwise
// 0, which means automatic (the density of the clock's monitor decides). Copies of the
// program that know no "scale" leave it alone.
int32_t ChosenScale(int32_t stored);

// What loading and saving need of the main window: its position and size, whether it is
// minimised or maximised, and the primary screen's size.
class TSettingsWindow {
public:
    virtual ~TSettingsWindow() = default;
    virtual int Left() const = 0;
    virtual int Top() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetLeft(int left) = 0;
    virtual void SetTop(int top) = 0;
    virtual bool MinimizedOrMaximized() const = 0;
    virtual int ScreenWidth() const = 0;
    virtual int ScreenHeight() const = 0;
};

// The range of a window position: window systems keep coordinates in 16 bits.
constexpr int32_t kMinWindowCoordinate = -32768;
constexpr int32_t kMaxWindowCoordinate = 32767;

// Reads the window position ("viewertop", then "viewerleft"; by default the middle of the
// primary screen; a stored value outside kMinWindowCoordinate..kMaxWindowCoordinate is
// taken as the nearest end) and every field of settings, each with its current value as
// the default, in one opening of the store "QVZentick", which reads the file once. On the
// first run this stores all fifteen values with their defaults, in one change.
void LoadSettings(ClockSettings& settings, TSettingsWindow& window);

// Writes "viewertop", "viewerleft", "viewerwidth" and "viewerheight" (unless the window is
// minimised or maximised, when the stored position stays as it was) and every field of
// settings, in one opening of the store and as one transaction: another clock saving at
// the same time leaves its whole record or this one's, never a mix.
void SaveSettings(const ClockSettings& settings, const TSettingsWindow& window);
