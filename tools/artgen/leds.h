// The LED pictures: 18 x 18, a slightly oval LED (columns 1-16, rows 2-15) lit or unlit,
// in four colours and two sets, and the same drawn at whole multiples of that size, where
// every pixel of the larger picture is worked out anew (finer edge, highlight and glow). The keyed
// set has a hard edge on pure black, which is the key colour read from the bottom-left pixel, and
// no pure black inside the LED. The opaque set shows the same LED glowing softly into a dark
// surround that is not pure black.
#pragma once

#include "platform/gfx/bitmap.h"
#include "platform/gfx/color.h"

enum TLedHue { lhRed, lhBlue, lhAmber, lhGreen };

struct TLedLook {
    TLedHue Hue = lhRed;
    bool Lit = false;
    bool Keyed = true;
};

constexpr int kLedSize = 18;

// The colour in the middle of the LED, lit or unlit.
TColor LedCentreColor(TLedHue hue, bool lit);

// Draws one LED picture at factor times the design size (factor 1 or more).
TBitmap DrawLed(const TLedLook& look, int factor = 1);
