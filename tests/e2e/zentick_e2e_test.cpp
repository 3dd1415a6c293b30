// The real program under a private X server with a window manager, driven with xdotool:
// where its window appears and with what shape, the window manager hints, dragging by the
// face and by the frame, and saving the position when it is told to end.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "tests/support/stored_settings.h"
#include "tests/support/x11_program.h"

namespace {

using ztest::Store;
using ztest::Stored;
using ztest::WaitFor;
using namespace std::chrono_literals;

using Program = ztest::TProgramFixture;

TEST_F(Program, OpensAtTheMiddleOfTheScreenWithTheClocksShape) {
    Start();
    Window w = Find();
    EXPECT_EQ(Geometry(w), (TRect{512, 384, 512 + 150, 384 + 90}));
    std::vector<TRect> shape = Shape(w);
    // The outline of the picture: a 146 x 84 body with rounded corners.
    TRect bounds;
    int area = 0;
    for (const TRect& r : shape) {
        bounds = bounds.Union(r);
        area += r.Width() * r.Height();
    }
    EXPECT_EQ(bounds, (TRect{2, 2, 148, 86}));
    EXPECT_GT(area, 146 * 84 - 120);
    EXPECT_LT(area, 146 * 84);
    // Found by its WM_CLASS ("zentick", "Zentick"), with its icon in every size a dock asks
    // for.
    EXPECT_EQ(IconSizes(w), (std::vector<std::string>{"16x16", "32x32", "48x48", "64x64"}));
}

TEST_F(Program, OpensAtTheStoredPlace) {
    Store("viewerleft", 100);
    Store("viewertop", 200);
    Store("type", 1);
    Start();
    EXPECT_EQ(Geometry(Find()), (TRect{100, 200, 100 + 76, 200 + 46}));
}

TEST_F(Program, StaysOnTopAndLeavesTheTaskbarWhenAsked) {
    Store("alwaysontop", 1);
    Start();
    Window w = Find();
    EXPECT_TRUE(WaitFor([&] { return HasState(w, "_NET_WM_STATE_ABOVE"); }));
    // Hide the taskbar button is on by default: gone within a tick.
    EXPECT_TRUE(WaitFor([&] { return HasState(w, "_NET_WM_STATE_SKIP_TASKBAR"); }, 2000ms));
}

TEST_F(Program, KeepsItsTaskbarButtonWhenAsked) {
    Store("hidetask", 0);
    Start();
    Window w = Find();
    std::this_thread::sleep_for(600ms);  // a few ticks of the clock
    EXPECT_FALSE(HasState(w, "_NET_WM_STATE_SKIP_TASKBAR"));
    EXPECT_FALSE(HasState(w, "_NET_WM_STATE_ABOVE"));
}

TEST_F(Program, FollowsADragOnTheFaceAndSavesWhereItWasDropped) {
    Store("secondshide", 1);  // no greeting panel over the face
    Start();
    Window w = Find();
    TRect start = Geometry(w);
    int px = start.Left + 30, py = start.Top + 30;  // on the clock face
    Xdotool("mousemove " + std::to_string(px) + " " + std::to_string(py) +
            " sleep 0.1 mousedown 1 sleep 0.1 " + "mousemove " + std::to_string(px + 50) + " " +
            std::to_string(py + 30) + " sleep 0.2 mouseup 1");
    ASSERT_TRUE(WaitFor([&] {
        return Geometry(w).TopLeft() == TPoint{start.Left + 50, start.Top + 30};
    })) << "at "
        << Geometry(w).Left << "," << Geometry(w).Top;
    EXPECT_TRUE(WaitFor([&] { return Stored("viewerleft") == start.Left + 50; }));
    EXPECT_EQ(Stored("viewertop"), start.Top + 30);
}

TEST_F(Program, FollowsADragOnThePictureFrameAndSavesItOnSigterm) {
    Store("secondshide", 1);
    Start();
    Window w = Find();
    TRect start = Geometry(w);
    int px = start.Left + 50, py = start.Top + 4;  // the frame above the face
    auto at = [](int x0, int y0) { return std::to_string(x0) + " " + std::to_string(y0); };
    Xdotool("mousemove " + at(px, py) + " sleep 0.1 mousedown 1 sleep 0.2 mousemove " +
            at(px + 10, py) + " sleep 0.2 mousemove " + at(px + 60, py + 40) +
            " sleep 0.2 mousemove " + at(px + 61, py + 40) + " sleep 0.2 mouseup 1");
    // The outline follows the pointer as read before each wait, one event behind.
    ASSERT_TRUE(WaitFor([&] {
        return Geometry(w).TopLeft() == TPoint{start.Left + 60, start.Top + 40};
    })) << "at "
        << Geometry(w).Left << "," << Geometry(w).Top;
    EXPECT_NE(Stored("viewerleft"), start.Left + 60)
        << "a drag on the frame saves nothing by itself";
    EXPECT_EQ(Terminate(), 0);
    EXPECT_EQ(Stored("viewerleft"), start.Left + 60);
    EXPECT_EQ(Stored("viewertop"), start.Top + 40);
}

TEST_F(Program, InterruptAndHangUpEndItAsQuitDoes) {
    for (int signal : {SIGINT, SIGHUP}) {
        Start();
        int status = Terminate(signal);
        EXPECT_TRUE(WIFEXITED(status)) << signal;
        EXPECT_EQ(WEXITSTATUS(status), 0) << signal;
        EXPECT_EQ(Stored("viewerwidth"), 150) << "the settings were saved";
    }
}

TEST_F(Program, EndsWithExitCodeZeroWhenTheWindowManagerClosesIt) {
    Start();
    Window w = Find();
    // What a window manager sends when the user closes the window.
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, w, False, NoEventMask, &e);
    XFlush(display);
    int status = -1;
    ASSERT_TRUE(WaitFor([&] { return waitpid(clock.Pid(), &status, WNOHANG) == clock.Pid(); }));
    clock = ztest::TChildProcess();
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(Stored("viewerwidth").has_value()) << "closing saves the settings";
}

}  // namespace
