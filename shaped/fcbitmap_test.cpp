#include "shaped/fcbitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "platform/sysutils.h"
#include "tests/support/fcbitmap_testing.h"

namespace {

using namespace fctest;

const TColor A = RGB(10, 20, 30);
const TColor B = RGB(200, 100, 50);
const TColor C = RGB(1, 2, 3);
const TColor D = RGB(250, 251, 252);
const TColor Key = RGB(255, 0, 255);

// Layout -----------------------------------------------------------------------------------

TEST(FcBitmapLayout, RowsArePaddedWithWidthModFourBytes) {
    struct Case {
        int width, stride, padding;
    } cases[] = {{1, 4, 1}, {2, 8, 2}, {3, 12, 3}, {4, 12, 0}, {5, 16, 1}, {7, 24, 3}};
    for (const Case& c : cases) {
        TfcBitmap fc;
        fc.SetImageSize(c.width, 3);
        EXPECT_EQ(fc.RowStride(), c.stride) << c.width << " wide";
        EXPECT_EQ(fc.RowPadding(), c.padding) << c.width << " wide";
        EXPECT_EQ(fc.ImageSize(), 3 * c.stride) << c.width << " wide";
        ASSERT_EQ(fc.RowTable().size(), 3u);
        for (int y = 0; y < 3; ++y)
            EXPECT_EQ(fc.RowTable()[size_t(y)], fc.Bits() + y * c.stride);
    }
}

TEST(FcBitmapLayout, PixelsAreBlueGreenRedTopDown) {
    TfcBitmap fc;
    Load(fc, 2, 2, {A, B, C, RGB(7, 8, 9)});
    const uint8_t* row1 = fc.RowTable()[1];
    EXPECT_EQ(fc.Bits()[0], 30);  // blue first
    EXPECT_EQ(fc.Bits()[2], 10);
    EXPECT_EQ(row1[3], 9);
    EXPECT_EQ(row1[4], 8);
    EXPECT_EQ(row1[5], 7);
}

TEST(FcBitmapLayout, EmptyBitmapHasNothing) {
    TfcBitmap fc;
    EXPECT_TRUE(fc.Empty());
    EXPECT_EQ(fc.Bits(), nullptr);
    EXPECT_TRUE(fc.RowTable().empty());
    EXPECT_EQ(fc.ImageSize(), 0);
    EXPECT_EQ(fc.Canvas().Target(), nullptr);
    EXPECT_EQ(fc.Mask(), nullptr);
    EXPECT_EQ(fc.TransparentColor(), clNone);
    EXPECT_EQ(fc.PixelFormat(), pf24bit);
    EXPECT_FALSE(fc.HasColorTable());
    EXPECT_FALSE(fc.SourceDeeperThanDisplay());
}

TEST(FcBitmapLayout, NewSizeIsWhiteAndZeroSizeStaysEmpty) {
    TfcBitmap fc;
    fc.SetImageSize(3, 2);
    EXPECT_EQ(Pixels(fc), std::vector<TColor>(6, clWhite));
    EXPECT_EQ(fc.Canvas().Target()->Width(), 3);

    fc.SetImageSize(0, 5);
    EXPECT_TRUE(fc.Empty());
    EXPECT_EQ(fc.Width(), 0);
    EXPECT_EQ(fc.Height(), 0);
    EXPECT_EQ(fc.Canvas().Target(), nullptr);
}

TEST(FcBitmapLayout, TooLargeSizeIsRefused) {
    TfcBitmap fc;
    for (auto [width, height] : {std::pair{30000, 30000}, std::pair{INT32_MAX, 1},
                                 std::pair{1, INT32_MAX}, std::pair{INT32_MAX, INT32_MAX}}) {
        EXPECT_THROW(fc.SetImageSize(width, height), EOutOfResources) << width << " x " << height;
        EXPECT_TRUE(fc.Empty());
    }
}

// 100 000 000 x 1 fits 32-bit sizes (300 000 000 bytes): the picture is made, white. Its
// row size passes the range of int at 24 bits a pixel when reckoned in bits.
TEST(FcBitmapLayout, AVeryWidePictureThatFitsIsMade) {
    TfcBitmap fc;
    fc.SetImageSize(100'000'000, 1);
    EXPECT_EQ(fc.Width(), 100'000'000);
    EXPECT_EQ(fc.RowStride(), 300'000'000);
    EXPECT_EQ(fc.Pixel(99'999'999, 0), clWhite);
}

TEST(FcBitmapLayout, SizePropertiesLosePixelsOnlyWhenTheSizeChanges) {
    TfcBitmap fc;
    Load(fc, 2, 1, {A, B});
    TCountingListener listener;
    fc.AddListener(&listener);
    fc.SetSize(2, 1);
    EXPECT_EQ(Pixels(fc), (std::vector<TColor>{A, B}));
    EXPECT_EQ(listener.count, 0);
    fc.SetWidth(3);
    EXPECT_EQ(Pixels(fc), std::vector<TColor>(3, clWhite));
    EXPECT_EQ(listener.count, 1);
}

TEST(FcBitmapLayout, CanvasDrawsOnThePixels) {
    TfcBitmap fc;
    fc.SetImageSize(3, 3);
    fc.Canvas().Brush.Color = clRed;
    fc.Canvas().FillRect({1, 1, 2, 2});
    EXPECT_EQ(fc.Pixel(1, 1), clRed);
    EXPECT_EQ(fc.RowTable()[1][5], 255);  // red byte of pixel (1, 1)
    EXPECT_EQ(fc.Pixel(0, 0), clWhite);
}

// Assigning and copying ---------------------------------------------------------------------

TEST(FcBitmapAssign, EmptyBitmapOrNothingEmptiesAndStillNotifies) {
    TfcBitmap fc;
    Load(fc, 2, 2, {A, B, C, D});
    TCountingListener listener;
    fc.AddListener(&listener);
    int changes = 0;
    fc.OnChange = [&](TGraphic&) { ++changes; };

    TBitmap empty;
    fc.Assign(&empty);
    EXPECT_TRUE(fc.Empty());
    EXPECT_EQ(fc.Bits(), nullptr);
    EXPECT_EQ(listener.count, 1);
    EXPECT_EQ(changes, 1);

    fc.Assign(nullptr);  // already empty: still a notification
    EXPECT_EQ(listener.count, 2);
    EXPECT_EQ(changes, 2);
}

TEST(FcBitmapAssign, EightBitBitmapKeepsFormatAndColourTable) {
    TBitmap source = Picture(3, 1, {A, B, C});
    source.SetPixelFormat(pf8bit);
    source.SetTransparent(true);
    TfcBitmap fc;
    fc.Assign(&source);

    EXPECT_EQ(Pixels(fc), (std::vector<TColor>{A, B, C}));
    EXPECT_EQ(fc.PixelFormat(), pf8bit);
    EXPECT_TRUE(fc.HasColorTable());
    for (size_t i = 0; i < 256; ++i)
        EXPECT_EQ(fc.ColorTable()[i], source.Palette()[i]) << i;
    EXPECT_TRUE(fc.Transparent());
    EXPECT_FALSE(fc.SourceDeeperThanDisplay());  // no backend: a true-colour display

    // Back into a TBitmap: the same format, palette and pixels.
    TBitmap back;
    back.Assign(&fc);
    EXPECT_EQ(back.PixelFormat(), pf8bit);
    EXPECT_EQ(back.Palette(), source.Palette());
    EXPECT_EQ(Pixels(back, {0, 0, 3, 1}), (std::vector<TColor>{A, B, C}));
}

TEST(FcBitmapAssign, SourceDeeperThanAPaletteDisplayIsNoticed) {
    TScopedDisplay display(8);
    TBitmap deep = Picture(2, 1, {A, B});
    TfcBitmap fc;
    fc.Assign(&deep);
    EXPECT_TRUE(fc.SourceDeeperThanDisplay());
    EXPECT_FALSE(fc.HasColorTable());
    EXPECT_EQ(fc.PixelFormat(), pf24bit);

    TBitmap shallow = Picture(2, 1, {A, B});
    shallow.SetPixelFormat(pf8bit);
    fc.Assign(&shallow);
    EXPECT_FALSE(fc.SourceDeeperThanDisplay());
}

TEST(FcBitmapAssign, CopyToTBitmapCarriesTransparency) {
    TfcBitmap fc;
    Load(fc, 2, 2, {Key, A, B, C});
    fc.SetTransparent(true);
    TBitmap b;
    b.Assign(&fc);
    EXPECT_EQ(b.PixelFormat(), pf24bit);
    EXPECT_EQ(Pixels(b, {0, 0, 2, 2}), (std::vector<TColor>{Key, A, B, C}));
    EXPECT_TRUE(b.Transparent());
    EXPECT_EQ(b.TransparentColor(), Key);  // clNone: the top-left pixel, given explicitly

    fc.SetTransparentColor(B);
    b.Assign(&fc);
    EXPECT_EQ(b.TransparentColor(), B);
}

TEST(FcBitmapAssign, CopyToAnotherFcBitmapTakesEverythingButListenersWithOneNotification) {
    TBitmap source = Picture(3, 2, {A, B, C, D, Key, A});
    source.SetPixelFormat(pf8bit);
    TfcBitmap from;
    from.Assign(&source);
    from.SetTransparent(true);
    from.SetTransparentColor(C);
    from.SetSmoothStretch(true);
    from.SetUseHalftonePalette(true);
    TCountingListener fromListener;
    from.AddListener(&fromListener);

    TfcBitmap to;
    TCountingListener listener;
    to.AddListener(&listener);
    to.Assign(&from);

    EXPECT_EQ(Pixels(to), Pixels(from));
    EXPECT_EQ(to.RowStride(), from.RowStride());
    EXPECT_TRUE(to.Transparent());
    EXPECT_EQ(to.TransparentColor(), C);
    EXPECT_TRUE(to.SmoothStretch());
    EXPECT_TRUE(to.UseHalftonePalette());
    EXPECT_FALSE(to.UseOwnPalette());
    EXPECT_EQ(to.PixelFormat(), pf8bit);
    EXPECT_TRUE(to.HasColorTable());
    EXPECT_EQ(to.ColorTable(), from.ColorTable());
    EXPECT_EQ(listener.count, 1);
    EXPECT_EQ(to.ListenerCount(), 1);
    EXPECT_EQ(fromListener.count, 0);

    // A clone is a full copy too.
    std::unique_ptr<TGraphic> clone = from.Clone();
    auto* copy = dynamic_cast<TfcBitmap*>(clone.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(Pixels(*copy), Pixels(from));
    EXPECT_EQ(copy->TransparentColor(), C);
    EXPECT_EQ(copy->ListenerCount(), 0);

    // An empty source empties the target, again with one notification.
    TfcBitmap empty;
    to.Assign(&empty);
    EXPECT_TRUE(to.Empty());
    EXPECT_EQ(listener.count, 2);
}

TEST(FcBitmapAssign, StreamRoundTripKeepsPixels) {
    TfcBitmap fc;
    Load(fc, 3, 2, {A, B, C, D, Key, A});
    std::stringstream stream;
    fc.SaveToStream(stream);
    TfcBitmap back;
    back.LoadFromStream(stream);
    EXPECT_EQ(back.Width(), 3);
    EXPECT_EQ(Pixels(back), Pixels(fc));
}

TEST(FcBitmapAssign, BadStreamLeavesTheBitmapAsItWas) {
    TfcBitmap fc;
    Load(fc, 2, 1, {A, B});
    std::stringstream stream("not a picture");
    EXPECT_THROW(fc.LoadFromStream(stream), EInvalidGraphic);
    EXPECT_EQ(Pixels(fc), (std::vector<TColor>{A, B}));
}

TEST(FcBitmapAssign, LoadFromGraphicDrawsItOverWhite) {
    TfcBitmap transparent;
    Load(transparent, 2, 1, {Key, A});
    transparent.SetTransparent(true);
    TfcBitmap fc;
    fc.LoadFromGraphic(transparent);
    EXPECT_EQ(Pixels(fc), (std::vector<TColor>{clWhite, A}));
    EXPECT_FALSE(fc.Transparent());
}

TEST(FcBitmapAssign, LoadFromDIBChecksTheByteCount) {
    std::vector<uint8_t> bits = {1, 2, 3, 4, 5, 6, 0, 0};  // 2 x 1: two pixels and padding
    TfcBitmap fc;
    fc.LoadFromDIB(bits, {2, 1});
    EXPECT_EQ(Pixels(fc), (std::vector<TColor>{RGB(3, 2, 1), RGB(6, 5, 4)}));

    std::vector<uint8_t> few(7);
    EXPECT_THROW(fc.LoadFromDIB(few, {2, 1}), EInvalidGraphic);
    EXPECT_EQ(Pixels(fc), (std::vector<TColor>{RGB(3, 2, 1), RGB(6, 5, 4)}));
}

TEST(FcBitmapAssign, SavedImageComesBack) {
    TfcBitmap fc;
    Load(fc, 3, 2, {A, B, C, D, Key, A});
    std::vector<TColor> before = Pixels(fc);
    fc.RestoreImage();  // nothing saved: nothing happens
    EXPECT_EQ(Pixels(fc), before);

    fc.SaveImage();
    EXPECT_TRUE(fc.Empty());
    EXPECT_TRUE(fc.HasSavedImage());
    TCountingListener listener;
    fc.AddListener(&listener);
    fc.RestoreImage();
    EXPECT_FALSE(fc.HasSavedImage());
    EXPECT_EQ(fc.Width(), 3);
    EXPECT_EQ(Pixels(fc), before);
    EXPECT_EQ(listener.count, 1);
}

// Listeners ----------------------------------------------------------------------------------

TEST(FcBitmapListeners, ToldInOrderWithTheirBitmapSet) {
    std::vector<std::string> order;
    struct TNamed : TfcBitmapListener {
        std::vector<std::string>& order;
        std::string name;
        TfcBitmap* bitmap = nullptr;
        TNamed(std::vector<std::string>& o, std::string n) : order(o), name(std::move(n)) {}
        void BitmapChanged() override {
            order.push_back(name);
            bitmap = Bitmap();
        }
    } first(order, "first"), second(order, "second");
    TfcBitmap fc;
    fc.AddListener(&first);
    fc.AddListener(&second);
    fc.AddListener(&first);  // once only
    fc.OnChange = [&](TGraphic&) { order.push_back("OnChange"); };
    fc.SetImageSize(2, 2);
    EXPECT_EQ(order, (std::vector<std::string>{"OnChange", "first", "second"}));
    EXPECT_EQ(first.bitmap, &fc);
    EXPECT_EQ(second.bitmap, &fc);

    fc.RemoveListener(&first);
    order.clear();
    fc.Invert();
    EXPECT_EQ(order, (std::vector<std::string>{"OnChange", "second"}));
}

TEST(FcBitmapListeners, EndOfEitherSideUnregisters) {
    auto fc = std::make_unique<TfcBitmap>();
    auto listener = std::make_unique<TCountingListener>();
    fc->AddListener(listener.get());
    fc->SetImageSize(1, 1);
    EXPECT_EQ(listener->Bitmap(), fc.get());
    listener.reset();
    EXPECT_EQ(fc->ListenerCount(), 0);
    fc->Invert();  // nobody left to tell

    TCountingListener survivor;
    fc->AddListener(&survivor);
    fc->Invert();
    fc.reset();
    EXPECT_EQ(survivor.Bitmap(), nullptr);
    EXPECT_EQ(survivor.count, 1);
}

TEST(FcBitmapListeners, UpdatingBracketSuppressesTransparencyNotifications) {
    // Copying into a bitmap changes size, pixels and transparency but notifies once.
    TfcBitmap from;
    Load(from, 1, 1, {A});
    from.SetTransparent(true);
    TfcBitmap to;
    int changes = 0;
    to.OnChange = [&](TGraphic&) { ++changes; };
    from.AssignTo(to);
    EXPECT_EQ(changes, 1);
}

// Drawing --------------------------------------------------------------------------------

TBitmap Background(int w, int h) {
    TBitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.SetPixel(x, y, RGB(x * 30, y * 30, 90));
    return b;
}

TEST(FcBitmapDraw, OwnSizeCopiesThePixelsUnchanged) {
    TfcBitmap fc;
    std::vector<TColor> colors = {A, B, C, D, Key, RGB(17, 171, 217)};
    Load(fc, 3, 2, colors);
    TBitmap dest = Background(6, 5);
    dest.Canvas().Draw(2, 1, fc);
    EXPECT_EQ(Pixels(dest, {2, 1, 5, 3}), colors);
    EXPECT_EQ(dest.Pixel(1, 1), Background(6, 5).Pixel(1, 1));
    EXPECT_EQ(dest.Pixel(5, 3), Background(6, 5).Pixel(5, 3));
}

TEST(FcBitmapDraw, EmptyBitmapOrRectangleDrawsNothing) {
    TfcBitmap fc;
    TBitmap dest = Background(4, 4);
    fc.Draw(dest.Canvas(), {0, 0, 4, 4});
    Load(fc, 1, 1, {A});
    fc.Draw(dest.Canvas(), {2, 2, 2, 4});
    fc.DrawSmoothStretched(dest.Canvas(), {1, 1, 1, 1});
    EXPECT_EQ(Pixels(dest, {0, 0, 4, 4}), Pixels(Background(4, 4), {0, 0, 4, 4}));
}

TEST(FcBitmapDraw, TransparentBitmapLeavesTheDestinationVisibleWhereTheKeyWas) {
    struct Case {
        const char* name;
        TColor transparentColor;
        TColor key;
    } cases[] = {{"top-left pixel", clNone, Key}, {"explicit colour", B, B}};
    for (const Case& c : cases) {
        TfcBitmap fc;
        Load(fc, 3, 2, {Key, A, B, B, Key, C});
        fc.SetTransparent(true);
        fc.SetTransparentColor(c.transparentColor);
        TBitmap dest = Background(5, 4);
        TBitmap before = dest;
        fc.Draw(dest.Canvas(), TRect::FromSize(1, 1, 3, 2));
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 3; ++x) {
                TColor own = fc.Pixel(x, y);
                TColor expected = own == c.key ? before.Pixel(x + 1, y + 1) : own;
                EXPECT_EQ(dest.Pixel(x + 1, y + 1), expected) << c.name << " at " << x << "," << y;
            }
        }
        EXPECT_EQ(dest.Pixel(0, 0), before.Pixel(0, 0)) << c.name;
    }
}

