// The straightforward way of cutting a region from a picture, kept as the yardstick for
// CreateRegionFromBitmap: tests compare the two, benchmarks time them side by side. Not
// for use by the program itself.
#pragma once

#include <memory>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/color.h"
#include "platform/gfx/region.h"

// The same region as CreateRegionFromBitmap, made by scanning a working copy of the
// picture (a one-bit mask for depths other than 24 bits) pixel by pixel and OR-ing one
// single-row rectangle region per run into the result.
std::unique_ptr<TRegion> CreateRegionFromBitmapPerRunUnion(const TBitmap& bitmap,
                                                           TColor transparentColor);
