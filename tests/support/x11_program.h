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
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/gfx/types.h"
#include "tests/support/tempconfighome.h"
#include "tests/support/xvfb.h"

// Xlib last: its macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

namespace ztest {

using namespace std::chrono_literals;

// Waits until condition holds, checking every 20 ms for at most timeout.
inline bool WaitFor(const std::function<bool()>& condition,
                    std::chrono::milliseconds timeout = 5000ms) {
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
    std::unique_ptr<ztest::TXServer> x;
    Display* display = nullptr;
    ztest::TChildProcess clock;
    // Set before SetUp runs: options for Xvfb (as "-dpi", "192"), and X resources that
    // the server holds for its clients (RESOURCE_MANAGER, as xrdb loads them; for example
    // "Xft.dpi:\t192\n").
    std::vector<std::string> serverOptions;
    std::string resources;
    ztest::TChildProcess otherManager_{SIGKILL};  // a window manager has nothing to save
    std::string managerHome_;

    void SetUp() override {
        const std::string manager = WindowManager();
        for (const std::string& tool : {std::string("Xvfb"), manager, std::string("xdotool")}) {
            if (ProgramOnPath(tool)) continue;
            if (XToolsRequired()) FAIL() << tool << " is not installed (ZT_REQUIRE_X_TOOLS is set)";
            GTEST_SKIP() << tool << " is not installed";
        }
        x = MakeServer();
        ASSERT_TRUE(x && x->Ok()) << (x ? x->Error() : "no server");
        if (manager == "openbox") {
            ASSERT_TRUE(x->StartWindowManager()) << "openbox did not start";
        }
        display = XOpenDisplay(x->Display().c_str());
        ASSERT_NE(display, nullptr);
        if (!resources.empty()) {
            XChangeProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, XA_STRING, 8,
                            PropModeReplace,
                            reinterpret_cast<const unsigned char*>(resources.data()),
                            int(resources.size()));
            XSync(display, False);
        }
        // Windows come and go while the tests walk the window tree: a request about one
        // that has just gone fails, and that is no reason to end the test program.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        if (manager != "openbox") StartOtherWindowManager(manager);
    }
    void TearDown() override {
        clock.Stop();
        otherManager_.Stop();
        if (!managerHome_.empty()) std::filesystem::remove_all(managerHome_);
        if (display) XCloseDisplay(display);
    }

    // The X server the fixture starts: Xvfb with one screen of ScreenGeometry() and
    // serverOptions.
    virtual std::unique_ptr<ztest::TXServer> MakeServer() {
        return std::make_unique<ztest::TXServer>(ScreenGeometry(), 20000, serverOptions);
    }

    // The colour of a pixel of a window (its own coordinates), as 0xRRGGBB.
    unsigned long PixelOf(Window w, int x, int y) {
        XImage* image = XGetImage(display, w, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image) return ~0ul;
        unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        return pixel;
    }

    // The size and depth of the server's screen.
    virtual std::string ScreenGeometry() const { return "1024x768x24"; }

    // The window manager the program runs under: openbox, or "icewm", "fluxbox" or "i3".
    virtual std::string WindowManager() const { return "openbox"; }

