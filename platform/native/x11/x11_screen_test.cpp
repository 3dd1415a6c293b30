// Tests of the X11 backend on a server: the screen and its monitors, the focus rectangle,
// requests about vanished windows, losing the server, and the time to a mapped window.
#ifdef ZT_HAVE_X11

#include "tests/support/x11_testing.h"

namespace native {
namespace {

// Screen
// --------------------------------------------------------------------------------------------

TEST_F(X11Test, ScreenMetrics) {
    EXPECT_EQ(backend->ScreenSize(), (TSize{1024, 768}));
    EXPECT_EQ(backend->BitsPerPixel(), 24);
    EXPECT_TRUE(backend->DragFullWindows());
    EXPECT_GE(backend->PixelsPerInch(), 48);
    EXPECT_LE(backend->PixelsPerInch(), 480);
}

TEST_F(X11Test, XftDpiResourceGivesThePixelsPerInch) {
    Window root = DefaultRootWindow(observer);
    const char resources[] = "Xft.antialias:\t1\nXft.dpi:\t120\n";
    XChangeProperty(observer, root, XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(resources), int(sizeof resources - 1));
    XSync(observer, False);
    std::unique_ptr<TBackend> other = CreateX11Backend(server->Display().c_str());
    XDeleteProperty(observer, root, XA_RESOURCE_MANAGER);
    XSync(observer, False);
    ASSERT_TRUE(other);
    EXPECT_EQ(other->PixelsPerInch(), 120);
    // What the user set holds for every monitor, whatever size the monitors report.
    for (const TMonitor& m : other->Monitors())
        EXPECT_EQ(m.PixelsPerInch, 120);
}

TEST_F(X11Test, MonitorsCoverTheScreenWithTheirDensity) {
    std::vector<TMonitor> monitors = backend->Monitors();
    ASSERT_FALSE(monitors.empty());
    EXPECT_EQ(monitors[0].Bounds.Width(), backend->ScreenSize().cx);
    EXPECT_EQ(monitors[0].Bounds.Height(), backend->ScreenSize().cy);
    EXPECT_EQ(ScalePercentForPixelsPerInch(monitors[0].PixelsPerInch), 100);
}

TEST_F(X11Test, FocusRectInvertsDottedEdgesAndDrawingAgainRestores) {
    // Partly over a window: the outline is drawn above every window.
    auto window = ShownWindow(TRect::FromSize(60, 50, 40, 30),
                              MakeFrame(40, 30, [](int x, int y) { return Pattern(x, y, 8); }));
    Window root = DefaultRootWindow(observer);
    const TRect area{0, 0, 120, 100};
    const TRect rect{50, 40, 80, 60};
    std::vector<TColor> before = ReadPixels(root, area);
    backend->DrawFocusRectOnScreen(rect);
    Sync();
    std::vector<TColor> after = ReadPixels(root, area);
    ASSERT_EQ(after.size(), before.size());
    int inverted = 0;
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x) {
            bool edge = rect.Contains({x, y}) && (x == rect.Left || x == rect.Right - 1 ||
                                                  y == rect.Top || y == rect.Bottom - 1);
            bool dotted = edge && (x + y) % 2 == 0;
            size_t i = size_t(y * area.Width() + x);
            TColor expected = dotted ? (before[i] ^ 0xFFFFFF) : before[i];
            if (dotted) ++inverted;
            ASSERT_EQ(after[i], expected) << x << "," << y;
        }
    EXPECT_EQ(inverted, 48);  // (2 x 30 + 2 x 18) edge pixels, every other one
    backend->DrawFocusRectOnScreen(rect);
    Sync();
    EXPECT_EQ(ReadPixels(root, area), before);
}

TEST_F(X11Test, RequestsAboutAVanishedWindowAreHarmless) {
    auto window = ShownWindow(TRect::FromSize(10, 10, 30, 30),
                              MakeFrame(30, 30, [](int, int) { return clBlue; }));
    Pending();
    int errors = TX11Backend::ErrorCount();
    XDestroyWindow(observer, window->Id());
    XSync(observer, False);
    TRegion region(TRect{0, 0, 10, 10});
    window->SetShape(&region);
    window->SetColorKey(clBlack);
    window->Present(MakeFrame(30, 30, [](int, int) { return clRed; }), {0, 0, 30, 30});
    window->SetBounds(TRect::FromSize(20, 20, 30, 30));
    Sync();
    EXPECT_GT(TX11Backend::ErrorCount(), errors);
    EXPECT_EQ(TX11Backend::LastErrorCode(), BadWindow);
    Pending();
    window.reset();
    Sync();
}

TEST_F(X11Test, LosingTheServerRunsTheHandlerAndEndsWithStatusOne) {
    std::string display = server->Display();
    EXPECT_EXIT(
        {
            std::unique_ptr<TBackend> lost = CreateX11Backend(display.c_str());
            if (!lost) std::_Exit(3);
            // What the clock does: keep what needs no display.
            SetConnectionLostHandler([] {
                static const char saved[] = "saved without the display\n";
                ssize_t written = write(STDERR_FILENO, saved, sizeof saved - 1);
                (void)written;
            });
            // As if the server went away: the connection reads its end.
            shutdown(ConnectionNumber(static_cast<TX11Backend*>(lost.get())->XDisplay()),
                     SHUT_RDWR);
            std::vector<TEvent> events;
            lost->WaitEvents(-1, events);
            std::_Exit(4);
        },
        ::testing::ExitedWithCode(1),
        "connection to the X server was lost\nsaved without the display");
}

TEST_F(X11Test, TimeFromStartToMappedWindow) {
    // Informational: the time a clock takes to appear, from opening the connection.
    int64_t start = backend->NowMs();
    std::unique_ptr<TBackend> fresh = CreateX11Backend(server->Display().c_str());
    ASSERT_TRUE(fresh);
    TWindowParams params;
    params.Bounds = TRect::FromSize(30, 30, 150, 90);
    params.Borderless = true;
    std::unique_ptr<TNativeWindow> window = fresh->CreateNativeWindow(params);
    auto* x11 = static_cast<TX11Window*>(window.get());
    window->Present(MakeFrame(150, 90, [](int x, int y) { return Pattern(x, y, 9); }),
                    {0, 0, 150, 90});
    window->Show(true);
    bool mapped = false;
    // The backend does not report MapNotify; it arrives on its connection after the map,
    // so a round trip after Show is when the window is on the screen.
    XSync(static_cast<TX11Backend*>(fresh.get())->XDisplay(), False);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(observer, x11->Id(), &attributes))
        mapped = attributes.map_state == IsViewable;
    int64_t elapsed = backend->NowMs() - start;
    EXPECT_TRUE(mapped);
    std::printf("connect, create, present, show until mapped: %lld ms\n", (long long)elapsed);
    RecordProperty("map_ms", int(elapsed));
}

}  // namespace
}  // namespace native

#endif  // ZT_HAVE_X11
