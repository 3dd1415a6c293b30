#include "platform/ui/winapi.h"

#include <algorithm>
#include <cctype>
#include <deque>
#include <limits>
#include <list>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// One window of the window system.
struct TWnd {
    HWND parent = nullptr;  // the parent of a child window, the owner of a top-level one
    bool child = false;
    bool messageOnly = false;
    std::vector<HWND> children;  // bottom to top
    WNDPROC proc;
    DWORD style = 0;
    DWORD exStyle = 0;
    TRect rect;  // in the parent's client area, or on the screen for top-level windows
    std::string text;
    LONG_PTR userData = 0;
    // Top-level windows only.
    std::unique_ptr<native::TNativeWindow> native;
    TBitmap frame;
    TRect update;  // invalid area, window coordinates
    std::unique_ptr<TRegion> region;
    std::optional<TColor> colorKey;
    // During a paint pass: the area this window may paint, top-level coordinates.
    TRect paintClip;
    bool inPaint = false;
};

// A library that LoadLibraryA knows.
struct TModuleEntry {
    std::string name;
};

struct TDeviceContext {
    TCanvas canvas;
    HWND hwnd = nullptr;
    bool screen = false;
    TRect present;  // what ReleaseDC shows, top-level coordinates
};

namespace {

struct TTimerEntry {
    HWND hwnd;
    uintptr_t id;
    UINT interval;
    int64_t due;
};

// The state of the window system (one user-interface thread).
struct TWindowSystem {
    std::unordered_set<HWND> live;
    std::vector<std::unique_ptr<TWnd>> windows;
    std::vector<std::unique_ptr<TWnd>> graveyard;
    std::vector<HWND> topLevels;  // in creation order
    std::unordered_map<const native::TNativeWindow*, HWND> byNative;
    std::deque<MSG> queue;           // posted messages
    std::deque<native::TEvent> input;  // mouse and keyboard input, routed when taken
    bool quitPosted = false;
    int quitCode = 0;
    HWND capture = nullptr;
    HWND focus = nullptr;
    HWND active = nullptr;
    HWND taskbarCarrier = nullptr;
    bool taskbarVisible = true;
    std::vector<TTimerEntry> timers;
    std::list<std::unique_ptr<TDeviceContext>> dcs;
    std::function<void()> wakeHandler;
    int depth = 0;  // nesting of message handling; the graveyard is cleared at 0
};

TWindowSystem& Sys() {
    static TWindowSystem sys;
    return sys;
}

native::TBackend& Backend() { return native::Backend(); }

bool Alive(HWND h) { return h && Sys().live.contains(h); }

HWND Top(HWND h) {
    while (h && h->child) h = h->parent;
    return h;
}

// The origin of h's client area in its top-level window's coordinates.
TPoint OriginInTop(HWND h) {
    TPoint p;
    while (h && h->child) {
        p = p + h->rect.TopLeft();
        h = h->parent;
    }
    return p;
}

TPoint ScreenOrigin(HWND h) {
    HWND top = Top(h);
    return OriginInTop(h) + (top ? top->rect.TopLeft() : TPoint{});
}

bool ShownInTree(HWND h) {
    for (; h; h = h->child ? h->parent : nullptr)
        if (!(h->style & WS_VISIBLE)) return false;
    return true;
}

// The part of h's client area that its ancestors leave visible, top-level coordinates.
TRect VisibleInTop(HWND h) {
    TPoint origin = OriginInTop(h);
    TRect r = TRect::FromSize(origin.X, origin.Y, h->rect.Width(), h->rect.Height());
    for (HWND p = h; p->child; p = p->parent) {
        HWND parent = p->parent;
        TPoint po = OriginInTop(parent);
        r = r.Intersect(TRect::FromSize(po.X, po.Y, parent->rect.Width(), parent->rect.Height()));
    }
    return r;
}

bool EnabledInTree(HWND h) {
    for (; h; h = h->child ? h->parent : nullptr)
        if (h->style & WS_DISABLED) return false;
    return true;
}

void Invalidate(HWND h, const TRect& topRect) {
    HWND top = Top(h);
    if (!top || top->messageOnly) return;
    TRect r = topRect.Intersect({0, 0, top->rect.Width(), top->rect.Height()});
    top->update = top->update.Union(r);
}

void InvalidateWhole(HWND h) {
    if (ShownInTree(h)) Invalidate(h, VisibleInTop(h));
}

native::TWindowKind KindFor(DWORD style, DWORD exStyle, HWND owner) {
    if ((style & WS_POPUP) && (exStyle & WS_EX_TOOLWINDOW)) return native::TWindowKind::Popup;
    if (owner && ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)))
        return native::TWindowKind::Dialog;
    return native::TWindowKind::Normal;
}

bool HasTaskbarButton(HWND h) {
    return Sys().taskbarVisible && !(h->exStyle & WS_EX_TOOLWINDOW) &&
           KindFor(h->style, h->exStyle, h->parent) == native::TWindowKind::Normal;
}

