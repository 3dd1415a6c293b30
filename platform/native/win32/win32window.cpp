#include "platform/native/win32/win32window.h"

#include "platform/native/win32/win32accessible.h"
#include "platform/sysutils.h"

#include <algorithm>
#include <cstring>

#include <shobjidl.h>
#include <windowsx.h>

namespace native {

namespace {

constexpr DWORD kNoActivate = 0x08000000L;  // WS_EX_NOACTIVATE

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(size_t(std::max(length, 0)), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), length);
    return out;
}

// The system cursor for a cursor number.
LPCWSTR SystemCursor(int cursor) {
    switch (cursor) {
        case -21:
            return IDC_HAND;  // crHandPoint
        case -22:
            return IDC_SIZEALL;  // crSizeAll
        case -4:
            return IDC_IBEAM;  // crIBeam
        case -3:
            return IDC_CROSS;  // crCross
        case -11:
            return IDC_WAIT;  // crHourGlass
        default:
            return IDC_ARROW;  // crDefault, crArrow and the rest
    }
}

unsigned Modifiers(WPARAM keys) {
    unsigned m = 0;
    if (keys & MK_SHIFT) m |= kShift;
    if (keys & MK_CONTROL) m |= kControl;
    if (GetKeyState(VK_MENU) < 0) m |= kAlt;
    if (keys & MK_LBUTTON) m |= kLeftDown;
    if (keys & MK_RBUTTON) m |= kRightDown;
    if (keys & MK_MBUTTON) m |= kMiddleDown;
    return m;
}

// AdjustWindowRectExForDpi (Windows 10 1607 and later), looked up at run time.
using TAdjustForDpi = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
TAdjustForDpi AdjustForDpiCall() {
    static TAdjustForDpi call = [] {
        HMODULE user32 = GetModuleHandleW(L"user32.dll");
        return user32 ? reinterpret_cast<TAdjustForDpi>(reinterpret_cast<void*>(
                            GetProcAddress(user32, "AdjustWindowRectExForDpi")))
                      : nullptr;
    }();
    return call;
}

// Tells the shell's taskbar at once that a shown window gets or loses its button: the
// taskbar itself looks at a window's style only when the window is shown, and hiding and
// showing it again would make it flicker (and, under Wine without a window manager, keep
// it hidden for a second or two while Wine waits for one).
void TellTaskbar(HWND hwnd, bool button) {
    static const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    (void)com;  // already initialised in another mode: the taskbar object still comes
    ITaskbarList* taskbar = nullptr;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList,
                                reinterpret_cast<void**>(&taskbar))) ||
        !taskbar)
        return;
    if (SUCCEEDED(taskbar->HrInit())) {
        if (button) {
            taskbar->AddTab(hwnd);
        } else {
            taskbar->DeleteTab(hwnd);
        }
    }
    taskbar->Release();
}

unsigned KeyModifiers() {
    unsigned m = 0;
    if (GetKeyState(VK_SHIFT) < 0) m |= kShift;
    if (GetKeyState(VK_CONTROL) < 0) m |= kControl;
    if (GetKeyState(VK_MENU) < 0) m |= kAlt;
    return m;
}

}  // namespace

