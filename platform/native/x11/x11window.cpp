#include "platform/native/x11/x11window.h"

#include <X11/Xatom.h>
#include <X11/extensions/shape.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

#include "platform/native/x11/x11backend.h"

namespace native {

namespace {

// Motif window manager hints: which fields are valid, and the functions and decorations a
// window asks for.
constexpr long kMwmHintsFunctions = 1;
constexpr long kMwmHintsDecorations = 2;
constexpr long kMwmFuncMove = 4;
constexpr long kMwmFuncClose = 32;
constexpr long kMwmDecorBorder = 2;
constexpr long kMwmDecorTitle = 8;
constexpr long kMwmDecorMenu = 16;

// Bounds kept for matching configure notifications against own requests.
constexpr size_t kMaxRequests = 32;

// How long a window waits for the window manager to say how large its frame will be.
constexpr int kFrameExtentsWaitMs = 1000;

// A UTF-8 text as Latin-1, when every character has a Latin-1 code.
std::optional<std::string> Latin1(const std::string& utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        auto c = uint8_t(utf8[i]);
        if (c < 0x80) {
            out += char(c);
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size() &&
                   (uint8_t(utf8[i + 1]) & 0xC0) == 0x80) {
            out += char(((c & 0x03) << 6) | (uint8_t(utf8[i + 1]) & 0x3F));
            ++i;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

// Rectangles for the SHAPE extension, whose coordinates are 16 bits wide.
std::vector<XRectangle> ToXRectangles(const std::vector<TRect>& rects) {
    const TRect limit{SHRT_MIN, SHRT_MIN, SHRT_MAX, SHRT_MAX};
    std::vector<XRectangle> out;
    out.reserve(rects.size());
    for (const TRect& rect : rects) {
        TRect r = rect.Intersect(limit);
        if (r.IsEmpty()) continue;
        out.push_back(
            {short(r.Left), short(r.Top), (unsigned short)r.Width(), (unsigned short)r.Height()});
    }
    return out;
}

}  // namespace

TX11Window::TX11Window(TX11Backend& backend, const TWindowParams& params)
    : backend_(backend),
      display_(backend.XDisplay()),
      kind_(params.Kind),
      owner_(static_cast<TX11Window*>(params.Owner)),
      bounds_(params.Bounds),
      parent_(backend.Root()),
      stayOnTop_(params.StayOnTop),
      taskbarButton_(params.TaskbarButton),
      borderless_(params.Borderless),
      resizable_(params.Resizable && params.Kind != TWindowKind::Dialog) {
    const TX11Atoms& atoms = backend_.Atoms();
    int width = std::max(1, bounds_.Width());
    int height = std::max(1, bounds_.Height());
    XSetWindowAttributes attributes{};
    attributes.background_pixel = 0;
    attributes.border_pixel = 0;
    attributes.colormap = backend_.XColormap();
    attributes.event_mask = StructureNotifyMask | ButtonPressMask | ButtonReleaseMask |
                            PointerMotionMask | KeyPressMask | KeyReleaseMask | FocusChangeMask |
                            PropertyChangeMask;
    // A dialog learns when it becomes viewable (its frame mapped too), to take the focus.
    if (kind_ == TWindowKind::Dialog) attributes.event_mask |= VisibilityChangeMask;
    attributes.override_redirect = IsUnmanaged(kind_);
    // No cursor of its own yet: the arrow is defined when the pointer first comes over the
    // window (SetCursorShape), so starting does not load the cursor theme.
    unsigned long mask =
        CWBackPixel | CWBorderPixel | CWColormap | CWEventMask | CWOverrideRedirect;
    window_ =
        TXWindow(display_, XCreateWindow(display_, backend_.Root(), bounds_.Left, bounds_.Top,
                                         unsigned(width), unsigned(height), 0, backend_.Depth(),
                                         InputOutput, backend_.XVisual(), mask, &attributes));
    cursorDefined_ = true;

    // WM_CLASS: the instance is the program's name, the class the same capitalised, as
    // ICCCM has it ("zentick-hexedit", "Zentick-hexedit").
    std::string instanceName = params.ClassName;
    std::string className = params.ClassName;
    if (!className.empty() && className[0] >= 'a' && className[0] <= 'z')
        className[0] = char(className[0] - 'a' + 'A');
    XClassHint classHint{instanceName.data(), className.data()};
    XSetClassHint(display_, Id(), &classHint);
    if (kind_ != TWindowKind::Popup) WriteIcon(params.Icon);
    SetTitle(params.Title);
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) == 0)
        XChangeProperty(display_, Id(), atoms.WM_CLIENT_MACHINE, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<unsigned char*>(host), int(strnlen(host, sizeof host)));
    long pid = long(getpid());
    XChangeProperty(display_, Id(), atoms._NET_WM_PID, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&pid), 1);
    Atom protocols[] = {atoms.WM_DELETE_WINDOW, atoms._NET_WM_PING};
    XSetWMProtocols(display_, Id(), protocols, 2);
    XWMHints hints{};
    hints.flags = InputHint | StateHint;
    hints.input = True;
    hints.initial_state = NormalState;
    XSetWMHints(display_, Id(), &hints);
    WriteNormalHints();
    Atom type = kind_ == TWindowKind::Dialog    ? atoms._NET_WM_WINDOW_TYPE_DIALOG
                : kind_ == TWindowKind::Popup   ? atoms._NET_WM_WINDOW_TYPE_POPUP_MENU
                : kind_ == TWindowKind::Tooltip ? atoms._NET_WM_WINDOW_TYPE_TOOLTIP
                                                : atoms._NET_WM_WINDOW_TYPE_NORMAL;
    XChangeProperty(display_, Id(), atoms._NET_WM_WINDOW_TYPE, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&type), 1);
    if (kind_ == TWindowKind::Dialog && owner_) XSetTransientForHint(display_, Id(), owner_->Id());
    WriteMotifHints();
    WriteState();
    Resize(width, height);
    if (kind_ == TWindowKind::Tooltip && backend_.HasShape()) {
        // The pointer goes through a tip to the window under it: an empty input shape.
        XShapeCombineRectangles(display_, Id(), ShapeInput, 0, 0, nullptr, 0, ShapeSet, YXBanded);
    }
    if (XIM im = backend_.InputMethod(); im && !IsUnmanaged(kind_)) {
        inputContext_ = XCreateIC(im, XNInputStyle, XIMPreeditNothing | XIMStatusNothing,
                                  XNClientWindow, Id(), XNFocusWindow, Id(), nullptr);
        long filter = 0;
        if (inputContext_ && !XGetICValues(inputContext_, XNFilterEvents, &filter, nullptr))
            XSelectInput(display_, Id(), attributes.event_mask | filter);
    }
    backend_.Register(this);
}

