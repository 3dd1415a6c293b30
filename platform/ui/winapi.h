// The window system as the controls see it: window handles with replaceable window
// procedures, a message queue with the system's GetMessage / PeekMessage / DispatchMessage
// semantics, mouse capture, keyboard focus, timers, invalidation and painting, window
// regions and colour keys. Numbers and behaviour follow the system's API where the
// program relies on them.
//
// Child windows are not native windows: a top-level window owns one frame (a 24-bit
// bitmap of its size) into which it and all its children paint, parents before children,
// and only the finished pixels go to the native backend. Input from the backend is turned
// into queued mouse and keyboard messages: mouse messages for the window under the
// pointer, or the window holding the capture; keys for the one focus window of the
// thread (an open menu, a popup holding the capture, has them first), also when the
// window system delivered them to another of the program's windows that cannot take
// them now, such as the owner of a modal dialog.
//
// Top-level windows become native windows of a kind: WS_POPUP with WS_EX_TOOLWINDOW is a
// popup (a menu); a dialog frame (WS_EX_DLGMODALFRAME, or WS_DLGFRAME without WS_BORDER),
// or a caption on an owned window, makes a fixed-size dialog, owned or not; the rest are
// normal windows. Normal windows and dialogs without an owner have a taskbar button.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>

#include "platform/gfx/canvas.h"
#include "platform/gfx/region.h"
#include "platform/native/native.h"
#include "platform/ui/messages.h"

using WNDPROC = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_MAXIMIZE = 0x01000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001;
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD WS_EX_TRANSPARENT = 0x00000020;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
constexpr DWORD WS_EX_CONTROLPARENT = 0x00010000;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000;
constexpr DWORD WS_EX_LAYERED = 0x00080000;

constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWLP_USERDATA = -21;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;

constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_FRAMECHANGED = 0x0020;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;

inline const HWND HWND_TOP = reinterpret_cast<HWND>(intptr_t(0));
inline const HWND HWND_BOTTOM = reinterpret_cast<HWND>(intptr_t(1));
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(intptr_t(-1));
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(intptr_t(-2));
// As the parent of CreateWindowExA: a window that only receives messages (no native
// window, never shown), like the application window and timer windows.
inline const HWND HWND_MESSAGE = reinterpret_cast<HWND>(intptr_t(-3));

// What WM_WINDOWPOSCHANGED points to (lParam) after a window moved, resized or restacked.
struct WINDOWPOS {
    HWND hwnd = nullptr;
    HWND hwndInsertAfter = nullptr;
    int x = 0, y = 0, cx = 0, cy = 0;
    UINT flags = 0;
};

constexpr UINT PM_NOREMOVE = 0;
constexpr UINT PM_REMOVE = 1;

constexpr DWORD LWA_COLORKEY = 1;
constexpr DWORD LWA_ALPHA = 2;

constexpr UINT SPI_GETDRAGFULLWINDOWS = 0x0026;
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int BITSPIXEL = 12;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;

// A device context: a canvas mapped onto a window's frame (or the screen, for drag
// outlines).
struct TDeviceContext;
using HDC = TDeviceContext*;

struct PAINTSTRUCT {
    HDC hdc = nullptr;
    bool fErase = false;
    TRect rcPaint;  // client coordinates
};

// Creation and destruction. A window without WS_CHILD is top-level: it gets a native
// window, a frame, and parent (when given) is its owner.
HWND CreateWindowExA(DWORD exStyle, const std::string& windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, WNDPROC proc);
bool DestroyWindow(HWND hwnd);

// The program every top-level window belongs to on the desktop: its class name (X11's
// WM_CLASS, by which docks group windows; "zentick" unless set) and its icon. A program
// sets it once before it creates a window; later windows are made with it.
void SetProgramWindowClass(std::string className, std::span<const native::TIconImage> icon = {});
bool IsWindow(HWND hwnd);

// Window data and procedure.
LONG_PTR GetWindowLongPtrA(HWND hwnd, int index);
LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value);
inline LONG GetWindowLongA(HWND hwnd, int index) {
    return LONG(GetWindowLongPtrA(hwnd, index));
}
inline LONG SetWindowLongA(HWND hwnd, int index, LONG value) {
    return LONG(SetWindowLongPtrA(hwnd, index, value));
}
// The window procedure: replacing it returns the previous one, which the new procedure
// passes messages on to with CallWindowProc.
WNDPROC GetWindowProc(HWND hwnd);
WNDPROC SetWindowProc(HWND hwnd, WNDPROC proc);
LRESULT CallWindowProc(const WNDPROC& proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
bool SetWindowTextA(HWND hwnd, const std::string& text);

// Messages.
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
bool PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
// Waits for the next message for hwnd (all windows when none) in [filterMin, filterMax]
// (0, 0: all). Returns 0 for WM_QUIT, 1 otherwise. Input and posted messages come first,
// then WM_PAINT, then WM_TIMER; between them the thread sleeps in the backend until
// input arrives or the next timer is due.
int GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
bool PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg);
bool TranslateMessage(const MSG* msg);
LRESULT DispatchMessage(const MSG* msg);
// Sleeps until input arrives, a timer is due or deadlineMs (a backend clock value; -1
// none) passes. Returns at once when messages are waiting.
void WaitForMessage(int64_t deadlineMs);
// Called for the backend's Wake events (signal handling).
void SetWakeHandler(std::function<void()> handler);
DWORD GetTickCount();
int64_t GetTickCount64();
void Sleep(DWORD ms);

