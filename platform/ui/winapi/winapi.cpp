#include <algorithm>
#include <cctype>

#include "platform/ui/winapi.h"
#include "platform/ui/winapi/winapi_internal.h"

namespace winapi_internal {

TWindowSystem& Sys() {
    static TWindowSystem sys;
    return sys;
}

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

// A menu is a popup. A dialog frame makes a fixed-size dialog, with or without an owner:
// the modal frame (a form's bsDialog), or the dialog frame without the thin border; an
// owned window with a caption is one too. (WS_CAPTION holds the WS_DLGFRAME bit.)
native::TWindowKind KindFor(DWORD style, DWORD exStyle, HWND owner) {
    if ((style & WS_POPUP) && (exStyle & WS_EX_TOOLWINDOW))
        return exStyle & WS_EX_TRANSPARENT ? native::TWindowKind::Tooltip
                                           : native::TWindowKind::Popup;
    if ((exStyle & WS_EX_DLGMODALFRAME) || (style & WS_CAPTION) == WS_DLGFRAME ||
        (owner && (style & WS_DLGFRAME)))
        return native::TWindowKind::Dialog;
    return native::TWindowKind::Normal;
}

// Normal windows have a taskbar button, and so has a dialog without an owner (nothing
// else would bring it back from behind other windows).
bool HasTaskbarButton(HWND h) {
    if (!Sys().taskbarVisible || (h->exStyle & WS_EX_TOOLWINDOW)) return false;
    native::TWindowKind kind = KindFor(h->style, h->exStyle, h->parent);
    return kind == native::TWindowKind::Normal ||
           (kind == native::TWindowKind::Dialog && !h->parent);
}

HWND DeepestAt(HWND h, TPoint p) {
    for (auto it = h->children.rbegin(); it != h->children.rend(); ++it) {
        HWND c = *it;
        if ((c->style & WS_VISIBLE) && !(c->style & WS_DISABLED) && c->rect.Contains(p))
            return DeepestAt(c, p - c->rect.TopLeft());
    }
    return h;
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
    auto it =
        std::find_if(s.windows.begin(), s.windows.end(), [h](auto& w) { return w.get() == h; });
    if (it != s.windows.end()) {
        s.graveyard.push_back(std::move(*it));
        s.windows.erase(it);
    }
}

}  // namespace winapi_internal

using namespace winapi_internal;

namespace {

bool SetLayeredImpl(HWND hwnd, TColor key, uint8_t alpha, DWORD flags) {
    return SetLayeredWindowAttributes(hwnd, key, alpha, flags);
}

}  // namespace

// Creation and destruction -------------------------------------------------------------------

namespace {
struct TProgramWindowClass {
    std::string Name = "zentick";
    std::span<const native::TIconImage> Icon;
};

TProgramWindowClass& ProgramWindowClass() {
    static TProgramWindowClass windowClass;
    return windowClass;
}
}  // namespace

void SetProgramWindowClass(std::string className, std::span<const native::TIconImage> icon) {
    ProgramWindowClass() = {std::move(className), icon};
}

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
        params.ClassName = ProgramWindowClass().Name;
        params.Icon = ProgramWindowClass().Icon;
        params.Owner = h->parent && h->parent->native ? h->parent->native.get() : nullptr;
        params.Borderless = (style & WS_CAPTION) != WS_CAPTION;
        params.StayOnTop = exStyle & WS_EX_TOPMOST;
        params.TaskbarButton = HasTaskbarButton(h);
        params.Resizable = style & WS_THICKFRAME;
        h->dpi = MonitorDpi(h->rect);
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

bool IsWindow(HWND hwnd) {
    return Alive(hwnd);
}

size_t LiveWindowCount() {
    // Destroyed windows wait in the graveyard until no message is being handled: they
    // still count.
    return Sys().windows.size() + Sys().graveyard.size();
}

// Window data and procedure ------------------------------------------------------------------

LONG_PTR GetWindowLongPtrA(HWND hwnd, int index) {
    if (!Alive(hwnd)) return 0;
    switch (index) {
        case GWL_STYLE:
            return LONG_PTR(int32_t(hwnd->style));
        case GWL_EXSTYLE:
            return LONG_PTR(int32_t(hwnd->exStyle));
        case GWLP_USERDATA:
            return hwnd->userData;
        default:
            return 0;
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
        case GWLP_USERDATA:
            hwnd->userData = value;
            break;
        default:
            break;
    }
    return old;
}

