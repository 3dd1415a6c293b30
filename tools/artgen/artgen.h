// The catalogue of the clock's numbered pictures: which picture each number is and how to
// draw it. Drawing is deterministic: a picture comes out the same byte for byte every time.
#pragma once

#include <vector>

#include "platform/gfx/bitmap.h"

// Every picture number, ascending: the 18 LED and switch pictures and the 19 backgrounds.
std::vector<int> ArtIds();

// The sets of pictures: the design size (1) and the whole multiples of it that the clock
// draws larger faces from, ascending.
std::vector<int> ArtFactors();

// Draws picture id as a 24-bit bitmap at factor times its design size (every pixel worked
// out at that size, not enlarged); raises std::out_of_range for an unknown number and
// std::invalid_argument for a factor below 1.
TBitmap DrawArt(int id, int factor = 1);
