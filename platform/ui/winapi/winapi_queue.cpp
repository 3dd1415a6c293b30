#include <algorithm>

#include "platform/ui/winapi.h"
#include "platform/ui/winapi/winapi_internal.h"

namespace winapi_internal {

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

}  // namespace winapi_internal

using namespace winapi_internal;

namespace {

bool Matches(const MSG& m, HWND filter, UINT lo, UINT hi) {
    if (filter && m.hwnd != filter) return false;
    if (lo == 0 && hi == 0) return true;
    return m.message >= lo && m.message <= hi;
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
        case native::TEventKind::Char:
        case native::TEventKind::SysChar:
        case native::TEventKind::Wheel:
            return true;
        default:
            return false;
    }
}

// Whether a top-level window can take keys now.
bool TakesKeys(HWND top) {
    return top && (top->style & WS_VISIBLE) && EnabledInTree(top);
}

// Where a key goes that the backend reported for the top-level window top (none when it
// is none of ours). The keyboard belongs to the thread's one focus window, as on the
// system the program comes from, more than to the native window that the window system
// happened to deliver the key to:
// - an open menu (a popup holding the capture) has the keyboard, as the backend's keyboard
//   grab gives it; the key goes to the menu even when the grab could not be had;
// - the focus window, when it lies in top, or when top cannot take keys (disabled under a
//   modal dialog, hidden, gone) and the focus window's own top-level window can: the
//   window system's focus may lag behind a dialog just shown, and Enter and Escape are
//   the dialog's at once;
// - else top itself, when it can take keys.
HWND KeyTarget(HWND top) {
    TWindowSystem& s = Sys();
    if (Alive(s.capture)) {
        HWND menu = Top(s.capture);
        if (menu->native &&
            KindFor(menu->style, menu->exStyle, menu->parent) == native::TWindowKind::Popup &&
            TakesKeys(menu))
            return s.capture;
    }
    HWND focus = Alive(s.focus) ? s.focus : nullptr;
    if (focus && Top(focus) == top && TakesKeys(top) && EnabledInTree(focus)) return focus;
    if (TakesKeys(top)) return top;
    if (focus && TakesKeys(Top(focus)) && EnabledInTree(focus)) return focus;
    return nullptr;
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
                    case native::kLeftButton:
                        m.message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
                        break;
                    case native::kRightButton:
                        m.message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
                        break;
                    case native::kMiddleButton:
                        m.message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
                        break;
                    default:
                        return std::nullopt;
                }
            }
            m.wParam = MouseKeys(e.Modifiers);
            m.lParam = PointToLParam(e.ScreenPos - ScreenOrigin(target));
            return m;
        }
        case native::TEventKind::Wheel: {
            // To the window under the pointer, as current systems send it; over a window
            // that cannot take input now (the owner of a modal dialog), or with a menu
            // open, where the keys go.
            bool menuOpen =
                Alive(s.capture) && Top(s.capture)->native &&
                native::IsUnmanaged(KindFor(Top(s.capture)->style, Top(s.capture)->exStyle,
                                            Top(s.capture)->parent));
            m.hwnd = !menuOpen && TakesKeys(top) ? DeepestAt(top, e.ScreenPos - top->rect.TopLeft())
                                                 : KeyTarget(top);
            if (!m.hwnd) return std::nullopt;
            m.message = e.Horizontal ? WM_MOUSEHWHEEL : WM_MOUSEWHEEL;
            m.wParam = MAKEWPARAM(int(MouseKeys(e.Modifiers)), e.Delta);
            m.lParam = PointToLParam(e.ScreenPos);
            return m;
        }
        default: {
            m.hwnd = KeyTarget(top);
            if (!m.hwnd) return std::nullopt;
            switch (e.Kind) {
                case native::TEventKind::KeyDown:
                    m.message = WM_KEYDOWN;
                    m.wParam = WPARAM(e.Key);
                    break;
                case native::TEventKind::KeyUp:
                    m.message = WM_KEYUP;
                    m.wParam = WPARAM(e.Key);
                    break;
                default:
                    m.message = e.Kind == native::TEventKind::SysChar ? WM_SYSCHAR : WM_CHAR;
                    m.wParam = WPARAM(e.Char);
                    break;
            }
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

// The window system moved or resized a top-level window: its frame follows, and its
// procedure hears of it.
void MovedBySystem(HWND top, const TRect& rect) {
    if (rect == top->rect) return;
    bool resized = rect.Width() != top->rect.Width() || rect.Height() != top->rect.Height();
    top->rect = rect;
    if (resized) {
        top->frame.SetSize(rect.Width(), rect.Height());
        InvalidateWhole(top);
    }
    WINDOWPOS pos{top,
                  nullptr,
                  rect.Left,
                  rect.Top,
                  rect.Width(),
                  rect.Height(),
                  SWP_NOZORDER | SWP_NOACTIVATE};
    SendMessage(top, WM_WINDOWPOSCHANGED, 0, LPARAM(&pos));
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
    if (e.Kind == native::TEventKind::TimeChanged) {
        // As the system broadcasts it: to every top-level window.
        for (HWND top : s.topLevels)
            if (!top->messageOnly) Post(top, WM_TIMECHANGE, 0, 0);
        return;
    }
    if (e.Kind == native::TEventKind::ScreenChanged) {
        // The same: wParam the bits per pixel, lParam the primary monitor's size.
        native::TBackend& backend = Backend();
        TSize screen = backend.ScreenSize();
        for (HWND top : s.topLevels)
            if (!top->messageOnly)
                Post(top, WM_DISPLAYCHANGE, WPARAM(backend.BitsPerPixel()),
                     MAKELPARAM(screen.cx, screen.cy));
        // A monitor may have changed its density under a window.
        for (HWND top : std::vector<HWND>(s.topLevels))
            if (top->native) CheckDpi(top);
        return;
    }
    auto found = s.byNative.find(e.Window);
    if (found == s.byNative.end()) return;
    HWND top = found->second;
    switch (e.Kind) {
        case native::TEventKind::CloseRequest:
            if (EnabledInTree(top)) Post(top, WM_CLOSE, 0, 0);
            break;
        case native::TEventKind::Destroyed:
            // The window is gone, whatever the program thinks of it: it is closed, also
            // under a modal dialog, so that a main window saves and its program ends
            // rather than run on with nothing on the screen.
            Post(top, WM_CLOSE, 0, 0);
            break;
        case native::TEventKind::Exposed:
            if (top->native && top->update.IsEmpty()) top->native->Present(top->frame, e.Rect);
            break;
        case native::TEventKind::FrameChanged: {
            // As SetWindowPos with SWP_FRAMECHANGED tells a window: the same place and size,
            // another frame.
            WINDOWPOS pos{
                top,
                nullptr,
                top->rect.Left,
                top->rect.Top,
                top->rect.Width(),
                top->rect.Height(),
                SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE};
            SendMessage(top, WM_WINDOWPOSCHANGED, 0, LPARAM(&pos));
            break;
        }
        case native::TEventKind::Moved:
            MovedBySystem(top, e.Rect);
            if (Alive(top)) CheckDpi(top);
            break;
        case native::TEventKind::DensityChanged:
            // The window system has given the window the bounds it suggests for the new
            // density. The window hears of the density first, with those bounds as the
            // suggestion, while its own bounds are still those of the old density (from
            // which it scales); whatever bounds it does not take for itself are then the
            // window system's.
            if (e.PixelsPerInch > 0 && e.PixelsPerInch != top->dpi)
                SendDpiChanged(top, e.PixelsPerInch, e.Rect);
            if (Alive(top) && top->native) MovedBySystem(top, top->native->Bounds());
            break;
        default:
            break;
    }
}

// Takes whatever input the backend has, waiting until deadlineMs when there is none
// (a deadline in the past does not wait).
void Pump(int64_t deadlineMs) {
    std::vector<native::TEvent> events;
    Backend().WaitEvents(deadlineMs, events);
    for (const native::TEvent& e : events)
        Deliver(e);
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
            s.keyModifiers = it->Modifiers;
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
            if ((!filter || t.hwnd == filter) && t.due <= now && (!due || t.due < due->due))
                due = &t;
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

}  // namespace

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

bool TranslateMessage(const MSG*) {
    return false;
}  // characters arrive as WM_CHAR already

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
    int64_t deadline = deadlineMs < 0 ? timer
                       : timer < 0    ? deadlineMs
                                      : std::min(timer, deadlineMs);
    Pump(deadline);
}

