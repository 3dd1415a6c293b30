// The real program on a screen of twice the usual density (Xvfb -dpi 192, Xft.dpi 192):
// the clock opens at twice its size with the outline of its larger picture, and a stored
// size overrides the density.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/stored_settings.h"
#include "tests/support/x11_program.h"

namespace {

using ztest::Store;

class DenseScreen : public ztest::TProgramFixture {
protected:
    void SetUp() override {
        serverOptions = {"-dpi", "192"};
        resources = "Xft.dpi:\t192\n";
        TProgramFixture::SetUp();
    }
    // The box and area of the window's bounding shape.
    std::pair<TRect, long> Outline(Window w) {
        TRect box;
        long area = 0;
        for (const TRect& r : Shape(w)) {
            box = box.Union(r);
            area += long(r.Width()) * r.Height();
        }
        return {box, area};
    }
};

// The area of the design's outline: 146 x 84 less its rounded corners (the 13 rectangles
// of the stored region).
constexpr long kDesignArea = 12156;

TEST_F(DenseScreen, TheClockOpensAtTwiceItsSizeWithTheOutlineOfTheLargerPicture) {
    Start();
    Window w = Find();
    EXPECT_EQ(Geometry(w), TRect::FromSize(512, 384, 300, 180));
    auto [box, area] = Outline(w);
    EXPECT_EQ(box, (TRect{4, 4, 296, 172})) << "twice the design's (2, 2, 148, 86)";
    EXPECT_NEAR(double(area), 4.0 * kDesignArea, 0.03 * 4.0 * kDesignArea);
}

TEST_F(DenseScreen, AStoredSizeOverridesTheDensity) {
    const std::pair<int, TSize> cases[] = {{100, {150, 90}}, {300, {450, 270}}};
    for (auto [scale, size] : cases) {
        Store("scale", scale);
        Store("viewerleft", 100);
        Store("viewertop", 100);
        Start();
        Window w = Find();
        EXPECT_EQ(Geometry(w), TRect::FromSize(100, 100, size.cx, size.cy)) << scale;
        EXPECT_EQ(Outline(w).first.Right, scale == 100 ? 148 : 444) << scale;
        EXPECT_EQ(Terminate(), 0);
    }
}

}  // namespace
