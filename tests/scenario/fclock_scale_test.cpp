// The main window at scales: from the density of its monitor or from the stored "scale";
// every format's geometry and outline, the start-up panel, the stored position, and a move
// to a monitor of another density.
#include <gtest/gtest.h>

#include <string>

#include "art/clockart.h"
#include "platform/native/monitor.h"
#include "tests/support/clock_fixture.h"
#include "tests/support/stored_settings.h"

namespace {

using ztest::Store;
using ztest::Stored;

// The flat black backgrounds by format, whose outlines the window takes.
constexpr int kFlatBlack[7] = {85, 84, 74, 83, 82, 73, 66};

int AtScale(int length, int scale) {
    return native::ScaleLength(length, scale);
}

class ClockScale : public ztest::TClockFixture {
protected:
    // Ends the running clock (which saves its settings), then starts it anew.
    void Restart() {
        DestroyApplicationForms();
        Start();
    }
    // The window's visible shape: its box and how many pixels it holds.
    struct TOutline {
        TRect Box;
        long Area = 0;
    };
    TOutline Outline() {
        TOutline o;
        if (!Window().Shape()) return o;
        o.Box = Window().Shape()->Bounds();
        for (const TRect& r : Window().Shape()->Rects())
            o.Area += long(r.Width()) * r.Height();
        return o;
    }
};

TEST_F(ClockScale, EveryFormatAtEveryScaleHasTheScaledGeometryAndTheOutlineOfItsPicture) {
    for (int type = 0; type < 7; ++type) {
        for (int scale : {100, 125, 150, 200, 300}) {
            SCOPED_TRACE("format " + std::to_string(type) + " at " + std::to_string(scale));
            DestroyApplicationForms();
            Store("type", type);
            Store("bcd", 0);
            Store("scale", scale);
            Start();
            const TForm1::TGeometry& g = TForm1::kGeometry[type];
            EXPECT_EQ(form->Scale(), scale);
            EXPECT_EQ(form->BinaryClock->Scale(), scale);
            EXPECT_EQ(form->fcImageForm1->DragTolerance(), AtScale(5, scale));
            EXPECT_EQ(Window().Bounds().Width(), AtScale(g.WindowWidth, scale));
            EXPECT_EQ(Window().Bounds().Height(), AtScale(g.WindowHeight, scale));
            EXPECT_EQ(form->BinaryClock->BoundsRect(),
                      TRect::FromSize(AtScale(g.ClockLeft, scale), AtScale(g.ClockTop, scale),
                                      AtScale(g.ClockWidth, scale), AtScale(g.ClockHeight, scale)));
            // The outline is cut from the picture at the scale: the window shows exactly the
            // pixels of the picture that are not its key colour.
            const TBitmap picture = LoadClockArt(kFlatBlack[type], scale);
            const TColor key = picture.Pixel(0, picture.Height() - 1);
            for (int y = 0; y < Window().Bounds().Height(); ++y)
                for (int x = 0; x < Window().Bounds().Width(); ++x) {
                    const bool inPicture = x < picture.Width() && y < picture.Height();
                    ASSERT_EQ(Window().Covers({x, y}), inPicture && picture.Pixel(x, y) != key)
                        << x << "," << y;
                }
        }
    }
}

TEST_F(ClockScale, AtTwiceTheDensityTheClockIsTwiceAsLargeWithTheOutlineOfTheLargerPicture) {
    Start();
    const TOutline design = Outline();
    EXPECT_EQ(design.Box, (TRect{2, 2, 148, 86}));
    screen.SetPixelsPerInch(192);
    Restart();
    EXPECT_EQ(Window().Bounds(), TRect::FromSize(512, 384, 300, 180));
    const TOutline twice = Outline();
    EXPECT_EQ(twice.Box, (TRect{4, 4, 296, 172}));
    EXPECT_NEAR(double(twice.Area), 4.0 * design.Area, 0.03 * 4.0 * design.Area);
    // The stored region is the design's; the larger one was cut from the 2x picture and is
    // finer than the design's doubled: more steps round the corners.
    EXPECT_GT(Window().Shape()->Rects().size(), 13u);
}

TEST_F(ClockScale, AStoredScaleOverridesTheDensityAndOthersReadAsAutomatic) {
    screen.SetPixelsPerInch(192);
    const std::pair<int, TSize> cases[] = {
        {100, {150, 90}}, {150, {225, 135}}, {300, {450, 270}},  {0, {300, 180}},
        {50, {300, 180}}, {401, {300, 180}}, {-200, {300, 180}},
    };
    for (auto [stored, size] : cases) {
        Store("scale", stored);
        Start();
        EXPECT_EQ(Window().Bounds().Width(), size.cx) << stored;
        EXPECT_EQ(Window().Bounds().Height(), size.cy) << stored;
        Quit();
        EXPECT_EQ(Stored("scale"), stored) << "kept as it was";
    }
}

TEST_F(ClockScale, TheStartupPanelAndItsTextScaleWithTheWindow) {
    Store("scale", 200);
    Start();
    ASSERT_TRUE(form->PanelStartup->Visible());
    EXPECT_EQ(form->PanelStartup->BoundsRect(), TRect::FromSize(8, 32, 284, 114));
    EXPECT_EQ(form->LabelTitle->BoundsRect().TopLeft(), (TPoint{48, 16}));
    EXPECT_EQ(form->LabelLink->BoundsRect().TopLeft(), (TPoint{38, 44}));
    EXPECT_EQ(form->Label4->BoundsRect().TopLeft(), (TPoint{260, 8}));
    EXPECT_EQ(form->LabelRight->Top(), 80);
    // 8 points at the window's 192 pixels per inch.
    for (TLabel* label : {form->LabelTitle, form->LabelRight, form->LabelLink, form->Label4}) {
        EXPECT_EQ(label->Font().Height(), -21) << label->Caption();
        EXPECT_EQ(label->Font().Size(), 8) << label->Caption();
    }
    // The centred label keeps its centre, and its text fits.
    EXPECT_EQ(form->LabelRight->Left() + form->LabelRight->Width() / 2, 34 + 214 / 2);
    EXPECT_GE(form->LabelRight->Width(),
              form->LabelRight->Font().Face().TextWidth(form->LabelRight->Caption()));
}

TEST_F(ClockScale, HiddenSecondsSqueezeThePictureOfTheScale) {
    Store("secondshide", 1);
    Store("scale", 200);
    Start();
    EXPECT_EQ(Window().Bounds().Width(), 300);
    // The design squeezes 150 to 104; at 200 % the picture becomes 208 wide, its last
    // columns margin.
    EXPECT_GT(ShapeWidth(), 200);
    EXPECT_LE(ShapeWidth(), 208);
    for (int x = 208; x < 300; ++x)
        ASSERT_FALSE(Window().Covers({x, 90})) << x;
}

TEST_F(ClockScale, PositionsStayInScreenPixels) {
    Store("viewerleft", 100);
    Store("viewertop", 200);
    Store("scale", 200);
    Start();
    EXPECT_EQ(Window().Bounds(), TRect::FromSize(100, 200, 300, 180));
    Quit();
    EXPECT_EQ(Stored("viewerleft"), 100);
    EXPECT_EQ(Stored("viewertop"), 200);
    EXPECT_EQ(Stored("viewerwidth"), 300);
    EXPECT_EQ(Stored("viewerheight"), 180);
}

// Two monitors side by side, the right one twice as dense.
class ClockOnTwoMonitors : public ClockScale {
protected:
    void SetUp() override {
        screen.SetMonitors({{{0, 0, 1024, 768}, 96}, {{1024, 0, 2048, 768}, 192}});
        Store("viewerleft", 100);
        Store("viewertop", 100);
    }
};

TEST_F(ClockOnTwoMonitors, TheAutomaticSizeFollowsTheMonitorTheWindowComesTo) {
    Start();
    EXPECT_EQ(Window().Bounds(), TRect::FromSize(100, 100, 150, 90));
    // Moved by the window manager onto the dense monitor: drawn anew at 200 %, about the
    // centre of the suggested rectangle (the window doubled about its centre).
    screen.MoveByWindowManager(&Window(), TRect::FromSize(1100, 100, 150, 90));
    app.Run();
    EXPECT_EQ(form->Scale(), 200);
    EXPECT_EQ(form->BinaryClock->Scale(), 200);
    EXPECT_EQ(Window().Bounds(), TRect::FromSize(1025, 55, 300, 180));
    EXPECT_EQ(Outline().Box, (TRect{4, 4, 296, 172}));
    // And back: the centre (1175, 145) comes to the first monitor at (900, 100).
    screen.MoveByWindowManager(&Window(), TRect::FromSize(800, 100, 300, 180));
    app.Run();
    EXPECT_EQ(form->Scale(), 100);
    EXPECT_EQ(Window().Bounds(), TRect::FromSize(875, 145, 150, 90));
    EXPECT_EQ(Outline().Box, (TRect{2, 2, 148, 86}));
}

TEST_F(ClockOnTwoMonitors, ADragOnTheFaceAcrossMonitorsKeepsThePointOfTheFaceUnderThePointer) {
    Store("secondshide", 1);
    Start();
    TPoint p = form->BinaryClock->ClientToScreen({20, 20});
    const TPoint grip = p - Window().Bounds().TopLeft();
    screen.MouseDown(p.X, p.Y);
    app.Run();
    // The centre passes onto the dense monitor at x = 1024.
    for (int x = p.X; x <= p.X + 1000; x += 100) {
        screen.MouseMove(x, p.Y);
        app.Run();
    }
    EXPECT_EQ(form->Scale(), 200);
    // The grip point of the face, doubled, is under the pointer again.
    EXPECT_EQ(screen.CursorPos() - Window().Bounds().TopLeft(), (TPoint{2 * grip.X, 2 * grip.Y}));
    screen.MouseUp(p.X + 1000, p.Y);
    app.Run();
    EXPECT_EQ(Stored("viewerleft"), Window().Bounds().Left);
}

TEST_F(ClockOnTwoMonitors, AChosenSizeStaysOnEveryMonitor) {
    Store("scale", 150);
    Start();
    screen.MoveByWindowManager(&Window(), TRect::FromSize(1100, 100, 225, 135));
    app.Run();
    EXPECT_EQ(form->Scale(), 150);
    EXPECT_EQ(Window().Bounds(), TRect::FromSize(1100, 100, 225, 135));
}

TEST_F(ClockOnTwoMonitors, AChangeOfTheMonitorsRedrawsAtTheNewDensity) {
    Start();
    screen.SetMonitors({{{0, 0, 1024, 768}, 144}});
    app.Run();
    EXPECT_EQ(form->Scale(), 150);
    EXPECT_EQ(Window().Bounds().Width(), 225);
}

}  // namespace
