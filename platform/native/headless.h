// The headless backend: a whole screen in memory, on a virtual clock.
//
// Top-level windows keep the last frame presented to them; the screen is composed from
// them on demand, bottom to top (normal windows, then stay-on-top windows, then popups),
// each through its shape and colour key, over a plain desktop colour, with the inverted
// drag outlines drawn on top. An owned window stays above its owner: it is in its owner's
// layer when that is higher than its own, and above its owner within the layer.
// Synthetic input is delivered by screen position through the same shapes (tooltips let
// the pointer through), or to the window holding the capture; while a button is held, to the window
// that got the press (as the X server's implicit grab does). Keys go to the focused window, or to a
// popup holding the capture (as the X11 backend's keyboard grab does).
//
// Time moves only when the program waits: WaitEvents jumps the virtual clock to the next
// scheduled action or the deadline, whichever comes first, and runs due actions there.
// Waiting with neither is a deadlock in a test, and raises std::logic_error. The virtual
// clock also drives the wall clock (platform/os/wallclock.h) while the backend lives.
#pragma once

#include <ctime>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/native/native.h"

namespace native {

class THeadlessWindow;

class THeadlessBackend : public TBackend {
public:
    explicit THeadlessBackend(TSize screen = {1024, 768}, int pixelsPerInch = 96,
                              int bitsPerPixel = 24);
    ~THeadlessBackend() override;

    // TBackend.
    std::unique_ptr<TNativeWindow> CreateNativeWindow(const TWindowParams& params) override;
    TSize ScreenSize() const override;
    int PixelsPerInch() const override { return pixelsPerInch_; }
    std::vector<TMonitor> Monitors() const override;
    bool ReportsDensityChanges() const override { return reportsDensityChanges_; }
    int BitsPerPixel() const override { return bitsPerPixel_; }
    TPoint CursorPos() const override { return cursor_; }
    bool DragFullWindows() const override { return dragFullWindows_; }
    void SetCapture(TNativeWindow* window) override;
    void DrawFocusRectOnScreen(const TRect& rect) override;
    int64_t NowMs() const override { return now_; }
    void WaitEvents(int64_t deadlineMs, std::vector<TEvent>& out) override;
    void Wake() override { wakes_++; }
    void Sleep(int ms) override { now_ += ms > 0 ? ms : 0; }

    // Screen settings.
    void SetPixelsPerInch(int ppi) { pixelsPerInch_ = ppi; }
    // Lays the desktop out as these monitors (the primary first), and reports the change
    // (TEventKind::ScreenChanged) as a system does when screens come or go. An empty list
    // goes back to one monitor, the whole screen at the screen's pixels per inch. The
    // screen size becomes the primary monitor's; the composed screen stays the rectangle
    // from the origin to the monitors' right and bottom edges.
    void SetMonitors(std::vector<TMonitor> monitors);
    void SetBitsPerPixel(int bits) { bitsPerPixel_ = bits; }
    // Plays a window system that tells windows of density changes itself, as Windows does:
    // the framework then leaves that to ChangeDensityBySystem.
    void SetReportsDensityChanges(bool on) { reportsDensityChanges_ = on; }
    // Moves window to bounds as such a window system does when it comes to a monitor of
    // another density, and reports it (TEventKind::DensityChanged).
    void ChangeDensityBySystem(TNativeWindow* window, const TRect& bounds, int pixelsPerInch);
    void SetDragFullWindows(bool on) { dragFullWindows_ = on; }
    // The decoration a window manager would put around every window that has a frame
    // (not borderless, not a popup); none by default. Told before shown: a window knows it
    // before it first shows; otherwise (as under a window manager that tells it only to a
    // window it frames) a window not shown yet is told the frame the last window shown got
    // (none at first), and reports FrameChanged when it shows with another one.
    void SetFrameExtents(TFrameExtents extents, bool toldBeforeShown = true) {
        frameExtents_ = extents;
        frameToldBeforeShown_ = toldBeforeShown;
    }
    static constexpr TColor kDesktopColor = RGB(58, 110, 165);