WNDPROC GetWindowProc(HWND hwnd) {
    return Alive(hwnd) ? hwnd->proc : WNDPROC{};
}

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
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
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
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL:
            if (hwnd->child) return SendMessage(hwnd->parent, msg, wParam, lParam);
            return 0;
        case WM_SETCURSOR:
            if (hwnd->child) return SendMessage(hwnd->parent, msg, wParam, lParam);
            SetCursorShape(hwnd, 0);
            return 1;
        case WM_WINDOWPOSCHANGED: {
            auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
            if (!(pos->flags & SWP_NOMOVE))
                SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(pos->x, pos->y));
            if (!(pos->flags & SWP_NOSIZE))
                SendMessage(hwnd, WM_SIZE, 0, MAKELPARAM(pos->cx, pos->cy));
            return 0;
        }
        default:
            return 0;
    }
}

native::TFrameExtents GetWindowFrameExtents(HWND hwnd) {
    if (!Alive(hwnd) || !hwnd->native) return {};
    return hwnd->native->FrameExtents();
}

void SetWindowModal(HWND hwnd, bool modal) {
    if (Alive(hwnd) && hwnd->native) hwnd->native->SetModal(modal);
}

void SetWindowAccessibleName(HWND hwnd, const std::string& name) {
    if (Alive(hwnd) && hwnd->native) hwnd->native->SetAccessibleName(name);
}

bool SetWindowTextA(HWND hwnd, const std::string& text) {
    if (!Alive(hwnd)) return false;
    hwnd->text = text;
    if (hwnd->native) hwnd->native->SetTitle(text);
    return true;
}

// Position, size, visibility, stacking
// --------------------------------------------------------------

bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    if (!Alive(hwnd)) return false;
    TRect old = hwnd->rect;
    TRect r = old;
    if (!(flags & SWP_NOMOVE)) r = TRect::FromSize(x, y, r.Width(), r.Height());
    if (!(flags & SWP_NOSIZE)) r = TRect::FromSize(r.Left, r.Top, std::max(0, cx), std::max(0, cy));
    bool moved = r.TopLeft() != old.TopLeft();
    bool resized = r.Width() != old.Width() || r.Height() != old.Height();
    bool shown = ShownInTree(hwnd);
    if (hwnd->child && shown && (moved || resized) && !(flags & SWP_NOREDRAW))
        InvalidateWhole(hwnd);
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
                hwnd->exStyle =
                    onTop ? (hwnd->exStyle | WS_EX_TOPMOST) : (hwnd->exStyle & ~WS_EX_TOPMOST);
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
    if (hwnd->child && shown && (moved || resized) && !(flags & SWP_NOREDRAW))
        InvalidateWhole(hwnd);
    if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, SW_SHOWNA);
    if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
    if (moved || resized) {
        WINDOWPOS pos{hwnd,
                      insertAfter,
                      r.Left,
                      r.Top,
                      r.Width(),
                      r.Height(),
                      flags | (moved ? 0 : SWP_NOMOVE) | (resized ? 0 : SWP_NOSIZE)};
        SendMessage(hwnd, WM_WINDOWPOSCHANGED, 0, LPARAM(&pos));
        if (Alive(hwnd) && !hwnd->child && hwnd->native) CheckDpi(hwnd);
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
        hwnd->native->SetActivateOnShow(cmd != SW_SHOWNA && cmd != SW_SHOWNOACTIVATE);
        hwnd->native->Show(true);
        if (cmd != SW_SHOWNA && cmd != SW_SHOWNOACTIVATE) s.active = hwnd;
    }
    return false;
}

bool IsWindowVisible(HWND hwnd) {
    return Alive(hwnd) && ShownInTree(hwnd);
}
bool IsIconic(HWND hwnd) {
    return Alive(hwnd) && (hwnd->style & WS_MINIMIZE);
}
bool IsZoomed(HWND hwnd) {
    return Alive(hwnd) && (hwnd->style & WS_MAXIMIZE);
}

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

bool IsWindowEnabled(HWND hwnd) {
    return Alive(hwnd) && !(hwnd->style & WS_DISABLED);
}

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

HWND GetParent(HWND hwnd) {
    return Alive(hwnd) ? hwnd->parent : nullptr;
}
HWND GetTopLevel(HWND hwnd) {
    return Alive(hwnd) ? Top(hwnd) : nullptr;
}

