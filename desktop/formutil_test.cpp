#include "desktop/formutil.h"

#include <gtest/gtest.h>

#include "platform/ui/form.h"
#include "tests/support/headless_app.h"

namespace {
enum class TPlacer { Dialog, Above, Below };

struct TPlacementCase {
    const char* name;
    TPlacer placer;
    int gap;  // for Above and Below
    bool onTop;
    TRect owner;  // left, top, right, bottom
    TSize dialog;
    TPoint expected;  // dialog's left and top afterwards
    TSize screen = {1024, 768};

    friend void PrintTo(const TPlacementCase& c, std::ostream* out) { *out << c.name; }
};

// The clock window is 150 x 90 in its default format; the settings dialog 403 x 349.
const TPlacementCase kCases[] = {
    // Centred over the clock, clamped to the screen's top-left corner.
    {"CentredAndClampedToZero",
     TPlacer::Dialog,
     0,
     false,
     {100, 100, 250, 190},
     {403, 349},
     {0, 0}},
    // (150 - 403) / 2 = -126 and (90 - 349) / 2 = -129: halvings truncate toward zero.
    {"HalvingsTruncateTowardZero",
     TPlacer::Dialog,
     0,
     false,
     {300, 300, 450, 390},
     {403, 349},
     {174, 171}},
    // Sizes within 9 pixels of the clock's are shifted 15 right and 15 down.
    {"WiderBy9IsNudged",
     TPlacer::Dialog,
     0,
     false,
     {300, 300, 450, 390},
     {159, 190},
     {296 + 15, 250}},
    {"NarrowerBy9IsNudged",
     TPlacer::Dialog,
     0,
     false,
     {300, 300, 450, 390},
     {141, 190},
     {304 + 15, 250}},
    {"TallerBy9IsNudged",
     TPlacer::Dialog,
     0,
     false,
     {300, 300, 450, 390},
     {200, 99},
     {275, 296 + 15}},
    {"ShorterBy9IsNudged",
     TPlacer::Dialog,
     0,
     false,
     {300, 300, 450, 390},
     {200, 81},
     {275, 304 + 15}},
    {"SameSizeIsNudgedBothWays",
     TPlacer::Dialog,
     0,
     false,
     {300, 300, 450, 390},
     {150, 90},
     {315, 315}},
    {"DifferenceOf10IsNotNudged",
     TPlacer::Dialog,
     0,
     false,
     {300, 300, 450, 390},
     {160, 100},
     {295, 295}},
    {"DifferenceOfMinus10IsNotNudged",
     TPlacer::Dialog,
     0,
     false,
     {300, 300, 450, 390},
     {140, 80},
     {305, 305}},
    // The nudge comes after the clamp and reads the clamped value.
    {"NudgeAfterClamp", TPlacer::Dialog, 0, false, {0, 0, 150, 90}, {155, 95}, {15, 15}},
    // Bottom edge: 50 pixels stay free above the screen's bottom (768 - 50 = 718).
    {"BottomJustAboveTheBandStays",
     TPlacer::Dialog,
     0,
     false,
     {300, 572, 450, 662},
     {200, 200},
     {275, 517}},
    {"BottomInTheBandMovesUp",
     TPlacer::Dialog,
     0,
     false,
     {300, 600, 450, 690},
     {200, 200},
     {275, 518}},
    {"TallerThanTheRoomEndsNegative",
     TPlacer::Dialog,
     0,
     false,
     {300, 300, 450, 390},
     {200, 800},
     {275, -82}},
    // Right edge: no margin.
    {"RightEdgeIsKeptOnTheScreen",
     TPlacer::Dialog,
     0,
     false,
     {950, 300, 1100, 390},
     {200, 200},
     {824, 245}},
    {"RightEdgeJustInsideStays",
     TPlacer::Dialog,
     0,
     false,
     {848, 300, 998, 390},
     {200, 200},
     {823, 245}},
    {"WiderThanTheScreenEndsNegative",
     TPlacer::Dialog,
     0,
     false,
     {300, 300, 450, 390},
     {1100, 200},
     {-76, 245}},
    // Stay-on-top clock: the dialog goes above when the clock's top exceeds its height.
    {"OnTopAbove", TPlacer::Dialog, 0, true, {300, 600, 450, 690}, {403, 349}, {174, 241}},
    {"OnTopBelow", TPlacer::Dialog, 0, true, {300, 300, 450, 390}, {403, 349}, {174, 400}},
    {"OnTopBelowMovedUpToStayOnTheScreen",
     TPlacer::Dialog,
     0,
     true,
     {300, 340, 450, 430},
     {403, 349},
     {174, 419}},
    {"OnTopAtExactlyTheDialogsHeightGoesBelow",
     TPlacer::Dialog,
     0,
     true,
     {300, 349, 450, 439},
     {403, 349},
     {174, 419}},
    {"OnTopAboveClampedToZero",
     TPlacer::Dialog,
     0,
     true,
     {300, 352, 450, 442},
     {403, 349},
     {174, 0}},
    {"OnTopSmallScreenBelow",
     TPlacer::Dialog,
     0,
     true,
     {100, 100, 250, 190},
     {403, 349},
     {0, 151},
     {640, 500}},
    // The placers on their own, with other gaps.
    {"AboveWithGap0", TPlacer::Above, 0, false, {300, 600, 450, 690}, {403, 349}, {174, 251}},
    {"AboveWithGap25", TPlacer::Above, 25, false, {300, 600, 450, 690}, {403, 349}, {174, 226}},
    {"BelowWithGap0", TPlacer::Below, 0, false, {300, 100, 450, 190}, {403, 349}, {174, 190}},
    {"BelowWithGap25", TPlacer::Below, 25, false, {300, 100, 450, 190}, {403, 349}, {174, 215}},
};

class PlacementTest : public ::testing::TestWithParam<TPlacementCase> {};

TEST_P(PlacementTest, PlacesTheDialog) {
    const TPlacementCase& c = GetParam();
    THeadlessApp app(c.screen);
    TForm* owner = New<TForm>(Application);
    owner->SetBorderStyle(bsNone);
    owner->SetBounds(c.owner.Left, c.owner.Top, c.owner.Width(), c.owner.Height());
    if (c.onTop) owner->SetFormStyle(fsStayOnTop);
    TForm* dialog = New<TForm>(Application);
    dialog->SetBorderStyle(bsDialog);
    dialog->SetBounds(7, 7, c.dialog.cx, c.dialog.cy);

    switch (c.placer) {
        case TPlacer::Dialog:
            PlaceDialog(owner, dialog);
            break;
        case TPlacer::Above:
            PlaceAboveForm(owner, dialog, c.gap);
            break;
        case TPlacer::Below:
            PlaceBelowForm(owner, dialog, c.gap);
            break;
    }
    EXPECT_EQ(dialog->Left(), c.expected.X);
    EXPECT_EQ(dialog->Top(), c.expected.Y);
    // Only the position changes, and the owner stays where it is.
    EXPECT_EQ(dialog->Width(), c.dialog.cx);
    EXPECT_EQ(dialog->Height(), c.dialog.cy);
    EXPECT_EQ(owner->Left(), c.owner.Left);
    EXPECT_EQ(owner->Top(), c.owner.Top);
    dialog->Free();
    owner->Free();
}

INSTANTIATE_TEST_SUITE_P(Cases, PlacementTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Placement, AShownDialogMovesOnTheScreenAtOnce) {
    THeadlessApp app;
    TForm* owner = New<TForm>(Application);
    owner->SetBorderStyle(bsNone);
    owner->SetBounds(300, 600, 150, 90);
    owner->SetFormStyle(fsStayOnTop);
    owner->Show();
    TForm* dialog = New<TForm>(Application);
    dialog->SetBorderStyle(bsDialog);
    dialog->SetBounds(0, 0, 403, 349);
    dialog->Show();
    PlaceDialog(owner, dialog);
    app.Run();
    TRect bounds{};
    GetWindowRect(dialog->Handle(), &bounds);
    EXPECT_EQ(bounds.Left, 174);
    EXPECT_EQ(bounds.Top, 241);
    dialog->Free();
    owner->Free();
}

TEST(Placement, DistancesScaleWithTheDialog) {
    // On a 192-dpi screen the dialog is laid out at 200 %: the gap above the clock is 20,
    // and a dialog within 20 pixels of the owner's width is nudged by 30.
    THeadlessApp app({2048, 1536}, 192);
    TForm* owner = New<TForm>(Application);
    owner->SetScaled(false);
    owner->SetBorderStyle(bsNone);
    owner->SetBounds(600, 1200, 300, 180);
    owner->SetFormStyle(fsStayOnTop);
    TForm* dialog = New<TForm>(Application);
    ASSERT_EQ(dialog->ScalePercent(), 200);
    dialog->SetBorderStyle(bsDialog);
    dialog->SetClientWidth(806);  // 403 x 349 at 200 %
    dialog->SetClientHeight(698);
    PlaceDialog(owner, dialog);
    EXPECT_EQ(dialog->Top(), 1200 - 698 - 20);
    EXPECT_EQ(dialog->Left(), 600 + (300 - 806) / 2);
    owner->SetBounds(600, 100, 800, 180);
    owner->SetFormStyle(fsNormal);
    PlaceDialog(owner, dialog);
    EXPECT_EQ(dialog->Left(), 600 + (800 - 806) / 2 + 30);
    // The band kept free at the bottom of the screen is 100 high.
    owner->SetBounds(600, 1300, 800, 180);
    PlaceDialog(owner, dialog);
    EXPECT_EQ(dialog->Top(), 1536 - 100 - 698);
    dialog->Free();
    owner->Free();
}

// A window manager's frame: a 24-pixel title bar and 4-pixel borders. The arithmetic is
// that of the outer rectangles, so no frame covers the clock.
TEST(Placement, DialogsArePlacedByTheirFramesAndNeverCoverTheClock) {
    struct TCase {
        const char* name;
        int clockTop;
        bool above;
    };
    for (const TCase& c : {TCase{"above", 600, true}, TCase{"below", 200, false}}) {
        SCOPED_TRACE(c.name);
        THeadlessApp app;
        app.Backend().SetFrameExtents({4, 24, 4, 4});
        TForm* owner = New<TForm>(Application);
        owner->SetBorderStyle(bsNone);
        owner->SetBounds(300, c.clockTop, 150, 90);
        owner->SetFormStyle(fsStayOnTop);
        TForm* dialog = New<TForm>(Application);
        dialog->SetBorderStyle(bsDialog);
        dialog->SetBounds(0, 0, 403, 349);
        PlaceDialog(owner, dialog);
        const TRect clock = owner->BoundsRect();
        const TRect outer{dialog->Left() - 4, dialog->Top() - 24, dialog->Left() + 403 + 4,
                          dialog->Top() + 349 + 4};
        EXPECT_TRUE(outer.Intersect(clock).IsEmpty());
        // Centred by the outer width: (150 - 411) / 2 = -130 from the clock's left.
        EXPECT_EQ(outer.Left, 300 - 130);
        if (c.above) {
            EXPECT_EQ(outer.Bottom, clock.Top - 10);  // the gap of 10 between frame and clock
        } else {
            EXPECT_EQ(outer.Top, clock.Bottom + 10);
        }
        dialog->Free();
        owner->Free();
    }
}

// A window manager that tells a window its frame only once it frames it: the first dialog
// is placed without a frame, and placed again when it shows with one; the next one is told
// the frame the first got, and stands right from the start.
TEST(Placement, ADialogToldItsFrameOnlyOnceShownIsPlacedAgain) {
    THeadlessApp app;
    app.Backend().SetFrameExtents({4, 24, 4, 4}, false);
    TForm* owner = New<TForm>(Application);
    owner->SetBorderStyle(bsNone);
    owner->SetBounds(300, 200, 150, 90);
    owner->SetFormStyle(fsStayOnTop);
    owner->Show();
    const int outerTop = 290 + 10;  // the gap below the clock, to the dialog's frame
    for (int showing : {1, 2}) {
        SCOPED_TRACE("dialog " + std::to_string(showing));
        TForm* dialog = New<TForm>(Application);
        dialog->SetBorderStyle(bsDialog);
        dialog->SetBounds(0, 0, 403, 349);
        PlaceDialog(owner, dialog);
        EXPECT_EQ(dialog->Top(), showing == 1 ? outerTop : outerTop + 24);
        dialog->Show();
        app.Run();
        EXPECT_EQ(dialog->Top(), outerTop + 24);
        EXPECT_EQ(dialog->Left(), 300 - 130 + 4);  // centred by the outer width
        TRect bounds{};
        GetWindowRect(dialog->Handle(), &bounds);
        EXPECT_EQ(bounds.Top, outerTop + 24);
        dialog->Free();
    }
    owner->Free();
}

TEST(Placement, AMissingOwnerOrWindowChangesNothing) {
    THeadlessApp app;
    TForm* owner = New<TForm>(Application);
    owner->SetBounds(100, 100, 150, 90);
    TForm* dialog = New<TForm>(Application);
    dialog->SetBounds(5, 6, 403, 349);
    CenterOverForm(nullptr, dialog);
    PlaceAboveForm(nullptr, dialog, 10);
    PlaceBelowForm(nullptr, dialog, 10);
    PlaceDialog(nullptr, dialog);
    CenterOverForm(owner, nullptr);
    PlaceAboveForm(owner, nullptr, 10);
    PlaceBelowForm(owner, nullptr, 10);
    PlaceDialog(owner, nullptr);
    EXPECT_EQ(dialog->BoundsRect(), (TRect{5, 6, 408, 355}));
    EXPECT_EQ(owner->BoundsRect(), (TRect{100, 100, 250, 190}));
    dialog->Free();
    owner->Free();
}
TEST(Reachable, OnlyAWindowNobodyCouldReachIsMoved) {
    const TRect small{0, 0, 640, 480};
    const std::vector<TRect> two = {{0, 0, 1024, 768}, {1024, 0, 1024 + 1280, 1024}};
    const struct {
        const char* Name;
        std::vector<TRect> Monitors;
        TRect Window;
        TRect Expected;
    } cases[] = {
        {"on the screen",
         {small},
         TRect::FromSize(100, 100, 150, 90),
         TRect::FromSize(100, 100, 150, 90)},
        {"a corner of 32 x 32 on the screen",
         {small},
         TRect::FromSize(608, 448, 150, 90),
         TRect::FromSize(608, 448, 150, 90)},
        {"a corner of 31 x 32 on the screen",
         {small},
         TRect::FromSize(609, 448, 150, 90),
         TRect::FromSize(490, 390, 150, 90)},
        {"a strip 31 pixels high",
         {small},
         TRect::FromSize(100, 449, 150, 90),
         TRect::FromSize(100, 390, 150, 90)},
        {"stored for a larger screen",
         {small},
         TRect::FromSize(1700, 950, 150, 90),
         TRect::FromSize(490, 390, 150, 90)},
        {"left of and above everything",
         {small},
         TRect::FromSize(-32768, -500, 150, 90),
         TRect::FromSize(0, 0, 150, 90)},
        {"beyond the left edge, at a height on the screen",
         {small},
         TRect::FromSize(-140, 200, 150, 90),
         TRect::FromSize(0, 200, 150, 90)},
        // A window lower than the piece needs all of its height on the screen.
        {"a thin clock all on the screen",
         {small},
         TRect::FromSize(10, 471, 132, 9),
         TRect::FromSize(10, 471, 132, 9)},
        {"a thin clock half off",
         {small},
         TRect::FromSize(10, 475, 132, 9),
         TRect::FromSize(10, 471, 132, 9)},
        // With two monitors, the one that needs the shortest move.
        {"below the second monitor", two, TRect::FromSize(1500, 1100, 150, 90),
         TRect::FromSize(1500, 934, 150, 90)},
        {"below the first monitor", two, TRect::FromSize(300, 900, 150, 90),
         TRect::FromSize(300, 678, 150, 90)},
        {"across both", two, TRect::FromSize(1000, 300, 150, 90),
         TRect::FromSize(1000, 300, 150, 90)},
        {"a piece on the second", two, TRect::FromSize(1000, 800, 150, 90),
         TRect::FromSize(1000, 800, 150, 90)},
        {"in the gap under the first", two, TRect::FromSize(800, 800, 150, 90),
         TRect::FromSize(800, 678, 150, 90)},
        {"further into the gap", two, TRect::FromSize(880, 900, 150, 90),
         TRect::FromSize(1024, 900, 150, 90)},
        {"larger than the monitor",
         {small},
         TRect::FromSize(700, 500, 800, 600),
         TRect::FromSize(0, 0, 800, 600)},
        {"no monitors",
         {},
         TRect::FromSize(5000, 5000, 150, 90),
         TRect::FromSize(5000, 5000, 150, 90)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReachableBounds(c.Window, c.Monitors), c.Expected) << c.Name;
    }
}
}  // namespace
