// TToolTip: a line of text in a small box near the pointer, above every window, that the
// pointer goes through and that never takes the focus (a window of the tooltip kind).
//
// The text is drawn in the classic tooltip colours (clInfoText on clInfoBk) in an 8-point
// font at the density of the monitor the tip is on, with padding scaled the same way.
// Shown at a screen point, the tip's top-left corner goes there, moved as little as
// needed to stay on the screen; a new text of another width resizes it in place. The
// window's title is the text too, for tools that read windows rather than pixels.
#pragma once

#include <string>

#include "platform/gfx/font.h"
#include "platform/ui/winapi.h"

class TToolTip {
public:
    TToolTip();
    ~TToolTip();
    TToolTip(const TToolTip&) = delete;
    TToolTip& operator=(const TToolTip&) = delete;

    void Show(TPoint at, const std::string& text);
    // Changes the text of the tip (shown or not); a shown tip repaints when it differs.
    void SetText(const std::string& text);
    void Hide();
    bool Visible() const { return hwnd_ && IsWindowVisible(hwnd_); }
    const std::string& Text() const { return text_; }
    // The tip's window while it exists (for tests).
    HWND Handle() const { return hwnd_; }

private:
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // The size the text needs at the density of the tip's monitor.
    TSize Measure();
    void Place(TPoint at);

    HWND hwnd_ = nullptr;
    std::string text_;
    TFont font_;
    int padding_ = 0;
};
