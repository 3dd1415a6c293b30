// The catalogue of the clock's numbered pictures: which picture each number is and how to
// draw it. Drawing is deterministic: a picture comes out the same byte for byte every time.
#pragma once

#include <vector>

#include "platform/gfx/bitmap.h"

// Every picture number, ascending: the 18 LED and switch pictures and the 19 backgrounds.
std::vector<int> ArtIds();

// Draws picture id as a 24-bit bitmap; raises std::out_of_range for an unknown number.
TBitmap DrawArt(int id);
