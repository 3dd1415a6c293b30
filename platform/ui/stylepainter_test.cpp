// The classic look at its design size and at larger scales.
#include "platform/ui/stylepainter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/gfx/bitmap.h"

namespace {

constexpr TColor kBackground = RGB(1, 2, 3);

TBitmap Blank(int size) {
    TBitmap b(size, size);
    b.Canvas().Brush.Color = kBackground;
    b.Canvas().FillRect({0, 0, size, size});
    return b;
}

// The round radio button as designed at 96 pixels per inch: 'o' the outer ring, 'i' the
// inner ring, 'w' the inside, 'd' the dot.
constexpr const char* kRadioDesign[12] = {
    "....oooo....", "..ooiiiioo..", ".oiiwwwwiio.", ".oiwwwwwwio.", "oiwwwddwwwio", "oiwwddddwwio",
    "oiwwddddwwio", "oiwwwddwwwio", ".oiwwwwwwio.", ".oiiwwwwiio.", "..ooiiiioo..", "....oooo....",
};

TEST(StylePainter, AtFullSizeTheRadioButtonIsItsDesign) {
    TBitmap b = Blank(14);
    DrawRadioGlyph(b.Canvas(), 1, 1, true, true, false);
    for (int row = 0; row < 12; ++row)
        for (int col = 0; col < 12; ++col) {
            const bool upperLeft = col + row < 11 || (col + row == 11 && row < col);
            TColor expected = kBackground;
            switch (kRadioDesign[row][col]) {
                case 'o':
                    expected = upperLeft ? clBtnShadow : clBtnHighlight;
                    break;
                case 'i':
                    expected = upperLeft ? cl3DDkShadow : cl3DLight;
                    break;
                case 'w':
                    expected = clWindow;
                    break;
                case 'd':
                    expected = clWindowText;
                    break;
                default:
                    break;
            }
            EXPECT_EQ(b.Pixel(col + 1, row + 1), ColorToRGB(expected)) << col << "," << row;
        }
}

TEST(StylePainter, AtFullSizeTheCheckBoxIsItsDesign) {
    TBitmap b = Blank(13);
    DrawCheckBoxGlyph(b.Canvas(), 0, 0, true, true, false);
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 13; ++x) {
            const int ring = std::min({x, y, 12 - x, 12 - y});
            // The top and left edges, up to the last pixel before the opposite corners.
            const bool topLeft = (x == ring && y < 12 - ring) || (y == ring && x < 12 - ring);
            TColor expected = clWindow;
            if (ring == 0) expected = topLeft ? clBtnShadow : clBtnHighlight;
            if (ring == 1) expected = topLeft ? cl3DDkShadow : cl3DLight;
            // The tick: columns 3 to 9, three rows from 2 + c down to the valley at c = 2.
            const int c = x - 3;
            const int top = 3 + (c <= 2 ? 2 + c : 6 - c);
            if (ring >= 2 && c >= 0 && c <= 6 && y >= top && y < top + 3) expected = clWindowText;
            EXPECT_EQ(b.Pixel(x, y), ColorToRGB(expected)) << x << "," << y;
        }
}

// The inked (text-coloured) pixels of each column of a bitmap, top to bottom.
struct TColumnInk {
    int first = -1, count = 0;
};
std::vector<TColumnInk> Ink(const TBitmap& b, TColor ink) {
    std::vector<TColumnInk> columns(size_t(b.Width()));
    for (int x = 0; x < b.Width(); ++x)
        for (int y = 0; y < b.Height(); ++y)
            if (b.Pixel(x, y) == ColorToRGB(ink)) {
                if (columns[size_t(x)].first < 0) columns[size_t(x)].first = y;
                columns[size_t(x)].count++;
            }
    return columns;
}

