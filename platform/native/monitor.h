// Monitors: the rectangles of the desktop that screens show, and how dense their pixels
// are, with the arithmetic that windows need of them.
//
// A window's scale is the ratio of its monitor's pixels per inch to 96, in steps of a
// quarter from 100 % to 400 %: 96 dpi is 100 %, 144 dpi 150 %, 192 dpi 200 %. Scales are
// whole percentages so that they compare exactly and can be stored as they are.
#pragma once

#include <vector>

#include "platform/gfx/types.h"

namespace native {

struct TMonitor {
    TRect Bounds;            // screen pixels
    int PixelsPerInch = 96;  // as the desktop reports it (96 when it reports nonsense)
    bool operator==(const TMonitor&) const = default;
};

// The pixels per inch of a screen that is this many pixels and millimetres wide; 0 for a
// size that cannot be a real screen's (0 mm, or a density outside 48 to 480), which the
// caller then counts as 96 or as what else it knows.
int PixelsPerInchOfSize(int pixels, int millimetres);

constexpr int kMinScalePercent = 100;
constexpr int kMaxScalePercent = 400;

// The scale for a density: the ratio to 96 rounded to the nearest quarter, between 100 and
// 400 percent.
int ScalePercentForPixelsPerInch(int pixelsPerInch);

// A length of the 96-dpi design at a scale, rounded to the nearest pixel (halves away
// from zero, so that a scaled length and its negation stay opposite).
int ScaleLength(int length, int scalePercent);

// The index of the monitor that holds a window: the one holding the centre of bounds, else
// the one nearest to that centre. -1 when there is no monitor.
int MonitorIndexFor(const std::vector<TMonitor>& monitors, const TRect& bounds);

}  // namespace native