void PaintTree(HWND w, const TRect& dirty) {
    if (!Alive(w) || !(w->style & WS_VISIBLE)) return;
    TRect clip = VisibleInTop(w).Intersect(dirty);
    if (clip.IsEmpty()) return;
    w->paintClip = clip;
    w->inPaint = true;
    SendMessage(w, WM_PAINT, 0, 0);
    if (!Alive(w)) return;
    w->inPaint = false;
    std::vector<HWND> children = w->children;
    for (HWND c : children) PaintTree(c, dirty);
}

void PaintTop(HWND top) {
    if (!Alive(top) || top->messageOnly || !(top->style & WS_VISIBLE)) return;
    TRect dirty = top->update.Intersect({0, 0, top->rect.Width(), top->rect.Height()});
    top->update = {};
    if (dirty.IsEmpty()) return;
    PaintTree(top, dirty);
    if (Alive(top) && top->native) top->native->Present(top->frame, dirty);
}

HWND PaintPending(HWND filter) {
    for (HWND h : Sys().topLevels)
        if ((!filter || filter == h) && (h->style & WS_VISIBLE) && !h->update.IsEmpty()) return h;
    return nullptr;
}

bool Matches(const MSG& m, HWND filter, UINT lo, UINT hi) {
    if (filter && m.hwnd != filter) return false;
    if (lo == 0 && hi == 0) return true;
    return m.message >= lo && m.message <= hi;
}

void Post(HWND h, UINT msg, WPARAM w, LPARAM l) {
    MSG m;
    m.hwnd = h;
    m.message = msg;
    m.wParam = w;
    m.lParam = l;
    m.time = DWORD(Backend().NowMs());
    m.pt = Backend().CursorPos();
    Sys().queue.push_back(m);
}

WPARAM MouseKeys(unsigned modifiers) {
    WPARAM w = 0;
    if (modifiers & native::kLeftDown) w |= MK_LBUTTON;
    if (modifiers & native::kRightDown) w |= MK_RBUTTON;
    if (modifiers & native::kMiddleDown) w |= MK_MBUTTON;
    if (modifiers & native::kShift) w |= MK_SHIFT;
    if (modifiers & native::kControl) w |= MK_CONTROL;
    return w;
}

// The deepest visible, enabled window of h's tree at a point of h's client area.
HWND DeepestAt(HWND h, TPoint p) {
    for (auto it = h->children.rbegin(); it != h->children.rend(); ++it) {
        HWND c = *it;
        if ((c->style & WS_VISIBLE) && !(c->style & WS_DISABLED) && c->rect.Contains(p))
            return DeepestAt(c, p - c->rect.TopLeft());
    }
    return h;
}

// Mouse and keyboard input waits in the input queue as the backend reported it, and is
// routed only when it is taken out: so a capture set while handling a press already
// decides where the following moves and the release go, as with the system.
bool IsInput(native::TEventKind kind) {
    switch (kind) {
        case native::TEventKind::MouseMove:
        case native::TEventKind::ButtonDown:
        case native::TEventKind::ButtonUp:
        case native::TEventKind::KeyDown:
        case native::TEventKind::KeyUp:
        case native::TEventKind::Char: return true;
        default: return false;
    }
}

// The message an input event becomes now, or none when nobody may receive it.
std::optional<MSG> Route(const native::TEvent& e) {
    TWindowSystem& s = Sys();
    auto found = s.byNative.find(e.Window);
    HWND top = found == s.byNative.end() ? nullptr : found->second;
    MSG m;
    m.time = DWORD(e.TimeMs);
    m.pt = e.ScreenPos;
    switch (e.Kind) {
        case native::TEventKind::MouseMove:
        case native::TEventKind::ButtonDown:
        case native::TEventKind::ButtonUp: {
            HWND target = Alive(s.capture) ? s.capture : nullptr;
            if (!target) {
                if (!top || !(top->style & WS_VISIBLE) || !EnabledInTree(top)) return std::nullopt;
                target = DeepestAt(top, e.ScreenPos - top->rect.TopLeft());
            }
            m.hwnd = target;
            m.message = WM_MOUSEMOVE;
            if (e.Kind != native::TEventKind::MouseMove) {
                bool down = e.Kind == native::TEventKind::ButtonDown;
                switch (e.Button) {
                    case native::kLeftButton: m.message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
                    case native::kRightButton: m.message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
                    case native::kMiddleButton: m.message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
                    default: return std::nullopt;
                }
            }
            m.wParam = MouseKeys(e.Modifiers);
            m.lParam = PointToLParam(e.ScreenPos - ScreenOrigin(target));
            return m;
        }
        default: {
            if (!top || !EnabledInTree(top)) return std::nullopt;
            m.hwnd = Alive(s.focus) && Top(s.focus) == top ? s.focus : top;
            m.message = e.Kind == native::TEventKind::KeyDown ? WM_KEYDOWN
                        : e.Kind == native::TEventKind::KeyUp ? WM_KEYUP
                                                              : WM_CHAR;
            m.wParam = e.Kind == native::TEventKind::Char ? WPARAM(e.Char) : WPARAM(e.Key);
            return m;
        }
    }
}

// What taking an input message out of the queue does besides returning it.
void Taken(const MSG& m) {
    if (m.message == WM_LBUTTONDOWN || m.message == WM_RBUTTONDOWN || m.message == WM_MBUTTONDOWN)
        Sys().active = Top(m.hwnd);
    if (m.message == WM_MOUSEMOVE)
        SendMessage(m.hwnd, WM_SETCURSOR, WPARAM(m.hwnd), MAKELPARAM(1, int(WM_MOUSEMOVE)));
}