void SetWakeHandler(std::function<void()> handler) {
    Sys().wakeHandler = std::move(handler);
}

DWORD GetTickCount() {
    return DWORD(Backend().NowMs());
}
int64_t GetTickCount64() {
    return Backend().NowMs();
}
void Sleep(DWORD ms) {
    Backend().Sleep(int(ms));
}

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

HWND GetCapture() {
    return Alive(Sys().capture) ? Sys().capture : nullptr;
}

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

HWND GetFocus() {
    return Alive(Sys().focus) ? Sys().focus : nullptr;
}
HWND GetActiveWindow() {
    return Alive(Sys().active) ? Sys().active : nullptr;
}

bool GetCursorPos(TPoint* point) {
    *point = Backend().CursorPos();
    return true;
}

int16_t GetKeyState(int virtualKey) {
    unsigned bit = virtualKey == VK_SHIFT     ? native::kShift
                   : virtualKey == VK_CONTROL ? native::kControl
                   : virtualKey == VK_MENU    ? native::kAlt
                                              : 0;
    return (Sys().keyModifiers & bit) ? int16_t(0x8000) : int16_t(0);
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

size_t LiveTimerCount() {
    return Sys().timers.size();
}

bool KillTimer(HWND hwnd, uintptr_t id) {
    return std::erase_if(Sys().timers,
                         [&](const TTimerEntry& t) { return t.hwnd == hwnd && t.id == id; }) > 0;
}
