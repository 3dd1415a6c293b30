// Xlib's protocol header defines min and max as macros and its request macros expect the
// display to be called dpy: this file holds nothing else.
#include <X11/Xlibint.h>
#undef min
#undef max

#include "platform/native/x11/x11cursor.h"

Cursor PlainGlyphCursor(Display* dpy, Font font, unsigned shape) {
    LockDisplay(dpy);
    xCreateGlyphCursorReq* request = nullptr;
    GetReq(CreateGlyphCursor, request);
    Cursor cursor = XAllocID(dpy);
    request->cid = CARD32(cursor);
    request->source = CARD32(font);
    request->mask = CARD32(font);
    request->sourceChar = CARD16(shape);
    request->maskChar = CARD16(shape + 1);
    request->foreRed = request->foreGreen = request->foreBlue = 0;
    request->backRed = request->backGreen = request->backBlue = 0xFFFF;
    UnlockDisplay(dpy);
    SyncHandle();
    return cursor;
}
