// The one narrow interface between the framework and a window system.
//
// The framework composes every top-level window into a 24-bit frame itself; a backend
// only shows finished frames, applies each window's shape, stacking and taskbar state,
// reports input in screen coordinates, keeps the pointer grabbed while asked to, and
// waits for input or a deadline. Three backends implement it: headless (an in-memory
// screen on a virtual clock, for tests and rendering), x11 and, later, win32.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/color.h"
#include "platform/gfx/region.h"
#include "platform/gfx/types.h"
#include "platform/native/monitor.h"

namespace native {

class TNativeWindow;

enum class TEventKind {
    MouseMove,
    ButtonDown,
    ButtonUp,
    KeyDown,
    KeyUp,
    Char,            // a character typed as text
    SysChar,         // a character typed with Alt held (Alt+F): an access key, never text
    Wheel,           // the wheel turned (Delta, Horizontal) with the pointer at ScreenPos
    CloseRequest,    // the window manager asks the window to close
    Destroyed,       // another program destroyed the window: it is gone from the screen
    Exposed,         // part of the window must be shown again (Rect, window coordinates)
    Moved,           // the window system moved or resized the window (Rect, screen)
    FrameChanged,    // the frame around a shown window is not the one FrameExtents told
    Wake,            // Wake() was called
    TimeChanged,     // the wall clock was set (not the ticking of time, nor a change of zone)
    ScreenChanged,   // monitors came, went, moved, or changed size or density (no Window)
    DensityChanged,  // the window came to a monitor of another density (PixelsPerInch), and
                     // the window system gave it the bounds it suggests there (Rect, screen)
};

// Mouse buttons, as the X protocol numbers them.
constexpr int kLeftButton = 1;
constexpr int kMiddleButton = 2;
constexpr int kRightButton = 3;

// Modifier bits of an event: keys held and buttons down.
constexpr unsigned kShift = 1;
constexpr unsigned kControl = 2;
constexpr unsigned kAlt = 4;
constexpr unsigned kLeftDown = 8;
constexpr unsigned kRightDown = 16;
constexpr unsigned kMiddleDown = 32;

// One notch of a mouse wheel, as the system counts it (WHEEL_DELTA).
constexpr int kWheelNotch = 120;

struct TEvent {
    TEventKind Kind = TEventKind::MouseMove;
    TNativeWindow* Window = nullptr;  // the window the event is for; none for Wake
    TPoint ScreenPos;                 // pointer position, screen pixels
    int Button = 0;                   // ButtonDown, ButtonUp
    unsigned Modifiers = 0;
    int Key = 0;        // KeyDown, KeyUp: a virtual-key code (VK_RETURN, VK_ESCAPE, ...)
    uint32_t Char = 0;  // Char, SysChar: a Unicode code point
    // Wheel: how far it turned, kWheelNotch a notch; positive away from the user (up) or,
    // for the horizontal wheel (tilt), to the right.
    int Delta = 0;
    bool Horizontal = false;
    TRect Rect;             // Exposed, Moved, DensityChanged
    int PixelsPerInch = 0;  // DensityChanged
    int64_t TimeMs = 0;     // the backend's clock when the event happened
};

enum class TWindowKind {
    Normal,   // an application window with a taskbar button
    Dialog,   // a fixed-size dialog, transient for its owner when it has one; it takes the
              // keyboard focus each time it is shown
    Popup,    // a menu: not managed, no decoration, above everything
    Tooltip,  // a tip: like a popup, and the pointer goes through it
};

// Windows the window manager does not manage: menus and tips.
constexpr bool IsUnmanaged(TWindowKind kind) {
    return kind == TWindowKind::Popup || kind == TWindowKind::Tooltip;
}

// A program's icon at one size: Width x Height pixels, row by row, each 0xAARRGGBB (not
// premultiplied), in static storage.
struct TIconImage {
    int Width = 0;
    int Height = 0;
    const uint32_t* Pixels = nullptr;
};

struct TWindowParams {
    TRect Bounds;  // screen pixels, frame included (the framework draws no frame)
    TWindowKind Kind = TWindowKind::Normal;
    std::string Title;
    // The program the window belongs to, as the desktop groups windows: its name, written
    // as X11's WM_CLASS (instance "zentick-hexedit", class "Zentick-hexedit").
    std::string ClassName = "zentick";
    // A window stays above its owner: with an owner that stays on top, it does too.
    TNativeWindow* Owner = nullptr;
    bool Borderless = false;
    bool StayOnTop = false;
    bool TaskbarButton = true;
    // The user may resize it through the window manager; otherwise its size is fixed
    // (the hints say min = max = its size), and a tiling window manager floats it.
    bool Resizable = true;
    // The program's icon in a few sizes, for the window system to show beside the window
    // (X11: _NET_WM_ICON; Windows uses the executable's icon resource instead).
    std::span<const TIconImage> Icon;
};

// The room a window manager's decoration takes on each side of a window (pixels).
struct TFrameExtents {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    friend bool operator==(const TFrameExtents&, const TFrameExtents&) = default;
};

// A top-level window of the window system.
class TNativeWindow {
public:
    virtual ~TNativeWindow() = default;

