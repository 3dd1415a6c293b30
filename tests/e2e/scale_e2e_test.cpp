// The program at the density of its screen, on a real X server: with Xft.dpi 192 its
// dialogs and its menu come out at twice their size; a dialog that the user moves to a
// monitor of another density is laid out again there and drawn at that size.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/stored_settings.h"
#include "tests/support/x11_program.h"

namespace {

using ztest::Store;
using ztest::WaitFor;

// What the classic look draws a default button's outline in, and a dialog's face in.
constexpr unsigned long kBlack = 0x000000;
constexpr unsigned long kButtonFace = 0xD4D0C8;

class ScaledProgram : public ztest::TProgramFixture {
protected:
    static std::string At(int x, int y) { return std::to_string(x) + " " + std::to_string(y); }

    // Starts the clock without its greeting, so that its face takes clicks at once.
    void StartClock() {
        Store("secondshide", 1);
        Start();
        clockWindow = Find();
        ASSERT_NE(clockWindow, 0u);
    }
    Window OpenMenu() {
        TRect r = Geometry(clockWindow);
        Xdotool("mousemove " + At(r.Left + 30, r.Top + 30) + " sleep 0.1 click 3");
        Window menu = 0;
        EXPECT_TRUE(WaitFor([&] { return (menu = FindMenu()) != 0; })) << "no menu";
        return menu;
    }
    Window WaitForTitled(const std::string& title) {
        Window w = 0;
        EXPECT_TRUE(WaitFor([&] { return (w = FindTitled(title)) != 0; })) << "no window " << title;
        return w;
    }
    bool FixedSize(Window w, int width, int height) {
        XSizeHints hints{};
        long supplied = 0;
        if (!XGetWMNormalHints(display, w, &hints, &supplied)) return false;
        return (hints.flags & PMinSize) && (hints.flags & PMaxSize) && hints.min_width == width &&
               hints.max_width == width && hints.min_height == height && hints.max_height == height;
    }
    // Whether the Clock Settings dialog shows its Ok button at a scale: the button's
    // default outline, a line wide, at its scaled left edge, the face just left of it.
    bool OkButtonDrawnAt(Window dialog, int percent) {
        const int left = 191 * percent / 100, middle = 300 * percent / 100;
        return PixelOf(dialog, left, middle) == kBlack &&
               PixelOf(dialog, left - 1, middle) == kButtonFace;
    }

