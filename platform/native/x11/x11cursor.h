// A cursor from the server's cursor font, made without Xlib's cursor-theme hook.
#pragma once

#include <X11/Xlib.h>

// Sends the CreateGlyphCursor request for glyph shape (and its mask, shape + 1) of font,
// black on white. XCreateFontCursor and XCreateGlyphCursor would first have Xlib load the
// cursor-theme library at run time, which brings a second, shared Xlib into a program
// that carries its own.
Cursor PlainGlyphCursor(Display* display, Font font, unsigned shape);