TWin32Window::TWin32Window(TWin32Backend& backend, const TWindowParams& params)
    : backend_(backend),
      kind_(params.Kind),
      owner_(static_cast<TWin32Window*>(params.Owner)),
      bounds_(params.Bounds),
      dpi_(backend.PixelsPerInchAt(
          RECT{params.Bounds.Left, params.Bounds.Top, params.Bounds.Right, params.Bounds.Bottom})),
      stayOnTop_(params.StayOnTop),
      taskbarButton_(params.TaskbarButton),
      borderless_(params.Borderless) {
    cursorHandle_ = LoadCursorW(nullptr, IDC_ARROW);
    HWND ownerHandle = owner_ && owner_->Handle() ? owner_->Handle() : OwnerWhenAlone();
    RECT outer = OuterRect(bounds_);
    hwnd_ =
        CreateWindowExW(ExStyle(), TWin32Backend::kWindowClass, Wide(params.Title).c_str(), Style(),
                        outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
                        ownerHandle, nullptr, backend_.Instance(), this);
    if (!hwnd_) throw EOutOfResources("the system refused to create a window");
    backend_.Register(this);
    if (stayOnTop_)
        SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TWin32Window::~TWin32Window() {
    backend_.Unregister(this);
    if (hwnd_) {
        HWND hwnd = hwnd_;
        DestroyWindow(hwnd);  // WM_NCDESTROY forgets the handle
    }
    ReleaseSurface();
}

void TWin32Window::OwnerGone() {
    owner_ = nullptr;
    // Destroying a window destroys the windows it owns: this one is handed to the
    // application window first.
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(OwnerWhenAlone()));
        SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, LONG_PTR(ExStyle()));
    }
}

HWND TWin32Window::OwnerWhenAlone() {
    return kind_ == TWindowKind::Dialog ? backend_.ApplicationWindow() : nullptr;
}

DWORD TWin32Window::Style() const {
    DWORD style = WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    if (IsUnmanaged(kind_) || borderless_) return style | WS_POPUP;
    if (kind_ == TWindowKind::Dialog) return style | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    return style | WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
}

DWORD TWin32Window::ExStyle() const {
    DWORD ex = 0;
    if (IsUnmanaged(kind_)) ex |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST | kNoActivate;
    if (kind_ == TWindowKind::Dialog && !borderless_) ex |= WS_EX_DLGMODALFRAME;
    if (stayOnTop_) ex |= WS_EX_TOPMOST;
    if (kind_ == TWindowKind::Normal && !owner_)
        ex |= taskbarButton_ ? WS_EX_APPWINDOW : WS_EX_TOOLWINDOW;
    if (colorKey_) ex |= WS_EX_LAYERED;
    return ex;
}

RECT TWin32Window::OuterRect(const TRect& client) const {
    RECT r{client.Left, client.Top, client.Left + std::max(0, client.Width()),
           client.Top + std::max(0, client.Height())};
    if (TAdjustForDpi adjust = AdjustForDpiCall();
        !adjust || !adjust(&r, Style(), FALSE, ExStyle(), UINT(dpi_)))
        AdjustWindowRectEx(&r, Style(), FALSE, ExStyle());
    return r;
}

POINT TWin32Window::ClientOffset() const {
    RECT r = OuterRect({0, 0, 0, 0});
    return {-r.left, -r.top};
}

// Window procedure ------------------------------------------------------------------------------

LRESULT CALLBACK TWin32Window::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* window = static_cast<TWin32Window*>(create->lpCreateParams);
        window->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    auto* window = reinterpret_cast<TWin32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!window) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        window->hwnd_ = nullptr;
        window->visible_ = false;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return window->OnMessage(msg, wParam, lParam);
}

void TWin32Window::MouseEvent(TEventKind kind, int button, WPARAM wParam, LPARAM lParam) {
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(hwnd_, &p);
    TEvent e;
    e.Kind = kind;
    e.Window = this;
    e.ScreenPos = {p.x, p.y};
    e.Button = button;
    e.Modifiers = Modifiers(wParam);
    e.TimeMs = backend_.NowMs();
    backend_.Post(e);
}

void TWin32Window::WheelEvent(bool horizontal, WPARAM wParam, LPARAM lParam) {
    TEvent e;
    e.Kind = TEventKind::Wheel;
    e.Window = this;
    e.ScreenPos = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};  // already on the screen
    e.Modifiers = Modifiers(GET_KEYSTATE_WPARAM(wParam));
    e.Delta = GET_WHEEL_DELTA_WPARAM(wParam);
    e.Horizontal = horizontal;
    e.TimeMs = backend_.NowMs();
    backend_.Post(e);
}

