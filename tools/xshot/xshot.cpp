// xshot: saves the X screen (or a rectangle of it) as a PNG file.
//   xshot OUT.png [X Y WIDTH HEIGHT]
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/pngfile.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 6) {
        std::fprintf(stderr, "usage: xshot OUT.png [X Y WIDTH HEIGHT]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "xshot: cannot open the display\n");
        return 1;
    }
    int screen = DefaultScreen(display);
    int x = 0, y = 0;
    int width = DisplayWidth(display, screen), height = DisplayHeight(display, screen);
    if (argc == 6) {
        x = std::atoi(argv[2]);
        y = std::atoi(argv[3]);
        width = std::atoi(argv[4]);
        height = std::atoi(argv[5]);
    }
    XImage* image = XGetImage(display, RootWindow(display, screen), x, y, unsigned(width),
                              unsigned(height), AllPlanes, ZPixmap);
    if (!image) {
        std::fprintf(stderr, "xshot: cannot read the screen\n");
        XCloseDisplay(display);
        return 1;
    }
    TBitmap shot(width, height);
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col) {
            unsigned long pixel = XGetPixel(image, col, row);
            shot.SetPixel(
                col, row,
                RGB(int((pixel >> 16) & 0xFF), int((pixel >> 8) & 0xFF), int(pixel & 0xFF)));
        }
    XDestroyImage(image);
    XCloseDisplay(display);
    if (!SavePng(argv[1], shot)) {
        std::fprintf(stderr, "xshot: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