TX11Window::~TX11Window() {
    backend_.Unregister(this);
    if (inputContext_ && !X11ConnectionLost()) XDestroyIC(inputContext_);
    image_.reset();
    gc_.Reset();
    pixmap_.Reset();
    window_.Reset();
    Flush();
}

void TX11Window::Flush() {
    if (!X11ConnectionLost()) XFlush(display_);
}

Cursor TX11Window::CurrentCursor() const {
    return backend_.CursorFor(cursor_);
}

// Window manager properties ------------------------------------------------------------------

void TX11Window::WriteIcon(std::span<const TIconImage> icon) {
    // _NET_WM_ICON: width, height and the pixels of each size, one after the other, as
    // 32-bit CARDINALs, which Xlib takes as longs.
    std::vector<long> data;
    for (const TIconImage& image : icon) {
        if (image.Width <= 0 || image.Height <= 0 || image.Pixels == nullptr) continue;
        data.push_back(image.Width);
        data.push_back(image.Height);
        const size_t count = size_t(image.Width) * size_t(image.Height);
        data.insert(data.end(), image.Pixels, image.Pixels + count);
    }
    if (data.empty()) return;
    XChangeProperty(display_, Id(), backend_.Atoms()._NET_WM_ICON, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(data.data()), int(data.size()));
}

