/* floor-x11: the least an X11 clock that changes its face every second must do.
 *
 * One 128 x 72 window; at the start of every second of the wall clock it sends one
 * 36 x 18 image (two LED cells' worth of pixels, about what a binary clock changes in a
 * second) with XPutImage, flushes, and sleeps in poll() on the connection until the next
 * second, reading whatever events came. No toolkit, no drawing beyond filling the image.
 * Its CPU per minute, and the X server's, are the floor beneath any X11 clock that ticks
 * each second; bench/desktop-clocks.sh measures it beside the real clocks. It runs until
 * it is killed.
 *
 * Build: cc -O2 -o floor-x11 bench/floor-x11.c -lX11
 */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

enum { kWidth = 128, kHeight = 72, kCellsWidth = 36, kCellsHeight = 18 };

int main(void) {
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fputs("floor-x11: cannot open the display\n", stderr);
        return 1;
    }
    int screen = DefaultScreen(display);
    Window window =
        XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, kWidth, kHeight, 0,
                            BlackPixel(display, screen), BlackPixel(display, screen));
    XSelectInput(display, window, ExposureMask);
    XMapWindow(display, window);
    GC gc = XCreateGC(display, window, 0, NULL);
    char* pixels = calloc(kCellsWidth * kCellsHeight, 4);
    XImage* image = XCreateImage(display, DefaultVisual(display, screen),
                                 (unsigned)DefaultDepth(display, screen), ZPixmap, 0, pixels,
                                 kCellsWidth, kCellsHeight, 32, 0);
    if (!pixels || !image) return 1;
    for (unsigned tick = 0;; ++tick) {
        // The face: the two cells alternate between two colours each second.
        unsigned long colour = (tick & 1) ? 0xff2020 : 0x401010;
        for (int y = 0; y < kCellsHeight; ++y)
            for (int x = 0; x < kCellsWidth; ++x)
                XPutPixel(image, x, y, colour);
        XPutImage(display, window, gc, image, 0, 0, 0, 0, kCellsWidth, kCellsHeight);
        XFlush(display);
        struct timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        const time_t second = now.tv_sec;
        // Until the next second begins: events (the first Expose) are read and dropped.
        while (now.tv_sec == second) {
            struct pollfd fd = {ConnectionNumber(display), POLLIN, 0};
            if (poll(&fd, 1, 1000 - (int)(now.tv_nsec / 1000000)) > 0) {
                while (XPending(display) > 0) {
                    XEvent event;
                    XNextEvent(display, &event);
                }
            }
            clock_gettime(CLOCK_REALTIME, &now);
        }
    }
}
