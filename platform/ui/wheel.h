// Turning the mouse wheel into lines to scroll: three lines a notch (the system's default),
// with the part of a notch that a fine-grained wheel sends kept for the next turn.
#pragma once

#include "platform/ui/messages.h"

constexpr int kWheelScrollLines = 3;

// Adds delta (WHEEL_DELTA a notch, positive away from the user) to remainder and returns
// how many lines to scroll down (negative: up) for the whole notches in it.
inline int WheelLines(int& remainder, int delta, int linesPerNotch = kWheelScrollLines) {
    // A turn the other way forgets what was left of the last one.
    if ((remainder > 0 && delta < 0) || (remainder < 0 && delta > 0)) remainder = 0;
    remainder += delta;
    int notches = remainder / WHEEL_DELTA;
    remainder -= notches * WHEEL_DELTA;
    return -notches * linesPerNotch;
}
