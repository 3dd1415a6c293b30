// Tests of the X11 backend. The key mask and key tables need no server; everything else
// runs against a private Xvfb (skipped when Xvfb is not installed), inspected through a
// second connection, the observer. Waits are for events with a deadline, never sleeps.
#ifdef ZT_HAVE_X11

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "platform/gfx/canvas.h"
#include "platform/native/keys.h"
#include "platform/native/x11.h"
#include "platform/native/x11keymask.h"
#include "platform/native/x11keys.h"
#include "tests/support/xvfb.h"

// The X headers last: their macros must not reach the headers above.
#include "platform/native/x11backend.h"
#include "platform/native/x11window.h"

#include <X11/Xatom.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>
#ifdef ZT_HAVE_XTEST
#include <X11/extensions/XTest.h>
#endif

namespace native {
namespace {

// Key mask ------------------------------------------------------------------------------------

TEST(X11KeyMask, RegionHoldsTheNonKeyPixels) {
    const uint32_t k = 0;
    // 5 x 3, stride 6 (the last column of each row is padding and must be ignored).
    std::vector<uint32_t> pixels = {
        k, 7, 7, k, 7, 9,  //
        k, 7, 7, k, 7, 9,  //
        7, 7, k, k, k, 9,  //
    };
    TX11KeyMask mask;
    EXPECT_TRUE(mask.Update(pixels.data(), 5, 3, 6, 0, 3, k));
    TRegion expected(TRect{1, 0, 3, 2});
    expected.Combine(TRegion(TRect{4, 0, 5, 2}), RGN_OR);
    expected.Combine(TRegion(TRect{0, 2, 2, 3}), RGN_OR);
    EXPECT_EQ(mask.Region(), expected);
}

TEST(X11KeyMask, ReportsOnlyChangesOfWhichPixelsAreKeyed) {
    std::vector<uint32_t> pixels(4 * 4, 5);
    TX11KeyMask mask;
    ASSERT_TRUE(mask.Update(pixels.data(), 4, 4, 4, 0, 4, 0));
    pixels[5] = 6;  // another non-key colour: same mask
    EXPECT_FALSE(mask.Update(pixels.data(), 4, 4, 4, 1, 2, 0));
    pixels[6] = 0;  // keyed now
    EXPECT_TRUE(mask.Update(pixels.data(), 4, 4, 4, 1, 2, 0));
    EXPECT_FALSE(mask.Region().Contains(2, 1));
    EXPECT_TRUE(mask.Region().Contains(1, 1));
    // Rows outside the scanned range are not looked at...
    pixels[12] = 0;
    EXPECT_FALSE(mask.Update(pixels.data(), 4, 4, 4, 0, 2, 0));
    // ...until they are, or the key or the size changes, or the mask is reset.
    EXPECT_TRUE(mask.Update(pixels.data(), 4, 4, 4, 3, 4, 0));
    EXPECT_TRUE(mask.Update(pixels.data(), 4, 4, 4, 0, 0, 5));
    EXPECT_TRUE(mask.Update(pixels.data(), 4, 3, 4, 0, 0, 5));
    mask.Reset();
    EXPECT_TRUE(mask.Update(pixels.data(), 4, 3, 4, 0, 0, 5));
}

// Keys
// ----------------------------------------------------------------------------------------------

TEST(X11Keys, KeysymsGiveVirtualKeysAndCharacters) {
    struct TCase {
        unsigned long keysym;
        int key;
        uint32_t ch;
    };
    const TCase cases[] = {
        {XK_a, 'A', 'a'},           {XK_Z, 'Z', 'Z'},          {XK_0, '0', '0'},
        {XK_9, '9', '9'},           {XK_Return, VK_RETURN, 0}, {XK_KP_Enter, VK_RETURN, 0},
        {XK_Escape, VK_ESCAPE, 0},  {XK_Tab, VK_TAB, 0},       {XK_ISO_Left_Tab, VK_TAB, 0},
        {XK_BackSpace, VK_BACK, 0}, {XK_space, VK_SPACE, ' '}, {XK_Left, VK_LEFT, 0},
        {XK_Up, VK_UP, 0},          {XK_Right, VK_RIGHT, 0},   {XK_Down, VK_DOWN, 0},
        {XK_Home, VK_HOME, 0},      {XK_End, VK_END, 0},       {XK_Prior, VK_PRIOR, 0},
        {XK_Next, VK_NEXT, 0},      {XK_Delete, VK_DELETE, 0}, {XK_F1, VK_F1, 0},
        {XK_F10, VK_F10, 0},        {XK_Shift_L, VK_SHIFT, 0}, {XK_Control_R, VK_CONTROL, 0},
        {XK_Alt_L, VK_MENU, 0},     {XK_KP_7, 0x67, '7'},      {XK_eacute, 0, 0xE9},
        {0x010020AC, 0, 0x20AC},  // the Unicode keysym of the euro sign
        {XK_Caps_Lock, 0, 0},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(VirtualKeyFromKeysym(c.keysym), c.key) << std::hex << c.keysym;
        EXPECT_EQ(CharFromKeysym(c.keysym), c.ch) << std::hex << c.keysym;
    }
}

TEST(X11Keys, ChordsTypeNothingOrSystemCharactersAndAltGrStillTypes) {
    struct TCase {
        const char* what;
        unsigned long base, keysym;
        std::string text;  // what the keymap or input method made of it
        unsigned state;
        int key;
        std::vector<uint32_t> chars;
        bool system;
    };
    constexpr unsigned shift = kXShiftMask, ctrl = kXControlMask, alt = kXMod1Mask,
                       super = kXMod4Mask, altGr = kXMod5Mask;
    const TCase cases[] = {
        {"a", XK_a, XK_a, "a", 0, 'A', {'a'}, false},
        {"Shift+a", XK_a, XK_A, "A", shift, 'A', {'A'}, false},
        {"Alt+f", XK_f, XK_f, "f", alt, 'F', {'f'}, true},
        {"Alt+Shift+f", XK_f, XK_F, "F", alt | shift, 'F', {'F'}, true},
        {"Ctrl+a", XK_a, XK_a, "\x01", ctrl, 'A', {}, false},
        {"Ctrl+1", XK_1, XK_1, "1", ctrl, '1', {}, false},
        {"Ctrl+.", XK_period, XK_period, ".", ctrl, 0, {}, false},
        {"Ctrl+Alt+x", XK_x, XK_x, "x", ctrl | alt, 'X', {}, false},
        {"Super+e", XK_e, XK_e, "e", super, 'E', {}, false},
        {"Ctrl+Backspace", XK_BackSpace, XK_BackSpace, "\b", ctrl, VK_BACK, {}, false},
        {"AltGr+q on a German keymap", XK_q, XK_at, "@", altGr, 'Q', {'@'}, false},
        {"AltGr+e on a German keymap", XK_e, XK_EuroSign, "\xE2\x82\xAC", altGr, 'E', {0x20AC}, false},
        {"Return", XK_Return, XK_Return, "\r", 0, VK_RETURN, {'\r'}, false},
        {"Delete", XK_Delete, XK_Delete, "\x7F", 0, VK_DELETE, {}, false},
        {"dead acute", XK_dead_acute, XK_dead_acute, "", 0, 0, {}, false},
        {"dead circumflex with Shift", XK_grave, XK_dead_circumflex, "", shift, 0, {}, false},
        {"e after a dead acute", XK_e, XK_eacute, "\xC3\xA9", 0, 'E', {0xE9}, false},
        {"a composed sequence", 0, 0, "e\xCC\x81", 0, 0, {'e', 0x301}, false},
        {"no text, a Latin-1 keysym", XK_eacute, XK_eacute, "", 0, 0, {0xE9}, false},
        {"the Menu key", XK_Menu, XK_Menu, "", 0, VK_APPS, {}, false},
        {"F10", XK_F10, XK_F10, "", 0, VK_F10, {}, false},
        {"Shift+F10", XK_F10, XK_F10, "", shift, VK_F10, {}, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TKeyPress press = TranslateKeyPress(c.base, c.keysym, c.text, c.state);
        EXPECT_EQ(press.Key, c.key);
        EXPECT_EQ(press.Chars, c.chars);
        if (!c.chars.empty()) {
            EXPECT_EQ(press.System, c.system);
        }
    }
}

TEST(X11Keys, Utf8IsDecodedAndMalformedBytesBecomeReplacementCharacters) {
    EXPECT_EQ(DecodeUtf8("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"),
              (std::vector<uint32_t>{'a', 0xE9, 0x20AC, 0x1F600}));
    EXPECT_EQ(DecodeUtf8("\xC3"), (std::vector<uint32_t>{0xFFFD}));            // cut short
    EXPECT_EQ(DecodeUtf8("\xFFz"), (std::vector<uint32_t>{0xFFFD, 'z'}));      // no lead byte
    EXPECT_EQ(DecodeUtf8("\xED\xA0\x80"), (std::vector<uint32_t>{0xFFFD, 0xFFFD, 0xFFFD}));
}

// On a server ----------------------------------------------------------------------------------

TColor Pattern(int x, int y, int seed) {
    return RGB(40 + (x * 5 + seed * 31) % 200, 30 + (y * 7 + seed * 17) % 200, 20 + (x + y) % 100);
}

TBitmap MakeFrame(int width, int height, const std::function<TColor(int, int)>& color) {
    TBitmap frame(width, height, pf24bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            frame.SetPixel(x, y, color(x, y));
    return frame;
}

TRegion RegionOf(const XRectangle* rects, int count) {
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

    static ztest::TXvfb* server;
    std::unique_ptr<TX11Backend> backend;
    std::vector<Window> made;  // the windows the test made
    Display* observer = nullptr;
};

ztest::TXvfb* X11Test::server = nullptr;

// Pixels -----------------------------------------------------------------------------------------

TEST_F(X11Test, PresentShowsTheFrameAndThenOnlyTheDirtyPart) {
    TBitmap first = MakeFrame(40, 30, [](int x, int y) { return Pattern(x, y, 1); });
    auto window = ShownWindow(TRect::FromSize(100, 100, 40, 30), first);
    EXPECT_EQ(ReadPixels(window->Id(), {0, 0, 40, 30}), Colors(first));

    TBitmap second = MakeFrame(40, 30, [](int x, int y) { return Pattern(x, y, 2); });
    const TRect dirty{10, 5, 30, 15};
    window->Present(second, dirty);
    Sync();
    TBitmap expected = MakeFrame(40, 30, [&](int x, int y) {
        return dirty.Contains({x, y}) ? second.Pixel(x, y) : first.Pixel(x, y);
    });
    EXPECT_EQ(ReadPixels(window->Id(), {0, 0, 40, 30}), Colors(expected));
}

TEST_F(X11Test, UncoveredPartsAreRepaintedWithoutTheProgram) {
    TBitmap frame = MakeFrame(40, 30, [](int x, int y) { return Pattern(x, y, 3); });
    auto window = ShownWindow(TRect::FromSize(100, 100, 40, 30), frame);
    Window cover = XCreateSimpleWindow(observer, DefaultRootWindow(observer), 90, 90, 60, 60, 0, 0,
                                       WhitePixel(observer, 0));
    XMapRaised(observer, cover);
    XSync(observer, False);
    EXPECT_NE(ReadPixels(window->Id(), {0, 0, 40, 30}), Colors(frame));
    XDestroyWindow(observer, cover);
    XSync(observer, False);
    EXPECT_EQ(ReadPixels(window->Id(), {0, 0, 40, 30}), Colors(frame));
    EXPECT_TRUE(Pending().empty());  // no Exposed event: the server did the work
}

TEST_F(X11Test, ResizingKeepsThePictureAndAFrameOfAnotherSizeShowsWhole) {
    auto window = ShownWindow(TRect::FromSize(100, 100, 20, 20),
                              MakeFrame(20, 20, [](int, int) { return clRed; }));
    // Grown, the window keeps its picture and is black beyond it until painted (the
    // background pixmap is not tiled over the new part).
    window->SetBounds(TRect::FromSize(100, 100, 50, 40));
    Sync();
    TBitmap grown =
        MakeFrame(50, 40, [](int x, int y) { return x < 20 && y < 20 ? clRed : clBlack; });
    EXPECT_EQ(ReadPixels(window->Id(), {0, 0, 50, 40}), Colors(grown));

    TBitmap big = MakeFrame(50, 40, [](int x, int y) { return Pattern(x, y, 4); });
    window->Present(big, {0, 0, 5, 5});
    Sync();
    TBitmap expected = MakeFrame(
        50, 40, [&](int x, int y) { return x < 5 && y < 5 ? big.Pixel(x, y) : grown.Pixel(x, y); });
    EXPECT_EQ(ReadPixels(window->Id(), {0, 0, 50, 40}), Colors(expected));

    // A frame that is not of the window's size (a resize by the window manager under way)
    // is shown whole, whatever part was dirty.
    TBitmap other = MakeFrame(60, 45, [](int x, int y) { return Pattern(x, y, 5); });
    window->Present(other, {0, 0, 1, 1});
    Sync();
    TBitmap shown = MakeFrame(50, 40, [&](int x, int y) { return other.Pixel(x, y); });
    EXPECT_EQ(ReadPixels(window->Id(), {0, 0, 50, 40}), Colors(shown));
}

// Shape -------------------------------------------------------------------------------------------

TEST_F(X11Test, ShapeIsTheRegionForDrawingAndInput) {
    auto window = ShownWindow(TRect::FromSize(100, 100, 40, 30),
                              MakeFrame(40, 30, [](int x, int y) { return Pattern(x, y, 5); }));
    EXPECT_FALSE(Shaped(window->Id()));
    TRegion rounded(TRect{2, 0, 38, 30});
    rounded.Combine(TRegion(TRect{0, 2, 40, 28}), RGN_OR);
    rounded.Combine(TRegion(TRect{15, 10, 25, 20}), RGN_DIFF);
    window->SetShape(&rounded);
    Sync();
    EXPECT_TRUE(Shaped(window->Id()));
    EXPECT_EQ(ShapeOf(window->Id(), ShapeBounding), rounded);
    EXPECT_EQ(ShapeOf(window->Id(), ShapeInput), rounded);

    window->SetShape(nullptr);
    Sync();
    EXPECT_FALSE(Shaped(window->Id()));
    EXPECT_EQ(ShapeOf(window->Id(), ShapeInput), TRegion(TRect{0, 0, 40, 30}));
}

TEST_F(X11Test, ColourKeyLeavesKeyPixelsOutOfTheShape) {
    auto keyed = [](int x, int y) { return (x / 4 + y / 3) % 3 == 0; };
    TBitmap frame =
        MakeFrame(40, 30, [&](int x, int y) { return keyed(x, y) ? clBlack : Pattern(x, y, 6); });
    auto window = ShownWindow(TRect::FromSize(100, 100, 40, 30), frame);
    auto visible = [](const TBitmap& f, const TRegion* clip) {
        TRegion region;
        for (int y = 0; y < f.Height(); ++y)
            for (int x = 0; x < f.Width(); ++x)
                if (f.Pixel(x, y) != clBlack && (!clip || clip->Contains(x, y)))
                    region.Combine(TRegion(TRect{x, y, x + 1, y + 1}), RGN_OR);
        return region;
    };

    window->SetColorKey(clBlack);
    Sync();
    EXPECT_EQ(ShapeOf(window->Id(), ShapeBounding), visible(frame, nullptr));
    EXPECT_EQ(ShapeOf(window->Id(), ShapeInput), visible(frame, nullptr));

    TRegion inner(TRect{3, 3, 37, 27});
    window->SetShape(&inner);
    Sync();
    EXPECT_EQ(ShapeOf(window->Id(), ShapeBounding), visible(frame, &inner));

    // A paint that turns pixels black cuts them out; one that keeps the keyed pixels where
    // they were sends no new shape.
    XShapeSelectInput(observer, window->Id(), ShapeNotifyMask);
    XSync(observer, False);
    TBitmap darker = frame;
    darker.Canvas().Brush.Color = clBlack;
    darker.Canvas().FillRect({20, 10, 30, 20});
    window->Present(darker, {20, 10, 30, 20});
    Sync();
    EXPECT_EQ(ShapeOf(window->Id(), ShapeBounding), visible(darker, &inner));
    while (XPending(observer)) {
        XEvent event;
        XNextEvent(observer, &event);
    }
    TBitmap recoloured = MakeFrame(40, 30, [&](int x, int y) {
        return darker.Pixel(x, y) == clBlack ? clBlack : Pattern(x, y, 7);
    });
    window->Present(recoloured, {0, 0, 40, 30});
    Sync();
    XSync(observer, False);
    int shapeNotifies = 0;
    int shapeEventBase = 0, shapeErrorBase = 0;
    XShapeQueryExtension(observer, &shapeEventBase, &shapeErrorBase);
    while (XPending(observer)) {
        XEvent event;
        XNextEvent(observer, &event);
        if (event.type == shapeEventBase + ShapeNotify) ++shapeNotifies;
    }
    EXPECT_EQ(shapeNotifies, 0);
    EXPECT_EQ(ReadPixels(window->Id(), {5, 5, 6, 6}), std::vector<TColor>{recoloured.Pixel(5, 5)});

    window->SetColorKey(std::nullopt);
    Sync();
    EXPECT_EQ(ShapeOf(window->Id(), ShapeBounding), inner);
}

// Window manager hints ---------------------------------------------------------------------------

TEST_F(X11Test, WindowCarriesClassPidTitleAndProtocols) {
    TWindowParams params;
    params.Title = "Zeit \xC3\xA9";  // Latin-1 representable
    params.Borderless = true;
    auto window = MakeWindow(TRect::FromSize(10, 20, 150, 90), params);
    Sync();
    XClassHint hint{};
    ASSERT_TRUE(XGetClassHint(observer, window->Id(), &hint));
    EXPECT_STREQ(hint.res_name, "zentick");
    EXPECT_STREQ(hint.res_class, "zentick");
    XFree(hint.res_name);
    XFree(hint.res_class);
    EXPECT_EQ(Property32(window->Id(), "_NET_WM_PID"),
              std::vector<unsigned long>{unsigned(getpid())});
    EXPECT_EQ(PropertyText(window->Id(), "WM_NAME"), "Zeit \xE9");
    EXPECT_EQ(PropertyText(window->Id(), "_NET_WM_NAME"), "Zeit \xC3\xA9");
    EXPECT_FALSE(PropertyText(window->Id(), "WM_CLIENT_MACHINE").empty());
    std::vector<unsigned long> protocols = Property32(window->Id(), "WM_PROTOCOLS");
    EXPECT_NE(std::find(protocols.begin(), protocols.end(), AtomOf("WM_DELETE_WINDOW")),
              protocols.end());
    EXPECT_EQ(Property32(window->Id(), "_NET_WM_WINDOW_TYPE"),
              std::vector<unsigned long>{AtomOf("_NET_WM_WINDOW_TYPE_NORMAL")});
    std::vector<unsigned long> motif = Property32(window->Id(), "_MOTIF_WM_HINTS");
    ASSERT_EQ(motif.size(), 5u);
    EXPECT_EQ(motif[0], 2u);  // decorations given
    EXPECT_EQ(motif[2], 0u);  // and none
    XSizeHints hints{};
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(observer, window->Id(), &hints, &supplied));
    EXPECT_TRUE(hints.flags & USPosition);
    EXPECT_EQ(hints.win_gravity, StaticGravity);

    window->SetBorderless(false);
    window->SetTitle("\xE2\x86\x92 clock");  // not Latin-1: WM_NAME in UTF-8 too
    Sync();
    EXPECT_TRUE(Property32(window->Id(), "_MOTIF_WM_HINTS").empty());
    EXPECT_EQ(PropertyText(window->Id(), "WM_NAME"), "\xE2\x86\x92 clock");
}

TEST_F(X11Test, DialogsAreTransientAndFixedPopupsUnmanaged) {
    auto owner = MakeWindow(TRect::FromSize(10, 10, 150, 90));
    TWindowParams dialogParams;
    dialogParams.Kind = TWindowKind::Dialog;
    dialogParams.Owner = owner.get();
    auto dialog = MakeWindow(TRect::FromSize(50, 50, 300, 200), dialogParams);
    TWindowParams popupParams;
    popupParams.Kind = TWindowKind::Popup;
    auto popup = MakeWindow(TRect::FromSize(60, 60, 100, 80), popupParams);
    Sync();

    Window transientFor = 0;
    ASSERT_TRUE(XGetTransientForHint(observer, dialog->Id(), &transientFor));
    EXPECT_EQ(transientFor, owner->Id());
    EXPECT_EQ(Property32(dialog->Id(), "_NET_WM_WINDOW_TYPE"),
              std::vector<unsigned long>{AtomOf("_NET_WM_WINDOW_TYPE_DIALOG")});
    XSizeHints hints{};
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(observer, dialog->Id(), &hints, &supplied));
    ASSERT_TRUE((hints.flags & PMinSize) && (hints.flags & PMaxSize));
    EXPECT_EQ(hints.min_width, 300);
    EXPECT_EQ(hints.max_width, 300);
    EXPECT_EQ(hints.min_height, 200);
    EXPECT_EQ(hints.max_height, 200);
    // A title bar with a close button only: moved, closed, never resized or minimised.
    EXPECT_EQ(Property32(dialog->Id(), "_MOTIF_WM_HINTS"), (std::vector<unsigned long>{1 | 2, 4 | 32, 2 | 8 | 16, 0, 0}));

    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(observer, popup->Id(), &attributes));
    EXPECT_TRUE(attributes.override_redirect);
    ASSERT_TRUE(XGetWindowAttributes(observer, dialog->Id(), &attributes));
    EXPECT_FALSE(attributes.override_redirect);
}

TEST_F(X11Test, OwnedWindowsOfAStayOnTopOwnerStayOnTopToo) {
    TWindowParams ownerParams;
    ownerParams.StayOnTop = true;
    auto owner = MakeWindow(TRect::FromSize(10, 10, 150, 90), ownerParams);
    TWindowParams dialogParams;
    dialogParams.Kind = TWindowKind::Dialog;
    dialogParams.Owner = owner.get();
    auto dialog = MakeWindow(TRect::FromSize(50, 50, 200, 100), dialogParams);
    Sync();
    EXPECT_TRUE(HasState(dialog->Id(), "_NET_WM_STATE_ABOVE"));
    owner->SetStayOnTop(false);
    Sync();
    EXPECT_FALSE(HasState(dialog->Id(), "_NET_WM_STATE_ABOVE"));
    owner->SetStayOnTop(true);
    Sync();
    EXPECT_TRUE(HasState(dialog->Id(), "_NET_WM_STATE_ABOVE"));
    // Without its owner the dialog is a window of its own again.
    owner.reset();
    Sync();
    EXPECT_FALSE(HasState(dialog->Id(), "_NET_WM_STATE_ABOVE"));
}

TEST_F(X11Test, DialogWithoutOwnerIsFixedSizeAndTransientForNothing) {
    TWindowParams params;
    params.Kind = TWindowKind::Dialog;
    auto dialog = MakeWindow(TRect::FromSize(50, 50, 240, 160), params);
    Sync();
    Window transientFor = 0;
    EXPECT_FALSE(XGetTransientForHint(observer, dialog->Id(), &transientFor));
    XSizeHints hints{};
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(observer, dialog->Id(), &hints, &supplied));
    EXPECT_TRUE((hints.flags & PMinSize) && (hints.flags & PMaxSize));
    EXPECT_EQ(hints.max_width, 240);
    EXPECT_EQ(hints.max_height, 160);
}