void Deliver(const native::TEvent& e) {
    TWindowSystem& s = Sys();
    if (IsInput(e.Kind)) {
        s.input.push_back(e);
        return;
    }
    if (e.Kind == native::TEventKind::Wake) {
        if (s.wakeHandler) s.wakeHandler();
        return;
    }
    auto found = s.byNative.find(e.Window);
    if (found == s.byNative.end()) return;
    HWND top = found->second;
    switch (e.Kind) {
        case native::TEventKind::CloseRequest:
            if (EnabledInTree(top)) Post(top, WM_CLOSE, 0, 0);
            break;
        case native::TEventKind::Exposed:
            if (top->native && top->update.IsEmpty()) top->native->Present(top->frame, e.Rect);
            break;
        case native::TEventKind::Moved: {
            if (e.Rect == top->rect) break;
            bool resized = e.Rect.Width() != top->rect.Width() || e.Rect.Height() != top->rect.Height();
            top->rect = e.Rect;
            if (resized) {
                top->frame.SetSize(e.Rect.Width(), e.Rect.Height());
                InvalidateWhole(top);
            }
            WINDOWPOS pos{top, nullptr, e.Rect.Left, e.Rect.Top, e.Rect.Width(), e.Rect.Height(),
                          SWP_NOZORDER | SWP_NOACTIVATE};
            SendMessage(top, WM_WINDOWPOSCHANGED, 0, LPARAM(&pos));
            break;
        }
        default: break;
    }
}

// Takes whatever input the backend has, waiting until deadlineMs when there is none
// (a deadline in the past does not wait).
void Pump(int64_t deadlineMs) {
    std::vector<native::TEvent> events;
    Backend().WaitEvents(deadlineMs, events);
    for (const native::TEvent& e : events) Deliver(e);
}

int64_t NextTimerDue(HWND filter) {
    int64_t next = -1;
    for (const TTimerEntry& t : Sys().timers)
        if (!filter || t.hwnd == filter)
            if (next < 0 || t.due < next) next = t.due;
    return next;
}

// Finds a message without waiting. Returns false when there is none.
bool Find(MSG* msg, HWND filter, UINT lo, UINT hi, bool remove) {
    TWindowSystem& s = Sys();
    for (auto it = s.queue.begin(); it != s.queue.end(); ++it) {
        if (!Matches(*it, filter, lo, hi)) continue;
        *msg = *it;
        if (remove) s.queue.erase(it);
        return true;
    }
    for (auto it = s.input.begin(); it != s.input.end();) {
        std::optional<MSG> routed = Route(*it);
        if (!routed) {
            it = s.input.erase(it);
            continue;
        }
        if (!Matches(*routed, filter, lo, hi)) {
            ++it;
            continue;
        }
        *msg = *routed;
        if (remove) {
            s.input.erase(it);
            Taken(*msg);
        }
        return true;
    }
    bool quitWanted = !filter && (lo == 0 && hi == 0 ? true : (WM_QUIT >= lo && WM_QUIT <= hi));
    if (s.quitPosted && quitWanted) {
        *msg = MSG{};
        msg->message = WM_QUIT;
        msg->wParam = WPARAM(s.quitCode);
        if (remove) s.quitPosted = false;
        return true;
    }
    bool paintWanted = (lo == 0 && hi == 0) || (WM_PAINT >= lo && WM_PAINT <= hi);
    if (paintWanted) {
        if (HWND h = PaintPending(filter)) {
            *msg = MSG{};
            msg->hwnd = h;
            msg->message = WM_PAINT;
            return true;
        }
    }
    bool timerWanted = (lo == 0 && hi == 0) || (WM_TIMER >= lo && WM_TIMER <= hi);
    if (timerWanted) {
        int64_t now = Backend().NowMs();
        TTimerEntry* due = nullptr;
        for (TTimerEntry& t : s.timers)
            if ((!filter || t.hwnd == filter) && t.due <= now && (!due || t.due < due->due)) due = &t;
        if (due) {
            *msg = MSG{};
            msg->hwnd = due->hwnd;
            msg->message = WM_TIMER;
            msg->wParam = due->id;
            msg->time = DWORD(now);
            if (remove) due->due = now + due->interval;
            return true;
        }
    }
    return false;
}

void DestroyTree(HWND h) {
    TWindowSystem& s = Sys();
    SendMessage(h, WM_DESTROY, 0, 0);
    std::vector<HWND> children = h->children;
    for (HWND c : children)
        if (Alive(c)) DestroyTree(c);
    SendMessage(h, WM_NCDESTROY, 0, 0);
    std::erase_if(s.timers, [h](const TTimerEntry& t) { return t.hwnd == h; });
    if (s.capture == h) {
        s.capture = nullptr;
        Backend().SetCapture(nullptr);
    }
    if (s.focus == h) s.focus = nullptr;
    if (s.active == h) s.active = nullptr;
    if (s.taskbarCarrier == h) {
        s.taskbarCarrier = nullptr;
        s.taskbarVisible = true;
    }
    for (MSG& m : s.queue)
        if (m.hwnd == h) m.hwnd = nullptr;
    std::erase_if(s.queue, [](const MSG& m) { return m.hwnd == nullptr && m.message != WM_QUIT; });
    if (h->native) {
        const native::TNativeWindow* gone = h->native.get();
        std::erase_if(s.input, [gone](const native::TEvent& e) { return e.Window == gone; });
        s.byNative.erase(gone);
    }
    h->native.reset();
    std::erase(s.topLevels, h);
    s.live.erase(h);
    auto it = std::find_if(s.windows.begin(), s.windows.end(), [h](auto& w) { return w.get() == h; });
    if (it != s.windows.end()) {
        s.graveyard.push_back(std::move(*it));
        s.windows.erase(it);
    }
}

