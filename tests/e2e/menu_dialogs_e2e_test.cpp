// The popup menu and the dialogs of the real program under Xvfb and openbox, driven with
// xdotool as a user would: where the menu opens, every command, the dialogs' sizes and
// window-manager hints, their keys without a click first, and "Always on Top".
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>
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

class MenuAndDialogs : public ztest::TProgramFixture {
protected:
    static std::string At(int x, int y) { return std::to_string(x) + " " + std::to_string(y); }

    // Starts the clock without its greeting, so the face takes clicks at once.
    void StartClock(const std::vector<std::string>& env = {}) {
        Store("secondshide", 1);
        Start(env);
        clockWindow = Find();
        ASSERT_NE(clockWindow, 0u);
    }
    TPoint OnFace() {
        TRect r = Geometry(clockWindow);
        return {r.Left + 30, r.Top + 30};
    }

    // Opens the menu with a right-click on the face and waits for it.
    Window OpenMenu() {
        TPoint p = OnFace();
        Xdotool("mousemove " + At(p.X, p.Y) + " sleep 0.1 click 3");
        Window menu = 0;
        EXPECT_TRUE(WaitFor([&] { return (menu = FindMenu()) != 0; })) << "no menu";
        return menu;
    }
    // Chooses a command with the keyboard: Down moves onto Settings (1), Users Manual (2),
    // About (3), Resume (4), Quit (5).
    void ChooseWithKeys(int downs) {
        ASSERT_NE(OpenMenu(), 0u);
        std::string keys;
        for (int i = 0; i < downs; ++i)
            keys += " Down";
        Xdotool("key --delay 50" + keys + " Return");
    }
    Window WaitForTitled(const std::string& title) {
        Window w = 0;
        EXPECT_TRUE(WaitFor([&] { return (w = FindTitled(title)) != 0; })) << "no window " << title;
        return w;
    }
    bool Gone(const std::string& title) {
        return WaitFor([&] { return FindTitled(title) == 0; });
    }
    // The client windows in the window manager's stacking order, bottom to top.
    std::vector<Window> Stacking() {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::vector<Window> windows;
        if (XGetWindowProperty(display, DefaultRootWindow(display),
                               XInternAtom(display, "_NET_CLIENT_LIST_STACKING", False), 0, 1024,
                               False, XA_WINDOW, &type, &format, &count, &after,
                               &data) == Success &&
            data) {
            auto* ids = reinterpret_cast<Window*>(data);
            windows.assign(ids, ids + count);
            XFree(data);
        }
        return windows;
    }
    bool StackedAbove(Window upper, Window lower) {
        std::vector<Window> order = Stacking();
        auto u = std::find(order.begin(), order.end(), upper),
             l = std::find(order.begin(), order.end(), lower);
        return u != order.end() && l != order.end() && u > l;
    }
    // Fixed size: the window manager is told the minimum and maximum are its size.
    bool FixedSize(Window w, int width, int height) {
        XSizeHints hints{};
        long supplied = 0;
        if (!XGetWMNormalHints(display, w, &hints, &supplied)) return false;
        return (hints.flags & PMinSize) && (hints.flags & PMaxSize) && hints.min_width == width &&
               hints.max_width == width && hints.min_height == height && hints.max_height == height;
    }
    int ExitStatus() {
        int status = -1;
        if (!WaitFor([&] { return waitpid(clock.Pid(), &status, WNOHANG) == clock.Pid(); }))
            return -1;
        clock = ztest::TChildProcess();
        return status;
    }

    Window clockWindow = 0;
};

TEST_F(MenuAndDialogs, TheMenuOpensAtThePointerOnALeftClickAndAtThePointOfARightClick) {
    StartClock();
    TPoint p = OnFace();
    Xdotool("mousemove " + At(p.X, p.Y) + " sleep 0.1 click 1");
    Window menu = 0;
    ASSERT_TRUE(WaitFor([&] { return (menu = FindMenu()) != 0; }));
    EXPECT_EQ(Geometry(menu).TopLeft(), p);
    Xdotool("key Escape");  // the menu has the keyboard without a click
    ASSERT_TRUE(WaitFor([&] { return FindMenu() == 0; }));

    Xdotool("mousemove " + At(p.X + 5, p.Y + 9) + " sleep 0.1 click 3");
    ASSERT_TRUE(WaitFor([&] { return (menu = FindMenu()) != 0; }));
    EXPECT_EQ(Geometry(menu).TopLeft(), (TPoint{p.X + 5, p.Y + 9}));
    // A click outside closes it and runs nothing.
    Xdotool("mousemove 20 20 sleep 0.1 click 1");
    ASSERT_TRUE(WaitFor([&] { return FindMenu() == 0; }));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(FindTitled("Clock Settings"), 0u);
}

