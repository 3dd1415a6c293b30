#include "platform/gfx/coverage.h"

#include <algorithm>
#include <cstddef>

void BlendCoverage(TBitmap& target, const TRect& area, int64_t left, int top, int width, int height,
                   const uint8_t* mask, TColor color) {
    if (width <= 0 || height <= 0 || left >= area.Right || left + width <= area.Left) return;
    color = ColorToRGB(color);
    const int source[3] = {GetBValue(color), GetGValue(color), GetRValue(color)};
    const bool direct = target.PixelFormat() == pf24bit;
    const int x0 = int(std::max<int64_t>(left, area.Left));
    const int x1 = int(std::min<int64_t>(left + width, area.Right));
    const int y0 = std::max(top, area.Top);
    const int y1 = std::min(top + height, area.Bottom);
    for (int py = y0; py < y1; ++py) {
        const uint8_t* coverage =
            mask + size_t(py - top) * size_t(width) + size_t(int64_t(x0) - left);
        uint8_t* row = direct ? target.ScanLine(py) : nullptr;
        for (int px = x0; px < x1; ++px) {
            const int a = *coverage++;
            if (a == 0) continue;
            if (direct) {
                uint8_t* p = row + 3 * px;
                for (int i = 0; i < 3; ++i)
                    p[i] = uint8_t((source[i] * a + p[i] * (255 - a)) / 255);
            } else {
                const TColor old = target.Pixel(px, py);
                const int dst[3] = {GetBValue(old), GetGValue(old), GetRValue(old)};
                int out[3];
                for (int i = 0; i < 3; ++i)
                    out[i] = (source[i] * a + dst[i] * (255 - a)) / 255;
                target.SetPixel(px, py, RGB(out[2], out[1], out[0]));
            }
        }
    }
}
