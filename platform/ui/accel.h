// Access letters: a caption such as "&Settings" shows "Settings" with its S underlined, and
// the key S (in a menu, or with Alt in a dialog) acts on it. "&&" shows one "&".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/gfx/canvas.h"

struct TAccelText {
    std::string Text;                  // the caption as shown
    size_t Index = std::string::npos;  // where its access letter starts in Text (bytes)
    size_t Length = 0;                 // the letter's length (bytes of UTF-8)
    bool HasAccel() const { return Index != std::string::npos; }
};

// Splits a caption into what it shows and which letter is underlined (the one after the
// last single "&"; none when there is none).
TAccelText ParseAccel(std::string_view caption);

// Whether ch (a typed character) is the caption's access letter, whatever the case.
bool IsAccel(uint32_t ch, std::string_view caption);

// Draws the underline of text's access letter, for text drawn with its cell's top-left at
// (x, y) in the canvas's font, in the font's colour and line thickness.
void DrawAccelUnderline(TCanvas& canvas, int x, int y, const TAccelText& text);
