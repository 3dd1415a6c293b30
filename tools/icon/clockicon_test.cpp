#include "tools/icon/clockicon.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/gfx/color.h"

namespace {
uint8_t AlphaAt(const TClockIcon& icon, int x, int y) {
    return icon.Alpha[size_t(y) * size_t(icon.Pixels.Width()) + size_t(x)];
}

// Brightness of the red channel in the middle of LED (column, row), on an icon of the
// given size.
int RedAtLed(const TClockIcon& icon, int size, int column, int row) {
    const int x = (kIconColumnX[column] + kIconCell / 2) * size / kIconFace;
    const int y = (kIconRowY[row] + kIconCell / 2) * size / kIconFace;
    return GetRValue(icon.Pixels.Pixel(x, y));
}

TEST(ClockIcon, ShowsThirteenFortySevenInBcdWithTheUnusedLedsHidden) {
    using enum TIconLed;
    const TIconLed expected[4][4] = {
        {Hidden, Hidden, Off, On},  // hours tens 1
        {Off, Off, On, On},         // hours units 3
        {Hidden, On, Off, Off},     // minutes tens 4
        {Off, On, On, On},          // minutes units 7
    };
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_EQ(IconLedState(c, r), expected[c][r]) << c << "," << r;
}

class ClockIconSize : public ::testing::TestWithParam<int> {};

TEST_P(ClockIconSize, LitUnlitAndHiddenLedsDifferAndTheCornersAreClear) {
    const int size = GetParam();
    const TClockIcon icon = DrawClockIcon(size);
    ASSERT_EQ(icon.Pixels.Width(), size);
    ASSERT_EQ(icon.Pixels.Height(), size);
    ASSERT_EQ(icon.Alpha.size(), size_t(size) * size_t(size));
    // Rounded corners: transparent (below 24 pixels a corner pixel reaches a little into
    // the curve); the middle of the body: opaque.
    for (auto [x, y] : {std::pair{0, 0}, {size - 1, 0}, {0, size - 1}, {size - 1, size - 1}})
        EXPECT_LE(AlphaAt(icon, x, y), size < 24 ? 64 : 0) << x << "," << y;
    EXPECT_EQ(AlphaAt(icon, size / 2, size / 2), 255);
    EXPECT_EQ(AlphaAt(icon, size / 2, 1), 255);
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            const int red = RedAtLed(icon, size, c, r);
            switch (IconLedState(c, r)) {
                case TIconLed::On:
                    EXPECT_GT(red, 150) << c << "," << r;
                    break;
                case TIconLed::Off:
                    EXPECT_TRUE(red > 50 && red < 130) << red << " " << c << "," << r;
                    break;
                case TIconLed::Hidden:
                    EXPECT_EQ(red, 0) << c << "," << r;
                    break;
            }
        }
    }
}

// Every size installed (16 to 256) and the face's own.
INSTANTIATE_TEST_SUITE_P(Sizes, ClockIconSize,
                         ::testing::Values(16, 22, 24, 32, 48, 64, 100, 128, 256));

TEST(HexEditIcon, AFoldedSheetWithTwoBytesInGreen) {
    using enum TIconLed;
    // 0x5A 0x54, one nibble a column, 8 at the top; nothing hidden.
    const int nibbles[4] = {0x5, 0xA, 0x5, 0x4};
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_EQ(IconLedState(TIconKind::HexEdit, c, r),
                      (nibbles[c] >> (3 - r)) & 1 ? On : Off);
    for (int size : {16, 48, 256}) {
        const TClockIcon icon = DrawIcon(TIconKind::HexEdit, size);
        const TClockIcon clock = DrawClockIcon(size);
        // The cut corner is clear, the fold below it light grey, the clock's corner there dark.
        const int fx = 92 * size / kIconFace, fy = 11 * size / kIconFace;
        EXPECT_EQ(AlphaAt(icon, size - 1, 0), 0) << size;
        EXPECT_GT(AlphaAt(icon, fx, fy), 128) << size;
        EXPECT_GT(GetRValue(icon.Pixels.Pixel(fx, fy)), 120) << size;
        EXPECT_LT(GetRValue(clock.Pixels.Pixel(fx, fy)), 100) << size;
        // Lit LEDs are green, not red.
        const int x = (kIconColumnX[1] + kIconCell / 2) * size / kIconFace;
        const int y = (kIconRowY[0] + kIconCell / 2) * size / kIconFace;
        EXPECT_GT(GetGValue(icon.Pixels.Pixel(x, y)), 150) << size;
        EXPECT_LT(GetRValue(icon.Pixels.Pixel(x, y)), 100) << size;
        EXPECT_NE(icon.Alpha, clock.Alpha) << "a shape of its own";
    }
}

TEST(IconSvg, TheSameGeometryAsThePictures) {
    auto count = [](const std::string& text, const std::string& word) {
        int n = 0;
        for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
            ++n;
        return n;
    };
    const std::string clock = IconSvg(TIconKind::Clock);
    const std::string hexedit = IconSvg(TIconKind::HexEdit);
    for (const std::string* svg : {&clock, &hexedit}) {
        EXPECT_EQ(svg->rfind("<?xml", 0), 0u);
        EXPECT_NE(svg->find("viewBox=\"0 0 100 100\""), std::string::npos);
        EXPECT_EQ(svg->substr(svg->size() - 7), "</svg>\n");
        EXPECT_EQ(count(*svg, "<radialGradient"), 2);
    }
    // One ellipse a drawn LED, at the middle of its picture's cell; the hidden ones left out.
    EXPECT_EQ(count(clock, "<ellipse"), 13);
    EXPECT_EQ(count(clock, "url(#on)"), 7);  // 1, 3, 4, 7: 1 + 2 + 1 + 3 lit
    EXPECT_NE(clock.find("<ellipse cx=\"18\" cy=\"77\""), std::string::npos) << "hours tens, row 1";
    EXPECT_EQ(clock.find("<ellipse cx=\"18\" cy=\"23\""), std::string::npos) << "hidden";
    EXPECT_EQ(count(hexedit, "<ellipse"), 16);
    EXPECT_EQ(count(hexedit, "url(#on)"), 2 + 2 + 2 + 1);
    // The fold: the triangle under the cut corner.
    EXPECT_NE(hexedit.find("<path d=\"M86,0V14H100Z\""), std::string::npos);
    EXPECT_EQ(clock.find("<path"), std::string::npos);
}

TEST(ClockIcon, EdgesAreSmoothed) {
    // Half-covered pixels along the rounded corners get partial opacity.
    const TClockIcon icon = DrawClockIcon(48);
    int partial = 0;
    for (uint8_t a : icon.Alpha)
        partial += a > 0 && a < 255 ? 1 : 0;
    EXPECT_GT(partial, 8);
}

TEST(ClockIcon, ASizeBelowOneIsRefused) {
    EXPECT_THROW(DrawClockIcon(0), std::invalid_argument);
}
}  // namespace