TEST(FcBitmapDraw, MaskIsBuiltOnceAndFollowsChanges) {
    TfcBitmap fc;
    Load(fc, 2, 1, {Key, A});
    const TBitmap* mask = fc.Mask();
    ASSERT_NE(mask, nullptr);
    EXPECT_TRUE(mask->Monochrome());
    EXPECT_EQ(mask->Pixel(0, 0), clBlack);
    EXPECT_EQ(mask->Pixel(1, 0), clWhite);
    EXPECT_EQ(fc.Mask(), mask);  // cached

    // An effect changes the pixels, and the top-left colour with them.
    fc.ReplaceColor(0x0A141E, 0xFF00FF);  // A becomes the key colour
    EXPECT_EQ(fc.Mask()->Pixel(1, 0), clBlack);
    fc.SetTransparentColor(clBlack);
    EXPECT_EQ(fc.Mask()->Pixel(0, 0), clWhite);
    fc.SetImageSize(0, 0);
    EXPECT_EQ(fc.Mask(), nullptr);
}

TEST(FcBitmapDraw, DrawingIntoABitmapIgnoresTransparency) {
    TfcBitmap fc;
    Load(fc, 2, 1, {Key, A});
    fc.SetTransparent(true);
    TBitmap b;
    fc.CopyToBitmap(b);
    EXPECT_EQ(Pixels(b, {0, 0, 2, 1}), (std::vector<TColor>{Key, A}));
}

