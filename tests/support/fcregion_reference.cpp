#include "tests/support/fcregion_reference.h"

#include <cstdint>
#include <utility>

std::unique_ptr<TRegion> CreateRegionFromBitmapPerRunUnion(const TBitmap& bitmap,
                                                           TColor transparentColor) {
    const int width = bitmap.Width(), height = bitmap.Height();
    if (width == 0 || height == 0) return nullptr;
    TBitmap copy(bitmap);
    const bool trueColor = copy.PixelFormat() == pf24bit;
    TColor key = transparentColor;
    if (!trueColor) {
        copy.Mask(transparentColor);
        key = 0;
    }
    // The 0x00BBGGRR value of a pixel; a set mask bit reads as 0, a clear one as white.
    auto pixel = [&](const uint8_t* row, int x) -> TColor {
        if (!trueColor) return (row[x / 8] >> (7 - x % 8)) & 1 ? 0 : 0xFFFFFF;
        return TColor(row[3 * x] << 16) + TColor(row[3 * x + 1] << 8) + TColor(row[3 * x + 2]);
    };

    std::unique_ptr<TRegion> result;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = std::as_const(copy).ScanLine(y);
        int x = 0;
        while (x < width) {
            while (x < width && pixel(row, x) == key)
                ++x;
            if (x == width) break;
            const int start = x;
            while (x < width && pixel(row, x) != key)
                ++x;
            const TRect run{start, y, x, y + 1};
            if (!result) {
                result = std::make_unique<TRegion>(run);
            } else {
                result->Combine(TRegion(run), RGN_OR);
            }
        }
    }
    return result;
}
