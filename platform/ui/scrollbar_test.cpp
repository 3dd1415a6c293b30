#include "platform/ui/scrollbar.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/ui/form.h"
#include "tests/support/headless_app.h"

namespace {

// A vertical bar 16 x 200 at (110, 110) on the screen: arrows 16 long at both ends, a
// track of 168 and a thumb of 16, so the thumb travels 152 pixels over the range 0-100.
class ScrollBar : public ::testing::Test {
protected:
    THeadlessApp app;
    native::THeadlessBackend& screen = app.Backend();
    TForm* form = nullptr;
    TScrollBar* bar = nullptr;
    std::vector<std::pair<TScrollCode, int>> scrolls;
    int changes = 0;
    static constexpr int kX = 110, kY = 110;

    void SetUp() override {
        form = New<TForm>(Application);
        form->SetBorderStyle(bsNone);
        form->SetBounds(100, 100, 200, 250);
        form->SetColor(clBlack);
        bar = new TScrollBar(form);
        bar->SetParent(form);
        bar->SetKind(sbVertical);
        bar->SetBounds(10, 10, 16, 200);
        bar->SetLargeChange(10);
        bar->OnScroll = [this](TObject* sender, TScrollCode code, int& pos) {
            EXPECT_EQ(sender, bar);
            scrolls.emplace_back(code, pos);
        };
        bar->OnChange = [this](TObject*) { ++changes; };
        form->Show();
        app.Run();
    }
    TColor At(int x, int y) { return screen.Screenshot().Pixel(kX + x, kY + y); }
};

using Scrolls = std::vector<std::pair<TScrollCode, int>>;

TEST_F(ScrollBar, PositionStaysInTheRangeAndEveryChangeRaisesOnChange) {
    EXPECT_EQ(bar->Width(), 16);
    EXPECT_EQ(bar->Height(), 200);
    bar->SetPosition(150);
    EXPECT_EQ(bar->Position(), 100);
    bar->SetPosition(100);
    bar->SetMax(40);
    EXPECT_EQ(bar->Position(), 40);
    bar->SetMin(60);  // an empty range: the position is its minimum
    EXPECT_EQ(bar->Position(), 60);
    bar->SetParams(5, 0, 10);
    EXPECT_EQ(bar->Position(), 5);
    EXPECT_EQ(changes, 4);
    bar->SetLargeChange(0);
    EXPECT_EQ(bar->LargeChange(), 1);
    EXPECT_TRUE(scrolls.empty());  // code is no user scroll
}

TEST_F(ScrollBar, AHeldArrowStepsAtOnceThenRepeatsAfterADelay) {
    screen.MouseDown(kX + 8, kY + 190);
    app.Run();
    EXPECT_EQ(bar->Position(), 1);
    app.Run(349);
    EXPECT_EQ(bar->Position(), 1);
    app.Run(1);
    EXPECT_EQ(bar->Position(), 2);
    app.Run(100);
    EXPECT_EQ(bar->Position(), 4);
    screen.MouseUp(kX + 8, kY + 190);
    app.Run(500);
    EXPECT_EQ(bar->Position(), 4);
    EXPECT_EQ(
        scrolls,
        (Scrolls{
            {scLineDown, 1}, {scLineDown, 2}, {scLineDown, 3}, {scLineDown, 4}, {scEndScroll, 4}}));
    screen.Click(kX + 8, kY + 5);
    app.Run();
    EXPECT_EQ(bar->Position(), 3);
}

TEST_F(ScrollBar, AHeldPageStepsUntilTheThumbReachesThePointer) {
    screen.MouseDown(kX + 8, kY + 150);
    app.Run(1000);
    EXPECT_EQ(bar->Position(), 80);  // the thumb now covers 137-153
    screen.MouseUp(kX + 8, kY + 150);
    app.Run();
    EXPECT_EQ(scrolls.front(), std::make_pair(scPageDown, 10));
    EXPECT_EQ(scrolls.back(), std::make_pair(scEndScroll, 80));
}

TEST_F(ScrollBar, DraggingTheThumbTracksAndEndsWithItsPosition) {
    EXPECT_EQ(bar->ThumbRect(), (TRect{0, 16, 16, 32}));
    screen.MouseDown(kX + 8, kY + 20);
    screen.MouseMove(kX + 8, kY + 20 + 76);
    screen.MouseMove(kX + 30, kY + 600);  // beyond the end: the end
    screen.MouseUp(kX + 30, kY + 600);
    app.Run();
    EXPECT_EQ(bar->Position(), 100);
    EXPECT_EQ(scrolls,
              (Scrolls{{scTrack, 50}, {scTrack, 100}, {scPosition, 100}, {scEndScroll, 100}}));
    EXPECT_EQ(bar->ThumbRect(), (TRect{0, 168, 16, 184}));
}

TEST_F(ScrollBar, KeysScrollAndTheHandlerMayChangeThePosition) {
    bar->SetFocus();
    for (int key : {VK_DOWN, VK_RIGHT, VK_NEXT, VK_END, VK_UP, VK_PRIOR, VK_HOME})
        bar->Perform(WM_KEYDOWN, WPARAM(key), 0);
    EXPECT_EQ(scrolls, (Scrolls{{scLineDown, 1},
                                {scEndScroll, 1},
                                {scLineDown, 2},
                                {scEndScroll, 2},
                                {scPageDown, 12},
                                {scEndScroll, 12},
                                {scBottom, 100},
                                {scEndScroll, 100},
                                {scLineUp, 99},
                                {scEndScroll, 99},
                                {scPageUp, 89},
                                {scEndScroll, 89},
                                {scTop, 0},
                                {scEndScroll, 0}}));
    bar->OnScroll = [](TObject*, TScrollCode, int& pos) { pos = 7; };
    bar->Perform(WM_KEYDOWN, WPARAM(VK_DOWN), 0);
    EXPECT_EQ(bar->Position(), 7);
    EXPECT_EQ(bar->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
}

TEST_F(ScrollBar, DrawsArrowsTrackAndThumbInTheClassicLook) {
    bar->SetPosition(50);
    app.Run();
    const TColor face = ColorToRGB(clBtnFace), light = ColorToRGB(clBtnHighlight);
    EXPECT_EQ(bar->ThumbRect(), (TRect{0, 92, 16, 108}));
    EXPECT_EQ(At(8, 100), face);  // the thumb's face
    EXPECT_EQ(At(0, 92), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(15, 107), ColorToRGB(cl3DDkShadow));
    TColor a = At(8, 50), b = At(9, 50);  // the dithered track
    EXPECT_NE(a, b);
    EXPECT_TRUE((a == face && b == light) || (a == light && b == face));
    auto blackIn = [&](int top) {
        TBitmap shot = screen.Screenshot();
        int n = 0;
        for (int y = top; y < top + 16; ++y)
            for (int x = 0; x < 16; ++x)
                n += shot.Pixel(kX + x, kY + y) == clBlack;
        return n;
    };
    EXPECT_EQ(blackIn(0), 1 + 3 + 5 + 7);  // the up arrow's triangle
    EXPECT_EQ(blackIn(184), 1 + 3 + 5 + 7);
    bar->SetMax(0);  // nothing to scroll: no thumb, grey arrows
    app.Run();
    EXPECT_TRUE(bar->ThumbRect().IsEmpty());
    EXPECT_EQ(blackIn(0), 0);
    EXPECT_NE(At(8, 100), At(9, 100));
}

}  // namespace