    Window clockWindow = 0;
};

// Xvfb with twice the classic density, told to the program by Xft.dpi as desktops do, on
// a screen large enough for the dialogs at that size.
class DenseDialogs : public ScaledProgram {
protected:
    void SetUp() override {
        serverOptions = {"-dpi", "192"};
        resources = "Xft.dpi:\t192\n";
        ScaledProgram::SetUp();
    }
    std::unique_ptr<ztest::TXServer> MakeServer() override {
        return std::make_unique<ztest::TXServer>("2560x1600x24", 20000, serverOptions);
    }
};

TEST_F(DenseDialogs, TheMenuRowsAndTheDialogsAreTwiceTheirSize) {
    StartClock();
    Window menu = OpenMenu();
    ASSERT_NE(menu, 0u);
    // Settings, Users Manual, About, Resume and Quit, three separators, the border: 118
    // pixels high at 96 dpi; every row twice as tall here.
    TRect m = Geometry(menu);
    EXPECT_EQ(m.Height(), 2 * 6 + 5 * 34 + 3 * 18);
    // About: past the border, Settings, a separator, Users Manual and a separator.
    Xdotool("mousemove " + At(m.Left + 40, m.Top + 6 + 34 + 18 + 34 + 18 + 17) +
            " sleep 0.1 click 1");
    Window about = WaitForTitled("About Tarvo's Binary Clock");
    ASSERT_NE(about, 0u);
    EXPECT_EQ(Geometry(about).Width(), 792);
    EXPECT_EQ(Geometry(about).Height(), 610);
    EXPECT_TRUE(FixedSize(about, 792, 610));
    Xdotool("key Return");
    ASSERT_TRUE(WaitFor([&] { return FindTitled("About Tarvo's Binary Clock") == 0; }));

    ASSERT_NE(OpenMenu(), 0u);
    Xdotool("key --delay 50 Down Return");
    Window settings = WaitForTitled("Clock Settings");
    ASSERT_NE(settings, 0u);
    TRect r = Geometry(settings);
    // The description's 537 x 322 and the "Size" column beside them (633 x 322), twice.
    EXPECT_EQ(r.Width(), 1266);
    EXPECT_EQ(r.Height(), 644);
    EXPECT_TRUE(FixedSize(settings, 1266, 644));
    EXPECT_TRUE(WaitFor([&] { return OkButtonDrawnAt(settings, 200); }));
    Xdotool("key Escape");
}

// Two monitors side by side on one screen: 96 dpi on the left, 192 dpi on the right, as
// their physical sizes say (RandR 1.5 monitors), and no Xft.dpi.
class TwoDensities : public ScaledProgram {
protected:
    std::unique_ptr<ztest::TXServer> MakeServer() override {
        if (!ztest::ProgramOnPath("Xorg") && !ztest::XToolsRequired()) return nullptr;
        return ztest::TXServer::DummyXorg(
            "Section \"Device\"\n  Identifier \"card\"\n  Driver \"dummy\"\n  VideoRam 64000\n"
            "EndSection\n"
            "Section \"Monitor\"\n  Identifier \"monitor\"\n  HorizSync 5.0-1000.0\n"
            "  VertRefresh 5.0-200.0\nEndSection\n"
            "Section \"Screen\"\n  Identifier \"screen\"\n  Device \"card\"\n  Monitor "
            "\"monitor\"\n"
            "  DefaultDepth 24\n  SubSection \"Display\"\n    Depth 24\n    Virtual 3072 1200\n"
            "  EndSubSection\nEndSection\n");
    }
    void SetUp() override {
        // Xorg takes a configuration of the test's own only from root.
        if (!ztest::XToolsRequired() && (!ztest::ProgramOnPath("Xorg") || geteuid() != 0))
            GTEST_SKIP() << "Xorg is not installed, or this is not root";
        ScaledProgram::SetUp();
        if (HasFatalFailure() || IsSkipped()) return;
        // 1024 pixels on 271 mm are 96 dpi; 2048 on 271 mm, 192.
        for (const std::string& command :
             {std::string("--fb 3072x1200"),
              std::string("--setmonitor left 1024/271x1200/318+0+0 none"),
              std::string("--setmonitor right 2048/271x1200/159+1024+0 none")}) {
            std::string line = "DISPLAY=" + x->Display() + " xrandr " + command;
            ASSERT_EQ(std::system(line.c_str()), 0) << line;
        }
        Store("viewerleft", 200);
        Store("viewertop", 300);
    }
};

TEST_F(TwoDensities, ADialogMovedToTheDenserMonitorIsLaidOutAndDrawnAtItsScale) {
    StartClock();
    ASSERT_NE(OpenMenu(), 0u);
    Xdotool("key --delay 50 Down Return");
    Window settings = WaitForTitled("Clock Settings");
    ASSERT_NE(settings, 0u);
    EXPECT_EQ(Geometry(settings).Width(), 633);
    EXPECT_TRUE(WaitFor([&] { return OkButtonDrawnAt(settings, 100); }));

    // The user drags it over to the right: once its centre is there, it is twice the size.
    Xdotool("windowmove " + std::to_string(settings) + " 1900 300");
    EXPECT_TRUE(WaitFor([&] { return Geometry(settings).Width() == 1266; }))
        << Geometry(settings).Width();
    EXPECT_EQ(Geometry(settings).Height(), 644);
    EXPECT_TRUE(FixedSize(settings, 1266, 644));
    EXPECT_TRUE(WaitFor([&] { return OkButtonDrawnAt(settings, 200); }));
    TRect there = Geometry(settings);
    EXPECT_GE(there.Left + there.Width() / 2, 1024) << "the centre left the dense monitor";

    // And back.
    Xdotool("windowmove " + std::to_string(settings) + " 100 300");
    EXPECT_TRUE(WaitFor([&] { return Geometry(settings).Width() == 633; }));
    EXPECT_TRUE(FixedSize(settings, 633, 322));
    EXPECT_TRUE(WaitFor([&] { return OkButtonDrawnAt(settings, 100); }));
    Xdotool("key Escape");
}

}  // namespace