TEST(FcBitmapDraw, StretchedDrawingTakesTheNearestPixel) {
    TfcBitmap fc;
    Load(fc, 2, 1, {A, B});
    TBitmap dest = Background(4, 2);
    fc.Draw(dest.Canvas(), {0, 0, 4, 2});
    EXPECT_EQ(Pixels(dest, {0, 0, 4, 2}), (std::vector<TColor>{A, A, B, B, A, A, B, B}));
}

TEST(FcBitmapDraw, StretchedTransparentDrawingKeepsTheKeyOfTheImage) {
    // Shrunk, the stretched copy's top-left pixel is not the key; the key still is.
    TfcBitmap fc;
    Load(fc, 4, 1, {Key, A, Key, B});
    fc.SetTransparent(true);
    TBitmap dest = Background(2, 1);
    fc.Draw(dest.Canvas(), {0, 0, 2, 1});  // samples source pixels 1 and 3
    EXPECT_EQ(Pixels(dest, {0, 0, 2, 1}), (std::vector<TColor>{A, B}));

    // Enlarged, the key pixels leave the destination visible.
    Load(fc, 2, 1, {Key, A});
    fc.SetTransparent(true);
    dest = Background(4, 1);
    TBitmap before = dest;
    fc.Draw(dest.Canvas(), {0, 0, 4, 1});
    EXPECT_EQ(Pixels(dest, {0, 0, 4, 1}),
              (std::vector<TColor>{before.Pixel(0, 0), before.Pixel(1, 0), A, A}));
}

