// The fixture of the X11 backend's tests on a server: a private Xvfb (skipped when Xvfb is
// not installed) shared by a test suite, the backend under test on one connection and a
// second connection, the observer, to inspect what the server holds. Waits are for events
// with a deadline, never sleeps.
#pragma once
#ifdef ZT_HAVE_X11

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>

#include "platform/gfx/canvas.h"
#include "platform/native/keys.h"
#include "platform/native/x11/x11.h"
#include "platform/native/x11/x11keymask.h"
#include "platform/native/x11/x11keys.h"
#include "tests/support/xvfb.h"

// The X headers last: their macros must not reach the headers above.
#include "platform/native/x11/x11backend.h"
#include "platform/native/x11/x11window.h"

#include <X11/Xatom.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>
#ifdef ZT_HAVE_XTEST
#include <X11/extensions/XTest.h>
#endif

#include <poll.h>

#include <algorithm>
#include <string>
#include <vector>

namespace native {

inline TColor Pattern(int x, int y, int seed) {
    return RGB(40 + (x * 5 + seed * 31) % 200, 30 + (y * 7 + seed * 17) % 200, 20 + (x + y) % 100);
}

inline TBitmap MakeFrame(int width, int height, const std::function<TColor(int, int)>& color) {
    TBitmap frame(width, height, pf24bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            frame.SetPixel(x, y, color(x, y));
    return frame;
}

inline TRegion RegionOf(const XRectangle* rects, int count) {
    TRegion region;
    for (int i = 0; i < count; ++i)
        region.Combine(
            TRegion(TRect::FromSize(rects[i].x, rects[i].y, rects[i].width, rects[i].height)),
            RGN_OR);
    return region;
}

class X11Test : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (ztest::TXvfb::Installed()) server = new ztest::TXvfb();
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }

    void SetUp() override {
        if (!server) GTEST_SKIP() << "Xvfb is not installed";
        ASSERT_TRUE(server->Ok()) << server->Error();
        std::unique_ptr<TBackend> made = CreateX11Backend(server->Display().c_str());
        ASSERT_TRUE(made);
        backend.reset(static_cast<TX11Backend*>(made.release()));
        observer = XOpenDisplay(server->Display().c_str());
        ASSERT_TRUE(observer);
        // Frames of a window manager are children of the root: their moves wake the observer.
        XSelectInput(observer, DefaultRootWindow(observer),
                     SubstructureNotifyMask | PropertyChangeMask);
    }

    void TearDown() override {
        backend.reset();
        if (observer) XCloseDisplay(observer);
    }

    std::unique_ptr<TX11Window> MakeWindow(TRect bounds, TWindowParams params = {}) {
        params.Bounds = bounds;
        auto window = std::unique_ptr<TX11Window>(
            static_cast<TX11Window*>(backend->CreateNativeWindow(params).release()));
        made.push_back(window->Id());
        Sync();  // the window must exist before the observer selects its events
        XSelectInput(observer, window->Id(), PropertyChangeMask | StructureNotifyMask);
        XSync(observer, False);
        return window;
    }

    // Makes sure the server has done everything the backend asked for.
    void Sync() { XSync(backend->XDisplay(), False); }

    // A window with a frame presented and shown, mapped on the server.
    std::unique_ptr<TX11Window> ShownWindow(TRect bounds, const TBitmap& frame,
                                            TWindowParams params = {}) {
        auto window = MakeWindow(bounds, params);
        window->Present(frame, {0, 0, frame.Width(), frame.Height()});
        window->Show(true);
        Sync();
        return window;
    }

    // Takes the backend's events until one satisfies until, or timeoutMs pass.
    std::vector<TEvent> Collect(const std::function<bool(const TEvent&)>& until,
                                int timeoutMs = 5000) {
        std::vector<TEvent> events;
        int64_t deadline = backend->NowMs() + timeoutMs;
        while (backend->NowMs() < deadline) {
            size_t before = events.size();
            backend->WaitEvents(deadline, events);
            for (size_t i = before; i < events.size(); ++i)
                if (until(events[i])) return events;
        }
        return events;
    }

