// zentick-render from the outside: its options, its PNG and region files, and its errors.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
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
    ASSERT_EQ(
        Render("--time 13:47:05 --out " + Temp("clock.png") + " --region " + Temp("clock.rgn"))
            .Status,
        0);
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

TEST(Render, FormatsAreApplied) {
    struct Case {
        const char* options;
        int width, height;
    } cases[] = {
        {"--type 1", 76, 46}, {"--type=6", 280, 41}, {"--type 3 --secondshide 1", 480, 32}};
    for (const Case& c : cases) {
        ASSERT_EQ(Render(std::string(c.options) + " --out " + Temp("format.png")).Status, 0)
            << c.options;
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
    } cases[] = {{"--dialog settings", 633, 322}, {"--dialog about", 396, 305}};
    for (const Case& c : cases) {
        ASSERT_EQ(Render(std::string(c.Options) + " --out " + Temp("dialog.png")).Status, 0)
            << c.Options;
        TBitmap picture;
        ASSERT_TRUE(LoadPng(Temp("dialog.png"), picture));
        EXPECT_EQ(picture.Width(), c.Width) << c.Options;
        EXPECT_EQ(picture.Height(), c.Height) << c.Options;
        EXPECT_EQ(picture.Pixel(c.Width / 2, c.Height - 4), RGB(212, 208, 200))
            << "the button face";
    }
    // The settings fill the controls as the Settings command fills them: "Always on Top"
    // for any nonzero value, and the format item that shows the clock type.
    auto render = [](const std::string& options) {
        TBitmap picture;
        EXPECT_EQ(Render("--dialog settings " + options + " --out " + Temp("filled.png")).Status, 0)
            << options;
        EXPECT_TRUE(LoadPng(Temp("filled.png"), picture)) << options;
        return picture;
    };
    TBitmap plain = render("--ontop 0 --type 0"), onTop = render("--ontop 1 --type 0"),
            dipSwitch = render("--ontop 0 --type 6");
    const TRect onTopBox{8, 64, 22, 81}, formats{8, 184, 265, 281}, dipSwitchItem{8, 250, 140, 281};
    EXPECT_TRUE(DifferIn(plain, onTop, onTopBox));
    EXPECT_FALSE(DifferIn(plain, onTop, formats));
    EXPECT_TRUE(DifferIn(plain, dipSwitch, dipSwitchItem));
    EXPECT_FALSE(DifferIn(plain, dipSwitch, onTopBox));
}