TEST_F(X11Test, AFixedSizeWindowSaysSoAndItsHintsFollowItsSize) {
    TWindowParams params;
    params.Resizable = false;
    params.Borderless = true;
    auto gadget = MakeWindow(TRect::FromSize(50, 50, 150, 90), params);
    gadget->SetActivateOnShow(false);
    auto resizable = MakeWindow(TRect::FromSize(50, 50, 300, 200));
    resizable->SetActivateOnShow(true);
    Sync();
    auto sizes = [&](Window w) {
        XSizeHints hints{};
        long supplied = 0;
        XGetWMNormalHints(observer, w, &hints, &supplied);
        if (!(hints.flags & PMinSize) || !(hints.flags & PMaxSize)) return std::vector<int>{};
        return std::vector<int>{hints.min_width, hints.min_height, hints.max_width, hints.max_height};
    };
    EXPECT_EQ(sizes(gadget->Id()), (std::vector<int>{150, 90, 150, 90}));
    EXPECT_TRUE(sizes(resizable->Id()).empty());
    gadget->SetBounds(TRect::FromSize(50, 50, 76, 46));
    Sync();
    EXPECT_EQ(sizes(gadget->Id()), (std::vector<int>{76, 46, 76, 46}));
    // Not focused by the window manager when it maps; a window that is, says nothing.
    EXPECT_EQ(Property32(gadget->Id(), "_NET_WM_USER_TIME"), std::vector<unsigned long>{0});
    EXPECT_TRUE(Property32(resizable->Id(), "_NET_WM_USER_TIME").empty());
}

