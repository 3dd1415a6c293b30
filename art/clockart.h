// The clock's numbered pictures (LEDs, switches and backgrounds), compiled into the
// program from art/, so nothing is read from disk at run time.
//
// Every picture comes in sets: its design size (factor 1, for a scale of 100 %) and drawn
// anew at whole multiples of it (factors 2, 3 and 4), with finer detail, not enlarged. A
// picture at any scale is taken from the smallest set at least as large as the scale and,
// when the scale lies between sets, made smaller with a smoothing filter (never larger
// from a smaller set). A picture is decoded only when it is asked for.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/gfx/bitmap.h"

// Registers every picture of the design size under its number (RegisterBitmapResource),
// after which TBitmap::LoadFromResourceID loads it. Call it before loading any picture;
// calling it again changes nothing.
void RegisterClockArt();

// The numbers of all embedded pictures, ascending.
std::vector<int> ClockArtIds();

// The factors of the embedded sets, ascending, 1 first.
std::vector<int> ClockArtFactors();

// The embedded file image of picture id in the set of factor: a BMP file for factor 1, a
// PNG file for the others. Empty when there is none.
std::span<const uint8_t> ClockArtFile(int id, int factor);

// The set that a picture at a scale (a percentage, 100 the design size) comes from: the
// smallest factor whose percentage is at least the scale, or the largest factor.
int ClockArtFactorFor(int scalePercent);

// Picture id at a scale: ScaleLength of its design width by ScaleLength of its design
// height, from the set for the scale, made smaller smoothly when the scale lies below the
// set's. The backgrounds and the keyed LEDs keep their key colour (their bottom-left
// pixel's) crisp in the smoothing, so their outlines stay sharp. Raises EInvalidGraphic
// for an unknown number.
TBitmap LoadClockArt(int id, int scalePercent);
