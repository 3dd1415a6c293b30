#include "platform/native/x11/x11backend.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xresource.h>
#include <X11/cursorfont.h>
#include <X11/extensions/shape.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/timerfd.h>
#include <unistd.h>
#ifdef ZT_HAVE_XRANDR
#include <X11/extensions/Xrandr.h>
#endif

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>

#include "platform/native/keys.h"
#include "platform/native/x11/x11.h"
#include "platform/native/x11/x11cursor.h"
#include "platform/native/x11/x11keys.h"
#include "platform/native/x11/x11window.h"

namespace native {

// Error handling ------------------------------------------------------------------------------

namespace {

std::atomic<bool> connectionLost{false};
std::atomic<int> errorCount{0};
std::atomic<int> lastErrorCode{0};

// Protocol errors are answers to requests about things that may be gone already (a window
// destroyed by the server while the program still speaks of it): they are counted, and the
// program goes on.
int OnXError(Display*, XErrorEvent* error) {
    errorCount.fetch_add(1);
    lastErrorCode.store(error->error_code);
    return 0;
}

// The connection broke: the X server is gone (with the desktop session, or killed), and
// the program cannot go on. Xlib ends the process if this returns, so it ends it itself,
// with status 1, once the program has kept what needs no display (the connection-lost
// handler: the clock saves its settings); the owned X resources are not freed any more
// (see X11ConnectionLost).
int OnXIOError(Display*) {
    if (connectionLost.exchange(true)) _exit(1);  // lost again inside the handler
    static const char message[] = ": the connection to the X server was lost\n";
    const char* program = program_invocation_short_name;
    ssize_t written = write(STDERR_FILENO, program, std::strlen(program));
    written = write(STDERR_FILENO, message, sizeof message - 1);
    (void)written;
    RunConnectionLostHandler();
    std::exit(1);
}

void InstallErrorHandlers() {
    static std::once_flag once;
    std::call_once(once, [] {
        XSetErrorHandler(OnXError);
        XSetIOErrorHandler(OnXIOError);
    });
}

int LowestBit(unsigned long mask) {
    return mask ? std::countr_zero(mask) : 0;
}

// A 24-bit TrueColor visual with 8 bits a channel: the default one when it is such,
// otherwise any.
Visual* FindVisual(Display* display) {
    int screen = DefaultScreen(display);
    auto suitable = [](const Visual* v, int depth) {
        return v->c_class == TrueColor && depth == 24 && std::popcount(v->red_mask) == 8 &&
               std::popcount(v->green_mask) == 8 && std::popcount(v->blue_mask) == 8;
    };
    Visual* visual = DefaultVisual(display, screen);
    if (suitable(visual, DefaultDepth(display, screen))) return visual;
    XVisualInfo info{};
    if (XMatchVisualInfo(display, screen, 24, TrueColor, &info) && suitable(info.visual, 24))
        return info.visual;
    return nullptr;
}

// Whether depth-24 images are stored 32 bits a pixel on this server.
bool ThirtyTwoBitPixels(Display* display) {
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
    bool found = false;
    for (int i = 0; i < count; ++i)
        if (formats[i].depth == 24) found = formats[i].bits_per_pixel == 32;
    if (formats) XFree(formats);
    return found;
}

unsigned Modifiers(unsigned state) {
    unsigned m = 0;
    if (state & ShiftMask) m |= kShift;
    if (state & ControlMask) m |= kControl;
    if (state & Mod1Mask) m |= kAlt;
    if (state & Button1Mask) m |= kLeftDown;
    if (state & Button2Mask) m |= kMiddleDown;
    if (state & Button3Mask) m |= kRightDown;
    return m;
}

unsigned ButtonBit(unsigned button) {
    switch (button) {
        case kLeftButton:
            return kLeftDown;
        case kMiddleButton:
            return kMiddleDown;
        case kRightButton:
            return kRightDown;
        default:
            return 0;
    }
}

// The X font cursor for a cursor number.
unsigned FontCursor(int cursor) {
    switch (cursor) {
        case -21:
            return XC_hand2;  // crHandPoint
        case -22:
            return XC_fleur;  // crSizeAll
        case -4:
            return XC_xterm;  // crIBeam
        case -3:
            return XC_crosshair;  // crCross
        case -11:
            return XC_watch;  // crHourGlass
        default:
            return XC_left_ptr;  // crDefault, crArrow and the rest
    }
}

}  // namespace

bool X11ConnectionLost() {
    return connectionLost.load();
}

int TX11Backend::ErrorCount() {
    return errorCount.load();
}
int TX11Backend::LastErrorCode() {
    return lastErrorCode.load();
}

// Opening ----------------------------------------------------------------------------------------

std::unique_ptr<TBackend> CreateX11Backend(const char* display) {
    InstallErrorHandlers();
    TDisplayPtr connection(XOpenDisplay(display));
    if (!connection) return nullptr;
    Visual* visual = FindVisual(connection.get());
    if (!visual || !ThirtyTwoBitPixels(connection.get())) {
        std::fprintf(stderr,
                     "%s: the X display %s has no 24-bit TrueColor visual with 32-bit "
                     "pixels; the program cannot be shown on it\n",
                     program_invocation_short_name, DisplayString(connection.get()));
        return nullptr;
    }
    int fds[2];
    if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) {
        std::fprintf(stderr, "%s: pipe: %s\n", program_invocation_short_name, std::strerror(errno));
        return nullptr;
    }
    return std::make_unique<TX11Backend>(std::move(connection), visual, TFileHandle(fds[0]),
                                         TFileHandle(fds[1]));
}