struct TDepth {
    TDepth() { ++Sys().depth; }
    ~TDepth() { --Sys().depth; }
};

bool SetLayeredImpl(HWND hwnd, TColor key, uint8_t alpha, DWORD flags) {
    return SetLayeredWindowAttributes(hwnd, key, alpha, flags);
}

}  // namespace

// Creation and destruction -------------------------------------------------------------------

HWND CreateWindowExA(DWORD exStyle, const std::string& windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, WNDPROC proc) {
    TWindowSystem& s = Sys();
    auto window = std::make_unique<TWnd>();
    HWND h = window.get();
    h->messageOnly = parent == HWND_MESSAGE;
    if (h->messageOnly) parent = nullptr;
    h->child = (style & WS_CHILD) && Alive(parent);
    h->parent = Alive(parent) ? parent : nullptr;
    h->proc = std::move(proc);
    h->style = style & ~WS_VISIBLE;
    h->exStyle = exStyle;
    h->rect = TRect::FromSize(x, y, std::max(0, width), std::max(0, height));
    h->text = windowName;
    s.windows.push_back(std::move(window));
    s.live.insert(h);
    if (h->child) {
        h->parent->children.push_back(h);
    } else if (!h->messageOnly) {
        native::TWindowParams params;
        params.Bounds = h->rect;
        params.Kind = KindFor(style, exStyle, h->parent);
        params.Title = windowName;
        params.Owner = h->parent && h->parent->native ? h->parent->native.get() : nullptr;
        params.Borderless = (style & WS_CAPTION) != WS_CAPTION;
        params.StayOnTop = exStyle & WS_EX_TOPMOST;
        params.TaskbarButton = HasTaskbarButton(h);
        h->native = Backend().CreateNativeWindow(params);
        s.byNative[h->native.get()] = h;
        h->frame.SetSize(h->rect.Width(), h->rect.Height());
        s.topLevels.push_back(h);
    }
    SendMessage(h, WM_CREATE, 0, 0);
    if (Alive(h) && (style & WS_VISIBLE)) ShowWindow(h, SW_SHOW);
    return Alive(h) ? h : nullptr;
}

bool DestroyWindow(HWND hwnd) {
    if (!Alive(hwnd)) return false;
    if (hwnd->native) hwnd->native->Show(false);
    HWND parent = hwnd->child ? hwnd->parent : nullptr;
    if (parent && (hwnd->style & WS_VISIBLE)) InvalidateWhole(hwnd);
    if (parent) std::erase(parent->children, hwnd);
    DestroyTree(hwnd);
    return true;
}

bool IsWindow(HWND hwnd) { return Alive(hwnd); }

// Window data and procedure ------------------------------------------------------------------

LONG_PTR GetWindowLongPtrA(HWND hwnd, int index) {
    if (!Alive(hwnd)) return 0;
    switch (index) {
        case GWL_STYLE: return LONG_PTR(int32_t(hwnd->style));
        case GWL_EXSTYLE: return LONG_PTR(int32_t(hwnd->exStyle));
        case GWLP_USERDATA: return hwnd->userData;
        default: return 0;
    }
}

LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
    if (!Alive(hwnd)) return 0;
    LONG_PTR old = GetWindowLongPtrA(hwnd, index);
    switch (index) {
        case GWL_STYLE: {
            DWORD visible = hwnd->style & WS_VISIBLE;
            hwnd->style = (DWORD(value) & ~WS_VISIBLE) | visible;
            break;
        }
        case GWL_EXSTYLE: {
            // The stacking bit changes only through SetWindowPos, as with the system.
            DWORD topmost = hwnd->exStyle & WS_EX_TOPMOST;
            bool wasLayered = hwnd->exStyle & WS_EX_LAYERED;
            hwnd->exStyle = (DWORD(value) & ~WS_EX_TOPMOST) | topmost;
            if (wasLayered && !(hwnd->exStyle & WS_EX_LAYERED) && hwnd->colorKey) {
                hwnd->colorKey.reset();
                if (hwnd->native) hwnd->native->SetColorKey(std::nullopt);
            }
            break;
        }
        case GWLP_USERDATA: hwnd->userData = value; break;
        default: break;
    }
    return old;
}

WNDPROC GetWindowProc(HWND hwnd) { return Alive(hwnd) ? hwnd->proc : WNDPROC{}; }

WNDPROC SetWindowProc(HWND hwnd, WNDPROC proc) {
    if (!Alive(hwnd)) return {};
    WNDPROC old = std::move(hwnd->proc);
    hwnd->proc = std::move(proc);
    return old;
}

