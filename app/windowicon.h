// The clock's icon at the sizes its X11 windows carry (16, 32, 48 and 64 pixels), drawn
// by tools/icon when the program is built and compiled into it.
#pragma once

#include <span>

#include "platform/native/native.h"

std::span<const native::TIconImage> ClockWindowIcon();
