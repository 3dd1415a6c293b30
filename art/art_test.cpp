#include "art/clockart.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/canvas.h"
#include "platform/sysutils.h"

namespace {

TBitmap Load(int id) {
    RegisterClockArt();
    TBitmap bitmap;
    bitmap.LoadFromResourceID(id);
    return bitmap;
}

struct TRgb {
    int R, G, B;
};

TRgb At(const TBitmap& b, int x, int y) {
    TColor c = b.Pixel(x, y);
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

bool IsBlack(const TBitmap& b, int x, int y) {
    return b.Pixel(x, y) == clBlack;
}
bool IsWhite(const TBitmap& b, int x, int y) {
    return b.Pixel(x, y) == clWhite;
}

// Runs of pixels that satisfy pred in row y: [first, last] pairs.
template <typename Pred>
std::vector<std::pair<int, int>> Runs(const TBitmap& b, int y, Pred pred) {
    std::vector<std::pair<int, int>> runs;
    for (int x = 0; x < b.Width();) {
        if (!pred(x, y)) {
            ++x;
            continue;
        }
        int start = x;
        while (x < b.Width() && pred(x, y))
            ++x;
        runs.push_back({start, x - 1});
    }
    return runs;
}

void ExpectNear(TRgb actual, TRgb expected, int tolerance, const std::string& what) {
    EXPECT_NEAR(actual.R, expected.R, tolerance) << what;
    EXPECT_NEAR(actual.G, expected.G, tolerance) << what;
    EXPECT_NEAR(actual.B, expected.B, tolerance) << what;
}

// The average of the four middle pixels of an 18 x 18 LED.
TRgb LedCentre(const TBitmap& b) {
    int r = 0, g = 0, bl = 0;
    for (int y = 8; y <= 9; ++y)
        for (int x = 8; x <= 9; ++x) {
            TRgb p = At(b, x, y);
            r += p.R;
            g += p.G;
            bl += p.B;
        }
    return {(r + 2) / 4, (g + 2) / 4, (bl + 2) / 4};
}

// The picture as the clock shrinks it into a size x size cell.
TBitmap Shrink(const TBitmap& b, int size) {
    TBitmap small(size, size);
    small.Canvas().DrawBitmapRect({0, 0, size, size}, b, {0, 0, b.Width(), b.Height()}, clNone);
    return small;
}

// ---- Sizes -------------------------------------------------------------------------------

struct TSizeCase {
    int Id, Width, Height;
};

const TSizeCase kSizes[] = {
    {43, 132, 9}, {44, 42, 27},  {45, 235, 16}, {46, 470, 30}, {47, 73, 47},  {48, 150, 90},
    {49, 18, 18}, {50, 18, 18},  {51, 18, 18},  {52, 18, 18},  {53, 18, 18},  {54, 18, 18},
    {55, 18, 18}, {56, 18, 18},  {57, 132, 9},  {58, 42, 27},  {59, 235, 16}, {60, 470, 30},
    {61, 73, 47}, {62, 150, 90}, {66, 280, 41}, {67, 9, 25},   {68, 9, 24},   {73, 132, 9},
    {74, 42, 27}, {75, 18, 18},  {76, 18, 18},  {77, 18, 18},  {78, 18, 18},  {79, 18, 18},
    {80, 18, 18}, {82, 235, 16}, {83, 470, 30}, {84, 73, 47},  {85, 150, 90}, {88, 18, 18},
    {89, 18, 18},
};

TEST(ClockArt, EveryPictureIsEmbeddedOnceWithItsSize) {
    std::vector<int> expected;
    for (const TSizeCase& c : kSizes)
        expected.push_back(c.Id);
    EXPECT_EQ(ClockArtIds(), expected);
    for (const TSizeCase& c : kSizes) {
        TBitmap b = Load(c.Id);
        EXPECT_EQ(b.Width(), c.Width) << c.Id;
        EXPECT_EQ(b.Height(), c.Height) << c.Id;
        EXPECT_EQ(b.PixelFormat(), pf24bit) << c.Id;
    }
}

TEST(ClockArt, RegisteringAgainKeepsThePictures) {
    RegisterClockArt();
    std::span<const uint8_t> first = FindBitmapResource(55);
    RegisterClockArt();
    EXPECT_EQ(FindBitmapResource(55).data(), first.data());
    EXPECT_TRUE(FindBitmapResource(81).empty());
    TBitmap b;
    EXPECT_THROW(b.LoadFromResourceID(81), EInvalidGraphic);
}

// ---- LEDs --------------------------------------------------------------------------------

struct TLedCase {
    int Id;
    bool Keyed;
    bool Lit;
    TRgb Centre;
    int Dominant;  // 0 red, 1 green, 2 blue; amber lit is red and green together (-1)
};

const TLedCase kLeds[] = {
    {55, true, true, {196, 17, 31}, 0},    {56, true, false, {98, 32, 42}, 0},
    {53, true, true, {19, 25, 196}, 2},    {54, true, false, {33, 41, 98}, 2},
    {51, true, true, {195, 190, 19}, -1},  {52, true, false, {98, 66, 34}, 0},
    {49, true, true, {46, 196, 20}, 1},    {50, true, false, {49, 98, 35}, 1},
    {88, false, true, {196, 17, 31}, 0},   {89, false, false, {98, 32, 42}, 0},
    {80, false, true, {19, 25, 196}, 2},   {79, false, false, {33, 41, 98}, 2},
    {78, false, true, {195, 190, 19}, -1}, {77, false, false, {98, 66, 34}, 0},
    {76, false, true, {46, 196, 20}, 1},   {75, false, false, {49, 98, 35}, 1},
};

void PrintTo(const TLedCase& c, std::ostream* os) {
    *os << "picture " << c.Id;
}

std::vector<TLedCase> Leds(bool keyed) {
    std::vector<TLedCase> cases;
    for (const TLedCase& c : kLeds)
        if (c.Keyed == keyed) cases.push_back(c);
    return cases;
}

std::string LedName(const testing::TestParamInfo<TLedCase>& info) {
    return "Id" + std::to_string(info.param.Id);
}

class LedArt : public testing::TestWithParam<TLedCase> {};
class KeyedLedArt : public testing::TestWithParam<TLedCase> {};
class OpaqueLedArt : public testing::TestWithParam<TLedCase> {};

TEST_P(LedArt, CentreHasTheColourOfItsState) {
    const TLedCase& c = GetParam();
    TBitmap b = Load(c.Id);
    ExpectNear(LedCentre(b), c.Centre, 12, "centre");
    // Shrunk to the small and tiny cells the middle still shows that colour.
    ExpectNear(At(Shrink(b, 9), 4, 4), c.Centre, 12, "9 x 9");
    ExpectNear(At(Shrink(b, 5), 2, 2), c.Centre, 12, "5 x 5");
}

TEST_P(LedArt, HasItsHighlightUpperLeftAndItsHueAcrossTheDome) {
    const TLedCase& c = GetParam();
    TBitmap b = Load(c.Id);
    int best = -1, bestX = 0, bestY = 0;
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 18; ++x) {
            TRgb p = At(b, x, y);
            if (p.R + p.G + p.B > best) {
                best = p.R + p.G + p.B;
                bestX = x;
                bestY = y;
            }
        }
    EXPECT_LT(bestX, 8);
    EXPECT_LT(bestY, 8);
    // Away from the highlight, every pixel of the dome keeps the LED's hue.
    for (int y = 9; y <= 13; ++y)
        for (int x = 3; x <= 14; ++x) {
            TRgb p = At(b, x, y);
            int ch[3] = {p.R, p.G, p.B};
            if (c.Dominant < 0) {
                EXPECT_GT(std::min(p.R, p.G), 2 * p.B) << x << "," << y;
            } else {
                for (int k = 0; k < 3; ++k) {
                    if (k != c.Dominant) {
                        EXPECT_GT(ch[c.Dominant], ch[k]) << x << "," << y;
                    }
                }
            }
        }
}

TEST_P(KeyedLedArt, IsAHardEdgedDiscOnBlack) {
    const TLedCase& c = GetParam();
    TBitmap b = Load(c.Id);
    EXPECT_TRUE(IsBlack(b, 0, 17));  // the key colour
    auto lit = [&](int x, int y) { return !IsBlack(b, x, y); };
    int top = 18, bottom = -1, left = 18, right = -1;
    for (int y = 0; y < 18; ++y) {
        auto runs = Runs(b, y, lit);
        ASSERT_LE(runs.size(), 1u) << "row " << y << " has black inside the LED";
        if (runs.empty()) continue;
        top = std::min(top, y);
        bottom = std::max(bottom, y);
        left = std::min(left, runs[0].first);
        right = std::max(right, runs[0].second);
        // Round: centred in the picture.
        EXPECT_EQ(runs[0].first, 17 - runs[0].second) << "row " << y;
    }
    EXPECT_EQ(top, 2);
    EXPECT_EQ(bottom, 15);
    EXPECT_EQ(left, 1);
    EXPECT_EQ(right, 16);
    // Rows of one column are one run too: a convex disc.
    for (int x = 0; x < 18; ++x) {
        int runs = 0;
        for (int y = 0; y < 18; ++y)
            if (lit(x, y) && (y == 0 || !lit(x, y - 1))) ++runs;
        EXPECT_LE(runs, 1) << "column " << x;
    }
    // A hard edge: the LED's outermost pixels are clearly coloured, not faded into black.
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 18; ++x)
            if (lit(x, y) &&
                (!lit(x - 1, y) || !lit(x + 1, y) || !lit(x, y - 1) || !lit(x, y + 1))) {
                TRgb p = At(b, x, y);
                EXPECT_GE(std::max({p.R, p.G, p.B}), 24) << x << "," << y;
            }
}