void TWin32Window::KeyEvent(TEventKind kind, WPARAM key) {
    TEvent e;
    e.Kind = kind;
    e.Window = this;
    e.ScreenPos = backend_.CursorPos();
    e.Modifiers = KeyModifiers();
    e.TimeMs = backend_.NowMs();
    if (kind == TEventKind::Char || kind == TEventKind::SysChar) {
        e.Char = uint32_t(key);
    } else {
        e.Key = int(key);
    }
    backend_.Post(e);
}

LRESULT TWin32Window::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_MOUSEMOVE:
            MouseEvent(TEventKind::MouseMove, 0, wParam, lParam);
            return 0;
        case WM_LBUTTONDOWN:
            MouseEvent(TEventKind::ButtonDown, kLeftButton, wParam, lParam);
            return 0;
        case WM_LBUTTONUP:
            MouseEvent(TEventKind::ButtonUp, kLeftButton, wParam, lParam);
            return 0;
        case WM_RBUTTONDOWN:
            MouseEvent(TEventKind::ButtonDown, kRightButton, wParam, lParam);
            return 0;
        case WM_RBUTTONUP:
            MouseEvent(TEventKind::ButtonUp, kRightButton, wParam, lParam);
            return 0;
        case WM_MBUTTONDOWN:
            MouseEvent(TEventKind::ButtonDown, kMiddleButton, wParam, lParam);
            return 0;
        case WM_MBUTTONUP:
            MouseEvent(TEventKind::ButtonUp, kMiddleButton, wParam, lParam);
            return 0;
        case WM_KEYDOWN:
            KeyEvent(TEventKind::KeyDown, wParam);
            return 0;
        case WM_KEYUP:
            KeyEvent(TEventKind::KeyUp, wParam);
            return 0;
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
            // Alt with a key: reported, and left to the system too (Alt+F4 closes).
            KeyEvent(msg == WM_SYSKEYDOWN ? TEventKind::KeyDown : TEventKind::KeyUp, wParam);
            break;
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL:
            WheelEvent(msg == WM_MOUSEHWHEEL, wParam, lParam);
            return msg == WM_MOUSEHWHEEL;  // TRUE: the tilt was used
        case WM_SYSCHAR:
            // Alt with a character: an access key, and no beep from the system. Alt+Space
            // stays the system's (the window menu).
            if (wParam == WPARAM(' ')) break;
            KeyEvent(TEventKind::SysChar, wParam);
            return 0;
        case WM_NCHITTEST:
            if (kind_ == TWindowKind::Tooltip) return HTTRANSPARENT;  // the pointer goes through
            break;
        case WM_GETOBJECT:
            if (accessibleName_) {
                if (LRESULT object = AnswerGetObject(hwnd_, wParam, lParam, accessibleName_))
                    return object;
            }
            break;
        case WM_CHAR: {
            auto unit = wchar_t(wParam);
            if (unit >= 0xD800 && unit < 0xDC00) {
                highSurrogate_ = unit;
                return 0;
            }
            uint32_t ch = unit;
            if (unit >= 0xDC00 && unit < 0xE000) {
                if (!highSurrogate_) return 0;
                ch = 0x10000 + ((uint32_t(highSurrogate_) - 0xD800) << 10) + (unit - 0xDC00);
            }
            highSurrogate_ = 0;
            KeyEvent(TEventKind::Char, ch);
            return 0;
        }
        case WM_CLOSE: {
            TEvent e;
            e.Kind = TEventKind::CloseRequest;
            e.Window = this;
            e.TimeMs = backend_.NowMs();
            backend_.Post(e);
            return 0;
        }
        case WM_DPICHANGED: {
            // The window came to a monitor of another density. The system's suggestion
            // (the window rectangle there, frame included) is taken at once, as the system
            // expects, so that a drag goes on at the new size; the framework hears of it
            // with the client area's bounds there and lays the window out itself.
            dpi_ = LOWORD(wParam);
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            TEvent e;
            e.Kind = TEventKind::DensityChanged;
            e.Window = this;
            e.Rect = bounds_;
            e.PixelsPerInch = dpi_;
            e.TimeMs = backend_.NowMs();
            backend_.Post(e);
            return 0;
        }
        case WM_DISPLAYCHANGE: {
            // Sent to every top-level window: the backend reports it once.
            TEvent e;
            e.Kind = TEventKind::ScreenChanged;
            e.TimeMs = backend_.NowMs();
            backend_.Post(e);
            break;
        }
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != hwnd_) backend_.CaptureLost(this);
            return 0;
        case WM_MOUSEACTIVATE:
            if (IsUnmanaged(kind_)) return MA_NOACTIVATE;
            break;
        case WM_SYSCOMMAND:
            // A window without a minimise box (the clock) has no minimised state, also when
            // its taskbar button asks for one.
            if ((wParam & 0xFFF0) == SC_MINIMIZE && !(Style() & WS_MINIMIZEBOX)) return 0;
            break;
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT) {
                SetCursor(cursorHandle_);
                return TRUE;
            }
            break;
        case WM_ERASEBKGND:
            return 1;  // the pixels cover the whole client area
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            if (dc) Blit(dc, ps.rcPaint);
            EndPaint(hwnd_, &ps);
            return 0;
        }
        case WM_WINDOWPOSCHANGED: {
            // A move or resize by the system (or the user through it) is reported; one that
            // only confirms the bounds asked for is not.
            RECT client{};
            GetClientRect(hwnd_, &client);
            POINT origin{0, 0};
            ClientToScreen(hwnd_, &origin);
            TRect now = TRect::FromSize(origin.x, origin.y, client.right, client.bottom);
            if (IsIconic(hwnd_) || now == bounds_) return 0;
            bounds_ = now;
            TEvent e;
            e.Kind = TEventKind::Moved;
            e.Window = this;
            e.Rect = now;
            e.TimeMs = backend_.NowMs();
            backend_.Post(e);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void TWin32Window::SetAccessibleName(const std::string& name) {
    // Read when a screen reader asks: a name that changes every second costs nothing more.
    if (!accessibleName_) accessibleName_ = std::make_shared<std::wstring>();
    *accessibleName_ = Wide(name);
}

TFrameExtents TWin32Window::FrameExtents() {
    // The window rectangle around the client area: caption and borders.
    RECT outer = OuterRect({0, 0, 0, 0});
    return {-outer.left, -outer.top, outer.right, outer.bottom};
}

// Geometry, visibility, stacking -------------------------------------------------------------

void TWin32Window::SetBounds(const TRect& screenBounds) {
    if (screenBounds == bounds_ || !hwnd_) return;
    bounds_ = screenBounds;
    RECT outer = OuterRect(bounds_);
    SetWindowPos(hwnd_, nullptr, outer.left, outer.top, outer.right - outer.left,
                 outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // A region given for the old size is kept as it is (in client coordinates).
}

void TWin32Window::Show(bool visible) {
    if (visible == visible_ || !hwnd_) return;
    visible_ = visible;
    if (visible) {
        // A dialog and a normal window take the focus; a menu never does, nor a gadget
        // until it is clicked.
        ShowWindow(hwnd_, IsUnmanaged(kind_) || !activateOnShow_ ? SW_SHOWNOACTIVATE : SW_SHOW);
        if (IsUnmanaged(kind_))
            SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        if (kind_ == TWindowKind::Dialog) SetForegroundWindow(hwnd_);
    } else {
        ShowWindow(hwnd_, SW_HIDE);
    }
}

void TWin32Window::SetTitle(const std::string& title) {
    if (hwnd_) SetWindowTextW(hwnd_, Wide(title).c_str());
}

void TWin32Window::SetStayOnTop(bool onTop) {
    stayOnTop_ = onTop;
    if (!hwnd_) return;
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    if (onTop) {
        SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, flags);
        return;
    }
    // Some systems (Wine) keep an owned window topmost whatever it is asked: it comes down
    // while it has no owner, and gets its owner back afterwards.
    HWND owner = GetWindow(hwnd_, GW_OWNER);
    if (owner) SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, 0);
    SetWindowPos(hwnd_, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    if (owner) SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
}

void TWin32Window::SetTaskbarButton(bool visible) {
    if (visible == taskbarButton_) return;
    taskbarButton_ = visible;
    if (!hwnd_ || kind_ != TWindowKind::Normal || owner_) return;
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, LONG_PTR(ExStyle()));
    if (visible_) TellTaskbar(hwnd_, visible);
}