LRESULT CallWindowProc(const WNDPROC& proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (proc) return proc(hwnd, msg, wParam, lParam);
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!Alive(hwnd)) return 0;
    switch (msg) {
        case WM_CLOSE: DestroyWindow(hwnd); return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_RBUTTONUP: {
            TPoint p = PointFromLParam(lParam);
            ClientToScreen(hwnd, &p);
            SendMessage(hwnd, WM_CONTEXTMENU, WPARAM(hwnd), PointToLParam(p));
            return 0;
        }
        case WM_CONTEXTMENU:
            if (hwnd->child) return SendMessage(hwnd->parent, msg, wParam, lParam);
            return 0;
        case WM_SETCURSOR:
            if (hwnd->child) return SendMessage(hwnd->parent, msg, wParam, lParam);
            SetCursorShape(hwnd, 0);
            return 1;
        case WM_WINDOWPOSCHANGED: {
            auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
            if (!(pos->flags & SWP_NOMOVE)) SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(pos->x, pos->y));
            if (!(pos->flags & SWP_NOSIZE)) SendMessage(hwnd, WM_SIZE, 0, MAKELPARAM(pos->cx, pos->cy));
            return 0;
        }
        default: return 0;
    }
}

bool SetWindowTextA(HWND hwnd, const std::string& text) {
    if (!Alive(hwnd)) return false;
    hwnd->text = text;
    if (hwnd->native) hwnd->native->SetTitle(text);
    return true;
}

// Messages --------------------------------------------------------------------------------------

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!Alive(hwnd)) return 0;
    TDepth depth;
    WNDPROC proc = hwnd->proc;  // the procedure may replace itself while it runs
    return CallWindowProc(proc, hwnd, msg, wParam, lParam);
}

bool PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hwnd && !Alive(hwnd)) return false;
    Post(hwnd, msg, wParam, lParam);
    return true;
}

void PostQuitMessage(int exitCode) {
    Sys().quitPosted = true;
    Sys().quitCode = exitCode;
}

int GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    TWindowSystem& s = Sys();
    if (s.depth == 0) s.graveyard.clear();
    for (;;) {
        Pump(0);  // take waiting input without blocking
        if (Find(msg, hwnd, filterMin, filterMax, true)) return msg->message == WM_QUIT ? 0 : 1;
        Pump(NextTimerDue(hwnd));
        if (Find(msg, hwnd, filterMin, filterMax, true)) return msg->message == WM_QUIT ? 0 : 1;
    }
}

bool PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg) {
    if (Sys().depth == 0) Sys().graveyard.clear();
    Pump(0);
    return Find(msg, hwnd, filterMin, filterMax, removeMsg & PM_REMOVE);
}

bool TranslateMessage(const MSG*) { return false; }  // characters arrive as WM_CHAR already