TEST_P(KeyedLedArt, FillsTheSquareAndRectCrops) {
    const TLedCase& c = GetParam();
    TBitmap b = Load(c.Id);
    // What the square (10 x 10) and rect (12 x 6) shapes keep must be LED throughout, or
    // the cropped LED would show holes.
    for (int y = 4; y <= 13; ++y)
        for (int x = 4; x <= 13; ++x)
            EXPECT_FALSE(IsBlack(b, x, y)) << x << "," << y;
    for (int y = 6; y <= 11; ++y)
        for (int x = 3; x <= 14; ++x)
            EXPECT_FALSE(IsBlack(b, x, y)) << x << "," << y;
}

TEST_P(OpaqueLedArt, GlowsIntoADarkSurround) {
    const TLedCase& c = GetParam();
    TBitmap b = Load(c.Id);
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 18; ++x)
            EXPECT_FALSE(IsBlack(b, x, y)) << x << "," << y;
    for (auto [x, y] : {std::pair{0, 0}, {17, 0}, {0, 17}, {17, 17}}) {
        TRgb p = At(b, x, y);
        EXPECT_LE(std::max({p.R, p.G, p.B}), 10) << "corner " << x << "," << y;
    }
    // The glow reaches the middle of the left and right edges.
    for (int x : {0, 17})
        for (int y : {8, 9}) {
            TRgb p = At(b, x, y);
            TRgb corner = At(b, x, 0);
            EXPECT_GE(p.R + p.G + p.B, corner.R + corner.G + corner.B + 30) << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(AllLeds, LedArt, testing::ValuesIn(kLeds), LedName);
INSTANTIATE_TEST_SUITE_P(Keyed, KeyedLedArt, testing::ValuesIn(Leds(true)), LedName);
INSTANTIATE_TEST_SUITE_P(Opaque, OpaqueLedArt, testing::ValuesIn(Leds(false)), LedName);

TEST(ClockArt, LitLedsAreBrighterThanUnlitOnes) {
    // Pairs of lit and unlit pictures of one colour and set.
    const std::pair<int, int> pairs[] = {{55, 56}, {53, 54}, {51, 52}, {49, 50},
                                         {88, 89}, {80, 79}, {78, 77}, {76, 75}};
    for (auto [on, off] : pairs) {
        TRgb a = LedCentre(Load(on));
        TRgb b = LedCentre(Load(off));
        EXPECT_GT(a.R + a.G + a.B, b.R + b.G + b.B + 60) << on << " / " << off;
    }
}

// ---- Switches -----------------------------------------------------------------------------

bool IsHousingRed(TRgb p) {
    return p.R > 150 && p.G < 110 && p.B < 110;
}
int Brightness(TRgb p) {
    return p.R + p.G + p.B;
}

// The mean brightness of the slot rows first..last (inner columns 1-7).
int SlotBrightness(const TBitmap& b, int first, int last) {
    int sum = 0;
    for (int y = first; y <= last; ++y)
        for (int x = 1; x <= 7; ++x)
            sum += Brightness(At(b, x, y));
    return sum / ((last - first + 1) * 7);
}

TEST(ClockArt, SwitchesShowTheirKnobUpWhenSetAndDownWhenClear) {
    TBitmap set = Load(68);
    TBitmap clear = Load(67);
    // Stretched into the 9 x 25 cell as the switch format draws them.
    TBitmap setCell(9, 25);
    setCell.Canvas().DrawBitmapRect({0, 0, 9, 25}, set, {0, 0, 9, 24}, clNone);
    // The white knob is brighter than the bare slot.
    EXPECT_GT(SlotBrightness(setCell, 1, 10), SlotBrightness(setCell, 13, 22) + 60);
    EXPECT_GT(SlotBrightness(clear, 13, 22), SlotBrightness(clear, 1, 10) + 60);
    // Both cells have the same red housing round a slot in rows 1-22.
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 9; ++x) {
            bool housing = x == 0 || x == 8 || y == 0 || y >= 23;
            EXPECT_EQ(IsHousingRed(At(setCell, x, y)), housing) << "set " << x << "," << y;
            EXPECT_EQ(IsHousingRed(At(clear, x, y)), housing) << "clear " << x << "," << y;
            EXPECT_FALSE(IsBlack(clear, x, y));
            EXPECT_FALSE(IsBlack(setCell, x, y));
        }
}

