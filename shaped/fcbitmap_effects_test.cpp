#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "shaped/fcbitmap.h"
#include "tests/support/fcbitmap_testing.h"

namespace {

using namespace fctest;

struct TEffectCase {
    std::string name;
    std::function<void(TfcBitmap&)> apply;
    int width, height;
    std::vector<TColor> input, expected;
};

void PrintTo(const TEffectCase& c, std::ostream* os) {
    *os << c.name;
}

class Effect : public ::testing::TestWithParam<TEffectCase> {};

TEST_P(Effect, GivesTheHandComputedPixels) {
    const TEffectCase& c = GetParam();
    TfcBitmap fc;
    Load(fc, c.width, c.height, c.input);
    c.apply(fc);
    EXPECT_EQ(Pixels(fc), c.expected);
}

const TColor A = RGB(10, 20, 30), B = RGB(40, 50, 60), C = RGB(70, 80, 90);
const TColor D = RGB(100, 110, 120), E = RGB(130, 140, 150), F = RGB(160, 170, 180);

INSTANTIATE_TEST_SUITE_P(
    FcBitmap, Effect,
    ::testing::
        Values(TEffectCase{"Invert",
                           [](TfcBitmap& b) { b.Invert(); },
                           2,
                           1,
                           {RGB(10, 20, 30), RGB(255, 0, 128)},
                           {RGB(245, 235, 225), RGB(0, 255, 127)}},
               TEffectCase{"Grayscale",
                           [](TfcBitmap& b) { b.Grayscale(); },
                           3,
                           1,
                           {RGB(100, 50, 200), RGB(2, 2, 2), clWhite},
                           Grays({115, 0, 255})},
               TEffectCase{"BrightnessUp", [](TfcBitmap& b) { b.Brightness(64); }, 3, 1,
                           Grays({0, 100, 255}), Grays({63, 138, 255})},
               TEffectCase{"BrightnessDown", [](TfcBitmap& b) { b.Brightness(-64); }, 3, 1,
                           Grays({0, 100, 255}), Grays({0, 75, 192})},
               TEffectCase{"ContrastUp", [](TfcBitmap& b) { b.Contrast(128); }, 5, 1,
                           Grays({0, 100, 127, 200, 255}), Grays({0, 86, 127, 236, 255})},
               // Negative amounts round toward zero: 255 + 127 x -128 / 256 = 255 - 63.
               TEffectCase{"ContrastDown", [](TfcBitmap& b) { b.Contrast(-128); }, 5, 1,
                           Grays({0, 100, 127, 200, 255}), Grays({64, 114, 127, 164, 192})},
               TEffectCase{"SaturationZeroGivesGray",
                           [](TfcBitmap& b) { b.Saturation(0); },
                           1,
                           1,
                           {RGB(90, 60, 30)},
                           Grays({60})},
               TEffectCase{"SaturationFullKeeps",
                           [](TfcBitmap& b) { b.Saturation(256); },
                           2,
                           1,
                           {RGB(90, 60, 30), RGB(1, 254, 77)},
                           {RGB(90, 60, 30), RGB(1, 254, 77)}},
               TEffectCase{"SaturationHalf",
                           [](TfcBitmap& b) { b.Saturation(128); },
                           1,
                           1,
                           {RGB(90, 60, 30)},
                           {RGB(75, 60, 45)}},
               TEffectCase{"SaturationDoubleClamps",
                           [](TfcBitmap& b) { b.Saturation(512); },
                           1,
                           1,
                           {RGB(250, 10, 10)},
                           {RGB(255, 0, 0)}},
               TEffectCase{"AddColorDeltasClamps",
                           [](TfcBitmap& b) { b.AddColorDeltas(100, -50, 0); },
                           2,
                           1,
                           {RGB(200, 30, 77), clBlack},
                           {RGB(255, 0, 77), RGB(100, 0, 0)}},
               TEffectCase{"Colorize",
                           [](TfcBitmap& b) { b.Colorize(202, 172, 192); },
                           1,
                           1,
                           {RGB(100, 10, 250)},
                           {RGB(110, 0, 250)}},
               // RGB values: 0x102030 is red 0x10, green 0x20, blue 0x30; the TColor 0x102030
               // (red 0x30, blue 0x10) is another colour and stays.
               TEffectCase{"ReplaceColorTakesRgbValues",
                           [](TfcBitmap& b) { b.ReplaceColor(0x102030, 0xA0B0C0); },
                           3,
                           1,
                           {RGB(0x10, 0x20, 0x30), TColor(0x102030), A},
                           {RGB(0xA0, 0xB0, 0xC0), TColor(0x102030), A}},
               TEffectCase{"MaskFromColorTakesRgbValues",
                           [](TfcBitmap& b) { b.MaskFromColor(0x102030); },
                           3,
                           1,
                           {RGB(0x10, 0x20, 0x30), TColor(0x102030), A},
                           {clBlack, clWhite, clWhite}},
               TEffectCase{"FlipHorizontal",
                           [](TfcBitmap& b) { b.Flip(true); },
                           3,
                           2,
                           {A, B, C, D, E, F},
                           {C, B, A, F, E, D}},
               TEffectCase{"FlipVertical",
                           [](TfcBitmap& b) { b.Flip(false); },
                           3,
                           2,
                           {A, B, C, D, E, F},
                           {D, E, F, A, B, C}},
               // ((255 - n) + v) div 2 with n down-right; the last row and column reuse the
               // nearest pixel, the corner itself.
               TEffectCase{"Emboss", [](TfcBitmap& b) { b.Emboss(); }, 2, 2,
                           Grays({10, 20, 30, 40}), Grays({112, 117, 122, 127})},
               // In place, row by row: the row above is already blurred, and so are the pixels
               // to the left when the clamped row is the row itself.
               TEffectCase{"BlurInPlace", [](TfcBitmap& b) { b.Blur(1); }, 3, 3,
                           Grays({10, 20, 30, 40, 50, 60, 70, 80, 90}),
                           Grays({30, 40, 45, 55, 58, 63, 65, 68, 69})},
               TEffectCase{"BlurZeroKeeps", [](TfcBitmap& b) { b.Blur(0); }, 2, 1, {A, F}, {A, F}},
               // (256 x centre - 16 x sum of 8 clamped neighbours) / 128, in place.
               TEffectCase{"SharpenInPlace", [](TfcBitmap& b) { b.Sharpen(1); }, 3, 1,
                           Grays({100, 160, 100}), Grays({77, 213, 57})},
               TEffectCase{"SharpenClamps", [](TfcBitmap& b) { b.Sharpen(1); }, 3, 1,
                           Grays({0, 255, 0}), Grays({0, 255, 0})},
               // Counter-clockwise on screen about the middle.
               TEffectCase{"Rotate90",
                           [](TfcBitmap& b) { b.Rotate({-1, -1}, 90); },
                           2,
                           2,
                           {A, B, C, D},
                           {B, D, A, C}},
               TEffectCase{"Rotate180",
                           [](TfcBitmap& b) { b.Rotate({-1, -1}, 180); },
                           2,
                           2,
                           {A, B, C, D},
                           {D, C, B, A}},
               TEffectCase{
                   "Rotate90Odd",
                   [](TfcBitmap& b) {
                       b.Rotate({-1, -1}, 90);
                   },
                   3, 3, Grays({1, 2, 3, 4, 5, 6, 7, 8, 9}), Grays({3, 6, 9, 2, 5, 8, 1, 4, 7})},
               TEffectCase{"RotateMinus90",
                           [](TfcBitmap& b) { b.Rotate({1, 1}, -90); },
                           2,
                           2,
                           {A, B, C, D},
                           {C, A, D, B}},
               // About the top-left corner every source lies outside: all take the old top-left.
               TEffectCase{"RotateUncoveredTakesTopLeft",
                           [](TfcBitmap& b) { b.Rotate({0, 0}, 180); },
                           2,
                           2,
                           {A, B, C, D},
                           {A, A, A, A}},
               TEffectCase{"WaveWithoutPeriodsKeeps",
                           [](TfcBitmap& b) { b.Wave(true, 5, 0, 3); },
                           2,
                           1,
                           {A, B},
                           {A, B}},
               // round(sin(y)) is 0, 1, 1, 0 for rows 0..3: rows 1 and 2 come from one to the
               // right; sin(x / 1000) rounds to 0.
               TEffectCase{"WaveWraps",
                           [](TfcBitmap& b) { b.Wave(true, 1, 1, 1000); },
                           3,
                           4,
                           {A, B, C, D, E, F, A, B, C, D, E, F},
                           {A, B, C, E, F, D, B, C, A, D, E, F}},
               TEffectCase{"WaveWithoutWrapIsWhiteOutside",
                           [](TfcBitmap& b) { b.Wave(false, 1, 1, 1000); },
                           3,
                           2,
                           {A, B, C, D, E, F},
                           {A, B, C, E, F, clWhite}},
               TEffectCase{"SprayOfOneKeeps",
                           [](TfcBitmap& b) { b.Spray(1); },
                           3,
                           2,
                           {A, B, C, D, E, F},
                           {A, B, C, D, E, F}}),
    [](const ::testing::TestParamInfo<TEffectCase>& info) { return info.param.name; });

TEST(FcBitmapEffects, ColorizeLeavesTheTransparentColourAlone) {
    TfcBitmap fc;
    Load(fc, 2, 1, {RGB(100, 10, 250), RGB(50, 50, 50)});
    fc.SetTransparentColor(RGB(50, 50, 50));
    fc.Colorize(202, 172, 192);
    EXPECT_EQ(Pixels(fc), (std::vector<TColor>{RGB(110, 0, 250), RGB(50, 50, 50)}));
}

TEST(FcBitmapEffects, BlurPassesCountDown) {
    std::vector<TColor> input;
    for (int i = 0; i < 16; ++i)
        input.push_back(RGB(i * 15, (i * 37) % 256, 255 - i * 9));
    TfcBitmap passes, downward, upward;
    Load(passes, 4, 4, input);
    Load(downward, 4, 4, input);
    Load(upward, 4, 4, input);
    passes.BlurPasses(2);
    downward.Blur(2);
    downward.Blur(1);
    upward.Blur(1);
    upward.Blur(2);
    ASSERT_NE(Pixels(downward), Pixels(upward));  // the order matters for this picture
    EXPECT_EQ(Pixels(passes), Pixels(downward));
}

// Amounts at the limits of int reach past every edge and are clamped there, as an amount
// just past the picture's size is (UndefinedBehaviorSanitizer checks the arithmetic).
TEST(FcBitmapEffects, AmountsAtTheLimitsOfIntAreClampedToTheEdges) {
    std::vector<TColor> input;
    for (int i = 0; i < 12; ++i)
        input.push_back(RGB(i * 21, (i * 53) % 256, 255 - i * 17));
    const struct {
        const char* Name;
        std::function<void(TfcBitmap&, int)> Apply;
    } effects[] = {
        {"Blur", [](TfcBitmap& b, int amount) { b.Blur(amount); }},
        {"Sharpen", [](TfcBitmap& b, int amount) { b.Sharpen(amount); }},
    };
    for (const auto& effect : effects) {
        for (auto [extreme, justPast] : {std::pair{INT32_MAX, 4}, std::pair{INT32_MIN, -4}}) {
            SCOPED_TRACE(std::string(effect.Name) + " " + std::to_string(extreme));
            TfcBitmap limit, past;
            Load(limit, 4, 3, input);
            Load(past, 4, 3, input);
            effect.Apply(limit, extreme);
            effect.Apply(past, justPast);
            EXPECT_EQ(Pixels(limit), Pixels(past));
        }
    }
}

// Passes whose amount reaches past every edge are all the same; once one changes nothing
// the rest are skipped, so even the largest count ends, with the same pixels.
TEST(FcBitmapEffects, BlurPassesOfTheLargestCountEnd) {
    std::vector<TColor> input;
    for (int i = 0; i < 12; ++i)
        input.push_back(RGB(i * 21, (i * 53) % 256, 255 - i * 17));
    TfcBitmap largest, many;
    Load(largest, 4, 3, input);
    Load(many, 4, 3, input);
    largest.BlurPasses(INT32_MAX);
    many.BlurPasses(3000);
    EXPECT_EQ(Pixels(largest), Pixels(many));
}

// Every shift is past the picture except at row 0 and column 0, whose sine is 0.
TEST(FcBitmapEffects, WaveOfTheLargestAmplitudeMovesEverythingOut) {
    for (int amplitude : {INT32_MAX, INT32_MIN}) {
        TfcBitmap fc;
        Load(fc, 3, 2, {A, B, C, D, E, F});
        fc.Wave(false, amplitude, 1, 1);
        EXPECT_EQ(Pixels(fc), (std::vector<TColor>{A, clWhite, clWhite, clWhite, clWhite, clWhite}))
            << amplitude;
        Load(fc, 3, 2, {A, B, C, D, E, F});
        fc.Wave(true, amplitude, 1, 1);
        EXPECT_EQ(fc.Pixel(0, 0), A) << amplitude;
    }
}

TEST(FcBitmapEffects, RotateFullTurnKeeps) {
    TfcBitmap fc;
    Load(fc, 3, 2, {A, B, C, D, E, F});
    fc.Rotate({-1, -1}, 360);
    EXPECT_EQ(Pixels(fc), (std::vector<TColor>{A, B, C, D, E, F}));
}

TEST(FcBitmapEffects, SprayTakesNearbyColoursRepeatablyBySeed) {
    std::vector<TColor> input;
    for (int i = 0; i < 36; ++i)
        input.push_back(RGB(i, 100 + i, 200 - i));
    auto sprayed = [&](uint32_t seed) {
        TfcBitmap fc;
        Load(fc, 6, 6, input);
        fc.SetRandomSeed(seed);
        fc.Spray(3);
        EXPECT_NE(fc.RandomSeed(), seed);
        return Pixels(fc);
    };
    std::vector<TColor> first = sprayed(7);
    EXPECT_EQ(sprayed(7), first);
    EXPECT_NE(first, input);
    EXPECT_NE(sprayed(8), first);
    std::set<TColor> original(input.begin(), input.end());
    for (TColor c : first)
        EXPECT_TRUE(original.count(c));

    TfcBitmap uniform;
    Load(uniform, 3, 3, std::vector<TColor>(9, A));
    uniform.Spray(5);
    EXPECT_EQ(Pixels(uniform), std::vector<TColor>(9, A));
}

// Every effect leaves the row padding alone and notifies exactly once.
TEST(FcBitmapEffects, PaddingIsUntouchedAndEachEffectNotifiesOnce) {
    std::vector<std::pair<std::string, std::function<void(TfcBitmap&)>>> effects = {
        {"Invert", [](TfcBitmap& b) { b.Invert(); }},
        {"Grayscale", [](TfcBitmap& b) { b.Grayscale(); }},
        {"Brightness", [](TfcBitmap& b) { b.Brightness(50); }},
        {"Contrast", [](TfcBitmap& b) { b.Contrast(50); }},
        {"Saturation", [](TfcBitmap& b) { b.Saturation(100); }},
        {"AddColorDeltas", [](TfcBitmap& b) { b.AddColorDeltas(1, 2, 3); }},
        {"Colorize", [](TfcBitmap& b) { b.Colorize(1, 2, 3); }},
        {"MaskFromColor", [](TfcBitmap& b) { b.MaskFromColor(0); }},
        {"ReplaceColor", [](TfcBitmap& b) { b.ReplaceColor(0x0A141E, 0); }},
        {"Flip", [](TfcBitmap& b) { b.Flip(true); }},
        {"FlipRows", [](TfcBitmap& b) { b.Flip(false); }},
        {"Emboss", [](TfcBitmap& b) { b.Emboss(); }},
        {"Blur", [](TfcBitmap& b) { b.Blur(1); }},
        {"BlurPasses", [](TfcBitmap& b) { b.BlurPasses(3); }},
        {"Sharpen", [](TfcBitmap& b) { b.Sharpen(1); }},
        {"Spray", [](TfcBitmap& b) { b.Spray(4); }},
        {"Rotate",
         [](TfcBitmap& b) {
             b.Rotate({-1, -1}, 30);
         }},
        {"Wave", [](TfcBitmap& b) { b.Wave(false, 2, 3, 4); }},
    };
    for (const auto& [name, apply] : effects) {
        TfcBitmap fc;
        Load(fc, 3, 3, {A, B, C, D, E, F, A, B, C});
        for (uint8_t* row : fc.RowTable())
            std::fill(row + 9, row + 12, uint8_t(0x5A));
        TCountingListener listener;
        fc.AddListener(&listener);
        apply(fc);
        for (uint8_t* row : fc.RowTable())
            for (int i = 9; i < 12; ++i)
                EXPECT_EQ(row[i], 0x5A) << name;
        EXPECT_EQ(listener.count, 1) << name;
    }
}

TEST(FcBitmapEffects, EmptyBitmapIsLeftAlone) {
    TfcBitmap fc;
    TCountingListener listener;
    fc.AddListener(&listener);
    fc.Invert();
    fc.Blur(2);
    fc.Rotate({-1, -1}, 45);
    fc.Wave(true, 3, 4, 5);
    fc.Spray(3);
    EXPECT_TRUE(fc.Empty());
    EXPECT_EQ(listener.count, 0);
}

}  // namespace
