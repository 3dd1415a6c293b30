// The program's icon, drawn from the clock's own LED pictures.
//
// DrawClockIcon(size) draws a size x size picture of the clock's face: a black body with
// rounded corners and a grey rim, and on it the hours and minutes blocks of the large
// standard format reading 13:47 in BCD with the unused LEDs hidden (red LEDs, keyed set,
// pictures 55 and 56), as the clock shows it by default. The face is first drawn at
// 100 x 100 pixels (or a whole multiple of that, with each LED pixel repeated, for sizes
// above 100), then reduced to the size by averaging the area each output pixel covers,
// which gives smooth edges. Outside the rounded body the picture is transparent: alpha
// holds one opacity a pixel (0 to 255, row by row). The same size always gives the same
// picture, on any machine (integer arithmetic only). size must be 1 or more.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/bitmap.h"

struct TClockIcon {
    TBitmap Pixels;
    std::vector<uint8_t> Alpha;
};

TClockIcon DrawClockIcon(int size);

// Where the icon's LEDs lie on the 100 x 100 face, and which are lit: column c (hours
// tens, hours units, minutes tens, minutes units) and row r (weights 8, 4, 2, 1 from the
// top). A hidden LED is not drawn.
enum class TIconLed { Hidden, Off, On };
constexpr int kIconFace = 100;
constexpr int kIconCell = 18;
constexpr int kIconColumnX[4] = {9, 27, 55, 73};
constexpr int kIconRowY[4] = {14, 32, 50, 68};
TIconLed IconLedState(int column, int row);