TEST_F(X11Test, ModalDialogsAndTooltipsTellTheWindowManager) {
    TWindowParams dialogParams;
    dialogParams.Kind = TWindowKind::Dialog;
    auto dialog = MakeWindow(TRect::FromSize(50, 50, 240, 160), dialogParams);
    dialog->SetModal(true);
    Sync();
    EXPECT_TRUE(HasState(dialog->Id(), "_NET_WM_STATE_MODAL"));
    dialog->SetModal(false);
    Sync();
    EXPECT_FALSE(HasState(dialog->Id(), "_NET_WM_STATE_MODAL"));

    TWindowParams tipParams;
    tipParams.Kind = TWindowKind::Tooltip;
    auto tip = MakeWindow(TRect::FromSize(60, 60, 100, 20), tipParams);
    Sync();
    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(observer, tip->Id(), &attributes));
    EXPECT_TRUE(attributes.override_redirect);
    EXPECT_EQ(Property32(tip->Id(), "_NET_WM_WINDOW_TYPE"),
              std::vector<unsigned long>{AtomOf("_NET_WM_WINDOW_TYPE_TOOLTIP")});
    int count = -1, ordering = 0;
    XRectangle* input = XShapeGetRectangles(observer, tip->Id(), ShapeInput, &count, &ordering);
    if (input) XFree(input);
    EXPECT_EQ(count, 0);  // the pointer goes through
    // Without a window manager nobody frames anything.
    EXPECT_EQ(dialog->FrameExtents(), TFrameExtents{});
}

