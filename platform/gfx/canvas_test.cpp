#include "platform/gfx/canvas.h"

#include <gtest/gtest.h>

#include "platform/gfx/bitmap.h"

namespace {

TBitmap Filled(int w, int h, TColor c) {
    TBitmap b(w, h);
    b.Canvas().Brush.Color = c;
    b.Canvas().FillRect({0, 0, w, h});
    return b;
}

// A picture whose every pixel is distinct: red = x, green = y.
TBitmap Numbered(int w, int h) {
    TBitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.SetPixel(x, y, RGB(x, y, 100));
    return b;
}

int CountColor(const TBitmap& b, TColor c) {
    int n = 0;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            n += b.Pixel(x, y) == c;
    return n;
}

TEST(Canvas, FillRectIsClippedToTheBitmapAndTheClipRect) {
    TBitmap b = Filled(10, 10, clWhite);
    TCanvas& c = b.Canvas();
    c.Brush.Color = clRed;
    c.FillRect({-5, -5, 3, 2});  // partly outside
    EXPECT_EQ(CountColor(b, clRed), 6);
    c.FillRect({20, 20, 30, 30});  // wholly outside
    c.FillRect({5, 5, 2, 2});      // inverted
    EXPECT_EQ(CountColor(b, clRed), 6);

    TBitmap target = Filled(10, 10, clWhite);
    TCanvas mapped(&target);
    mapped.SetOrigin({4, 4});
    mapped.SetClipRect({4, 4, 7, 6});
    mapped.Brush.Color = clBlue;
    mapped.FillRect({-10, -10, 100, 100});
    EXPECT_EQ(CountColor(target, clBlue), 6);
    EXPECT_EQ(target.Pixel(4, 4), clBlue);
    EXPECT_EQ(target.Pixel(7, 4), clWhite);
    EXPECT_EQ(mapped.ClipRect(), (TRect{0, 0, 3, 2}));
}

TEST(Canvas, UnscaledDrawCopiesExactlyAndSkipsTheKeyColour) {
    TBitmap art = Numbered(4, 3);
    art.SetPixel(0, 2, clBlack);  // bottom-left: the automatic key
    art.SetPixel(2, 1, clBlack);
    TBitmap target = Filled(8, 8, clWhite);
    target.Canvas().Draw(2, 3, art);
    EXPECT_EQ(target.Pixel(2 + 2, 3 + 1), clBlack);  // opaque: black is drawn
    art.SetTransparent(true);
    target = Filled(8, 8, clWhite);
    target.Canvas().Draw(2, 3, art);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            TColor expected = art.Pixel(x, y) == clBlack ? clWhite : art.Pixel(x, y);
            EXPECT_EQ(target.Pixel(2 + x, 3 + y), expected) << x << "," << y;
        }
    EXPECT_EQ(CountColor(target, clWhite), 64 - 10);
}

TEST(Canvas, StretchDrawSamplesThePixelUnderEachCentre) {
    TBitmap art = Numbered(18, 18);
    TBitmap target = Filled(9, 9, clWhite);
    target.Canvas().StretchDraw({0, 0, 9, 9}, art);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x)
            EXPECT_EQ(target.Pixel(x, y), art.Pixel(2 * x + 1, 2 * y + 1));

    // 18 -> 5: the centres of the five cells lie over source pixels 1, 5, 9, 12, 16.
    TBitmap tiny = Filled(5, 5, clWhite);
    tiny.Canvas().StretchDraw({0, 0, 5, 5}, art);
    const int expected[] = {1, 5, 9, 12, 16};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(GetRValue(tiny.Pixel(i, 0)), expected[i]);

    // Enlarging repeats pixels: 9 x 24 into 9 x 25 repeats exactly one row.
    TBitmap tall = Numbered(9, 24);
    TBitmap cell = Filled(9, 25, clWhite);
    cell.Canvas().StretchDraw({0, 0, 9, 25}, tall);
    int repeats = 0;
    for (int y = 1; y < 25; ++y)
        repeats += cell.Pixel(0, y) == cell.Pixel(0, y - 1);
    EXPECT_EQ(repeats, 1);
    EXPECT_EQ(cell.Pixel(3, 0), tall.Pixel(3, 0));
    EXPECT_EQ(cell.Pixel(3, 24), tall.Pixel(3, 23));
}

TEST(Canvas, StretchedTransparentDrawSkipsTheKey) {
    TBitmap art = Filled(4, 4, clBlack);
    art.SetPixel(1, 1, clRed);
    art.SetPixel(2, 1, clRed);
    art.SetTransparent(true);
    TBitmap target = Filled(2, 2, clBlue);
    target.Canvas().StretchDraw({0, 0, 2, 2}, art);
    // Centres sample (1,1), (3,1), (1,3), (3,3): one red pixel, three keyed.
    EXPECT_EQ(target.Pixel(0, 0), clRed);
    EXPECT_EQ(CountColor(target, clBlue), 3);
}

TEST(Canvas, PalettedSourcesDrawTheirColours) {
    TBitmap art = Numbered(5, 5);
    TBitmap paletted = art;
    paletted.SetPixelFormat(pf8bit);
    TBitmap a = Filled(5, 5, clWhite), b = Filled(5, 5, clWhite);
    a.Canvas().Draw(0, 0, art);
    b.Canvas().Draw(0, 0, paletted);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(a.Pixel(x, y), b.Pixel(x, y));
}