TX11Backend::TX11Backend(TDisplayPtr display, Visual* visual, TFileHandle wakeRead,
                         TFileHandle wakeWrite)
    : display_(std::move(display)),
      screen_(DefaultScreen(display_.get())),
      root_(RootWindow(display_.get(), screen_)),
      visual_(visual),
      depth_(24),
      colormap_(DefaultColormap(display_.get(), screen_)),
      wakeRead_(std::move(wakeRead)),
      wakeWrite_(std::move(wakeWrite)) {
    Display* d = display_.get();
    fcntl(ConnectionNumber(d), F_SETFD, FD_CLOEXEC);
    if (visual_ != DefaultVisual(d, screen_)) {
        ownColormap_ = TXColormap(d, XCreateColormap(d, root_, visual_, AllocNone));
        colormap_ = ownColormap_.Get();
    }
    redShift_ = LowestBit(visual_->red_mask);
    greenShift_ = LowestBit(visual_->green_mask);
    blueShift_ = LowestBit(visual_->blue_mask);

    const char* names[] = {"WM_PROTOCOLS",
                           "WM_DELETE_WINDOW",
                           "WM_CLIENT_MACHINE",
                           "UTF8_STRING",
                           "_NET_WM_NAME",
                           "_NET_WM_ICON",
                           "_NET_WM_PID",
                           "_NET_WM_PING",
                           "_NET_WM_STATE",
                           "_NET_WM_STATE_ABOVE",
                           "_NET_WM_STATE_SKIP_TASKBAR",
                           "_NET_WM_STATE_SKIP_PAGER",
                           "_NET_WM_WINDOW_TYPE",
                           "_NET_WM_WINDOW_TYPE_NORMAL",
                           "_NET_WM_WINDOW_TYPE_DIALOG",
                           "_NET_WM_WINDOW_TYPE_POPUP_MENU",
                           "_NET_ACTIVE_WINDOW",
                           "_MOTIF_WM_HINTS",
                           "_NET_WM_STATE_MODAL",
                           "_NET_WM_WINDOW_TYPE_TOOLTIP",
                           "_NET_WM_USER_TIME",
                           "_NET_FRAME_EXTENTS",
                           "_NET_REQUEST_FRAME_EXTENTS",
                           "_NET_SUPPORTED",
                           "WM_STATE",
                           "AT_SPI_BUS"};
    constexpr int count = int(sizeof names / sizeof names[0]);
    static_assert(sizeof(TX11Atoms) == count * sizeof(Atom));
    Atom atoms[count];
    XInternAtoms(d, const_cast<char**>(names), count, False, atoms);
    std::copy_n(atoms, count, reinterpret_cast<Atom*>(&atoms_));

    int eventBase = 0, errorBase = 0;
    shape_ = XShapeQueryExtension(d, &eventBase, &errorBase);
#ifdef ZT_HAVE_XRANDR
    int major = 0, minor = 0;
    if (XRRQueryExtension(d, &randrEventBase_, &errorBase) && XRRQueryVersion(d, &major, &minor) &&
        (major > 1 || (major == 1 && minor >= 3))) {
        randr_ = true;
        randrMonitors_ = major > 1 || minor >= 5;
        XRRSelectInput(d, root_, RRScreenChangeNotifyMask);
    }
#endif
    // Held keys repeat as presses only, as on the system the program comes from.
    Bool detectable = False;
    XkbSetDetectableAutoRepeat(d, True, &detectable);
    // Xft.dpi is what the user chose for the whole desktop; without it, the density of the
    // X screen (which the server takes from the monitor, or from its -dpi option).
    xftDpi_ = ReadXftDpi();
    int screenDpi = PixelsPerInchOfSize(DisplayWidth(d, screen_), DisplayWidthMM(d, screen_));
    pixelsPerInch_ = xftDpi_ ? xftDpi_ : screenDpi ? screenDpi : 96;
    clockWatch_ = TFileHandle(timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC));
    ArmClockWatch();
    OpenInputMethod();