void TWin32Window::SetBorderless(bool borderless) {
    if (borderless == borderless_ || !hwnd_) return;
    borderless_ = borderless;
    SetWindowLongPtrW(hwnd_, GWL_STYLE, LONG_PTR(Style() | (visible_ ? WS_VISIBLE : 0)));
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, LONG_PTR(ExStyle()));
    RECT outer = OuterRect(bounds_);
    SetWindowPos(hwnd_, nullptr, outer.left, outer.top, outer.right - outer.left,
                 outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    ApplyShape();
}

void TWin32Window::Raise() {
    if (hwnd_) SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWin32Window::SetCursorShape(int cursor) {
    if (cursor == cursor_) return;
    cursor_ = cursor;
    cursorHandle_ = LoadCursorW(nullptr, SystemCursor(cursor));
    // The new shape shows at once when the pointer is over the window.
    POINT p{};
    if (hwnd_ && GetCursorPos(&p) && WindowFromPoint(p) == hwnd_) SetCursor(cursorHandle_);
}

// Shape -----------------------------------------------------------------------------------------

void TWin32Window::SetShape(const TRegion* shape) {
    if (shape) {
        shape_ = *shape;
    } else {
        shape_.reset();
    }
    ApplyShape();
}

void TWin32Window::ApplyShape() {
    if (!hwnd_) return;
    if (!shape_) {
        SetWindowRgn(hwnd_, nullptr, TRUE);
        return;
    }
    // The region's rectangles, moved from client to window coordinates, as region data.
    const std::vector<TRect> rects = shape_->Rects();
    const POINT offset = ClientOffset();
    std::vector<uint8_t> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
    header->dwSize = sizeof(RGNDATAHEADER);
    header->iType = RDH_RECTANGLES;
    header->nCount = DWORD(rects.size());
    header->nRgnSize = DWORD(rects.size() * sizeof(RECT));
    RECT bound{0, 0, 0, 0};
    auto* out = reinterpret_cast<RECT*>(data.data() + sizeof(RGNDATAHEADER));
    for (size_t i = 0; i < rects.size(); ++i) {
        RECT r{rects[i].Left + offset.x, rects[i].Top + offset.y, rects[i].Right + offset.x,
               rects[i].Bottom + offset.y};
        out[i] = r;
        if (i == 0) {
            bound = r;
        } else {
            bound.left = std::min(bound.left, r.left);
            bound.top = std::min(bound.top, r.top);
            bound.right = std::max(bound.right, r.right);
            bound.bottom = std::max(bound.bottom, r.bottom);
        }
    }
    header->rcBound = bound;
    HRGN region =
        ExtCreateRegion(nullptr, DWORD(data.size()), reinterpret_cast<RGNDATA*>(data.data()));
    if (!region) return;
    // The system owns the region from here on.
    if (!SetWindowRgn(hwnd_, region, TRUE)) DeleteObject(region);
}

void TWin32Window::SetColorKey(std::optional<TColor> key) {
    if (key) key = ColorToRGB(*key);
    if (key == colorKey_) return;
    colorKey_ = key;
    ApplyColorKey();
}

void TWin32Window::ApplyColorKey() {
    if (!hwnd_) return;
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, LONG_PTR(ExStyle()));
    if (colorKey_) {
        // Looked up at run time: the call is missing from systems before Windows 2000.
        using TSetLayered = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
        static const auto setLayered = [] {
            HMODULE user32 = GetModuleHandleW(L"user32.dll");
            return user32 ? reinterpret_cast<TSetLayered>(reinterpret_cast<void*>(
                                GetProcAddress(user32, "SetLayeredWindowAttributes")))
                          : nullptr;
        }();
        if (setLayered) setLayered(hwnd_, COLORREF(*colorKey_ & 0xFFFFFF), 255, LWA_COLORKEY);
    }
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
}