// ---- Switch blocks -----------------------------------------------------------------------

TEST(ClockArt, SwitchBlocksAreThreeSeparateRedBlocksOnBlack) {
    TBitmap b = Load(66);
    EXPECT_TRUE(IsBlack(b, 0, 40));
    for (int y = 0; y < 41; ++y)
        for (int x = 0; x < 280; ++x) {
            bool outside = y <= 1 || y >= 39 || x == 0 || x == 279 || (x >= 89 && x <= 96) ||
                           (x >= 184 && x <= 191);
            EXPECT_EQ(IsBlack(b, x, y), outside) << x << "," << y;
        }
}

TEST(ClockArt, SwitchBlocksHaveAPaleSlotUnderEverySwitchCell) {
    TBitmap b = Load(66);
    TBitmap clear = Load(67);
    for (int g = 0; g < 3; ++g)
        for (int k = 0; k < 8; ++k) {
            int cell = 6 + 95 * g + 10 * k;
            for (int y = 10; y <= 30; ++y) {
                TRgb p = At(b, cell + 4, y);
                EXPECT_GE(std::min({p.R, p.G, p.B}), 120) << g << "/" << k << " row " << y;
                EXPECT_LE(std::max({p.R, p.G, p.B}) - std::min({p.R, p.G, p.B}), 40);
            }
            // Housing beside the slot, the same red as a switch cell's frame, so a drawn
            // cell joins its block without a seam.
            for (int y = 8; y <= 32; ++y) {
                EXPECT_EQ(b.Pixel(cell, y), clear.Pixel(0, 12)) << g << "/" << k << " row " << y;
                EXPECT_EQ(b.Pixel(cell + 8, y), clear.Pixel(8, 12))
                    << g << "/" << k << " row " << y;
            }
        }
}

