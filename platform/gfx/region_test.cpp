#include "platform/gfx/region.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

// The union of the rectangles, added one at a time.
TRegion Union(const std::vector<TRect>& rects) {
    TRegion r;
    for (const TRect& rect : rects)
        r.Combine(TRegion(rect), RGN_OR);
    return r;
}

// An RGNDATA block from 32-bit words, little-endian.
std::vector<uint8_t> Block(const std::vector<uint32_t>& words) {
    std::vector<uint8_t> out;
    for (uint32_t w : words) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(w >> (8 * i)));
    }
    return out;
}

std::vector<uint32_t> Words(const std::vector<int32_t>& values) {
    return {values.begin(), values.end()};
}

// The canonical form, checked from its definition: non-empty rectangles, a band's
// rectangles share top and bottom and neither touch nor overlap, bands go down without
// overlapping, vertically adjacent bands differ, and Bounds is their bounding box.
::testing::AssertionResult IsCanonical(const TRegion& region) {
    const auto& rects = region.Rects();
    TRect bounds;
    for (size_t i = 0; i < rects.size(); ++i) {
        const TRect& r = rects[i];
        if (r.IsEmpty()) return ::testing::AssertionFailure() << "empty rect " << i;
        bounds = bounds.Union(r);
        if (i == 0) continue;
        const TRect& p = rects[i - 1];
        if (r.Top == p.Top) {
            if (r.Bottom != p.Bottom) return ::testing::AssertionFailure() << "ragged band " << i;
            if (r.Left <= p.Right) return ::testing::AssertionFailure() << "touching " << i;
            continue;
        }
        if (r.Top < p.Bottom) return ::testing::AssertionFailure() << "bands overlap " << i;
    }
    std::vector<std::pair<size_t, size_t>> bands;
    for (size_t i = 0; i < rects.size();) {
        size_t j = i;
        while (j < rects.size() && rects[j].Top == rects[i].Top)
            ++j;
        bands.emplace_back(i, j);
        i = j;
    }
    for (size_t k = 1; k < bands.size(); ++k) {
        auto [a0, a1] = bands[k - 1];
        auto [b0, b1] = bands[k];
        if (rects[a0].Bottom != rects[b0].Top || a1 - a0 != b1 - b0) continue;
        bool same = true;
        for (size_t i = 0; i < a1 - a0; ++i) {
            same = same && rects[a0 + i].Left == rects[b0 + i].Left &&
                   rects[a0 + i].Right == rects[b0 + i].Right;
        }
        if (same) return ::testing::AssertionFailure() << "unmerged bands at " << b0;
    }
    if (region.Bounds() != bounds) return ::testing::AssertionFailure() << "wrong bounds";
    return ::testing::AssertionSuccess();
}

// ---- The clock's outline ----

// The outline of the 150 x 90 clock picture: a 146 x 84 body with rounded corners.
const std::vector<TRect> kClockRects = {
    {10, 2, 140, 3},  {8, 3, 142, 4},   {6, 4, 144, 5},    {5, 5, 145, 6},   {4, 6, 146, 8},
    {3, 8, 147, 10},  {2, 10, 148, 78}, {3, 78, 147, 80},  {4, 80, 146, 82}, {5, 82, 145, 83},
    {6, 83, 144, 84}, {8, 84, 142, 85}, {10, 85, 140, 86},
};

// The single-row runs a picture scan produces for the outline, top to bottom.
std::vector<TRect> ClockRuns() {
    std::vector<TRect> runs;
    for (const TRect& r : kClockRects) {
        for (int32_t y = r.Top; y < r.Bottom; ++y)
            runs.push_back({r.Left, y, r.Right, y + 1});
    }
    return runs;
}

TEST(RegionClock, RowRunsMergeIntoThirteenBands) {
    std::vector<TRect> runs = ClockRuns();
    ASSERT_EQ(runs.size(), 84u);
    TRegion region;
    for (const TRect& run : runs)
        region.Combine(TRegion(run), RGN_OR);
    EXPECT_EQ(region.Rects(), kClockRects);
    EXPECT_EQ(region.Bounds(), (TRect{2, 2, 148, 86}));
    EXPECT_EQ(region.Complexity(), COMPLEXREGION);
    EXPECT_TRUE(IsCanonical(region));
}

