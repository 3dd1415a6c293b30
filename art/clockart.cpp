#include "art/clockart.h"

#include <algorithm>
#include <string>

#include "art/clockartdata.h"
#include "platform/gfx/bmpfile.h"
#include "platform/gfx/pngfile.h"
#include "platform/gfx/resample.h"
#include "platform/native/monitor.h"
#include "platform/sysutils.h"

namespace {

// The pictures drawn opaque over their whole cell, without a key: the switches and the
// LEDs of the opaque set. Every other picture is keyed (the keyed LEDs on black, the
// backgrounds on the colour outside their outline).
bool Unkeyed(int id) {
    return id == 67 || id == 68 || (id >= 75 && id <= 80) || id == 88 || id == 89;
}

}  // namespace

void RegisterClockArt() {
    // Registration is explicit rather than done by static initialisers, which a static
    // library would drop when nothing refers to them.
    static bool registered = false;
    if (registered) return;
    for (size_t i = 0; i < kEmbeddedArtCount; ++i)
        if (kEmbeddedArt[i].Factor == 1)
            RegisterBitmapResource(kEmbeddedArt[i].Id,
                                   {kEmbeddedArt[i].Data, kEmbeddedArt[i].Size});
    registered = true;
}

std::vector<int> ClockArtIds() {
    std::vector<int> ids;
    for (size_t i = 0; i < kEmbeddedArtCount; ++i)
        if (kEmbeddedArt[i].Factor == 1) ids.push_back(kEmbeddedArt[i].Id);
    std::sort(ids.begin(), ids.end());
    return ids;
}

std::vector<int> ClockArtFactors() {
    std::vector<int> factors;
    for (size_t i = 0; i < kEmbeddedArtCount; ++i)
        if (std::find(factors.begin(), factors.end(), kEmbeddedArt[i].Factor) == factors.end())
            factors.push_back(kEmbeddedArt[i].Factor);
    std::sort(factors.begin(), factors.end());
    return factors;
}

std::span<const uint8_t> ClockArtFile(int id, int factor) {
    for (size_t i = 0; i < kEmbeddedArtCount; ++i)
        if (kEmbeddedArt[i].Id == id && kEmbeddedArt[i].Factor == factor)
            return {kEmbeddedArt[i].Data, kEmbeddedArt[i].Size};
    return {};
}

int ClockArtFactorFor(int scalePercent) {
    const std::vector<int> factors = ClockArtFactors();
    for (int factor : factors)
        if (factor * 100 >= scalePercent) return factor;
    return factors.back();
}

TBitmap LoadClockArt(int id, int scalePercent) {
    const int factor = ClockArtFactorFor(scalePercent);
    const std::span<const uint8_t> file = ClockArtFile(id, factor);
    if (file.empty()) throw EInvalidGraphic("Bitmap resource " + std::to_string(id) + " not found");
    TBitmap picture;
    if (factor == 1)
        ReadBmp(file, picture);
    else if (!ReadPng(file, picture))
        throw EInvalidGraphic("Bitmap resource " + std::to_string(id) + " is not readable");
    if (scalePercent == factor * 100) return picture;
    // The design size is exact: every set is a whole multiple of it.
    const int width = native::ScaleLength(picture.Width() / factor, scalePercent);
    const int height = native::ScaleLength(picture.Height() / factor, scalePercent);
    const TColor key = Unkeyed(id) ? clNone : picture.Pixel(0, picture.Height() - 1);
    return SmoothResize(picture, width, height, key);
}
