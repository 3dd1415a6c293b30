#include "tools/icon/clockicon.h"

#include <algorithm>
#include <stdexcept>

#include "art/clockart.h"

namespace {
constexpr int kCorner = 14;  // corner radius of the body on the 100 x 100 face
constexpr int kRim = 2;      // width of the rim
constexpr TColor kRimColor = RGB(96, 96, 96);
constexpr TColor kBodyColor = RGB(0, 0, 0);
constexpr int kLedOnId = 55;   // red, lit, keyed set
constexpr int kLedOffId = 56;  // red, unlit, keyed set
// The time shown: 13:47, hours and minutes as BCD digits.
constexpr int kDigits[4] = {1, 3, 4, 7};

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

TIconLed IconLedState(int column, int row) {
    // BCD with the unused LEDs hidden: the hours' tens digit never uses 8 and 4, the
    // minutes' tens digit never uses 8.
    if (column == 0 && row < 2) return TIconLed::Hidden;
    if (column == 2 && row < 1) return TIconLed::Hidden;
    return (kDigits[column] >> (3 - row)) & 1 ? TIconLed::On : TIconLed::Off;
}

TClockIcon DrawClockIcon(int size) {
    if (size < 1) throw std::invalid_argument("DrawClockIcon: size must be 1 or more");
    RegisterClockArt();
    TBitmap on;
    on.LoadFromResourceID(kLedOnId);
    TBitmap off;
    off.LoadFromResourceID(kLedOffId);

    // The face at a whole multiple of 100 that is at least the size.
    const int scale = (size + kIconFace - 1) / kIconFace;
    const int face = kIconFace * scale;
    TBitmap big(face, face);
    std::vector<uint8_t> bigAlpha(size_t(face) * size_t(face), 0);
    for (int y = 0; y < face; ++y) {
        for (int x = 0; x < face; ++x) {
            const int fx = x / scale;
            const int fy = y / scale;
            if (!InsideRounded(fx, fy, 0, kIconFace, kCorner)) {
                big.SetPixel(x, y, kBodyColor);
                continue;
            }
            bigAlpha[size_t(y) * size_t(face) + size_t(x)] = 255;
            TColor color = InsideRounded(fx, fy, kRim, kIconFace - 2 * kRim, kCorner - kRim)
                               ? kBodyColor
                               : kRimColor;
            for (int c = 0; c < 4; ++c) {
                for (int r = 0; r < 4; ++r) {
                    const int lx = fx - kIconColumnX[c];
                    const int ly = fy - kIconRowY[r];
                    if (lx < 0 || ly < 0 || lx >= kIconCell || ly >= kIconCell) continue;
                    const TIconLed state = IconLedState(c, r);
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