// ---- Backgrounds -------------------------------------------------------------------------

struct TBackgroundCase {
    const char* Name;
    int FlatBlack, Aluminum, Mahogany;
    int Width, Height;
    int Left, Top, Right, Bottom;  // the body's box, inclusive
    int Rounding;                  // how far the first body row is stepped in at each side
    TRect Clock;                   // where the clock control lies on it
    TRect Cells;                   // where its LED cells lie, seconds shown
};

const TBackgroundCase kBackgrounds[] = {
    {"LargeStandard", 85, 62, 48, 150, 90, 2, 2, 147, 85, 8, TRect::FromSize(11, 9, 128, 72),
     TRect::FromSize(11, 9, 128, 72)},
    {"SmallStandard", 84, 61, 47, 73, 47, 1, 2, 71, 44, 4, TRect::FromSize(6, 6, 64, 35),
     TRect::FromSize(6, 6, 62, 36)},
    {"TinyStandard", 74, 58, 44, 42, 27, 1, 2, 40, 25, 2, TRect::FromSize(4, 4, 36, 20),
     TRect::FromSize(4, 4, 34, 20)},
    {"LargeHoriz", 83, 60, 46, 470, 30, 4, 4, 466, 25, 2, TRect::FromSize(9, 6, 455, 20),
     TRect::FromSize(9, 6, 452, 18)},
    {"SmallHoriz", 82, 59, 45, 235, 16, 2, 2, 233, 13, 1, TRect::FromSize(6, 4, 225, 9),
     TRect::FromSize(6, 4, 224, 9)},
    {"TinyHoriz", 73, 57, 43, 132, 9, 1, 1, 130, 7, 0, TRect::FromSize(4, 2, 125, 5),
     TRect::FromSize(4, 2, 124, 5)},
};