void TX11Window::WriteNormalHints() {
    XSizeHints hints{};
    // The program's own position, kept by the window manager: static gravity puts the
    // window's own corner (not its frame's) at the position asked for.
    hints.flags = USPosition | PPosition | USSize | PSize | PWinGravity;
    hints.x = bounds_.Left;
    hints.y = bounds_.Top;
    hints.width = std::max(1, bounds_.Width());
    hints.height = std::max(1, bounds_.Height());
    hints.win_gravity = StaticGravity;
    // A window of fixed size says so: a tiling window manager then floats it at its size
    // instead of stretching it over a tile.
    if (!resizable_) {
        hints.flags |= PMinSize | PMaxSize;
        hints.min_width = hints.max_width = hints.width;
        hints.min_height = hints.max_height = hints.height;
    }
    XSetWMNormalHints(display_, Id(), &hints);
}

void TX11Window::WriteState() {
    aboveApplied_ = StaysAbove();
    if (IsUnmanaged(kind_)) return;
    const TX11Atoms& atoms = backend_.Atoms();
    std::vector<Atom> state;
    if (modal_) state.push_back(atoms._NET_WM_STATE_MODAL);
    if (aboveApplied_) state.push_back(atoms._NET_WM_STATE_ABOVE);
    if (!taskbarButton_) {
        state.push_back(atoms._NET_WM_STATE_SKIP_TASKBAR);
        state.push_back(atoms._NET_WM_STATE_SKIP_PAGER);
    }
    XChangeProperty(display_, Id(), atoms._NET_WM_STATE, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(state.data()), int(state.size()));
}

void TX11Window::ChangeState(bool add, Atom first, Atom second) {
    // Action 1 adds, 0 removes; source 1 is a normal application.
    backend_.SendToRoot(Id(), backend_.Atoms()._NET_WM_STATE, add ? 1 : 0, long(first),
                        long(second), 1);
}

void TX11Window::WriteMotifHints() {
    if (IsUnmanaged(kind_)) return;
    Atom motif = backend_.Atoms()._MOTIF_WM_HINTS;
    // Fields: flags, functions, decorations, input mode, status.
    long hints[5] = {};
    if (borderless_) {
        hints[0] = kMwmHintsDecorations;
    } else if (kind_ == TWindowKind::Dialog) {
        // A dialog's frame: a title bar with a close button, moved but never resized,
        // minimised or maximised.
        hints[0] = kMwmHintsFunctions | kMwmHintsDecorations;
        hints[1] = kMwmFuncMove | kMwmFuncClose;
        hints[2] = kMwmDecorBorder | kMwmDecorTitle | kMwmDecorMenu;
    } else {
        XDeleteProperty(display_, Id(), motif);
        return;
    }
    XChangeProperty(display_, Id(), motif, motif, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(hints), 5);
}

void TX11Window::SetTitle(const std::string& title) {
    const TX11Atoms& atoms = backend_.Atoms();
    auto bytes = [](const std::string& s) {
        return reinterpret_cast<unsigned char*>(const_cast<char*>(s.data()));
    };
    if (std::optional<std::string> latin1 = Latin1(title)) {
        XChangeProperty(display_, Id(), XA_WM_NAME, XA_STRING, 8, PropModeReplace, bytes(*latin1),
                        int(latin1->size()));
    } else {
        XChangeProperty(display_, Id(), XA_WM_NAME, atoms.UTF8_STRING, 8, PropModeReplace,
                        bytes(title), int(title.size()));
    }
    XChangeProperty(display_, Id(), atoms._NET_WM_NAME, atoms.UTF8_STRING, 8, PropModeReplace,
                    bytes(title), int(title.size()));
    Flush();
    title_ = title;
    backend_.AccessibleChanged(*this);
}

void TX11Window::SetAccessibleName(const std::string& name) {
    if (name == accessibleName_) return;
    accessibleName_ = name;
    backend_.AccessibleChanged(*this);
}