TEST(RegionClock, RegionDataIsTheStoredBlock) {
    TRegion region = Union(ClockRuns());
    std::vector<int32_t> words = {32, 1, 13, 208, 2, 2, 148, 86};
    for (const TRect& r : kClockRects)
        words.insert(words.end(), {r.Left, r.Top, r.Right, r.Bottom});
    std::vector<uint8_t> data = region.GetRegionData();
    ASSERT_EQ(data.size(), 240u);
    EXPECT_EQ(data, Block(Words(words)));

    std::optional<TRegion> back = TRegion::FromRegionData(data);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, region);
    EXPECT_EQ(back->Bounds(), region.Bounds());
}

TEST(RegionClock, OrderOfRunsDoesNotMatter) {
    std::vector<TRect> runs = ClockRuns();
    std::reverse(runs.begin(), runs.end());
    EXPECT_EQ(Union(runs).Rects(), kClockRects);
    std::mt19937 rng(7);
    std::shuffle(runs.begin(), runs.end(), rng);
    TRegion shuffled = Union(runs);
    EXPECT_EQ(shuffled.Rects(), kClockRects);
    EXPECT_EQ(shuffled.Bounds(), (TRect{2, 2, 148, 86}));
}

// ---- Band building ----

struct TUnionCase {
    std::string name;
    std::vector<TRect> runs;
    std::vector<TRect> expected;
};

class RegionUnion : public ::testing::TestWithParam<TUnionCase> {};

TEST_P(RegionUnion, GivesCanonicalBands) {
    TRegion region = Union(GetParam().runs);
    EXPECT_EQ(region.Rects(), GetParam().expected);
    EXPECT_TRUE(IsCanonical(region));
}

INSTANTIATE_TEST_SUITE_P(
    Bands, RegionUnion,
    ::testing::Values(
        TUnionCase{"TwoRunsInARow", {{0, 0, 3, 1}, {5, 0, 9, 1}}, {{0, 0, 3, 1}, {5, 0, 9, 1}}},
        TUnionCase{
            "TwoRunsRightToLeft", {{5, 0, 9, 1}, {0, 0, 3, 1}}, {{0, 0, 3, 1}, {5, 0, 9, 1}}},
        TUnionCase{"IdenticalRowsMerge",
                   {{0, 0, 3, 1}, {5, 0, 9, 1}, {0, 1, 3, 2}, {5, 1, 9, 2}},
                   {{0, 0, 3, 2}, {5, 0, 9, 2}}},
        TUnionCase{"RowThatBecomesEqualMerges",
                   {{0, 0, 3, 1}, {5, 0, 9, 1}, {0, 1, 3, 2}, {5, 1, 9, 2}, {0, 2, 3, 3}},
                   {{0, 0, 3, 2}, {5, 0, 9, 2}, {0, 2, 3, 3}}},
        TUnionCase{"TouchingSpansMerge", {{0, 0, 5, 1}, {5, 0, 9, 1}}, {{0, 0, 9, 1}}},
        TUnionCase{
            "GapFillerJoinsThree", {{0, 0, 2, 1}, {6, 0, 8, 1}, {2, 0, 6, 1}}, {{0, 0, 8, 1}}},
        TUnionCase{
            "RowsWithAGapStaySeparate", {{0, 0, 4, 1}, {0, 2, 4, 3}}, {{0, 0, 4, 1}, {0, 2, 4, 3}}},
        TUnionCase{
            "DifferentRowsDoNotMerge", {{0, 0, 4, 1}, {0, 1, 5, 2}}, {{0, 0, 4, 1}, {0, 1, 5, 2}}},
        TUnionCase{"SplitThenRejoin",
                   {{0, 0, 10, 4}, {12, 1, 14, 2}, {12, 2, 14, 3}},
                   {{0, 0, 10, 1}, {0, 1, 10, 3}, {12, 1, 14, 3}, {0, 3, 10, 4}}},
        TUnionCase{"EmptyRunsIgnored", {{3, 0, 3, 1}, {0, 2, 4, 1}, {5, 5, 1, 9}}, {}}),
    [](const auto& info) { return info.param.name; });

