// The clock at home on several desktops, under Xvfb with real input (xdotool): its title
// and size hints, standing at its stored place and saving that place (openbox, icewm,
// fluxbox, and i3, where it floats at its size), dialogs opened above and below it without
// their frames covering it (openbox, icewm, fluxbox), its menu opened and worked with the
// keyboard, the time in words after a hover, and the hex editor's menu bar and wheel.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/stored_settings.h"
#include "tests/support/x11_program.h"

namespace {

using ztest::Store;
using ztest::Stored;
using ztest::WaitFor;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::string At(int x, int y) {
    return std::to_string(x) + " " + std::to_string(y);
}

// The clock under a window manager chosen by the test's parameter.
class Desktop : public ztest::TProgramFixture {
protected:
    // Starts the clock without its greeting (the face takes input at once) and waits for
    // the window manager to have placed it.
    Window StartClock() {
        Store("secondshide", 1);
        Start();
        Window w = Find();
        EXPECT_TRUE(WaitFor([&] { return !AtomNames(w, "WM_STATE").empty() || WmStateSet(w); }));
        return w;
    }
    bool WmStateSet(Window w) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        Atom state = XInternAtom(display, "WM_STATE", False);
        bool set = XGetWindowProperty(display, w, state, 0, 2, False, state, &type, &format, &count,
                                      &after, &data) == Success &&
                   data && count >= 1;
        if (data) XFree(data);
        return set;
    }
    std::string NetName(Window w) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::string name;
        if (XGetWindowProperty(display, w, XInternAtom(display, "_NET_WM_NAME", False), 0, 1024,
                               False, XInternAtom(display, "UTF8_STRING", False), &type, &format,
                               &count, &after, &data) == Success &&
            data)
            name.assign(reinterpret_cast<char*>(data), count);
        if (data) XFree(data);
        return name;
    }
    bool FixedSize(Window w, int width, int height) {
        XSizeHints hints{};
        long supplied = 0;
        if (!XGetWMNormalHints(display, w, &hints, &supplied)) return false;
        return (hints.flags & PMinSize) && (hints.flags & PMaxSize) && hints.min_width == width &&
               hints.max_width == width && hints.min_height == height && hints.max_height == height;
    }
    Window WaitForTitled(const std::string& title) {
        Window w = 0;
        EXPECT_TRUE(WaitFor([&] { return (w = FindTitled(title)) != 0; }, 10000ms))
            << "no window " << title;
        return w;
    }
    // Opens the menu with a click on the face, and Settings with the keyboard.
    Window OpenSettings(Window clockWindow) {
        TRect r = Geometry(clockWindow);
        Xdotool("mousemove " + At(r.Left + 30, r.Top + 30) + " sleep 0.1 click 1");
        EXPECT_TRUE(WaitFor([&] { return FindMenu() != 0; })) << "no menu";
        Xdotool("key --delay 50 Down Return");
        return WaitForTitled("Clock Settings");
    }
};

class DesktopUnder : public Desktop, public ::testing::WithParamInterface<std::string> {
protected:
    std::string WindowManager() const override { return GetParam(); }
};

