#include "platform/gfx/color.h"

TColor ColorToRGB(TColor c) {
    if (c == clNone || c == clDefault) return clBlack;
    if (!IsSystemColor(c)) return c & 0xFFFFFF;
    switch (c & 0xFF) {
        case 0:
            return RGB(212, 208, 200);  // scroll bar
        case 1:
            return RGB(58, 110, 165);  // desktop
        case 2:
            return RGB(10, 36, 106);  // active caption
        case 5:
            return clWhite;  // window
        case 6:
            return clBlack;  // window frame
        case 8:
            return clBlack;  // window text
        case 13:
            return RGB(10, 36, 106);  // highlight
        case 14:
            return clWhite;  // highlight text
        case 15:
            return RGB(212, 208, 200);  // button face
        case 16:
            return RGB(128, 128, 128);  // button shadow
        case 17:
            return RGB(128, 128, 128);  // grey text
        case 18:
            return clBlack;  // button text
        case 20:
            return clWhite;  // button highlight
        case 21:
            return RGB(64, 64, 64);  // 3D dark shadow
        case 22:
            return RGB(212, 208, 200);  // 3D light
        case 23:
            return clBlack;  // tooltip text
        case 24:
            return RGB(255, 255, 225);  // tooltip background
        default:
            return RGB(212, 208, 200);
    }
}
