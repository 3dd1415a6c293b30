// Keyboard translation for the X11 backend: X keysyms to the system's virtual-key codes
// and to characters. Keysyms are passed as plain numbers so that this header stays free
// of the X headers.
#pragma once

#include <cstdint>

namespace native {

// The virtual-key code of a key, from its unshifted keysym: letters give their uppercase
// ASCII code, digits theirs, and the editing, cursor, function and modifier keys their
// VK_ codes. 0 for a key without one.
int VirtualKeyFromKeysym(unsigned long keysym);

// The character a keysym stands for (Latin-1 and Unicode keysyms, the keypad's digits and
// operators), or 0.
uint32_t CharFromKeysym(unsigned long keysym);

}  // namespace native