TEST_F(X11Test, StateIsWrittenBeforeMapping) {
    TWindowParams params;
    params.StayOnTop = true;
    params.TaskbarButton = false;
    auto window = MakeWindow(TRect::FromSize(10, 10, 150, 90), params);
    Sync();
    EXPECT_TRUE(HasState(window->Id(), "_NET_WM_STATE_ABOVE"));
    EXPECT_TRUE(HasState(window->Id(), "_NET_WM_STATE_SKIP_TASKBAR"));
    EXPECT_TRUE(HasState(window->Id(), "_NET_WM_STATE_SKIP_PAGER"));
    window->SetStayOnTop(false);
    window->SetTaskbarButton(true);
    Sync();
    EXPECT_TRUE(Property32(window->Id(), "_NET_WM_STATE").empty());
}

// Events
// --------------------------------------------------------------------------------------------

TEST_F(X11Test, MovesByOthersAreReportedAndOwnOvertakenOnesAreNot) {
    auto window = ShownWindow(TRect::FromSize(100, 100, 40, 30),
                              MakeFrame(40, 30, [](int, int) { return clRed; }));
    Pending();
    XMoveWindow(observer, window->Id(), 300, 222);
    XSync(observer, False);
    std::vector<TEvent> events =
        Collect([](const TEvent& e) { return e.Kind == TEventKind::Moved; });
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().Window, window.get());
    EXPECT_EQ(events.back().Rect, TRect::FromSize(300, 222, 40, 30));
    EXPECT_EQ(window->Bounds(), TRect::FromSize(300, 222, 40, 30));

    // A drag: two moves before the program looks at its events.
    const TRect first = TRect::FromSize(310, 230, 40, 30);
    const TRect second = TRect::FromSize(320, 240, 40, 30);
    window->SetBounds(first);
    window->SetBounds(second);
    for (const TEvent& e : Pending()) {
        if (e.Kind == TEventKind::Moved) {
            EXPECT_EQ(e.Rect, second);
        }
    }
    EXPECT_EQ(RootPosition(window->Id()), second.TopLeft());
    EXPECT_EQ(window->Bounds(), second);
}

// A window manager within the test. It maps a window offset further in than the window
// asked (as i3 does with a borderless window) and then honours the moves it is asked for,
// or refuses them (and says so with a synthetic configure notification, as it must). With
// a frame, it says it offers _NET_REQUEST_FRAME_EXTENTS but leaves the requests unanswered
// and tells a window its frame (_NET_FRAME_EXTENTS) when it maps it, as fluxbox does.
class TTestWindowManager {
public:
    struct TOptions {
        TPoint offset;
        bool honoursMoves = true;
        std::optional<TFrameExtents> frame;
    };
    TTestWindowManager(const std::string& display, TOptions options)
        : display_(XOpenDisplay(display.c_str())), options_(options) {
        if (!display_) return;
        Window root = DefaultRootWindow(display_);
        XSelectInput(display_, root, SubstructureRedirectMask | SubstructureNotifyMask);
        if (options_.frame) {
            Atom offered = XInternAtom(display_, "_NET_REQUEST_FRAME_EXTENTS", False);
            XChangeProperty(display_, root, XInternAtom(display_, "_NET_SUPPORTED", False), XA_ATOM,
                            32, PropModeReplace, reinterpret_cast<unsigned char*>(&offered), 1);
        }
        XSync(display_, False);
    }
    ~TTestWindowManager() {
        if (!display_) return;
        XDeleteProperty(display_, DefaultRootWindow(display_),
                        XInternAtom(display_, "_NET_SUPPORTED", False));
        XCloseDisplay(display_);
    }
    bool Ok() const { return display_ != nullptr; }
    int MoveRequests() const { return moveRequests_; }
    int FrameRequests() const { return frameRequests_; }

    // Handles what the window manager was asked so far.
    void Handle() {
        XSync(display_, False);
        while (XPending(display_)) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == MapRequest) {
                Window client = event.xmaprequest.window;
                XWindowAttributes a{};
                XGetWindowAttributes(display_, client, &a);
                XMoveWindow(display_, client, a.x + options_.offset.X, a.y + options_.offset.Y);
                if (options_.frame) {
                    const TFrameExtents& f = *options_.frame;
                    long extents[4] = {f.Left, f.Right, f.Top, f.Bottom};
                    XChangeProperty(display_, client,
                                    XInternAtom(display_, "_NET_FRAME_EXTENTS", False), XA_CARDINAL,
                                    32, PropModeReplace, reinterpret_cast<unsigned char*>(extents),
                                    4);
                }
                XMapWindow(display_, client);
            } else if (event.type == ClientMessage &&
                       event.xclient.message_type ==
                           XInternAtom(display_, "_NET_REQUEST_FRAME_EXTENTS", False)) {
                ++frameRequests_;
            } else if (event.type == ConfigureRequest) {
                const XConfigureRequestEvent& r = event.xconfigurerequest;
                XWindowAttributes a{};
                XGetWindowAttributes(display_, r.window, &a);
                XWindowChanges changes{r.x, r.y, r.width, r.height, 0, 0, 0};
                if (!a.map_state) {  // not placed yet: any request is fine
                    XConfigureWindow(display_, r.window, unsigned(r.value_mask & 0xF), &changes);
                    continue;
                }
                ++moveRequests_;
                if (options_.honoursMoves) {
                    XConfigureWindow(display_, r.window, unsigned(r.value_mask & 0xF), &changes);
                } else {
                    XEvent notify{};
                    notify.xconfigure.type = ConfigureNotify;
                    notify.xconfigure.event = notify.xconfigure.window = r.window;
                    notify.xconfigure.x = a.x;
                    notify.xconfigure.y = a.y;
                    notify.xconfigure.width = a.width;
                    notify.xconfigure.height = a.height;
                    XSendEvent(display_, r.window, False, StructureNotifyMask, &notify);
                }
            }
        }
        XSync(display_, False);
    }

private:
    Display* display_;
    TOptions options_;
    int moveRequests_ = 0;
    int frameRequests_ = 0;
};

// A window mapped elsewhere than it asked asks once more: where the window manager then
// honours that, the window stands where the program put it and never reported the place
// it had in between; where it refuses, the window keeps the place it was given.
TEST_F(X11Test, AWindowMappedElsewhereAsksOnceMoreAndKeepsTheAnswer) {
    for (bool honours : {true, false}) {
        SCOPED_TRACE(honours ? "the window manager honours moves" : "it refuses them");
        TTestWindowManager::TOptions options;
        options.offset = {2, 18};
        options.honoursMoves = honours;
        TTestWindowManager manager(server->Display(), options);
        ASSERT_TRUE(manager.Ok());
        const TRect asked = TRect::FromSize(200, 150, 150, 90);
        const TRect misplaced = TRect::FromSize(202, 168, 150, 90);
        TWindowParams params;
        params.Borderless = true;
        params.Resizable = false;
        auto window = MakeWindow(asked, params);
        window->Present(MakeFrame(150, 90, [](int x, int y) { return Pattern(x, y, 30); }),
                        {0, 0, 150, 90});
        window->Show(true);
        std::vector<TRect> moves;  // what the window reported
        const TRect expected = honours ? asked : misplaced;
        int64_t deadline = backend->NowMs() + 5000;
        while (backend->NowMs() < deadline &&
               (moves.empty() || moves.back() != expected || manager.MoveRequests() == 0)) {
            Sync();
            manager.Handle();
            std::vector<TEvent> events;
            backend->WaitEvents(backend->NowMs() + 20, events);
            for (const TEvent& e : events)
                if (e.Kind == TEventKind::Moved) moves.push_back(e.Rect);
        }
        ASSERT_FALSE(moves.empty()) << "no answer was reported";
        EXPECT_EQ(moves.back(), expected);
        for (const TRect& r : moves)
            EXPECT_EQ(r, expected) << r.Left << "," << r.Top;
        EXPECT_EQ(window->Bounds(), expected);
        EXPECT_EQ(RootPosition(window->Id()), expected.TopLeft());
        // Asked once, and not again.
        manager.Handle();
        Pending();
        manager.Handle();
        EXPECT_EQ(manager.MoveRequests(), 1);
        // Settled: a move by someone else is news again.
        if (honours) {
            XMoveWindow(observer, window->Id(), 300, 222);
            XSync(observer, False);
            manager.Handle();
            std::vector<TEvent> events =
                Collect([](const TEvent& e) { return e.Kind == TEventKind::Moved; });
            ASSERT_FALSE(events.empty());
            EXPECT_EQ(events.back().Rect, TRect::FromSize(300, 222, 150, 90));
        }
    }
}