// A dialog of the clock that stays on top opens above it when there is room, else below,
// and its frame (title bar included) leaves the clock wholly visible.
TEST_P(DesktopUnder, DialogsOpenAboveAndBelowTheClockWithoutTheirFramesCoveringIt) {
    for (int clockTop : {600, 100}) {
        SCOPED_TRACE("clock at top " + std::to_string(clockTop));
        Store("alwaysontop", 1);
        Store("viewerleft", 400);
        Store("viewertop", clockTop);
        Window clockWindow = StartClock();
        ASSERT_NE(clockWindow, 0u);
        ASSERT_TRUE(WaitFor([&] {
            return Geometry(clockWindow).TopLeft() == TPoint{400, clockTop};
        })) << Geometry(clockWindow).Left
            << "," << Geometry(clockWindow).Top;
        Window dialog = OpenSettings(clockWindow);
        ASSERT_NE(dialog, 0u);
        // Framed by now: the window manager has said how.
        ASSERT_TRUE(WaitFor([&] { return FrameExtents(dialog)[2] > 0; }))
            << "no _NET_FRAME_EXTENTS";
        const TRect clock = OuterGeometry(clockWindow);
        // Where the window manager tells the frame only once the dialog shows, the dialog
        // is placed again then: it comes to rest with the gap of 10 between frame and clock.
        TRect outer;
        auto placed = [&] {
            return clockTop == 600 ? outer.Bottom == clock.Top - 10
                                   : outer.Top == clock.Bottom + 10;
        };
        EXPECT_TRUE(WaitFor([&] {
            outer = OuterGeometry(dialog);
            return outer.Intersect(clock).IsEmpty() && placed();
        })) << "the dialog's frame "
            << outer.Left << "," << outer.Top << "-" << outer.Right << "," << outer.Bottom
            << " is not 10 pixels from the clock at " << clock.Left << "," << clock.Top << "-"
            << clock.Right << "," << clock.Bottom;
        // A modal dialog: the window manager knows; minimised anyway, it comes back.
        EXPECT_TRUE(HasState(dialog, "_NET_WM_STATE_MODAL"));
        Xdotool("windowminimize " + std::to_string(dialog));
        EXPECT_TRUE(WaitFor([&] {
            XWindowAttributes a{};
            return XGetWindowAttributes(display, dialog, &a) && a.map_state == IsViewable &&
                   !HasState(dialog, "_NET_WM_STATE_HIDDEN");
        })) << "the minimised dialog stayed away";
        // It comes back with the keyboard (the window manager may take a moment to hand it
        // over), so Escape reaches it.
        EXPECT_TRUE(WaitFor([&] { return FocusWindow() == dialog; }))
            << "the dialog came back without the keyboard";
        Xdotool("key Escape");
        EXPECT_TRUE(WaitFor([&] { return FindTitled("Clock Settings") == 0; }));
        Terminate();
    }
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, DesktopUnder,
                         ::testing::Values("openbox", "icewm", "fluxbox"),
                         [](const auto& info) { return info.param; });

class StoredPlaceUnder : public DesktopUnder {};

// The clock stands exactly at its stored place, at its size, under every window manager:
// a tiling one (i3) floats a window of fixed size instead of stretching it over a tile, and
// the place saved when a dialog closes is that place (not one a frame's width further in at
// each save).
TEST_P(StoredPlaceUnder, TheClockStandsAtItsStoredPlaceAndSavesThatPlace) {
    Store("viewerleft", 200);
    Store("viewertop", 150);
    Window clockWindow = StartClock();
    ASSERT_NE(clockWindow, 0u);
    EXPECT_TRUE(FixedSize(clockWindow, 150, 90));
    const TRect stored = TRect::FromSize(200, 150, 150, 90);
    ASSERT_TRUE(WaitFor([&] { return Geometry(clockWindow) == stored; }))
        << Geometry(clockWindow).Left << "," << Geometry(clockWindow).Top << " "
        << Geometry(clockWindow).Width() << "x" << Geometry(clockWindow).Height();
    ASSERT_FALSE(Stored("viewerwidth").has_value());  // not saved yet
    Window dialog = OpenSettings(clockWindow);
    ASSERT_NE(dialog, 0u);
    Xdotool("key Return");  // Ok: the settings are saved
    ASSERT_TRUE(WaitFor([&] { return FindTitled("Clock Settings") == 0; }));
    ASSERT_TRUE(WaitFor([&] { return Stored("viewerwidth") == 150; })) << "nothing was saved";
    EXPECT_EQ(Stored("viewerleft"), 200);
    EXPECT_EQ(Stored("viewertop"), 150);
    EXPECT_EQ(Geometry(clockWindow), stored);
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, StoredPlaceUnder,
                         ::testing::Values("openbox", "icewm", "fluxbox", "i3"),
                         [](const auto& info) { return info.param; });