atspi::TAccessibleWindow TX11Window::AccessibleState() const {
    atspi::TAccessibleWindow state;
    state.Id = Id();
    state.Name = accessibleName_;
    state.Title = title_;
    state.Bounds = bounds_;
    state.Visible = visible_;
    state.Focused = focused_;
    state.Dialog = kind_ == TWindowKind::Dialog;
    state.Modal = modal_;
    return state;
}

void TX11Window::SetStayOnTop(bool onTop) {
    stayOnTop_ = onTop;
    UpdateAbove(true);
    Flush();
}

void TX11Window::UpdateAbove(bool force) {
    bool above = StaysAbove();
    if (above != aboveApplied_ || force) {
        if (!IsUnmanaged(kind_) && visible_) {
            aboveApplied_ = above;
            ChangeState(above, backend_.Atoms()._NET_WM_STATE_ABOVE, 0);
        } else {
            WriteState();
        }
    }
    for (TX11Window* owned : backend_.OwnedBy(this))
        owned->UpdateAbove(false);
}

void TX11Window::OwnerGone() {
    owner_ = nullptr;
    UpdateAbove(false);
}

void TX11Window::SetActivateOnShow(bool activate) {
    if (IsUnmanaged(kind_) || visible_) return;
    Atom userTime = backend_.Atoms()._NET_WM_USER_TIME;
    if (activate) {
        XDeleteProperty(display_, Id(), userTime);
    } else {
        // A user time of 0: the window manager does not give it the focus when it maps.
        long never = 0;
        XChangeProperty(display_, Id(), userTime, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&never), 1);
    }
}

void TX11Window::SetModal(bool modal) {
    if (modal == modal_) return;
    modal_ = modal;
    if (IsUnmanaged(kind_)) return;
    if (visible_) {
        ChangeState(modal, backend_.Atoms()._NET_WM_STATE_MODAL, 0);
    } else {
        WriteState();
    }
    Flush();
    backend_.AccessibleChanged(*this);
}

bool TX11Window::ReadFrameExtents() {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(display_, Id(), backend_.Atoms()._NET_FRAME_EXTENTS, 0, 4, False,
                           XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
        data && format == 32 && count == 4) {
        const auto* values = reinterpret_cast<const long*>(data);
        auto side = [](long v) { return int(std::clamp(v, 0L, 1000L)); };
        frameExtents_ = {side(values[0]), side(values[2]), side(values[1]), side(values[3])};
        frameExtentsKnown_ = found = true;
        if (!borderless_) backend_.RememberFrame(kind_, frameExtents_);
    }
    if (data) XFree(data);
    return found;
}

// The window manager sets _NET_FRAME_EXTENTS when it frames the window; before the first
// map a window asks for it (_NET_REQUEST_FRAME_EXTENTS), where the window manager offers
// that, and waits a moment for the answer. Some window managers offer it and never answer
// (fluxbox): after one unanswered request nobody asks again, and a window not framed yet
// is told the frame the window manager gave the last window of its kind (none at first).
// When the frame comes and is another one than told, the window reports FrameChanged.
TFrameExtents TX11Window::FrameExtents() {
    if (IsUnmanaged(kind_)) return {};
    if (!frameExtentsKnown_ && !ReadFrameExtents() && !borderless_ && !visible_ &&
        !frameExtentsAsked_ && backend_.MayAskForFrameExtents()) {
        frameExtentsAsked_ = true;
        const TX11Atoms& atoms = backend_.Atoms();
        backend_.SendToRoot(Id(), atoms._NET_REQUEST_FRAME_EXTENTS, 0);
        backend_.FrameExtentsAnswered(
            backend_.WaitForPropertyChange(Id(), atoms._NET_FRAME_EXTENTS, kFrameExtentsWaitMs) &&
            ReadFrameExtents());
    }
    TFrameExtents told = frameExtentsKnown_ ? frameExtents_
                         : borderless_      ? TFrameExtents{}
                                            : backend_.LastFrame(kind_);
    toldFrame_ = told;
    return told;
}

