#include "platform/native/headless.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "platform/gfx/canvas.h"
#include "platform/gfx/pngfile.h"
#include "platform/os/wallclock.h"

namespace native {

namespace {

// Stacking layers, lowest first. An owned window is never in a lower layer than its owner,
// so a dialog of a stay-on-top window does not open behind it.
int Layer(const THeadlessWindow& w) {
    int own = IsUnmanaged(w.Kind()) ? 2 : w.StayOnTop() ? 1 : 0;
    return w.Owner() ? std::max(own, Layer(*w.Owner())) : own;
}

bool OwnedBy(const THeadlessWindow* w, const THeadlessWindow* owner) {
    for (const THeadlessWindow* o = w->Owner(); o; o = o->Owner())
        if (o == owner) return true;
    return false;
}

unsigned ButtonBit(int button) {
    switch (button) {
        case kLeftButton:
            return kLeftDown;
        case kRightButton:
            return kRightDown;
        case kMiddleButton:
            return kMiddleDown;
        default:
            return 0;
    }
}

// Whole seconds of a millisecond count, rounding down also before the epoch.
std::time_t FloorSeconds(int64_t ms) {
    return std::time_t(ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000));
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t year, int month, int day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// How far the local time of the time zone (TZ) is ahead of UTC at an instant, in seconds.
int64_t ZoneOffset(std::time_t utcSeconds) {
    const std::tm* local = std::localtime(&utcSeconds);
    if (!local) return 0;
    int64_t localSeconds =
        DaysFromCivil(int64_t(local->tm_year) + 1900, local->tm_mon + 1, local->tm_mday) * 86400 +
        local->tm_hour * 3600 + local->tm_min * 60 + local->tm_sec;
    return localSeconds - int64_t(utcSeconds);
}

TEvent MakeEvent(TEventKind kind, TNativeWindow* window, TPoint pos, int button = 0,
                 unsigned modifiers = 0) {
    TEvent e;
    e.Kind = kind;
    e.Window = window;
    e.ScreenPos = pos;
    e.Button = button;
    e.Modifiers = modifiers;
    return e;
}

}  // namespace

// Backend ---------------------------------------------------------------------------------

THeadlessBackend::THeadlessBackend(TSize screen, int pixelsPerInch, int bitsPerPixel)
    : screen_(screen),
      pixelsPerInch_(pixelsPerInch),
      bitsPerPixel_(bitsPerPixel),
      wallAnchorSeconds_(LocalSeconds(12, 0, 0)),
      outline_(size_t(std::max(0, screen.cx)) * size_t(std::max(0, screen.cy)), 0) {
    SetVirtualWallClock([this] {
        int64_t ms = int64_t(wallAnchorSeconds_) * 1000 + (now_ - wallAnchorMs_);
        return wallUtc_ ? ms + 1000 * int64_t(ZoneOffset(FloorSeconds(ms))) : ms;
    });
}

THeadlessBackend::~THeadlessBackend() {
    SetVirtualWallClock(nullptr);
    for (THeadlessWindow* w : windows_)
        w->visible_ = false;
}

std::unique_ptr<TNativeWindow> THeadlessBackend::CreateNativeWindow(const TWindowParams& params) {
    auto window = std::make_unique<THeadlessWindow>(*this, params);
    windows_.push_back(window.get());
    return window;
}

void THeadlessBackend::Remove(THeadlessWindow* window) {
    std::erase(windows_, window);
    for (THeadlessWindow* w : windows_)
        if (w->owner_ == window) w->owner_ = nullptr;
    if (capture_ == window) capture_ = nullptr;
    if (pressed_ == window) pressed_ = nullptr;
    if (focused_ == window)
        focused_ = window->owner_ && window->owner_->visible_ ? window->owner_ : nullptr;
    for (TEvent& e : pending_)
        if (e.Window == window) e.Window = nullptr;
    std::erase_if(pending_, [](const TEvent& e) {
        return e.Window == nullptr && e.Kind != TEventKind::Wake &&
               e.Kind != TEventKind::TimeChanged && e.Kind != TEventKind::ScreenChanged;
    });
}

void THeadlessBackend::Stack(THeadlessWindow* window) {
    std::erase(windows_, window);
    windows_.push_back(window);
}

TSize THeadlessBackend::ScreenSize() const {
    if (monitors_.empty()) return screen_;
    return {monitors_.front().Bounds.Width(), monitors_.front().Bounds.Height()};
}

std::vector<TMonitor> THeadlessBackend::Monitors() const {
    if (!monitors_.empty()) return monitors_;
    return {TMonitor{{0, 0, screen_.cx, screen_.cy}, pixelsPerInch_}};
}

void THeadlessBackend::SetMonitors(std::vector<TMonitor> monitors) {
    monitors_ = std::move(monitors);
    TSize extent{0, 0};
    for (const TMonitor& m : monitors_)
        extent = {std::max(extent.cx, m.Bounds.Right), std::max(extent.cy, m.Bounds.Bottom)};
    if (extent.cx > screen_.cx || extent.cy > screen_.cy) {
        // The drag outlines are kept for the composed screen, which grows to hold them all.
        TSize grown{std::max(extent.cx, screen_.cx), std::max(extent.cy, screen_.cy)};
        std::vector<uint8_t> outline(size_t(grown.cx) * size_t(grown.cy), 0);
        for (int y = 0; y < screen_.cy; ++y)
            std::copy_n(outline_.begin() + ptrdiff_t(y) * screen_.cx, screen_.cx,
                        outline.begin() + ptrdiff_t(y) * grown.cx);
        outline_ = std::move(outline);
        screen_ = grown;
    }
    TEvent changed;
    changed.Kind = TEventKind::ScreenChanged;
    Post(changed);
}

void THeadlessBackend::SetCapture(TNativeWindow* window) {
    capture_ = static_cast<THeadlessWindow*>(window);
}

void THeadlessBackend::DrawFocusRectOnScreen(const TRect& rect) {
    auto toggle = [&](int x, int y) {
        if (((x + y) & 1) != 0 || x < 0 || y < 0 || x >= screen_.cx || y >= screen_.cy) return;
        outline_[size_t(y) * screen_.cx + x] ^= 1;
    };
    if (rect.IsEmpty()) return;
    for (int x = rect.Left; x < rect.Right; ++x) {
        toggle(x, rect.Top);
        if (rect.Bottom - 1 > rect.Top) toggle(x, rect.Bottom - 1);
    }
    for (int y = rect.Top + 1; y < rect.Bottom - 1; ++y) {
        toggle(rect.Left, y);
        if (rect.Right - 1 > rect.Left) toggle(rect.Right - 1, y);
    }
}

int THeadlessBackend::OutlinePixelsInverted() const {
    return int(std::count(outline_.begin(), outline_.end(), uint8_t(1)));
}

void THeadlessBackend::WaitEvents(int64_t deadlineMs, std::vector<TEvent>& out) {
    auto flush = [&] {
        out.insert(out.end(), pending_.begin(), pending_.end());
        pending_.clear();
        if (wakes_ > 0) {
            wakes_ = 0;
            TEvent wake;
            wake.Kind = TEventKind::Wake;
            wake.TimeMs = now_;
            out.push_back(wake);
        }
    };
    if (!pending_.empty() || wakes_ > 0) {
        flush();
        return;
    }
    int64_t limit =
        deadlineMs < 0 ? std::numeric_limits<int64_t>::max() : std::max(deadlineMs, now_);
    if (!actions_.empty() && actions_.begin()->first <= limit) {
        now_ = std::max(now_, actions_.begin()->first);
        while (!actions_.empty() && actions_.begin()->first <= now_) {
            auto action = std::move(actions_.begin()->second);
            actions_.erase(actions_.begin());
            action();
        }
        flush();
        return;
    }
    if (deadlineMs < 0)
        throw std::logic_error("headless: the program waits for input and none is scheduled");
    now_ = limit;
}

void THeadlessBackend::At(int64_t ms, std::function<void()> action) {
    actions_.emplace(ms, std::move(action));
}

void THeadlessBackend::SetWallTime(std::time_t localSeconds) {
    wallAnchorSeconds_ = localSeconds;
    wallAnchorMs_ = now_;
    wallUtc_ = false;
    TEvent changed;
    changed.Kind = TEventKind::TimeChanged;
    Post(changed);
}

void THeadlessBackend::SetWallTimeUtc(std::time_t utcSeconds) {
    SetWallTime(utcSeconds);
    wallUtc_ = true;
}

std::time_t THeadlessBackend::WallTime() const {
    int64_t elapsed = now_ - wallAnchorMs_;
    int64_t seconds = elapsed >= 0 ? elapsed / 1000 : -((-elapsed + 999) / 1000);
    return wallAnchorSeconds_ + std::time_t(seconds);
}

TNativeWindow* THeadlessBackend::InputTarget(TPoint screenPos) const {
    if (capture_) return capture_;
    if (pressed_ && buttons_) return pressed_;
    return WindowAt(screenPos);
}

void THeadlessBackend::Post(TEvent event) {
    event.TimeMs = now_;
    pending_.push_back(event);
}

void THeadlessBackend::MouseMove(int x, int y, unsigned modifiers) {
    cursor_ = {x, y};
    TNativeWindow* target = InputTarget(cursor_);
    if (!target) return;
    Post(MakeEvent(TEventKind::MouseMove, target, cursor_, 0, modifiers | buttons_));
}

void THeadlessBackend::MouseDown(int x, int y, int button, unsigned modifiers) {
    cursor_ = {x, y};
    TNativeWindow* target = InputTarget(cursor_);
    buttons_ |= ButtonBit(button);
    if (!target) return;
    auto* w = static_cast<THeadlessWindow*>(target);
    pressed_ = w;
    if (!IsUnmanaged(w->Kind())) focused_ = w;
    Post(MakeEvent(TEventKind::ButtonDown, target, cursor_, button, modifiers | buttons_));
}

void THeadlessBackend::MouseUp(int x, int y, int button, unsigned modifiers) {
    cursor_ = {x, y};
    TNativeWindow* target = InputTarget(cursor_);
    buttons_ &= ~ButtonBit(button);
    if (!buttons_) pressed_ = nullptr;
    if (!target) return;
    Post(MakeEvent(TEventKind::ButtonUp, target, cursor_, button, modifiers | buttons_));
}

void THeadlessBackend::Click(int x, int y, int button) {
    MouseMove(x, y);
    MouseDown(x, y, button);
    MouseUp(x, y, button);
}

THeadlessWindow* THeadlessBackend::KeyTarget() const {
    if (capture_ && capture_->kind_ == TWindowKind::Popup && capture_->visible_) return capture_;
    return focused_;
}

void THeadlessBackend::KeyDown(int key, unsigned modifiers) {
    THeadlessWindow* target = KeyTarget();
    if (!target) return;
    TEvent e = MakeEvent(TEventKind::KeyDown, target, cursor_, 0, modifiers);
    e.Key = key;
    Post(e);
}

void THeadlessBackend::KeyUp(int key, unsigned modifiers) {
    THeadlessWindow* target = KeyTarget();
    if (!target) return;
    TEvent e = MakeEvent(TEventKind::KeyUp, target, cursor_, 0, modifiers);
    e.Key = key;
    Post(e);
}

void THeadlessBackend::TypeChar(uint32_t ch, unsigned modifiers) {
    THeadlessWindow* target = KeyTarget();
    if (!target) return;
    TEvent e = MakeEvent(TEventKind::Char, target, cursor_, 0, modifiers);
    e.Char = ch;
    Post(e);
}

void THeadlessBackend::TypeSysChar(uint32_t ch, unsigned modifiers) {
    THeadlessWindow* target = KeyTarget();
    if (!target) return;
    TEvent e = MakeEvent(TEventKind::SysChar, target, cursor_, 0, modifiers);
    e.Char = ch;
    Post(e);
}

void THeadlessBackend::Wheel(int x, int y, int delta, bool horizontal, unsigned modifiers) {
    cursor_ = {x, y};
    TNativeWindow* target = InputTarget(cursor_);
    if (!target) return;
    TEvent e = MakeEvent(TEventKind::Wheel, target, cursor_, 0, modifiers | buttons_);
    e.Delta = delta;
    e.Horizontal = horizontal;
    Post(e);
}

void THeadlessBackend::PressKey(int key, uint32_t ch, unsigned modifiers) {
    KeyDown(key, modifiers);
    if (ch) TypeChar(ch, modifiers);
    KeyUp(key, modifiers);
}

void THeadlessBackend::MoveByWindowManager(TNativeWindow* window, const TRect& bounds) {
    auto* w = static_cast<THeadlessWindow*>(window);
    w->bounds_ = bounds;
    TEvent moved;
    moved.Kind = TEventKind::Moved;
    moved.Window = w;
    moved.Rect = bounds;
    Post(moved);
}

void THeadlessBackend::ChangeDensityBySystem(TNativeWindow* window, const TRect& bounds,
                                             int pixelsPerInch) {
    auto* w = static_cast<THeadlessWindow*>(window);
    w->bounds_ = bounds;
    TEvent changed;
    changed.Kind = TEventKind::DensityChanged;
    changed.Window = w;
    changed.Rect = bounds;
    changed.PixelsPerInch = pixelsPerInch;
    Post(changed);
}

void THeadlessBackend::RequestClose(TNativeWindow* window) {
    Post(MakeEvent(TEventKind::CloseRequest, window, cursor_));
}

void THeadlessBackend::DestroyByAnotherProgram(TNativeWindow* window) {
    static_cast<THeadlessWindow*>(window)->visible_ = false;
    Post(MakeEvent(TEventKind::Destroyed, window, cursor_));
}

std::vector<THeadlessWindow*> THeadlessBackend::Windows() const {
    std::vector<THeadlessWindow*> ordered = windows_;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](auto* a, auto* b) { return Layer(*a) < Layer(*b); });
    // Within a layer, an owned window below its owner goes up to just above it: a raised
    // owner brings the windows it owns along.
    for (size_t i = 0; i < ordered.size();) {
        size_t owner = i + 1;
        while (owner < ordered.size() && !OwnedBy(ordered[i], ordered[owner]))
            ++owner;
        if (owner == ordered.size()) {
            ++i;
            continue;
        }
        THeadlessWindow* owned = ordered[i];
        ordered.erase(ordered.begin() + ptrdiff_t(i));
        ordered.insert(ordered.begin() + ptrdiff_t(owner), owned);  // just above the owner
    }
    return ordered;
}