#ifdef ZT_HAVE_ATSPI
    accessibility_ = StartX11Accessibility(d, root_, atoms_.AT_SPI_BUS);
#endif
}

TX11Backend::~TX11Backend() {
    accessibility_.reset();
    if (inputMethod_ && !X11ConnectionLost()) XCloseIM(inputMethod_);
    cursors_.clear();
    outlineGC_.Reset();
    ownColormap_.Reset();
}

// The input method of the user's locale (XMODIFIERS names a server such as ibus); without
// one, Xlib's own, which composes dead keys and the Compose key by the locale's tables.
// Without a locale Xlib supports (LC_CTYPE "C" included), keys are looked up one by one.
void TX11Backend::OpenInputMethod() {
    Display* d = display_.get();
    if (!XSupportsLocale()) return;
    if (XSetLocaleModifiers("")) inputMethod_ = XOpenIM(d, nullptr, nullptr, nullptr);
    if (!inputMethod_ && XSetLocaleModifiers("@im=none"))
        inputMethod_ = XOpenIM(d, nullptr, nullptr, nullptr);
}

bool TX11Backend::WindowManagerSupports(Atom atom) const {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(display_.get(), root_, atoms_._NET_SUPPORTED, 0, 4096, False, XA_ATOM,
                           &type, &format, &count, &after, &data) == Success &&
        data && format == 32) {
        const auto* atoms = reinterpret_cast<const unsigned long*>(data);
        found = std::find(atoms, atoms + count, atom) != atoms + count;
    }
    if (data) XFree(data);
    return found;
}

bool TX11Backend::MayAskForFrameExtents() const {
    return frameRequestsAnswered_.value_or(true) &&
           WindowManagerSupports(atoms_._NET_REQUEST_FRAME_EXTENTS);
}

TFrameExtents TX11Backend::LastFrame(TWindowKind kind) const {
    auto found = lastFrames_.find(kind);
    return found == lastFrames_.end() ? TFrameExtents{} : found->second;
}

bool TX11Backend::WaitForPropertyChange(Window window, Atom property, int timeoutMs) {
    Display* d = display_.get();
    struct TWanted {
        Window window;
        Atom property;
    } wanted{window, property};
    auto matches = [](Display*, XEvent* event, XPointer arg) -> Bool {
        const auto* w = reinterpret_cast<const TWanted*>(arg);
        return event->type == PropertyNotify && event->xproperty.window == w->window &&
               event->xproperty.atom == w->property;
    };
    const int64_t deadline = NowMs() + timeoutMs;
    XFlush(d);
    for (;;) {
        XEvent event;
        if (XCheckIfEvent(d, &event, matches, reinterpret_cast<XPointer>(&wanted))) return true;
        int64_t left = deadline - NowMs();
        if (left <= 0) return false;
        pollfd fd{ConnectionNumber(d), POLLIN, 0};
        if (poll(&fd, 1, int(left)) < 0 && errno != EINTR) return false;
        // Reads what arrived into Xlib's queue without taking anything out of it.
        XEventsQueued(d, QueuedAfterReading);
    }
}

