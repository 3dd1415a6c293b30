// The background pictures: for each of the six LED clock formats a device body with
// rounded corners inside a pure white margin, in three finishes. All pictures of one format
// share one outline, so switching the finish never changes the window's shape; the white
// bottom-left pixel tells the window what lies outside.
//
// A picture drawn at a whole multiple (factor) of its design size is drawn anew at that
// size: the rounded corners follow the design's curve through the finer grid, and the
// bevel, the brushing and the grain are worked out for every one of its pixels.
#pragma once

#include <vector>

#include "platform/gfx/bitmap.h"

// The six LED clock formats, numbered as the clock's formats.
enum TBackgroundFormat {
    bfLargeStandard,
    bfSmallStandard,
    bfTinyStandard,
    bfLargeHoriz,
    bfSmallHoriz,
    bfTinyHoriz
};
constexpr int kBackgroundFormatCount = 6;

enum TBodyFinish { bfFlatBlack, bfBrushedAluminum, bfMahogany };

struct TBackgroundGeometry {
    int Width;
    int Height;
    // The body's bounding box, inclusive.
    int Left;
    int Top;
    int Right;
    int Bottom;
    // How far the body's edge steps in from the box on its first rows (and, mirrored, on
    // its last rows) at both sides: the rounded corners. Empty for square corners.
    std::vector<int> CornerInsets;
    // Width of the bevel round the edge in pixels, kept clear of the LED cells.
    int BevelRings;
};

const TBackgroundGeometry& BackgroundGeometry(TBackgroundFormat format);

// One row of the body: columns Left..Right inclusive; Right < Left when the row is empty.
struct TBodyRow {
    int Left = 0;
    int Right = -1;
    bool Contains(int x) const { return x >= Left && x <= Right; }
};

// The body's outline at factor times the design size, one entry per picture row. At
// factor 1 the corners step in by CornerInsets; at larger factors they follow the line
// through those steps (each taken at the middle of its row), so that the body keeps its
// box, exactly factor times the design's, and its shape.
std::vector<TBodyRow> BodyOutline(TBackgroundFormat format, int factor = 1);

TBitmap DrawBackground(TBackgroundFormat format, TBodyFinish finish, int factor = 1);