THeadlessWindow* THeadlessBackend::WindowAt(TPoint p) const {
    std::vector<THeadlessWindow*> ordered = Windows();
    for (auto it = ordered.rbegin(); it != ordered.rend(); ++it) {
        THeadlessWindow* w = *it;
        if (w->visible_ && w->kind_ != TWindowKind::Tooltip && w->bounds_.Contains(p) &&
            w->Covers({p.X - w->bounds_.Left, p.Y - w->bounds_.Top}))
            return w;
    }
    return nullptr;
}

TBitmap THeadlessBackend::Screenshot() const {
    TBitmap screen(screen_.cx, screen_.cy, pf24bit);
    screen.Canvas().Brush.Color = kDesktopColor;
    screen.Canvas().FillRect({0, 0, screen_.cx, screen_.cy});
    for (THeadlessWindow* w : Windows()) {
        if (!w->visible_) continue;
        TRect area = w->bounds_.Intersect({0, 0, screen_.cx, screen_.cy});
        for (int y = area.Top; y < area.Bottom; ++y) {
            uint8_t* out = screen.ScanLine(y);
            for (int x = area.Left; x < area.Right; ++x) {
                TPoint local{x - w->bounds_.Left, y - w->bounds_.Top};
                if (!w->Covers(local)) continue;
                TColor c = w->pixels_.Pixel(local.X, local.Y);
                if (c == clNone) continue;
                out[3 * x] = GetBValue(c);
                out[3 * x + 1] = GetGValue(c);
                out[3 * x + 2] = GetRValue(c);
            }
        }
    }
    for (int y = 0; y < screen_.cy; ++y) {
        uint8_t* row = screen.ScanLine(y);
        for (int x = 0; x < screen_.cx; ++x)
            if (outline_[size_t(y) * screen_.cx + x])
                for (int c = 0; c < 3; ++c)
                    row[3 * x + c] = uint8_t(~row[3 * x + c]);
    }
    return screen;
}

