// Feeds arbitrary bytes to ReadBmp as a BMP file. A file it refuses raises
// EInvalidGraphic and leaves the bitmap as it was; a picture it reads writes out (WriteBmp,
// bottom-up and top-down) to files that read back to the same size, format, palette and
// pixels.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/bmpfile.h"
#include "platform/sysutils.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckSame(const TBitmap& a, const TBitmap& b) {
    Check(a.Width() == b.Width() && a.Height() == b.Height());
    Check(a.PixelFormat() == b.PixelFormat());
    Check(a.Palette() == b.Palette());
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            Check(a.Pixel(x, y) == b.Pixel(x, y));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TBitmap bitmap(2, 1);
    bitmap.SetPixel(0, 0, clRed);
    try {
        ReadBmp(std::span(data, size), bitmap);
    } catch (const EInvalidGraphic&) {
        Check(bitmap.Width() == 2 && bitmap.Height() == 1 && bitmap.Pixel(0, 0) == clRed);
        return 0;
    }
    Check(bitmap.Width() > 0 && bitmap.Height() > 0);
    for (bool topDown : {false, true}) {
        const std::vector<uint8_t> written = WriteBmp(bitmap, topDown);
        TBitmap again;
        ReadBmp(written, again);
        CheckSame(bitmap, again);
    }
    return 0;
}
