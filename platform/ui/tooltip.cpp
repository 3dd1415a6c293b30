#include "platform/ui/tooltip.h"

#include <algorithm>

#include "platform/native/monitor.h"
#include "platform/sysutils.h"

namespace {
constexpr int kPointSize = 8;
constexpr int kPadding = 3;  // around the text, at 96 pixels per inch
constexpr int kBorder = 1;
}  // namespace

TToolTip::TToolTip() {
    font_.SetName("MS Sans Serif");
}

TToolTip::~TToolTip() {
    if (hwnd_ && IsWindow(hwnd_)) {
        HWND hwnd = hwnd_;
        hwnd_ = nullptr;
        SetWindowProc(hwnd, WNDPROC{});
        DestroyWindow(hwnd);
    }
}

TSize TToolTip::Measure() {
    int dpi = hwnd_ ? int(GetDpiForWindow(hwnd_)) : 96;
    int percent = native::ScalePercentForPixelsPerInch(dpi);
    font_.SetPixelsPerInch(dpi);
    font_.SetSize(kPointSize);
    padding_ = native::ScaleLength(kPadding, percent) + native::ScaleLength(kBorder, percent);
    const TFontFace& face = font_.Face();
    return {face.TextWidth(text_) + 2 * padding_, face.Metrics().Height() + 2 * padding_};
}

void TToolTip::Place(TPoint at) {
    TSize size = Measure();
    int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    int x = std::max(0, std::min(at.X, screenWidth - size.cx));
    int y = std::max(0, std::min(at.Y, screenHeight - size.cy));
    SetWindowPos(hwnd_, HWND_TOPMOST, x, y, size.cx, size.cy, SWP_NOACTIVATE);
    // Measured again on the monitor it came to, should that have another density.
    TSize there = Measure();
    if (there.cx != size.cx || there.cy != size.cy)
        SetWindowPos(hwnd_, nullptr, x, y, there.cx, there.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd_, nullptr, false);
}

void TToolTip::Show(TPoint at, const std::string& text) {
    text_ = text;
    if (!hwnd_) {
        hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_TRANSPARENT, "", WS_POPUP,
                                at.X, at.Y, 1, 1, nullptr,
                                [this](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
                                    return WndProc(hwnd, msg, wParam, lParam);
                                });
        if (!hwnd_) throw EOutOfResources("Error creating window");
    }
    SetWindowTextA(hwnd_, text_);
    Place(at);
    ShowWindow(hwnd_, SW_SHOWNA);
}

void TToolTip::SetText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    if (!hwnd_) return;
    SetWindowTextA(hwnd_, text_);
    if (!Visible()) return;
    TRect r;
    GetWindowRect(hwnd_, &r);
    Place(r.TopLeft());
}

void TToolTip::Hide() {
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

LRESULT TToolTip::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;  // the paint covers every pixel
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            if (!dc) return 0;
            TCanvas& canvas = DCCanvas(dc);
            TRect client;
            GetClientRect(hwnd, &client);
            int border = native::ScaleLength(
                kBorder, native::ScalePercentForPixelsPerInch(int(GetDpiForWindow(hwnd))));
            canvas.Brush.Style = bsSolid;
            canvas.Brush.Color = clInfoText;
            canvas.FillRect(client);
            canvas.Brush.Color = clInfoBk;
            canvas.FillRect(client.Inflate(-border, -border));
            canvas.Font = font_;
            canvas.Font.SetColor(clInfoText);
            canvas.Brush.Style = bsClear;
            canvas.TextOut(padding_, padding_, text_);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_DESTROY:
            if (hwnd == hwnd_) hwnd_ = nullptr;
            return 0;
        default:
            return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}
