// The clock's properties, window, polling and LED cropping.
#include <functional>

#include "platform/ui/timer.h"
#include "tests/support/clock_test_host.h"

namespace clocktest {
namespace {

class Clock : public TClockHost {};

TEST_F(Clock, StartsWithTheDocumentedModes) {
    TBinaryClock fresh(nullptr);
    EXPECT_EQ(fresh.LedColor(), lcRed);
    EXPECT_EQ(fresh.ModeShape(), lsRound);
    EXPECT_EQ(fresh.ModeTransparentLed(), 1);
    EXPECT_EQ(fresh.Mode24(), 1);
    EXPECT_EQ(fresh.ModeBcd(), 0);
    EXPECT_EQ(fresh.ModeBcdHide(), 1);
    EXPECT_EQ(fresh.ModeSecondsHide(), 0);
    EXPECT_EQ(fresh.ModeDoubleBuffered(), 1);
    EXPECT_EQ(fresh.Type(), ctLargeStandard);
    EXPECT_EQ(fresh.LastSecond(), 0);
    EXPECT_FALSE(fresh.ControlStyle() & csOpaque);
}

TEST_F(Clock, WindowIsTransparentAndDoesNotClip) {
    HWND h = clock->Handle();
    DWORD style = DWORD(GetWindowLongA(h, GWL_STYLE));
    DWORD exStyle = DWORD(GetWindowLongA(h, GWL_EXSTYLE));
    EXPECT_FALSE(style & WS_CLIPCHILDREN);
    EXPECT_FALSE(style & WS_CLIPSIBLINGS);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_TRUE(exStyle & WS_EX_TRANSPARENT);
}

TEST_F(Clock, BackgroundEraseIsReportedDoneWithoutDrawing) {
    const TBitmap before = Shown();
    HDC dc = GetDC(clock->Handle());
    EXPECT_EQ(clock->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
    ReleaseDC(clock->Handle(), dc);
    EXPECT_TRUE(SamePixels(Shown(), before));
}

TEST_F(Clock, OtherMessagesTakeTheInheritedWay) {
    std::vector<std::string> log;
    clock->OnMouseDown = [&](TObject* sender, TMouseButton, TShiftState, int x, int y) {
        EXPECT_EQ(sender, clock);
        log.push_back("down " + std::to_string(x) + "," + std::to_string(y));
    };
    clock->OnClick = [&](TObject*) { log.push_back("click"); };
    app.Backend().Click(100 + 11 + 5, 100 + 9 + 7);
    app.Run();
    EXPECT_EQ(log, (std::vector<std::string>{"down 5,7", "click"}));
}

TEST_F(Clock, EverySetterStoresItsValueAndRepaintsAtOnce) {
    struct TSetter {
        const char* Name;
        std::function<void(int)> Set;
        std::function<int()> Get;
    };
    TBinaryClock* c = clock;
    const TSetter setters[] = {
        {"LedColor", [c](int v) { c->SetLedColor(v); }, [c] { return c->LedColor(); }},
        {"ModeShape", [c](int v) { c->SetModeShape(v); }, [c] { return c->ModeShape(); }},
        {"ModeTransparentLed", [c](int v) { c->SetModeTransparentLed(v); },
         [c] { return c->ModeTransparentLed(); }},
        {"Mode24", [c](int v) { c->SetMode24(v); }, [c] { return c->Mode24(); }},
        {"ModeBcd", [c](int v) { c->SetModeBcd(v); }, [c] { return c->ModeBcd(); }},
        {"ModeBcdHide", [c](int v) { c->SetModeBcdHide(v); }, [c] { return c->ModeBcdHide(); }},
        {"ModeSecondsHide", [c](int v) { c->SetModeSecondsHide(v); },
         [c] { return c->ModeSecondsHide(); }},
        {"ModeDoubleBuffered", [c](int v) { c->SetModeDoubleBuffered(v); },
         [c] { return c->ModeDoubleBuffered(); }},
        {"Type", [c](int v) { c->SetType(v); }, [c] { return c->Type(); }},
    };
    TColor on = Art(clockart::kKeyedRedOn).Pixel(9, 9);
    TColor off = Art(clockart::kKeyedRedOff).Pixel(9, 9);
    // The last seconds cell (bit 0) of the large format, in the window.
    TPoint bit0{11 + 92 + 18 + 9, 9 + 3 * 18 + 9};
    int second = 5;
    for (const TSetter& s : setters) {
        SCOPED_TRACE(s.Name);
        int value = s.Get();
        // Same value again: still a repaint. A new second shows without the message loop.
        second ^= 1;
        SetTime(13, 47, second);
        int paints = clock->Paints;
        s.Set(value);
        EXPECT_EQ(clock->Paints, paints + 1);
        EXPECT_EQ(Shown().Pixel(bit0.X, bit0.Y), second & 1 ? on : off);
        // Values are stored as they come.
        s.Set(-77);
        EXPECT_EQ(s.Get(), -77);
        s.Set(value);
    }
}

TEST_F(Clock, TwoPollsInOneSecondRequestOneRepaint) {
    SetTime(13, 47, 6);
    int paints = clock->Paints;
    EXPECT_EQ(clock->InvalidateIfTimeChanged(), 1);
    EXPECT_EQ(clock->LastSecond(), 6);
    EXPECT_EQ(clock->Paints, paints);  // deferred: nothing painted yet
    app.Run(400);
    EXPECT_EQ(clock->Paints, paints + 1);
    EXPECT_EQ(clock->InvalidateIfTimeChanged(), 0);
    app.Run(400);
    EXPECT_EQ(clock->Paints, paints + 1);
    // The repaint showed 13:47:06: the last seconds cell is off.
    EXPECT_EQ(Shown().Pixel(11 + 92 + 18 + 9, 9 + 3 * 18 + 9),
              Art(clockart::kKeyedRedOff).Pixel(9, 9));
    app.Run(400);  // now 13:47:07
    EXPECT_EQ(clock->InvalidateIfTimeChanged(), 1);
    app.Run();
    EXPECT_EQ(Shown().Pixel(11 + 92 + 18 + 9, 9 + 3 * 18 + 9),
              Art(clockart::kKeyedRedOn).Pixel(9, 9));
}

TEST_F(Clock, PollsCompareOnlyTheSeconds) {
    TCountingClock fresh(nullptr);
    SetTime(10, 0, 0);
    EXPECT_EQ(fresh.InvalidateIfTimeChanged(), 0);  // seconds 0 were "seen" at construction
    SetTime(10, 0, 30);
    EXPECT_EQ(fresh.InvalidateIfTimeChanged(), 1);
    SetTime(11, 15, 30);
    EXPECT_EQ(fresh.InvalidateIfTimeChanged(), 0);
}

TEST_F(Clock, PollingRepaintsOncePerSecondAlsoWithSecondsHidden) {
    clock->SetModeSecondsHide(1);
    SetTime(13, 47, 58);
    struct TPoll {
        int Second, Result;
    };
    std::vector<TPoll> polls;
    auto* timer = new TTimer(form);
    timer->SetInterval(250);
    timer->SetOnTimer([&](TObject*) {
        int second = LocalTimeNow().tm_sec;
        polls.push_back({second, clock->InvalidateIfTimeChanged()});
    });
    app.Run();
    int paints = clock->Paints;
    app.Run(3100);
    timer->SetEnabled(false);
    ASSERT_GE(polls.size(), 12u);
    int repaints = 0;
    for (size_t i = 0; i < polls.size(); ++i) {
        bool first = i == 0 || polls[i].Second != polls[i - 1].Second;
        EXPECT_EQ(polls[i].Result, first ? 1 : 0) << "poll " << i;
        repaints += polls[i].Result;
    }
    EXPECT_EQ(repaints, 4);  // seconds 58, 59, 0 and 1
    EXPECT_EQ(clock->Paints, paints + repaints);
    // The minute that came on the way shows.
    TBitmap actual = Shown();
    TBitmap on = Art(clockart::kKeyedRedOn), off = Art(clockart::kKeyedRedOff);
    on.SetTransparent(true);
    off.SetTransparent(true);
    TBitmap expected = Expected(Beneath(), kFormats[0].ClockBounds,
                                Cells(kFormats[0], {"00001101", "00110000", ""}), on, off);
    EXPECT_TRUE(SamePixels(actual, expected));
}

// The tick: only the cells that change ----------------------------------------------------------

std::tm At(int h, int m, int s) {
    return VirtualLocalTime(LocalSeconds(h, m, s));
}

// The smallest rectangle holding every pixel in which two pictures differ.
TRect Differing(const TBitmap& a, const TBitmap& b) {
    TRect area;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y)) area = area.Union({x, y, x + 1, y + 1});
    return area;
}

TEST_F(Clock, ChangedAreaHoldsEveryPixelThatChanges) {
    struct TModes {
        const char* Name;
        int Bcd, Hour24, SecondsHide, Color;
    };
    const TModes modes[] = {
        {"bcd", 1, 1, 0, lcRed},
        {"binary", 0, 1, 0, lcGreen},
        {"12-hour", 1, 0, 0, lcAmber},
        {"no seconds", 0, 1, 1, lcBlue},
        {"switch cells", 0, 0, 0, lcSwitch},
    };
    const std::pair<std::tm, std::tm> steps[] = {
        {At(13, 47, 5), At(13, 47, 6)}, {At(13, 47, 59), At(13, 48, 0)},
        {At(23, 59, 59), At(0, 0, 0)},  {At(12, 59, 59), At(13, 0, 0)},
        {At(9, 59, 59), At(10, 0, 0)},  {At(13, 47, 5), At(13, 47, 5)},
        {At(0, 0, 0), At(12, 0, 0)},
    };
    for (const TFormat& f : kFormats) {
        Place(f, Art(f.AluminiumPicture));
        for (const TModes& m : modes) {
            clock->SetModeBcd(m.Bcd);
            clock->SetMode24(m.Hour24);
            clock->SetModeSecondsHide(m.SecondsHide);
            clock->SetLedColor(m.Color);
            for (const auto& [from, to] : steps) {
                SCOPED_TRACE(std::string("format ") + std::to_string(f.Type) + ", " + m.Name +
                             ", " + std::to_string(from.tm_hour) + ":" +
                             std::to_string(from.tm_min) + ":" + std::to_string(from.tm_sec) +
                             " to " + std::to_string(to.tm_hour) + ":" + std::to_string(to.tm_min) +
                             ":" + std::to_string(to.tm_sec));
                SetTime(from.tm_hour, from.tm_min, from.tm_sec);
                clock->Repaint();
                TBitmap before = Shown();
                SetTime(to.tm_hour, to.tm_min, to.tm_sec);
                clock->Repaint();
                TRect changed = Differing(before, Shown());
                TRect area =
                    clock->ChangedArea(from, to).Offset(f.ClockBounds.Left, f.ClockBounds.Top);
                EXPECT_TRUE(changed.IsEmpty() || area.Union(changed) == area)
                    << "changed pixels outside the area";
                EXPECT_EQ(changed.IsEmpty(), area.IsEmpty());
            }
        }
    }
}

TEST_F(Clock, ChangedAreaIsTheCellsThatChangeOnly) {
    clock->SetModeBcd(1);
    // 05 to 06 seconds: the ones digit 0101 becomes 0110, its last two cells change.
    EXPECT_EQ(clock->ChangedArea(At(13, 47, 5), At(13, 47, 6)), (TRect{110, 36, 128, 72}));
    // Seconds hidden: a new second changes nothing; a new minute does.
    clock->SetModeSecondsHide(1);
    EXPECT_TRUE(clock->ChangedArea(At(13, 47, 5), At(13, 47, 6)).IsEmpty());
    EXPECT_FALSE(clock->ChangedArea(At(13, 47, 59), At(13, 48, 0)).IsEmpty());
    // A colour without art draws no cells: nothing can change.
    clock->SetLedColor(77);
    EXPECT_TRUE(clock->ChangedArea(At(13, 47, 59), At(13, 48, 0)).IsEmpty());
}

TEST_F(Clock, TickRepaintsTheChangedCellsIntoTheFaceAFullPaintShows) {
    clock->SetModeBcd(1);
    SetTime(13, 47, 5);
    clock->Repaint();
    SetTime(13, 47, 6);
    app.Run();  // the window takes the news of the set clock
    int paints = clock->Paints;
    clock->Tick();
    TRect pending;
    ASSERT_TRUE(GetUpdateRect(clock->Handle(), &pending));
    EXPECT_EQ(pending, (TRect{110, 36, 128, 72}));
    app.Run();
    EXPECT_EQ(clock->Paints, paints + 1);
    TBitmap ticked = Shown();
    clock->Repaint();
    EXPECT_TRUE(SamePixels(ticked, Shown()));
    // Nothing changed since: the next tick asks for nothing.
    clock->Tick();
    EXPECT_FALSE(GetUpdateRect(clock->Handle(), &pending));
}

TEST_F(Clock, AFaceMixedByAPartialPaintIsRepaintedWhole) {
    clock->SetModeBcd(1);
    SetTime(13, 47, 5);
    clock->Repaint();
    // A paint of the minutes alone at 13:48:06 leaves the seconds showing 05.
    SetTime(13, 48, 6);
    clock->InvalidateRect({46, 0, 82, 72});
    app.Run();
    clock->Tick();
    app.Run();
    TBitmap ticked = Shown();
    clock->Repaint();
    EXPECT_TRUE(SamePixels(ticked, Shown()));
}

TEST_F(Clock, TickTellsWhenTheFaceNextChanges) {
    struct TCase {
        int Second, IntoSecondMs, SecondsHide, Wait;
    };
    const TCase cases[] = {
        {5, 0, 0, 1000},    {5, 300, 0, 700}, {59, 999, 0, 1},
        {5, 300, 1, 54700}, {0, 0, 1, 60000}, {59, 999, 1, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.Second) + "." + std::to_string(c.IntoSecondMs));
        clock->SetModeSecondsHide(c.SecondsHide);
        SetTime(13, 47, c.Second);
        app.Run(c.IntoSecondMs);
        EXPECT_EQ(clock->Tick(), c.Wait);
    }
}

