// TX11Backend: the backend on an X server (see x11.h for how it maps the interface).
//
// This header includes the X headers, whose macros (None, Bool, Status, True, ...) clash
// with other code: only the backend's own files and its tests include it.
#pragma once

#include <poll.h>

#include <cstdint>
#include <map>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/native/native.h"
#include "platform/native/x11/x11atspi.h"
#include "platform/native/x11/x11handles.h"
#include "platform/os/filehandle.h"

namespace native {

class TX11Window;

// The atoms the backend uses, interned in one round trip.
struct TX11Atoms {
    Atom WM_PROTOCOLS;
    Atom WM_DELETE_WINDOW;
    Atom WM_CLIENT_MACHINE;
    Atom UTF8_STRING;
    Atom _NET_WM_NAME;
    Atom _NET_WM_ICON;
    Atom _NET_WM_PID;
    Atom _NET_WM_PING;
    Atom _NET_WM_STATE;
    Atom _NET_WM_STATE_ABOVE;
    Atom _NET_WM_STATE_SKIP_TASKBAR;
    Atom _NET_WM_STATE_SKIP_PAGER;
    Atom _NET_WM_WINDOW_TYPE;
    Atom _NET_WM_WINDOW_TYPE_NORMAL;
    Atom _NET_WM_WINDOW_TYPE_DIALOG;
    Atom _NET_WM_WINDOW_TYPE_POPUP_MENU;
    Atom _NET_ACTIVE_WINDOW;
    Atom _MOTIF_WM_HINTS;
    Atom _NET_WM_STATE_MODAL;
    Atom _NET_WM_WINDOW_TYPE_TOOLTIP;
    Atom _NET_WM_USER_TIME;
    Atom _NET_FRAME_EXTENTS;
    Atom _NET_REQUEST_FRAME_EXTENTS;
    Atom _NET_SUPPORTED;
    Atom WM_STATE;
    Atom AT_SPI_BUS;
};

class TX11Backend : public TBackend {
public:
    // Takes an open connection and the 24-bit TrueColor visual to draw with; wakeRead and
    // wakeWrite are the two ends of a non-blocking pipe.
    TX11Backend(TDisplayPtr display, Visual* visual, TFileHandle wakeRead, TFileHandle wakeWrite);
    ~TX11Backend() override;
    TX11Backend(const TX11Backend&) = delete;
    TX11Backend& operator=(const TX11Backend&) = delete;

    // TBackend.
    std::unique_ptr<TNativeWindow> CreateNativeWindow(const TWindowParams& params) override;
    TSize ScreenSize() const override;
    int PixelsPerInch() const override { return pixelsPerInch_; }
    std::vector<TMonitor> Monitors() const override;
    int BitsPerPixel() const override { return depth_; }
    TPoint CursorPos() const override;
    bool DragFullWindows() const override { return true; }
    void SetCapture(TNativeWindow* window) override;
    void DrawFocusRectOnScreen(const TRect& rect) override;
    int64_t NowMs() const override;
    void WaitEvents(int64_t deadlineMs, std::vector<TEvent>& out) override;
    void Wake() override;
    void Sleep(int ms) override;

    // What the windows (and tests) need.
    Display* XDisplay() const { return display_.get(); }
    Window Root() const { return root_; }
    Visual* XVisual() const { return visual_; }
    int Depth() const { return depth_; }
    Colormap XColormap() const { return colormap_; }
    const TX11Atoms& Atoms() const { return atoms_; }
    bool HasShape() const { return shape_; }
    // The pixel value of a colour in the visual.
    uint32_t PixelOf(uint8_t r, uint8_t g, uint8_t b) const {
        return (uint32_t(r) << redShift_) | (uint32_t(g) << greenShift_) |
               (uint32_t(b) << blueShift_);
    }
    // Whether pixel values are 0x00RRGGBB (then a frame converts a row at a time).
    bool StandardMasks() const { return redShift_ == 16 && greenShift_ == 8 && blueShift_ == 0; }
    // The font cursor for a cursor number (made on first use, kept while the backend lives).
    Cursor CursorFor(int cursor);
    // Sends a client message about window to the root window, as window managers expect.
    void SendToRoot(Window window, Atom type, long l0, long l1 = 0, long l2 = 0, long l3 = 0);
    TX11Window* PointerGrab() const { return capture_; }
    // The popup whose pointer grab also holds the keyboard, if any.
    TX11Window* KeyboardGrab() const { return keyboardGrab_ ? capture_ : nullptr; }
    // The server time of the last input event seen (CurrentTime before any).
    Time LastInputTime() const { return lastInputTime_; }
    // The windows whose owner is window.
    std::vector<TX11Window*> OwnedBy(const TX11Window* window) const;
    // The input method (composed and dead-key input), none where the locale has none.
    XIM InputMethod() const { return inputMethod_; }
    // Whether the window manager says it supports an EWMH atom (_NET_SUPPORTED).
    bool WindowManagerSupports(Atom atom) const;
    // What the window manager does about frames: whether a window should ask it for the
    // frame it will get (it offers that, and did not leave a request unanswered), and the
    // frame it last gave a window of a kind (none before it framed one).
    bool MayAskForFrameExtents() const;
    void FrameExtentsAnswered(bool answered) { frameRequestsAnswered_ = answered; }
    void RememberFrame(TWindowKind kind, TFrameExtents extents) { lastFrames_[kind] = extents; }
    TFrameExtents LastFrame(TWindowKind kind) const;
    // Waits at most timeoutMs for a property notification of window about property,
    // leaving every other event queued in order. True when one came.
    bool WaitForPropertyChange(Window window, Atom property, int timeoutMs);