void PrintTo(const TBackgroundCase& c, std::ostream* os) {
    *os << c.Name;
}

class BackgroundArt : public testing::TestWithParam<TBackgroundCase> {};

using TOutline = std::vector<std::vector<std::pair<int, int>>>;

TOutline Outline(const TBitmap& b) {
    TOutline rows;
    for (int y = 0; y < b.Height(); ++y)
        rows.push_back(Runs(b, y, [&](int x, int yy) { return !IsWhite(b, x, yy); }));
    return rows;
}

TEST_P(BackgroundArt, AllFinishesShareOneRoundedOutlineInAWhiteMargin) {
    const TBackgroundCase& c = GetParam();
    TBitmap black = Load(c.FlatBlack);
    TOutline outline = Outline(black);
    for (int id : {c.FlatBlack, c.Aluminum, c.Mahogany}) {
        TBitmap b = Load(id);
        EXPECT_TRUE(IsWhite(b, 0, b.Height() - 1)) << id;
        EXPECT_EQ(Outline(b), outline) << id;
    }
    int clip = c.Rounding;
    for (int y = 0; y < c.Height; ++y) {
        if (y < c.Top || y > c.Bottom) {
            EXPECT_TRUE(outline[size_t(y)].empty()) << "row " << y;
            continue;
        }
        // One run a row: no white inside the body.
        ASSERT_EQ(outline[size_t(y)].size(), 1u) << "row " << y;
        auto [first, last] = outline[size_t(y)][0];
        EXPECT_EQ(first - c.Left, c.Right - last) << "row " << y << " is not symmetric";
        // The corners step in by the rounding on the first and last rows, not at all in
        // the middle, and never widen towards the edge.
        int fromEdge = std::min(y - c.Top, c.Bottom - y);
        if (fromEdge == 0) {
            EXPECT_EQ(first - c.Left, clip) << "row " << y;
        }
        if (fromEdge >= clip) {
            EXPECT_EQ(first, c.Left) << "row " << y;
        }
        if (y > c.Top && y <= (c.Top + c.Bottom) / 2) {
            EXPECT_LE(first, outline[size_t(y - 1)][0].first) << "row " << y;
        }
        // Top and bottom mirror each other.
        EXPECT_EQ(outline[size_t(y)], outline[size_t(c.Top + c.Bottom - y)]) << "row " << y;
    }
    // The clock lies wholly on the body.
    for (int y = c.Clock.Top; y < c.Clock.Bottom; ++y) {
        EXPECT_LE(outline[size_t(y)][0].first, c.Clock.Left) << "row " << y;
        EXPECT_GE(outline[size_t(y)][0].second, c.Clock.Right - 1) << "row " << y;
    }
}

TEST_P(BackgroundArt, FlatBlackBodyIsPureBlack) {
    const TBackgroundCase& c = GetParam();
    TBitmap b = Load(c.FlatBlack);
    for (int y = 0; y < c.Height; ++y)
        for (int x = 0; x < c.Width; ++x)
            EXPECT_TRUE(IsBlack(b, x, y) || IsWhite(b, x, y)) << x << "," << y;
}

// Mean and extremes of the clock area, and how much neighbours differ across and along rows.
struct TAreaStats {
    TRgb Mean, Min, Max;
    double Across = 0, Along = 0;
};