// A window manager that offers to tell a frame before mapping and does not: the first
// dialog waits for it in vain and is told none, and reports FrameChanged when it shows
// with one; nobody asks again, and the next dialog is told the frame the first got.
TEST_F(X11Test, AFrameToldOnlyOnMappingIsReportedAndRememberedForTheNextDialog) {
    const TFrameExtents frame{1, 20, 1, 1};
    TTestWindowManager::TOptions options;
    options.frame = frame;
    TTestWindowManager manager(server->Display(), options);
    ASSERT_TRUE(manager.Ok());
    TWindowParams params;
    params.Kind = TWindowKind::Dialog;
    auto first = MakeWindow(TRect::FromSize(100, 100, 200, 120), params);
    EXPECT_EQ(first->FrameExtents(), TFrameExtents{});
    first->Present(MakeFrame(200, 120, [](int x, int y) { return Pattern(x, y, 31); }),
                   {0, 0, 200, 120});
    first->Show(true);
    bool reported = false;
    int64_t deadline = backend->NowMs() + 5000;
    while (!reported && backend->NowMs() < deadline) {
        Sync();
        manager.Handle();
        std::vector<TEvent> events;
        backend->WaitEvents(backend->NowMs() + 20, events);
        for (const TEvent& e : events)
            reported = reported || (e.Kind == TEventKind::FrameChanged && e.Window == first.get());
    }
    EXPECT_TRUE(reported) << "the frame that came was not reported";
    EXPECT_EQ(first->FrameExtents(), frame);
    auto second = MakeWindow(TRect::FromSize(100, 100, 200, 120), params);
    EXPECT_EQ(second->FrameExtents(), frame);
    manager.Handle();
    EXPECT_EQ(manager.FrameRequests(), 1);
    // Shown, it gets the frame it was told: nothing to report.
    second->Present(MakeFrame(200, 120, [](int x, int y) { return Pattern(x, y, 32); }),
                    {0, 0, 200, 120});
    second->Show(true);
    manager.Handle();
    for (const TEvent& e : Pending())
        EXPECT_NE(e.Kind, TEventKind::FrameChanged);
}

TEST_F(X11Test, DeleteWindowMessageIsACloseRequest) {
    auto window = MakeWindow(TRect::FromSize(10, 10, 50, 50));
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window->Id();
    event.xclient.message_type = AtomOf("WM_PROTOCOLS");
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(AtomOf("WM_DELETE_WINDOW"));
    XSendEvent(observer, window->Id(), False, NoEventMask, &event);
    XSync(observer, False);
    std::vector<TEvent> events =
        Collect([](const TEvent& e) { return e.Kind == TEventKind::CloseRequest; });
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().Kind, TEventKind::CloseRequest);
    EXPECT_EQ(events.back().Window, window.get());
}

TEST_F(X11Test, WakeEndsAWaitWithoutLimit) {
    std::vector<TEvent> events;
    backend->Wake();
    backend->Wake();
    backend->WaitEvents(-1, events);
    ASSERT_EQ(events.size(), 1u);  // two wakes before a wait are one event
    EXPECT_EQ(events[0].Kind, TEventKind::Wake);
    EXPECT_EQ(events[0].Window, nullptr);

    events.clear();
    std::thread waker([this] { backend->Wake(); });
    backend->WaitEvents(-1, events);
    waker.join();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].Kind, TEventKind::Wake);
}

TEST_F(X11Test, WaitEventsReturnsAtTheDeadlineWithoutUsingTheProcessor) {
    Pending();
    std::vector<TEvent> events;
    int64_t start = backend->NowMs();
    backend->WaitEvents(start + 50, events);
    EXPECT_TRUE(events.empty());
    EXPECT_GE(backend->NowMs() - start, 50);

    // An idle wait is a blocked poll: it takes next to no processor time.
    rusage before{}, after{};
    getrusage(RUSAGE_THREAD, &before);
    int64_t idleStart = backend->NowMs();
    backend->WaitEvents(idleStart + 300, events);
    getrusage(RUSAGE_THREAD, &after);
    auto micros = [](const rusage& u) {
        return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000000L + u.ru_utime.tv_usec +
               u.ru_stime.tv_usec;
    };
    long used = micros(after) - micros(before);
    std::printf("idle WaitEvents: %ld us of processor time in %lld ms\n", used,
                (long long)(backend->NowMs() - idleStart));
    EXPECT_LT(used, 20000);
    EXPECT_TRUE(events.empty());
}

// Screen
// --------------------------------------------------------------------------------------------

TEST_F(X11Test, ScreenMetrics) {
    EXPECT_EQ(backend->ScreenSize(), (TSize{1024, 768}));
    EXPECT_EQ(backend->BitsPerPixel(), 24);
    EXPECT_TRUE(backend->DragFullWindows());
    EXPECT_GE(backend->PixelsPerInch(), 48);
    EXPECT_LE(backend->PixelsPerInch(), 480);
}

TEST_F(X11Test, XftDpiResourceGivesThePixelsPerInch) {
    Window root = DefaultRootWindow(observer);
    const char resources[] = "Xft.antialias:\t1\nXft.dpi:\t120\n";
    XChangeProperty(observer, root, XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(resources), int(sizeof resources - 1));
    XSync(observer, False);
    std::unique_ptr<TBackend> other = CreateX11Backend(server->Display().c_str());
    XDeleteProperty(observer, root, XA_RESOURCE_MANAGER);
    XSync(observer, False);
    ASSERT_TRUE(other);
    EXPECT_EQ(other->PixelsPerInch(), 120);
    // What the user set holds for every monitor, whatever size the monitors report.
    for (const TMonitor& m : other->Monitors())
        EXPECT_EQ(m.PixelsPerInch, 120);
}

TEST_F(X11Test, MonitorsCoverTheScreenWithTheirDensity) {
    std::vector<TMonitor> monitors = backend->Monitors();
    ASSERT_FALSE(monitors.empty());
    EXPECT_EQ(monitors[0].Bounds.Width(), backend->ScreenSize().cx);
    EXPECT_EQ(monitors[0].Bounds.Height(), backend->ScreenSize().cy);
    EXPECT_EQ(ScalePercentForPixelsPerInch(monitors[0].PixelsPerInch), 100);
}

TEST_F(X11Test, FocusRectInvertsDottedEdgesAndDrawingAgainRestores) {
    // Partly over a window: the outline is drawn above every window.
    auto window = ShownWindow(TRect::FromSize(60, 50, 40, 30),
                              MakeFrame(40, 30, [](int x, int y) { return Pattern(x, y, 8); }));
    Window root = DefaultRootWindow(observer);
    const TRect area{0, 0, 120, 100};
    const TRect rect{50, 40, 80, 60};
    std::vector<TColor> before = ReadPixels(root, area);
    backend->DrawFocusRectOnScreen(rect);
    Sync();
    std::vector<TColor> after = ReadPixels(root, area);
    ASSERT_EQ(after.size(), before.size());
    int inverted = 0;
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x) {
            bool edge = rect.Contains({x, y}) && (x == rect.Left || x == rect.Right - 1 ||
                                                  y == rect.Top || y == rect.Bottom - 1);
            bool dotted = edge && (x + y) % 2 == 0;
            size_t i = size_t(y * area.Width() + x);
            TColor expected = dotted ? (before[i] ^ 0xFFFFFF) : before[i];
            if (dotted) ++inverted;
            ASSERT_EQ(after[i], expected) << x << "," << y;
        }
    EXPECT_EQ(inverted, 48);  // (2 x 30 + 2 x 18) edge pixels, every other one
    backend->DrawFocusRectOnScreen(rect);
    Sync();
    EXPECT_EQ(ReadPixels(root, area), before);
}

TEST_F(X11Test, RequestsAboutAVanishedWindowAreHarmless) {
    auto window = ShownWindow(TRect::FromSize(10, 10, 30, 30),
                              MakeFrame(30, 30, [](int, int) { return clBlue; }));
    Pending();
    int errors = TX11Backend::ErrorCount();
    XDestroyWindow(observer, window->Id());
    XSync(observer, False);
    TRegion region(TRect{0, 0, 10, 10});
    window->SetShape(&region);
    window->SetColorKey(clBlack);
    window->Present(MakeFrame(30, 30, [](int, int) { return clRed; }), {0, 0, 30, 30});
    window->SetBounds(TRect::FromSize(20, 20, 30, 30));
    Sync();
    EXPECT_GT(TX11Backend::ErrorCount(), errors);
    EXPECT_EQ(TX11Backend::LastErrorCode(), BadWindow);
    Pending();
    window.reset();
    Sync();
}

TEST_F(X11Test, LosingTheServerEndsTheProgramQuietly) {
    std::string display = server->Display();
    EXPECT_EXIT(
        {
            std::unique_ptr<TBackend> lost = CreateX11Backend(display.c_str());
            if (!lost) std::_Exit(3);
            // As if the server went away: the connection reads its end.
            shutdown(ConnectionNumber(static_cast<TX11Backend*>(lost.get())->XDisplay()),
                     SHUT_RDWR);
            std::vector<TEvent> events;
            lost->WaitEvents(-1, events);
            std::_Exit(4);
        },
        ::testing::ExitedWithCode(0), "connection to the X server was lost");
}

