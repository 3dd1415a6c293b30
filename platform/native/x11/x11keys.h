// Keyboard translation for the X11 backend: X keysyms to the system's virtual-key codes
// and to characters. Keysyms are passed as plain numbers so that this header stays free
// of the X headers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace native {

// The virtual-key code of a key, from its unshifted keysym: letters give their uppercase
// ASCII code, digits theirs, and the editing, cursor, function and modifier keys their
// VK_ codes. 0 for a key without one.
int VirtualKeyFromKeysym(unsigned long keysym);

// The character a keysym stands for (Latin-1 and Unicode keysyms, the keypad's digits and
// operators), or 0.
uint32_t CharFromKeysym(unsigned long keysym);

// Modifier bits of a key event's state, as the X protocol numbers them: Mod1 is Alt,
// Mod4 Super (the Windows key), Mod5 AltGr (ISO_Level3_Shift) on the usual keymaps.
constexpr unsigned kXShiftMask = 1;
constexpr unsigned kXControlMask = 4;
constexpr unsigned kXMod1Mask = 8;
constexpr unsigned kXMod4Mask = 64;
constexpr unsigned kXMod5Mask = 128;

// What one key press means to the program.
struct TKeyPress {
    int Key = 0;                  // the virtual-key code for KeyDown (0: none)
    std::vector<uint32_t> Chars;  // the characters it types, in order
    bool System = false;          // the characters come with Alt held: WM_SYSCHAR, not text
};

// Translates a key press: baseKeysym is the key's keysym without modifiers (its virtual
// key), keysym and text what the keymap or the input method made of it with the
// modifiers held (text in UTF-8; a composed sequence may give several characters, a dead
// key none), state the event's modifier bits. The rules are the system's:
// - a chord with Ctrl or Super types nothing: Ctrl+1, Ctrl+. and Super+E are commands;
// - a chord with Alt (and no Ctrl) types its character as a system character, the access
//   key of a menu or a button (Alt+F opens File), never text;
// - AltGr is no chord: AltGr+Q types "@" on a German keymap;
// - a dead key types nothing itself, and has no virtual key; the input method types the
//   composed character with the next key;
// - control characters other than Backspace, Tab, Return and Escape, and Delete, are not
//   typed (the keys are seen as KeyDown).
TKeyPress TranslateKeyPress(unsigned long baseKeysym, unsigned long keysym, const std::string& text,
                            unsigned state);

// The code points of a UTF-8 text; a malformed sequence counts as U+FFFD.
std::vector<uint32_t> DecodeUtf8(const std::string& text);

}  // namespace native
