// The real program under a private X server with a window manager, for end-to-end tests:
// starting it with its settings in a throw-away folder, finding its windows (the clock, its
// dialogs, its popup menu) by what the server knows of them, driving it with xdotool, and
// ending it. The program is the clock unless a fixture names another one (ProgramPath) and
// says which title its main window has (IsMainTitle).
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cctype>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/gfx/types.h"
#include "platform/os/tempconfighome.h"
#include "tests/support/xvfb.h"

// Xlib last: its macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

namespace ztest {

using namespace std::chrono_literals;

// Waits until condition holds, checking every 20 ms for at most timeout.
inline bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 5000ms) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

class TProgramFixture : public ::testing::Test {
protected:
    TTempConfigHome home;
    std::unique_ptr<ztest::TXvfb> x;
    Display* display = nullptr;
    ztest::TChildProcess clock;

    void SetUp() override {
        for (const char* tool : {"Xvfb", "openbox", "xdotool"}) {
            if (ProgramOnPath(tool)) continue;
            if (XToolsRequired()) FAIL() << tool << " is not installed (ZT_REQUIRE_X_TOOLS is set)";
            GTEST_SKIP() << tool << " is not installed";
        }
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

    // The program the fixture starts, and whether a title is its main window's.
    virtual std::string ProgramPath() const {
#ifdef ZT_ZENTICK_PATH
        return ZT_ZENTICK_PATH;
#else
        return {};
#endif
    }
    virtual bool IsMainTitle(const std::string& title) const {
        return title == "Form1";
    }
    // The program's WM_CLASS: its instance name; the class is the same capitalised.
    virtual std::string InstanceName() const { return "zentick"; }

    // Starts the program with arguments; extraEnv entries ("NAME=value") add to its
    // environment.
    void Start(const std::vector<std::string>& extraEnv = {},
               const std::vector<std::string>& arguments = {}) {
        std::vector<std::string> env = {"DISPLAY=" + x->Display()};
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        std::vector<std::string> argv = {ProgramPath()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        ASSERT_TRUE(clock.Start(argv, env));
        ASSERT_TRUE(WaitFor([&] { return Find() != 0; })) << "the program's window did not appear";
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

    // The first mapped window of the running program (its WM_CLASS and _NET_WM_PID) that
    // matches, or 0. The window of a clock that has just ended may still be on the server,
    // so the process is checked too.
    Window FindWindow(const std::function<bool(Window, const XWindowAttributes&)>& match) {
        std::function<Window(Window)> search = [&](Window w) -> Window {
            XClassHint hint{};
            if (XGetClassHint(display, w, &hint)) {
                std::string instance = InstanceName(), className = instance;
                className[0] = char(std::toupper(static_cast<unsigned char>(className[0])));
                bool ours = hint.res_name && hint.res_class && hint.res_name == instance &&
                            hint.res_class == className && WindowPid(w) == clock.Pid();
                XFree(hint.res_name);
                XFree(hint.res_class);
                XWindowAttributes a{};
                if (ours && XGetWindowAttributes(display, w, &a) && a.map_state == IsViewable && match(w, a))
                    return w;
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
    // The program's main window: the managed window with its title ("Form1" for the clock).
    Window Find() {
        return FindWindow([&](Window w, const XWindowAttributes& a) {
            return !a.override_redirect && IsMainTitle(Title(w));
        });
    }
    // A managed window of the clock by its title (a dialog or a message box), or 0.
    Window FindTitled(const std::string& title) {
        return FindWindow([&](Window w, const XWindowAttributes& a) { return !a.override_redirect && Title(w) == title; });
    }
    // The open popup menu (an override-redirect window), or 0.
    Window FindMenu() {
        return FindWindow([](Window, const XWindowAttributes& a) { return a.override_redirect; });
    }

    std::string Title(Window w) {
        char* name = nullptr;
        std::string title;
        if (XFetchName(display, w, &name) && name) title = name;
        if (name) XFree(name);
        return title;
    }

    Window TransientFor(Window w) {
        Window owner = 0;
        return XGetTransientForHint(display, w, &owner) ? owner : 0;
    }

    // The sizes in a window's _NET_WM_ICON, as "16x16" words, after checking that the
    // property holds whole pictures.
    std::vector<std::string> IconSizes(Window w) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::vector<std::string> sizes;
        if (XGetWindowProperty(display, w, XInternAtom(display, "_NET_WM_ICON", False), 0, 1 << 20,
                               False, XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
            data && format == 32) {
            auto* items = reinterpret_cast<unsigned long*>(data);
            for (unsigned long at = 0; at + 2 <= count;) {
                const unsigned long width = items[at] & 0xFFFFFFFFu, height = items[at + 1] & 0xFFFFFFFFu;
                if (width * height > count - at - 2) {
                    sizes.push_back("truncated");
                    break;
                }
                sizes.push_back(std::to_string(width) + "x" + std::to_string(height));
                at += 2 + width * height;
            }
        }
        if (data) XFree(data);
        return sizes;
    }

    // The names of the atoms in a window's property of type ATOM.
    std::vector<std::string> AtomNames(Window w, const char* property) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::vector<std::string> names;
        if (XGetWindowProperty(display, w, XInternAtom(display, property, False), 0, 64, False, XA_ATOM, &type,
                               &format, &count, &after, &data) == Success && data) {
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

    // The window that has the keyboard focus.
    Window FocusWindow() {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(display, &focus, &revert);
        return focus;
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

    bool HasState(Window w, const std::string& state) {
        auto states = AtomNames(w, "_NET_WM_STATE");
        return std::find(states.begin(), states.end(), state) != states.end();
    }

    // Runs xdotool on the display with the given commands.
    void Xdotool(const std::string& commands) {
        SCOPED_TRACE(commands);
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

}  // namespace ztest
