// A clock that cannot be lost: a window no screen shows comes back (at start and when the
// monitors change), and the settings are kept when the window or the display goes away.
#include <gtest/gtest.h>

#include "platform/native/native.h"
#include "tests/support/clock_fixture.h"
#include "tests/support/stored_settings.h"

namespace {

using ztest::Store;
using ztest::Stored;

using UnlosableClock = ztest::TClockFixture;

// One monitor of this size at the origin.
void OneMonitor(native::THeadlessBackend& screen, int width, int height) {
    screen.SetMonitors({{TRect{0, 0, width, height}, 96}});
}

TEST_F(UnlosableClock, AWindowStoredBeyondASmallerScreenComesBackTheLeastWay) {
    OneMonitor(screen, 640, 480);
    Store("viewerleft", 1700);
    Store("viewertop", 950);
    Start();
    EXPECT_EQ(Window().Bounds(), TRect::FromSize(640 - 150, 480 - 90, 150, 90));
    EXPECT_EQ(Stored("viewerleft"), 1700) << "the stored place changes at the next save only";
    Quit();
    EXPECT_EQ(Stored("viewerleft"), 490);
    EXPECT_EQ(Stored("viewertop"), 390);
}

TEST_F(UnlosableClock, AWindowPartlyOnTheScreenStaysWhereItIs) {
    OneMonitor(screen, 640, 480);
    Store("viewerleft", 640 - 40);  // 40 x 90 pixels of it show
    Store("viewertop", -20);
    Start();
    EXPECT_EQ(Window().Bounds().TopLeft(), (TPoint{600, -20}));
}

TEST_F(UnlosableClock, PositionsBeyondSixteenBitsAreClampedAndBroughtBack) {
    Store("viewerleft", 40000);
    Store("viewertop", -70000);
    Start();
    EXPECT_EQ(Window().Bounds().TopLeft(), (TPoint{1024 - 150, 0}));
    Quit();
    EXPECT_EQ(Stored("viewerleft"), 1024 - 150);
    EXPECT_EQ(Stored("viewertop"), 0);
}

TEST_F(UnlosableClock, AMonitorThatGoesTakesNoClockWithIt) {
    screen.SetMonitors({{TRect{0, 0, 1024, 768}, 96}, {TRect{1024, 0, 1024 + 1280, 1024}, 96}});
    Store("viewerleft", 1800);
    Store("viewertop", 900);
    Start();
    EXPECT_EQ(Window().Bounds().TopLeft(), (TPoint{1800, 900})) << "on the second monitor";
    // The second monitor is unplugged.
    OneMonitor(screen, 1024, 768);
    app.Run(10);
    EXPECT_EQ(Window().Bounds().TopLeft(), (TPoint{1024 - 150, 768 - 90}));
    // Plugged in again: the clock stays where it was brought; it never moves by itself.
    screen.SetMonitors({{TRect{0, 0, 1024, 768}, 96}, {TRect{1024, 0, 1024 + 1280, 1024}, 96}});
    app.Run(10);
    EXPECT_EQ(Window().Bounds().TopLeft(), (TPoint{1024 - 150, 768 - 90}));
}

TEST_F(UnlosableClock, AWindowDestroyedByAnotherProgramSavesAndEnds) {
    Store("secondshide", 1);
    Start();
    screen.MoveByWindowManager(&Window(), TRect::FromSize(200, 100, 150, 90));
    app.Run(10);
    screen.DestroyByAnotherProgram(&Window());
    app.Run(10);
    EXPECT_TRUE(Application->Terminated());
    DestroyApplicationForms();
    EXPECT_EQ(Stored("viewerleft"), 200);
    EXPECT_EQ(Stored("viewertop"), 100);
}

TEST_F(UnlosableClock, AWindowDestroyedUnderADialogStillEndsTheProgram) {
    Start();
    screen.After(100, [&] { screen.DestroyByAnotherProgram(&Window()); });
    form->Settings1Click(nullptr);  // the settings dialog, until the program ends
    EXPECT_TRUE(Application->Terminated());
}

TEST_F(UnlosableClock, TheDisplayGoneKeepsAPlaceMovedSinceTheLastSave) {
    Start();
    // Moved through the window manager's frame: nothing saves that by itself.
    screen.MoveByWindowManager(&Window(), TRect::FromSize(321, 123, 150, 90));
    app.Run(10);
    EXPECT_EQ(Stored("viewerleft"), 512);
    // What the backend does when the X server goes away, before the program ends.
    native::RunConnectionLostHandler();
    EXPECT_EQ(Stored("viewerleft"), 321);
    EXPECT_EQ(Stored("viewertop"), 123);
}

}  // namespace