TEST_F(Desktop, TheClockIsCalledByTheProgramsName) {
    Window clockWindow = StartClock();
    ASSERT_NE(clockWindow, 0u);
    EXPECT_EQ(Title(clockWindow), "Tarvo's Binary Clock");
    EXPECT_EQ(NetName(clockWindow), "Tarvo's Binary Clock");
    EXPECT_TRUE(FixedSize(clockWindow, 150, 90));
    // Shown without taking the keyboard from whoever had it.
    EXPECT_NE(FocusWindow(), clockWindow);
}

TEST_F(Desktop, TheKeyboardOpensTheMenuAtTheClocksCornerAndChoosesSettings) {
    Window clockWindow = StartClock();
    ASSERT_NE(clockWindow, 0u);
    TRect r = Geometry(clockWindow);
    // A click gives the clock the keyboard (and opens the menu, which Escape closes).
    Xdotool("mousemove " + At(r.Left + 30, r.Top + 30) + " sleep 0.1 click 1");
    ASSERT_TRUE(WaitFor([&] { return FindMenu() != 0; }));
    Xdotool("key Escape");
    ASSERT_TRUE(WaitFor([&] { return FindMenu() == 0; }));
    ASSERT_TRUE(WaitFor([&] { return FocusWindow() == clockWindow; }))
        << "the click did not focus the clock: the focus is on " << FocusWindow() << ", not "
        << clockWindow;
    Xdotool("mousemove 900 700 key shift+F10");
    Window menu = 0;
    ASSERT_TRUE(WaitFor([&] { return (menu = FindMenu()) != 0; })) << "Shift+F10 opened no menu";
    EXPECT_EQ(Geometry(menu).TopLeft(), r.TopLeft());
    Xdotool("key --delay 50 Down Return");
    ASSERT_NE(WaitForTitled("Clock Settings"), 0u);
    Xdotool("key Escape");
    ASSERT_TRUE(WaitFor([&] { return FindTitled("Clock Settings") == 0; }));
    // The access letter chooses too: Menu key, then A for About.
    ASSERT_TRUE(WaitFor([&] { return FocusWindow() == clockWindow; }));
    Xdotool("key Menu");
    ASSERT_TRUE(WaitFor([&] { return FindMenu() != 0; })) << "the Menu key opened no menu";
    Xdotool("key a");
    EXPECT_NE(WaitForTitled("About Tarvo's Binary Clock"), 0u);
}

TEST_F(Desktop, RestingThePointerOnTheClockShowsTheTimeInWords) {
    Store("24hour", 1);
    Window clockWindow = StartClock();
    ASSERT_NE(clockWindow, 0u);
    TRect r = Geometry(clockWindow);
    Xdotool("mousemove " + At(r.Left + 40, r.Top + 30));
    Window tip = 0;
    ASSERT_TRUE(WaitFor([&] { return (tip = FindTip()) != 0; })) << "no tooltip";
    // "13:47:05 — Wednesday 9 December 2026", read where the tip says it.
    const std::regex words("(\\d\\d):(\\d\\d):(\\d\\d) \u2014 (\\w+) (\\d+) (\\w+) (\\d{4})");
    std::smatch match;
    std::string text;
    ASSERT_TRUE(WaitFor([&] {
        text = NetName(tip);
        return std::regex_match(text, match, words);
    })) << text;
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    int shown = std::stoi(match[1]) * 3600 + std::stoi(match[2]) * 60 + std::stoi(match[3]);
    int actual = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    EXPECT_LE(std::abs(actual - shown) % 86400, 3) << text;
    char date[64];
    std::strftime(date, sizeof date, "%A %B %Y", &local);
    EXPECT_EQ(std::string(match[4]) + " " + std::string(match[6]) + " " + std::string(match[7]),
              date);
    EXPECT_EQ(std::stoi(match[5]), local.tm_mday);
    // Kept up to date while it shows.
    EXPECT_TRUE(WaitFor([&] { return NetName(tip) != text; })) << "the time did not move on";
    // Below the pointer, and gone when the pointer leaves.
    EXPECT_GT(Geometry(tip).Top, r.Top + 30);
    Xdotool("mousemove 900 700");
    EXPECT_TRUE(WaitFor([&] { return FindTip() == 0; })) << "the tip stayed";
}