TEST_F(X11Test, TimeFromStartToMappedWindow) {
    // Informational: the time a clock takes to appear, from opening the connection.
    int64_t start = backend->NowMs();
    std::unique_ptr<TBackend> fresh = CreateX11Backend(server->Display().c_str());
    ASSERT_TRUE(fresh);
    TWindowParams params;
    params.Bounds = TRect::FromSize(30, 30, 150, 90);
    params.Borderless = true;
    std::unique_ptr<TNativeWindow> window = fresh->CreateNativeWindow(params);
    auto* x11 = static_cast<TX11Window*>(window.get());
    window->Present(MakeFrame(150, 90, [](int x, int y) { return Pattern(x, y, 9); }),
                    {0, 0, 150, 90});
    window->Show(true);
    bool mapped = false;
    // The backend does not report MapNotify; it arrives on its connection after the map,
    // so a round trip after Show is when the window is on the screen.
    XSync(static_cast<TX11Backend*>(fresh.get())->XDisplay(), False);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(observer, x11->Id(), &attributes))
        mapped = attributes.map_state == IsViewable;
    int64_t elapsed = backend->NowMs() - start;
    EXPECT_TRUE(mapped);
    std::printf("connect, create, present, show until mapped: %lld ms\n", (long long)elapsed);
    RecordProperty("map_ms", int(elapsed));
}

#ifdef ZT_HAVE_XTEST

// Input, faked through XTest on the observer's connection
// ------------------------------------------

// A key event as the key test compares it.
struct TSeen {
    TEventKind kind;
    int key;
    uint32_t ch;
    unsigned modifiers;
    bool operator==(const TSeen&) const = default;
};

class X11InputTest : public X11Test {
protected:
    void SetUp() override {
        X11Test::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        int event = 0, error = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(observer, &event, &error, &major, &minor))
            GTEST_SKIP() << "no XTest on the server";
    }

    void MoveTo(int x, int y) {
        XTestFakeMotionEvent(observer, 0, x, y, CurrentTime);
        XSync(observer, False);
    }
    void Button(int button, bool down) {
        XTestFakeButtonEvent(observer, unsigned(button), down, CurrentTime);
        XSync(observer, False);
    }
    void Key(KeySym keysym, bool down) {
        XTestFakeKeyEvent(observer, XKeysymToKeycode(observer, keysym), down, CurrentTime);
        XSync(observer, False);
    }
    static bool IsButton(const TEvent& e, TEventKind kind) { return e.Kind == kind; }
};

TEST_F(X11InputTest, ClickArrivesWithScreenPositionButtonAndModifiers) {
    auto window = ShownWindow(TRect::FromSize(200, 150, 60, 40),
                              MakeFrame(60, 40, [](int x, int y) { return Pattern(x, y, 10); }));
    Pending();
    MoveTo(215, 160);
    Button(1, true);
    Button(1, false);
    std::vector<TEvent> events =
        Collect([](const TEvent& e) { return e.Kind == TEventKind::ButtonUp; });
    auto down = std::find_if(events.begin(), events.end(),
                             [](const TEvent& e) { return e.Kind == TEventKind::ButtonDown; });
    ASSERT_NE(down, events.end());
    EXPECT_EQ(down->Window, window.get());
    EXPECT_EQ(down->ScreenPos, (TPoint{215, 160}));
    EXPECT_EQ(down->Button, kLeftButton);
    EXPECT_EQ(down->Modifiers, kLeftDown);
    ASSERT_EQ(events.back().Kind, TEventKind::ButtonUp);
    EXPECT_EQ(events.back().Modifiers, 0u);
    EXPECT_EQ(backend->CursorPos(), (TPoint{215, 160}));
}

TEST_F(X11InputTest, MovesOfABurstComeAsTheLastOne) {
    auto window = ShownWindow(TRect::FromSize(200, 150, 60, 40),
                              MakeFrame(60, 40, [](int x, int y) { return Pattern(x, y, 11); }));
    MoveTo(205, 155);
    Pending();
    for (int i = 1; i <= 5; ++i)
        MoveTo(205 + i, 155 + i);
    std::vector<TEvent> events = Pending();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].Kind, TEventKind::MouseMove);
    EXPECT_EQ(events[0].ScreenPos, (TPoint{210, 160}));
}

TEST_F(X11InputTest, ClicksOnKeyPixelsGoThroughTheWindow) {
    // The left half is black and keyed: a click there does not reach the window.
    auto window =
        ShownWindow(TRect::FromSize(200, 150, 60, 40),
                    MakeFrame(60, 40, [](int x, int) { return x < 30 ? clBlack : clYellow; }));
    window->SetColorKey(clBlack);
    Pending();
    MoveTo(210, 160);
    Button(1, true);
    Button(1, false);
    MoveTo(245, 160);
    Button(3, true);
    Button(3, false);
    std::vector<TEvent> events =
        Collect([](const TEvent& e) { return e.Kind == TEventKind::ButtonUp; });
    auto down = std::find_if(events.begin(), events.end(),
                             [](const TEvent& e) { return e.Kind == TEventKind::ButtonDown; });
    ASSERT_NE(down, events.end());
    EXPECT_EQ(down->Button, kRightButton);
    EXPECT_EQ(down->ScreenPos, (TPoint{245, 160}));
}

TEST_F(X11InputTest, CaptureBringsClicksFromOutsideTheWindow) {
    auto window = ShownWindow(TRect::FromSize(200, 150, 60, 40),
                              MakeFrame(60, 40, [](int x, int y) { return Pattern(x, y, 12); }));
    Pending();
    backend->SetCapture(window.get());
    EXPECT_EQ(backend->PointerGrab(), window.get());
    MoveTo(500, 400);
    Button(1, true);
    Button(1, false);
    std::vector<TEvent> events =
        Collect([](const TEvent& e) { return e.Kind == TEventKind::ButtonUp; });
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().Kind, TEventKind::ButtonUp);
    EXPECT_EQ(events.back().Window, window.get());
    EXPECT_EQ(events.back().ScreenPos, (TPoint{500, 400}));

    // Released: a click outside is not the window's; the next one inside is the first it gets.
    backend->SetCapture(nullptr);
    Sync();  // the grab must be gone before the observer's input arrives
    MoveTo(520, 420);
    Button(1, true);
    Button(1, false);
    MoveTo(230, 170);
    Button(3, true);
    Button(3, false);
    events = Collect([](const TEvent& e) { return e.Kind == TEventKind::ButtonDown; });
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().Button, kRightButton);
    for (const TEvent& e : events)
        EXPECT_TRUE(window->Bounds().Contains(e.ScreenPos))
            << int(e.Kind) << " at " << e.ScreenPos.X << "," << e.ScreenPos.Y;
}

TEST_F(X11InputTest, KeysGiveVirtualKeysAndCharacters) {
    auto window = ShownWindow(TRect::FromSize(200, 150, 60, 40),
                              MakeFrame(60, 40, [](int x, int y) { return Pattern(x, y, 13); }));
    XSetInputFocus(observer, window->Id(), RevertToParent, CurrentTime);
    XSync(observer, False);
    Pending();
    Key(XK_a, true);
    Key(XK_a, false);
    Key(XK_Shift_L, true);
    Key(XK_b, true);
    Key(XK_b, false);
    Key(XK_Shift_L, false);
    Key(XK_Return, true);
    Key(XK_Return, false);
    std::vector<TEvent> events =
        Collect([](const TEvent& e) { return e.Kind == TEventKind::KeyUp && e.Key == VK_RETURN; });
    std::vector<TSeen> seen;
    for (const TEvent& e : events) {
        EXPECT_EQ(e.Window, window.get());
        seen.push_back({e.Kind, e.Key, e.Char, e.Modifiers});
    }
    const std::vector<TSeen> expected = {
        {TEventKind::KeyDown, 'A', 0, 0},       {TEventKind::Char, 0, 'a', 0},
        {TEventKind::KeyUp, 'A', 0, 0},         {TEventKind::KeyDown, VK_SHIFT, 0, 0},
        {TEventKind::KeyDown, 'B', 0, kShift},  {TEventKind::Char, 0, 'B', kShift},
        {TEventKind::KeyUp, 'B', 0, kShift},    {TEventKind::KeyUp, VK_SHIFT, 0, kShift},
        {TEventKind::KeyDown, VK_RETURN, 0, 0}, {TEventKind::Char, 0, '\r', 0},
        {TEventKind::KeyUp, VK_RETURN, 0, 0},
    };
    EXPECT_EQ(seen, expected);
}

