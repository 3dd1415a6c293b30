// What the clock draws, checked on the window's pixels: cell states, layouts, hiding,
// keying and cropping over the pictures the main window puts under the clock.
#include <climits>

#include "tests/support/clock_test_host.h"

namespace clocktest {
namespace {

using TUnits = std::array<std::string, 3>;

class ClockPaint : public TClockHost {
protected:
    // Keyed red LEDs, as drawn over a picture.
    TBitmap keyedOn = Keyed(Art(clockart::kKeyedRedOn));
    TBitmap keyedOff = Keyed(Art(clockart::kKeyedRedOff));
    TBitmap switchOn = Art(clockart::kSwitchOn);
    TBitmap switchOff = Art(clockart::kSwitchOff);

    static TBitmap Keyed(TBitmap art) {
        art.SetTransparent(true);
        return art;
    }

    // Shows format f over its aluminium picture at h:m:s and checks every pixel of the
    // window against the background with cells drawn as the patterns say.
    ::testing::AssertionResult Shows(const TFormat& f, const TUnits& units, TBitmap& on,
                                     TBitmap& off) {
        TBitmap actual = Shown();
        TBitmap beneath = Beneath();
        return SamePixels(actual, Expected(beneath, f.ClockBounds, Cells(f, units), on, off));
    }
    ::testing::AssertionResult Shows(const TFormat& f, const TUnits& units) {
        if (f.Type == ctDipSwitch) return Shows(f, units, switchOn, switchOff);
        return Shows(f, units, keyedOn, keyedOff);
    }

