// Tests of the X11 backend on a server: what a window shows, and its shape.
#ifdef ZT_HAVE_X11

#include "tests/support/x11_testing.h"

namespace native {
namespace {

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

}  // namespace
}  // namespace native

#endif  // ZT_HAVE_X11
