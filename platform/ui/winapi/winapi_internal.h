// The window layer's own state, shared by its source files (winapi.cpp: windows, their
// data, procedures, geometry and shape; winapi_queue.cpp: the message queue, input
// routing, timers, capture and focus; winapi_paint.cpp: invalidation, painting and device
// contexts). Nothing outside platform/ui/winapi*.cpp includes it: the rest of the
// program sees the window system through winapi.h only.
#pragma once

#include <deque>
#include <list>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/ui/winapi.h"

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
    int dpi = 96;              // of the monitor that holds the window (its centre)
    bool dpiChanging = false;  // WM_DPICHANGED is being handled
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

namespace winapi_internal {

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
    std::deque<MSG> queue;             // posted messages
    std::deque<native::TEvent> input;  // mouse and keyboard input, routed when taken
    bool quitPosted = false;
    int quitCode = 0;
    HWND capture = nullptr;
    HWND focus = nullptr;
    HWND active = nullptr;
    unsigned keyModifiers = 0;  // of the input message last taken from the queue
    HWND taskbarCarrier = nullptr;
    bool taskbarVisible = true;
    std::vector<TTimerEntry> timers;
    std::list<std::unique_ptr<TDeviceContext>> dcs;
    std::function<void()> wakeHandler;
    int depth = 0;  // nesting of message handling; the graveyard is cleared at 0
};

TWindowSystem& Sys();

inline native::TBackend& Backend() {
    return native::Backend();
}

inline bool Alive(HWND h) {
    return h && Sys().live.contains(h);
}

inline HWND Top(HWND h) {
    while (h && h->child)
        h = h->parent;
    return h;
}

// The origin of h's client area in its top-level window's coordinates.
TPoint OriginInTop(HWND h);
TPoint ScreenOrigin(HWND h);
bool ShownInTree(HWND h);
// The part of h's client area that its ancestors leave visible, top-level coordinates.
TRect VisibleInTop(HWND h);
bool EnabledInTree(HWND h);
// The deepest visible, enabled window of h's tree at a point of h's client area.
HWND DeepestAt(HWND h, TPoint p);
// What the native window of a top-level window with these styles and owner is.
native::TWindowKind KindFor(DWORD style, DWORD exStyle, HWND owner);
bool HasTaskbarButton(HWND h);
// The density of the monitor that holds a top-level window's rectangle.
int MonitorDpi(const TRect& screenRect);
// Sends WM_DPICHANGED to a top-level window whose monitor's density is no longer the one
// it was drawn for, with its rectangle scaled about its centre as the suggestion (unless
// the window system reports such changes itself).
void CheckDpi(HWND top);
// Records the window's new density and sends it WM_DPICHANGED with the suggestion.
void SendDpiChanged(HWND top, int dpi, TRect suggested);
// Sends the destroy messages through h's tree and forgets every trace of it.
void DestroyTree(HWND h);

// Painting (winapi_paint.cpp): adds a rectangle of the top-level window's coordinates to
// its invalid area; invalidates the visible part of h; paints and presents the invalid
// area of a top-level window; the first shown top-level window with an invalid area.
void Invalidate(HWND h, const TRect& topRect);
void InvalidateWhole(HWND h);
void PaintTop(HWND top);
HWND PaintPending(HWND filter);

// The queue (winapi_queue.cpp): appends a posted message.
void Post(HWND h, UINT msg, WPARAM w, LPARAM l);

// Message handling under way: the graveyard of destroyed windows is cleared only outside.
struct TDepth {
    TDepth() { ++Sys().depth; }
    ~TDepth() { --Sys().depth; }
    TDepth(const TDepth&) = delete;
    TDepth& operator=(const TDepth&) = delete;
};

}  // namespace winapi_internal
