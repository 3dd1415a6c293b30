#include "shaped/fcpalette.h"

#include <algorithm>
#include <array>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/canvas.h"
#include "platform/native/native.h"

namespace {

// The palette selected into each canvas that has one.
std::unordered_map<const TCanvas*, TfcPalette*>& Selections() {
    static std::unordered_map<const TCanvas*, TfcPalette*> selections;
    return selections;
}

constexpr std::array<TPaletteEntry, 10> kFirstStatic{{{0, 0, 0, 0},
                                                      {128, 0, 0, 0},
                                                      {0, 128, 0, 0},
                                                      {128, 128, 0, 0},
                                                      {0, 0, 128, 0},
                                                      {128, 0, 128, 0},
                                                      {0, 128, 128, 0},
                                                      {192, 192, 192, 0},
                                                      {192, 220, 192, 0},
                                                      {166, 202, 240, 0}}};
constexpr std::array<TPaletteEntry, 10> kLastStatic{{{255, 251, 240, 0},
                                                     {160, 160, 164, 0},
                                                     {128, 128, 128, 0},
                                                     {255, 0, 0, 0},
                                                     {0, 255, 0, 0},
                                                     {255, 255, 0, 0},
                                                     {0, 0, 255, 0},
                                                     {255, 0, 255, 0},
                                                     {0, 255, 255, 0},
                                                     {255, 255, 255, 0}}};

}  // namespace

TfcPalette::TfcPalette(std::span<const TPaletteEntry> entries) {
    entries_.assign(entries.begin(), entries.begin() + std::min<size_t>(entries.size(), 256));
    if (entries_.empty()) entries_.push_back(TPaletteEntry{});
}

int TfcPalette::NearestIndex(TColor color) const {
    color = ColorToRGB(color);
    uint32_t key = uint32_t(color) & 0xFFFFFF;
    if (auto it = nearest_.find(key); it != nearest_.end()) return it->second;
    int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    int best = 0;
    int bestDistance = -1;
    for (int i = 0; i < Count(); ++i) {
        const TPaletteEntry& e = entries_[size_t(i)];
        int dr = e.peRed - r, dg = e.peGreen - g, db = e.peBlue - b;
        int d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
            if (d == 0) break;
        }
    }
    nearest_.emplace(key, uint8_t(best));
    return best;
}

TColor TfcPalette::NearestColor(TColor color) const {
    const TPaletteEntry& e = entries_[size_t(NearestIndex(color))];
    return RGB(e.peRed, e.peGreen, e.peBlue);
}

void TfcPalette::MapPixels(TBitmap& bitmap) const {
    if (bitmap.PixelFormat() != pf24bit) return;
    for (int y = 0; y < bitmap.Height(); ++y) {
        uint8_t* p = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x, p += 3) {
            const TPaletteEntry& e = entries_[size_t(NearestIndex(RGB(p[2], p[1], p[0])))];
            p[0] = e.peBlue;
            p[1] = e.peGreen;
            p[2] = e.peRed;
        }
    }
}

std::unique_ptr<TfcPalette> CreateHalftonePalette() {
    std::vector<TPaletteEntry> entries(kFirstStatic.begin(), kFirstStatic.end());
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                entries.push_back(
                    TPaletteEntry{uint8_t(51 * r), uint8_t(51 * g), uint8_t(51 * b), 0});
    for (int i = 1; i <= 20; ++i) {
        uint8_t v = uint8_t(i * 255 / 21);
        entries.push_back(TPaletteEntry{v, v, v, 0});
    }
    entries.insert(entries.end(), kLastStatic.begin(), kLastStatic.end());
    return std::make_unique<TfcPalette>(entries);
}

std::unique_ptr<TfcPalette> CreatePalette(std::span<const TPaletteEntry> entries) {
    return std::make_unique<TfcPalette>(entries);
}

TfcPalette* SelectPalette(TCanvas& canvas, TfcPalette* palette) {
    auto& selections = Selections();
    TfcPalette* previous = SelectedPalette(canvas);
    if (palette) {
        selections[&canvas] = palette;
    } else {
        selections.erase(&canvas);
    }
    return previous;
}

TfcPalette* SelectedPalette(const TCanvas& canvas) {
    auto& selections = Selections();
    auto it = selections.find(&canvas);
    return it == selections.end() ? nullptr : it->second;
}

int RealizePalette(TCanvas& canvas) {
    TfcPalette* palette = SelectedPalette(canvas);
    if (!palette) return 0;
    palette->realized_ = true;
    return palette->Count();
}

const TfcPalette* DrawingPalette(const TCanvas& canvas) {
    const TfcPalette* palette = SelectedPalette(canvas);
    return palette && palette->Realized() ? palette : nullptr;
}

int DisplayBitsPerPixel() {
    return native::HasBackend() ? native::Backend().BitsPerPixel() : 24;
}
