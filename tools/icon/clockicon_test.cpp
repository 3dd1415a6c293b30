#include "tools/icon/clockicon.h"

#include <gtest/gtest.h>

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
    // Rounded corners: transparent; the middle of the body: opaque.
    for (auto [x, y] : {std::pair{0, 0}, {size - 1, 0}, {0, size - 1}, {size - 1, size - 1}})
        EXPECT_EQ(AlphaAt(icon, x, y), 0) << x << "," << y;
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

INSTANTIATE_TEST_SUITE_P(Sizes, ClockIconSize, ::testing::Values(32, 48, 64, 100, 128));

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