    // Clock. At(ms, action) runs action when the virtual clock reaches ms (ms may be in
    // the past: the action then runs at the next wait). Actions run in time order, and in
    // the order they were scheduled when their times are equal.
    void At(int64_t ms, std::function<void()> action);
    void After(int64_t delayMs, std::function<void()> action) {
        At(now_ + delayMs, std::move(action));
    }
    // Sets the wall clock to localSeconds (taken as local time) at the current instant, and
    // reports the change (TEventKind::TimeChanged) as a system whose clock is set does.
    void SetWallTime(std::time_t localSeconds);
    // The same with seconds since the epoch: the local time is then found through the time
    // zone (TZ), daylight-saving changes included, as on a real system. SetWallTime goes
    // back to local seconds.
    void SetWallTimeUtc(std::time_t utcSeconds);
    // The wall clock now, in the seconds last given to SetWallTime or SetWallTimeUtc.
    std::time_t WallTime() const;

    // Synthetic input at screen positions. The pointer moves there first.
    void MouseMove(int x, int y, unsigned modifiers = 0);
    void MouseDown(int x, int y, int button = kLeftButton, unsigned modifiers = 0);
    void MouseUp(int x, int y, int button = kLeftButton, unsigned modifiers = 0);
    void Click(int x, int y, int button = kLeftButton);
    void KeyDown(int key, unsigned modifiers = 0);
    void KeyUp(int key, unsigned modifiers = 0);
    // A key press: key down, the character (when it has one), key up; the modifiers come
    // with all three, as a window system reports them.
    void PressKey(int key, uint32_t ch = 0, unsigned modifiers = 0);
    void TypeChar(uint32_t ch, unsigned modifiers = 0);
    // A character typed with Alt held (the key of an Alt chord), as WM_SYSCHAR.
    void TypeSysChar(uint32_t ch, unsigned modifiers = kAlt);
    // The wheel turned by delta (kWheelNotch a notch) with the pointer at (x, y); the
    // event goes to the window under the pointer, or the one holding the capture.
    void Wheel(int x, int y, int delta, bool horizontal = false, unsigned modifiers = 0);
    // Asks window to close as a window manager would.
    void RequestClose(TNativeWindow* window);
    // Destroys window as another program can on X (xdotool windowclose): it leaves the
    // screen and a Destroyed event reports it. The object stays until the program lets go.
    void DestroyByAnotherProgram(TNativeWindow* window);
    // Moves or resizes window as a window manager does (or the user through its frame):
    // the bounds change and a Moved event reports them.
    void MoveByWindowManager(TNativeWindow* window, const TRect& bounds);
    // Input for keys goes to the focused window: the last one shown (unless it was made
    // not to take the focus when shown) or clicked (popups never take the focus); when
    // that one hides or goes, its owner if it shows.
    THeadlessWindow* FocusedWindow() const { return focused_; }
    // Where keys go now: a visible popup holding the capture, else the focused window.
    THeadlessWindow* KeyTarget() const;

    // Inspection.
    std::vector<THeadlessWindow*> Windows() const;  // bottom to top
    THeadlessWindow* WindowAt(TPoint screenPos) const;
    TBitmap Screenshot() const;
    bool SaveScreenshot(const std::string& pngPath) const;
    int OutlinePixelsInverted() const;  // pixels currently inverted by drag outlines

private:
    friend class THeadlessWindow;
    void Remove(THeadlessWindow* window);
    void Stack(THeadlessWindow* window);  // to the top of its layer
    void Post(TEvent event);
    TNativeWindow* InputTarget(TPoint screenPos) const;