bool TX11Window::PropertyChanged(Atom property) {
    const TX11Atoms& atoms = backend_.Atoms();
    bool frameChanged = false;
    if (property == atoms._NET_FRAME_EXTENTS && ReadFrameExtents() && toldFrame_ &&
        *toldFrame_ != frameExtents_) {
        toldFrame_ = frameExtents_;  // told by the report
        frameChanged = true;
    }
    if (property == atoms.WM_STATE && modal_ && visible_) {
        // A modal dialog is not minimised, whatever the window manager offers: minimised,
        // it would leave its owner disabled and nothing on the screen to bring either back.
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display_, Id(), atoms.WM_STATE, 0, 2, False, atoms.WM_STATE, &type,
                               &format, &count, &after, &data) == Success &&
            data && format == 32 && count >= 1 &&
            reinterpret_cast<const long*>(data)[0] == IconicState) {
            // Back with the keyboard: taken once it shows again (MaybeTakeFocus), whether or
            // not the window manager grants the activation asked for below.
            focusPending_ = true;
            XMapWindow(display_, Id());
            long ownerId = owner_ ? long(owner_->Id()) : 0;
            backend_.SendToRoot(Id(), atoms._NET_ACTIVE_WINDOW, 1, long(backend_.LastInputTime()),
                                ownerId);
            Flush();
        }
        if (data) XFree(data);
    }
    return frameChanged;
}

void TX11Window::TakeFocusOnClick(Time time) {
    if (!visible_) return;
    // The user's last use of the window, as window managers weigh it for focus.
    long userTime = long(time);
    XChangeProperty(display_, Id(), backend_.Atoms()._NET_WM_USER_TIME, XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(&userTime), 1);
    if (!focused_) XSetInputFocus(display_, Id(), RevertToParent, time);
    Flush();
}

void TX11Window::FocusChanged(bool focused) {
    if (focused != focused_) {
        focused_ = focused;
        backend_.AccessibleChanged(*this);
    }
    if (!inputContext_) return;
    if (focused) {
        XSetICFocus(inputContext_);
    } else {
        XUnsetICFocus(inputContext_);
    }
}

void TX11Window::SetTaskbarButton(bool visible) {
    taskbarButton_ = visible;
    if (IsUnmanaged(kind_)) return;
    if (visible_) {
        const TX11Atoms& atoms = backend_.Atoms();
        ChangeState(!visible, atoms._NET_WM_STATE_SKIP_TASKBAR, atoms._NET_WM_STATE_SKIP_PAGER);
    } else {
        WriteState();
    }
    Flush();
}

void TX11Window::SetBorderless(bool borderless) {
    borderless_ = borderless;
    WriteMotifHints();
    Flush();
}

// Geometry and visibility ----------------------------------------------------------------------

void TX11Window::SetBounds(const TRect& screenBounds) {
    if (screenBounds == bounds_) return;
    bounds_ = screenBounds;
    if (!resizable_) WriteNormalHints();
    // The new background first: the server paints a grown window's new part from it (the
    // old one would be tiled there until the next present).
    Resize(std::max(1, bounds_.Width()), std::max(1, bounds_.Height()));
    RequestBounds();
    Flush();
    backend_.AccessibleChanged(*this);
}

void TX11Window::RequestBounds() {
    int width = std::max(1, bounds_.Width());
    int height = std::max(1, bounds_.Height());
    XMoveResizeWindow(display_, Id(), bounds_.Left, bounds_.Top, unsigned(width), unsigned(height));
    requested_.push_back(TRect::FromSize(bounds_.Left, bounds_.Top, width, height));
    if (requested_.size() > kMaxRequests) requested_.pop_front();
}

TRect TX11Window::ServerBounds() const {
    Window root = 0, child = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    XGetGeometry(display_, Id(), &root, &x, &y, &width, &height, &border, &depth);
    XTranslateCoordinates(display_, Id(), backend_.Root(), 0, 0, &x, &y, &child);
    return TRect::FromSize(x, y, int(width), int(height));
}