// ---- Combine modes on small hand-computed cases ----

struct TCombineCase {
    std::string name;
    std::vector<TRect> a;
    std::vector<TRect> b;
    int mode;
    std::vector<TRect> expected;
    int complexity;
};

class RegionCombine : public ::testing::TestWithParam<TCombineCase> {};

TEST_P(RegionCombine, GivesHandComputedRects) {
    const TCombineCase& c = GetParam();
    TRegion a = Union(c.a);
    TRegion result = a;
    EXPECT_EQ(result.Combine(Union(c.b), c.mode), c.complexity);
    EXPECT_EQ(result.Rects(), c.expected);
    EXPECT_TRUE(IsCanonical(result));
    EXPECT_EQ(CombineRegions(a, Union(c.b), c.mode), result);
}

const TRect kA{0, 0, 10, 10};
const TRect kB{5, 5, 15, 15};

INSTANTIATE_TEST_SUITE_P(
    Modes, RegionCombine,
    ::testing::Values(
        TCombineCase{"OrOverlap",
                     {kA},
                     {kB},
                     RGN_OR,
                     {{0, 0, 10, 5}, {0, 5, 15, 10}, {5, 10, 15, 15}},
                     COMPLEXREGION},
        TCombineCase{"AndOverlap", {kA}, {kB}, RGN_AND, {{5, 5, 10, 10}}, SIMPLEREGION},
        TCombineCase{
            "DiffOverlap", {kA}, {kB}, RGN_DIFF, {{0, 0, 10, 5}, {0, 5, 5, 10}}, COMPLEXREGION},
        TCombineCase{"XorOverlap",
                     {kA},
                     {kB},
                     RGN_XOR,
                     {{0, 0, 10, 5}, {0, 5, 5, 10}, {10, 5, 15, 10}, {5, 10, 15, 15}},
                     COMPLEXREGION},
        TCombineCase{"CopyKeepsThis", {kA}, {kB}, RGN_COPY, {kA}, SIMPLEREGION},
        TCombineCase{"OrSideBySideIsOneRect",
                     {{0, 0, 5, 5}},
                     {{5, 0, 9, 5}},
                     RGN_OR,
                     {{0, 0, 9, 5}},
                     SIMPLEREGION},
        TCombineCase{"OrStackedIsOneRect",
                     {{0, 0, 5, 5}},
                     {{0, 5, 5, 9}},
                     RGN_OR,
                     {{0, 0, 5, 9}},
                     SIMPLEREGION},
        TCombineCase{"AndDisjointIsEmpty", {{0, 0, 5, 5}}, {{5, 0, 9, 5}}, RGN_AND, {}, NULLREGION},
        TCombineCase{"DiffItselfIsEmpty", {kA}, {kA}, RGN_DIFF, {}, NULLREGION},
        TCombineCase{"XorItselfIsEmpty", {kA, kB}, {kA, kB}, RGN_XOR, {}, NULLREGION},
        TCombineCase{"DiffHole",
                     {kA},
                     {{3, 3, 6, 6}},
                     RGN_DIFF,
                     {{0, 0, 10, 3}, {0, 3, 3, 6}, {6, 3, 10, 6}, {0, 6, 10, 10}},
                     COMPLEXREGION},
        TCombineCase{"OrFillsHole",
                     {{0, 0, 10, 3}, {0, 3, 3, 6}, {6, 3, 10, 6}, {0, 6, 10, 10}},
                     {{3, 3, 6, 6}},
                     RGN_OR,
                     {kA},
                     SIMPLEREGION},
        TCombineCase{"XorFillsHole",
                     {{0, 0, 10, 3}, {0, 3, 3, 6}, {6, 3, 10, 6}, {0, 6, 10, 10}},
                     {{3, 3, 6, 6}},
                     RGN_XOR,
                     {kA},
                     SIMPLEREGION},
        TCombineCase{"DiffFromEmpty", {}, {kA}, RGN_DIFF, {}, NULLREGION},
        TCombineCase{"OrIntoEmpty", {}, {kA}, RGN_OR, {kA}, SIMPLEREGION},
        TCombineCase{"XorIntoEmpty", {}, {kA}, RGN_XOR, {kA}, SIMPLEREGION},
        TCombineCase{"AndWithEmpty", {kA}, {}, RGN_AND, {}, NULLREGION},
        TCombineCase{"DiffEmpty", {kA}, {}, RGN_DIFF, {kA}, SIMPLEREGION},
        TCombineCase{"AndKeepsOnlyCommonBands",
                     {{0, 0, 4, 2}, {0, 2, 8, 4}, {0, 4, 4, 6}},
                     {{2, 1, 6, 5}},
                     RGN_AND,
                     {{2, 1, 4, 2}, {2, 2, 6, 4}, {2, 4, 4, 5}},
                     COMPLEXREGION},
        TCombineCase{"DiffMiddleBandMergesOuter",
                     {{0, 0, 4, 1}, {0, 1, 8, 2}, {0, 2, 4, 3}},
                     {{4, 1, 8, 2}},
                     RGN_DIFF,
                     {{0, 0, 4, 3}},
                     SIMPLEREGION}),
    [](const auto& info) { return info.param.name; });