    virtual void SetBounds(const TRect& screenBounds) = 0;
    virtual TRect Bounds() const = 0;
    virtual void Show(bool visible) = 0;
    virtual bool Visible() const = 0;
    virtual void SetTitle(const std::string& title) = 0;
    // The visible and clickable shape in window coordinates; none makes it rectangular.
    virtual void SetShape(const TRegion* shape) = 0;
    // With a key, pixels of that colour are neither shown nor clickable.
    virtual void SetColorKey(std::optional<TColor> key) = 0;
    virtual void SetStayOnTop(bool onTop) = 0;
    virtual void SetTaskbarButton(bool visible) = 0;
    virtual void SetBorderless(bool borderless) = 0;
    virtual void Raise() = 0;
    // Shows the dirty part of frame, a bitmap of the window's size.
    virtual void Present(const TBitmap& frame, const TRect& dirty) = 0;
    // The pointer shape over the window (a crXXX cursor number).
    virtual void SetCursorShape(int cursor) = 0;
    // The decoration around the window, known before it is first shown where the window
    // system can tell (the window manager's frame, a Windows caption and border); nothing
    // for a borderless window. Where the window manager tells only once the window shows,
    // the frame it gave the last window of the kind; when the frame then turns out other
    // than told, the window reports FrameChanged.
    virtual TFrameExtents FrameExtents() { return {}; }
    // Whether the next Show(true) takes the keyboard focus (the default); a window shown
    // without it (a desktop gadget) gets the focus when it is clicked.
    virtual void SetActivateOnShow(bool) {}
    // A modal dialog: the window manager keeps it above its owner and offers no minimise.
    virtual void SetModal(bool) {}
    // What a screen reader reads for the window (it may change often; the title does not).
    virtual void SetAccessibleName(const std::string&) {}
};

class TBackend {
public:
    virtual ~TBackend() = default;

    virtual std::unique_ptr<TNativeWindow> CreateNativeWindow(const TWindowParams& params) = 0;

    // The size of the primary monitor, and the pixels per inch of the desktop as a whole
    // (the primary monitor's, or what the user set for every monitor).
    virtual TSize ScreenSize() const = 0;
    virtual int PixelsPerInch() const = 0;
    // Every monitor, the primary first; never empty (a desktop that tells nothing of its
    // monitors has one, the whole screen). Where the user set one density for the whole
    // desktop, every monitor has it.
    virtual std::vector<TMonitor> Monitors() const = 0;
    // Whether the window system itself tells a window that comes to a monitor of another
    // density (DensityChanged) and chooses its bounds there, as Windows does for programs
    // aware of each monitor's density; otherwise the framework finds out from the window's
    // moves and the monitors.
    virtual bool ReportsDensityChanges() const { return false; }
    virtual int BitsPerPixel() const = 0;
    virtual TPoint CursorPos() const = 0;
    // Whether the desktop drags whole windows rather than outlines.
    virtual bool DragFullWindows() const = 0;

    // Keeps the pointer's events coming to window, wherever the pointer is; none releases.
    // A popup holding the capture gets the keys as well, without having the focus.
    virtual void SetCapture(TNativeWindow* window) = 0;
    // Inverts the focus-rectangle pixels of rect on the screen, above every window;
    // inverting the same rectangle again restores the screen.
    virtual void DrawFocusRectOnScreen(const TRect& rect) = 0;

    // Milliseconds of a monotonic clock.
    virtual int64_t NowMs() const = 0;
    // Appends the events that are ready to out; when none are, waits for one until the
    // deadline (a NowMs value; -1 waits without limit, a past deadline does not wait).
    virtual void WaitEvents(int64_t deadlineMs, std::vector<TEvent>& out) = 0;
    // Makes a waiting WaitEvents return with a Wake event. Safe in a signal handler.
    virtual void Wake() = 0;
    // Pauses the calling thread (on the virtual clock: moves it on).
    virtual void Sleep(int ms) = 0;
};

// The backend in use. SetBackend installs one; Backend() without one raises.
TBackend& Backend();
bool HasBackend();
void SetBackend(std::unique_ptr<TBackend> backend);

// When the connection to the window system breaks (the X server went away with the
// session, or was killed), the backend says so on stderr, runs this handler and ends the
// program with exit status 1. The windows are gone by then: the handler must touch none of
// them (nor the window system), only keep what needs no display, as the settings file.
// None: the program just ends.
void SetConnectionLostHandler(std::function<void()> handler);
// For backends: runs the handler, once however often it is called.
void RunConnectionLostHandler();

}  // namespace native
