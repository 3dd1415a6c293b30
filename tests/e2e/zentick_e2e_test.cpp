// The real program under a private X server with a window manager, driven with xdotool:
// where its window appears and with what shape, the window manager hints, dragging by the
// face and by the frame, and saving the position when it is told to end.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/gfx/types.h"
#include "platform/os/tempconfighome.h"
#include "tests/support/stored_settings.h"
#include "tests/support/xvfb.h"

// Xlib last: its macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

namespace {

using ztest::Store;
using ztest::Stored;

using namespace std::chrono_literals;

// Waits until condition holds, checking every 20 ms for at most timeout.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 5000ms) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

class Program : public ::testing::Test {
protected:
    TTempConfigHome home;
    std::unique_ptr<ztest::TXvfb> x;
    Display* display = nullptr;
    ztest::TChildProcess clock;

    void SetUp() override {
        if (!ztest::TXvfb::Installed()) GTEST_SKIP() << "Xvfb is not installed";
        x = std::make_unique<ztest::TXvfb>("1024x768x24");
        ASSERT_TRUE(x->Ok()) << x->Error();
        ASSERT_TRUE(x->StartWindowManager()) << "openbox did not start";
        display = XOpenDisplay(x->Display().c_str());
        ASSERT_NE(display, nullptr);
        // Windows come and go while the tests walk the window tree: a request about one
        // that has just gone fails, and that is no reason to end the test program.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    }
    void TearDown() override {
        clock.Stop();
        if (display) XCloseDisplay(display);
    }

    void Start() {
        ASSERT_TRUE(clock.Start({ZT_ZENTICK_PATH}, {"DISPLAY=" + x->Display()}));
        ASSERT_TRUE(WaitFor([&] { return Find() != 0; })) << "the clock's window did not appear";
    }

    // The process that owns a window (_NET_WM_PID), or 0.
    pid_t WindowPid(Window w) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        pid_t pid = 0;
        if (XGetWindowProperty(display, w, XInternAtom(display, "_NET_WM_PID", False), 0, 1, False,
                               XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
            data && count == 1 && format == 32)
            pid = pid_t(*reinterpret_cast<unsigned long*>(data));
        if (data) XFree(data);
        return pid;
    }

    // The running clock's mapped client window (WM_CLASS zentick), or 0. The window of a
    // clock that has just ended may still be on the server, so the process is checked too.
    Window Find() {
        std::function<Window(Window)> search = [&](Window w) -> Window {
            XClassHint hint{};
            if (XGetClassHint(display, w, &hint)) {
                bool ours = hint.res_class && std::string(hint.res_class) == "zentick" &&
                            WindowPid(w) == clock.Pid();
                XFree(hint.res_name);
                XFree(hint.res_class);
                XWindowAttributes a{};
                if (ours && XGetWindowAttributes(display, w, &a) && a.map_state == IsViewable) return w;
            }
            Window root = 0, parent = 0, *children = nullptr;
            unsigned count = 0;
            if (!XQueryTree(display, w, &root, &parent, &children, &count)) return 0;
            Window found = 0;
            for (unsigned i = 0; i < count && !found; ++i) found = search(children[i]);
            if (children) XFree(children);
            return found;
        };
        return search(DefaultRootWindow(display));
    }

    TRect Geometry(Window w) {
        XWindowAttributes a{};
        XGetWindowAttributes(display, w, &a);
        int x0 = 0, y0 = 0;
        Window child = 0;
        XTranslateCoordinates(display, w, DefaultRootWindow(display), 0, 0, &x0, &y0, &child);
        return TRect::FromSize(x0, y0, a.width, a.height);
    }

    std::vector<TRect> Shape(Window w) {
        int count = 0, ordering = 0;
        XRectangle* rects = XShapeGetRectangles(display, w, ShapeBounding, &count, &ordering);
        std::vector<TRect> result;
        for (int i = 0; i < count; ++i)
            result.push_back(TRect::FromSize(rects[i].x, rects[i].y, rects[i].width, rects[i].height));
        if (rects) XFree(rects);
        return result;
    }

    std::vector<std::string> NetWmState(Window w) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::vector<std::string> names;
        if (XGetWindowProperty(display, w, XInternAtom(display, "_NET_WM_STATE", False), 0, 64, False, XA_ATOM,
                               &type, &format, &count, &after, &data) == Success && data) {
            auto* atoms = reinterpret_cast<Atom*>(data);
            for (unsigned long i = 0; i < count; ++i) {
                char* name = XGetAtomName(display, atoms[i]);
                names.emplace_back(name);
                XFree(name);
            }
            XFree(data);
        }
        return names;
    }

    bool HasState(Window w, const std::string& state) {
        auto states = NetWmState(w);
        return std::find(states.begin(), states.end(), state) != states.end();
    }

    // Runs xdotool on the display with the given commands.
    void Xdotool(const std::string& commands) {
        std::string command = "DISPLAY=" + x->Display() + " xdotool " + commands;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }

    // Sends a signal and waits for the program to end; returns its exit status.
    int Terminate(int signal = SIGTERM) {
        pid_t pid = clock.Pid();
        kill(pid, signal);
        int status = 0;
        waitpid(pid, &status, 0);
        clock = ztest::TChildProcess();  // already reaped
        return status;
    }
};

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
    Xdotool("mousemove " + std::to_string(px) + " " + std::to_string(py) + " sleep 0.1 mousedown 1 sleep 0.1 " +
            "mousemove " + std::to_string(px + 50) + " " + std::to_string(py + 30) + " sleep 0.2 mouseup 1");
    ASSERT_TRUE(WaitFor([&] { return Geometry(w).TopLeft() == TPoint{start.Left + 50, start.Top + 30}; }))
        << "at " << Geometry(w).Left << "," << Geometry(w).Top;
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
    Xdotool("mousemove " + at(px, py) + " sleep 0.1 mousedown 1 sleep 0.2 mousemove " + at(px + 10, py) +
            " sleep 0.2 mousemove " + at(px + 60, py + 40) + " sleep 0.2 mousemove " + at(px + 61, py + 40) +
            " sleep 0.2 mouseup 1");
    // The outline follows the pointer as read before each wait, one event behind.
    ASSERT_TRUE(WaitFor([&] { return Geometry(w).TopLeft() == TPoint{start.Left + 60, start.Top + 40}; }))
        << "at " << Geometry(w).Left << "," << Geometry(w).Top;
    EXPECT_NE(Stored("viewerleft"), start.Left + 60) << "a drag on the frame saves nothing by itself";
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