TEST(FcBitmapDraw, SmoothStretchInterpolatesInFixedPoint) {
    // Step (2 - 1) x 32768 / 4 = 8192: weights 0, 1/4, 1/2, 3/4 of the second pixel.
    TfcBitmap fc;
    Load(fc, 2, 1, Grays({0, 255}));
    fc.SetSmoothStretch(true);
    TBitmap dest = Background(4, 1);
    fc.Draw(dest.Canvas(), {0, 0, 4, 1});
    EXPECT_EQ(Pixels(dest, {0, 0, 4, 1}), Grays({0, 63, 127, 191}));

    // Both axes: step 16384 each way.
    Load(fc, 2, 2, Grays({0, 255, 255, 0}));
    dest = Background(3, 3);
    fc.DrawSmoothStretched(dest.Canvas(), {1, 1, 3, 3});
    EXPECT_EQ(Pixels(dest, {1, 1, 3, 3}), Grays({0, 127, 127, 127}));
}

TEST(FcBitmapDraw, TiledDrawingCoversTheRectangleSizeFromTheCanvasOrigin) {
    TfcBitmap fc;
    Load(fc, 2, 2, {A, B, C, D});
    TBitmap dest = Background(7, 6);
    TBitmap before = dest;
    // Tiles at x = 0, 2, 4 (< right 5) and y = 0, 2 (< bottom 4), shifted by (-1, -1).
    fc.DrawTiled(dest.Canvas(), {1, 1, 5, 4});
    const TColor tile[2][2] = {{A, B}, {C, D}};
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 7; ++x) {
            bool covered = x < 5 && y < 3;
            TColor expected = covered ? tile[(y + 1) % 2][(x + 1) % 2] : before.Pixel(x, y);
            EXPECT_EQ(dest.Pixel(x, y), expected) << x << "," << y;
        }
    }
}