// Pixels ----------------------------------------------------------------------------------------

bool TWin32Window::Surface(int width, int height) {
    if (surfaceBitmap_ && surface_.cx == width && surface_.cy == height) return true;
    if (!memoryDC_) memoryDC_ = CreateCompatibleDC(nullptr);
    if (!memoryDC_) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP made = CreateDIBSection(memoryDC_, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (!made) return false;
    auto* bits = static_cast<uint32_t*>(pixels);
    std::fill_n(bits, size_t(width) * size_t(height), 0u);
    // What the old surface holds is kept where both overlap.
    if (bits_) {
        for (int y = 0; y < std::min<int>(height, surface_.cy); ++y)
            std::copy_n(bits_ + size_t(y) * size_t(surface_.cx), std::min<int>(width, surface_.cx),
                        bits + size_t(y) * size_t(width));
    }
    HGDIOBJ old = SelectObject(memoryDC_, made);
    if (!previousBitmap_) previousBitmap_ = old;
    if (surfaceBitmap_) DeleteObject(surfaceBitmap_);
    surfaceBitmap_ = made;
    bits_ = bits;
    surface_ = {width, height};
    return true;
}

void TWin32Window::ReleaseSurface() {
    if (memoryDC_ && previousBitmap_) SelectObject(memoryDC_, previousBitmap_);
    if (surfaceBitmap_) DeleteObject(surfaceBitmap_);
    if (memoryDC_) DeleteDC(memoryDC_);
    memoryDC_ = nullptr;
    surfaceBitmap_ = nullptr;
    previousBitmap_ = nullptr;
    bits_ = nullptr;
    surface_ = {0, 0};
}

void TWin32Window::Blit(HDC target, const RECT& area) {
    if (!bits_) return;
    BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, memoryDC_,
           area.left, area.top, SRCCOPY);
}

