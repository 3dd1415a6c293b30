#include "widgets/tarvopanel.h"

#include <gtest/gtest.h>

#include <climits>

#include "platform/gfx/bitmap.h"
#include "platform/ui/form.h"
#include "tests/support/headless_app.h"

namespace {

constexpr TColor kPanelColor = clWhite;

class TarvoPanel : public ::testing::Test {
protected:
    THeadlessApp app;
    TForm* form = nullptr;
    TTarvoPanel* panel = nullptr;
    static constexpr int kLeft = 110, kTop = 110, kWidth = 60, kHeight = 40;

    void SetUp() override {
        form = New<TForm>(Application);
        form->SetBorderStyle(bsNone);
        form->SetBounds(100, 100, 200, 150);
        form->SetColor(clBlack);
        panel = new TTarvoPanel(form);
        panel->SetParent(form);
        panel->SetBounds(10, 10, kWidth, kHeight);
        panel->SetColor(kPanelColor);
        form->Show();
        app.Run();
    }
    // A pixel of the panel, in its client coordinates.
    TColor At(int x, int y) { return app.Backend().Screenshot().Pixel(kLeft + x, kTop + y); }
};

TEST_F(TarvoPanel, DefaultBandIsRedWithGreenGrowingFromItsMiddleLine) {
    const TColor byInset[] = {RGB(255, 100, 0), RGB(255, 50, 0), RGB(255, 0, 0), RGB(255, 50, 0),
                              RGB(255, 100, 0)};
    for (int inset = 0; inset < 5; ++inset) {
        EXPECT_EQ(At(inset, kHeight / 2), byInset[inset]) << "left, inset " << inset;
        EXPECT_EQ(At(kWidth / 2, inset), byInset[inset]) << "top, inset " << inset;
        EXPECT_EQ(At(kWidth - 1 - inset, kHeight / 2), byInset[inset]) << "right, inset " << inset;
        EXPECT_EQ(At(kWidth / 2, kHeight - 1 - inset), byInset[inset]) << "bottom, inset " << inset;
        EXPECT_EQ(At(inset, inset), byInset[inset]) << "corner, inset " << inset;
    }
    EXPECT_EQ(At(5, 5), kPanelColor);
    EXPECT_EQ(At(kWidth - 6, kHeight - 6), kPanelColor);
}

TEST(TarvoPanelScale, TheBandScalesWithThePanel) {
    THeadlessApp app({2000, 1500}, 192);
    TForm* form = New<TForm>(Application);
    auto* panel = new TTarvoPanel(form);
    EXPECT_EQ(panel->BarWidth(), 6);
    panel->SetParent(form);  // the form is at 200 %
    EXPECT_EQ(panel->BarWidth(), 12);
    panel->SetBounds(10, 10, 120, 80);
    panel->SetColor(clWhite);
    form->SetBounds(0, 0, 300, 200);
    form->Show();
    app.Run();
    // Six lines on each side of the middle (inset 5), 25 shades apart; the fill from 11.
    const TBitmap shot = app.Backend().Screenshot();
    EXPECT_EQ(shot.Pixel(10 + 5, 50), RGB(255, 0, 0));
    EXPECT_EQ(shot.Pixel(10 + 0, 50), RGB(255, 125, 0));
    EXPECT_EQ(shot.Pixel(10 + 10, 50), RGB(255, 125, 0));
    EXPECT_EQ(shot.Pixel(10 + 11, 50), clWhite);
    form->Free();
}

TEST_F(TarvoPanel, NarrowBandsDrawNothingAndTheFillCoversTheWholePanel) {
    for (int width : {0, 1}) {
        panel->SetBarWidth(width);
        for (TPoint p : {TPoint{0, 0}, TPoint{kWidth - 1, kHeight - 1}, TPoint{0, kHeight / 2},
                         TPoint{kWidth / 2, 0}})
            EXPECT_EQ(At(p.X, p.Y), kPanelColor)
                << "width " << width << " at " << p.X << "," << p.Y;
    }
}

TEST_F(TarvoPanel, ComponentsOfMinusOneFollowTheShadeOthersTheirLowByte) {
    panel->SetDoRed(-1);
    panel->SetDoGreen(-1);
    panel->SetDoBlue(-1);
    EXPECT_EQ(At(2, 20), RGB(0, 0, 0));
    EXPECT_EQ(At(1, 20), RGB(50, 50, 50));
    EXPECT_EQ(At(0, 20), RGB(100, 100, 100));
    panel->SetDoRed(0x1FF);
    panel->SetDoBlue(0x107);
    EXPECT_EQ(At(0, 20), RGB(255, 100, 7));
}

TEST_F(TarvoPanel, ABandWiderThanThePanelFillsItInTheMiddleShade) {
    panel->SetBarWidth(INT_MAX);  // half a band of a billion lines, of which only 60 show
    EXPECT_EQ(At(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(At(kWidth / 2, kHeight / 2), RGB(255, 0, 0));
    panel->SetBarWidth(INT_MIN);  // no band, and the fill covers everything
    EXPECT_EQ(At(0, 0), kPanelColor);
    EXPECT_EQ(At(kWidth / 2, kHeight / 2), kPanelColor);
}

TEST(BandRoutines, VerticalBarShadesOutwardFromItsCentreColumn) {
    TBitmap bitmap(30, 20);
    bitmap.Canvas().Brush.Color = clWhite;
    bitmap.Canvas().FillRect({0, 0, 30, 20});
    bitmap.Canvas().Pen.Color = clLime;
    PaintVerticalBar(bitmap.Canvas(), 10, 5, 15, 6, 150, 0, -1, 255);
    EXPECT_EQ(bitmap.Pixel(10, 5), RGB(0, 0, 255));
    EXPECT_EQ(bitmap.Pixel(9, 10), RGB(0, 50, 255));
    EXPECT_EQ(bitmap.Pixel(11, 10), RGB(0, 50, 255));
    EXPECT_EQ(bitmap.Pixel(8, 14), RGB(0, 100, 255));
    EXPECT_EQ(bitmap.Pixel(12, 14), RGB(0, 100, 255));
    EXPECT_EQ(bitmap.Pixel(13, 10), clWhite);
    EXPECT_EQ(bitmap.Pixel(7, 10), clWhite);
    EXPECT_EQ(bitmap.Pixel(10, 4), clWhite);
    EXPECT_EQ(bitmap.Pixel(10, 15), clWhite);  // the bottom is exclusive
    EXPECT_EQ(bitmap.Canvas().Pen.Color, clLime);
    PaintVerticalBar(bitmap.Canvas(), 20, 0, 20, 1, 150, 0, -1, 255);
    EXPECT_EQ(bitmap.Pixel(20, 10), clWhite);
}

}  // namespace
