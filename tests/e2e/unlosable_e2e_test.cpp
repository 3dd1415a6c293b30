// The real program where a clock could be lost: on a screen smaller than the one it was
// left on, when the screen shrinks under it, when another client destroys its window, and
// when the X server goes away after the clock was moved.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/stored_settings.h"
#include "tests/support/x11_program.h"
#include "tests/support/xorg_dummy.h"

namespace {

using ztest::Store;
using ztest::Stored;
using ztest::WaitFor;
using namespace std::chrono_literals;

using Program = ztest::TProgramFixture;

class SmallScreen : public ztest::TProgramFixture {
protected:
    std::string ScreenGeometry() const override { return "640x480x24"; }
};

TEST_F(SmallScreen, AClockLeftBeyondItComesBackOntoIt) {
    // Saved on a larger screen; "Hide Taskbar Button" on, so nothing else would reach it.
    Store("viewerleft", 1700);
    Store("viewertop", 950);
    Start();
    Window w = Find();
    EXPECT_TRUE(WaitFor([&] { return Geometry(w) == TRect::FromSize(490, 390, 150, 90); }))
        << "at " << Geometry(w).Left << "," << Geometry(w).Top;
    EXPECT_EQ(Terminate(), 0);
    EXPECT_EQ(Stored("viewerleft"), 490);
    EXPECT_EQ(Stored("viewertop"), 390);
}

TEST_F(SmallScreen, APositionBeyondSixteenBitsDoesNotWrapRound) {
    Store("viewerleft", 40000);  // -25536 once wrapped to 16 bits
    Store("viewertop", 100);
    Start();
    Window w = Find();
    EXPECT_TRUE(WaitFor([&] { return Geometry(w) == TRect::FromSize(490, 100, 150, 90); }))
        << "at " << Geometry(w).Left << "," << Geometry(w).Top;
    EXPECT_EQ(Terminate(), 0);
    EXPECT_EQ(Stored("viewerleft"), 490);
}

TEST_F(Program, KillingTheXServerKeepsAMoveAndEndsWithStatusOne) {
    Store("secondshide", 1);
    Start();
    Window w = Find();
    TRect start = Geometry(w);
    // Dragged by the picture around the face: nothing saves that by itself.
    int px = start.Left + 50, py = start.Top + 4;
    auto at = [](int x0, int y0) { return std::to_string(x0) + " " + std::to_string(y0); };
    Xdotool("mousemove " + at(px, py) + " sleep 0.1 mousedown 1 sleep 0.2 mousemove " +
            at(px + 10, py) + " sleep 0.2 mousemove " + at(px + 60, py + 40) +
            " sleep 0.2 mousemove " + at(px + 61, py + 40) + " sleep 0.2 mouseup 1");
    ASSERT_TRUE(WaitFor([&] {
        return Geometry(w).TopLeft() == TPoint{start.Left + 60, start.Top + 40};
    }));
    ASSERT_NE(Stored("viewerleft"), start.Left + 60);
    // The test's own connection goes first, so that losing the server does not end it.
    XCloseDisplay(display);
    display = nullptr;
    x->KillServer();
    const int status = WaitForExit();
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(Errors().find("zentick: the connection to the X server was lost"), std::string::npos)
        << Errors();
    EXPECT_EQ(Stored("viewerleft"), start.Left + 60);
    EXPECT_EQ(Stored("viewertop"), start.Top + 40);
}

TEST_F(Program, AWindowClosedByAnotherClientSavesAndEndsWithStatusZero) {
    Store("type", 1);
    Start();
    Window w = Find();
    Xdotool("windowclose " + std::to_string(w));
    const int status = WaitForExit();
    ASSERT_TRUE(WIFEXITED(status)) << "the program runs on without a window";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Stored("viewerwidth"), 76) << "the settings were saved";
}

// A screen that changes size under the running clock: Xorg's dummy driver, no window
// manager.
class ShrinkingScreen : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ztest::TXorgDummy::Installed())
            GTEST_SKIP() << "needs Xorg with the dummy driver, as root";
        server = std::make_unique<ztest::TXorgDummy>(1280, 1024);
        ASSERT_TRUE(server->Ok()) << server->Error();
        display = XOpenDisplay(server->Display().c_str());
        ASSERT_NE(display, nullptr);
    }
    void TearDown() override {
        clock.Stop();
        if (display) XCloseDisplay(display);
    }

    // The clock's top-level window (its only one of the instance name zentick), or 0.
    Window FindClock() {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        Window found = 0;
        if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
            return 0;
        for (unsigned i = 0; i < count && !found; ++i) {
            XClassHint hint{};
            XWindowAttributes a{};
            if (XGetClassHint(display, children[i], &hint)) {
                if (hint.res_name && std::string(hint.res_name) == "zentick" &&
                    XGetWindowAttributes(display, children[i], &a) && a.map_state == IsViewable &&
                    !a.override_redirect)
                    found = children[i];
                XFree(hint.res_name);
                XFree(hint.res_class);
            }
        }
        if (children) XFree(children);
        return found;
    }
    TRect Geometry(Window w) {
        XWindowAttributes a{};
        XGetWindowAttributes(display, w, &a);
        return TRect::FromSize(a.x, a.y, a.width, a.height);
    }

    TTempConfigHome home;
    std::unique_ptr<ztest::TXorgDummy> server;
    Display* display = nullptr;
    ztest::TChildProcess clock;
};

TEST_F(ShrinkingScreen, AClockTheScreenNoLongerShowsComesBack) {
    Store("viewerleft", 1000);
    Store("viewertop", 900);
    Store("secondshide", 1);
    ASSERT_TRUE(clock.Start({ZT_ZENTICK_PATH}, {"DISPLAY=" + server->Display()}));
    Window w = 0;
    ASSERT_TRUE(WaitFor([&] { return (w = FindClock()) != 0; }));
    ASSERT_TRUE(WaitFor([&] { return Geometry(w) == TRect::FromSize(1000, 900, 150, 90); }));
    // A smaller monitor: the clock would be off it.
    ASSERT_TRUE(server->SetSize(800, 600));
    EXPECT_TRUE(WaitFor([&] { return Geometry(w) == TRect::FromSize(650, 510, 150, 90); }))
        << "at " << Geometry(w).Left << "," << Geometry(w).Top;
    clock.Stop();
    EXPECT_EQ(Stored("viewerleft"), 650) << "saved at the end";
    EXPECT_EQ(Stored("viewertop"), 510);
}

}  // namespace