TAreaStats Stats(const TBitmap& b, const TRect& area) {
    TAreaStats s{{0, 0, 0}, {255, 255, 255}, {0, 0, 0}};
    long sum[3] = {0, 0, 0};
    long across = 0, along = 0, n = 0;
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x) {
            TRgb p = At(b, x, y);
            int ch[3] = {p.R, p.G, p.B};
            int* mn[3] = {&s.Min.R, &s.Min.G, &s.Min.B};
            int* mx[3] = {&s.Max.R, &s.Max.G, &s.Max.B};
            for (int k = 0; k < 3; ++k) {
                sum[k] += ch[k];
                *mn[k] = std::min(*mn[k], ch[k]);
                *mx[k] = std::max(*mx[k], ch[k]);
            }
            if (y + 1 < area.Bottom)
                across += std::abs(Brightness(At(b, x, y + 1)) - Brightness(p));
            if (x + 1 < area.Right) along += std::abs(Brightness(At(b, x + 1, y)) - Brightness(p));
            ++n;
        }
    s.Mean = {int(sum[0] / n), int(sum[1] / n), int(sum[2] / n)};
    s.Across = double(across) / double(n);
    s.Along = double(along) / double(n);
    return s;
}

TEST_P(BackgroundArt, BrushedAluminumIsLightGreyWithHorizontalStreaks) {
    const TBackgroundCase& c = GetParam();
    TAreaStats s = Stats(Load(c.Aluminum), c.Cells);
    ExpectNear(s.Mean, {175, 175, 175}, 5, "mean");
    for (int v : {s.Min.R, s.Min.G, s.Min.B})
        EXPECT_GE(v, 162);
    for (int v : {s.Max.R, s.Max.G, s.Max.B})
        EXPECT_LE(v, 188);
    // Streaks run along the rows: neighbours in a row differ less than neighbours across.
    EXPECT_GT(s.Across, 1.5 * s.Along);
}

TEST_P(BackgroundArt, MahoganyIsDarkRedBrownWithHorizontalGrain) {
    const TBackgroundCase& c = GetParam();
    TAreaStats s = Stats(Load(c.Mahogany), c.Cells);
    ExpectNear(s.Mean, {39, 24, 22}, 2, "mean");
    EXPECT_GE(s.Min.R, 32);
    EXPECT_LE(s.Max.R, 46);
    EXPECT_GE(s.Min.G, 20);
    EXPECT_LE(s.Max.G, 28);
    EXPECT_GE(s.Min.B, 19);
    EXPECT_LE(s.Max.B, 26);
    EXPECT_GT(s.Max.R - s.Min.R, 5);  // there is grain
    EXPECT_GT(s.Across, 1.2 * s.Along);
}

INSTANTIATE_TEST_SUITE_P(AllFormats, BackgroundArt, testing::ValuesIn(kBackgrounds),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(ClockArt, LargeBackgroundsHaveTheStoredWindowOutline) {
    // The window region stored with the main form: bands of rows with equal spans,
    // (left, top, right, bottom) with right and bottom exclusive.
    const TRect bands[] = {
        {10, 2, 140, 3},  {8, 3, 142, 4},   {6, 4, 144, 5},    {5, 5, 145, 6},   {4, 6, 146, 8},
        {3, 8, 147, 10},  {2, 10, 148, 78}, {3, 78, 147, 80},  {4, 80, 146, 82}, {5, 82, 145, 83},
        {6, 83, 144, 84}, {8, 84, 142, 85}, {10, 85, 140, 86},
    };
    for (int id : {85, 62, 48}) {
        TOutline outline = Outline(Load(id));
        std::vector<TRect> found;
        for (int y = 0; y < int(outline.size()); ++y) {
            ASSERT_LE(outline[size_t(y)].size(), 1u) << id << " row " << y;
            if (outline[size_t(y)].empty()) continue;
            TRect r{outline[size_t(y)][0].first, y, outline[size_t(y)][0].second + 1, y + 1};
            if (!found.empty() && found.back().Left == r.Left && found.back().Right == r.Right &&
                found.back().Bottom == y)
                found.back().Bottom = y + 1;
            else
                found.push_back(r);
        }
        EXPECT_EQ(found, std::vector<TRect>(std::begin(bands), std::end(bands))) << id;
    }
}

}  // namespace
