// The background pictures: for each of the six LED clock formats a device body with
// rounded corners inside a pure white margin, in three finishes. All pictures of one format
// share one outline, so switching the finish never changes the window's shape; the white
// bottom-left pixel tells the window what lies outside.
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

// The body's outline, one entry per picture row.
std::vector<TBodyRow> BodyOutline(TBackgroundFormat format);

TBitmap DrawBackground(TBackgroundFormat format, TBodyFinish finish);