    void Show(const TFormat& f, int h, int m, int s) {
        Place(f, Art(f.AluminiumPicture));
        SetTime(h, m, s);
        clock->Repaint();
        app.Run();
    }
};

// The examples at 13:47:05 and the other documented cases, in binary and in BCD, with and
// without hiding, in standard and horizontal formats.
struct TPatternCase {
    const char* Name;
    TClockType Type;
    int Bcd, BcdHide;
    int H, M, S;
    TUnits Units;
};

const TPatternCase kPatternCases[] = {
    {"standard binary", ctLargeStandard, 0, 1, 13, 47, 5, {"0000 1101", "0010 1111", "0000 0101"}},
    {"standard BCD hiding",
     ctLargeStandard,
     1,
     1,
     13,
     47,
     5,
     {"--01 0011", "-100 0111", "-000 0101"}},
    {"standard BCD shown",
     ctLargeStandard,
     1,
     0,
     13,
     47,
     5,
     {"0001 0011", "0100 0111", "0000 0101"}},
    {"standard BCD 23:59:59",
     ctLargeStandard,
     1,
     1,
     23,
     59,
     59,
     {"--10 0011", "-101 1001", "-101 1001"}},
    {"small BCD hiding", ctSmallStandard, 1, 1, 13, 47, 5, {"--01 0011", "-100 0111", "-000 0101"}},
    {"tiny binary", ctTinyStandard, 0, 0, 13, 47, 5, {"0000 1101", "0010 1111", "0000 0101"}},
    {"horizontal", ctLargeHoriz, 0, 1, 13, 47, 5, {"00001101", "00101111", "00000101"}},
    {"horizontal BCD hiding", ctLargeHoriz, 1, 1, 13, 47, 5, {"-0001101", "-0101111", "-0000101"}},
    {"horizontal BCD shown", ctSmallHoriz, 1, 0, 23, 59, 59, {"00010111", "00111011", "00111011"}},
    {"tiny horizontal BCD hiding",
     ctTinyHoriz,
     1,
     1,
     23,
     59,
     59,
     {"-0010111", "-0111011", "-0111011"}},
    {"switch BCD hiding", ctDipSwitch, 1, 1, 13, 47, 5, {"-0001101", "-0101111", "-0000101"}},
};

TEST_F(ClockPaint, CellsShowTheTimeAndHiddenCellsThePictureBeneath) {
    for (const TPatternCase& c : kPatternCases) {
        SCOPED_TRACE(c.Name);
        clock->SetModeBcd(c.Bcd);
        clock->SetModeBcdHide(c.BcdHide);
        Show(kFormats[size_t(c.Type)], c.H, c.M, c.S);
        EXPECT_TRUE(Shows(kFormats[size_t(c.Type)], c.Units));
    }
}

TEST_F(ClockPaint, ExampleCellsHaveTheLitAndUnlitColours) {
    // Independent of any expected-picture drawing: sample the middle of the hour cells.
    clock->SetModeBcd(0);
    Show(kFormats[ctLargeStandard], 13, 47, 5);
    TColor on = Art(clockart::kKeyedRedOn).Pixel(9, 9),
           off = Art(clockart::kKeyedRedOff).Pixel(9, 9);
    const TBitmap& shown = Shown();
    const char* hours = "00001101";
    for (int i = 0; i < 8; ++i) {
        int x = 11 + (i / 4) * 18 + 9, y = 9 + (i % 4) * 18 + 9;
        EXPECT_EQ(shown.Pixel(x, y), hours[i] == '1' ? on : off) << "cell " << i;
    }
}

TEST_F(ClockPaint, TwelveHourDisplayPerFormat) {
    struct TCase {
        int H, M, S;
        TUnits Large, Others;
    };
    const TCase cases[] = {
        {0, 0, 0, {"00001100", "00000000", "00000000"}, {"00000000", "00000000", "00000000"}},
        {12, 30, 0, {"00001100", "00011110", "00000000"}, {"00001100", "00011110", "00000000"}},
        {23, 59, 59, {"00001011", "00111011", "00111011"}, {"00001011", "00111011", "00111011"}},
        {13, 47, 5, {"00000001", "00101111", "00000101"}, {"00000001", "00101111", "00000101"}},
    };
    clock->SetModeBcd(0);
    clock->SetMode24(0);
    for (const TCase& c : cases) {
        for (const TFormat& f : kFormats) {
            SCOPED_TRACE(std::to_string(c.H) + ":" + std::to_string(c.M) + " format " +
                         std::to_string(f.Type));
            Show(f, c.H, c.M, c.S);
            EXPECT_TRUE(Shows(f, f.Type == ctLargeStandard ? c.Large : c.Others));
        }
    }
}

TEST_F(ClockPaint, TwelveHourMidnightInBcd) {
    clock->SetMode24(0);
    clock->SetModeBcd(1);
    clock->SetModeBcdHide(1);
    Show(kFormats[ctLargeStandard], 0, 5, 9);
    EXPECT_TRUE(Shows(kFormats[ctLargeStandard], {"--01 0010", "-000 0101", "-000 1001"}));
    Show(kFormats[ctSmallStandard], 0, 5, 9);
    EXPECT_TRUE(Shows(kFormats[ctSmallStandard], {"--00 0000", "-000 0101", "-000 1001"}));
    // 24-hour display leaves midnight at 0 in the large format too.
    clock->SetMode24(1);
    Show(kFormats[ctLargeStandard], 0, 5, 9);
    EXPECT_TRUE(Shows(kFormats[ctLargeStandard], {"--00 0000", "-000 0101", "-000 1001"}));
}

TEST_F(ClockPaint, HiddenSecondsLeaveThePictureAndKeepHoursAndMinutesInPlace) {
    clock->SetModeSecondsHide(1);
    for (const TFormat& f : kFormats) {
        SCOPED_TRACE(f.Type);
        Show(f, 13, 47, 5);
        EXPECT_TRUE(Shows(f, {"00001101", "00101111", ""}));
    }
}

TEST_F(ClockPaint, CellsThatBecomeHiddenShowThePictureAgainAtOnce) {
    clock->SetModeBcd(0);
    Show(kFormats[ctLargeStandard], 13, 47, 5);
    clock->SetModeBcd(1);  // repaints at once, hiding three cells of every block
    EXPECT_TRUE(Shows(kFormats[ctLargeStandard], {"--01 0011", "-100 0111", "-000 0101"}));
    clock->SetModeSecondsHide(1);
    EXPECT_TRUE(Shows(kFormats[ctLargeStandard], {"--01 0011", "-100 0111", ""}));
}

TEST_F(ClockPaint, OpaqueLedsCoverTheirCellsWithTheirOwnSurround) {
    clock->SetModeTransparentLed(0);
    for (auto [color, onId, offId] :
         {std::tuple{lcRed, 88, 89}, {lcBlue, 80, 79}, {lcAmber, 78, 77}, {lcGreen, 76, 75}}) {
        SCOPED_TRACE(color);
        clock->SetLedColor(color);
        Place(kFormats[ctLargeStandard], Art(85));
        app.Run();
        TBitmap on = Art(onId), off = Art(offId);
        EXPECT_TRUE(
            Shows(kFormats[ctLargeStandard], {"00001101", "00101111", "00000101"}, on, off));
    }
}

TEST_F(ClockPaint, KeyedLedsOfEveryColourShowNoBlackSquare) {
    for (auto [color, onId, offId] :
         {std::tuple{lcRed, 55, 56}, {lcBlue, 53, 54}, {lcAmber, 51, 52}, {lcGreen, 49, 50}}) {
        SCOPED_TRACE(color);
        clock->SetLedColor(color);
        Place(kFormats[ctLargeStandard], Art(48));  // mahogany
        app.Run();
        TBitmap on = Keyed(Art(onId)), off = Keyed(Art(offId));
        EXPECT_TRUE(
            Shows(kFormats[ctLargeStandard], {"00001101", "00101111", "00000101"}, on, off));
        // The corner of the first cell is the wood, not the art's black.
        EXPECT_EQ(Shown().Pixel(11, 9), Art(48).Pixel(11, 9));
    }
}

TEST_F(ClockPaint, SquareAndRectLedsOverAluminiumShowTheMetal) {
    struct TCase {
        TLedShape Shape;
        TRect Keep;  // what remains of an 18 x 18 LED
    };
    for (const TCase& c : {TCase{lsSquare, {4, 4, 14, 14}}, TCase{lsRect, {3, 6, 15, 12}}}) {
        SCOPED_TRACE(c.Shape);
        for (const TFormat& f : {kFormats[ctLargeStandard], kFormats[ctSmallStandard],
                                 kFormats[ctLargeHoriz], kFormats[ctTinyHoriz]}) {
            SCOPED_TRACE(f.Type);
            Show(f, 13, 47, 5);
            clock->SetModeShape(c.Shape);
            TBitmap on = Keyed(Cropped(Art(clockart::kKeyedRedOn), c.Keep));
            TBitmap off = Keyed(Cropped(Art(clockart::kKeyedRedOff), c.Keep));
            EXPECT_TRUE(Shows(f, {"00001101", "00101111", "00000101"}, on, off));
            clock->SetModeShape(lsRound);
        }
        // The lit hour cell at column 1 row 0 of the large format: metal where the disc's
        // edge was cut away, LED inside the kept part.
        Show(kFormats[ctLargeStandard], 13, 47, 5);
        clock->SetModeShape(c.Shape);
        TBitmap metal = Art(62), led = Art(clockart::kKeyedRedOn);
        int cx = 11 + 18, cy = 9;
        EXPECT_EQ(Shown().Pixel(cx + 1, cy + 9), metal.Pixel(cx + 1, cy + 9));
        EXPECT_EQ(Shown().Pixel(cx + 9, cy + 3), metal.Pixel(cx + 9, cy + 3));
        EXPECT_EQ(Shown().Pixel(cx + 9, cy + 9), led.Pixel(9, 9));
        clock->SetModeShape(lsRound);
    }
}

TEST_F(ClockPaint, OpaqueSquareLedsAreBlackAroundTheSquare) {
    clock->SetModeTransparentLed(0);
    clock->SetModeShape(lsSquare);
    Place(kFormats[ctLargeStandard], Art(85));
    app.Run();
    TBitmap on = Cropped(Art(clockart::kOpaqueRedOn), {4, 4, 14, 14});
    TBitmap off = Cropped(Art(clockart::kOpaqueRedOff), {4, 4, 14, 14});
    EXPECT_TRUE(Shows(kFormats[ctLargeStandard], {"00001101", "00101111", "00000101"}, on, off));
}

TEST_F(ClockPaint, ShapeChangeLeavesNoPixelsOfTheRoundLeds) {
    Show(kFormats[ctLargeStandard], 13, 47, 5);
    for (TLedShape shape : {lsSquare, lsRect, lsRound, lsRect}) {
        SCOPED_TRACE(shape);
        clock->SetModeShape(shape);  // a synchronous repaint: no message loop in between
        TRect keep = shape == lsSquare ? TRect{4, 4, 14, 14}
                     : shape == lsRect ? TRect{3, 6, 15, 12}
                                       : TRect{0, 0, 18, 18};
        TBitmap on = Keyed(Cropped(Art(clockart::kKeyedRedOn), keep));
        TBitmap off = Keyed(Cropped(Art(clockart::kKeyedRedOff), keep));
        EXPECT_TRUE(
            Shows(kFormats[ctLargeStandard], {"00001101", "00101111", "00000101"}, on, off));
    }
}

TEST_F(ClockPaint, DipSwitchLooksTheSameForEveryColourShapeAndKeying) {
    Show(kFormats[ctDipSwitch], 13, 47, 5);
    for (TLedColor color = lcRed; color <= lcSwitch; ++color)
        for (TLedShape shape = lsRound; shape <= lsRect; ++shape)
            for (int keyed = 0; keyed <= 1; ++keyed) {
                SCOPED_TRACE(std::to_string(color) + " " + std::to_string(shape) + " " +
                             std::to_string(keyed));
                clock->SetLedColor(color);
                clock->SetModeShape(shape);
                clock->SetModeTransparentLed(keyed);
                // Switches for set bits (9 x 24) and clear bits (9 x 25), both in 9 x 25.
                EXPECT_TRUE(Shows(kFormats[ctDipSwitch], {"00001101", "00101111", "00000101"},
                                  switchOn, switchOff));
            }
}

TEST_F(ClockPaint, SwitchColourServesAsCellsInOtherFormats) {
    clock->SetLedColor(lcSwitch);
    clock->SetModeShape(lsRound);
    // The large formats draw the switches at their own size from each cell's top-left
    // corner, so a switch reaches into the cell below it; the others stretch them.
    for (TClockType type :
         {ctLargeStandard, ctSmallStandard, ctTinyStandard, ctLargeHoriz, ctSmallHoriz}) {
        SCOPED_TRACE(type);
        Show(kFormats[size_t(type)], 13, 47, 5);
        EXPECT_TRUE(Shows(kFormats[size_t(type)], {"00001101", "00101111", "00000101"}, switchOn,
                          switchOff));
    }
    // Switch pictures are never keyed, and cropped like any LED.
    clock->SetModeShape(lsSquare);
    Show(kFormats[ctSmallHoriz], 13, 47, 5);
    TBitmap on = Cropped(switchOn, {2, 2, 7, 22}), off = Cropped(switchOff, {2, 2, 7, 23});
    EXPECT_TRUE(Shows(kFormats[ctSmallHoriz], {"00001101", "00101111", "00000101"}, on, off));
}

TEST_F(ClockPaint, AreaCoveredByTheCells) {
    // Opaque LEDs on a plain magenta window, the clock larger than any layout: every
    // pixel a cell covers differs from the window's colour.
    form->SetColor(clFuchsia);
    picture->Picture = TBitmap();
    form->SetBounds(100, 100, 500, 100);
    clock->SetBounds(10, 10, 480, 80);
    clock->SetModeTransparentLed(0);
    for (const TCellArea& c : kCellAreas) {
        for (int hidden = 0; hidden <= 1; ++hidden) {
            SCOPED_TRACE(std::to_string(c.Type) + (hidden ? " seconds hidden" : ""));
            clock->SetModeSecondsHide(hidden);
            clock->SetType(c.Type);
            app.Run();
            const TRect box = InkBox(Shown(), clFuchsia);
            EXPECT_EQ(box.TopLeft(), (TPoint{10, 10}));
            TSize want = hidden ? c.Without : c.With;
            EXPECT_EQ(box.Width(), want.cx);
            EXPECT_EQ(box.Height(), want.cy);
        }
    }
}

TEST_F(ClockPaint, CellsBeyondTheClientAreaAreClipped) {
    // The small standard clock is 35 pixels tall; its cells reach down to 36.
    Show(kFormats[ctSmallStandard], 13, 47, 5);
    EXPECT_TRUE(Shows(kFormats[ctSmallStandard], {"00001101", "00101111", "00000101"}));
    EXPECT_EQ(Shown().Pixel(6, 6 + 35), Art(61).Pixel(6, 6 + 35));
}

TEST_F(ClockPaint, ValuesOutOfRangeDrawNoCellsOrUncroppedCells) {
    const TFormat& large = kFormats[ctLargeStandard];
    Show(large, 13, 47, 5);
    TBitmap beneath = Beneath();
    for (int type : {7, -1, 1000, INT_MIN, INT_MAX}) {
        SCOPED_TRACE("type " + std::to_string(type));
        clock->SetType(type);
        EXPECT_EQ(clock->Type(), type);
        EXPECT_TRUE(SamePixels(Shown(), beneath));
    }
    clock->SetType(ctLargeStandard);
    for (int color : {5, -1, 100, INT_MIN, INT_MAX}) {
        for (int keyed = 0; keyed <= 1; ++keyed) {
            SCOPED_TRACE("colour " + std::to_string(color) + " keyed " + std::to_string(keyed));
            clock->SetModeTransparentLed(keyed);
            clock->SetLedColor(color);
            EXPECT_EQ(clock->LedColor(), color);
            EXPECT_TRUE(SamePixels(Shown(), beneath));
        }
    }
    // Also in the formats that do not otherwise depend on the colour.
    for (TClockType type : {ctLargeHoriz, ctDipSwitch}) {
        SCOPED_TRACE("format " + std::to_string(type));
        Show(kFormats[size_t(type)], 13, 47, 5);
        EXPECT_TRUE(SamePixels(Shown(), Beneath()));
    }
    clock->SetLedColor(lcRed);
    clock->SetModeTransparentLed(1);
    for (int shape : {3, -1, INT_MIN}) {
        SCOPED_TRACE("shape " + std::to_string(shape));
        Show(large, 13, 47, 5);
        clock->SetModeShape(shape);
        EXPECT_TRUE(Shows(large, {"00001101", "00101111", "00000101"}));
    }
}

TEST_F(ClockPaint, FlagsAreOnForAnyNonZeroValue) {
    clock->SetModeBcd(-5);
    clock->SetModeBcdHide(2);
    Show(kFormats[ctLargeStandard], 13, 47, 5);
    EXPECT_TRUE(Shows(kFormats[ctLargeStandard], {"--01 0011", "-100 0111", "-000 0101"}));
    clock->SetMode24(0);
    clock->SetModeBcd(0);
    clock->SetModeSecondsHide(7);
    clock->SetMode24(INT_MIN);  // on: 24-hour display
    EXPECT_TRUE(Shows(kFormats[ctLargeStandard], {"00001101", "00101111", ""}));
    // Painting goes through the off-screen bitmap whatever ModeDoubleBuffered says.
    clock->SetModeDoubleBuffered(0);
    EXPECT_TRUE(Shows(kFormats[ctLargeStandard], {"00001101", "00101111", ""}));
}

}  // namespace
}  // namespace clocktest
