// Text drawn from a coverage mask: one byte a pixel, 0 where the text does not touch the
// pixel and 255 where it covers it fully, as a font rasterizer gives for a glyph or a run.
#pragma once

#include <cstdint>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/color.h"
#include "platform/gfx/types.h"

// Blends `color` into `target` through a width × height mask whose top-left pixel lands at
// (left, top): each pixel becomes (color × a + pixel × (255 − a)) / 255 for its coverage a.
// Only the pixels inside `area` are touched; the caller has clipped `area` to the bitmap.
// `left` is 64-bit because a pen that has run along a long text may be far off the bitmap.
void BlendCoverage(TBitmap& target, const TRect& area, int64_t left, int top, int width, int height,
                   const uint8_t* mask, TColor color);