bool THeadlessBackend::SaveScreenshot(const std::string& pngPath) const {
    return SavePng(pngPath, Screenshot());
}

// Window ----------------------------------------------------------------------------------

THeadlessWindow::THeadlessWindow(THeadlessBackend& backend, const TWindowParams& params)
    : backend_(backend),
      kind_(params.Kind),
      owner_(static_cast<THeadlessWindow*>(params.Owner)),
      title_(params.Title),
      className_(params.ClassName),
      icon_(params.Icon),
      bounds_(params.Bounds),
      stayOnTop_(params.StayOnTop),
      taskbarButton_(params.TaskbarButton),
      borderless_(params.Borderless),
      resizable_(params.Resizable && params.Kind != TWindowKind::Dialog),
      pixels_(std::max(0, params.Bounds.Width()), std::max(0, params.Bounds.Height()), pf24bit) {}

THeadlessWindow::~THeadlessWindow() {
    backend_.Remove(this);
}

void THeadlessWindow::SetBounds(const TRect& screenBounds) {
    bounds_ = screenBounds;
    pixels_.SetSize(std::max(0, screenBounds.Width()), std::max(0, screenBounds.Height()));
}

void THeadlessWindow::Show(bool visible) {
    if (visible && !visible_) {
        backend_.Stack(this);
        if (!IsUnmanaged(kind_) && activateOnShow_) backend_.focused_ = this;
        if (!framed_ && !borderless_ && !IsUnmanaged(kind_)) {
            framed_ = true;
            backend_.lastFrame_ = backend_.frameExtents_;
            if (toldFrame_ && *toldFrame_ != backend_.frameExtents_) {
                toldFrame_ = backend_.frameExtents_;
                backend_.Post(MakeEvent(TEventKind::FrameChanged, this, backend_.cursor_));
            }
        }
    }
    visible_ = visible;
    // As a window manager does when a dialog closes: the focus goes back to its owner.
    if (!visible && backend_.focused_ == this)
        backend_.focused_ = owner_ && owner_->visible_ ? owner_ : nullptr;
}