TEST(RegionCombine, UnknownModeLeavesRegion) {
    TRegion region(kA);
    EXPECT_EQ(region.Combine(TRegion(kB), 0), RGN_ERROR);
    EXPECT_EQ(region.Combine(TRegion(kB), 6), RGN_ERROR);
    EXPECT_EQ(region, TRegion(kA));
}

TEST(RegionCombine, WithItself) {
    TRegion region = Union({kA, {20, 0, 30, 20}});
    TRegion copy = region;
    region.Combine(region, RGN_OR);
    EXPECT_EQ(region, copy);
    region.Combine(region, RGN_AND);
    EXPECT_EQ(region, copy);
    region.Combine(region, RGN_XOR);
    EXPECT_TRUE(region.IsEmpty());
}

// ---- Property test against a pixel grid ----

constexpr int kGridOrigin = -4;
constexpr int kGridSize = 20;

struct TGrid {
    std::vector<bool> cells = std::vector<bool>(kGridSize * kGridSize, false);
    bool At(int x, int y) const { return cells[(y - kGridOrigin) * kGridSize + (x - kGridOrigin)]; }
    void Set(int x, int y, bool v) { cells[(y - kGridOrigin) * kGridSize + (x - kGridOrigin)] = v; }
};

bool Apply(int mode, bool a, bool b) {
    switch (mode) {
        case RGN_AND:
            return a && b;
        case RGN_OR:
            return a || b;
        case RGN_XOR:
            return a != b;
        case RGN_DIFF:
            return a && !b;
        default:
            return a;
    }
}

TGrid Combine(const TGrid& a, const TGrid& b, int mode) {
    TGrid out;
    for (size_t i = 0; i < out.cells.size(); ++i)
        out.cells[i] = Apply(mode, a.cells[i], b.cells[i]);
    return out;
}

// The canonical rectangles of a pixel set, built straight from its rows.
std::vector<TRect> CanonicalRects(const TGrid& g) {
    std::vector<TRect> out;
    std::vector<std::pair<int, int>> prevRuns;
    size_t prevStart = 0;
    int prevY = kMin;
    for (int y = kGridOrigin; y < kGridOrigin + kGridSize; ++y) {
        std::vector<std::pair<int, int>> runs;
        for (int x = kGridOrigin; x < kGridOrigin + kGridSize;) {
            if (!g.At(x, y)) {
                ++x;
                continue;
            }
            int start = x;
            while (x < kGridOrigin + kGridSize && g.At(x, y))
                ++x;
            runs.emplace_back(start, x);
        }
        if (runs.empty()) continue;
        if (prevY == y - 1 && runs == prevRuns) {
            for (size_t i = prevStart; i < out.size(); ++i)
                out[i].Bottom = y + 1;
        } else {
            prevStart = out.size();
            for (auto [l, r] : runs)
                out.push_back({l, y, r, y + 1});
        }
        prevRuns = runs;
        prevY = y;
    }
    return out;
}