void TWin32Window::Present(const TBitmap& frame, const TRect& dirty) {
    const int width = frame.Width(), height = frame.Height();
    if (width <= 0 || height <= 0 || !hwnd_) return;
    TRect area = dirty.Intersect({0, 0, width, height});
    if (surface_.cx != width || surface_.cy != height) {
        if (!Surface(width, height)) return;
        area = {0, 0, width, height};
    }
    if (area.IsEmpty()) return;
    GdiFlush();
    // Only what differs from the surface goes to the screen: a clock's second changes a
    // few LEDs, not the whole area painted.
    TRect changed;
    const bool direct = frame.PixelFormat() == pf24bit;
    for (int y = area.Top; y < area.Bottom; ++y) {
        uint32_t* out = bits_ + size_t(y) * size_t(width);
        const uint8_t* in = direct ? frame.ScanLine(y) : nullptr;
        int first = -1, last = -1;
        for (int x = area.Left; x < area.Right; ++x) {
            uint32_t pixel;
            if (direct) {
                const uint8_t* p = in + 3 * x;  // blue, green, red
                pixel = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
            } else {
                TColor c = frame.Pixel(x, y);
                pixel = uint32_t(GetBValue(c)) | uint32_t(GetGValue(c)) << 8 |
                        uint32_t(GetRValue(c)) << 16;
            }
            if (out[x] == pixel) continue;
            out[x] = pixel;
            if (first < 0) first = x;
            last = x;
        }
        if (first >= 0) changed = changed.Union({first, y, last + 1, y + 1});
    }
    if (changed.IsEmpty()) return;
    if (HDC dc = GetDC(hwnd_)) {
        Blit(dc, RECT{changed.Left, changed.Top, changed.Right, changed.Bottom});
        ReleaseDC(hwnd_, dc);
    }
}

}  // namespace native
