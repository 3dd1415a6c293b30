// The main window as a whole, on the headless desktop in virtual time, with its settings
// in a throw-away per-user registry.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/support/clock_fixture.h"
#include "tests/support/stored_settings.h"

namespace {

using ztest::Store;
using ztest::Stored;

using ClockWindow = ztest::TClockFixture;

TEST_F(ClockWindow, FirstStartShowsThePanelForFiveSecondsAtTheMiddleOfTheScreen) {
    Start();
    EXPECT_EQ(Window().Bounds(), (TRect{512, 384, 512 + 150, 384 + 90}));
    EXPECT_TRUE(form->PanelStartup->Visible());
    EXPECT_FALSE(form->BinaryClock->Visible());
    // The fifteen defaults are stored at once.
    for (auto [name, value] : {std::pair{"viewertop", 384},
                               {"viewerleft", 512},
                               {"alwaysontop", 0},
                               {"24hour", 1},
                               {"bcd", 1},
                               {"bcdhide", 1},
                               {"secondshide", 0},
                               {"autoload", 0},
                               {"hidetask", 1},
                               {"type", 0},
                               {"back", 0},
                               {"ledcolor", 0},
                               {"ledshape", 0},
                               {"movearound", 0},
                               {"scale", 0}})
        EXPECT_EQ(Stored(name), value) << name;
    EXPECT_FALSE(Stored("viewerwidth"));
    app.Run(4999);
    EXPECT_TRUE(form->PanelStartup->Visible());
    app.Run(1);
    EXPECT_FALSE(form->PanelStartup->Visible());
    EXPECT_TRUE(form->BinaryClock->Visible());
    // The window's shape is the stored outline of the picture: 13 rectangles.
    ASSERT_TRUE(Window().Shape());
    EXPECT_EQ(Window().Shape()->Rects().size(), 13u);
    EXPECT_EQ(Window().Shape()->Bounds(), (TRect{2, 2, 148, 86}));
}

TEST_F(ClockWindow, HiddenSecondsNarrowTheShapeAndSkipThePanel) {
    Store("secondshide", 1);
    Start();
    EXPECT_FALSE(form->PanelStartup->Visible());
    EXPECT_TRUE(form->BinaryClock->Visible());
    EXPECT_EQ(Window().Bounds().Width(), 150);
    // The squeezed picture is 104 pixels wide; its last column is margin.
    EXPECT_EQ(ShapeWidth(), 103);
    for (int x = 104; x < 150; ++x)
        ASSERT_FALSE(Window().Covers({x, 45})) << x;
}

// One window switched between the Transparent background and each picture: the colour
// key comes with Transparent and goes again with the picture.
TEST_F(ClockWindow, TransparentBackgroundKeysBlackAndOnlyThere) {
    Store("back", 3);
    Store("secondshide", 1);  // no panel over the clock
    Start();
    // A black pixel of the clock face, under the clock's own black.
    const TPoint black = form->BinaryClock->ClientToScreen({1, 1}) - Window().Bounds().TopLeft();
    EXPECT_EQ(Window().ColorKey(), std::optional<TColor>(clBlack));
    EXPECT_FALSE(Window().Covers(black));
    for (int back : {0, 3, 1, 3, 2}) {
        SCOPED_TRACE(back);
        form->Settings.Back = back;
        form->ApplySettings();
        app.Run();
        EXPECT_EQ(Window().ColorKey().has_value(), back == 3);
        EXPECT_EQ(Window().Covers(black), back != 3);
        EXPECT_EQ(form->BinaryClock->ModeTransparentLed(), back != 0 ? 1 : 0);
    }
}

TEST_F(ClockWindow, TheXClosesThePanelEarly) {
    Start();
    app.Run(1000);
    TPoint x = form->Label4->ClientToScreen({2, 5});
    screen.Click(x.X, x.Y);
    app.Run();
    EXPECT_FALSE(form->PanelStartup->Visible());
    EXPECT_TRUE(form->BinaryClock->Visible());
    app.Run(5000);  // the timer later changes nothing
    EXPECT_FALSE(form->PanelStartup->Visible());
}

TEST_F(ClockWindow, HideTaskLeavesNoTaskbarButtonFromTheFirstShowingOn) {
    Start();
    EXPECT_FALSE(Window().TaskbarButton());
    app.Run(1000);
    EXPECT_FALSE(Window().TaskbarButton());
}

TEST_F(ClockWindow, KeptTaskbarButtonWhenHideTaskIsOff) {
    Store("hidetask", 0);
    Start();
    app.Run(1000);
    EXPECT_TRUE(Window().TaskbarButton());
}

TEST_F(ClockWindow, DraggingTheClockFaceHasAOnePixelDeadZoneAndSavesAtTheEnd) {
    Store("secondshide", 1);  // no panel over the clock
    Start();
    TRect start = Window().Bounds();
    TPoint p = form->BinaryClock->ClientToScreen({20, 20});
    screen.MouseDown(p.X, p.Y);
    screen.MouseMove(p.X + 1, p.Y + 1);
    app.Run();
    EXPECT_EQ(Window().Bounds(), start);
    screen.MouseMove(p.X + 2, p.Y);
    app.Run();
    EXPECT_EQ(Window().Bounds(), start.Offset(2, 0));
    screen.MouseMove(p.X + 40, p.Y + 30);
    screen.MouseUp(p.X + 40, p.Y + 30);
    app.Run();
    EXPECT_EQ(Window().Bounds(), start.Offset(40, 30));
    EXPECT_EQ(Stored("viewerleft"), start.Left + 40);
    EXPECT_EQ(Stored("viewertop"), start.Top + 30);
    EXPECT_EQ(Stored("viewerwidth"), 150);
    EXPECT_FALSE(form->DragMoved);
}

TEST_F(ClockWindow, AClickWithoutMovingSavesNothing) {
    Store("secondshide", 1);
    Start();
    TPoint p = form->BinaryClock->ClientToScreen({20, 20});
    screen.Click(p.X, p.Y);
    screen.After(20, [&] { screen.PressKey(VK_ESCAPE); });  // the click opened the menu
    app.Run(100);
    EXPECT_FALSE(Stored("viewerwidth"));
}

TEST_F(ClockWindow, QuitSavesEverythingWithThePosition) {
    Store("type", 1);
    Start();
    EXPECT_EQ(Window().Bounds().Width(), 76);
    form->Close();
    app.Run();
    EXPECT_TRUE(Application->Terminated());
    form->Free();
    form = nullptr;
    EXPECT_EQ(Stored("type"), 1);
    EXPECT_EQ(Stored("viewerwidth"), 76);
    EXPECT_EQ(Stored("viewerheight"), 46);
    EXPECT_EQ(Stored("viewerleft"), 512);
}

TEST_F(ClockWindow, OutOfRangeValuesKeepTheWindowAsItIs) {
    Store("type", 9);
    Store("back", -5);
    Store("ledcolor", 77);
    Store("ledshape", -1);
    Start();
    app.Run(6000);
    // The designed 150 x 90 window with its stored outline; the clock draws no cells.
    EXPECT_EQ(Window().Bounds().Width(), 150);
    EXPECT_EQ(Window().Bounds().Height(), 90);
    ASSERT_TRUE(Window().Shape());
    EXPECT_EQ(Window().Shape()->Bounds(), (TRect{2, 2, 148, 86}));
    EXPECT_EQ(form->BinaryClock->Type(), 9);
    Quit();
    EXPECT_EQ(Stored("type"), 9);
    EXPECT_EQ(Stored("back"), -5);
}

// With no picture for the stored format or background, the window keeps its outline when
// it stays on top (a change of stacking makes the window anew), at the start and when the
// stacking changes later.
TEST_F(ClockWindow, OutOfRangeValuesWithStayOnTopKeepTheOutline) {
    for (auto [type, back] : {std::pair{9, 0}, std::pair{0, -5}, std::pair{-1, 7}}) {
        SCOPED_TRACE(std::to_string(type) + ", " + std::to_string(back));
        TTempConfigHome fresh;
        Store("type", type);
        Store("back", back);
        Store("alwaysontop", 1);
        Start();
        for (int onTop : {1, 0, 1}) {
            form->Settings.OnTop = onTop;
            form->ApplySettings();
            app.Run();
            EXPECT_EQ(Window().StayOnTop(), onTop == 1);
            ASSERT_TRUE(Window().Shape()) << onTop;
            EXPECT_EQ(Window().Shape()->Rects().size(), 13u);
            EXPECT_EQ(Window().Shape()->Bounds(), (TRect{2, 2, 148, 86}));
            // The white corner of the picture is outside the window.
            EXPECT_FALSE(Window().Covers({0, 0}));
        }
        form->Free();
        form = nullptr;
    }
}

TEST_F(ClockWindow, AValidTypeWithABackgroundOutOfRangeKeepsThePicture) {
    Store("type", 1);
    Store("back", 9);
    Start();
    EXPECT_EQ(Window().Bounds().Width(), 150);  // nothing changed the designed window
    EXPECT_EQ(form->BinaryClock->Type(), 1);
}

TEST_F(ClockWindow, DraggingThePictureStillWorksWhenTheWindowStaysOnTop) {
    Store("alwaysontop", 1);
    Store("secondshide", 1);
    Start();
    EXPECT_TRUE(Window().StayOnTop());
    TRect start = Window().Bounds();
    // The frame of the picture, outside the clock face.
    TPoint p{start.Left + 75, start.Top + 4};
    screen.At(app.Now() + 10, [&] { screen.MouseDown(p.X, p.Y); });
    screen.At(app.Now() + 20, [&] { screen.MouseMove(p.X + 20, p.Y + 10); });
    screen.At(app.Now() + 30, [&] { screen.MouseMove(p.X + 30, p.Y + 40); });
    screen.At(app.Now() + 40, [&] { screen.MouseUp(p.X + 30, p.Y + 40); });
    app.Run(100);
    EXPECT_EQ(Window().Bounds().TopLeft(), (TPoint{start.Left + 20, start.Top + 10}))
        << "the outline lags one pointer event, as the drag reads the pointer before each wait";
    EXPECT_EQ(screen.OutlinePixelsInverted(), 0);
}

}  // namespace