TEST(FcBitmapDraw, ResizeScalesTheImage) {
    TfcBitmap fc;
    Load(fc, 2, 1, {A, B});
    TCountingListener listener;
    fc.AddListener(&listener);
    fc.Resize(2, 1);
    EXPECT_EQ(listener.count, 0);

    fc.Resize(4, 2);
    EXPECT_EQ(Pixels(fc), (std::vector<TColor>{A, A, B, B, A, A, B, B}));
    EXPECT_EQ(listener.count, 1);

    Load(fc, 2, 1, Grays({0, 255}));
    fc.SetSmoothStretch(true);
    fc.Resize(4, 1);
    EXPECT_EQ(Pixels(fc), Grays({0, 63, 127, 191}));
}

TEST(FcBitmapDraw, ResizeKeepsTransparentColouredPixels) {
    TfcBitmap fc;
    Load(fc, 2, 1, {A, Key});
    fc.SetTransparent(true);
    fc.SetTransparentColor(Key);
    fc.Resize(4, 1);
    EXPECT_EQ(Pixels(fc), (std::vector<TColor>{A, A, Key, Key}));
    EXPECT_TRUE(fc.Transparent());
}

// Palettes -------------------------------------------------------------------------------------

bool AllIn(const TfcPalette& palette, const std::vector<TColor>& colors) {
    return std::all_of(colors.begin(), colors.end(), [&](TColor c) { return palette.Contains(c); });
}