struct TRandomRegion {
    TRegion region;
    TGrid grid;
};

// A region made by a few random operations with random rectangles, with its pixel model.
TRandomRegion RandomRegion(std::mt19937& rng) {
    std::uniform_int_distribution<int> coord(kGridOrigin, kGridOrigin + kGridSize);
    std::uniform_int_distribution<int> ops(0, 5);
    std::uniform_int_distribution<int> modes(RGN_AND, RGN_DIFF);
    TRandomRegion out;
    int n = ops(rng);
    for (int i = 0; i < n; ++i) {
        TRect r{coord(rng), coord(rng), coord(rng), coord(rng)};
        int mode = i == 0 ? RGN_OR : (modes(rng) == RGN_AND ? RGN_OR : modes(rng));
        TGrid rectGrid;
        for (int y = r.Top; y < r.Bottom; ++y) {
            for (int x = r.Left; x < r.Right; ++x)
                rectGrid.Set(x, y, true);
        }
        out.region.Combine(TRegion(r), mode);
        out.grid = Combine(out.grid, rectGrid, mode);
    }
    return out;
}

TEST(RegionProperty, CombineMatchesPixelModel) {
    std::mt19937 rng(20240611);
    for (int iteration = 0; iteration < 400; ++iteration) {
        TRandomRegion a = RandomRegion(rng);
        TRandomRegion b = RandomRegion(rng);
        ASSERT_EQ(a.region.Rects(), CanonicalRects(a.grid)) << "iteration " << iteration;
        for (int mode : {RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF, RGN_COPY}) {
            SCOPED_TRACE("iteration " + std::to_string(iteration) + " mode " +
                         std::to_string(mode));
            TRegion result = CombineRegions(a.region, b.region, mode);
            TGrid expected = Combine(a.grid, b.grid, mode);
            ASSERT_TRUE(IsCanonical(result));
            ASSERT_EQ(result.Rects(), CanonicalRects(expected));
            for (int y = kGridOrigin; y < kGridOrigin + kGridSize; ++y) {
                for (int x = kGridOrigin; x < kGridOrigin + kGridSize; ++x)
                    ASSERT_EQ(result.Contains(x, y), expected.At(x, y)) << x << "," << y;
            }
            std::optional<TRegion> back = TRegion::FromRegionData(result.GetRegionData());
            ASSERT_TRUE(back.has_value());
            ASSERT_EQ(*back, result);
        }
    }
}

// The runs of random pictures, added in scan order (the way a picture is turned into a
// region), in reverse order and in random order, all give the picture's canonical rects.
TEST(RegionProperty, PictureRunsInAnyOrderMatchPixelModel) {
    std::mt19937 rng(99);
    for (int iteration = 0; iteration < 300; ++iteration) {
        // Pictures with long equal stretches of rows as well as noise.
        TGrid grid;
        std::bernoulli_distribution set(iteration % 3 == 0 ? 0.5 : 0.8);
        std::bernoulli_distribution repeatRow(0.5);
        for (int y = kGridOrigin; y < kGridOrigin + kGridSize; ++y) {
            bool repeat = y > kGridOrigin && repeatRow(rng);
            for (int x = kGridOrigin; x < kGridOrigin + kGridSize; ++x)
                grid.Set(x, y, repeat ? grid.At(x, y - 1) : set(rng));
        }
        std::vector<TRect> runs;
        for (int y = kGridOrigin; y < kGridOrigin + kGridSize; ++y) {
            for (int x = kGridOrigin; x < kGridOrigin + kGridSize;) {
                if (!grid.At(x, y)) {
                    ++x;
                    continue;
                }
                int start = x;
                while (x < kGridOrigin + kGridSize && grid.At(x, y))
                    ++x;
                // Split some runs into touching pieces, as overlapping writes would.
                if (x - start > 2 && repeatRow(rng)) {
                    runs.push_back({start, y, start + 2, y + 1});
                    runs.push_back({start + 1, y, x, y + 1});
                } else {
                    runs.push_back({start, y, x, y + 1});
                }
            }
        }
        const std::vector<TRect> expected = CanonicalRects(grid);
        SCOPED_TRACE("iteration " + std::to_string(iteration));
        TRegion scanned = Union(runs);
        ASSERT_EQ(scanned.Rects(), expected);
        ASSERT_TRUE(IsCanonical(scanned));
        std::reverse(runs.begin(), runs.end());
        ASSERT_EQ(Union(runs).Rects(), expected);
        std::shuffle(runs.begin(), runs.end(), rng);
        TRegion shuffled = Union(runs);
        ASSERT_EQ(shuffled.Rects(), expected);
        ASSERT_TRUE(IsCanonical(shuffled));
    }
}

