#include "platform/gfx/resample.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A picture from rows of colours.
TBitmap Picture(const std::vector<std::vector<TColor>>& rows) {
    TBitmap b(int(rows[0].size()), int(rows.size()));
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            b.SetPixel(x, y, rows[size_t(y)][size_t(x)]);
    return b;
}

std::vector<std::vector<TColor>> Pixels(const TBitmap& b) {
    std::vector<std::vector<TColor>> rows(size_t(b.Height()));
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            rows[size_t(y)].push_back(b.Pixel(x, y));
    return rows;
}

constexpr TColor kRed = RGB(200, 0, 0);
constexpr TColor kBlue = RGB(0, 0, 200);

TEST(SmoothResize, AveragesTheAreaEachPixelCovers) {
    struct TCase {
        const char* Name;
        std::vector<std::vector<TColor>> Source;
        int Width, Height;
        std::vector<std::vector<TColor>> Expected;
    } cases[] = {
        {"same size", {{kRed, kBlue}}, 2, 1, {{kRed, kBlue}}},
        {"halved",
         {{RGB(0, 0, 0), RGB(100, 10, 1)}, {RGB(40, 30, 3), RGB(60, 40, 0)}},
         1,
         1,
         {{RGB(50, 20, 1)}}},
        // Three into two: each covers one pixel whole and half of the middle one.
        {"three into two",
         {{RGB(90, 0, 0), RGB(0, 90, 0), RGB(0, 0, 90)}},
         2,
         1,
         {{RGB(60, 30, 0), RGB(0, 30, 60)}}},
        {"enlarged", {{kRed}}, 3, 2, {{kRed, kRed, kRed}, {kRed, kRed, kRed}}},
        // Two into three: the middle pixel is half of each.
        {"two into three",
         {{RGB(0, 0, 0), RGB(200, 100, 50)}},
         3,
         1,
         {{RGB(0, 0, 0), RGB(100, 50, 25), RGB(200, 100, 50)}}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(Pixels(SmoothResize(Picture(c.Source), c.Width, c.Height)), c.Expected) << c.Name;
}

TEST(SmoothResize, KeepsTheKeyColourCrisp) {
    // White is the key: it never mixes into the picture, and a pixel less than half
    // covered by the picture is the key itself.
    struct TCase {
        const char* Name;
        std::vector<std::vector<TColor>> Source;
        int Width;
        std::vector<std::vector<TColor>> Expected;
    } cases[] = {
        {"half covered is picture", {{clWhite, RGB(10, 20, 30)}}, 1, {{RGB(10, 20, 30)}}},
        {"a third covered is key", {{clWhite, clWhite, RGB(10, 20, 30)}}, 1, {{clWhite}}},
        {"only the picture is averaged",
         {{clWhite, RGB(10, 20, 30), RGB(30, 40, 50)}},
         1,
         {{RGB(20, 30, 40)}}},
        {"all key", {{clWhite, clWhite}}, 1, {{clWhite}}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(Pixels(SmoothResize(Picture(c.Source), c.Width, 1, clWhite)), c.Expected)
            << c.Name;

    // Without the key the same picture blends.
    EXPECT_EQ(SmoothResize(Picture({{clWhite, RGB(10, 20, 30)}}), 1, 1).Pixel(0, 0),
              RGB(133, 138, 143));
}

TEST(SmoothResize, ShrunkDiscKeepsAHardEdgeOnItsKey) {
    // A disc on black, as the keyed LED pictures are, made 5/8 of its size: every pixel is
    // either the key or a colour of the disc, none a shade between.
    TBitmap disc(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            int dx = 2 * x + 1 - 32, dy = 2 * y + 1 - 32;
            disc.SetPixel(x, y, dx * dx + dy * dy <= 28 * 28 ? RGB(200, 40, 40) : clBlack);
        }
    TBitmap small = SmoothResize(disc, 20, 20, clBlack);
    int inside = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            TColor c = small.Pixel(x, y);
            if (c == clBlack) continue;
            EXPECT_EQ(c, RGB(200, 40, 40)) << x << "," << y;
            ++inside;
        }
    // About the disc's area: pi x 8.75^2.
    EXPECT_NEAR(inside, 240, 16);
    EXPECT_EQ(small.Pixel(0, 19), clBlack);
}

TEST(SmoothResize, ReadsOtherFormatsAndRefusesEmptySizes) {
    TBitmap mono(4, 2, pf1bit);
    for (int x = 0; x < 4; ++x) {
        mono.SetPixel(x, 0, clWhite);
        mono.SetPixel(x, 1, clBlack);
    }
    TBitmap grey = SmoothResize(mono, 2, 1);
    EXPECT_EQ(grey.PixelFormat(), pf24bit);
    EXPECT_EQ(grey.Pixel(0, 0), RGB(128, 128, 128));
    EXPECT_TRUE(SmoothResize(mono, 0, 3).Empty());
    EXPECT_TRUE(SmoothResize(mono, 3, -1).Empty());
    EXPECT_TRUE(SmoothResize(TBitmap(), 3, 3).Empty());
}

}  // namespace