int TX11Backend::ReadXftDpi() const {
    double dpi = 0;
    if (const char* resources = XResourceManagerString(display_.get())) {
        XrmInitialize();
        if (XrmDatabase db = XrmGetStringDatabase(resources)) {
            char* type = nullptr;
            XrmValue value{};
            if (XrmGetResource(db, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr)
                dpi = std::atof(value.addr);
            XrmDestroyDatabase(db);
        }
    }
    long rounded = std::lround(dpi);
    return rounded >= 48 && rounded <= 480 ? int(rounded) : 0;
}

// Windows ----------------------------------------------------------------------------------------

std::unique_ptr<TNativeWindow> TX11Backend::CreateNativeWindow(const TWindowParams& params) {
    return std::make_unique<TX11Window>(*this, params);
}

void TX11Backend::Register(TX11Window* window) {
    windows_[window->Id()] = window;
}

void TX11Backend::Unregister(TX11Window* window) {
    std::erase_if(windows_, [window](const auto& entry) { return entry.second == window; });
    if (accessibility_) accessibility_->WindowGone(window->Id());
    for (TX11Window* owned : OwnedBy(window))
        owned->OwnerGone();
    // The server ends the grabs of a window that is no longer viewable.
    if (capture_ == window) {
        capture_ = nullptr;
        keyboardGrab_ = false;
    }
}

void TX11Backend::AccessibleChanged(const TX11Window& window) {
    if (accessibility_) accessibility_->WindowChanged(window.AccessibleState());
}

std::vector<TX11Window*> TX11Backend::OwnedBy(const TX11Window* window) const {
    std::vector<TX11Window*> owned;
    for (const auto& entry : windows_)
        if (entry.second->Owner() == window) owned.push_back(entry.second);
    return owned;
}

Cursor TX11Backend::CursorFor(int cursor) {
    unsigned shape = FontCursor(cursor);
    auto found = cursors_.find(int(shape));
    if (found != cursors_.end()) return found->second.Get();
    Display* d = display_.get();
    if (!cursorFont_) cursorFont_ = XLoadFont(d, "cursor");
    Cursor made = PlainGlyphCursor(d, cursorFont_, shape);
    cursors_.emplace(int(shape), TXCursor(d, made));
    return made;
}

void TX11Backend::SendToRoot(Window window, Atom type, long l0, long l1, long l2, long l3) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = l0;
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    XSendEvent(display_.get(), root_, False, SubstructureRedirectMask | SubstructureNotifyMask,
               &event);
}

// Screen --------------------------------------------------------------------------------------

TSize TX11Backend::ScreenSize() const {
    if (screenSize_) return *screenSize_;
    Display* d = display_.get();
    TSize size{DisplayWidth(d, screen_), DisplayHeight(d, screen_)};
#ifdef ZT_HAVE_XRANDR
    if (randr_) {
        if (XRRScreenResources* res = XRRGetScreenResourcesCurrent(d, root_)) {
            auto crtcSize = [&](RRCrtc crtc) -> std::optional<TSize> {
                std::optional<TSize> found;
                if (XRRCrtcInfo* info = XRRGetCrtcInfo(d, res, crtc)) {
                    if (info->mode != 0 && info->width > 0 && info->height > 0)
                        found = TSize{int(info->width), int(info->height)};
                    XRRFreeCrtcInfo(info);
                }
                return found;
            };
            std::optional<TSize> primary;
            if (RROutput output = XRRGetOutputPrimary(d, root_)) {
                if (XRROutputInfo* info = XRRGetOutputInfo(d, res, output)) {
                    if (info->crtc) primary = crtcSize(info->crtc);
                    XRRFreeOutputInfo(info);
                }
            }
            for (int i = 0; !primary && i < res->ncrtc; ++i)
                primary = crtcSize(res->crtcs[i]);
            if (primary) size = *primary;
            XRRFreeScreenResources(res);
        }
    }
#endif
    screenSize_ = size;
    return size;
}

std::vector<TMonitor> TX11Backend::Monitors() const {
    if (!monitors_) {
        monitors_ = ReadMonitors();
        if (monitors_->empty()) {
            Display* d = display_.get();
            monitors_->push_back(
                {{0, 0, DisplayWidth(d, screen_), DisplayHeight(d, screen_)}, pixelsPerInch_});
        }
    }
    return *monitors_;
}

