// A contact sheet of all pictures, enlarged, and a preview of the clock faces they make:
// for looking at the artwork, not used by the program.
#pragma once

#include "platform/gfx/bitmap.h"

// Every picture enlarged on a grey ground, with the LEDs also cropped square and
// rectangular, shrunk to 9 x 9 and 5 x 5 and drawn over each finish.
TBitmap DrawContactSheet();

// Each clock format on each finish with a time shown in LEDs, at twice the size.
TBitmap DrawClockPreview();
