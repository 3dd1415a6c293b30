#include "platform/native/win32/win32backend.h"

#include <algorithm>
#include <climits>
#include <string>

#include "platform/native/win32/win32.h"
#include "platform/native/win32/win32window.h"

namespace native {

namespace {

// The program's file name without folder and extension: the application window's title,
// which the taskbar button shows.
std::wstring ProgramBaseName() {
    wchar_t path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, std::min<DWORD>(length, MAX_PATH));
    size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    size_t dot = name.find(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return name.empty() ? L"zentick" : name;
}

// Pixels are the screen's own on every monitor, not scaled by the system: the program is
// aware of each monitor's density (version 2, from Windows 10 1703), or, on older
// systems, of the desktop's. The programs declare it in their manifests; this is for any
// other program of the backend (its tests).
void BecomeDpiAware() {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32) return;
    using TSetContext = BOOL(WINAPI*)(HANDLE);
    auto setContext = reinterpret_cast<TSetContext>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2; refused when the manifest said it already.
    if (setContext && (setContext(reinterpret_cast<HANDLE>(intptr_t(-4))) ||
                       GetLastError() == ERROR_ACCESS_DENIED))
        return;
    using TSetProcessDPIAware = BOOL(WINAPI*)();
    auto call = reinterpret_cast<TSetProcessDPIAware>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDPIAware")));
    if (call) call();
}

// Whether the process is aware of each monitor's density: then the system tells each
// window when it comes to another density (WM_DPICHANGED).
bool AwareOfEachMonitor() {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32) return false;
    using TGetContext = HANDLE(WINAPI*)();
    using TAwareness = int(WINAPI*)(HANDLE);
    auto getContext = reinterpret_cast<TGetContext>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
    auto awareness = reinterpret_cast<TAwareness>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
    constexpr int kPerMonitorAware = 2;  // DPI_AWARENESS_PER_MONITOR_AWARE
    return getContext && awareness && awareness(getContext()) == kPerMonitorAware;
}

}  // namespace

std::unique_ptr<TBackend> CreateWin32Backend() {
    BecomeDpiAware();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = TWin32Window::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // The program's icon (resource 1), when the executable has one.
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    windowClass.lpszClassName = TWin32Backend::kWindowClass;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    WNDCLASSEXW applicationClass = windowClass;
    applicationClass.lpfnWndProc = TWin32Backend::ApplicationProc;
    applicationClass.lpszClassName = TWin32Backend::kApplicationClass;
    if (!RegisterClassExW(&applicationClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!wake) return nullptr;
    return std::make_unique<TWin32Backend>(instance, wake);
}

TWin32Backend::TWin32Backend(HINSTANCE instance, HANDLE wakeEvent)
    : instance_(instance), wake_(wakeEvent), awareOfEachMonitor_(AwareOfEachMonitor()) {
    LARGE_INTEGER frequency{};
    if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0)
        frequency_ = frequency.QuadPart;
    if (HDC screen = GetDC(nullptr)) {
        int ppi = GetDeviceCaps(screen, LOGPIXELSY);
        if (ppi >= 48 && ppi <= 480) pixelsPerInch_ = ppi;
        bitsPerPixel_ = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
        ReleaseDC(nullptr, screen);
    }
}

TWin32Backend::~TWin32Backend() {
    if (application_) DestroyWindow(application_);
    CloseHandle(wake_);
}

// Windows --------------------------------------------------------------------------------------

std::unique_ptr<TNativeWindow> TWin32Backend::CreateNativeWindow(const TWindowParams& params) {
    return std::make_unique<TWin32Window>(*this, params);
}

void TWin32Backend::Register(TWin32Window* window) {
    windows_.push_back(window);
}

void TWin32Backend::Unregister(TWin32Window* window) {
    std::erase(windows_, window);
    if (capture_ == window) {
        capture_ = nullptr;
        ReleaseCapture();
    }
    for (TWin32Window* other : std::vector<TWin32Window*>(windows_))
        if (other->Owner() == window) other->OwnerGone();
    std::erase_if(pending_, [window](const TEvent& e) { return e.Window == window; });
}

HWND TWin32Backend::ApplicationWindow() {
    if (application_) return application_;
    // Never shown: it only owns the windows that must not have a taskbar button (a window
    // owned by another has none). A shown window, even of no size, would be mapped by Wine
    // as a window of its own that the window manager shows.
    application_ = CreateWindowExW(WS_EX_TOOLWINDOW, kApplicationClass, ProgramBaseName().c_str(),
                                   WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance_, this);
    return application_;
}