// The monitors RandR (1.5) tells, with their density: Xft.dpi when the user set it, else
// the monitor's size in millimetres. A monitor that reports no size (a virtual screen, a
// projector) has the density of the X screen when it is the only one, else 96.
std::vector<TMonitor> TX11Backend::ReadMonitors() const {
    std::vector<TMonitor> monitors;
#ifdef ZT_HAVE_XRANDR
    if (!randrMonitors_) return monitors;
    Display* d = display_.get();
    int count = 0;
    XRRMonitorInfo* info = XRRGetMonitors(d, root_, True, &count);
    for (int i = 0; i < count; ++i) {
        const XRRMonitorInfo& m = info[i];
        if (m.width <= 0 || m.height <= 0) continue;
        TMonitor monitor{TRect::FromSize(m.x, m.y, m.width, m.height),
                         PixelsPerInchOfSize(m.width, m.mwidth)};
        monitors.insert(m.primary ? monitors.begin() : monitors.end(), monitor);
    }
    if (info) XRRFreeMonitors(info);
    const int screenDpi = PixelsPerInchOfSize(DisplayWidth(d, screen_), DisplayWidthMM(d, screen_));
    for (TMonitor& m : monitors) {
        if (xftDpi_)
            m.PixelsPerInch = xftDpi_;
        else if (m.PixelsPerInch == 0)
            m.PixelsPerInch = monitors.size() == 1 && screenDpi ? screenDpi : 96;
    }
#endif
    return monitors;
}

TPoint TX11Backend::CursorPos() const {
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned mask = 0;
    if (XQueryPointer(display_.get(), root_, &root, &child, &rootX, &rootY, &x, &y, &mask))
        lastPointer_ = {rootX, rootY};
    return lastPointer_;
}

// A popup (a menu) that holds the pointer takes the keyboard as well: it gets the keys
// without having the input focus, which the window manager gives only to managed windows.
void TX11Backend::SetCapture(TNativeWindow* window) {
    Display* d = display_.get();
    auto* target = static_cast<TX11Window*>(window);
    bool wantsKeyboard = target && target->Kind() == TWindowKind::Popup;
    if (keyboardGrab_ && (!wantsKeyboard || target != capture_)) {
        XUngrabKeyboard(d, CurrentTime);
        keyboardGrab_ = false;
    }
    if (target) {
        int result = XGrabPointer(
            d, target->Id(), False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
            GrabModeAsync, GrabModeAsync, None, target->CurrentCursor(), CurrentTime);
        capture_ = result == GrabSuccess ? target : nullptr;
        if (capture_ && wantsKeyboard && !keyboardGrab_)
            keyboardGrab_ = XGrabKeyboard(d, target->Id(), False, GrabModeAsync, GrabModeAsync,
                                          CurrentTime) == GrabSuccess;
    } else {
        if (capture_) XUngrabPointer(d, CurrentTime);
        capture_ = nullptr;
        XFlush(d);
    }
}

void TX11Backend::DrawFocusRectOnScreen(const TRect& rect) {
    if (rect.IsEmpty()) return;
    Display* d = display_.get();
    if (!outlineGC_) {
        XGCValues values{};
        values.function = GXxor;
        values.foreground = (1UL << DefaultDepth(d, screen_)) - 1;
        values.subwindow_mode = IncludeInferiors;
        values.graphics_exposures = False;
        outlineGC_ =
            TXGC(d, XCreateGC(d, root_,
                              GCFunction | GCForeground | GCSubwindowMode | GCGraphicsExposures,
                              &values));
    }
    // The dotted outline: every pixel of the rectangle's edge whose x + y is even, each
    // once, so that drawing it again restores the screen.
    const TRect screen{0, 0, DisplayWidth(d, screen_), DisplayHeight(d, screen_)};
    std::vector<XPoint> points;
    auto add = [&](int x, int y) {
        if (((x + y) & 1) == 0 && screen.Contains({x, y})) points.push_back({short(x), short(y)});
    };
    for (int x = rect.Left; x < rect.Right; ++x) {
        add(x, rect.Top);
        if (rect.Bottom - 1 > rect.Top) add(x, rect.Bottom - 1);
    }
    for (int y = rect.Top + 1; y < rect.Bottom - 1; ++y) {
        add(rect.Left, y);
        if (rect.Right - 1 > rect.Left) add(rect.Right - 1, y);
    }
    if (!points.empty())
        XDrawPoints(d, root_, outlineGC_.Get(), points.data(), int(points.size()), CoordModeOrigin);
    XFlush(d);
}

