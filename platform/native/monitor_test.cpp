#include "platform/native/monitor.h"

#include <gtest/gtest.h>

#include "platform/native/headless.h"

namespace native {
namespace {

TEST(Monitor, DensityOfASizeCountsNonsenseAsUnknown) {
    struct {
        int pixels, millimetres, expected;
    } cases[] = {
        {1920, 508, 96},   // a 24" full-HD panel
        {3840, 294, 332},  // a 14" 4K laptop panel
        {2560, 0, 0},      // no size reported (virtual screens, Xvfb outputs)
        {1280, -5, 0},     // negative
        {0, 300, 0},       // no pixels
        {1920, 10, 0},     // 4877 dpi: not a screen
        {640, 1000, 0},    // 16 dpi: a projector's wall, not a density to draw for
    };
    for (const auto& c : cases)
        EXPECT_EQ(PixelsPerInchOfSize(c.pixels, c.millimetres), c.expected)
            << c.pixels << " px over " << c.millimetres << " mm";
}

TEST(Monitor, ScaleIsTheRatioToNinetySixInQuartersFromOneToFour) {
    struct {
        int ppi, percent;
    } cases[] = {
        {96, 100},  {72, 100},  {0, 100},   {107, 100}, {108, 125}, {120, 125}, {144, 150},
        {168, 175}, {192, 200}, {200, 200}, {288, 300}, {384, 400}, {480, 400}, {9999, 400},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScalePercentForPixelsPerInch(c.ppi), c.percent) << c.ppi << " dpi";
}

TEST(Monitor, ScaledLengthsRoundToTheNearestPixelSymmetrically) {
    EXPECT_EQ(ScaleLength(150, 200), 300);
    EXPECT_EQ(ScaleLength(150, 125), 188);  // 187.5
    EXPECT_EQ(ScaleLength(-150, 125), -188);
    EXPECT_EQ(ScaleLength(1, 150), 2);  // 1.5
    EXPECT_EQ(ScaleLength(0, 400), 0);
    EXPECT_EQ(ScaleLength(90, 100), 90);
}

TEST(Monitor, AWindowBelongsToTheMonitorOfItsCentreElseTheNearest) {
    const std::vector<TMonitor> monitors = {
        {{0, 0, 1920, 1080}, 96},
        {{1920, 0, 1920 + 3840, 2160}, 192},
    };
    EXPECT_EQ(MonitorIndexFor(monitors, TRect::FromSize(100, 100, 150, 90)), 0);
    EXPECT_EQ(MonitorIndexFor(monitors, TRect::FromSize(1900, 100, 150, 90)), 1);  // centre 1975
    EXPECT_EQ(MonitorIndexFor(monitors, TRect::FromSize(1800, 100, 150, 90)), 0);  // centre 1875
    // Below the first monitor, in the gap under it: the first is nearer.
    EXPECT_EQ(MonitorIndexFor(monitors, TRect::FromSize(500, 1500, 150, 90)), 0);
    // Far to the right: the second.
    EXPECT_EQ(MonitorIndexFor(monitors, TRect::FromSize(9000, 500, 150, 90)), 1);
    EXPECT_EQ(MonitorIndexFor({}, TRect::FromSize(0, 0, 10, 10)), -1);
}

TEST(HeadlessMonitors, OneMonitorIsTheScreenUntilOthersAreSetAndChangesAreReported) {
    THeadlessBackend backend({800, 600}, 120);
    ASSERT_EQ(backend.Monitors().size(), 1u);
    EXPECT_EQ(backend.Monitors()[0], (TMonitor{{0, 0, 800, 600}, 120}));

    backend.SetMonitors({{{0, 0, 640, 480}, 96}, {{640, 0, 640 + 1280, 1024}, 192}});
    EXPECT_EQ(backend.Monitors().size(), 2u);
    EXPECT_EQ(backend.ScreenSize(), (TSize{640, 480}));
    std::vector<TEvent> events;
    backend.WaitEvents(backend.NowMs(), events);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].Kind, TEventKind::ScreenChanged);
    // The composed screen holds both monitors.
    EXPECT_EQ(backend.Screenshot().Width(), 1920);
    EXPECT_EQ(backend.Screenshot().Height(), 1024);

    backend.SetMonitors({});
    EXPECT_EQ(backend.Monitors()[0].PixelsPerInch, 120);
}

}  // namespace
}  // namespace native