// ---- RGNDATA parsing ----

// A valid block: two rects in a band, one band below it.
std::vector<int32_t> ValidWords() {
    return {32, 1, 3, 48, 0, 0, 30, 4, 0, 0, 10, 2, 20, 0, 30, 2, 5, 2, 25, 4};
}

std::vector<uint8_t> ValidBlockWith(size_t index, int32_t value) {
    std::vector<int32_t> w = ValidWords();
    w[index] = value;
    return Block(Words(w));
}

struct TMalformedCase {
    std::string name;
    std::vector<uint8_t> data;
};

class RegionDataMalformed : public ::testing::TestWithParam<TMalformedCase> {};

TEST_P(RegionDataMalformed, IsRefused) {
    // A copy of exactly the given size, so that reading past it is caught by the sanitizer.
    std::vector<uint8_t> data = GetParam().data;
    EXPECT_FALSE(TRegion::FromRegionData(data).has_value());
}

std::vector<TMalformedCase> MalformedCases() {
    std::vector<uint8_t> valid = Block(Words(ValidWords()));
    std::vector<TMalformedCase> cases = {
        {"NoData", {}},
        {"TruncatedHeader", {valid.begin(), valid.begin() + 31}},
        {"HeaderOnlyWithCount", {valid.begin(), valid.begin() + 32}},
        {"TruncatedRectList", {valid.begin(), valid.end() - 1}},
        {"OneRectMissing", {valid.begin(), valid.end() - 16}},
        // 16 x nCount wraps to 0 in 32 bits.
        {"CountOverflowsToZero", Block({32, 1, 0x10000000u, 0, 0, 0, 0, 0})},
        // 16 x nCount wraps to 16 in 32 bits, and one rectangle follows.
        {"CountOverflowsToOneRect", Block({32, 1, 0x10000001u, 16, 0, 0, 1, 1, 0, 0, 1, 1})},
        {"CountHuge", Block({32, 1, 0xFFFFFFFFu, 0xFFFFFFF0u, 0, 0, 1, 1, 0, 0, 1, 1})},
        {"DwSizeSmall", ValidBlockWith(0, 24)},
        {"DwSizeLarge", ValidBlockWith(0, 48)},
        {"TypeZero", ValidBlockWith(1, 0)},
        {"TypeTwo", ValidBlockWith(1, 2)},
        {"RgnSizeWrong", ValidBlockWith(3, 47)},
        {"RgnSizeOneRect", ValidBlockWith(3, 16)},
        {"BoundLeft", ValidBlockWith(4, 1)},
        {"BoundTop", ValidBlockWith(5, -1)},
        {"BoundRight", ValidBlockWith(6, 31)},
        {"BoundBottom", ValidBlockWith(7, 3)},
        {"EmptyRegionWithBound", Block({32, 1, 0, 0, 0, 0, 1, 1})},
        // The empty rectangles come with an rcBound that is the bounds of the other ones.
        {"EmptyRectWidth",
         Block(Words({32, 1, 3, 48, 0, 0, 30, 2, 0, 0, 10, 2, 20, 0, 30, 2, 40, 0, 40, 2}))},
        {"NegativeRectWidth", Block(Words({32, 1, 2, 32, 0, 0, 10, 2, 0, 0, 10, 2, 40, 0, 30, 2}))},
        {"EmptyRectHeight", Block(Words({32, 1, 2, 32, 0, 0, 10, 2, 0, 0, 10, 2, 0, 5, 10, 5}))},
        {"OnlyAnEmptyRect", Block(Words({32, 1, 1, 16, 0, 0, 0, 0, 3, 3, 3, 3}))},
        {"RectsOutOfOrderInBand",
         Block(Words({32, 1, 2, 32, 0, 0, 30, 2, 20, 0, 30, 2, 0, 0, 10, 2}))},
        {"RectsOverlapInBand",
         Block(Words({32, 1, 2, 32, 0, 0, 30, 2, 0, 0, 21, 2, 20, 0, 30, 2}))},
        {"SameTopOtherBottom",
         Block(Words({32, 1, 2, 32, 0, 0, 30, 3, 0, 0, 10, 2, 20, 0, 30, 3}))},
        {"BandsOverlapVertically",
         Block(Words({32, 1, 2, 32, 0, 0, 30, 4, 0, 0, 10, 2, 20, 1, 30, 4}))},
        {"BandsUnsorted", Block(Words({32, 1, 2, 32, 0, 0, 10, 4, 0, 2, 10, 4, 0, 0, 10, 2}))},
    };
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Refused, RegionDataMalformed, ::testing::ValuesIn(MalformedCases()),
                         [](const auto& info) { return info.param.name; });

