// The programs' icons, drawn from the clock's own LED pictures.
//
// DrawIcon(kind, size) draws a size x size picture. The clock's icon (TIconKind::Clock)
// is the clock's face: a black body with rounded corners and a grey rim, and on it the
// hours and minutes blocks of the large standard format reading 13:47 in BCD with the
// unused LEDs hidden (red LEDs, keyed set, pictures 55 and 56), as the clock shows it by
// default. The hex editor's (TIconKind::HexEdit) is a sheet of the same body with its
// top-right corner folded over, and on it all sixteen LEDs in green (pictures 49 and 50)
// showing two bytes in binary, 0x5A 0x54 ("ZT"), one nibble a column.
//
// The face is first drawn at 100 x 100 pixels (or a whole multiple of that, with each LED
// pixel repeated, for sizes above 100), then reduced to the size by averaging the area
// each output pixel covers, which gives smooth edges. Outside the body the picture is
// transparent: alpha holds one opacity a pixel (0 to 255, row by row). The same size
// always gives the same picture, on any machine (integer arithmetic only). size must be 1
// or more.
//
// IconSvg(kind) is the same icon as a scalable picture (SVG, on a 100 x 100 view box):
// the body, rim and fold as paths of the same geometry, each LED an ellipse where the
// LED picture has its dome, filled with a radial gradient whose colours are read from
// the LED picture itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/bitmap.h"

struct TClockIcon {
    TBitmap Pixels;
    std::vector<uint8_t> Alpha;
};

enum class TIconKind { Clock, HexEdit };

TClockIcon DrawIcon(TIconKind kind, int size);
inline TClockIcon DrawClockIcon(int size) {
    return DrawIcon(TIconKind::Clock, size);
}
std::string IconSvg(TIconKind kind);

// Where the icon's LEDs lie on the 100 x 100 face, and which are lit: column c (hours
// tens, hours units, minutes tens, minutes units; for the hex editor the four nibbles)
// and row r (weights 8, 4, 2, 1 from the top). A hidden LED is not drawn.
enum class TIconLed { Hidden, Off, On };
constexpr int kIconFace = 100;
constexpr int kIconCell = 18;
constexpr int kIconColumnX[4] = {9, 27, 55, 73};
constexpr int kIconRowY[4] = {14, 32, 50, 68};
// The hex editor's folded corner: the triangle (100 - kIconFold, 0), (100, kIconFold)
// is cut away and the one below it, to (100 - kIconFold, kIconFold), is the fold.
constexpr int kIconFold = 14;
TIconLed IconLedState(TIconKind kind, int column, int row);
inline TIconLed IconLedState(int column, int row) {
    return IconLedState(TIconKind::Clock, column, row);
}