// Mouse capture and keyboard focus.
HWND SetCapture(HWND hwnd);
HWND GetCapture();
bool ReleaseCapture();
HWND SetFocus(HWND hwnd);
HWND GetFocus();
HWND GetActiveWindow();
bool GetCursorPos(TPoint* point);
// Whether a modifier key (VK_SHIFT, VK_CONTROL, VK_MENU) was held when the input message
// last taken from the queue happened: negative (the high bit set) when it was down.
int16_t GetKeyState(int virtualKey);
// Sets the pointer shape (a crXXX number) of the top-level window holding hwnd.
void SetCursorShape(HWND hwnd, int cursor);

// Timers: WM_TIMER with wParam = id reaches hwnd every elapse milliseconds.
uintptr_t SetTimer(HWND hwnd, uintptr_t id, UINT elapseMs);
bool KillTimer(HWND hwnd, uintptr_t id);

// Painting.
bool InvalidateRect(HWND hwnd, const TRect* rect, bool erase);
bool ValidateRect(HWND hwnd, const TRect* rect);
bool UpdateWindow(HWND hwnd);
bool GetUpdateRect(HWND hwnd, TRect* rect);
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
bool EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
// A device context for drawing on a window outside painting (shown at ReleaseDC), or on
// the screen when hwnd is none (only DrawFocusRect draws there).
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC dc);
TCanvas& DCCanvas(HDC dc);
bool DrawFocusRect(HDC dc, const TRect& rect);
int GetDeviceCaps(HDC dc, int index);

// Position, size, visibility, stacking.
bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
bool MoveWindow(HWND hwnd, int x, int y, int width, int height, bool repaint);
bool ShowWindow(HWND hwnd, int cmd);
bool IsWindowVisible(HWND hwnd);
bool IsIconic(HWND hwnd);
bool IsZoomed(HWND hwnd);
bool EnableWindow(HWND hwnd, bool enable);
bool IsWindowEnabled(HWND hwnd);
bool GetWindowRect(HWND hwnd, TRect* rect);  // screen coordinates
bool GetClientRect(HWND hwnd, TRect* rect);
bool ClientToScreen(HWND hwnd, TPoint* point);
bool ScreenToClient(HWND hwnd, TPoint* point);
HWND GetParent(HWND hwnd);
HWND GetTopLevel(HWND hwnd);
// The deepest visible window of hwnd's tree under a point of hwnd's client area.
HWND ChildWindowFromPoint(HWND hwnd, TPoint clientPoint);
HWND WindowFromPoint(TPoint screenPoint);

// Shape. The window takes ownership of the region; none makes it rectangular again.
int SetWindowRgn(HWND hwnd, std::unique_ptr<TRegion> region, bool redraw);
const TRegion* GetWindowRgn(HWND hwnd);
// The colour key of a window with WS_EX_LAYERED: with LWA_COLORKEY, pixels of key are
// neither drawn nor clickable. Alpha is accepted and has no effect on this platform.
bool SetLayeredWindowAttributes(HWND hwnd, TColor key, uint8_t alpha, DWORD flags);

// The application window, which carries the taskbar button: hiding it with ShowWindow
// removes the button of every normal top-level window, showing it brings them back.
void SetTaskbarCarrier(HWND hwnd);

// System settings and metrics.
bool SystemParametersInfoA(UINT action, UINT param, void* value, UINT winIni);
int GetSystemMetrics(int index);
// The pixels per inch of the monitor that holds the window's top-level window (its
// centre): the density it is to be drawn at. A window that comes to a monitor of another
// density, by a move or a change of the monitors, gets WM_DPICHANGED: wParam the new
// density in both halves, lParam a TRect* with the suggested screen rectangle (the window
// scaled about its centre, so that it stays on that monitor). The window is not resized
// for it: that is the handler's choice.
UINT GetDpiForWindow(HWND hwnd);

// Run-time lookup of system functions by library and name, as "user32" and
// "SetLayeredWindowAttributes".
using HMODULE = const struct TModuleEntry*;
using FARPROC = void (*)();
HMODULE LoadLibraryA(const std::string& name);
FARPROC GetProcAddress(HMODULE module, const std::string& name);
using TSetLayeredWindowAttributes = bool (*)(HWND, TColor, uint8_t, DWORD);

// Destroys every window that is left, without calling their procedures, and forgets all
// queued messages, timers and input: the window system's teardown before its backend
// goes away.
void DestroyAllWindows();

// How many windows (top-level, child and message-only, destroyed ones not yet freed
// included) and timers exist now; tests use them to show that a long run does not pile
// them up.
size_t LiveWindowCount();
size_t LiveTimerCount();

// The native window behind a top-level window (none for child windows); for backends and
// tests.
native::TNativeWindow* NativeWindow(HWND hwnd);
// The frame a top-level window composes into.
const TBitmap* WindowFrame(HWND hwnd);