struct TAcceptedCase {
    std::string name;
    std::vector<uint8_t> data;
    std::vector<TRect> expected;
};

class RegionDataAccepted : public ::testing::TestWithParam<TAcceptedCase> {};

TEST_P(RegionDataAccepted, GivesCanonicalRegion) {
    std::optional<TRegion> region = TRegion::FromRegionData(GetParam().data);
    ASSERT_TRUE(region.has_value());
    EXPECT_EQ(region->Rects(), GetParam().expected);
    EXPECT_TRUE(IsCanonical(*region));
}

std::vector<TAcceptedCase> AcceptedCases() {
    const std::vector<TRect> valid = {{0, 0, 10, 2}, {20, 0, 30, 2}, {5, 2, 25, 4}};
    std::vector<uint8_t> trailing = Block(Words(ValidWords()));
    trailing.insert(trailing.end(), {0xAA, 0xBB, 0xCC});
    return {
        {"Valid", Block(Words(ValidWords())), valid},
        {"RgnSizeZero", ValidBlockWith(3, 0), valid},
        {"TrailingBytesIgnored", trailing, valid},
        {"Empty", Block({32, 1, 0, 0, 0, 0, 0, 0}), {}},
        {"TouchingRectsMerged",
         Block(Words({32, 1, 2, 32, 0, 0, 20, 2, 0, 0, 10, 2, 10, 0, 20, 2})),
         {{0, 0, 20, 2}}},
        {"EqualBandsMerged",
         Block(Words({32, 1, 3, 48, 0, 0, 10, 5, 0, 0, 10, 2, 0, 2, 10, 3, 0, 3, 10, 5})),
         {{0, 0, 10, 5}}},
        {"GapBetweenBands",
         Block(Words({32, 1, 2, 32, 0, 0, 10, 5, 0, 0, 10, 2, 0, 3, 10, 5})),
         {{0, 0, 10, 2}, {0, 3, 10, 5}}},
        {"ExtremeCoordinates",
         Block(Words({32, 1, 1, 16, kMin, kMin, kMax, kMax, kMin, kMin, kMax, kMax})),
         {{kMin, kMin, kMax, kMax}}},
    };
}

INSTANTIATE_TEST_SUITE_P(Accepted, RegionDataAccepted, ::testing::ValuesIn(AcceptedCases()),
                         [](const auto& info) { return info.param.name; });

TEST(RegionData, EmptyRegionWritesZeroHeader) {
    EXPECT_EQ(TRegion().GetRegionData(), Block({32, 1, 0, 0, 0, 0, 0, 0}));
}

// ---- Offset, Contains, Complexity ----

TEST(RegionOffset, MovesEveryRectAndBounds) {
    TRegion region = Union({{0, 0, 4, 2}, {6, 0, 8, 2}, {1, 2, 3, 5}});
    EXPECT_EQ(region.Offset(-10, 7), COMPLEXREGION);
    EXPECT_EQ(region.Rects(),
              (std::vector<TRect>{{-10, 7, -6, 9}, {-4, 7, -2, 9}, {-9, 9, -7, 12}}));
    EXPECT_EQ(region.Bounds(), (TRect{-10, 7, -2, 12}));
    EXPECT_TRUE(region.Contains(-9, 10));
    EXPECT_FALSE(region.Contains(1, 3));
}

