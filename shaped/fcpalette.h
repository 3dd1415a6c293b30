// Logical palettes and what a display of 256 colours or fewer makes of them.
//
// The platform draws in 24 bits everywhere. A palette-based display (8 bits per pixel or
// fewer) can only show the colours of the palette realised on it. This unit models that
// for TfcBitmap: a palette is selected into a canvas and realised there, and from then on
// every pixel a TfcBitmap puts on that canvas comes out as the nearest palette colour,
// until the previous palette is selected back.
//
// Selection is kept per canvas object. A palette must stay alive while it is selected
// anywhere, and a canvas should get its previous palette back before it is destroyed.
// Everything runs on the user-interface thread.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

#include "platform/gfx/color.h"

class TBitmap;
class TCanvas;

// One entry of a logical palette, in the system's order (red, green, blue, flags).
struct TPaletteEntry {
    uint8_t peRed = 0;
    uint8_t peGreen = 0;
    uint8_t peBlue = 0;
    uint8_t peFlags = 0;
    friend bool operator==(const TPaletteEntry&, const TPaletteEntry&) = default;
};

// A logical palette of 1 to 256 colours.
class TfcPalette {
public:
    // Takes at most the first 256 entries; an empty list gives a one-entry black palette.
    explicit TfcPalette(std::span<const TPaletteEntry> entries);
    TfcPalette(const TfcPalette&) = delete;
    TfcPalette& operator=(const TfcPalette&) = delete;

    const std::vector<TPaletteEntry>& Entries() const { return entries_; }
    int Count() const { return int(entries_.size()); }

    // The entry nearest to an RGB colour (least squared distance over red, green and
    // blue; the first of equals). System colours are resolved first.
    int NearestIndex(TColor color) const;
    TColor NearestColor(TColor color) const;
    // Whether the colour is one of the entries.
    bool Contains(TColor color) const { return NearestColor(color) == ColorToRGB(color); }

    // Replaces every pixel of a 24-bit bitmap by its nearest palette colour.
    void MapPixels(TBitmap& bitmap) const;

    // Set by RealizePalette: the display has taken the palette's colours.
    bool Realized() const { return realized_; }

private:
    friend int RealizePalette(TCanvas& canvas);
    std::vector<TPaletteEntry> entries_;
    bool realized_ = false;
    mutable std::unordered_map<uint32_t, uint8_t> nearest_;  // RGB -> index, filled on demand
};

// The system's 256-colour halftone palette, built as follows:
//   0..9      the first ten static system colours: black, dark red, dark green, olive,
//             navy, purple, teal, silver (192, 192, 192), money green (192, 220, 192),
//             sky blue (166, 202, 240);
//   10..225   the 6 x 6 x 6 colour cube with the levels 0, 51, 102, 153, 204, 255 on each
//             axis, index 10 + 36 r + 6 g + b for the level numbers r, g, b;
//   226..245  twenty greys i x 255 div 21 (i = 1..20) between the cube's grey levels;
//   246..255  the last ten static system colours: cream (255, 251, 240), medium grey
//             (160, 160, 164), grey (128, 128, 128), red, lime, yellow, blue, fuchsia,
//             aqua, white.
std::unique_ptr<TfcPalette> CreateHalftonePalette();

// A palette from up to 256 entries (a logical palette of version 0x300).
std::unique_ptr<TfcPalette> CreatePalette(std::span<const TPaletteEntry> entries);

// Selects palette into canvas (none takes the selection away) and returns the palette
// selected there before (none at first). A new selection is not realised yet.
TfcPalette* SelectPalette(TCanvas& canvas, TfcPalette* palette);
// The palette selected into canvas, realised or not; none when there is none.
TfcPalette* SelectedPalette(const TCanvas& canvas);
// Realises the palette selected into canvas: from now on pixels drawn there through it
// take its colours. Returns the number of its entries; 0 when none is selected.
int RealizePalette(TCanvas& canvas);
// The palette that drawing on canvas maps to: the selected one once it is realised.
const TfcPalette* DrawingPalette(const TCanvas& canvas);

// Bits per pixel of the display: the native backend's depth, or 24 when no backend is
// installed (a true-colour display, which needs no palette).
int DisplayBitsPerPixel();
