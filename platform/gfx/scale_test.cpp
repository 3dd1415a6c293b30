// Design lengths at a scale, and fonts moved to another density.
#include "platform/gfx/scale.h"

#include <gtest/gtest.h>

#include "platform/gfx/font.h"

namespace {

TEST(Scale, LengthsRoundToTheNearestPixelAndScaleBackExactly) {
    EXPECT_EQ(ScaleLength(537, 200), 1074);
    EXPECT_EQ(ScaleLength(17, 125), 21);  // 21.25
    EXPECT_EQ(ScaleLength(13, 150), 20);  // 19.5: halves away from zero
    EXPECT_EQ(ScaleLength(-13, 150), -20);
    EXPECT_EQ(PixelsPerInchOfScale(150), 144);
    // Every design length comes back from its scaled length, at every scale from 100 %.
    for (int percent = 100; percent <= 400; percent += 25)
        for (int length = -600; length <= 600; ++length)
            ASSERT_EQ(UnscaleLength(ScaleLength(length, percent), percent), length)
                << length << " at " << percent << " %";
}

TEST(Scale, RectanglesScaleByTheirEdgesSoNeighboursStayNeighbours) {
    // The settings dialog's Ok and Cancel buttons: 191..266 and 271..346 at 100 %.
    const TRect ok = TRect::FromSize(191, 288, 75, 25), cancel = TRect::FromSize(271, 288, 75, 25);
    const TRect touching = TRect::FromSize(266, 288, 5, 25);  // the gap between them
    for (int percent : {100, 125, 150, 175, 200, 300}) {
        TRect a = ScaleRect(ok, percent), gap = ScaleRect(touching, percent),
              b = ScaleRect(cancel, percent);
        EXPECT_EQ(a.Right, gap.Left) << percent;
        EXPECT_EQ(gap.Right, b.Left) << percent;
        EXPECT_EQ(a.Width(), b.Width()) << percent;  // equal at equal offsets of a quarter
    }
    EXPECT_EQ(ScaleRect(ok, 125), (TRect{239, 360, 333, 391}));
    // Laid out again from one scale at another: through the design, without drift.
    TRect r = ok;
    int at = 100;
    for (int percent : {125, 300, 150, 175, 200, 100}) {
        r = RescaleRect(r, at, percent);
        at = percent;
        EXPECT_EQ(r, ScaleRect(ok, percent)) << percent;
    }
    EXPECT_EQ(RescaleRect(ScaleRect(ok, 125), 125, 300), ScaleRect(ok, 300));
    EXPECT_EQ(RescaleRect(ScaleRect(ok, 300), 300, 100), ok);
    EXPECT_EQ(RescaleLength(94, 125, 125), 94);
}

TEST(Scale, AFontKeepsItsSizeInPointsAtAnotherDensity) {
    TFont font;  // "MS Sans Serif", height -11 at 96 pixels per inch: 8 points
    EXPECT_EQ(font.Size(), 8);
    struct {
        int ppi, height;
    } const cases[] = {{120, -13}, {144, -16}, {192, -21}, {288, -32}, {96, -11}, {384, -43}};
    int changes = 0;
    font.OnChange = [&] { ++changes; };
    for (const auto& c : cases) {
        font.ChangePixelsPerInch(c.ppi);
        EXPECT_EQ(font.PixelsPerInch(), c.ppi);
        EXPECT_EQ(font.Height(), c.height) << c.ppi << " dpi";
        EXPECT_EQ(font.Size(), 8) << c.ppi << " dpi";
    }
    EXPECT_EQ(changes, 6);
    font.ChangePixelsPerInch(384);  // the same density: nothing changes
    EXPECT_EQ(changes, 6);
    // A cell height (positive) keeps its sign; a font too small for a point scales by ratio.
    TFont cell;
    cell.SetHeight(16);
    cell.ChangePixelsPerInch(192);
    EXPECT_EQ(cell.Height(), 32);
    TFont tiny;
    tiny.SetPixelsPerInch(192);
    tiny.SetHeight(-1);  // 3/8 of a point
    tiny.ChangePixelsPerInch(384);
    EXPECT_EQ(tiny.Height(), -2);
}

}  // namespace