// Cropping -------------------------------------------------------------------------------------

TEST(ClockCrop, SquareAndRectLeaveTheCentreOfEveryLed) {
    for (int id : {49, 50, 51, 52, 53, 54, 55, 56, 75, 76, 77, 78, 79, 80, 88, 89}) {
        SCOPED_TRACE(id);
        TBitmap art = Art(id);
        ASSERT_EQ(art.Width(), 18);
        TBitmap square(art), rect(art);
        TBinaryClock::MakeSquareLed(square);
        TBinaryClock::MakeRectLed(rect);
        EXPECT_TRUE(SamePixels(square, Cropped(art, {4, 4, 14, 14})));
        EXPECT_TRUE(SamePixels(rect, Cropped(art, {3, 6, 15, 12})));
    }
}

TEST(ClockCrop, CountsComeFromTheWidthAndStayInsideThePicture) {
    struct TCase {
        TSize Size;
        TRect Square, Rect;
    };
    const TCase cases[] = {
        {{9, 24}, {2, 2, 7, 22}, {1, 3, 8, 21}},  // the switch for a set bit
        {{9, 25}, {2, 2, 7, 23}, {1, 3, 8, 22}},
        {{30, 4}, {}, {}},                        // more rows to blacken than the picture has
        {{3, 40}, {0, 0, 3, 40}, {0, 1, 3, 39}},  // too narrow for square columns
        {{1, 1}, {0, 0, 1, 1}, {0, 0, 1, 1}},
        {{0, 0}, {}, {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.Size.cx) + "x" + std::to_string(c.Size.cy));
        TBitmap art(c.Size.cx, c.Size.cy);
        for (int y = 0; y < art.Height(); ++y)
            for (int x = 0; x < art.Width(); ++x)
                art.SetPixel(x, y, RGB(x * 7 + 1, y * 5 + 1, 200));
        TBitmap square(art), rect(art);
        TBinaryClock::MakeSquareLed(square);
        TBinaryClock::MakeRectLed(rect);
        EXPECT_TRUE(SamePixels(square, Cropped(art, c.Square)));
        EXPECT_TRUE(SamePixels(rect, Cropped(art, c.Rect)));
    }
}

TEST(ClockCrop, PicturesWithAPaletteAreCroppedToo) {
    TBitmap art = Art(clockart::kKeyedGreenOn);
    TBitmap paletted(art);
    paletted.SetPixelFormat(pf8bit);
    TBitmap expected = Cropped(paletted, {4, 4, 14, 14});
    TBinaryClock::MakeSquareLed(paletted);
    EXPECT_EQ(paletted.PixelFormat(), pf24bit);
    EXPECT_TRUE(SamePixels(paletted, expected));
}

}  // namespace
}  // namespace clocktest