TFrameExtents THeadlessWindow::FrameExtents() {
    if (borderless_ || IsUnmanaged(kind_)) return {};
    toldFrame_ = framed_ || backend_.frameToldBeforeShown_
                     ? backend_.frameExtents_
                     : backend_.lastFrame_.value_or(TFrameExtents{});
    return *toldFrame_;
}

void THeadlessWindow::SetShape(const TRegion* shape) {
    if (shape) {
        shape_ = *shape;
    } else {
        shape_.reset();
    }
}

void THeadlessWindow::SetStayOnTop(bool onTop) {
    stayOnTop_ = onTop;
    backend_.Stack(this);
}

void THeadlessWindow::Raise() {
    backend_.Stack(this);
}

void THeadlessWindow::Present(const TBitmap& frame, const TRect& dirty) {
    ++presents_;
    if (frame.Width() != pixels_.Width() || frame.Height() != pixels_.Height()) {
        pixels_ = frame;
        return;
    }
    pixels_.Canvas().DrawBitmapRect(dirty, frame, dirty, clNone);
}

bool THeadlessWindow::Covers(TPoint p) const {
    if (p.X < 0 || p.Y < 0 || p.X >= bounds_.Width() || p.Y >= bounds_.Height()) return false;
    if (shape_ && !shape_->Contains(p)) return false;
    if (colorKey_ && pixels_.Pixel(p.X, p.Y) == ColorToRGB(*colorKey_)) return false;
    return true;
}

std::vector<uint8_t> THeadlessWindow::VisibleMask() const {
    int w = bounds_.Width(), h = bounds_.Height();
    std::vector<uint8_t> mask(size_t(std::max(0, w)) * size_t(std::max(0, h)), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            mask[size_t(y) * w + x] = Covers({x, y}) ? 255 : 0;
    return mask;
}

}  // namespace native
