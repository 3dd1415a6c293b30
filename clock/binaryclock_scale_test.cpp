// The clock at scales: every format's cells where the design puts them, scaled, drawn from
// the pictures of the scale; the crops scaled; a new scale keeping only the pictures on
// show.
#include "tests/support/clock_test_host.h"

namespace clocktest {
namespace {

const int kScales[] = {100, 125, 150, 200, 300};

class ClockScale : public TClockHost {
protected:
    // Shows format f at a scale over its aluminium picture at that scale, the clock at the
    // scaled place, at 13:47:05 in binary.
    void ShowAt(const TFormat& f, int scale) {
        const TBitmap background = LoadClockArt(f.AluminiumPicture, scale);
        form->SetBounds(100, 100, AtScale(f.Window.cx, scale), AtScale(f.Window.cy, scale));
        picture->Picture = background;
        picture->SetBounds(0, 0, background.Width(), background.Height());
        picture->Invalidate();
        const TRect& b = f.ClockBounds;
        clock->SetBounds(AtScale(b.Left, scale), AtScale(b.Top, scale), AtScale(b.Width(), scale),
                         AtScale(b.Height(), scale));
        clock->SetScale(scale);
        clock->SetType(f.Type);
        app.Run();
    }
    TRect ClockArea() const { return clock->BoundsRect(); }
};

TEST_F(ClockScale, EveryFormatDrawsTheScaledLayoutFromThePicturesOfItsScale) {
    clock->SetModeBcd(0);
    for (const TFormat& f : kFormats) {
        for (int scale : kScales) {
            SCOPED_TRACE("format " + std::to_string(f.Type) + " at " + std::to_string(scale));
            ShowAt(f, scale);
            TBitmap on = LoadClockArt(
                f.Type == ctDipSwitch ? clockart::kSwitchOn : clockart::kKeyedRedOn, scale);
            TBitmap off = LoadClockArt(
                f.Type == ctDipSwitch ? clockart::kSwitchOff : clockart::kKeyedRedOff, scale);
            on.SetTransparent(f.Type != ctDipSwitch);
            off.SetTransparent(f.Type != ctDipSwitch);
            TBitmap actual = Shown();
            EXPECT_EQ(actual.Width(), AtScale(f.Window.cx, scale));
            TBitmap expected =
                Expected(Beneath(), ClockArea(),
                         Cells(f, {"00001101", "00101111", "00000101"}, scale), on, off);
            EXPECT_TRUE(SamePixels(actual, expected));
        }
    }
}

TEST_F(ClockScale, CellsCoverTheScaledAreaWithSecondsShownAndHidden) {
    // Opaque LEDs on a plain magenta window: the box of everything drawn is the design's
    // area at the scale.
    form->SetColor(clFuchsia);
    picture->Picture = TBitmap();
    form->SetBounds(0, 0, 1400, 240);
    clock->SetBounds(10, 10, 1380, 220);
    clock->SetModeTransparentLed(0);
    for (int scale : kScales) {
        clock->SetScale(scale);
        for (const TCellArea& c : kCellAreas) {
            for (int hidden = 0; hidden <= 1; ++hidden) {
                SCOPED_TRACE(std::to_string(c.Type) + " at " + std::to_string(scale) +
                             (hidden ? ", no seconds" : ""));
                clock->SetModeSecondsHide(hidden);
                clock->SetType(c.Type);
                app.Run();
                const TRect box = InkBox(Shown(), clFuchsia);
                EXPECT_EQ(box.TopLeft(), (TPoint{10, 10}));
                const TSize want = hidden ? c.Without : c.With;
                // An edge of a cell drawn at its picture's own size may end a pixel from the
                // scaled design edge (the picture's size is rounded on its own).
                const int slack = scale % 100 == 0 ? 0 : 1;
                EXPECT_NEAR(box.Width(), AtScale(want.cx, scale), slack);
                EXPECT_NEAR(box.Height(), AtScale(want.cy, scale), slack);
            }
        }
    }
}

TEST_F(ClockScale, ChangedAreaIsTheScaledOne) {
    clock->SetModeBcd(0);
    std::tm from{}, to{};
    from.tm_hour = to.tm_hour = 13;
    from.tm_min = to.tm_min = 47;
    from.tm_sec = 5;
    to.tm_sec = 6;  // 000101 -> 000110: the two lowest cells of the seconds' second column
    for (int scale : kScales) {
        clock->SetScale(scale);
        EXPECT_EQ(clock->ChangedArea(from, to), (TRect{AtScale(110, scale), AtScale(36, scale),
                                                       AtScale(110, scale) + AtScale(18, scale),
                                                       AtScale(54, scale) + AtScale(18, scale)}))
            << scale;
    }
}

TEST_F(ClockScale, ScaleIsKeptWithinTheSupportedRange) {
    EXPECT_EQ(clock->Scale(), 100);
    const std::pair<int, int> cases[] = {{150, 150},  {99, 100},  {0, 100},
                                         {-200, 100}, {401, 400}, {400, 400}};
    for (auto [set, kept] : cases) {
        int paints = clock->Paints;
        clock->SetScale(set);
        EXPECT_EQ(clock->Scale(), kept) << set;
        EXPECT_EQ(clock->Paints, paints + 1) << "repainted at once, " << set;
    }
}

TEST_F(ClockScale, ANewScaleKeepsOnlyThePicturesOnShow) {
    ShowAt(kFormats[ctLargeStandard], 100);
    const int64_t shown = TBitmap::LiveCount();
    ShowAt(kFormats[ctLargeStandard], 200);
    EXPECT_EQ(TBitmap::LiveCount(), shown);
    ShowAt(kFormats[ctLargeStandard], 150);
    EXPECT_EQ(TBitmap::LiveCount(), shown);
}

TEST(ClockCropScale, ScaledPicturesAreCutWithTheScaledBorders) {
    struct TCase {
        int Scale;
        TRect Square, Rect;
    };
    const TCase cases[] = {
        {100, {4, 4, 14, 14}, {3, 6, 15, 12}},
        {125, {5, 5, 18, 18}, {4, 8, 19, 15}},   // a 23-pixel picture
        {150, {6, 6, 21, 21}, {5, 9, 22, 18}},   // 27: borders of 6 (4.5 up) and 5 (4.5 up), 9
        {200, {8, 8, 28, 28}, {6, 12, 30, 24}},  // 36
        {300, {12, 12, 42, 42}, {9, 18, 45, 36}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Scale);
        TBitmap art = LoadClockArt(clockart::kKeyedGreenOn, c.Scale);
        ASSERT_EQ(art.Width(), AtScale(18, c.Scale));
        TBitmap square(art), rect(art);
        TBinaryClock::MakeSquareLed(square, c.Scale);
        TBinaryClock::MakeRectLed(rect, c.Scale);
        EXPECT_TRUE(SamePixels(square, Cropped(art, c.Square)));
        EXPECT_TRUE(SamePixels(rect, Cropped(art, c.Rect)));
    }
}

}  // namespace
}  // namespace clocktest