TEST_F(MenuAndDialogs, TheSettingsDialogIsAFixedTransientDialogThatAnswersEnterAndEsc) {
    StartClock();
    Window menu = OpenMenu();
    ASSERT_NE(menu, 0u);
    // Settings is the first item: click it.
    TRect m = Geometry(menu);
    Xdotool("mousemove " + At(m.Left + 30, m.Top + 3 + 8) + " sleep 0.1 click 1");
    Window dialog = WaitForTitled("Clock Settings");
    ASSERT_NE(dialog, 0u);
    TRect r = Geometry(dialog);
    EXPECT_EQ(r.Width(), 633);  // the design's 537 and a column for the size
    EXPECT_EQ(r.Height(), 322);
    EXPECT_EQ(TransientFor(dialog), clockWindow);
    EXPECT_EQ(AtomNames(dialog, "_NET_WM_WINDOW_TYPE"),
              std::vector<std::string>{"_NET_WM_WINDOW_TYPE_DIALOG"});
    EXPECT_TRUE(FixedSize(dialog, 633, 322));
    EXPECT_TRUE(WaitFor([&] { return FocusWindow() == dialog; }))
        << "the dialog takes the keyboard";
    Xdotool("key Escape");
    EXPECT_TRUE(Gone("Clock Settings"));
    EXPECT_TRUE(WaitFor([&] { return Stored("viewerwidth") == 150; })) << "Cancel saves too";

    ChooseWithKeys(1);
    ASSERT_NE(WaitForTitled("Clock Settings"), 0u);
    Xdotool("key Return");
    EXPECT_TRUE(Gone("Clock Settings"));
}

TEST_F(MenuAndDialogs, AlwaysOnTopCheckedInTheDialogPutsTheClockAboveOtherWindowsAndIsStored) {
    StartClock();
    EXPECT_FALSE(HasState(clockWindow, "_NET_WM_STATE_ABOVE"));
    ChooseWithKeys(1);
    Window dialog = WaitForTitled("Clock Settings");
    ASSERT_NE(dialog, 0u);
    TRect r = Geometry(dialog);
    Xdotool("mousemove " + At(r.Left + 14, r.Top + 64 + 8) +
            " sleep 0.1 click 1 sleep 0.1 key Return");
    ASSERT_TRUE(Gone("Clock Settings"));
    // Changing the stacking makes a new window for the clock.
    Window onTop = 0;
    ASSERT_TRUE(
        WaitFor([&] { return (onTop = Find()) != 0 && HasState(onTop, "_NET_WM_STATE_ABOVE"); }));
    EXPECT_TRUE(WaitFor([&] { return Stored("alwaysontop") == 1; }));
    clockWindow = onTop;

    // Another window raised over it stays below.
    TRect c = Geometry(onTop);
    Window other = XCreateSimpleWindow(display, DefaultRootWindow(display), c.Left - 20, c.Top - 20,
                                       300, 200, 0, 0, 0xFFFFFF);
    XMapRaised(display, other);
    XSync(display, False);
    EXPECT_TRUE(WaitFor([&] { return StackedAbove(onTop, other); }))
        << "the clock is not above the other window";

    // A dialog opened now is not hidden behind the clock.
    ChooseWithKeys(3);
    Window about = WaitForTitled("About Tarvo's Binary Clock");
    ASSERT_NE(about, 0u);
    EXPECT_TRUE(WaitFor([&] { return StackedAbove(about, onTop); }))
        << "the About box opened behind the clock";
    Xdotool("key Return");
    EXPECT_TRUE(Gone("About Tarvo's Binary Clock"));
    XDestroyWindow(display, other);
    XSync(display, False);
}

TEST_F(MenuAndDialogs, TheAboutBoxClosesOnEnterButNotOnEsc) {
    StartClock();
    ChooseWithKeys(3);
    Window about = WaitForTitled("About Tarvo's Binary Clock");
    ASSERT_NE(about, 0u);
    TRect r = Geometry(about);
    EXPECT_EQ(r.Width(), 396);
    EXPECT_EQ(r.Height(), 305);
    EXPECT_EQ(TransientFor(about), clockWindow);
    EXPECT_TRUE(FixedSize(about, 396, 305));
    EXPECT_TRUE(WaitFor([&] { return FocusWindow() == about; }));
    Xdotool("key Escape");
    std::this_thread::sleep_for(300ms);
    EXPECT_NE(FindTitled("About Tarvo's Binary Clock"), 0u) << "Esc closed the About box";
    Xdotool("key Return");
    EXPECT_TRUE(Gone("About Tarvo's Binary Clock"));
}

TEST_F(MenuAndDialogs, UsersManualHandsTheManualToTheBrowser) {
    // A stand-in for the desktop's opener, first on the program's PATH.
    std::string bin = home.Root() + "/bin", log = home.Root() + "/opened";
    mkdir(bin.c_str(), 0755);
    std::ofstream(bin + "/xdg-open") << "#!/bin/sh\necho \"$1\" >> '" << log << "'\n";
    chmod((bin + "/xdg-open").c_str(), 0755);
    StartClock(
        {"PATH=" + bin + ":" + std::string(getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin")});
    ChooseWithKeys(2);
    std::string opened;
    ASSERT_TRUE(WaitFor([&] {
        std::ifstream in(log);
        std::getline(in, opened);
        return !opened.empty();
    })) << "nothing was opened";
    EXPECT_EQ(opened.substr(opened.rfind('/') + 1), "zentick.html");
    struct stat st {};
    EXPECT_EQ(stat(opened.c_str(), &st), 0) << opened;
}

TEST_F(MenuAndDialogs, ResumeChangesNothingAndQuitEndsWithTheSettingsSaved) {
    StartClock();
    ChooseWithKeys(4);
    ASSERT_TRUE(WaitFor([&] { return FindMenu() == 0; }));
    std::this_thread::sleep_for(200ms);
    EXPECT_NE(Find(), 0u);
    EXPECT_FALSE(Stored("viewerwidth")) << "Resume saved the settings";

    ChooseWithKeys(5);
    int status = ExitStatus();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Stored("viewerwidth"), 150);
}

}  // namespace