    // Starts a window manager other than openbox with its built-in settings (a home of its
    // own, an empty configuration for i3) and waits until it manages the screen: it then
    // names itself on the root window (_NET_SUPPORTING_WM_CHECK).
    void StartOtherWindowManager(const std::string& manager) {
        char dir[] = "/tmp/zt-wm-XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        managerHome_ = dir;
        std::vector<std::string> argv = {manager};
        if (manager == "i3") {
            std::string config = managerHome_ + "/i3.config";
            if (FILE* file = std::fopen(config.c_str(), "w")) {
                std::fputs("# built-in settings\n", file);
                std::fclose(file);
            }
            argv = {"i3", "-c", config};
        }
        ASSERT_TRUE(otherManager_.Start(argv, {"DISPLAY=" + x->Display(), "HOME=" + managerHome_,
                                               "XDG_CONFIG_HOME=" + managerHome_}));
        Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
        ASSERT_TRUE(WaitFor(
            [&] {
                Atom type = 0;
                int format = 0;
                unsigned long count = 0, after = 0;
                unsigned char* data = nullptr;
                bool set = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1,
                                              False, XA_WINDOW, &type, &format, &count, &after,
                                              &data) == Success &&
                           data && count == 1;
                if (data) XFree(data);
                return set;
            },
            20000ms))
            << manager << " did not start";
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
        return title == "Tarvo's Binary Clock";
    }
    // The program's WM_CLASS: its instance name; the class is the same capitalised.
    virtual std::string InstanceName() const {
        return "zentick";
    }

    // Starts the program with arguments; extraEnv entries ("NAME=value") add to its
    // environment.
    void Start(const std::vector<std::string>& extraEnv = {},
               const std::vector<std::string>& arguments = {}) {
        std::vector<std::string> env = {"DISPLAY=" + x->Display()};
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        std::vector<std::string> argv = {ProgramPath()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        ASSERT_TRUE(clock.Start(argv, env, -1, ErrorsPath()));
        ASSERT_TRUE(WaitFor([&] { return Find() != 0; })) << "the program's window did not appear";
    }

    // Where the program's stderr goes, and what it wrote there.
    std::string ErrorsPath() const {
        return home.Root() + "/stderr";
    }
    std::string Errors() const {
        std::string text;
        if (FILE* file = std::fopen(ErrorsPath().c_str(), "r")) {
            char chunk[1024];
            for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
                text.append(chunk, got);
            std::fclose(file);
        }
        return text;
    }

    // Waits for the program to end by itself; its exit status, or -1 when it does not end
    // in time.
    int WaitForExit(std::chrono::milliseconds timeout = 10000ms) {
        int status = -1;
        const pid_t pid = clock.Pid();
        if (!WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, timeout)) return -1;
        clock = ztest::TChildProcess();  // already reaped
        return status;
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
                if (ours && XGetWindowAttributes(display, w, &a) && a.map_state == IsViewable &&
                    match(w, a))
                    return w;
            }
            Window root = 0, parent = 0, *children = nullptr;
            unsigned count = 0;
            if (!XQueryTree(display, w, &root, &parent, &children, &count)) return 0;
            Window found = 0;
            for (unsigned i = 0; i < count && !found; ++i)
                found = search(children[i]);
            if (children) XFree(children);
            return found;
        };
        return search(DefaultRootWindow(display));
    }
    // The program's main window: the managed window with its title (the program's name for the
    // clock).
    Window Find() {
        return FindWindow([&](Window w, const XWindowAttributes& a) {
            return !a.override_redirect && IsMainTitle(Title(w));
        });
    }
    // A managed window of the clock by its title (a dialog or a message box), or 0.
    Window FindTitled(const std::string& title) {
        return FindWindow([&](Window w, const XWindowAttributes& a) {
            return !a.override_redirect && Title(w) == title;
        });
    }
    // The open popup menu (an override-redirect window of the menu type), or 0.
    Window FindMenu() {
        return FindWindow([&](Window w, const XWindowAttributes& a) {
            return a.override_redirect && IsOfType(w, "_NET_WM_WINDOW_TYPE_POPUP_MENU");
        });
    }
    // The tooltip shown, or 0.
    Window FindTip() {
        return FindWindow([&](Window w, const XWindowAttributes& a) {
            return a.override_redirect && IsOfType(w, "_NET_WM_WINDOW_TYPE_TOOLTIP");
        });
    }
    bool IsOfType(Window w, const std::string& type) {
        auto types = AtomNames(w, "_NET_WM_WINDOW_TYPE");
        return std::find(types.begin(), types.end(), type) != types.end();
    }
    // A window's _NET_FRAME_EXTENTS (left, right, top, bottom), all 0 when it has none.
    std::vector<long> FrameExtents(Window w) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::vector<long> extents(4, 0);
        if (XGetWindowProperty(display, w, XInternAtom(display, "_NET_FRAME_EXTENTS", False), 0, 4,
                               False, XA_CARDINAL, &type, &format, &count, &after,
                               &data) == Success &&
            data && count == 4)
            extents.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + 4);
        if (data) XFree(data);
        return extents;
    }
    // A window's rectangle on the screen with the window manager's frame around it.
    TRect OuterGeometry(Window w) {
        TRect r = Geometry(w);
        std::vector<long> e = FrameExtents(w);
        return {r.Left - int(e[0]), r.Top - int(e[2]), r.Right + int(e[1]), r.Bottom + int(e[3])};
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
                               False, XA_CARDINAL, &type, &format, &count, &after,
                               &data) == Success &&
            data && format == 32) {
            auto* items = reinterpret_cast<unsigned long*>(data);
            for (unsigned long at = 0; at + 2 <= count;) {
                const unsigned long width = items[at] & 0xFFFFFFFFu,
                                    height = items[at + 1] & 0xFFFFFFFFu;
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
        if (XGetWindowProperty(display, w, XInternAtom(display, property, False), 0, 64, False,
                               XA_ATOM, &type, &format, &count, &after, &data) == Success &&
            data) {
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
            result.push_back(
                TRect::FromSize(rects[i].x, rects[i].y, rects[i].width, rects[i].height));
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
