// Test host for TBinaryClock: a borderless form on the headless desktop with a picture
// painted under the clock, the clock placed on it as the main window places it, and an
// independent table of every format's layout to build the expected pixels from.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "art/clockart.h"
#include "clock/binaryclock.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/canvas.h"
#include "platform/os/wallclock.h"
#include "platform/ui/form.h"
#include "tests/support/headless_app.h"
#include "tests/support/picture_control.h"

namespace clocktest {

inline TBitmap Art(int id) {
    RegisterClockArt();
    TBitmap art;
    art.LoadFromResourceID(id);
    return art;
}

using ztest::TPictureControl;

// A clock that counts its paints.
class TCountingClock : public TBinaryClock {
public:
    using TBinaryClock::TBinaryClock;
    int Paints = 0;

protected:
    void Paint() override {
        ++Paints;
        TBinaryClock::Paint();
    }
};

// Where one format's cells go, written out from the layout table: cell size, the step
// from one cell to the next (down a column for the standard formats, along the row for
// the horizontal ones), unit origins; and where the main window puts the clock.
struct TFormat {
    TClockType Type;
    bool Horizontal;
    int CellW, CellH;
    int Step;  // standard: column and row pitch; horizontal: cell pitch
    std::array<int, 3> Origins;
    TRect ClockBounds;  // in the window
    TSize Window;
    int AluminiumPicture;
};

inline const std::array<TFormat, 7> kFormats = {{
    {ctLargeStandard, false, 18, 18, 18, {0, 46, 92}, {11, 9, 139, 81}, {150, 90}, 62},
    {ctSmallStandard, false, 9, 9, 9, {0, 22, 44}, {6, 6, 70, 41}, {76, 46}, 61},
    {ctTinyStandard, false, 5, 5, 5, {0, 12, 24}, {4, 4, 40, 24}, {44, 28}, 58},
    {ctLargeHoriz, true, 18, 18, 18, {0, 154, 308}, {9, 6, 464, 26}, {480, 32}, 60},
    {ctSmallHoriz, true, 9, 9, 9, {0, 76, 152}, {6, 4, 231, 13}, {235, 16}, 59},
    {ctTinyHoriz, true, 5, 5, 5, {0, 42, 84}, {4, 2, 129, 7}, {132, 9}, 57},
    {ctDipSwitch, true, 9, 25, 10, {0, 95, 190}, {6, 8, 276, 33}, {280, 41}, 66},
}};

// One cell to expect: its rectangle in the clock, whether it shows the on art, and whether
// the art is drawn at its own size at the rectangle's top-left corner (a cell 18 tall in
// the design) rather than stretched into it.
struct TCell {
    TRect Rect;
    bool Lit;
    bool OwnSize;
};

// The area the cells of each format cover at 100 %, with the seconds shown and hidden.
struct TCellArea {
    TClockType Type;
    TSize With, Without;
};
inline const std::array<TCellArea, 7> kCellAreas = {{
    {ctLargeStandard, {128, 72}, {82, 72}},
    {ctSmallStandard, {62, 36}, {40, 36}},
    {ctTinyStandard, {34, 20}, {22, 20}},
    {ctLargeHoriz, {452, 18}, {298, 18}},
    {ctSmallHoriz, {224, 9}, {148, 9}},
    {ctTinyHoriz, {124, 5}, {82, 5}},
    {ctDipSwitch, {269, 25}, {174, 25}},
}};

// The box of every pixel of picture that is not background (empty when there is none).
inline TRect InkBox(const TBitmap& picture, TColor background) {
    TRect box;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            if (picture.Pixel(x, y) != background) box = box.Union({x, y, x + 1, y + 1});
    return box;
}

// A design length at a scale: rounded to the nearest pixel, halves up.
inline int AtScale(int length, int scale) {
    return (length * scale + 50) / 100;
}

// The cells of a format from one pattern per unit (hours, minutes, seconds). A pattern
// has eight characters: '1' on, '0' off, '-' not drawn; spaces are ignored. Standard
// formats read column 0 rows 0-3, then column 1 rows 0-3; horizontal formats read the row
// from the left. An empty pattern is a unit that is not drawn at all. At a scale, every
// edge of a cell is the design's edge scaled.
inline std::vector<TCell> Cells(const TFormat& f, const std::array<std::string, 3>& units,
                                int scale = 100) {
    std::vector<TCell> cells;
    for (int u = 0; u < 3; ++u) {
        int i = 0;
        for (char ch : units[size_t(u)]) {
            if (ch == ' ') continue;
            int left, top;
            if (f.Horizontal) {
                left = f.Origins[size_t(u)] + i * f.Step;
                top = 0;
            } else {
                left = f.Origins[size_t(u)] + (i / 4) * f.Step;
                top = (i % 4) * f.Step;
            }
            if (ch != '-')
                cells.push_back({{AtScale(left, scale), AtScale(top, scale),
                                  AtScale(left + f.CellW, scale), AtScale(top + f.CellH, scale)},
                                 ch == '1',
                                 f.CellH == 18});
            ++i;
        }
        EXPECT_TRUE(i == 0 || i == 8) << "pattern " << units[size_t(u)];
    }
    return cells;
}

// The window's pixels when the clock is right: the background, with every cell's art drawn
// over the clock's area (at its own size or stretched, as the cell says), the key colour
// left out when the art is transparent, nothing outside the clock's bounds.
inline TBitmap Expected(const TBitmap& window, const TRect& clockBounds,
                        const std::vector<TCell>& cells, TBitmap& on, TBitmap& off) {
    TBitmap result(window);
    TCanvas& canvas = result.Canvas();
    canvas.SetOrigin(clockBounds.TopLeft());
    canvas.SetClipRect(clockBounds);
    for (const TCell& c : cells) {
        TBitmap& art = c.Lit ? on : off;
        if (c.OwnSize) {
            canvas.Draw(c.Rect.Left, c.Rect.Top, art);
        } else {
            canvas.StretchDraw(c.Rect, art);
        }
    }
    canvas.ResetClip();
    canvas.SetOrigin({0, 0});
    return result;
}

// Compares two pictures pixel by pixel; reports the number of differing pixels and the
// first of them.
inline ::testing::AssertionResult SamePixels(const TBitmap& actual, const TBitmap& expected) {
    if (actual.Width() != expected.Width() || actual.Height() != expected.Height())
        return ::testing::AssertionFailure()
               << "size " << actual.Width() << "x" << actual.Height() << ", expected "
               << expected.Width() << "x" << expected.Height();
    int differing = 0;
    std::string first;
    for (int y = 0; y < actual.Height(); ++y)
        for (int x = 0; x < actual.Width(); ++x)
            if (actual.Pixel(x, y) != expected.Pixel(x, y)) {
                if (differing++ == 0)
                    first = "(" + std::to_string(x) + ", " + std::to_string(y) + ") is " +
                            std::to_string(actual.Pixel(x, y)) + ", expected " +
                            std::to_string(expected.Pixel(x, y));
            }
    if (differing == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differing << " pixels differ, first " << first;
}

// A crop done the plain way, to check the clock's: every pixel outside keep becomes black.
inline TBitmap Cropped(const TBitmap& art, const TRect& keep) {
    TBitmap result(art);
    for (int y = 0; y < result.Height(); ++y)
        for (int x = 0; x < result.Width(); ++x)
            if (!keep.Contains({x, y})) result.SetPixel(x, y, clBlack);
    return result;
}

// A borderless form at (100, 100) showing a background picture, with the clock set on it
// at the main window's place for the format. The wall clock stands at 13:47:05.
class TClockHost : public ::testing::Test {
protected:
    THeadlessApp app;
    TForm* form = nullptr;
    TPictureControl* picture = nullptr;
    TCountingClock* clock = nullptr;

    void SetUp() override {
        app.Backend().SetWallTime(LocalSeconds(13, 47, 5));
        form = New<TForm>(Application);
        form->SetBorderStyle(bsNone);
        form->SetColor(clBlack);
        picture = new TPictureControl(form);
        picture->SetParent(form);
        clock = new TCountingClock(form);
        // A colour the clock must never fill with.
        clock->SetColor(clFuchsia);
        clock->SetParent(form);
        Place(kFormats[0], Art(kFormats[0].AluminiumPicture));
        form->Show();
        app.Run();
    }

    // Sizes the form for a format, puts the picture under the clock and the clock at its
    // place; the clock's Type follows.
    void Place(const TFormat& f, const TBitmap& background) {
        form->SetBounds(100, 100, f.Window.cx, f.Window.cy);
        picture->Picture = background;
        picture->SetBounds(0, 0, background.Width(), background.Height());
        picture->Invalidate();
        const TRect& b = f.ClockBounds;
        clock->SetBounds(b.Left, b.Top, b.Width(), b.Height());
        clock->SetType(f.Type);
    }

    // The pixels the window showed last.
    const TBitmap& Shown() {
        return static_cast<native::THeadlessWindow*>(NativeWindow(form->Handle()))->Pixels();
    }

    // The window as it looks with the clock hidden: the picture under the clock.
    TBitmap Beneath() {
        clock->Hide();
        app.Run();
        TBitmap shot = Shown();
        clock->Show();
        app.Run();
        return shot;
    }

    void SetTime(int h, int m, int s) { app.Backend().SetWallTime(LocalSeconds(h, m, s)); }
};

}  // namespace clocktest