    // The events the backend has now, without waiting.
    std::vector<TEvent> Pending() {
        Sync();
        std::vector<TEvent> events;
        backend->WaitEvents(0, events);
        return events;
    }

    // Waits, on the observer's events, until check holds or timeoutMs pass.
    bool ObserveUntil(const std::function<bool()>& check, int timeoutMs = 10000) {
        using Clock = std::chrono::steady_clock;
        auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (check()) return true;
            // The check's round trips may have read events already: look again after them.
            if (XPending(observer)) {
                while (XPending(observer)) {
                    XEvent event;
                    XNextEvent(observer, &event);
                }
                continue;
            }
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) return check();
            pollfd p{ConnectionNumber(observer), POLLIN, 0};
            poll(&p, 1, int(left.count()));
        }
    }

    std::vector<TColor> ReadPixels(Window drawable, const TRect& r) {
        std::vector<TColor> colors;
        XImage* image = XGetImage(observer, drawable, r.Left, r.Top, unsigned(r.Width()),
                                  unsigned(r.Height()), AllPlanes, ZPixmap);
        if (!image) return colors;
        for (int y = 0; y < r.Height(); ++y)
            for (int x = 0; x < r.Width(); ++x) {
                unsigned long p = XGetPixel(image, x, y);
                colors.push_back(RGB(int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)));
            }
        XDestroyImage(image);
        return colors;
    }

    static std::vector<TColor> Colors(const TBitmap& frame) {
        std::vector<TColor> colors;
        for (int y = 0; y < frame.Height(); ++y)
            for (int x = 0; x < frame.Width(); ++x)
                colors.push_back(frame.Pixel(x, y));
        return colors;
    }

    TRegion ShapeOf(Window window, int kind) {
        int count = 0, ordering = 0;
        XRectangle* rects = XShapeGetRectangles(observer, window, kind, &count, &ordering);
        TRegion region = RegionOf(rects, count);
        if (rects) XFree(rects);
        return region;
    }

    bool Shaped(Window window) {
        Bool bounding = False, clip = False;
        int x, y, xc, yc;
        unsigned w, h, wc, hc;
        XShapeQueryExtents(observer, window, &bounding, &x, &y, &w, &h, &clip, &xc, &yc, &wc, &hc);
        return bounding;
    }

    Atom AtomOf(const char* name) { return XInternAtom(observer, name, False); }

    std::vector<unsigned long> Property32(Window window, const char* name) {
        std::vector<unsigned long> values;
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(observer, window, AtomOf(name), 0, 1024, False, AnyPropertyType,
                               &type, &format, &count, &after, &data) == Success &&
            data && format == 32) {
            auto* longs = reinterpret_cast<unsigned long*>(data);
            values.assign(longs, longs + count);
        }
        if (data) XFree(data);
        return values;
    }

    std::string PropertyText(Window window, const char* name) {
        std::string text;
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(observer, window, AtomOf(name), 0, 1024, False, AnyPropertyType,
                               &type, &format, &count, &after, &data) == Success &&
            data && format == 8)
            text.assign(reinterpret_cast<char*>(data), count);
        if (data) XFree(data);
        return text;
    }

    bool HasState(Window window, const char* state) {
        for (unsigned long atom : Property32(window, "_NET_WM_STATE"))
            if (atom == AtomOf(state)) return true;
        return false;
    }

    TPoint RootPosition(Window window) {
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(observer, window, DefaultRootWindow(observer), 0, 0, &x, &y, &child);
        return {x, y};
    }

    static inline ztest::TXvfb* server = nullptr;
    std::unique_ptr<TX11Backend> backend;
    std::vector<Window> made;  // the windows the test made
    Display* observer = nullptr;
};

}  // namespace native

#endif  // ZT_HAVE_X11
