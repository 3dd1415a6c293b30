// Helpers shared by the TfcBitmap tests: small pictures from colour lists, their pixels
// back as lists, and a headless display of a chosen depth.
#pragma once

#include <memory>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/native/headless.h"
#include "shaped/fcbitmap.h"

namespace fctest {

// A 24-bit TBitmap of width x height, colours row by row.
inline TBitmap Picture(int width, int height, const std::vector<TColor>& colors) {
    TBitmap b(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            b.SetPixel(x, y, colors[size_t(y * width + x)]);
    return b;
}

inline void Load(TfcBitmap& fc, int width, int height, const std::vector<TColor>& colors) {
    TBitmap b = Picture(width, height, colors);
    fc.Assign(&b);
}

// Grey pixels of the given levels.
inline std::vector<TColor> Grays(const std::vector<int>& levels) {
    std::vector<TColor> out;
    for (int v : levels)
        out.push_back(RGB(v, v, v));
    return out;
}

inline std::vector<TColor> Pixels(const TfcBitmap& fc) {
    std::vector<TColor> out;
    for (int y = 0; y < fc.Height(); ++y)
        for (int x = 0; x < fc.Width(); ++x)
            out.push_back(fc.Pixel(x, y));
    return out;
}

inline std::vector<TColor> Pixels(const TBitmap& b, const TRect& r) {
    std::vector<TColor> out;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            out.push_back(b.Pixel(x, y));
    return out;
}

// Installs a headless display of bitsPerPixel for the lifetime of the object.
class TScopedDisplay {
public:
    explicit TScopedDisplay(int bitsPerPixel) {
        native::SetBackend(
            std::make_unique<native::THeadlessBackend>(TSize{640, 480}, 96, bitsPerPixel));
    }
    ~TScopedDisplay() { native::SetBackend(nullptr); }
    TScopedDisplay(const TScopedDisplay&) = delete;
    TScopedDisplay& operator=(const TScopedDisplay&) = delete;
};

// Counts notifications and remembers the bitmap each one named.
class TCountingListener : public TfcBitmapListener {
public:
    int count = 0;
    std::vector<TfcBitmap*> seen;
    void BitmapChanged() override {
        ++count;
        seen.push_back(Bitmap());
    }
};

}  // namespace fctest