    // The window list, kept by the windows themselves.
    void Register(TX11Window* window);
    void Unregister(TX11Window* window);
    // A window's name, title, bounds, visibility or focus changed: what screen readers
    // learn of it (x11atspi.h) follows.
    void AccessibleChanged(const TX11Window& window);
    // The windows on the accessibility bus; none where no assistive technology can be
    // reached (or the program is built without it).
    TX11Accessibility* Accessibility() const { return accessibility_.get(); }

    // X protocol errors seen by any connection of the process, and the last error's code.
    static int ErrorCount();
    static int LastErrorCode();

private:
    void Drain(std::vector<TEvent>& out, size_t start);
    static int64_t NowUs();
    void NothingWaiting();
    bool KnownQuiet() const;
    void Translate(XEvent& event, std::vector<TEvent>& out, size_t start);
    void TranslateKey(XKeyEvent& key, TX11Window* window, std::vector<TEvent>& out);
    void OpenInputMethod();
    // The Xft.dpi resource (what the user set for the whole desktop), 0 when unset.
    int ReadXftDpi() const;
    // The monitors as RandR tells them (the primary first); none without RandR 1.5.
    std::vector<TMonitor> ReadMonitors() const;
    // The descriptors a wait watches: the connection, the wake pipe, the clock watch, and
    // the accessibility buses. Returns how many.
    static constexpr int kMaxWatched = 3 + TX11Accessibility::kMaxWatched;
    int WatchedFds(pollfd (&fds)[kMaxWatched]) const;
    // Serves the accessibility buses after a poll of the descriptors.
    void ServeAccessibility(const pollfd (&fds)[kMaxWatched], int count);
    // Arms the clock watch: a timer on the wall clock, a year ahead, that the kernel cancels
    // when the wall clock is set (timerfd, TFD_TIMER_CANCEL_ON_SET).
    void ArmClockWatch();
    // Whether the wall clock was set since the watch was armed (then it is armed again).
    bool ClockWasSet();

    TDisplayPtr display_;
    // Until this monotonic time (microseconds) the connection is taken to have nothing
    // to read: it was just looked at.
    int64_t quietUntilUs_ = 0;
    int screen_;
    Window root_;
    Visual* visual_;
    int depth_;
    TXColormap ownColormap_;  // when the visual is not the default one
    Colormap colormap_;
    int redShift_ = 16;
    int greenShift_ = 8;
    int blueShift_ = 0;
    TX11Atoms atoms_{};
    bool shape_ = false;
    bool randr_ = false;
    bool randrMonitors_ = false;  // RandR 1.5: the server lists monitors
    int randrEventBase_ = 0;
    int xftDpi_ = 0;
    int pixelsPerInch_ = 96;
    TFileHandle wakeRead_;
    TFileHandle wakeWrite_;
    TFileHandle clockWatch_;  // none where the kernel has no such timers
    std::unordered_map<Window, TX11Window*> windows_;
    TX11Window* capture_ = nullptr;
    bool keyboardGrab_ = false;
    XIM inputMethod_ = nullptr;
    std::optional<bool> frameRequestsAnswered_;  // none until a window asked
    std::map<TWindowKind, TFrameExtents> lastFrames_;
    Time lastInputTime_ = CurrentTime;
    TXGC outlineGC_;
    std::map<int, TXCursor> cursors_;
    Font cursorFont_ = 0;  // the server's "cursor" font, loaded with the first cursor
    mutable std::optional<TSize> screenSize_;
    mutable std::optional<std::vector<TMonitor>> monitors_;  // read on first use after a change
    mutable TPoint lastPointer_;
    std::unique_ptr<TX11Accessibility> accessibility_;
};

}  // namespace native
