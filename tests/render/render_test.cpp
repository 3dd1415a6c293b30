// zentick-render from the outside: its options, its PNG and region files, and its errors.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/pngfile.h"

namespace {

struct TResult {
    int Status = -1;
    std::string Errors;
};

TResult Render(const std::string& arguments) {
    // A file of this test program's own: the other tests of this file run beside it.
    std::string errors = testing::TempDir() + "/render_errors_" + std::to_string(getpid()) + ".txt";
    std::string command = std::string(ZT_RENDER_PATH) + " " + arguments + " 2> " + errors;
    int status = std::system(command.c_str());
    std::ifstream in(errors);
    TResult result;
    result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.Errors.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return result;
}

std::string Temp(const std::string& name) {
    return testing::TempDir() + "/" + std::to_string(getpid()) + "_" + name;
}

TEST(Render, DrawsTheWindowWithItsShapeAsAlpha) {
    ASSERT_EQ(Render("--time 13:47:05 --out " + Temp("clock.png") + " --region " + Temp("clock.rgn")).Status, 0);
    TBitmap picture;
    std::vector<uint8_t> alpha;
    ASSERT_TRUE(LoadPng(Temp("clock.png"), picture, &alpha));
    EXPECT_EQ(picture.Width(), 150);
    EXPECT_EQ(picture.Height(), 90);
    EXPECT_EQ(alpha[0], 0) << "the corner lies outside the rounded outline";
    EXPECT_EQ(alpha[size_t(45) * 150 + 75], 255);
    // The region file is the form's stored outline: 4 + 240 bytes.
    std::ifstream region(Temp("clock.rgn"), std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(region), std::istreambuf_iterator<char>()};
    EXPECT_EQ(bytes.size(), 244u);
}

TEST(Render, TheTransparentBackgroundKeysBlackOut) {
    ASSERT_EQ(Render("--time 13:47:05 --back 3 --out " + Temp("keyed.png")).Status, 0);
    TBitmap picture;
    std::vector<uint8_t> alpha;
    ASSERT_TRUE(LoadPng(Temp("keyed.png"), picture, &alpha));
    int opaque = 0;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) {
            bool black = picture.Pixel(x, y) == clBlack;
            uint8_t a = alpha[size_t(y) * size_t(picture.Width()) + size_t(x)];
            if (black) {
                EXPECT_EQ(a, 0) << "black is see-through at " << x << "," << y;
            }
            opaque += a == 255;
        }
    EXPECT_GT(opaque, 1000) << "the LEDs stay";
}

TEST(Render, FormatsAndOutOfRangeNumbersAreApplied) {
    struct Case {
        const char* options;
        int width, height;
    } cases[] = {{"--type 1", 76, 46}, {"--type 6", 280, 41}, {"--type 3 --secondshide 1", 480, 32},
                 {"--type 9 --back -5", 150, 90}};
    for (const Case& c : cases) {
        ASSERT_EQ(Render(std::string(c.options) + " --out " + Temp("format.png")).Status, 0) << c.options;
        TBitmap picture;
        ASSERT_TRUE(LoadPng(Temp("format.png"), picture));
        EXPECT_EQ(picture.Width(), c.width) << c.options;
        EXPECT_EQ(picture.Height(), c.height) << c.options;
    }
}

// Whether two pictures differ inside a rectangle.
bool DifferIn(const TBitmap& a, const TBitmap& b, const TRect& area) {
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y)) return true;
    return false;
}

TEST(Render, DrawsTheDialogsFilledFromTheOptions) {
    struct Case {
        const char* Options;
        int Width, Height;
    } cases[] = {{"--dialog settings", 537, 322}, {"--dialog about", 396, 305}};
    for (const Case& c : cases) {
        ASSERT_EQ(Render(std::string(c.Options) + " --out " + Temp("dialog.png")).Status, 0) << c.Options;
        TBitmap picture;
        ASSERT_TRUE(LoadPng(Temp("dialog.png"), picture));
        EXPECT_EQ(picture.Width(), c.Width) << c.Options;
        EXPECT_EQ(picture.Height(), c.Height) << c.Options;
        EXPECT_EQ(picture.Pixel(c.Width / 2, c.Height - 4), RGB(212, 208, 200)) << "the button face";
    }
    // The settings fill the controls as the Settings command fills them: "Always on Top"
    // for any nonzero value, and the format item that shows the clock type.
    auto render = [](const std::string& options) {
        TBitmap picture;
        EXPECT_EQ(Render("--dialog settings " + options + " --out " + Temp("filled.png")).Status, 0) << options;
        EXPECT_TRUE(LoadPng(Temp("filled.png"), picture)) << options;
        return picture;
    };
    TBitmap plain = render("--ontop 0 --type 0"), onTop = render("--ontop 5 --type 0"),
            dipSwitch = render("--ontop 0 --type 6");
    const TRect onTopBox{8, 64, 22, 81}, formats{8, 184, 265, 281}, dipSwitchItem{8, 250, 140, 281};
    EXPECT_TRUE(DifferIn(plain, onTop, onTopBox));
    EXPECT_FALSE(DifferIn(plain, onTop, formats));
    EXPECT_TRUE(DifferIn(plain, dipSwitch, dipSwitchItem));
    EXPECT_FALSE(DifferIn(plain, dipSwitch, onTopBox));
}

TEST(Render, DrawsTheGaugeInEachOfItsKinds) {
    ASSERT_EQ(Render("--control gauge --out " + Temp("gauge.png")).Status, 0);
    TBitmap picture;
    ASSERT_TRUE(LoadPng(Temp("gauge.png"), picture));
    EXPECT_EQ(picture.Width(), 408);
    EXPECT_EQ(picture.Height(), 80);
    // Each gauge shows its part done in the highlight colour: the bar's left 65 percent,
    // the vertical bar's bottom, the pie's right half, the needle right of upright.
    const TColor done = ColorToRGB(clHighlight);
    EXPECT_EQ(picture.Pixel(10 + 50, 40), done);
    EXPECT_NE(picture.Pixel(10 + 110, 40), done);
    EXPECT_EQ(picture.Pixel(146, 68), done);
    EXPECT_NE(picture.Pixel(146, 12), done);
    EXPECT_EQ(picture.Pixel(196 + 12, 40 + 12), done);
    EXPECT_NE(picture.Pixel(196 - 12, 40 - 12), done);
    int needle = 0;
    for (int y = 8; y < 72; ++y)
        for (int x = 284; x < 332; ++x)
            needle += picture.Pixel(x, y) == done;
    EXPECT_GT(needle, 10);
}

TEST(Render, BadUsageIsRefusedWithExitCodeTwo) {
    for (const char* arguments : {"", "--type 1", "--out x.png --colour 2", "--time 25:00:00 --out x.png",
                                  "--dialog menu --out x.png", "--control knob --out x.png",
                                  "--time 1:2:3 --out x.png", "--type many --out x.png", "--out"}) {
        TResult result = Render(arguments);
        EXPECT_EQ(result.Status, 2) << arguments;
        // One line that names the fault, then the usage.
        EXPECT_EQ(result.Errors.rfind("zentick-render: ", 0), 0u) << arguments;
        EXPECT_EQ(result.Errors.find("\nusage: zentick-render"), result.Errors.find('\n')) << arguments;
    }
}

}  // namespace
