#include "tools/icon/clockicon.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "art/clockart.h"

namespace {
constexpr int kCorner = 14;  // corner radius of the body on the 100 x 100 face
constexpr int kRim = 2;      // width of the rim
constexpr TColor kRimColor = RGB(96, 96, 96);
constexpr TColor kBodyColor = RGB(0, 0, 0);
constexpr TColor kFoldColor = RGB(176, 176, 176);

struct TIconDesign {
    int LedOnId;      // keyed set, lit
    int LedOffId;     // keyed set, unlit
    int Digits[4];    // one per column, read top to bottom as 8, 4, 2, 1
    bool HideUnused;  // the LEDs a BCD time never uses are not drawn
    bool Folded;      // a sheet with its top-right corner folded
};

// The clock: 13:47, hours and minutes as BCD digits, red. The hex editor: 0x5A 0x54 in
// green nibbles.
constexpr TIconDesign kDesigns[2] = {
    {55, 56, {1, 3, 4, 7}, true, false},
    {49, 50, {5, 10, 5, 4}, false, true},
};

const TIconDesign& Design(TIconKind kind) {
    return kDesigns[kind == TIconKind::HexEdit ? 1 : 0];
}

// Whether the centre of face pixel (x, y) lies in the cut-away corner of a folded sheet,
// or in its fold.
bool InCutCorner(int x, int y) {
    return 2 * x + 1 - (2 * y + 1) > 2 * (kIconFace - kIconFold);
}
bool InFold(int x, int y) {
    return x >= kIconFace - kIconFold && y < kIconFold && !InCutCorner(x, y);
}

// Whether the centre of face pixel (x, y) lies inside the square 0..side with corners
// rounded by radius, all at scale: exact, with coordinates doubled.
bool InsideRounded(int x, int y, int inset, int side, int radius) {
    const int px = 2 * (x - inset) + 1;
    const int py = 2 * (y - inset) + 1;
    const int s = 2 * side;
    const int r = 2 * radius;
    if (px < 0 || py < 0 || px >= s || py >= s) return false;
    const int cx = px < r ? r : (px > s - r ? s - r : px);
    const int cy = py < r ? r : (py > s - r ? s - r : py);
    const int dx = px - cx;
    const int dy = py - cy;
    return dx * dx + dy * dy <= r * r;
}

// Overlap, in units of 1 / (face * size) of the width, of output pixel o with face pixel i.
int Overlap(int o, int i, int face, int size) {
    const int lo = std::max(o * face, i * size);
    const int hi = std::min((o + 1) * face, (i + 1) * size);
    return hi > lo ? hi - lo : 0;
}
}  // namespace

TIconLed IconLedState(TIconKind kind, int column, int row) {
    const TIconDesign& design = Design(kind);
    // BCD with the unused LEDs hidden: the hours' tens digit never uses 8 and 4, the
    // minutes' tens digit never uses 8.
    if (design.HideUnused && column == 0 && row < 2) return TIconLed::Hidden;
    if (design.HideUnused && column == 2 && row < 1) return TIconLed::Hidden;
    return (design.Digits[column] >> (3 - row)) & 1 ? TIconLed::On : TIconLed::Off;
}

TClockIcon DrawIcon(TIconKind kind, int size) {
    if (size < 1) throw std::invalid_argument("DrawIcon: size must be 1 or more");
    const TIconDesign& design = Design(kind);
    RegisterClockArt();
    TBitmap on;
    on.LoadFromResourceID(design.LedOnId);
    TBitmap off;
    off.LoadFromResourceID(design.LedOffId);

    // The face at a whole multiple of 100 that is at least the size.
    const int scale = (size + kIconFace - 1) / kIconFace;
    const int face = kIconFace * scale;
    TBitmap big(face, face);
    std::vector<uint8_t> bigAlpha(size_t(face) * size_t(face), 0);
    for (int y = 0; y < face; ++y) {
        for (int x = 0; x < face; ++x) {
            const int fx = x / scale;
            const int fy = y / scale;
            if (!InsideRounded(fx, fy, 0, kIconFace, kCorner) ||
                (design.Folded && InCutCorner(fx, fy))) {
                big.SetPixel(x, y, kBodyColor);
                continue;
            }
            bigAlpha[size_t(y) * size_t(face) + size_t(x)] = 255;
            TColor color = InsideRounded(fx, fy, kRim, kIconFace - 2 * kRim, kCorner - kRim)
                               ? kBodyColor
                               : kRimColor;
            if (design.Folded && InFold(fx, fy)) color = kFoldColor;
            for (int c = 0; c < 4; ++c) {
                for (int r = 0; r < 4; ++r) {
                    const int lx = fx - kIconColumnX[c];
                    const int ly = fy - kIconRowY[r];
                    if (lx < 0 || ly < 0 || lx >= kIconCell || ly >= kIconCell) continue;
                    const TIconLed state = IconLedState(kind, c, r);
                    if (state == TIconLed::Hidden) continue;
                    // The LED picture's own pixel, finer than the face when scaled up.
                    const TBitmap& art = state == TIconLed::On ? on : off;
                    color =
                        art.Pixel((x - kIconColumnX[c] * scale) * art.Width() / (kIconCell * scale),
                                  (y - kIconRowY[r] * scale) * art.Height() / (kIconCell * scale));
                }
            }
            big.SetPixel(x, y, color);
        }
    }

    // Area averaging, with the colours weighted by their opacity.
    TClockIcon icon{TBitmap(size, size), std::vector<uint8_t>(size_t(size) * size_t(size), 0)};
    const int64_t total = int64_t(face) * face;
    for (int oy = 0; oy < size; ++oy) {
        const int y0 = oy * face / size;
        const int y1 = std::min(face - 1, ((oy + 1) * face - 1) / size);
        for (int ox = 0; ox < size; ++ox) {
            const int x0 = ox * face / size;
            const int x1 = std::min(face - 1, ((ox + 1) * face - 1) / size);
            int64_t sumA = 0, sumR = 0, sumG = 0, sumB = 0;
            for (int y = y0; y <= y1; ++y) {
                const int wy = Overlap(oy, y, face, size);
                for (int x = x0; x <= x1; ++x) {
                    const int64_t w = int64_t(wy) * Overlap(ox, x, face, size) *
                                      bigAlpha[size_t(y) * size_t(face) + size_t(x)];
                    if (w == 0) continue;
                    const TColor c = big.Pixel(x, y);
                    sumA += w;
                    sumR += w * GetRValue(c);
                    sumG += w * GetGValue(c);
                    sumB += w * GetBValue(c);
                }
            }
            if (sumA == 0) {
                icon.Pixels.SetPixel(ox, oy, kBodyColor);
                continue;
            }
            icon.Alpha[size_t(oy) * size_t(size) + size_t(ox)] =
                uint8_t((sumA + total / 2) / total);
            icon.Pixels.SetPixel(ox, oy,
                                 RGB(int((sumR + sumA / 2) / sumA), int((sumG + sumA / 2) / sumA),
                                     int((sumB + sumA / 2) / sumA)));
        }
    }
    return icon;
}