std::optional<TRect> TX11Window::Configured(const XConfigureEvent& event) {
    if (placement_ == TPlacement::Awaited) return std::nullopt;
    if (placement_ == TPlacement::Correcting) {
        if (event.serial < correctionSerial_) return std::nullopt;
        placement_ = TPlacement::Settled;
    }
    TRect reported;
    if (event.send_event || parent_ == backend_.Root()) {
        // Synthetic notifications (from the window manager) are in root coordinates, and
        // so are real ones while the window is not reparented.
        reported = TRect::FromSize(event.x, event.y, event.width, event.height);
    } else {
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(display_, Id(), backend_.Root(), 0, 0, &x, &y, &child);
        reported = TRect::FromSize(x, y, event.width, event.height);
    }
    auto own = std::find(requested_.begin(), requested_.end(), reported);
    if (own != requested_.end()) {
        bool overtaken = own + 1 != requested_.end();
        requested_.erase(requested_.begin(), own + 1);
        if (overtaken) return std::nullopt;
    } else {
        requested_.clear();
    }
    // A window asked to be 0 pixels wide is 1 pixel wide on the server; that is no news.
    if (reported.Left == bounds_.Left && reported.Top == bounds_.Top &&
        reported.Width() == std::max(1, bounds_.Width()) &&
        reported.Height() == std::max(1, bounds_.Height()))
        return bounds_;
    bounds_ = reported;
    backend_.AccessibleChanged(*this);
    return reported;
}

// Window managers place a new window where it asks to be, its own top-left corner there
// (static gravity), or elsewhere if they must; the window learns where once it is mapped.
// Some place it elsewhere at first only: i3 puts a borderless window a frame's width and
// title bar further in, and then honours a move like any other. So a window placed
// elsewhere than it asked asks once more, and whatever the answer, keeps it.
void TX11Window::Mapped() {
    if (placement_ != TPlacement::Awaited) return;
    const TRect placed = ServerBounds();
    const TRect asked = TRect::FromSize(bounds_.Left, bounds_.Top, std::max(1, bounds_.Width()),
                                        std::max(1, bounds_.Height()));
    if (placed == asked) {
        placement_ = TPlacement::Settled;
        return;
    }
    placement_ = TPlacement::Correcting;
    correctionSerial_ = NextRequest(display_);
    requested_.clear();
    RequestBounds();
    Flush();
}

void TX11Window::Show(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    focusPending_ = false;
    placement_ = visible && !IsUnmanaged(kind_) ? TPlacement::Awaited : TPlacement::Settled;
    if (visible) {
        if (IsUnmanaged(kind_)) {
            XMapRaised(display_, Id());
        } else {
            // The window manager drops the state of a withdrawn window: write it again.
            WriteState();
            XMapWindow(display_, Id());
        }
        if (kind_ == TWindowKind::Dialog) {
            // A dialog is for the keys at once (Enter, Escape): ask the window manager to
            // activate it (source 1: an application; its window manager has it by the time
            // the message arrives, as the map request came first), and take the focus
            // when it is viewable in case the window manager declines.
            focusPending_ = true;
            long ownerId = owner_ ? long(owner_->Id()) : 0;
            backend_.SendToRoot(Id(), backend_.Atoms()._NET_ACTIVE_WINDOW, 1,
                                long(backend_.LastInputTime()), ownerId);
        }
    } else {
        if (IsUnmanaged(kind_)) {
            XUnmapWindow(display_, Id());
        } else {
            // A dialog that had the keyboard hands it back to its owner, as on Windows,
            // rather than to whatever window the window manager would pick.
            if (kind_ == TWindowKind::Dialog && focused_ && owner_ && owner_->visible_)
                XSetInputFocus(display_, owner_->Id(), RevertToParent, CurrentTime);
            XWithdrawWindow(display_, Id(), XDefaultScreen(display_));
        }
    }
    Flush();
    backend_.AccessibleChanged(*this);
}