LRESULT DispatchMessage(const MSG* msg) {
    if (!msg->hwnd) return 0;
    if (msg->message == WM_PAINT && !msg->hwnd->child) {
        TDepth depth;
        PaintTop(msg->hwnd);
        return 0;
    }
    return SendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void WaitForMessage(int64_t deadlineMs) {
    MSG m;
    if (Find(&m, nullptr, 0, 0, false)) return;
    int64_t timer = NextTimerDue(nullptr);
    int64_t deadline = deadlineMs < 0 ? timer : timer < 0 ? deadlineMs : std::min(timer, deadlineMs);
    Pump(deadline);
}

void SetWakeHandler(std::function<void()> handler) { Sys().wakeHandler = std::move(handler); }

DWORD GetTickCount() { return DWORD(Backend().NowMs()); }
int64_t GetTickCount64() { return Backend().NowMs(); }
void Sleep(DWORD ms) { Backend().Sleep(int(ms)); }

// Capture and focus -----------------------------------------------------------------------------

HWND SetCapture(HWND hwnd) {
    TWindowSystem& s = Sys();
    HWND old = Alive(s.capture) ? s.capture : nullptr;
    if (!Alive(hwnd)) return old;
    s.capture = hwnd;
    HWND top = Top(hwnd);
    Backend().SetCapture(top ? top->native.get() : nullptr);
    if (old && old != hwnd) SendMessage(old, WM_CAPTURECHANGED, 0, LPARAM(hwnd));
    return old;
}

HWND GetCapture() { return Alive(Sys().capture) ? Sys().capture : nullptr; }

bool ReleaseCapture() {
    TWindowSystem& s = Sys();
    HWND old = Alive(s.capture) ? s.capture : nullptr;
    s.capture = nullptr;
    Backend().SetCapture(nullptr);
    if (old) SendMessage(old, WM_CAPTURECHANGED, 0, 0);
    return true;
}

HWND SetFocus(HWND hwnd) {
    TWindowSystem& s = Sys();
    HWND old = Alive(s.focus) ? s.focus : nullptr;
    if (hwnd && !Alive(hwnd)) return old;
    if (old == hwnd) return old;
    s.focus = hwnd;
    if (old) SendMessage(old, WM_KILLFOCUS, WPARAM(hwnd), 0);
    if (Alive(hwnd) && s.focus == hwnd) SendMessage(hwnd, WM_SETFOCUS, WPARAM(old), 0);
    return old;
}

HWND GetFocus() { return Alive(Sys().focus) ? Sys().focus : nullptr; }
HWND GetActiveWindow() { return Alive(Sys().active) ? Sys().active : nullptr; }

bool GetCursorPos(TPoint* point) {
    *point = Backend().CursorPos();
    return true;
}

void SetCursorShape(HWND hwnd, int cursor) {
    HWND top = Alive(hwnd) ? Top(hwnd) : nullptr;
    if (top && top->native) top->native->SetCursorShape(cursor);
}

// Timers ------------------------------------------------------------------------------------------

uintptr_t SetTimer(HWND hwnd, uintptr_t id, UINT elapseMs) {
    if (!Alive(hwnd)) return 0;
    UINT interval = std::max<UINT>(elapseMs, 10);
    KillTimer(hwnd, id);
    Sys().timers.push_back({hwnd, id, interval, Backend().NowMs() + interval});
    return id;
}

bool KillTimer(HWND hwnd, uintptr_t id) {
    return std::erase_if(Sys().timers, [&](const TTimerEntry& t) { return t.hwnd == hwnd && t.id == id; }) > 0;
}

// Painting ------------------------------------------------------------------------------------------

bool InvalidateRect(HWND hwnd, const TRect* rect, bool) {
    if (!Alive(hwnd)) return false;
    if (!ShownInTree(hwnd)) return true;
    TRect visible = VisibleInTop(hwnd);
    if (rect) {
        TPoint o = OriginInTop(hwnd);
        Invalidate(hwnd, rect->Offset(o.X, o.Y).Intersect(visible));
    } else {
        Invalidate(hwnd, visible);
    }
    return true;
}

bool ValidateRect(HWND hwnd, const TRect*) {
    HWND top = Alive(hwnd) ? Top(hwnd) : nullptr;
    if (top) top->update = {};
    return top != nullptr;
}

bool UpdateWindow(HWND hwnd) {
    if (!Alive(hwnd)) return false;
    TDepth depth;
    PaintTop(Top(hwnd));
    return true;
}

bool GetUpdateRect(HWND hwnd, TRect* rect) {
    HWND top = Alive(hwnd) ? Top(hwnd) : nullptr;
    if (!top) return false;
    TPoint o = OriginInTop(hwnd);
    *rect = top->update.Intersect(VisibleInTop(hwnd)).Offset(-o.X, -o.Y);
    return !rect->IsEmpty();
}

namespace {
HDC MakeDC(HWND hwnd, const TRect& clipInTop) {
    auto dc = std::make_unique<TDeviceContext>();
    HWND top = Top(hwnd);
    dc->hwnd = hwnd;
    dc->canvas.SetTarget(&top->frame);
    dc->canvas.SetOrigin(OriginInTop(hwnd));
    dc->canvas.SetClipRect(clipInTop);
    dc->present = clipInTop;
    Sys().dcs.push_back(std::move(dc));
    return Sys().dcs.back().get();
}

void FreeDC(HDC dc) {
    Sys().dcs.remove_if([dc](const std::unique_ptr<TDeviceContext>& d) { return d.get() == dc; });
}
}  // namespace

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
    if (!Alive(hwnd) || !Top(hwnd) || Top(hwnd)->messageOnly) return nullptr;
    TRect clip = hwnd->inPaint ? hwnd->paintClip : VisibleInTop(hwnd);
    HDC dc = MakeDC(hwnd, clip);
    TPoint o = OriginInTop(hwnd);
    ps->hdc = dc;
    ps->rcPaint = clip.Offset(-o.X, -o.Y);
    ps->fErase = SendMessage(hwnd, WM_ERASEBKGND, WPARAM(dc), 0) == 0;
    return dc;
}

bool EndPaint(HWND, const PAINTSTRUCT* ps) {
    if (ps && ps->hdc) FreeDC(ps->hdc);
    return true;
}

HDC GetDC(HWND hwnd) {
    if (!hwnd) {
        auto dc = std::make_unique<TDeviceContext>();
        dc->screen = true;
        Sys().dcs.push_back(std::move(dc));
        return Sys().dcs.back().get();
    }
    if (!Alive(hwnd) || !Top(hwnd) || Top(hwnd)->messageOnly) return nullptr;
    return MakeDC(hwnd, VisibleInTop(hwnd));
}

int ReleaseDC(HWND, HDC dc) {
    if (!dc) return 0;
    if (!dc->screen && Alive(dc->hwnd)) {
        HWND top = Top(dc->hwnd);
        if (top->native && (top->style & WS_VISIBLE) && !dc->present.IsEmpty())
            top->native->Present(top->frame, dc->present);
    }
    FreeDC(dc);
    return 1;
}

TCanvas& DCCanvas(HDC dc) { return dc->canvas; }

bool DrawFocusRect(HDC dc, const TRect& rect) {
    if (!dc) return false;
    if (dc->screen) {
        Backend().DrawFocusRectOnScreen(rect);
    } else {
        dc->canvas.DrawFocusRect(rect);
    }
    return true;
}

int GetDeviceCaps(HDC, int index) {
    switch (index) {
        case BITSPIXEL: return Backend().BitsPerPixel();
        case LOGPIXELSX:
        case LOGPIXELSY: return Backend().PixelsPerInch();
        default: return 0;
    }
}