TEST_F(X11InputTest, AltChordsComeAsSystemCharactersAndCtrlChordsTypeNothing) {
    auto window = ShownWindow(TRect::FromSize(200, 150, 60, 40),
                              MakeFrame(60, 40, [](int x, int y) { return Pattern(x, y, 14); }));
    XSetInputFocus(observer, window->Id(), RevertToParent, CurrentTime);
    XSync(observer, False);
    Pending();
    auto chord = [&](KeySym modifier, KeySym key) {
        Key(modifier, true);
        Key(key, true);
        Key(key, false);
        Key(modifier, false);
    };
    chord(XK_Alt_L, XK_f);
    chord(XK_Control_L, XK_1);
    chord(XK_Control_L, XK_period);
    Key(XK_Return, true);
    Key(XK_Return, false);
    std::vector<TEvent> events =
        Collect([](const TEvent& e) { return e.Kind == TEventKind::KeyUp && e.Key == VK_RETURN; });
    std::vector<TSeen> typed;
    for (const TEvent& e : events)
        if (e.Kind == TEventKind::Char || e.Kind == TEventKind::SysChar)
            typed.push_back({e.Kind, e.Key, e.Char, e.Modifiers});
    const std::vector<TSeen> expected = {
        {TEventKind::SysChar, 0, 'f', kAlt},
        {TEventKind::Char, 0, '\r', 0},
    };
    EXPECT_EQ(typed, expected);
}

TEST_F(X11InputTest, WheelButtonsAreNotchesOfTheWheel) {
    auto window = ShownWindow(TRect::FromSize(200, 150, 60, 40),
                              MakeFrame(60, 40, [](int x, int y) { return Pattern(x, y, 15); }));
    Pending();
    MoveTo(220, 170);
    for (int button : {4, 5, 6, 7}) {
        Button(button, true);
        Button(button, false);
    }
    Button(1, true);
    Button(1, false);
    std::vector<TEvent> events =
        Collect([](const TEvent& e) { return e.Kind == TEventKind::ButtonUp; });
    std::vector<std::pair<int, bool>> turns;
    for (const TEvent& e : events) {
        if (e.Kind != TEventKind::Wheel) continue;
        EXPECT_EQ(e.Window, window.get());
        EXPECT_EQ(e.ScreenPos, (TPoint{220, 170}));
        turns.emplace_back(e.Delta, e.Horizontal);
    }
    const std::vector<std::pair<int, bool>> expected = {
        {kWheelNotch, false}, {-kWheelNotch, false}, {-kWheelNotch, true}, {kWheelNotch, true}};
    EXPECT_EQ(turns, expected);
    auto down = std::find_if(events.begin(), events.end(),
                             [](const TEvent& e) { return e.Kind == TEventKind::ButtonDown; });
    ASSERT_NE(down, events.end());
    EXPECT_EQ(down->Button, kLeftButton);  // the wheel's buttons were no presses
}

TEST_F(X11InputTest, PopupHoldingTheCaptureGetsTheKeysWithoutTheFocus) {
    auto focused = ShownWindow(TRect::FromSize(200, 150, 60, 40),
                               MakeFrame(60, 40, [](int x, int y) { return Pattern(x, y, 18); }));
    XSetInputFocus(observer, focused->Id(), RevertToParent, CurrentTime);
    XSync(observer, False);
    TWindowParams popupParams;
    popupParams.Kind = TWindowKind::Popup;
    auto popup =
        ShownWindow(TRect::FromSize(300, 200, 80, 60),
                    MakeFrame(80, 60, [](int x, int y) { return Pattern(x, y, 19); }), popupParams);
    Pending();
    auto keyDownFor = [&](KeySym keysym) {
        Key(keysym, true);
        Key(keysym, false);
        std::vector<TEvent> events =
            Collect([](const TEvent& e) { return e.Kind == TEventKind::KeyUp; });
        auto down = std::find_if(events.begin(), events.end(),
                                 [](const TEvent& e) { return e.Kind == TEventKind::KeyDown; });
        return down == events.end() ? nullptr : down->Window;
    };

    backend->SetCapture(popup.get());
    EXPECT_EQ(backend->KeyboardGrab(), popup.get());
    EXPECT_EQ(keyDownFor(XK_Down), popup.get());
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(observer, &focus, &revert);
    EXPECT_EQ(focus, focused->Id());  // the focus did not move: the keys came by the grab

    // Released, the keys go to the focused window again; a normal window's capture holds
    // the pointer only.
    backend->SetCapture(nullptr);
    Sync();
    EXPECT_EQ(backend->KeyboardGrab(), nullptr);
    EXPECT_EQ(keyDownFor(XK_Escape), focused.get());
    backend->SetCapture(focused.get());
    EXPECT_EQ(backend->KeyboardGrab(), nullptr);
    backend->SetCapture(nullptr);
}

#endif  // ZT_HAVE_XTEST

// Under a window manager
// ----------------------------------------------------------------------------

class X11WindowManagerTest : public X11Test {
protected:
    static void SetUpTestSuite() {
        X11Test::SetUpTestSuite();
        if (server && server->Ok()) managed = server->StartWindowManager();
    }
    static void TearDownTestSuite() {
        X11Test::TearDownTestSuite();
        managed = false;
    }
    void SetUp() override {
        X11Test::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        if (!managed) GTEST_SKIP() << "openbox is not installed or did not start";
    }

    // The window manager must be done with a test's windows before the next test: the
    // next connection gets the same window ids, which it would take for the old windows.
    void TearDown() override {
        backend.reset();
        if (observer && managed) {
            Window root = DefaultRootWindow(observer);
            EXPECT_TRUE(ObserveUntil([&] {
                for (unsigned long client : Property32(root, "_NET_CLIENT_LIST"))
                    if (std::find(made.begin(), made.end(), client) != made.end()) return false;
                return true;
            }));
        }
        X11Test::TearDown();
    }

    bool Managed(Window window) { return !Property32(window, "WM_STATE").empty(); }

    static bool managed;
};

bool X11WindowManagerTest::managed = false;

TEST_F(X11WindowManagerTest, StateChangesGoThroughTheWindowManager) {
    TWindowParams params;
    params.Borderless = true;
    auto window =
        ShownWindow(TRect::FromSize(200, 150, 150, 90),
                    MakeFrame(150, 90, [](int x, int y) { return Pattern(x, y, 14); }), params);
    Window id = window->Id();
    ASSERT_TRUE(ObserveUntil([&] { return Managed(id); }));

    window->SetStayOnTop(true);
    EXPECT_TRUE(ObserveUntil([&] { return HasState(id, "_NET_WM_STATE_ABOVE"); }));
    window->SetTaskbarButton(false);
    EXPECT_TRUE(ObserveUntil([&] {
        return HasState(id, "_NET_WM_STATE_SKIP_TASKBAR") &&
               HasState(id, "_NET_WM_STATE_SKIP_PAGER");
    }));
    window->SetStayOnTop(false);
    EXPECT_TRUE(ObserveUntil([&] { return !HasState(id, "_NET_WM_STATE_ABOVE"); }));
    EXPECT_TRUE(HasState(id, "_NET_WM_STATE_SKIP_TASKBAR"));

    // Hidden and shown again, the window keeps its state.
    window->SetStayOnTop(true);
    ASSERT_TRUE(ObserveUntil([&] { return HasState(id, "_NET_WM_STATE_ABOVE"); }));
    window->Show(false);
    ASSERT_TRUE(ObserveUntil([&] { return !Managed(id); }));
    window->Show(true);
    ASSERT_TRUE(ObserveUntil([&] { return Managed(id); }));
    EXPECT_TRUE(ObserveUntil([&] {
        return HasState(id, "_NET_WM_STATE_ABOVE") && HasState(id, "_NET_WM_STATE_SKIP_TASKBAR");
    }));
}

TEST_F(X11WindowManagerTest, StateGivenAtCreationHoldsOnceManaged) {
    TWindowParams params;
    params.Borderless = true;
    params.StayOnTop = true;
    params.TaskbarButton = false;
    auto window =
        ShownWindow(TRect::FromSize(220, 160, 150, 90),
                    MakeFrame(150, 90, [](int x, int y) { return Pattern(x, y, 15); }), params);
    Window id = window->Id();
    ASSERT_TRUE(ObserveUntil([&] { return Managed(id); }));
    EXPECT_TRUE(ObserveUntil([&] {
        return HasState(id, "_NET_WM_STATE_ABOVE") && HasState(id, "_NET_WM_STATE_SKIP_TASKBAR") &&
               HasState(id, "_NET_WM_STATE_SKIP_PAGER");
    }));
}