TEST(FcBitmapPalette, DeepDisplaySelectsNoPaletteEvenWithHalftone) {
    TScopedDisplay display(24);
    TfcBitmap fc;
    std::vector<TColor> colors = {RGB(50, 100, 200), RGB(1, 2, 3), RGB(77, 88, 99), D};
    Load(fc, 2, 2, colors);
    fc.SetUseHalftonePalette(true);
    fc.SetUseOwnPalette(true);
    TBitmap dest(2, 2);
    EXPECT_FALSE(fc.WantsDrawPalette());
    EXPECT_EQ(fc.SelectDrawPalette(dest.Canvas()), nullptr);
    EXPECT_EQ(SelectedPalette(dest.Canvas()), nullptr);
    EXPECT_EQ(fc.Palette(), nullptr);
    fc.Draw(dest.Canvas(), {0, 0, 2, 2});
    EXPECT_EQ(Pixels(dest, {0, 0, 2, 2}), colors);
}

TEST(FcBitmapPalette, EightBitDisplayShowsHalftoneColours) {
    TScopedDisplay display(8);
    TfcBitmap fc;
    std::vector<TColor> colors;
    for (int i = 0; i < 12; ++i)
        colors.push_back(RGB(i * 21 + 3, 250 - i * 19, (i * 77) % 256));
    Load(fc, 4, 3, colors);
    TBitmap dest = Background(6, 4);

    // Without a palette switch the exact pixels are drawn.
    fc.Draw(dest.Canvas(), {1, 1, 5, 4});
    EXPECT_EQ(Pixels(dest, {1, 1, 5, 4}), colors);

    fc.SetUseHalftonePalette(true);
    fc.Draw(dest.Canvas(), {1, 1, 5, 4});
    std::unique_ptr<TfcPalette> halftone = CreateHalftonePalette();
    std::vector<TColor> drawn = Pixels(dest, {1, 1, 5, 4});
    EXPECT_TRUE(AllIn(*halftone, drawn));
    for (size_t i = 0; i < colors.size(); ++i)
        EXPECT_EQ(drawn[i], halftone->NearestColor(colors[i])) << i;
    EXPECT_EQ(dest.Pixel(0, 0), Background(6, 4).Pixel(0, 0));

    // The palette lived only for the drawing.
    EXPECT_EQ(fc.Palette(), nullptr);
    EXPECT_EQ(SelectedPalette(dest.Canvas()), nullptr);

    // Stretched, smooth and transparent drawings go through it too.
    fc.Draw(dest.Canvas(), {0, 0, 6, 4});
    EXPECT_TRUE(AllIn(*halftone, Pixels(dest, {0, 0, 6, 4})));
    fc.SetSmoothStretch(true);
    fc.Draw(dest.Canvas(), {0, 0, 6, 4});
    EXPECT_TRUE(AllIn(*halftone, Pixels(dest, {0, 0, 6, 4})));
}

