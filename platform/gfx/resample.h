// Smooth resizing of pictures.
//
// SmoothResize gives every pixel of the result the average of the area of the source that
// the pixel covers (a box filter weighted by the share of each source pixel it covers).
// Made smaller, a picture keeps its fine detail as shades instead of dropping every other
// pixel, as nearest-pixel stretching does; made larger, its pixels' edges are blended.
//
// A keyed picture (one drawn with the pixels of a key colour left out, or whose key colour
// marks what lies outside a window's outline) keeps a crisp key: pixels of the key take no
// part in the averages, and a pixel of the result that is less than half covered by other
// pixels becomes the key colour itself. So no blend of the key and the picture appears,
// which would show as a dark or light fringe round what is drawn.
//
// The arithmetic is in integers: the same input gives the same picture on every machine.
#pragma once

#include "platform/gfx/bitmap.h"

// The source resized to width x height (a 24-bit bitmap; empty when either is 0 or less or
// the source is empty). key is the colour left crisp, or clNone. A source of another pixel
// format is read through its colours.
TBitmap SmoothResize(const TBitmap& source, int width, int height, TColor key = clNone);
