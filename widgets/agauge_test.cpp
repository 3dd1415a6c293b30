#include "widgets/agauge.h"

#include <gtest/gtest.h>

#include "platform/gfx/bitmap.h"
#include "platform/ui/form.h"
#include "tests/support/headless_app.h"

namespace {

constexpr TColor kFore = RGB(0, 0, 200);
constexpr TColor kBack = RGB(255, 255, 240);

class Gauge : public ::testing::Test {
protected:
    THeadlessApp app;
    TForm* form = nullptr;
    TAGauge* gauge = nullptr;
    static constexpr int kLeft = 110, kTop = 110, kWidth = 100, kHeight = 60;

    void SetUp() override {
        form = New<TForm>(Application);
        form->SetBorderStyle(bsNone);
        form->SetBounds(100, 100, 240, 100);
        form->SetColor(clBtnFace);
        gauge = new TAGauge(form);
        gauge->SetParent(form);
        gauge->SetBounds(10, 10, kWidth, kHeight);
        gauge->SetForeColor(kFore);
        gauge->SetBackColor(kBack);
        gauge->SetBorderStyle(bsNone);
        gauge->SetShowText(false);
        form->Show();
        app.Run();
    }
    TBitmap Shot() { return app.Backend().Screenshot(); }
    // A pixel of the gauge, in its own coordinates.
    TColor At(int x, int y) { return Shot().Pixel(kLeft + x, kTop + y); }
    int Count(const TRect& r, TColor color) {
        TBitmap shot = Shot();
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                n += shot.Pixel(kLeft + x, kTop + y) == color;
        return n;
    }
    void Show(TGaugeKind kind, int progress) {
        gauge->SetKind(kind);
        gauge->SetProgress(progress);
    }
};

TEST_F(Gauge, PercentDoneRunsFromMinValueToMaxValueAndProgressStaysBetween) {
    EXPECT_EQ(gauge->PercentDone(), 0);
    gauge->SetMinValue(10);
    gauge->SetMaxValue(30);
    gauge->SetProgress(15);
    EXPECT_EQ(gauge->PercentDone(), 25);
    gauge->AddProgress(4);
    EXPECT_EQ(gauge->PercentDone(), 45);
    gauge->SetProgress(99);
    EXPECT_EQ(gauge->Progress(), 30);
    EXPECT_EQ(gauge->PercentDone(), 100);
    gauge->SetProgress(-5);
    EXPECT_EQ(gauge->Progress(), 10);
    gauge->SetMaxValue(5);  // below the minimum: the minimum follows
    EXPECT_EQ(gauge->MinValue(), 5);
    EXPECT_EQ(gauge->Progress(), 5);
    EXPECT_EQ(gauge->PercentDone(), 0);
    gauge->SetMinValue(-2000000000);
    gauge->SetMaxValue(2000000000);
    gauge->SetProgress(1000000000);
    EXPECT_EQ(gauge->PercentDone(), 75);
}

TEST_F(Gauge, BarsFillFromTheLeftOrFromTheBottom) {
    Show(gkHorizontalBar, 25);
    EXPECT_EQ(Count({0, 0, 25, kHeight}, kFore), 25 * kHeight);
    EXPECT_EQ(Count({25, 0, kWidth, kHeight}, kBack), 75 * kHeight);
    Show(gkVerticalBar, 40);
    EXPECT_EQ(Count({0, kHeight - 24, kWidth, kHeight}, kFore), kWidth * 24);
    EXPECT_EQ(Count({0, 0, kWidth, kHeight - 24}, kBack), kWidth * (kHeight - 24));
    Show(gkHorizontalBar, 100);
    EXPECT_EQ(Count({0, 0, kWidth, kHeight}, kFore), kWidth * kHeight);
    Show(gkHorizontalBar, 0);
    EXPECT_EQ(Count({0, 0, kWidth, kHeight}, kBack), kWidth * kHeight);
}

TEST_F(Gauge, APieFillsClockwiseFromTwelveOClock) {
    // The circle of diameter 60 in the middle of the gauge: centre (50, 30).
    const TPoint topRight{62, 18}, bottomRight{62, 42}, bottomLeft{38, 42}, topLeft{38, 18};
    Show(gkPie, 25);
    EXPECT_EQ(At(topRight.X, topRight.Y), kFore);
    EXPECT_EQ(At(bottomRight.X, bottomRight.Y), kBack);
    EXPECT_EQ(At(topLeft.X, topLeft.Y), kBack);
    Show(gkPie, 80);
    EXPECT_EQ(At(bottomRight.X, bottomRight.Y), kFore);
    EXPECT_EQ(At(bottomLeft.X, bottomLeft.Y), kFore);
    EXPECT_EQ(At(topLeft.X, topLeft.Y), kBack);
    // Outside the circle the face keeps its colour.
    EXPECT_EQ(At(1, 1), kBack);
    EXPECT_EQ(At(kWidth - 2, kHeight - 2), kBack);
}

TEST_F(Gauge, TheNeedleTurnsFromLeftToRightOverAHalfDial) {
    // The pivot is the middle of the bottom row: (50, 59); the dial's radius 50.
    Show(gkNeedle, 0);
    EXPECT_EQ(At(30, 59), kFore);
    EXPECT_NE(At(50, 30), kFore);
    Show(gkNeedle, 50);
    EXPECT_EQ(At(50, 30), kFore);
    EXPECT_NE(At(30, 59), kFore);
    EXPECT_NE(At(70, 59), kFore);
    Show(gkNeedle, 100);
    EXPECT_EQ(At(70, 59), kFore);
    EXPECT_NE(At(50, 30), kFore);
}

TEST_F(Gauge, TheTextReadsOnBothSidesOfABarAndAloneForTheTextKind) {
    gauge->SetShowText(true);
    Show(gkHorizontalBar, 50);
    // "50%" straddles the end of the bar: back-coloured glyph pixels over the bar, fore
    // ones beside it.
    EXPECT_GT(Count({35, 15, 50, 45}, kBack), 0);
    EXPECT_GT(Count({50, 15, 65, 45}, kFore), 0);
    Show(gkHorizontalBar, 0);
    const int beside = Count({0, 0, kWidth, kHeight}, kFore);
    EXPECT_GT(beside, 0);  // the text, in fore on the empty face
    gauge->SetShowText(false);
    EXPECT_EQ(Count({0, 0, kWidth, kHeight}, kFore), 0);
    // The text kind shows the number whatever ShowText says, and nothing else.
    Show(gkText, 0);
    EXPECT_EQ(Count({0, 0, kWidth, kHeight}, kFore), beside);
    Show(gkText, 100);
    EXPECT_GT(Count({0, 0, kWidth, kHeight}, kFore), beside);  // "100%" has more ink
}

TEST_F(Gauge, ASingleBorderIsTheSunkenEdgeOfAField) {
    Show(gkHorizontalBar, 100);
    EXPECT_EQ(At(0, 0), kFore);
    gauge->SetBorderStyle(bsSingle);
    EXPECT_EQ(At(0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(At(1, 1), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(At(kWidth - 1, kHeight - 1), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(2, 2), kFore);
    // The face inside the edge is what fills: 96 by 56 pixels.
    EXPECT_EQ(Count({0, 0, kWidth, kHeight}, kFore), 96 * 56);
}

}  // namespace