// The hex editor ------------------------------------------------------------------------------

class HexEditorKeys : public ztest::TProgramFixture {
protected:
    fs::path dir;
    fs::path file;

    std::string ProgramPath() const override {
#ifdef ZT_HEXEDIT_PATH
        return ZT_HEXEDIT_PATH;
#else
        return {};
#endif
    }
    bool IsMainTitle(const std::string& title) const override {
        return title.find(" - zentick-hexedit") != std::string::npos;
    }
    std::string InstanceName() const override {
        return "zentick-hexedit";
    }
    void SetUp() override {
        if (ProgramPath().empty()) GTEST_SKIP() << "zentick-hexedit is not built";
        ztest::TProgramFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        std::string pattern = (fs::temp_directory_path() / "zt-desktop-e2e-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        file = dir / "sample.bin";
        std::ofstream out(file, std::ios::binary);
        for (int i = 0; i < 4096; ++i)
            out.put(char(i * 7));
    }
    void TearDown() override {
        ztest::TProgramFixture::TearDown();
        std::error_code ignored;
        if (!dir.empty()) fs::remove_all(dir, ignored);
    }
    Window Open() {
        Start({}, {file.string()});
        Window w = Find();
        EXPECT_TRUE(WaitFor([&] { return Title(w).find("sample.bin") != std::string::npos; }));
        EXPECT_TRUE(WaitFor([&] { return FocusWindow() == w; }));
        return w;
    }
    // The pixels of a part of a window.
    std::vector<unsigned long> Pixels(Window w, const TRect& r) {
        std::vector<unsigned long> pixels;
        XImage* image = XGetImage(display, w, r.Left, r.Top, unsigned(r.Width()),
                                  unsigned(r.Height()), AllPlanes, ZPixmap);
        if (!image) return pixels;
        for (int y = 0; y < r.Height(); ++y)
            for (int x = 0; x < r.Width(); ++x)
                pixels.push_back(XGetPixel(image, x, y));
        XDestroyImage(image);
        return pixels;
    }
};

TEST_F(HexEditorKeys, AltFOpensTheFileMenuAndTypesNothing) {
    Window w = Open();
    ASSERT_NE(w, 0u);
    const std::string title = Title(w);
    // Ctrl and Alt chords that are no commands type nothing.
    Xdotool("key --delay 50 ctrl+1 ctrl+period alt+z");
    Xdotool("key alt+f");
    Window menu = 0;
    ASSERT_TRUE(WaitFor([&] { return (menu = FindMenu()) != 0; })) << "Alt+F opened no menu";
    // Under the bar's first title, at the window's left.
    EXPECT_LE(std::abs(Geometry(menu).Left - Geometry(w).Left), 2);
    Xdotool("key Escape");
    ASSERT_TRUE(WaitFor([&] { return FindMenu() == 0; }));
    // The keys came in order: the chords before the menu had theirs, and typed nothing.
    EXPECT_EQ(Title(w), title) << "the data changed";
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(in.get(), 0);
}

TEST_F(HexEditorKeys, TheWheelScrollsTheEditorAndBack) {
    Window w = Open();
    ASSERT_NE(w, 0u);
    TRect g = Geometry(w);
    const TRect rows{10, 30, 400, 200};  // the first rows of bytes, under the menu bar
    Xdotool("mousemove " + At(g.Left + 200, g.Top + 150));
    std::vector<unsigned long> before;
    ASSERT_TRUE(WaitFor([&] {
        before = Pixels(w, rows);
        return !before.empty();
    }));
    Xdotool("click 5");  // a notch down
    ASSERT_TRUE(WaitFor([&] { return Pixels(w, rows) != before; })) << "the wheel did not scroll";
    Xdotool("click 4");  // and back up
    EXPECT_TRUE(WaitFor([&] { return Pixels(w, rows) == before; }))
        << "the wheel did not scroll back";
}

}  // namespace
