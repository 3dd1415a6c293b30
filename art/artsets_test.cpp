// The larger sets of the clock's pictures and the pictures at any scale: drawn with more
// detail, not enlarged; the same outlines, keys and colours as the design; fractional
// scales made smaller from the next larger set with their keys kept crisp.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "art/clockart.h"
#include "platform/gfx/resample.h"
#include "platform/native/monitor.h"
#include "platform/sysutils.h"

namespace {

const int kBackgrounds[] = {43, 44, 45, 46, 47, 48, 57, 58, 59, 60, 61, 62, 73, 74, 82, 83, 84, 85};
const int kFlatBlack[] = {73, 74, 82, 83, 84, 85};
const int kKeyedLeds[] = {49, 50, 51, 52, 53, 54, 55, 56};
const int kOpaqueLeds[] = {75, 76, 77, 78, 79, 80, 88, 89};

TBitmap Design(int id) {
    return LoadClockArt(id, 100);
}

// The non-key runs of row y.
std::vector<std::pair<int, int>> Runs(const TBitmap& b, int y, TColor key) {
    std::vector<std::pair<int, int>> runs;
    for (int x = 0; x < b.Width();) {
        if (b.Pixel(x, y) == key) {
            ++x;
            continue;
        }
        int start = x;
        while (x < b.Width() && b.Pixel(x, y) != key)
            ++x;
        runs.push_back({start, x});
    }
    return runs;
}

// The box and area of what is not the key.
struct TShape {
    TRect Box;
    long Area = 0;
};
TShape ShapeOf(const TBitmap& b, TColor key) {
    TShape s;
    for (int y = 0; y < b.Height(); ++y)
        for (auto [first, end] : Runs(b, y, key)) {
            s.Box = s.Box.Union({first, y, end, y + 1});
            s.Area += end - first;
        }
    return s;
}

TEST(ClockArtSets, EverySetHoldsEveryPictureAtItsMultipleOfTheDesignSize) {
    EXPECT_EQ(ClockArtFactors(), (std::vector<int>{1, 2, 3, 4}));
    for (int id : ClockArtIds()) {
        TBitmap design = Design(id);
        for (int factor : ClockArtFactors()) {
            EXPECT_FALSE(ClockArtFile(id, factor).empty()) << id << " x" << factor;
            TBitmap b = LoadClockArt(id, 100 * factor);
            EXPECT_EQ(b.Width(), design.Width() * factor) << id << " x" << factor;
            EXPECT_EQ(b.Height(), design.Height() * factor) << id << " x" << factor;
            // The same key colour in the same corner.
            EXPECT_EQ(b.Pixel(0, b.Height() - 1), design.Pixel(0, design.Height() - 1)) << id;
        }
    }
    EXPECT_TRUE(ClockArtFile(55, 5).empty());
    EXPECT_TRUE(ClockArtFile(81, 1).empty());
    EXPECT_THROW(LoadClockArt(81, 200), EInvalidGraphic);
}

TEST(ClockArtSets, ScalesComeFromTheNextLargerSet) {
    const std::pair<int, int> cases[] = {{100, 1}, {101, 2}, {125, 2}, {175, 2}, {200, 2},
                                         {225, 3}, {300, 3}, {325, 4}, {400, 4}, {500, 4}};
    for (auto [scale, factor] : cases)
        EXPECT_EQ(ClockArtFactorFor(scale), factor) << scale;
}

TEST(ClockArtSets, LargerSetsAreDrawnWithMoreDetailNotEnlarged) {
    for (int id : {55, 88, 62, 48, 67, 66}) {
        TBitmap design = Design(id);
        for (int factor : {2, 3, 4}) {
            TBitmap b = LoadClockArt(id, 100 * factor);
            // Enlarged, every factor x factor block would be one colour; drawn, many are not.
            int mixed = 0, blocks = 0;
            for (int y = 0; y + factor <= b.Height(); y += factor)
                for (int x = 0; x + factor <= b.Width(); x += factor, ++blocks) {
                    bool same = true;
                    for (int dy = 0; dy < factor && same; ++dy)
                        for (int dx = 0; dx < factor && same; ++dx)
                            same = b.Pixel(x + dx, y + dy) == b.Pixel(x, y);
                    if (!same) ++mixed;
                }
            EXPECT_GT(mixed, blocks / 20) << id << " x" << factor;
            // Made small again it is the design's picture: the same look, pixel for pixel
            // within a little shading.
            TBitmap back = SmoothResize(b, design.Width(), design.Height());
            long difference = 0;
            for (int y = 0; y < design.Height(); ++y)
                for (int x = 0; x < design.Width(); ++x) {
                    TColor p = back.Pixel(x, y), q = design.Pixel(x, y);
                    difference += std::abs(GetRValue(p) - GetRValue(q)) +
                                  std::abs(GetGValue(p) - GetGValue(q)) +
                                  std::abs(GetBValue(p) - GetBValue(q));
                }
            EXPECT_LT(difference / (3 * design.Width() * design.Height()), 12)
                << id << " x" << factor;
        }
    }
}

// Scales of the sets and between them.
const int kScales[] = {125, 150, 175, 200, 250, 300, 350, 400};

TEST(ClockArtSets, BackgroundOutlinesScaleWithTheirBoxAndArea) {
    for (int id : kBackgrounds) {
        TBitmap design = Design(id);
        const TShape d = ShapeOf(design, clWhite);
        for (int scale : kScales) {
            SCOPED_TRACE("picture " + std::to_string(id) + " at " + std::to_string(scale));
            TBitmap b = LoadClockArt(id, scale);
            ASSERT_EQ(b.Width(), native::ScaleLength(design.Width(), scale));
            ASSERT_EQ(b.Height(), native::ScaleLength(design.Height(), scale));
            const TShape s = ShapeOf(b, clWhite);
            // The box is the design's scaled, within a pixel of rounding (exact at whole
            // factors), and the area the design's times the scale squared, within 3 %.
            const int exact = scale % 100 == 0 ? 0 : 1;
            EXPECT_NEAR(s.Box.Left, native::ScaleLength(d.Box.Left, scale), exact);
            EXPECT_NEAR(s.Box.Top, native::ScaleLength(d.Box.Top, scale), exact);
            EXPECT_NEAR(s.Box.Right, native::ScaleLength(d.Box.Right, scale), exact);
            EXPECT_NEAR(s.Box.Bottom, native::ScaleLength(d.Box.Bottom, scale), exact);
            // Between the sets a pixel of rounding round the edge is allowed too, which
            // counts on the thinnest pictures.
            const double expected = double(d.Area) * scale * scale / 10000.0;
            const double rounding = exact * 2.0 * (s.Box.Width() + s.Box.Height());
            EXPECT_NEAR(double(s.Area), expected, 0.03 * expected + rounding);
            // One run a row: no white inside the body; the corners round alike on both
            // sides.
            for (int y = 0; y < b.Height(); ++y) {
                auto runs = Runs(b, y, clWhite);
                ASSERT_LE(runs.size(), 1u) << "row " << y;
                if (runs.empty()) continue;
                EXPECT_NEAR(runs[0].first - s.Box.Left, s.Box.Right - runs[0].second, exact)
                    << "row " << y;
            }
        }
    }
}

TEST(ClockArtSets, AllFinishesOfAFormatShareOneOutlineAtEveryScale) {
    const int formats[6][3] = {{85, 62, 48}, {84, 61, 47}, {74, 58, 44},
                               {83, 60, 46}, {82, 59, 45}, {73, 57, 43}};
    for (const auto& ids : formats)
        for (int scale : {100, 150, 200, 300}) {
            std::vector<std::vector<std::pair<int, int>>> outlines;
            for (int id : ids) {
                TBitmap b = LoadClockArt(id, scale);
                std::vector<std::pair<int, int>> rows;
                for (int y = 0; y < b.Height(); ++y) {
                    auto runs = Runs(b, y, clWhite);
                    rows.push_back(runs.empty() ? std::pair{0, 0} : runs[0]);
                }
                outlines.push_back(rows);
            }
            EXPECT_EQ(outlines[0], outlines[1]) << ids[0] << " at " << scale;
            EXPECT_EQ(outlines[0], outlines[2]) << ids[0] << " at " << scale;
        }
}

TEST(ClockArtSets, KeysStayCrispAtEveryScale) {
    for (int scale : kScales) {
        // A flat black body in a white margin stays pure black in pure white.
        for (int id : kFlatBlack) {
            TBitmap b = LoadClockArt(id, scale);
            for (int y = 0; y < b.Height(); ++y)
                for (int x = 0; x < b.Width(); ++x)
                    ASSERT_TRUE(b.Pixel(x, y) == clBlack || b.Pixel(x, y) == clWhite)
                        << id << " at " << scale << ": " << x << "," << y;
        }
        // A keyed LED: a disc of clear colour on its black key, one run a row and a column,
        // no dark fringe.
        for (int id : kKeyedLeds) {
            TBitmap b = LoadClockArt(id, scale);
            EXPECT_EQ(b.Pixel(0, b.Height() - 1), clBlack);
            for (int y = 0; y < b.Height(); ++y) {
                auto runs = Runs(b, y, clBlack);
                ASSERT_LE(runs.size(), 1u) << id << " at " << scale << " row " << y;
                for (auto [first, end] : runs) {
                    for (int x = first; x < end; ++x) {
                        TColor c = b.Pixel(x, y);
                        EXPECT_GE(std::max({GetRValue(c), GetGValue(c), GetBValue(c)}), 24)
                            << id << " at " << scale << ": " << x << "," << y;
                    }
                }
            }
        }
        // The opaque pictures have no key to keep: no pure black anywhere.
        for (int id : kOpaqueLeds) {
            TBitmap b = LoadClockArt(id, scale);
            for (int y = 0; y < b.Height(); ++y)
                for (int x = 0; x < b.Width(); ++x)
                    ASSERT_NE(b.Pixel(x, y), clBlack)
                        << id << " at " << scale << ": " << x << "," << y;
        }
    }
}

TEST(ClockArtSets, SwitchBlocksStayThreeSeparateBlocksAtEveryScale) {
    for (int scale : kScales) {
        TBitmap b = LoadClockArt(66, scale);
        const int middle = b.Height() / 2;
        auto runs = Runs(b, middle, clBlack);
        ASSERT_EQ(runs.size(), 3u) << scale;
        const int edges[3][2] = {{1, 89}, {97, 184}, {192, 279}};
        for (int g = 0; g < 3; ++g) {
            EXPECT_NEAR(runs[size_t(g)].first, native::ScaleLength(edges[g][0], scale), 1) << scale;
            EXPECT_NEAR(runs[size_t(g)].second, native::ScaleLength(edges[g][1], scale), 1)
                << scale;
        }
    }
}

TEST(ClockArtSets, LedCentresKeepTheirColourAtEveryScale) {
    for (int id : {55, 56, 53, 78, 77, 76}) {
        TBitmap design = Design(id);
        TColor centre = design.Pixel(9, 9);
        for (int scale : kScales) {
            TBitmap b = LoadClockArt(id, scale);
            TColor c = b.Pixel(b.Width() / 2, b.Height() / 2);
            EXPECT_NEAR(GetRValue(c), GetRValue(centre), 16) << id << " at " << scale;
            EXPECT_NEAR(GetGValue(c), GetGValue(centre), 16) << id << " at " << scale;
            EXPECT_NEAR(GetBValue(c), GetBValue(centre), 16) << id << " at " << scale;
        }
    }
}

}  // namespace