HWND ChildWindowFromPoint(HWND hwnd, TPoint clientPoint) {
    if (!Alive(hwnd)) return nullptr;
    return DeepestAt(hwnd, clientPoint);
}

HWND WindowFromPoint(TPoint screenPoint) {
    TWindowSystem& s = Sys();
    for (auto it = s.topLevels.rbegin(); it != s.topLevels.rend(); ++it) {
        HWND top = *it;
        // A tooltip lets the pointer through.
        if ((top->style & WS_VISIBLE) && !(top->exStyle & WS_EX_TRANSPARENT) &&
            top->rect.Contains(screenPoint))
            return DeepestAt(top, screenPoint - top->rect.TopLeft());
    }
    return nullptr;
}

// Shape
// -----------------------------------------------------------------------------------------------

int SetWindowRgn(HWND hwnd, std::unique_ptr<TRegion> region, bool redraw) {
    if (!Alive(hwnd)) return 0;
    hwnd->region = std::move(region);
    if (hwnd->native) hwnd->native->SetShape(hwnd->region.get());
    if (redraw) InvalidateWhole(hwnd);
    return 1;
}

const TRegion* GetWindowRgn(HWND hwnd) {
    return Alive(hwnd) ? hwnd->region.get() : nullptr;
}

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

// System settings
// ---------------------------------------------------------------------------------------

bool SystemParametersInfoA(UINT action, UINT, void* value, UINT) {
    if (action == SPI_GETDRAGFULLWINDOWS && value) {
        *static_cast<int*>(value) = Backend().DragFullWindows() ? 1 : 0;
        return true;
    }
    return false;
}

namespace winapi_internal {

int MonitorDpi(const TRect& screenRect) {
    std::vector<native::TMonitor> monitors = Backend().Monitors();
    int index = native::MonitorIndexFor(monitors, screenRect);
    return index >= 0 ? monitors[size_t(index)].PixelsPerInch : Backend().PixelsPerInch();
}

void CheckDpi(HWND top) {
    if (!Alive(top) || top->dpiChanging || Backend().ReportsDensityChanges()) return;
    int dpi = MonitorDpi(top->rect);
    if (dpi == top->dpi) return;
    const int old = top->dpi;
    const TRect& r = top->rect;
    int width = int((int64_t(r.Width()) * dpi + old / 2) / old);
    int height = int((int64_t(r.Height()) * dpi + old / 2) / old);
    TRect suggested = TRect::FromSize(r.Left + (r.Width() - width) / 2,
                                      r.Top + (r.Height() - height) / 2, width, height);
    SendDpiChanged(top, dpi, suggested);
}

void SendDpiChanged(HWND top, int dpi, TRect suggested) {
    top->dpi = dpi;
    top->dpiChanging = true;
    SendMessage(top, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), LPARAM(&suggested));
    if (Alive(top)) top->dpiChanging = false;
}

}  // namespace winapi_internal

UINT GetDpiForWindow(HWND hwnd) {
    HWND top = Top(hwnd);
    return Alive(top) && top->native ? UINT(top->dpi) : UINT(Backend().PixelsPerInch());
}

int GetSystemMetrics(int index) {
    switch (index) {
        case SM_CXSCREEN:
            return Backend().ScreenSize().cx;
        case SM_CYSCREEN:
            return Backend().ScreenSize().cy;
        default:
            return 0;
    }
}

HMODULE LoadLibraryA(const std::string& name) {
    static const TModuleEntry user32{"user32"};
    std::string lower;
    for (char c : name)
        lower += char(std::tolower(static_cast<unsigned char>(c)));
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
    for (auto& w : s.windows)
        w->proc = WNDPROC{};
    while (!s.windows.empty()) {
        HWND h = s.windows.back().get();
        while (h->child && Alive(h->parent))
            h = h->parent;
        DestroyWindow(h);
    }
    s.graveyard.clear();
    s.queue.clear();
    s.input.clear();
    s.timers.clear();
    s.dcs.clear();
    s.quitPosted = false;
    s.capture = s.focus = s.active = nullptr;
    s.keyModifiers = 0;
}

native::TNativeWindow* NativeWindow(HWND hwnd) {
    return Alive(hwnd) ? hwnd->native.get() : nullptr;
}

const TBitmap* WindowFrame(HWND hwnd) {
    return Alive(hwnd) && !hwnd->child && !hwnd->messageOnly ? &hwnd->frame : nullptr;
}