TEST(Canvas, DrawFocusRectInvertsEveryOtherPixelAndTwiceRestores) {
    TBitmap b = Numbered(12, 9);
    TBitmap before = b;
    const TRect r{2, 1, 10, 8};
    b.Canvas().DrawFocusRect(r);
    int changed = 0;
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x) {
            bool onEdge = r.Contains({x, y}) &&
                          (x == r.Left || x == r.Right - 1 || y == r.Top || y == r.Bottom - 1);
            if (b.Pixel(x, y) != before.Pixel(x, y)) {
                ++changed;
                EXPECT_TRUE(onEdge) << x << "," << y;
                EXPECT_EQ(b.Pixel(x, y), ~before.Pixel(x, y) & 0xFFFFFF);
            }
        }
    EXPECT_EQ(changed, 13);  // half of the 26 outline pixels
    b.Canvas().DrawFocusRect(r);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x)
            ASSERT_EQ(b.Pixel(x, y), before.Pixel(x, y));
    // Degenerate rectangles (one pixel wide or tall) also restore.
    for (TRect thin : {TRect{3, 2, 4, 7}, TRect{1, 4, 9, 5}, TRect{5, 5, 6, 6}}) {
        b.Canvas().DrawFocusRect(thin);
        b.Canvas().DrawFocusRect(thin);
    }
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x)
            ASSERT_EQ(b.Pixel(x, y), before.Pixel(x, y));
}

TEST(Canvas, AThickFocusRectIsABandDottedInSquaresAndTwiceRestores) {
    TBitmap b = Numbered(20, 16);
    const TBitmap before = b;
    const TRect r{2, 1, 17, 14};
    b.Canvas().DrawFocusRect(r, 2);
    const TRect inner = r.Inflate(-2, -2);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool inBand = r.Contains({x, y}) && !inner.Contains({x, y});
            const bool inverted = b.Pixel(x, y) != before.Pixel(x, y);
            // 2 x 2 squares of a checkerboard: inverted where the square's parity is even.
            EXPECT_EQ(inverted, inBand && ((x / 2 + y / 2) & 1) == 0) << x << "," << y;
        }
    b.Canvas().DrawFocusRect(r, 2);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(b.Pixel(x, y), before.Pixel(x, y));
}

TEST(Canvas, ScaleValueAndLineWidthFollowTheCanvasScale) {
    TCanvas canvas;
    EXPECT_EQ(canvas.ScalePercent(), 100);
    const struct {
        int percent, thirteen, line;
    } cases[] = {{100, 13, 1}, {125, 16, 1}, {150, 20, 2},
                 {200, 26, 2}, {250, 33, 3}, {300, 39, 3}};
    for (const auto& c : cases) {
        canvas.SetScalePercent(c.percent);
        EXPECT_EQ(canvas.ScaleValue(13), c.thirteen) << c.percent;
        EXPECT_EQ(canvas.LineWidth(), c.line) << c.percent;
    }
    canvas.SetScalePercent(0);  // nonsense: back to the design
    EXPECT_EQ(canvas.ScalePercent(), 100);
}

TEST(Canvas, CopyRectCopiesFromAnotherCanvasAndClips) {
    TBitmap source = Numbered(10, 10);
    TBitmap target = Filled(6, 6, clWhite);
    target.Canvas().CopyRect({1, 1, 5, 5}, source.Canvas(), {3, 4, 7, 8});
    EXPECT_EQ(target.Pixel(1, 1), source.Pixel(3, 4));
    EXPECT_EQ(target.Pixel(4, 4), source.Pixel(6, 7));
    EXPECT_EQ(target.Pixel(0, 0), clWhite);
    // A source rectangle reaching outside its bitmap copies only what exists.
    target = Filled(6, 6, clWhite);
    target.Canvas().CopyRect({0, 0, 4, 4}, source.Canvas(), {8, 8, 12, 12});
    EXPECT_EQ(target.Pixel(1, 1), source.Pixel(9, 9));
    EXPECT_EQ(target.Pixel(2, 2), clWhite);
}

TEST(Canvas, LinesLeaveOutTheirEndPointAndRectanglesFillInside) {
    TBitmap b = Filled(10, 10, clWhite);
    TCanvas& c = b.Canvas();
    c.Pen.Color = clBlack;
    c.MoveTo(1, 1);
    c.LineTo(6, 1);
    EXPECT_EQ(CountColor(b, clBlack), 5);
    EXPECT_EQ(b.Pixel(6, 1), clWhite);
    c.MoveTo(0, 9);
    c.LineTo(9, 0);  // diagonal
    EXPECT_EQ(b.Pixel(0, 9), clBlack);
    EXPECT_EQ(b.Pixel(9, 0), clWhite);

    TBitmap r = Filled(10, 10, clWhite);
    r.Canvas().Pen.Color = clBlack;
    r.Canvas().Brush.Color = clRed;
    r.Canvas().Rectangle(2, 2, 8, 7);
    EXPECT_EQ(CountColor(r, clRed), 4 * 3);
    EXPECT_EQ(CountColor(r, clBlack), 6 * 5 - 12);
}

TEST(Canvas, EllipseStaysInsideItsRectangleAndIsSymmetric) {
    TBitmap b = Filled(20, 14, clWhite);
    b.Canvas().Pen.Style = psClear;
    b.Canvas().Brush.Color = clRed;
    b.Canvas().Ellipse(2, 2, 18, 12);
    for (int y = 0; y < 14; ++y)
        for (int x = 0; x < 20; ++x) {
            if (b.Pixel(x, y) == clRed) {
                EXPECT_TRUE((TRect{2, 2, 18, 12}).Contains({x, y}));
            }
            EXPECT_EQ(b.Pixel(x, y), b.Pixel(19 - x, y));
            EXPECT_EQ(b.Pixel(x, y), b.Pixel(x, 13 - y));
        }
    EXPECT_EQ(b.Pixel(10, 7), clRed);
    EXPECT_EQ(b.Pixel(2, 2), clWhite);
    EXPECT_EQ(b.Pixel(2, 7), clRed);  // the widest row reaches the left edge
}

}  // namespace
