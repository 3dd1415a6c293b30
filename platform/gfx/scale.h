// Lengths of a design at a scale.
//
// Every window of the program is designed at 96 pixels per inch, the desktop's classic
// density, and drawn at a scale given in whole percent (100 at 96 dpi, 200 at 192 dpi).
// A length of the design becomes the nearest whole number of pixels at the scale, halves
// rounded away from zero, so that a length and its negation stay opposite. Rectangles
// scale by their edges: two rectangles that touch in the design still touch at any scale,
// and a rectangle is as wide as the scaled distance between its edges.
#pragma once

#include "platform/gfx/types.h"

constexpr int kDesignPixelsPerInch = 96;

// A design length at a scale.
int ScaleLength(int length, int scalePercent);
// The design length whose scaled length is nearest to length: undoes ScaleLength exactly
// for every scale of 100 % or more.
int UnscaleLength(int length, int scalePercent);
// A length laid out at one scale, laid out at another (through the design length).
int RescaleLength(int length, int fromPercent, int toPercent);
// A rectangle's edges at a scale, and laid out again from one scale at another.
TRect ScaleRect(const TRect& rect, int scalePercent);
TRect RescaleRect(const TRect& rect, int fromPercent, int toPercent);
// The pixels per inch a scale stands for: 96 at 100 %, 192 at 200 %.
int PixelsPerInchOfScale(int scalePercent);
