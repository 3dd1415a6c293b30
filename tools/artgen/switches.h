// The slide-switch pictures: a single switch in its two positions (9 x 24 with the knob
// up for a set bit, 9 x 25 with the knob down for a clear bit), and the picture of three
// eight-way switch blocks that the switch format lays its cells over (280 x 41).
//
// A switch cell is a one-pixel red housing frame round a pale slot of 7 x 22 pixels (set:
// 7 x 21, which stretching to 9 x 25 makes 7 x 22). The block picture has the same housing
// red and an empty slot under every cell, so a drawn cell blends into its block.
//
// Drawn at a whole multiple (factor) of the design size, the parts keep their places and
// sizes in design pixels while the lines that shade them become ramps across their width,
// the grip ridges finer lines and the printing smooth strokes.
#pragma once

#include "platform/gfx/bitmap.h"

constexpr int kSwitchWidth = 9;
constexpr int kSwitchSetHeight = 24;
constexpr int kSwitchClearHeight = 25;

constexpr int kDipWidth = 280;
constexpr int kDipHeight = 41;
// Left edge of the cell of switch k (0-7) in block g (0-2), and the top of all cells; the
// cells are 9 x 25 and their slots start one pixel in.
constexpr int DipCellLeft(int group, int k) {
    return 6 + 95 * group + 10 * k;
}
constexpr int kDipCellTop = 8;

// Draws the switch for a set bit (knob up, "on") or a clear bit (knob down).
TBitmap DrawSwitch(bool set, int factor = 1);

// Draws the three switch blocks: x 1-88, 97-183 and 192-278, rows 2-38, on pure black.
TBitmap DrawDipSwitchBlocks(int factor = 1);