TEST(StylePainter, AtTwiceTheSizeGlyphsAreDrawnFromTheirShapes) {
    TBitmap b = Blank(30);
    b.Canvas().SetScalePercent(200);
    DrawCheckBoxGlyph(b.Canvas(), 0, 0, true, true, false);
    // 26 x 26 with a four-pixel sunken edge: two lines of two pixels each.
    EXPECT_EQ(b.Pixel(25, 25), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(b.Pixel(26, 26), kBackground);
    EXPECT_EQ(b.Pixel(1, 10), ColorToRGB(clBtnShadow));
    EXPECT_EQ(b.Pixel(2, 10), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(b.Pixel(3, 10), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(b.Pixel(4, 4), ColorToRGB(clWindow));
    // The tick: 14 columns, each six pixels thick, stepping one pixel a column (not two
    // every other column, as an enlarged copy would).
    std::vector<TColumnInk> ink = Ink(b, clWindowText);
    int inked = 0;
    for (int x = 0; x < 30; ++x) {
        if (ink[size_t(x)].count == 0) continue;
        ++inked;
        EXPECT_EQ(ink[size_t(x)].count, 6) << x;
        if (x > 6 && ink[size_t(x - 1)].count > 0) {
            EXPECT_LE(std::abs(ink[size_t(x)].first - ink[size_t(x - 1)].first), 1) << x;
        }
    }
    EXPECT_EQ(inked, 14);

    TBitmap r = Blank(26);
    r.Canvas().SetScalePercent(200);
    DrawRadioGlyph(r.Canvas(), 0, 0, true, true, false);
    // A circle 24 pixels across; the dot about four times the design's 12 pixels, and
    // symmetric about both axes.
    EXPECT_EQ(r.Pixel(0, 0), kBackground);
    EXPECT_NE(r.Pixel(0, 12), kBackground);
    EXPECT_EQ(r.Pixel(24, 12), kBackground);
    int dot = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) {
            const bool isDot = r.Pixel(x, y) == ColorToRGB(clWindowText);
            dot += isDot;
            EXPECT_EQ(isDot, r.Pixel(23 - x, y) == ColorToRGB(clWindowText));
            EXPECT_EQ(isDot, r.Pixel(x, 23 - y) == ColorToRGB(clWindowText));
        }
    EXPECT_GE(dot, 44);
    EXPECT_LE(dot, 56);
}

TEST(StylePainter, EdgesAndFocusRectanglesAreALineWideAtEveryScale) {
    for (int percent : {100, 125, 150, 200, 300}) {
        TBitmap b = Blank(40);
        TCanvas& c = b.Canvas();
        c.SetScalePercent(percent);
        const int line = c.LineWidth();
        TRect rect{0, 0, 40, 40};
        DrawEdge(c, rect, TEdge::Raised);
        EXPECT_EQ(rect, (TRect{2 * line, 2 * line, 40 - 2 * line, 40 - 2 * line})) << percent;
        for (int i = 0; i < line; ++i) {
            EXPECT_EQ(b.Pixel(i, 20), ColorToRGB(cl3DLight)) << percent << " " << i;
            EXPECT_EQ(b.Pixel(line + i, 20), ColorToRGB(clBtnHighlight)) << percent << " " << i;
            EXPECT_EQ(b.Pixel(39 - i, 20), ColorToRGB(cl3DDkShadow)) << percent << " " << i;
        }
        EXPECT_EQ(b.Pixel(2 * line, 20), kBackground);
        // The focus rectangle: a dotted band a line wide, inverted, and gone when drawn again.
        TBitmap f = Blank(20);
        f.Canvas().SetScalePercent(percent);
        DrawFocus(f.Canvas(), {2, 2, 18, 18});
        int inverted = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                if (f.Pixel(x, y) != kBackground) {
                    ++inverted;
                    EXPECT_TRUE(x < 2 + line || x >= 18 - line || y < 2 + line || y >= 18 - line);
                }
        EXPECT_GT(inverted, 0);
        DrawFocus(f.Canvas(), {2, 2, 18, 18});
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                ASSERT_EQ(f.Pixel(x, y), kBackground);
    }
}

}  // namespace