// Position, size, visibility, stacking --------------------------------------------------------------

bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    if (!Alive(hwnd)) return false;
    TRect old = hwnd->rect;
    TRect r = old;
    if (!(flags & SWP_NOMOVE)) r = TRect::FromSize(x, y, r.Width(), r.Height());
    if (!(flags & SWP_NOSIZE)) r = TRect::FromSize(r.Left, r.Top, std::max(0, cx), std::max(0, cy));
    bool moved = r.TopLeft() != old.TopLeft();
    bool resized = r.Width() != old.Width() || r.Height() != old.Height();
    bool shown = ShownInTree(hwnd);
    if (hwnd->child && shown && (moved || resized) && !(flags & SWP_NOREDRAW)) InvalidateWhole(hwnd);
    hwnd->rect = r;
    if (!(flags & SWP_NOZORDER)) {
        if (hwnd->child) {
            auto& siblings = hwnd->parent->children;
            std::erase(siblings, hwnd);
            if (insertAfter == HWND_BOTTOM) {
                siblings.insert(siblings.begin(), hwnd);
            } else {
                siblings.push_back(hwnd);
            }
            if (shown) InvalidateWhole(hwnd->parent);
        } else if (hwnd->native) {
            if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
                bool onTop = insertAfter == HWND_TOPMOST;
                hwnd->exStyle = onTop ? (hwnd->exStyle | WS_EX_TOPMOST) : (hwnd->exStyle & ~WS_EX_TOPMOST);
                hwnd->native->SetStayOnTop(onTop);
            } else if (insertAfter != HWND_BOTTOM) {
                hwnd->native->Raise();
            }
        }
    }
    if (!hwnd->child && hwnd->native && (moved || resized)) {
        hwnd->native->SetBounds(r);
        if (resized) {
            hwnd->frame.SetSize(r.Width(), r.Height());
            InvalidateWhole(hwnd);
        }
    }
    if (hwnd->child && shown && (moved || resized) && !(flags & SWP_NOREDRAW)) InvalidateWhole(hwnd);
    if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, SW_SHOWNA);
    if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
    if (moved || resized) {
        WINDOWPOS pos{hwnd, insertAfter, r.Left, r.Top, r.Width(), r.Height(),
                      flags | (moved ? 0 : SWP_NOMOVE) | (resized ? 0 : SWP_NOSIZE)};
        SendMessage(hwnd, WM_WINDOWPOSCHANGED, 0, LPARAM(&pos));
    }
    return true;
}