TEST(FcBitmapPalette, TransparentDrawingOnAPaletteDisplayKeepsTheDestination) {
    TScopedDisplay display(8);
    TfcBitmap fc;
    Load(fc, 2, 1, {Key, RGB(50, 100, 200)});
    fc.SetTransparent(true);
    fc.SetUseHalftonePalette(true);
    TBitmap dest = Background(2, 1);
    TBitmap before = dest;
    fc.Draw(dest.Canvas(), {0, 0, 2, 1});
    EXPECT_EQ(dest.Pixel(0, 0), before.Pixel(0, 0));
    EXPECT_EQ(dest.Pixel(1, 0), RGB(51, 102, 204));
}

TEST(FcBitmapPalette, OwnPaletteComesFromTheColourTableOrIsHalftoneForDeepSources) {
    TScopedDisplay display(8);
    // An 8-bit picture whose colours are far from the halftone colours.
    std::vector<TColor> colors = {RGB(30, 70, 110), RGB(140, 180, 20), RGB(250, 10, 130)};
    TBitmap source = Picture(3, 1, colors);
    source.SetPixelFormat(pf8bit);
    TfcBitmap fc;
    fc.Assign(&source);
    fc.SetUseOwnPalette(true);
    fc.SetUseHalftonePalette(true);  // the own palette wins
    TBitmap dest(3, 1);
    fc.Draw(dest.Canvas(), {0, 0, 3, 1});
    EXPECT_EQ(Pixels(dest, {0, 0, 3, 1}), colors);

    // A 24-bit source on this display has no table: the halftone palette stands in.
    TBitmap deep = Picture(3, 1, colors);
    fc.Assign(&deep);
    ASSERT_TRUE(fc.SourceDeeperThanDisplay());
    fc.Draw(dest.Canvas(), {0, 0, 3, 1});
    std::unique_ptr<TfcPalette> halftone = CreateHalftonePalette();
    EXPECT_EQ(dest.Pixel(0, 0), halftone->NearestColor(colors[0]));
    EXPECT_NE(dest.Pixel(0, 0), colors[0]);
}