    TSize screen_;
    int pixelsPerInch_;
    std::vector<TMonitor> monitors_;  // none: one monitor, the whole screen
    int bitsPerPixel_;
    bool reportsDensityChanges_ = false;
    bool dragFullWindows_ = false;
    TPoint cursor_;
    unsigned buttons_ = 0;
    int64_t now_ = 0;
    int wakes_ = 0;
    std::time_t wallAnchorSeconds_;
    int64_t wallAnchorMs_ = 0;
    bool wallUtc_ = false;  // the anchor is in seconds since the epoch, not local seconds
    std::vector<THeadlessWindow*> windows_;  // bottom to top
    THeadlessWindow* capture_ = nullptr;
    THeadlessWindow* pressed_ = nullptr;  // gets the pointer while a button is held
    THeadlessWindow* focused_ = nullptr;
    std::vector<TEvent> pending_;
    std::multimap<int64_t, std::function<void()>> actions_;
    std::vector<uint8_t> outline_;  // one byte a screen pixel: 1 where inverted
    TFrameExtents frameExtents_;
    bool frameToldBeforeShown_ = true;
    std::optional<TFrameExtents> lastFrame_;  // the frame the last framed window shown got
};

class THeadlessWindow : public TNativeWindow {
public:
    THeadlessWindow(THeadlessBackend& backend, const TWindowParams& params);
    ~THeadlessWindow() override;

    void SetBounds(const TRect& screenBounds) override;
    TRect Bounds() const override { return bounds_; }
    void Show(bool visible) override;
    bool Visible() const override { return visible_; }
    void SetTitle(const std::string& title) override { title_ = title; }
    void SetShape(const TRegion* shape) override;
    void SetColorKey(std::optional<TColor> key) override { colorKey_ = key; }
    void SetStayOnTop(bool onTop) override;
    void SetTaskbarButton(bool visible) override { taskbarButton_ = visible; }
    void SetBorderless(bool borderless) override { borderless_ = borderless; }
    void Raise() override;
    void Present(const TBitmap& frame, const TRect& dirty) override;
    void SetCursorShape(int cursor) override { cursorShape_ = cursor; }
    TFrameExtents FrameExtents() override;
    void SetModal(bool modal) override { modal_ = modal; }
    void SetAccessibleName(const std::string& name) override { accessibleName_ = name; }
    void SetActivateOnShow(bool activate) override { activateOnShow_ = activate; }

    // What a test can see.
    const std::string& Title() const { return title_; }
    const std::string& ClassName() const { return className_; }
    std::span<const TIconImage> Icon() const { return icon_; }
    TWindowKind Kind() const { return kind_; }
    // The owner given at creation (none once it is destroyed).
    THeadlessWindow* Owner() const { return owner_; }
    bool StayOnTop() const { return stayOnTop_; }
    bool TaskbarButton() const { return taskbarButton_; }
    bool Borderless() const { return borderless_; }
    const std::optional<TRegion>& Shape() const { return shape_; }
    std::optional<TColor> ColorKey() const { return colorKey_; }
    int CursorShape() const { return cursorShape_; }
    bool Resizable() const { return resizable_; }
    bool Modal() const { return modal_; }
    const std::string& AccessibleName() const { return accessibleName_; }
    int PresentCount() const { return presents_; }
    // The pixels last presented (window-sized).
    const TBitmap& Pixels() const { return pixels_; }
    // Whether the window shows a pixel at this window position (shape and colour key).
    bool Covers(TPoint windowPos) const;
    // The window's pixels with those outside its visible shape marked: alpha 0 outside,
    // 255 inside (one byte a pixel, row by row).
    std::vector<uint8_t> VisibleMask() const;

private:
    friend class THeadlessBackend;
    THeadlessBackend& backend_;
    TWindowKind kind_;
    THeadlessWindow* owner_;
    std::string title_;
    std::string className_;
    std::span<const TIconImage> icon_;
    TRect bounds_;
    bool visible_ = false;
    bool stayOnTop_;
    bool taskbarButton_;
    bool borderless_;
    std::optional<TRegion> shape_;
    std::optional<TColor> colorKey_;
    bool resizable_;
    bool framed_ = false;                     // shown once with its frame
    std::optional<TFrameExtents> toldFrame_;  // what FrameExtents last answered
    bool activateOnShow_ = true;
    bool modal_ = false;
    std::string accessibleName_;
    int cursorShape_ = 0;
    int presents_ = 0;
    TBitmap pixels_;
};

}  // namespace native