TEST_F(X11WindowManagerTest, WindowsStayWhereTheProgramPutsThem) {
    TWindowParams borderless;
    borderless.Borderless = true;
    const TRect clockBounds = TRect::FromSize(200, 150, 150, 90);
    auto clock =
        ShownWindow(clockBounds, MakeFrame(150, 90, [](int x, int y) { return Pattern(x, y, 16); }),
                    borderless);
    TWindowParams dialogParams;
    dialogParams.Kind = TWindowKind::Dialog;
    dialogParams.Owner = clock.get();
    const TRect dialogBounds = TRect::FromSize(400, 300, 200, 120);
    auto dialog = ShownWindow(dialogBounds,
                              MakeFrame(200, 120, [](int x, int y) { return Pattern(x, y, 17); }),
                              dialogParams);
    ASSERT_TRUE(ObserveUntil([&] { return Managed(clock->Id()) && Managed(dialog->Id()); }));
    EXPECT_TRUE(ObserveUntil([&] { return RootPosition(clock->Id()) == clockBounds.TopLeft(); }))
        << RootPosition(clock->Id()).X << "," << RootPosition(clock->Id()).Y;
    EXPECT_TRUE(ObserveUntil([&] { return RootPosition(dialog->Id()) == dialogBounds.TopLeft(); }))
        << RootPosition(dialog->Id()).X << "," << RootPosition(dialog->Id()).Y;

    // A move by the program: reported moves, if any, are where the program put it.
    const TRect moved = TRect::FromSize(260, 190, 150, 90);
    clock->SetBounds(moved);
    EXPECT_TRUE(ObserveUntil([&] { return RootPosition(clock->Id()) == moved.TopLeft(); }));
    for (const TEvent& e : Pending()) {
        if (e.Kind == TEventKind::Moved && e.Window == clock.get()) {
            EXPECT_EQ(e.Rect, moved);
        }
    }
    EXPECT_EQ(clock->Bounds(), moved);
}

TEST_F(X11WindowManagerTest, ADialogKnowsItsFrameBeforeItIsShownAndTheFrameIsThere) {
    TWindowParams dialogParams;
    dialogParams.Kind = TWindowKind::Dialog;
    auto dialog = MakeWindow(TRect::FromSize(300, 300, 200, 120), dialogParams);
    const TFrameExtents asked = dialog->FrameExtents();
    EXPECT_GT(asked.Top, asked.Bottom);  // a title bar above, a thin border below
    EXPECT_GT(asked.Top, 10);
    dialog->Present(MakeFrame(200, 120, [](int x, int y) { return Pattern(x, y, 20); }),
                    {0, 0, 200, 120});
    dialog->Show(true);
    ASSERT_TRUE(ObserveUntil([&] { return Managed(dialog->Id()); }));
    // The frame put around it is the one announced: its outer rectangle on the screen.
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    ASSERT_TRUE(XQueryTree(observer, dialog->Id(), &root, &parent, &children, &count));
    if (children) XFree(children);
    EXPECT_TRUE(ObserveUntil([&] {
        XWindowAttributes frame{};
        XGetWindowAttributes(observer, parent, &frame);
        TPoint frameAt = RootPosition(parent);
        return frameAt == TPoint{300 - asked.Left, 300 - asked.Top} &&
               frame.width + 2 * frame.border_width == 200 + asked.Left + asked.Right &&
               frame.height + 2 * frame.border_width == 120 + asked.Top + asked.Bottom;
    }));
    EXPECT_EQ(dialog->FrameExtents(), asked);
    // A borderless window has none.
    TWindowParams borderless;
    borderless.Borderless = true;
    EXPECT_EQ(MakeWindow(TRect::FromSize(10, 10, 150, 90), borderless)->FrameExtents(), TFrameExtents{});
}

// Handles the backend's events (a dialog takes the focus on them) until check holds.
bool X11WindowManagerTest_PumpUntil(TX11Backend& backend, const std::function<bool()>& check,
                                    int timeoutMs = 10000) {
    int64_t deadline = backend.NowMs() + timeoutMs;
    std::vector<TEvent> events;
    while (!check()) {
        if (backend.NowMs() >= deadline) return false;
        events.clear();
        backend.WaitEvents(std::min(deadline, backend.NowMs() + 20), events);
    }
    return true;
}

TEST_F(X11WindowManagerTest, DialogTakesTheKeyboardFocusEachTimeItIsShown) {
    TWindowParams borderless;
    borderless.Borderless = true;
    auto owner =
        ShownWindow(TRect::FromSize(100, 100, 150, 90),
                    MakeFrame(150, 90, [](int x, int y) { return Pattern(x, y, 20); }), borderless);
    auto other = ShownWindow(TRect::FromSize(500, 100, 150, 90),
                             MakeFrame(150, 90, [](int x, int y) { return Pattern(x, y, 21); }));
    ASSERT_TRUE(ObserveUntil([&] { return Managed(owner->Id()) && Managed(other->Id()); }));
    auto focusIs = [&](Window window) {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(observer, &focus, &revert);
        return focus == window;
    };
    // The user works in another window when the dialog comes.
    XSetInputFocus(observer, other->Id(), RevertToParent, CurrentTime);
    XSync(observer, False);
    ASSERT_TRUE(focusIs(other->Id()));

    TWindowParams dialogParams;
    dialogParams.Kind = TWindowKind::Dialog;
    dialogParams.Owner = owner.get();
    auto dialog = ShownWindow(TRect::FromSize(200, 300, 200, 120),
                              MakeFrame(200, 120, [](int x, int y) { return Pattern(x, y, 22); }),
                              dialogParams);
    EXPECT_TRUE(X11WindowManagerTest_PumpUntil(*backend, [&] { return focusIs(dialog->Id()); }));

    dialog->Show(false);
    ASSERT_TRUE(ObserveUntil([&] { return !Managed(dialog->Id()); }));
    XSetInputFocus(observer, other->Id(), RevertToParent, CurrentTime);
    XSync(observer, False);
    dialog->Show(true);
    EXPECT_TRUE(X11WindowManagerTest_PumpUntil(*backend, [&] { return focusIs(dialog->Id()); }));
}

TEST_F(X11WindowManagerTest, DialogOfAStayOnTopOwnerIsStackedAboveIt) {
    TWindowParams ownerParams;
    ownerParams.Borderless = true;
    ownerParams.StayOnTop = true;
    auto owner = ShownWindow(TRect::FromSize(100, 100, 150, 90),
                             MakeFrame(150, 90, [](int x, int y) { return Pattern(x, y, 23); }),
                             ownerParams);
    ASSERT_TRUE(ObserveUntil([&] { return Managed(owner->Id()); }));
    TWindowParams dialogParams;
    dialogParams.Kind = TWindowKind::Dialog;
    dialogParams.Owner = owner.get();
    auto dialog = ShownWindow(TRect::FromSize(120, 110, 200, 120),
                              MakeFrame(200, 120, [](int x, int y) { return Pattern(x, y, 24); }),
                              dialogParams);
    Window root = DefaultRootWindow(observer);
    auto stackedAbove = [&](Window upper, Window lower) {
        std::vector<unsigned long> stacking = Property32(root, "_NET_CLIENT_LIST_STACKING");
        auto u = std::find(stacking.begin(), stacking.end(), upper);
        auto l = std::find(stacking.begin(), stacking.end(), lower);
        return u != stacking.end() && l != stacking.end() && u > l;
    };
    EXPECT_TRUE(ObserveUntil([&] {
        return stackedAbove(dialog->Id(), owner->Id()) &&
               HasState(dialog->Id(), "_NET_WM_STATE_ABOVE");
    }));
    // Clicking the owner raises it, but not over its dialog.
    owner->Raise();
    Sync();
    EXPECT_TRUE(ObserveUntil([&] { return stackedAbove(dialog->Id(), owner->Id()); }));

    // The dialog keeps the above state only while its owner has it.
    owner->SetStayOnTop(false);
    EXPECT_TRUE(ObserveUntil([&] {
        return !HasState(dialog->Id(), "_NET_WM_STATE_ABOVE") &&
               !HasState(owner->Id(), "_NET_WM_STATE_ABOVE");
    }));
    owner->SetStayOnTop(true);
    EXPECT_TRUE(ObserveUntil([&] { return HasState(dialog->Id(), "_NET_WM_STATE_ABOVE"); }));
}

TEST_F(X11WindowManagerTest, ClosingADialogByTheWindowManagerIsACloseRequest) {
    auto owner = ShownWindow(TRect::FromSize(100, 100, 150, 90),
                             MakeFrame(150, 90, [](int x, int y) { return Pattern(x, y, 25); }));
    TWindowParams dialogParams;
    dialogParams.Kind = TWindowKind::Dialog;
    dialogParams.Owner = owner.get();
    auto dialog = ShownWindow(TRect::FromSize(200, 300, 200, 120),
                              MakeFrame(200, 120, [](int x, int y) { return Pattern(x, y, 26); }),
                              dialogParams);
    ASSERT_TRUE(ObserveUntil([&] { return Managed(dialog->Id()); }));
    Pending();
    // What the close button of the dialog's frame does: the window manager asks the
    // window to close with WM_DELETE_WINDOW.
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = dialog->Id();
    close.xclient.message_type = AtomOf("_NET_CLOSE_WINDOW");
    close.xclient.format = 32;
    close.xclient.data.l[0] = CurrentTime;
    close.xclient.data.l[1] = 2;  // a pager: the user's request
    XSendEvent(observer, DefaultRootWindow(observer), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &close);
    XFlush(observer);
    std::vector<TEvent> events =
        Collect([](const TEvent& e) { return e.Kind == TEventKind::CloseRequest; });
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().Kind, TEventKind::CloseRequest);
    EXPECT_EQ(events.back().Window, dialog.get());
}

}  // namespace
}  // namespace native

#endif  // ZT_HAVE_X11