TEST(Render, DrawsTheClockAtAScale) {
    struct Case {
        const char* Options;
        int Width, Height;
        TRect Outline;
    } cases[] = {{"--scale 200", 300, 180, {4, 4, 296, 172}},
                 {"--scale 150 --type 1", 114, 69, {2, 3, 108, 68}},
                 {"--scale 100", 150, 90, {2, 2, 148, 86}}};
    for (const Case& c : cases) {
        ASSERT_EQ(Render(std::string(c.Options) + " --out " + Temp("scaled.png")).Status, 0)
            << c.Options;
        TBitmap picture;
        std::vector<uint8_t> alpha;
        ASSERT_TRUE(LoadPng(Temp("scaled.png"), picture, &alpha));
        EXPECT_EQ(picture.Width(), c.Width) << c.Options;
        EXPECT_EQ(picture.Height(), c.Height) << c.Options;
        // The shape is the outline of the picture at the scale.
        TRect shown;
        for (int y = 0; y < picture.Height(); ++y)
            for (int x = 0; x < picture.Width(); ++x)
                if (alpha[size_t(y) * size_t(picture.Width()) + size_t(x)] == 255)
                    shown = shown.Union({x, y, x + 1, y + 1});
        EXPECT_EQ(shown, c.Outline) << c.Options;
    }
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

TEST(Render, BadUsageIsRefusedWithExitCodeTwoAndNothingWritten) {
    struct Case {
        std::string Arguments;
        const char* Message;
    } cases[] = {
        {"", "no --out file given"},
        {"--type 1", "no --out file given"},
        {"--colour 2", "unknown option '--colour'"},
        {"--bogus", "unknown option '--bogus'"},
        {"-x", "unknown option '-x'"},
        {"--time 25:00:00", "--time must be HH:MM:SS, as 13:47:05"},
        {"--time 1:2:3", "--time must be HH:MM:SS, as 13:47:05"},
        {"--dialog menu", "--dialog must be settings or about"},
        {"--control knob", "--control must be gauge"},
        {"--type many", "--type must be 0 to 6"},
        {"--type 99", "--type must be 0 to 6"},
        {"--type=-1", "--type must be 0 to 6"},
        {"--back 4", "--back must be 0 to 3"},
        {"--color 5", "--color must be 0 to 4"},
        {"--shape 3", "--shape must be 0 to 2"},
        {"--ontop 5", "--ontop must be 0 to 1"},
        {"--scale 50", "--scale must be 100 to 400"},
        {"--scale 401", "--scale must be 100 to 400"},
        {"--scale big", "--scale must be 100 to 400"},
        {"--scale 130", "--scale must be a multiple of 25, as 150"},
        {"--help=1", "option '--help' takes no value"},
        {"stray", "unexpected argument 'stray'"},
        {"--type 3 --bcd 1",
         "--bcd 1 needs a standard format (--type 0 to 2): the horizontal "
         "formats and the dip switches show binary"},
        {"--bcd 1 --type 6",
         "--bcd 1 needs a standard format (--type 0 to 2): the horizontal "
         "formats and the dip switches show binary"},
    };
    const std::string picture = Temp("refused.png"), region = Temp("refused.rgn");
    for (const Case& c : cases) {
        std::remove(picture.c_str());
        std::remove(region.c_str());
        // The output named first, so a fault later on the line must still stop the drawing.
        const std::string arguments =
            c.Arguments.empty() ? std::string()
            : c.Arguments == "--type 1"
                ? c.Arguments
                : "--region " + region + " --out=" + picture + " " + c.Arguments;
        TResult result = Render(arguments);
        EXPECT_EQ(result.Status, 2) << arguments;
        // One line that names the fault, then where to find help.
        EXPECT_EQ(result.Errors, std::string("zentick-render: ") + c.Message +
                                     "\nTry 'zentick-render --help' for more information.\n")
            << arguments;
        EXPECT_NE(access(picture.c_str(), F_OK), 0) << "written: " << arguments;
        EXPECT_NE(access(region.c_str(), F_OK), 0) << "written: " << arguments;
    }
    TResult missing = Render("--out");
    EXPECT_EQ(missing.Status, 2);
    EXPECT_EQ(missing.Errors.rfind("zentick-render: option '--out' needs a value\n", 0), 0u)
        << missing.Errors;
}

TEST(Render, HelpAndVersionInTheGnuStyle) {
    for (const char* option : {"--help", "-h"}) {
        TResult help = Render(std::string(option) + " > " + Temp("help.txt"));
        EXPECT_EQ(help.Status, 0);
        std::ifstream in(Temp("help.txt"));
        std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        EXPECT_EQ(text.rfind("Usage: zentick-render [OPTION]... --out FILE.png\n", 0), 0u) << text;
        EXPECT_NE(text.find("\n      --type N "), std::string::npos) << text;
        EXPECT_NE(text.find("\n  -o, --out FILE.png "), std::string::npos) << text;
    }
    for (const char* option : {"--version", "-V"}) {
        TResult version = Render(std::string(option) + " > " + Temp("version.txt"));
        EXPECT_EQ(version.Status, 0);
        std::ifstream in(Temp("version.txt"));
        std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        EXPECT_EQ(text.rfind("zentick-render 2.", 0), 0u) << text;
        EXPECT_NE(text.find("\nCopyright (c) 2026 The zentick developers\nLicence: MIT"),
                  std::string::npos)
            << text;
    }
}

TEST(Render, HorizontalFormatsAndDipSwitchesAreDrawnInBinary) {
    // BCD is the default of the standard formats; the others show binary as the clock
    // does, whether or not --bcd 0 is given, with every LED of each group drawn.
    for (int type = 3; type <= 6; ++type) {
        const std::string options = "--time 13:47:05 --type " + std::to_string(type);
        ASSERT_EQ(Render(options + " --out " + Temp("default.png")).Status, 0) << type;
        ASSERT_EQ(Render(options + " --bcd 0 --out " + Temp("binary.png")).Status, 0) << type;
        TBitmap byDefault, binary;
        ASSERT_TRUE(LoadPng(Temp("default.png"), byDefault));
        ASSERT_TRUE(LoadPng(Temp("binary.png"), binary));
        ASSERT_EQ(byDefault.Width(), binary.Width());
        EXPECT_FALSE(DifferIn(byDefault, binary, {0, 0, binary.Width(), binary.Height()})) << type;
    }
    // In binary 13 is 001101: the hours' first LED is dark, in BCD it would not be drawn;
    // the standard formats still read BCD by default.
    ASSERT_EQ(Render("--time 13:47:05 --out " + Temp("standard.png")).Status, 0);
    ASSERT_EQ(Render("--time 13:47:05 --bcd 0 --out " + Temp("standard-binary.png")).Status, 0);
    TBitmap bcd, binary;
    ASSERT_TRUE(LoadPng(Temp("standard.png"), bcd));
    ASSERT_TRUE(LoadPng(Temp("standard-binary.png"), binary));
    EXPECT_TRUE(DifferIn(bcd, binary, {0, 0, bcd.Width(), bcd.Height()}));
}

}  // namespace