TEST(RegionOffset, OutOfRangeIsRefused) {
    TRegion region(TRect{-5, -5, 5, 5});
    EXPECT_EQ(region.Offset(kMax, 0), RGN_ERROR);
    EXPECT_EQ(region.Offset(0, kMin), RGN_ERROR);
    EXPECT_EQ(region, TRegion(TRect{-5, -5, 5, 5}));
    EXPECT_EQ(region.Bounds(), (TRect{-5, -5, 5, 5}));
    EXPECT_EQ(region.Offset(kMax - 5, kMin + 5), SIMPLEREGION);
    EXPECT_EQ(region.Bounds(), (TRect{kMax - 10, kMin, kMax, kMin + 10}));
    TRegion empty;
    EXPECT_EQ(empty.Offset(kMax, kMax), NULLREGION);
}

TEST(RegionContains, PointsInBandsAndGaps) {
    // Rows 0-1: [0,4) and [6,8); row 2-4: [1,3); row 5 empty; rows 6-7: [0,8).
    TRegion region = Union({{0, 0, 4, 2}, {6, 0, 8, 2}, {1, 2, 3, 5}, {0, 6, 8, 8}});
    struct TProbe {
        int x, y;
        bool inside;
    } probes[] = {
        {0, 0, true},  {3, 1, true},  {4, 1, false},       {5, 0, false},       {6, 0, true},
        {7, 1, true},  {8, 1, false}, {-1, 0, false},      {0, -1, false},      {1, 2, true},
        {0, 2, false}, {3, 4, false}, {2, 4, true},        {2, 5, false},       {0, 6, true},
        {7, 7, true},  {7, 8, false}, {kMin, kMin, false}, {kMax, kMax, false},
    };
    for (const TProbe& p : probes)
        EXPECT_EQ(region.Contains(p.x, p.y), p.inside) << p.x << "," << p.y;
    EXPECT_FALSE(TRegion().Contains(0, 0));
}

TEST(RegionComplexity, ByRectCount) {
    EXPECT_EQ(TRegion().Complexity(), NULLREGION);
    EXPECT_EQ(TRegion(TRect{0, 0, 1, 1}).Complexity(), SIMPLEREGION);
    EXPECT_EQ(Union({{0, 0, 1, 1}, {2, 0, 3, 1}}).Complexity(), COMPLEXREGION);
}

TEST(RegionConstruct, EmptyAndNegativeRectsAreEmpty) {
    for (TRect r : {TRect{0, 0, 0, 5}, TRect{0, 0, 5, 0}, TRect{5, 5, 1, 9}, TRect{1, 9, 5, 5},
                    TRect{kMax, kMax, kMin, kMin}}) {
        TRegion region(r);
        EXPECT_TRUE(region.IsEmpty());
        EXPECT_EQ(region.Bounds(), TRect{});
        EXPECT_EQ(region.Complexity(), NULLREGION);
    }
}

TEST(RegionConstruct, ExtremeCoordinatesCombine) {
    TRegion all(TRect{kMin, kMin, kMax, kMax});
    EXPECT_TRUE(all.Contains(0, 0));
    EXPECT_TRUE(all.Contains(kMin, kMax - 1));
    EXPECT_FALSE(all.Contains(kMax, 0));
    TRegion hole = CombineRegions(all, TRegion(TRect{-1, -1, 1, 1}), RGN_DIFF);
    EXPECT_EQ(hole.Rects().size(), 4u);
    EXPECT_EQ(hole.Bounds(), all.Bounds());
    EXPECT_FALSE(hole.Contains(0, 0));
    EXPECT_TRUE(hole.Contains(kMin, 0));
    EXPECT_EQ(CombineRegions(hole, all, RGN_XOR), TRegion(TRect{-1, -1, 1, 1}));
    std::optional<TRegion> back = TRegion::FromRegionData(hole.GetRegionData());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, hole);
}

}  // namespace