TEST(FcBitmapPalette, PreviousPaletteOfTheCanvasIsPutBack) {
    TScopedDisplay display(8);
    TBitmap dest(2, 1);
    TPaletteEntry entries[] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    std::unique_ptr<TfcPalette> mine = CreatePalette(entries);
    SelectPalette(dest.Canvas(), mine.get());
    RealizePalette(dest.Canvas());

    TfcBitmap fc;
    Load(fc, 2, 1, {RGB(50, 100, 200), RGB(200, 210, 220)});
    fc.SetUseHalftonePalette(true);
    TfcPalette* previous = fc.SelectDrawPalette(dest.Canvas());
    EXPECT_EQ(previous, mine.get());
    ASSERT_NE(fc.Palette(), nullptr);
    EXPECT_EQ(fc.Palette()->Count(), 256);
    EXPECT_EQ(DrawingPalette(dest.Canvas()), fc.Palette());
    fc.RestoreDrawPalette(dest.Canvas(), previous);
    EXPECT_EQ(SelectedPalette(dest.Canvas()), mine.get());
    EXPECT_EQ(fc.Palette(), nullptr);

    // A drawing puts it back too, and later drawings map to it again.
    fc.Draw(dest.Canvas(), {0, 0, 2, 1});
    EXPECT_EQ(SelectedPalette(dest.Canvas()), mine.get());
    fc.SetUseHalftonePalette(false);
    fc.Draw(dest.Canvas(), {0, 0, 2, 1});
    EXPECT_EQ(Pixels(dest, {0, 0, 2, 1}), (std::vector<TColor>{clBlack, clWhite}));
    SelectPalette(dest.Canvas(), nullptr);
}

TEST(FcBitmapPalette, TiledDrawingSelectsThePaletteOnce) {
    TScopedDisplay display(8);
    struct TCountingSelects : TfcBitmap {
        int selects = 0;
        TfcPalette* SelectDrawPalette(TCanvas& canvas) override {
            ++selects;
            return TfcBitmap::SelectDrawPalette(canvas);
        }
    } fc;
    Load(fc, 1, 1, {RGB(50, 100, 200)});
    fc.SetUseHalftonePalette(true);
    TBitmap dest(3, 2);
    fc.DrawTiled(dest.Canvas(), {0, 0, 3, 2});
    EXPECT_EQ(fc.selects, 1);
    EXPECT_EQ(Pixels(dest, {0, 0, 3, 2}), std::vector<TColor>(6, RGB(51, 102, 204)));
    EXPECT_EQ(SelectedPalette(dest.Canvas()), nullptr);
    EXPECT_EQ(fc.Palette(), nullptr);
}

TEST(HalftonePalette, IsTheColourCubeGreysAndStaticColours) {
    std::unique_ptr<TfcPalette> p = CreateHalftonePalette();
    ASSERT_EQ(p->Count(), 256);
    const auto& e = p->Entries();
    EXPECT_EQ(e[0], (TPaletteEntry{0, 0, 0, 0}));
    EXPECT_EQ(e[7], (TPaletteEntry{192, 192, 192, 0}));
    EXPECT_EQ(e[9], (TPaletteEntry{166, 202, 240, 0}));
    EXPECT_EQ(e[10 + 36 * 1 + 6 * 2 + 3], (TPaletteEntry{51, 102, 153, 0}));
    EXPECT_EQ(e[225], (TPaletteEntry{255, 255, 255, 0}));
    EXPECT_EQ(e[226], (TPaletteEntry{12, 12, 12, 0}));
    EXPECT_EQ(e[245], (TPaletteEntry{242, 242, 242, 0}));
    EXPECT_EQ(e[246], (TPaletteEntry{255, 251, 240, 0}));
    EXPECT_EQ(e[255], (TPaletteEntry{255, 255, 255, 0}));
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                EXPECT_TRUE(p->Contains(RGB(51 * r, 51 * g, 51 * b)));
    EXPECT_EQ(p->NearestColor(RGB(50, 100, 200)), RGB(51, 102, 204));
    EXPECT_EQ(p->NearestColor(RGB(125, 125, 125)), RGB(128, 128, 128));
    EXPECT_EQ(p->NearestColor(RGB(160, 161, 163)), RGB(160, 160, 164));
}

TEST(HalftonePalette, SelectionMapsOnlyOnceRealised) {
    TCanvas canvas;
    std::unique_ptr<TfcPalette> p = CreateHalftonePalette();
    EXPECT_EQ(SelectPalette(canvas, p.get()), nullptr);
    EXPECT_EQ(SelectedPalette(canvas), p.get());
    EXPECT_EQ(DrawingPalette(canvas), nullptr);
    EXPECT_EQ(RealizePalette(canvas), 256);
    EXPECT_EQ(DrawingPalette(canvas), p.get());
    EXPECT_EQ(SelectPalette(canvas, nullptr), p.get());
    EXPECT_EQ(RealizePalette(canvas), 0);
}

}  // namespace