void TX11Window::MaybeTakeFocus() {
    if (!focusPending_ || !visible_) return;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display_, Id(), &attributes) || attributes.map_state != IsViewable)
        return;
    focusPending_ = false;
    XSetInputFocus(display_, Id(), RevertToParent, CurrentTime);
    Flush();
}

void TX11Window::Raise() {
    XRaiseWindow(display_, Id());
    Flush();
}

void TX11Window::SetCursorShape(int cursor) {
    if (cursorDefined_ && cursor == cursor_) return;
    cursor_ = cursor;
    cursorDefined_ = true;
    XDefineCursor(display_, Id(), backend_.CursorFor(cursor));
    Flush();
}

// Pixels and shape
// ---------------------------------------------------------------------------------

void TX11Window::Resize(int width, int height) {
    if (pixmap_ && surface_ == TSize{width, height}) return;
    TXPixmap pixmap(display_, XCreatePixmap(display_, Id(), unsigned(width), unsigned(height),
                                            unsigned(backend_.Depth())));
    if (!gc_) {
        XGCValues values{};
        values.graphics_exposures = False;
        gc_ = TXGC(display_, XCreateGC(display_, pixmap.Get(), GCGraphicsExposures, &values));
    }
    XSetForeground(display_, gc_.Get(), backend_.PixelOf(0, 0, 0));
    XFillRectangle(display_, pixmap.Get(), gc_.Get(), 0, 0, unsigned(width), unsigned(height));
    std::vector<uint32_t> pixels(size_t(width) * size_t(height), backend_.PixelOf(0, 0, 0));
    std::vector<uint8_t> shown(size_t(width) * size_t(height) * 3, 0);
    int keepWidth = std::min(width, surface_.cx);
    int keepHeight = std::min(height, surface_.cy);
    if (pixmap_ && keepWidth > 0 && keepHeight > 0) {
        XCopyArea(display_, pixmap_.Get(), pixmap.Get(), gc_.Get(), 0, 0, unsigned(keepWidth),
                  unsigned(keepHeight), 0, 0);
        for (int y = 0; y < keepHeight; ++y) {
            std::copy_n(pixels_.begin() + ptrdiff_t(y) * surface_.cx, keepWidth,
                        pixels.begin() + ptrdiff_t(y) * width);
            std::copy_n(shown_.begin() + ptrdiff_t(y) * surface_.cx * 3, keepWidth * 3,
                        shown.begin() + ptrdiff_t(y) * width * 3);
        }
    }
    image_.reset();
    pixmap_ = std::move(pixmap);
    pixels_ = std::move(pixels);
    shown_ = std::move(shown);
    surface_ = {width, height};
    image_ = TXImagePtr(XCreateImage(display_, backend_.XVisual(), unsigned(backend_.Depth()),
                                     ZPixmap, 0, reinterpret_cast<char*>(pixels_.data()),
                                     unsigned(width), unsigned(height), 32, width * 4));
    // The buffer holds pixel values in the client's byte order; Xlib swaps when the
    // server's differs.
    image_->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    XSetWindowBackgroundPixmap(display_, Id(), pixmap_.Get());
    keyMask_.Reset();
}

