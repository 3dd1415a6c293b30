// The clock's numbered pictures (LEDs, switches and backgrounds), compiled into the
// program from art/<id>.bmp, so nothing is read from disk at run time.
#pragma once

#include <vector>

// Registers every picture under its number (RegisterBitmapResource), after which
// TBitmap::LoadFromResourceID loads it. Call it before loading any picture; calling it
// again changes nothing.
void RegisterClockArt();

// The numbers of all embedded pictures, ascending.
std::vector<int> ClockArtIds();
