#include "platform/gfx/bitmap.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "platform/gfx/bmpfile.h"
#include "platform/gfx/canvas.h"
#include "platform/gfx/pngfile.h"
#include "platform/sysutils.h"

namespace {

TBitmap Gradient(int w, int h) {
    TBitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.SetPixel(x, y, RGB(x * 10, y * 20, (x + y) * 5));
    return b;
}

void ExpectSamePixels(const TBitmap& a, const TBitmap& b) {
    ASSERT_EQ(a.Width(), b.Width());
    ASSERT_EQ(a.Height(), b.Height());
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            ASSERT_EQ(a.Pixel(x, y), b.Pixel(x, y)) << x << "," << y;
}

TEST(Bitmap, RowsArePaddedToFourBytes) {
    struct Case {
        int width, format, stride;
    } cases[] = {{1, pf24bit, 4}, {2, pf24bit, 8}, {4, pf24bit, 12}, {5, pf24bit, 16},
                 {3, pf8bit, 4},  {5, pf8bit, 8},  {1, pf1bit, 4},   {33, pf1bit, 8}};
    for (const Case& c : cases) {
        TBitmap b(c.width, 2, TPixelFormat(c.format));
        EXPECT_EQ(b.Stride(), c.stride) << c.width << " wide, format " << c.format;
    }
}

// Row sizes of widths at and near the top of int, at every depth: the true size, never an
// overflow (UndefinedBehaviorSanitizer checks the arithmetic).
TEST(Bitmap, RowSizesOfTheWidestPicturesAreExact) {
    struct Case {
        int width, bits;
        int64_t stride;
    } cases[] = {{100'000'000, 24, 300'000'000}, {100'000'000, 1, 12'500'000},
                 {INT32_MAX, 24, 6'442'450'944}, {INT32_MAX, 8, 2'147'483'648},
                 {INT32_MAX, 1, 268'435'456},    {INT32_MAX, 32, 8'589'934'588}};
    for (const Case& c : cases) {
        volatile int width = c.width;  // computed when the test runs
        EXPECT_EQ(BitmapStride(width, c.bits), c.stride) << c.width << " at " << c.bits;
    }
}

// Sizes whose pixels would pass 2^31 - 1 bytes are refused, whatever the depth, and leave
// the bitmap as it was; a picture just inside is made.
TEST(Bitmap, SizesPastThirtyTwoBitsRaiseOutOfResources) {
    struct Case {
        int width, height;
        TPixelFormat format;
    } cases[] = {{INT32_MAX, 1, pf24bit},        {INT32_MAX, 1, pf8bit}, {1, INT32_MAX, pf24bit},
                 {INT32_MAX, INT32_MAX, pf1bit}, {65536, 65536, pf8bit}, {800'000'000, 1, pf24bit},
                 {100'000'000, 100'000, pf1bit}};
    for (const Case& c : cases) {
        TBitmap b(3, 2, c.format);
        b.SetPixel(0, 0, clBlack);
        EXPECT_THROW(b.SetSize(c.width, c.height), EOutOfResources) << c.width << " x " << c.height;
        EXPECT_EQ(b.Width(), 3);
        EXPECT_EQ(b.Height(), 2);
        EXPECT_EQ(b.Pixel(0, 0), clBlack);
        EXPECT_THROW(TBitmap(c.width, c.height, c.format), EOutOfResources);
    }
    TBitmap wide(100'000'000, 1, pf1bit);
    EXPECT_EQ(wide.Stride(), 12'500'000);
    EXPECT_EQ(wide.Pixel(99'999'999, 0), clWhite);
    // A change of depth that would not fit is refused the same way.
    TBitmap deep(120'000'000, 6, pf1bit);  // 90 MB; 2.16 GB at 24 bits
    EXPECT_THROW(deep.SetPixelFormat(pf24bit), EOutOfResources);
    EXPECT_EQ(deep.PixelFormat(), pf1bit);
    EXPECT_EQ(deep.Palette().size(), 2u);
}

TEST(Bitmap, ZeroOrNegativeSizesGiveAnEmptyBitmap) {
    for (auto [w, h] : {std::pair{0, 5}, {5, 0}, {-3, 4}, {4, -1}}) {
        TBitmap b(w, h);
        EXPECT_TRUE(b.Empty());
        EXPECT_EQ(b.Width(), 0);
        EXPECT_EQ(b.Height(), 0);
    }
    TBitmap b;
    EXPECT_THROW(b.ScanLine(0), EInvalidGraphic);
    EXPECT_EQ(b.Pixel(0, 0), clNone);
}

TEST(Bitmap, ResizeKeepsTheCommonAreaAndFillsNewPixelsWhite) {
    TBitmap b = Gradient(4, 3);
    TBitmap before = b;
    b.SetSize(6, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(b.Pixel(x, y), before.Pixel(x, y));
    EXPECT_EQ(b.Pixel(5, 1), clWhite);
}

TEST(Bitmap, TransparentColourIsTheBottomLeftPixelUnlessFixed) {
    TBitmap b = Gradient(3, 3);
    EXPECT_EQ(b.TransparentColor(), b.Pixel(0, 2));
    b.SetTransparentColor(clRed);
    EXPECT_EQ(b.TransparentMode(), tmFixed);
    EXPECT_EQ(b.TransparentColor(), clRed);
    b.SetTransparentMode(tmAuto);
    EXPECT_EQ(b.TransparentColor(), b.Pixel(0, 2));
}

TEST(Bitmap, MaskSetsTheBitsOfTheColourOnly) {
    TBitmap b(10, 2);
    b.Canvas().Brush.Color = clBlue;
    b.Canvas().FillRect({0, 0, 10, 2});
    b.SetPixel(3, 0, clWhite);
    b.SetPixel(9, 1, clWhite);
    b.Mask(clWhite);
    ASSERT_TRUE(b.Monochrome());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 10; ++x) {
            bool set = (x == 3 && y == 0) || (x == 9 && y == 1);
            int bit = (b.ScanLine(y)[x / 8] >> (7 - x % 8)) & 1;
            EXPECT_EQ(bit, set ? 1 : 0) << x << "," << y;
        }
}

TEST(Bitmap, PixelFormatConversionsKeepColoursThatFit) {
    TBitmap b = Gradient(8, 4);
    TBitmap eight = b;
    eight.SetPixelFormat(pf8bit);
    EXPECT_EQ(eight.PixelFormat(), pf8bit);
    ExpectSamePixels(eight, b);
    eight.SetPixelFormat(pf24bit);
    ExpectSamePixels(eight, b);
}

TEST(Bitmap, CopiesAreIndependent) {
    TBitmap a = Gradient(3, 3);
    TBitmap b = a;
    b.SetPixel(1, 1, clBlack);
    EXPECT_NE(a.Pixel(1, 1), b.Pixel(1, 1));
    std::unique_ptr<TGraphic> clone = a.Clone();
    ExpectSamePixels(dynamic_cast<TBitmap&>(*clone), a);
}

TEST(BmpFile, RoundTripsEveryFormatAndOrientation) {
    TBitmap colour = Gradient(7, 5);
    TBitmap palette = colour;
    palette.SetPixelFormat(pf8bit);
    TBitmap mask = colour;
    mask.Mask(colour.Pixel(0, 0));
    for (const TBitmap* source : {&colour, &palette, &mask})
        for (bool topDown : {false, true}) {
            TBitmap back;
            ReadBmp(WriteBmp(*source, topDown), back);
            EXPECT_EQ(back.PixelFormat(), source->PixelFormat());
            ExpectSamePixels(back, *source);
        }
}

TEST(BmpFile, BottomUpFilesStoreTheBottomRowFirst) {
    TBitmap b(1, 2);
    b.SetPixel(0, 0, clRed);
    b.SetPixel(0, 1, clBlue);
    std::vector<uint8_t> file = WriteBmp(b);
    EXPECT_EQ(file[54 + 0], 0xFF);  // blue row first
    EXPECT_EQ(file[54 + 4 + 2], 0xFF);
}

TEST(BmpFile, BadFilesAreRefusedAndLeaveTheBitmapAlone) {
    std::vector<uint8_t> good = WriteBmp(Gradient(5, 4));
    auto corrupt = [&](auto change) {
        std::vector<uint8_t> f = good;
        change(f);
        return f;
    };
    std::vector<std::vector<uint8_t>> bad = {
        {},
        std::vector<uint8_t>(good.begin(), good.begin() + 20),  // header cut
        std::vector<uint8_t>(good.begin(), good.end() - 1),     // pixels cut
        corrupt([](auto& f) { f[0] = 'X'; }),                   // signature
        corrupt([](auto& f) { f[28] = 7; }),                    // 7 bits a pixel
        corrupt([](auto& f) { f[30] = 1; }),                    // RLE compression
        corrupt([](auto& f) {
            f[18] = 0;
            f[19] = 0;
        }),  // width 0
        corrupt([](auto& f) {
            f[10] = 0xFF;
            f[11] = 0xFF;
        }),  // pixels past the end
        corrupt([](auto& f) {
            f[14] = 0xFF;
            f[15] = 0xFF;
            f[16] = 0xFF;
        }),  // header size
    };
    for (size_t i = 0; i < bad.size(); ++i) {
        TBitmap b = Gradient(2, 2);
        EXPECT_THROW(ReadBmp(bad[i], b), EInvalidGraphic) << "case " << i;
        EXPECT_EQ(b.Width(), 2) << "case " << i;
    }
}

TEST(BmpFile, LoadFromFileReadsWhatSaveToFileWrote) {
    std::string path = testing::TempDir() + "/bitmap_test.bmp";
    TBitmap a = Gradient(9, 3);
    a.SaveToFile(path);
    TBitmap b;
    b.LoadFromFile(path);
    ExpectSamePixels(a, b);
    std::remove(path.c_str());
    EXPECT_THROW(b.LoadFromFile(path), EInvalidGraphic);
}

TEST(PngFile, WritesColoursAndAlphaThatReadBack) {
    std::string path = testing::TempDir() + "/bitmap_test.png";
    TBitmap a = Gradient(6, 4);
    std::vector<uint8_t> alpha(24);
    for (size_t i = 0; i < alpha.size(); ++i)
        alpha[i] = uint8_t(i * 10);
    ASSERT_TRUE(SavePngWithAlpha(path, a, alpha));
    TBitmap b;
    std::vector<uint8_t> alphaBack;
    ASSERT_TRUE(LoadPng(path, b, &alphaBack));
    ExpectSamePixels(a, b);
    EXPECT_EQ(alphaBack, alpha);
    EXPECT_FALSE(SavePngWithAlpha(path, a, std::vector<uint8_t>(3)));
    EXPECT_FALSE(SavePng("/nonexistent-dir/x.png", a));
    std::remove(path.c_str());
}

TEST(PngFile, ReadsAFileImageInMemory) {
    std::string path = testing::TempDir() + "/bitmap_test_memory.png";
    TBitmap a = Gradient(7, 5);
    ASSERT_TRUE(SavePng(path, a));
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    std::remove(path.c_str());
    TBitmap b;
    ASSERT_TRUE(ReadPng(file, b));
    ExpectSamePixels(a, b);
    // Anything cut short or not a PNG is refused and leaves the bitmap alone.
    EXPECT_FALSE(ReadPng(std::span(file).first(file.size() / 2), b));
    EXPECT_FALSE(ReadPng(WriteBmp(a), b));
    EXPECT_FALSE(ReadPng({}, b));
    ExpectSamePixels(a, b);
}

TEST(Resources, NumberedPicturesLoadOrRaise) {
    static const std::vector<uint8_t> file = WriteBmp(Gradient(3, 2));
    RegisterBitmapResource(9001, file);
    TBitmap b;
    b.LoadFromResourceID(9001);
    EXPECT_EQ(b.Width(), 3);
    EXPECT_THROW(b.LoadFromResourceID(9002), EInvalidGraphic);
}

}  // namespace