LRESULT CALLBACK TWin32Backend::ApplicationProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* backend = reinterpret_cast<TWin32Backend*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (backend && msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (backend->application_ == hwnd) backend->application_ = nullptr;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Screen ----------------------------------------------------------------------------------------

TSize TWin32Backend::ScreenSize() const {
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

namespace {

// GetDpiForMonitor (shcore.dll, Windows 8.1 and later), looked up at run time.
using TGetDpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

TGetDpiForMonitor DpiForMonitorCall() {
    static TGetDpiForMonitor call = [] {
        HMODULE shcore = LoadLibraryW(L"shcore.dll");
        return shcore ? reinterpret_cast<TGetDpiForMonitor>(
                            reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    return call;
}

struct TMonitorList {
    std::vector<TMonitor> monitors;
    int fallbackPixelsPerInch;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto& list = *reinterpret_cast<TMonitorList*>(data);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    TMonitor m;
    m.Bounds = {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right,
                info.rcMonitor.bottom};
    m.PixelsPerInch = list.fallbackPixelsPerInch;
    UINT x = 0, y = 0;
    constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI: the density the user chose
    if (TGetDpiForMonitor call = DpiForMonitorCall();
        call && SUCCEEDED(call(monitor, kEffectiveDpi, &x, &y)) && y >= 48 && y <= 480)
        m.PixelsPerInch = int(y);
    bool primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    list.monitors.insert(primary ? list.monitors.begin() : list.monitors.end(), m);
    return TRUE;
}

}  // namespace

int TWin32Backend::PixelsPerInchAt(const RECT& rect) const {
    UINT x = 0, y = 0;
    constexpr int kEffectiveDpi = 0;
    if (TGetDpiForMonitor call = DpiForMonitorCall();
        call &&
        SUCCEEDED(call(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &x, &y)) &&
        y >= 48 && y <= 480)
        return int(y);
    return pixelsPerInch_;
}

std::vector<TMonitor> TWin32Backend::Monitors() const {
    TMonitorList list{{}, pixelsPerInch_};
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
    if (list.monitors.empty()) {
        TSize screen = ScreenSize();
        list.monitors.push_back({{0, 0, screen.cx, screen.cy}, pixelsPerInch_});
    }
    return list.monitors;
}

TPoint TWin32Backend::CursorPos() const {
    POINT p{};
    GetCursorPos(&p);
    return {p.x, p.y};
}

bool TWin32Backend::DragFullWindows() const {
    BOOL full = TRUE;
    if (!SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &full, 0)) return true;
    return full != FALSE;
}

void TWin32Backend::SetCapture(TNativeWindow* window) {
    auto* target = static_cast<TWin32Window*>(window);
    capture_ = target && target->Handle() ? target : nullptr;
    if (capture_) {
        ::SetCapture(capture_->Handle());
    } else {
        ::ReleaseCapture();
    }
}

void TWin32Backend::CaptureLost(TWin32Window* window) {
    if (capture_ == window) capture_ = nullptr;
}

void TWin32Backend::DrawFocusRectOnScreen(const TRect& rect) {
    if (rect.IsEmpty()) return;
    HDC screen = GetDC(nullptr);
    if (!screen) return;
    RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
    ::DrawFocusRect(screen, &r);
    ReleaseDC(nullptr, screen);
}

// Time and events ----------------------------------------------------------------------------

int64_t TWin32Backend::NowMs() const {
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    return counter.QuadPart / frequency_ * 1000 + counter.QuadPart % frequency_ * 1000 / frequency_;
}

void TWin32Backend::Sleep(int ms) {
    if (ms > 0) ::Sleep(DWORD(ms));
}

void TWin32Backend::Wake() {
    SetEvent(wake_);
}

void TWin32Backend::AskMainWindowToClose() {
    for (TWin32Window* window : windows_) {
        if (window->Kind() == TWindowKind::Normal) {
            TEvent e;
            e.Kind = TEventKind::CloseRequest;
            e.Window = window;
            e.TimeMs = NowMs();
            Post(e);
            return;
        }
    }
}

void TWin32Backend::Post(const TEvent& event) {
    // A density change carries the window's bounds: it replaces the moves before it, and
    // the moves after it (the user still dragging) only bring its bounds up to date, so
    // the framework never sees bounds of the old density after it has heard of the new.
    if (event.Kind == TEventKind::DensityChanged)
        std::erase_if(pending_, [&](const TEvent& e) {
            return e.Kind == TEventKind::Moved && e.Window == event.Window;
        });
    if (event.Kind == TEventKind::Moved) {
        auto density = std::find_if(pending_.begin(), pending_.end(), [&](const TEvent& e) {
            return e.Kind == TEventKind::DensityChanged && e.Window == event.Window;
        });
        if (density != pending_.end()) {
            density->Rect = event.Rect;
            return;
        }
    }
    if (event.Kind == TEventKind::ScreenChanged &&
        std::any_of(pending_.begin(), pending_.end(),
                    [](const TEvent& e) { return e.Kind == TEventKind::ScreenChanged; }))
        return;
    if (event.Kind == TEventKind::MouseMove && !pending_.empty()) {
        TEvent& last = pending_.back();
        if (last.Kind == TEventKind::MouseMove && last.Window == event.Window &&
            last.Modifiers == event.Modifiers) {
            last = event;
            return;
        }
    }
    pending_.push_back(event);
}

// Hands every message waiting in the thread's queue to its window procedure, which turns
// it into events (or lets the system handle it).
void TWin32Backend::Dispatch() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Another program asks this one to end: the main window is asked to close,
            // which saves the settings.
            AskMainWindowToClose();
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void TWin32Backend::WaitEvents(int64_t deadlineMs, std::vector<TEvent>& out) {
    for (;;) {
        Dispatch();
        if (WaitForSingleObject(wake_, 0) == WAIT_OBJECT_0) {
            TEvent wake;
            wake.Kind = TEventKind::Wake;
            wake.TimeMs = NowMs();
            pending_.push_back(wake);
        }
        if (!pending_.empty()) {
            out.insert(out.end(), pending_.begin(), pending_.end());
            pending_.clear();
            return;
        }
        DWORD timeout = INFINITE;
        if (deadlineMs >= 0) {
            int64_t left = deadlineMs - NowMs();
            if (left <= 0) return;
            timeout = DWORD(std::min<int64_t>(left, INT_MAX));
        }
        MsgWaitForMultipleObjectsEx(1, &wake_, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

}  // namespace native
