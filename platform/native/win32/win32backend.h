// TWin32Backend: the backend on the Windows window system (see win32.h for how it maps
// the interface).
//
// This header includes <windows.h>, whose macros and types clash with the framework's
// own names (RGB, HWND, WS_POPUP, ...): only the backend's own files and its tests include
// it, always after every header of ours.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/native/native.h"

// The system's headers come last: their macros would rewrite names in ours.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>

namespace native {

class TWin32Window;

class TWin32Backend : public TBackend {
public:
    TWin32Backend(HINSTANCE instance, HANDLE wakeEvent);
    ~TWin32Backend() override;
    TWin32Backend(const TWin32Backend&) = delete;
    TWin32Backend& operator=(const TWin32Backend&) = delete;

    // TBackend.
    std::unique_ptr<TNativeWindow> CreateNativeWindow(const TWindowParams& params) override;
    TSize ScreenSize() const override;
    int PixelsPerInch() const override { return pixelsPerInch_; }
    std::vector<TMonitor> Monitors() const override;
    bool ReportsDensityChanges() const override { return awareOfEachMonitor_; }
    int BitsPerPixel() const override { return bitsPerPixel_; }
    TPoint CursorPos() const override;
    bool DragFullWindows() const override;
    void SetCapture(TNativeWindow* window) override;
    void DrawFocusRectOnScreen(const TRect& rect) override;
    int64_t NowMs() const override;
    void WaitEvents(int64_t deadlineMs, std::vector<TEvent>& out) override;
    void Wake() override;
    void Sleep(int ms) override;

    // The window class of every window of the backend.
    static constexpr const wchar_t* kWindowClass = L"ZentickWindow";
    static constexpr const wchar_t* kApplicationClass = L"ZentickApplication";

    HINSTANCE Instance() const { return instance_; }
    // The application window, made on first use.
    HWND ApplicationWindow();
    // Shows the application window (and so the taskbar button) while a visible window
    // asks for a button, hides it otherwise.
    void UpdateTaskbarButton();
    TWin32Window* Capture() const { return capture_; }
    // The pixels per inch of the monitor that holds most of a rectangle (screen pixels).
    int PixelsPerInchAt(const RECT& rect) const;
    const std::vector<TWin32Window*>& Windows() const { return windows_; }

    // From the windows.
    void Register(TWin32Window* window);
    void Unregister(TWin32Window* window);
    void CaptureLost(TWin32Window* window);
    // Queues an event for the next WaitEvents; a move right after a move of the same
    // window and buttons replaces it.
    void Post(const TEvent& event);

    // The window procedure of the application window.
    static LRESULT CALLBACK ApplicationProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    void Dispatch();
    // Queues a close request for the first normal window (the main form), as its own
    // close button would.
    void AskMainWindowToClose();

    HINSTANCE instance_;
    HANDLE wake_;
    HWND application_ = nullptr;
    int64_t frequency_ = 1;
    int pixelsPerInch_ = 96;
    int bitsPerPixel_ = 32;
    bool awareOfEachMonitor_;
    std::vector<TWin32Window*> windows_;
    TWin32Window* capture_ = nullptr;
    std::vector<TEvent> pending_;
};

}  // namespace native
