// TWin32Window: a top-level window of the win32 backend (see win32.h).
//
// The window's pixels live in a 32-bit top-down DIB section of the client area's size,
// selected into a memory device context; the window shows them in WM_PAINT and whenever a
// frame is presented.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/native/win32/win32backend.h"

namespace native {

class TWin32Window : public TNativeWindow {
public:
    TWin32Window(TWin32Backend& backend, const TWindowParams& params);
    ~TWin32Window() override;
    TWin32Window(const TWin32Window&) = delete;
    TWin32Window& operator=(const TWin32Window&) = delete;

    // TNativeWindow.
    void SetBounds(const TRect& screenBounds) override;
    TRect Bounds() const override { return bounds_; }
    void Show(bool visible) override;
    bool Visible() const override { return visible_; }
    void SetTitle(const std::string& title) override;
    void SetShape(const TRegion* shape) override;
    void SetColorKey(std::optional<TColor> key) override;
    void SetStayOnTop(bool onTop) override;
    void SetTaskbarButton(bool visible) override;
    void SetBorderless(bool borderless) override;
    void Raise() override;
    void Present(const TBitmap& frame, const TRect& dirty) override;
    void SetCursorShape(int cursor) override;
    TFrameExtents FrameExtents() override;
    void SetActivateOnShow(bool activate) override { activateOnShow_ = activate; }
    void SetAccessibleName(const std::string& name) override;

    HWND Handle() const { return hwnd_; }
    TWindowKind Kind() const { return kind_; }
    TWin32Window* Owner() const { return owner_; }
    bool WantsTaskbarButton() const { return visible_ && taskbarButton_ && !IsUnmanaged(kind_); }
    // Whether the window hangs off the application window (it has no owner of its own).
    bool OwnedByApplication() const { return !IsUnmanaged(kind_) && !owner_; }
    // Whether the window has a taskbar button of its own: a normal window without an owner
    // that asks for one.
    bool OwnsTaskbarButton() const {
        return kind_ == TWindowKind::Normal && !owner_ && taskbarButton_;
    }
    // The region last set, in client coordinates (none: rectangular).
    const std::optional<TRegion>& Shape() const { return shape_; }
    std::optional<TColor> ColorKey() const { return colorKey_; }

    // From the backend: the owner is being destroyed.
    void OwnerGone();

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void MouseEvent(TEventKind kind, int button, WPARAM wParam, LPARAM lParam);
    void WheelEvent(bool horizontal, WPARAM wParam, LPARAM lParam);
    void KeyEvent(TEventKind kind, WPARAM key);
    DWORD Style() const;
    DWORD ExStyle() const;
    // The owner of a window without one of its own: the hidden application window for a
    // dialog (which keeps it off the taskbar), none for the others.
    HWND OwnerWhenAlone();
    // The window rectangle around a client rectangle, for the current styles and density.
    RECT OuterRect(const TRect& client) const;
    // Where the client area's top-left lies in the window rectangle.
    POINT ClientOffset() const;
    bool Surface(int width, int height);
    void ReleaseSurface();
    void ApplyShape();
    void ApplyColorKey();
    void Blit(HDC target, const RECT& area);

    TWin32Backend& backend_;
    TWindowKind kind_;
    TWin32Window* owner_;
    HWND hwnd_ = nullptr;
    TRect bounds_;
    int dpi_;  // of the monitor the window is on: its frame's size depends on it
    bool visible_ = false;
    bool stayOnTop_;
    bool taskbarButton_;
    bool borderless_;
    bool activateOnShow_ = true;
    std::optional<TRegion> shape_;
    std::optional<TColor> colorKey_;
    int cursor_ = 0;
    HCURSOR cursorHandle_ = nullptr;
    // The pixels: a DIB section of surface_'s size in memoryDC_.
    HDC memoryDC_ = nullptr;
    HBITMAP surfaceBitmap_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
    uint32_t* bits_ = nullptr;
    SIZE surface_{0, 0};
    // The first half of a UTF-16 surrogate pair from WM_CHAR.
    wchar_t highSurrogate_ = 0;
    // What screen readers read for the client area (none: its title), shared with the
    // accessible objects handed out.
    std::shared_ptr<std::wstring> accessibleName_;
};

}  // namespace native