namespace {
std::string Hex(TColor color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", GetRValue(color), GetGValue(color),
                  GetBValue(color));
    return text;
}

// The LED picture's dome (art: columns 1 to 16, rows 2 to 15) as a gradient: the colours
// along its right-hand radius, away from the highlight at its upper left.
std::string LedGradient(const char* id, int pictureId) {
    TBitmap led;
    led.LoadFromResourceID(pictureId);
    std::string svg = std::string("<radialGradient id=\"") + id + "\">";
    for (int x = 9; x <= 16; ++x) {
        char offset[16];
        std::snprintf(offset, sizeof offset, "%.3f", (x - 9) / 7.0);
        svg += std::string("<stop offset=\"") + offset + "\" stop-color=\"" +
               Hex(led.Pixel(x * led.Width() / kIconCell, 9 * led.Height() / kIconCell)) + "\"/>";
    }
    return svg + "</radialGradient>";
}
}  // namespace

std::string IconSvg(TIconKind kind) {
    const TIconDesign& design = Design(kind);
    RegisterClockArt();
    const int f = kIconFace, r = kCorner, inner = kCorner - kRim, edge = kIconFace - kRim;
    char buffer[512];
    std::string svg =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"100\" "
        "viewBox=\"0 0 100 100\">\n<defs>" +
        LedGradient("on", design.LedOnId) + LedGradient("off", design.LedOffId) + "</defs>\n";
    if (!design.Folded) {
        std::snprintf(buffer, sizeof buffer,
                      "<rect width=\"%d\" height=\"%d\" rx=\"%d\" fill=\"%s\"/>\n"
                      "<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" rx=\"%d\" "
                      "fill=\"%s\"/>\n",
                      f, f, r, Hex(kRimColor).c_str(), kRim, kRim, f - 2 * kRim, f - 2 * kRim,
                      inner, Hex(kBodyColor).c_str());
        svg += buffer;
    } else {
        // The outline with the corner cut along x - y = 100 - fold, the body inside the
        // rim meeting the cut without a rim of its own, then the fold over it.
        const int cut = kIconFace - kIconFold;
        std::snprintf(buffer, sizeof buffer,
                      "<path d=\"M%d,0H%dL%d,%dV%dA%d,%d 0 0 1 %d,%dH%dA%d,%d 0 0 1 0,%dV%dA%d,%d "
                      "0 0 1 %d,0Z\" fill=\"%s\"/>\n",
                      r, cut, f, kIconFold, f - r, r, r, f - r, f, r, r, r, f - r, r, r, r, r,
                      Hex(kRimColor).c_str());
        svg += buffer;
        std::snprintf(
            buffer, sizeof buffer,
            "<path d=\"M%d,%dH%dL%d,%dV%dA%d,%d 0 0 1 %d,%dH%dA%d,%d 0 0 1 %d,%dV%dA%d,%d "
            "0 0 1 %d,%dZ\" fill=\"%s\"/>\n",
            r, kRim, cut + kRim, edge, edge - cut, f - r, inner, inner, f - r, edge, r, inner,
            inner, kRim, f - r, r, inner, inner, r, kRim, Hex(kBodyColor).c_str());
        svg += buffer;
        std::snprintf(buffer, sizeof buffer, "<path d=\"M%d,0V%dH%dZ\" fill=\"%s\"/>\n", cut,
                      kIconFold, f, Hex(kFoldColor).c_str());
        svg += buffer;
    }
    for (int c = 0; c < 4; ++c) {
        for (int row = 0; row < 4; ++row) {
            const TIconLed state = IconLedState(kind, c, row);
            if (state == TIconLed::Hidden) continue;
            // The dome spans columns 1 to 16 and rows 2 to 15 of the 18-pixel picture.
            std::snprintf(buffer, sizeof buffer,
                          "<ellipse cx=\"%d\" cy=\"%d\" rx=\"8\" ry=\"7\" fill=\"url(#%s)\"/>\n",
                          kIconColumnX[c] + 9, kIconRowY[row] + 9,
                          state == TIconLed::On ? "on" : "off");
            svg += buffer;
        }
    }
    return svg + "</svg>\n";
}