// Time and events ----------------------------------------------------------------------------

int64_t TX11Backend::NowMs() const {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

int64_t TX11Backend::NowUs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

void TX11Backend::Sleep(int ms) {
    if (ms <= 0) return;
    timespec left{ms / 1000, long(ms % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

void TX11Backend::Wake() {
    // Only write(): this runs in signal handlers. A full pipe already wakes the loop.
    char byte = 1;
    ssize_t written = write(wakeWrite_.Get(), &byte, 1);
    (void)written;
}

void TX11Backend::ArmClockWatch() {
    if (clockWatch_.Get() < 0) return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    itimerspec spec{};
    spec.it_value.tv_sec = now.tv_sec + 366 * 24 * 3600;
    timerfd_settime(clockWatch_.Get(), TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &spec, nullptr);
}

bool TX11Backend::ClockWasSet() {
    if (clockWatch_.Get() < 0) return false;
    uint64_t expirations = 0;
    ssize_t got = read(clockWatch_.Get(), &expirations, sizeof expirations);
    if (got < 0 && errno == EAGAIN) return false;
    // Cancelled (ECANCELED: the clock was set) or, after a year, expired: armed anew.
    ArmClockWatch();
    return got < 0 && errno == ECANCELED;
}

int TX11Backend::WatchedFds(pollfd (&fds)[kMaxWatched]) const {
    // A negative descriptor is skipped by poll.
    fds[0] = {ConnectionNumber(display_.get()), POLLIN, 0};
    fds[1] = {wakeRead_.Get(), POLLIN, 0};
    fds[2] = {clockWatch_.Get(), POLLIN, 0};
    return 3 + (accessibility_ ? accessibility_->Watch(fds + 3) : 0);
}

void TX11Backend::ServeAccessibility(const pollfd (&fds)[kMaxWatched], int count) {
    if (accessibility_) accessibility_->Service(fds + 3, count - 3);
}

void TX11Backend::WaitEvents(int64_t deadlineMs, std::vector<TEvent>& out) {
    const size_t start = out.size();
    Display* d = display_.get();
    for (;;) {
        Drain(out, start);
        if (out.size() > start) return;
        int timeout = -1;
        if (deadlineMs >= 0) {
            int64_t left = deadlineMs - NowMs();
            if (left <= 0) return;
            timeout = int(std::min<int64_t>(left, INT_MAX));
        }
        // An accessibility bus with a call under way wants to be served by its time-out.
        if (int64_t busDeadline = accessibility_ ? accessibility_->DeadlineMs() : -1;
            busDeadline >= 0) {
            int left = int(std::clamp<int64_t>(busDeadline - NowMs(), 0, INT_MAX));
            timeout = timeout < 0 ? left : std::min(timeout, left);
        }
        // Send what is buffered; sending may read events too, which must not wait.
        XFlush(d);
        if (XEventsQueued(d, QueuedAlready) > 0) continue;
        pollfd fds[kMaxWatched];
        const int count = WatchedFds(fds);
        const int ready = poll(fds, nfds_t(count), timeout);
        if (ready < 0 && errno != EINTR) return;
        ServeAccessibility(fds, ready > 0 ? count : 3);
        if (ready == 0)
            NothingWaiting();
        else
            quietUntilUs_ = 0;  // something arrived: the next look reads it
    }
}

// After a look that found nothing to read, the next looks within a millisecond are
// skipped: the handful of messages a timer tick sets off (the timer, the paint) then
// cost no system calls, and input that arrives meanwhile wakes the next wait at once.
void TX11Backend::NothingWaiting() {
    quietUntilUs_ = NowUs() + 1000;
}

bool TX11Backend::KnownQuiet() const {
    return NowUs() < quietUntilUs_;
}

void TX11Backend::Drain(std::vector<TEvent>& out, size_t start) {
    Display* d = display_.get();
    // When neither the connection nor the wake pipe has anything to read, there is
    // nothing to take: one poll instead of a read on each. (Buffered requests go out
    // before the loop sleeps.)
    if (XEventsQueued(d, QueuedAlready) == 0) {
        if (KnownQuiet()) return;
        pollfd fds[kMaxWatched];
        const int count = WatchedFds(fds);
        const int ready = poll(fds, nfds_t(count), 0);
        ServeAccessibility(fds, ready > 0 ? count : 3);
        if (ready == 0) {
            NothingWaiting();
            return;
        }
    }
    // XPending sends what is buffered and reads what has arrived, without blocking.
    while (XPending(d) > 0) {
        XEvent event;
        XNextEvent(d, &event);
        // The input method takes what it composes from (a dead key, say) and gives the
        // result with a later key press.
        if (inputMethod_ && XFilterEvent(&event, None)) continue;
        Translate(event, out, start);
    }
    char bytes[64];
    bool woken = false;
    while (read(wakeRead_.Get(), bytes, sizeof bytes) > 0)
        woken = true;
    if (woken) {
        TEvent wake;
        wake.Kind = TEventKind::Wake;
        wake.TimeMs = NowMs();
        out.push_back(wake);
    }
    if (ClockWasSet()) {
        TEvent changed;
        changed.Kind = TEventKind::TimeChanged;
        changed.TimeMs = NowMs();
        out.push_back(changed);
    }
}

void TX11Backend::Translate(XEvent& event, std::vector<TEvent>& out, size_t start) {
#ifdef ZT_HAVE_XRANDR
    if (randr_ && event.type >= randrEventBase_ && event.type < randrEventBase_ + RRNumberEvents) {
        XRRUpdateConfiguration(&event);
        screenSize_.reset();
        monitors_.reset();
        // A burst of changes (one for each output) is reported once.
        bool reported = std::any_of(out.begin() + ptrdiff_t(start), out.end(), [](const TEvent& e) {
            return e.Kind == TEventKind::ScreenChanged;
        });
        if (!reported) {
            TEvent changed;
            changed.Kind = TEventKind::ScreenChanged;
            changed.TimeMs = NowMs();
            out.push_back(changed);
        }
        return;
    }
#endif
    auto found = windows_.find(event.xany.window);
    if (found == windows_.end()) return;  // a window destroyed since, or not ours
    TX11Window* window = found->second;
    TEvent e;
    e.Window = window;
    e.TimeMs = NowMs();
    switch (event.type) {
        case ButtonPress:
        case ButtonRelease: {
            const XButtonEvent& b = event.xbutton;
            lastInputTime_ = b.time;
            if (b.button >= 4 && b.button <= 7) {
                // The wheel: each notch is a press and a release of button 4 (up), 5
                // (down), 6 (left) or 7 (right); the press counts.
                if (event.type != ButtonPress) return;
                e.Kind = TEventKind::Wheel;
                e.ScreenPos = {b.x_root, b.y_root};
                e.Modifiers = Modifiers(b.state);
                e.Horizontal = b.button >= 6;
                e.Delta = b.button == 4 || b.button == 7 ? kWheelNotch : -kWheelNotch;
                lastPointer_ = e.ScreenPos;
                out.push_back(e);
                return;
            }
            unsigned bit = ButtonBit(b.button);
            if (!bit) return;  // the extra buttons
            bool down = event.type == ButtonPress;
            e.Kind = down ? TEventKind::ButtonDown : TEventKind::ButtonUp;
            e.ScreenPos = {b.x_root, b.y_root};
            e.Button = int(b.button);
            // The state is that before the event: a press holds its button, a release not.
            e.Modifiers = down ? (Modifiers(b.state) | bit) : (Modifiers(b.state) & ~bit);
            lastPointer_ = e.ScreenPos;
            // A click gives a managed window the keyboard, also where the window manager
            // does not (a window shown without taking the focus, under some managers).
            if (down && !IsUnmanaged(window->Kind())) window->TakeFocusOnClick(b.time);
            out.push_back(e);
            return;
        }
        case MotionNotify: {
            const XMotionEvent& m = event.xmotion;
            e.Kind = TEventKind::MouseMove;
            e.ScreenPos = {m.x_root, m.y_root};
            e.Modifiers = Modifiers(m.state);
            lastPointer_ = e.ScreenPos;
            // A burst of moves counts as its last one.
            if (out.size() > start && out.back().Kind == TEventKind::MouseMove &&
                out.back().Window == window && out.back().Modifiers == e.Modifiers) {
                out.back() = e;
            } else {
                out.push_back(e);
            }
            return;
        }
        case KeyPress:
        case KeyRelease:
            TranslateKey(event.xkey, window, out);
            return;
        case FocusIn:
        case FocusOut:
            window->FocusChanged(event.type == FocusIn);
            return;
        case PropertyNotify:
            if (window->PropertyChanged(event.xproperty.atom)) {
                e.Kind = TEventKind::FrameChanged;
                out.push_back(e);
            }
            return;
        case ConfigureNotify:
            if (std::optional<TRect> moved = window->Configured(event.xconfigure)) {
                e.Kind = TEventKind::Moved;
                e.Rect = *moved;
                out.push_back(e);
            }
            return;
        case ReparentNotify:
            window->Reparented(event.xreparent.parent);
            return;
        case DestroyNotify:
            // Only another client can have destroyed it: the program's own windows leave
            // the table before they are destroyed.
            if (event.xdestroywindow.window != window->Id()) return;
            e.Kind = TEventKind::Destroyed;
            out.push_back(e);
            return;
        case MapNotify:
            window->Mapped();
            window->MaybeTakeFocus();
            return;
        case VisibilityNotify:
            window->MaybeTakeFocus();
            return;
        case ClientMessage: {
            XClientMessageEvent& c = event.xclient;
            if (c.message_type != atoms_.WM_PROTOCOLS || c.format != 32) return;
            Atom protocol = Atom(c.data.l[0]);
            if (protocol == atoms_.WM_DELETE_WINDOW) {
                e.Kind = TEventKind::CloseRequest;
                out.push_back(e);
            } else if (protocol == atoms_._NET_WM_PING) {
                // The window manager checks that the program answers.
                c.window = root_;
                XSendEvent(display_.get(), root_, False,
                           SubstructureRedirectMask | SubstructureNotifyMask, &event);
            }
            return;
        }
        default:
            return;
    }
}

void TX11Backend::TranslateKey(XKeyEvent& k, TX11Window* window, std::vector<TEvent>& out) {
    lastInputTime_ = k.time;
    TEvent e;
    e.Window = window;
    e.TimeMs = NowMs();
    e.ScreenPos = {k.x_root, k.y_root};
    e.Modifiers = Modifiers(k.state);
    // An input method may send its text as a press of no key (keycode 0).
    const unsigned long baseKeysym = k.keycode ? XLookupKeysym(&k, 0) : 0;
    if (k.type == KeyRelease) {
        e.Kind = TEventKind::KeyUp;
        e.Key = VirtualKeyFromKeysym(baseKeysym);
        if (e.Key) out.push_back(e);
        return;
    }
    std::string text;
    KeySym keysym = 0;
    if (XIC context = window->InputContext()) {
        char buffer[64];
        Status status = 0;
        int length = Xutf8LookupString(context, &k, buffer, sizeof buffer, &keysym, &status);
        if (status == XBufferOverflow) {
            std::string longer(size_t(length), '\0');
            length = Xutf8LookupString(context, &k, longer.data(), length, &keysym, &status);
            text = longer.substr(0, size_t(std::max(length, 0)));
        } else if (status == XLookupChars || status == XLookupBoth) {
            text.assign(buffer, size_t(std::max(length, 0)));
        }
    } else {
        // No input method: Latin-1 from the keymap, made UTF-8.
        char buffer[16] = {};
        int length = XLookupString(&k, buffer, sizeof buffer, &keysym, nullptr);
        for (int i = 0; i < length; ++i) {
            auto c = uint8_t(buffer[i]);
            if (c < 0x80) {
                text += char(c);
            } else {
                text += char(0xC0 | (c >> 6));
                text += char(0x80 | (c & 0x3F));
            }
        }
    }
    TKeyPress press = TranslateKeyPress(baseKeysym, keysym, text, k.state);
    e.Kind = TEventKind::KeyDown;
    e.Key = press.Key;
    if (e.Key) out.push_back(e);
    for (uint32_t ch : press.Chars) {
        TEvent c = e;
        c.Kind = press.System ? TEventKind::SysChar : TEventKind::Char;
        c.Key = 0;
        c.Char = ch;
        out.push_back(c);
    }
}

}  // namespace native
