#include "tools/artgen/contactsheet.h"

#include <algorithm>

#include "platform/gfx/canvas.h"
#include "tools/artgen/artgen.h"
#include "tools/artgen/backgrounds.h"
#include "tools/artgen/switches.h"

namespace {

constexpr TColor kGround = RGB(92, 96, 104);

// Picture numbers of the LEDs: keyed on/off and opaque on/off, red, blue, amber, green.
struct TLedIds {
    int KeyedOn, KeyedOff, OpaqueOn, OpaqueOff;
};
constexpr TLedIds kLedIds[] = {
    {55, 56, 88, 89}, {53, 54, 80, 79}, {51, 52, 78, 77}, {49, 50, 76, 75}};

// Backgrounds by format (rows) and finish (columns: flat black, aluminium, mahogany).
constexpr int kBackgroundIds[6][3] = {{85, 62, 48}, {84, 61, 47}, {74, 58, 44},
                                      {83, 60, 46}, {82, 59, 45}, {73, 57, 43}};

// The clock's place in the window, by format (dip switch last).
constexpr TPoint kClockOrigin[7] = {{11, 9}, {6, 6}, {4, 4}, {9, 6}, {6, 4}, {4, 2}, {6, 8}};

void Blit(TBitmap& target, int x, int y, int scale, const TBitmap& picture, bool keyed = false) {
    TRect dest = TRect::FromSize(x, y, picture.Width() * scale, picture.Height() * scale);
    TColor key = keyed ? picture.Pixel(0, picture.Height() - 1) : clNone;
    target.Canvas().DrawBitmapRect(dest, picture, {0, 0, picture.Width(), picture.Height()}, key);
}

// The clock's own crops: blacken n rings of the border (square), or n rings and then m
// more rows at top and bottom (rect), both counted from the width.
TBitmap Cropped(const TBitmap& art, bool rect) {
    TBitmap copy(art);
    int w = copy.Width();
    int h = copy.Height();
    auto blackenRows = [&](int count) {
        for (int i = 0; i < count; ++i)
            for (int x = 0; x < w; ++x) {
                copy.SetPixel(x, i, clBlack);
                copy.SetPixel(x, h - 1 - i, clBlack);
            }
    };
    int n = rect ? w / 6 : w / 4;
    blackenRows(n);
    for (int i = 0; i < n; ++i)
        for (int y = 0; y < h; ++y) {
            copy.SetPixel(i, y, clBlack);
            copy.SetPixel(w - 1 - i, y, clBlack);
        }
    if (rect) blackenRows(w / 3);
    return copy;
}

TBitmap Shrunk(const TBitmap& art, int size) {
    TBitmap small(size, size);
    small.Canvas().DrawBitmapRect({0, 0, size, size}, art, {0, 0, art.Width(), art.Height()},
                                  clNone);
    return small;
}

// Draws the time 12:34:56 (as BCD bytes) in the cells of one clock format.
void DrawClockFace(TBitmap& face, int format, const TBitmap& on, const TBitmap& off, bool keyed) {
    const int values[3] = {0x12, 0x34, 0x56};
    TPoint o = kClockOrigin[format];
    auto cell = [&](int left, int top, int w, int h, bool bit) {
        const TBitmap& art = bit ? on : off;
        TColor key = keyed ? art.Pixel(0, art.Height() - 1) : clNone;
        int dw = h == 18 ? art.Width() : w;
        int dh = h == 18 ? art.Height() : h;
        face.Canvas().DrawBitmapRect(TRect::FromSize(o.X + left, o.Y + top, dw, dh), art,
                                     {0, 0, art.Width(), art.Height()}, key);
    };
    if (format <= 2) {
        const int sizes[3] = {18, 9, 5};
        const int units[3][3] = {{0, 46, 92}, {0, 22, 44}, {0, 12, 24}};
        int s = sizes[format];
        for (int u = 0; u < 3; ++u)
            for (int c = 0; c < 2; ++c)
                for (int r = 0; r < 4; ++r)
                    cell(units[format][u] + c * s, r * s, s, s,
                         (values[u] >> (7 - (4 * c + r))) & 1);
    } else {
        const int w[4] = {18, 9, 5, 9};
        const int h[4] = {18, 9, 5, 25};
        const int gap[4] = {10, 4, 2, 23};
        const int d[4] = {0, 0, 0, 1};
        int i = format - 3;
        for (int u = 0; u < 3; ++u)
            for (int k = 0; k < 8; ++k)
                cell(u * (8 * w[i] + gap[i]) + k * (w[i] + d[i]), 0, w[i], h[i],
                     (values[u] >> (7 - k)) & 1);
    }
}

}  // namespace