void TX11Window::Present(const TBitmap& frame, const TRect& dirty) {
    if (X11ConnectionLost()) return;
    int width = frame.Width(), height = frame.Height();
    if (width <= 0 || height <= 0) return;
    TRect area = dirty.Intersect({0, 0, width, height});
    if (surface_ != TSize{width, height}) {
        Resize(width, height);
        area = {0, 0, width, height};
    }
    if (area.IsEmpty()) return;
    // Only the pixels that differ from what the server has go over: a clock's second
    // changes a few cells, not the whole area that was painted. Rows are compared as
    // they come (blue, green, red), so unchanged rows cost one memcmp.
    TRect changed;
    for (int y = area.Top; y < area.Bottom; ++y) {
        uint32_t* out = pixels_.data() + size_t(y) * size_t(width);
        uint8_t* shown = shown_.data() + size_t(y) * size_t(width) * 3;
        int first = area.Left, last = area.Right - 1;
        if (frame.PixelFormat() == pf24bit) {
            const uint8_t* in = frame.ScanLine(y);
            if (std::memcmp(in + 3 * first, shown + 3 * first, size_t(3 * (last - first + 1))) == 0)
                continue;
            while (first <= last && std::memcmp(in + 3 * first, shown + 3 * first, 3) == 0)
                ++first;
            while (last >= first && std::memcmp(in + 3 * last, shown + 3 * last, 3) == 0)
                --last;
            if (first > last) continue;
            std::memcpy(shown + 3 * first, in + 3 * first, size_t(3 * (last - first + 1)));
        } else {
            for (int x = first; x <= last; ++x) {
                TColor c = frame.Pixel(x, y);
                shown[3 * x] = GetBValue(c);
                shown[3 * x + 1] = GetGValue(c);
                shown[3 * x + 2] = GetRValue(c);
            }
        }
        for (int x = first; x <= last; ++x) {
            const uint8_t* p = shown + 3 * x;
            out[x] = backend_.PixelOf(p[2], p[1], p[0]);
        }
        changed = changed.Union({first, y, last + 1, y + 1});
    }
    if (changed.IsEmpty()) return;
    area = changed;
    XPutImage(display_, pixmap_.Get(), gc_.Get(), image_.get(), area.Left, area.Top, area.Left,
              area.Top, unsigned(area.Width()), unsigned(area.Height()));
    // The server may have copied the pixmap when it became the background: set it again so
    // the new pixels are what uncovered parts show.
    XSetWindowBackgroundPixmap(display_, Id(), pixmap_.Get());
    XClearArea(display_, Id(), area.Left, area.Top, unsigned(area.Width()), unsigned(area.Height()),
               False);
    if (colorKey_) {
        TColor key = *colorKey_;
        uint32_t keyPixel = backend_.PixelOf(GetRValue(key), GetGValue(key), GetBValue(key));
        if (keyMask_.Update(pixels_.data(), width, height, width, area.Top, area.Bottom, keyPixel))
            ApplyShape();
    }
    Flush();
}

void TX11Window::SetShape(const TRegion* shape) {
    if (shape) {
        shape_ = *shape;
    } else {
        shape_.reset();
    }
    ApplyShape();
    Flush();
}

void TX11Window::SetColorKey(std::optional<TColor> key) {
    if (key) key = ColorToRGB(*key);
    if (key == colorKey_) return;
    colorKey_ = key;
    if (key) {
        uint32_t keyPixel = backend_.PixelOf(GetRValue(*key), GetGValue(*key), GetBValue(*key));
        keyMask_.Reset();
        keyMask_.Update(pixels_.data(), surface_.cx, surface_.cy, surface_.cx, 0, surface_.cy,
                        keyPixel);
    }
    ApplyShape();
    Flush();
}

void TX11Window::ApplyShape() {
    if (!backend_.HasShape()) return;
    std::optional<std::vector<TRect>> rects;
    if (colorKey_) {
        TRegion visible = keyMask_.Region();
        if (shape_) visible.Combine(*shape_, RGN_AND);
        rects = visible.Rects();
    } else if (shape_) {
        rects = shape_->Rects();
    }
    if (rects == appliedShape_) return;
    if (rects) {
        // The region's rectangles are in bands, top to bottom and left to right.
        std::vector<XRectangle> xrects = ToXRectangles(*rects);
        for (int kind : {ShapeBounding, ShapeInput})
            XShapeCombineRectangles(display_, Id(), kind, 0, 0, xrects.data(), int(xrects.size()),
                                    ShapeSet, YXBanded);
    } else {
        for (int kind : {ShapeBounding, ShapeInput})
            XShapeCombineMask(display_, Id(), kind, 0, 0, None, ShapeSet);
    }
    appliedShape_ = std::move(rects);
}

}  // namespace native