bool MoveWindow(HWND hwnd, int x, int y, int width, int height, bool repaint) {
    return SetWindowPos(hwnd, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

bool ShowWindow(HWND hwnd, int cmd) {
    TWindowSystem& s = Sys();
    if (!Alive(hwnd)) return false;
    if (hwnd == s.taskbarCarrier) {
        bool was = s.taskbarVisible;
        s.taskbarVisible = cmd != SW_HIDE;
        if (was != s.taskbarVisible)
            for (HWND top : s.topLevels)
                if (top->native) top->native->SetTaskbarButton(HasTaskbarButton(top));
        return was;
    }
    bool wasVisible = hwnd->style & WS_VISIBLE;
    if (cmd == SW_HIDE) {
        if (!wasVisible) return false;
        if (hwnd->child) InvalidateWhole(hwnd);
        hwnd->style &= ~WS_VISIBLE;
        if (hwnd->native) hwnd->native->Show(false);
        if (Alive(s.capture) && (s.capture == hwnd || Top(s.capture) == hwnd)) ReleaseCapture();
        SendMessage(hwnd, WM_SHOWWINDOW, 0, 0);
        return true;
    }
    hwnd->style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
    if (cmd == SW_MINIMIZE) hwnd->style |= WS_MINIMIZE;
    if (cmd == SW_MAXIMIZE) hwnd->style |= WS_MAXIMIZE;
    if (wasVisible) return true;
    hwnd->style |= WS_VISIBLE;
    SendMessage(hwnd, WM_SHOWWINDOW, 1, 0);
    if (!Alive(hwnd)) return true;
    InvalidateWhole(hwnd);
    if (hwnd->native) {
        PaintTop(hwnd);  // the first frame is ready before the window appears
        hwnd->native->Show(true);
        if (cmd != SW_SHOWNA && cmd != SW_SHOWNOACTIVATE) s.active = hwnd;
    }
    return false;
}

bool IsWindowVisible(HWND hwnd) { return Alive(hwnd) && ShownInTree(hwnd); }
bool IsIconic(HWND hwnd) { return Alive(hwnd) && (hwnd->style & WS_MINIMIZE); }
bool IsZoomed(HWND hwnd) { return Alive(hwnd) && (hwnd->style & WS_MAXIMIZE); }

bool EnableWindow(HWND hwnd, bool enable) {
    if (!Alive(hwnd)) return false;
    bool wasDisabled = hwnd->style & WS_DISABLED;
    if (enable) {
        hwnd->style &= ~WS_DISABLED;
    } else {
        hwnd->style |= WS_DISABLED;
        if (Alive(Sys().capture) && (Sys().capture == hwnd)) ReleaseCapture();
    }
    if (wasDisabled == enable) SendMessage(hwnd, WM_ENABLE, enable ? 1 : 0, 0);
    return wasDisabled;
}

bool IsWindowEnabled(HWND hwnd) { return Alive(hwnd) && !(hwnd->style & WS_DISABLED); }

bool GetWindowRect(HWND hwnd, TRect* rect) {
    if (!Alive(hwnd)) return false;
    TPoint o = ScreenOrigin(hwnd);
    *rect = TRect::FromSize(o.X, o.Y, hwnd->rect.Width(), hwnd->rect.Height());
    return true;
}

bool GetClientRect(HWND hwnd, TRect* rect) {
    if (!Alive(hwnd)) return false;
    *rect = {0, 0, hwnd->rect.Width(), hwnd->rect.Height()};
    return true;
}

bool ClientToScreen(HWND hwnd, TPoint* point) {
    if (!Alive(hwnd)) return false;
    *point = *point + ScreenOrigin(hwnd);
    return true;
}

bool ScreenToClient(HWND hwnd, TPoint* point) {
    if (!Alive(hwnd)) return false;
    *point = *point - ScreenOrigin(hwnd);
    return true;
}

HWND GetParent(HWND hwnd) { return Alive(hwnd) ? hwnd->parent : nullptr; }
HWND GetTopLevel(HWND hwnd) { return Alive(hwnd) ? Top(hwnd) : nullptr; }

HWND ChildWindowFromPoint(HWND hwnd, TPoint clientPoint) {
    if (!Alive(hwnd)) return nullptr;
    return DeepestAt(hwnd, clientPoint);
}

HWND WindowFromPoint(TPoint screenPoint) {
    TWindowSystem& s = Sys();
    for (auto it = s.topLevels.rbegin(); it != s.topLevels.rend(); ++it) {
        HWND top = *it;
        if ((top->style & WS_VISIBLE) && top->rect.Contains(screenPoint))
            return DeepestAt(top, screenPoint - top->rect.TopLeft());
    }
    return nullptr;
}

// Shape -----------------------------------------------------------------------------------------------

int SetWindowRgn(HWND hwnd, std::unique_ptr<TRegion> region, bool redraw) {
    if (!Alive(hwnd)) return 0;
    hwnd->region = std::move(region);
    if (hwnd->native) hwnd->native->SetShape(hwnd->region.get());
    if (redraw) InvalidateWhole(hwnd);
    return 1;
}

const TRegion* GetWindowRgn(HWND hwnd) { return Alive(hwnd) ? hwnd->region.get() : nullptr; }

bool SetLayeredWindowAttributes(HWND hwnd, TColor key, uint8_t, DWORD flags) {
    if (!Alive(hwnd) || !(hwnd->exStyle & WS_EX_LAYERED)) return false;
    if (flags & LWA_COLORKEY) {
        hwnd->colorKey = ColorToRGB(key);
    } else {
        hwnd->colorKey.reset();
    }
    if (hwnd->native) hwnd->native->SetColorKey(hwnd->colorKey);
    return true;
}

void SetTaskbarCarrier(HWND hwnd) {
    Sys().taskbarCarrier = hwnd;
    Sys().taskbarVisible = true;
}

// System settings ---------------------------------------------------------------------------------------

bool SystemParametersInfoA(UINT action, UINT, void* value, UINT) {
    if (action == SPI_GETDRAGFULLWINDOWS && value) {
        *static_cast<int*>(value) = Backend().DragFullWindows() ? 1 : 0;
        return true;
    }
    return false;
}

int GetSystemMetrics(int index) {
    switch (index) {
        case SM_CXSCREEN: return Backend().ScreenSize().cx;
        case SM_CYSCREEN: return Backend().ScreenSize().cy;
        default: return 0;
    }
}

HMODULE LoadLibraryA(const std::string& name) {
    static const TModuleEntry user32{"user32"};
    std::string lower;
    for (char c : name) lower += char(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "user32" || lower == "user32.dll") return &user32;
    return nullptr;
}

FARPROC GetProcAddress(HMODULE module, const std::string& name) {
    if (!module) return nullptr;
    if (name == "SetLayeredWindowAttributes") return reinterpret_cast<FARPROC>(&SetLayeredImpl);
    return nullptr;
}

void DestroyAllWindows() {
    TWindowSystem& s = Sys();
    // Their owners may be gone already: the windows go without calling anyone back.
    for (auto& w : s.windows) w->proc = WNDPROC{};
    while (!s.windows.empty()) {
        HWND h = s.windows.back().get();
        while (h->child && Alive(h->parent)) h = h->parent;
        DestroyWindow(h);
    }
    s.graveyard.clear();
    s.queue.clear();
    s.input.clear();
    s.timers.clear();
    s.dcs.clear();
    s.quitPosted = false;
    s.capture = s.focus = s.active = nullptr;
}

native::TNativeWindow* NativeWindow(HWND hwnd) { return Alive(hwnd) ? hwnd->native.get() : nullptr; }

const TBitmap* WindowFrame(HWND hwnd) {
    return Alive(hwnd) && !hwnd->child && !hwnd->messageOnly ? &hwnd->frame : nullptr;
}