TBitmap DrawContactSheet() {
    constexpr int kWidth = 1000;
    TBitmap sheet(kWidth, 1500);
    sheet.Canvas().Brush.Color = kGround;
    sheet.Canvas().FillRect({0, 0, sheet.Width(), sheet.Height()});
    int y = 10;

    // The LEDs at six times their size: keyed, then opaque.
    for (int opaque = 0; opaque < 2; ++opaque) {
        int x = 10;
        for (const TLedIds& ids : kLedIds) {
            Blit(sheet, x, y, 6, DrawArt(opaque ? ids.OpaqueOn : ids.KeyedOn));
            Blit(sheet, x + 114, y, 6, DrawArt(opaque ? ids.OpaqueOff : ids.KeyedOff));
            x += 244;
        }
        y += 118;
    }

    // Keyed LEDs over each finish: round, square, rect, then shrunk to 9 and 5; lit LEDs on
    // one row, unlit ones on the next, three times their size.
    for (int finish = 0; finish < 3; ++finish) {
        TBitmap back = DrawArt(kBackgroundIds[0][finish]);
        for (int lit = 1; lit >= 0; --lit) {
            int x = 10;
            for (const TLedIds& ids : kLedIds) {
                TBitmap art = DrawArt(lit ? ids.KeyedOn : ids.KeyedOff);
                TBitmap plate(18 * 3 + 9 + 5 + 6, 18);
                plate.Canvas().CopyRect({0, 0, plate.Width(), plate.Height()}, back.Canvas(),
                                        TRect::FromSize(20, 30, plate.Width(), plate.Height()));
                for (int shape = 0; shape < 3; ++shape)
                    Blit(plate, 18 * shape, 0, 1, shape == 0 ? art : Cropped(art, shape == 2),
                         true);
                Blit(plate, 56, 4, 1, Shrunk(art, 9), true);
                Blit(plate, 67, 6, 1, Shrunk(art, 5), true);
                Blit(sheet, x, y, 3, plate);
                x += plate.Width() * 3 + 8;
            }
            y += 18 * 3 + 6;
        }
    }

    // The switches at six times, the block picture at three times.
    Blit(sheet, 10, y, 6, DrawArt(68));
    Blit(sheet, 80, y, 6, DrawArt(67));
    Blit(sheet, 150, y, 3, DrawArt(66));
    y += 25 * 6 + 10;

    // The backgrounds at twice their size (the long ones once).
    for (int format = 0; format < 6; ++format) {
        int scale = format == 3 ? 1 : 2;
        int x = 10;
        for (int finish = 0; finish < 3; ++finish) {
            TBitmap back = DrawArt(kBackgroundIds[format][finish]);
            if (format >= 3 && format != 5) {
                Blit(sheet, 10, y, scale, back);
                y += back.Height() * scale + 6;
            } else {
                Blit(sheet, x, y, scale, back);
                x += back.Width() * scale + 10;
            }
        }
        if (format < 3 || format == 5)
            y += BackgroundGeometry(TBackgroundFormat(format)).Height * 2 + 6;
    }
    TBitmap result(kWidth, y + 4);
    result.Canvas().CopyRect({0, 0, kWidth, y + 4}, sheet.Canvas(), {0, 0, kWidth, y + 4});
    return result;
}

TBitmap DrawClockPreview() {
    constexpr int kWidth = 1000;
    TBitmap sheet(kWidth, 2000);
    sheet.Canvas().Brush.Color = kGround;
    sheet.Canvas().FillRect({0, 0, sheet.Width(), sheet.Height()});
    int y = 10;
    for (int format = 0; format < 6; ++format) {
        int x = 10;
        int height = 0;
        for (int finish = 0; finish < 3; ++finish) {
            TBitmap face = DrawArt(kBackgroundIds[format][finish]);
            const TLedIds& ids = kLedIds[(format + finish) % 4];
            bool keyed = finish != 0;
            TBitmap on = DrawArt(keyed ? ids.KeyedOn : ids.OpaqueOn);
            TBitmap off = DrawArt(keyed ? ids.KeyedOff : ids.OpaqueOff);
            DrawClockFace(face, format, on, off, keyed);
            int scale = face.Width() > 300 ? 1 : 2;
            if (x + face.Width() * scale > kWidth) {
                x = 10;
                y += height + 8;
                height = 0;
            }
            Blit(sheet, x, y, scale, face);
            x += face.Width() * scale + 10;
            height = std::max(height, face.Height() * scale);
        }
        y += height + 8;
    }
    // Square and rect LEDs over aluminium and mahogany.
    for (int finish = 1; finish < 3; ++finish) {
        int x = 10;
        for (int shape = 1; shape < 3; ++shape) {
            TBitmap face = DrawArt(kBackgroundIds[0][finish]);
            const TLedIds& ids = kLedIds[shape + finish - 1];
            DrawClockFace(face, 0, Cropped(DrawArt(ids.KeyedOn), shape == 2),
                          Cropped(DrawArt(ids.KeyedOff), shape == 2), true);
            Blit(sheet, x, y, 2, face);
            x += 310;
        }
        y += 188;
    }
    // The switch format.
    TBitmap dip = DrawArt(66);
    TBitmap dipOn = DrawArt(68);
    TBitmap dipOff = DrawArt(67);
    DrawClockFace(dip, 6, dipOn, dipOff, false);
    Blit(sheet, 10, y, 3, dip);
    y += 41 * 3 + 10;
    TBitmap result(kWidth, y);
    result.Canvas().CopyRect({0, 0, kWidth, y}, sheet.Canvas(), {0, 0, kWidth, y});
    return result;
}
