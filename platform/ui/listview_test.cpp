#include "platform/ui/listview.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/button.h"
#include "platform/ui/form.h"
#include "platform/ui/scrollbar.h"
#include "tests/support/headless_app.h"

namespace {

// A 250 x 150 list at (10, 10) of a form at (100, 100): inside its edge a 17-pixel header
// and 129 pixels of rows 16 high, so 8 rows show.
class ListView : public ::testing::Test {
protected:
    THeadlessApp app;
    native::THeadlessBackend& screen = app.Backend();
    TForm* form = nullptr;
    TListView* list = nullptr;
    std::vector<int> selected;  // OnSelectItem, in order
    int doubleClicks = 0;

    void SetUp() override {
        form = New<TForm>(Application);
        form->SetBorderStyle(bsNone);
        form->SetBounds(100, 100, 400, 300);
        list = new TListView(form);
        list->SetParent(form);
        list->SetBounds(10, 10, 250, 150);
        list->SetTabOrder(0);
        list->AddColumn("Name", 120);
        list->AddColumn("Size", 60, taRightJustify);
        list->OnSelectItem = [this](TObject* sender, int index) {
            EXPECT_EQ(sender, list);
            selected.push_back(index);
        };
        list->OnDblClick = [this](TObject*) { ++doubleClicks; };
        form->Show();
        app.Run();
    }

    void Fill(int count) {
        list->BeginUpdate();
        for (int i = 0; i < count; ++i)
            list->Add("Row " + std::to_string(i), {std::to_string(i * 10)});
        list->EndUpdate();
        app.Run();
    }
    void Press(int key) {
        screen.PressKey(key);
        app.Run();
    }
    TPoint RowPoint(int index, int x = 30) const {
        TRect r = list->RowRect(index);
        return list->ClientToScreen({x, r.Top + r.Height() / 2});
    }
    void ClickRow(int index) {
        TPoint p = RowPoint(index);
        screen.Click(p.X, p.Y);
        app.Run();
    }
    TColor Pixel(TPoint client) {
        app.Run();
        TPoint p = list->ClientToScreen(client);
        return screen.Screenshot().Pixel(p.X, p.Y);
    }
};

TEST_F(ListView, GeometryOfHeaderAndRows) {
    Fill(3);
    EXPECT_EQ(list->HeaderRect(), (TRect{2, 2, 248, 19}));
    EXPECT_EQ(list->RowRect(0), (TRect{2, 19, 248, 35}));
    EXPECT_EQ(list->VisibleRowCount(), 8);
    EXPECT_EQ(list->RowAt({5, 20}), 0);
    EXPECT_EQ(list->RowAt({5, 19 + 2 * 16}), 2);
    EXPECT_EQ(list->RowAt({5, 19 + 3 * 16}), -1);  // below the last row
    EXPECT_EQ(list->RowAt({5, 10}), -1);           // the header
    // The header's sections are raised: light at the top-left, dark at the bottom-right.
    EXPECT_EQ(Pixel({2, 2}), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(Pixel({2 + 119, 18}), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(Pixel({2 + 120, 2}), ColorToRGB(clBtnHighlight));
}

TEST_F(ListView, KeysMoveTheSelectionAndScrollItIntoView) {
    Fill(30);
    list->SetFocus();
    struct TStep {
        int key, index, top;
    };
    const std::vector<TStep> steps = {
        {VK_DOWN, 0, 0},  {VK_DOWN, 1, 0}, {VK_END, 29, 22}, {VK_HOME, 0, 0},   {VK_NEXT, 7, 0},
        {VK_NEXT, 14, 7}, {VK_UP, 13, 7},  {VK_PRIOR, 7, 7}, {VK_PRIOR, 0, 0},  {VK_UP, 0, 0},
        {VK_NEXT, 7, 0},  {VK_DOWN, 8, 1}, {VK_END, 29, 22}, {VK_NEXT, 29, 22}, {VK_DOWN, 29, 22},
    };
    for (const TStep& s : steps) {
        Press(s.key);
        EXPECT_EQ(list->ItemIndex(), s.index) << "key " << s.key;
        EXPECT_EQ(list->TopIndex(), s.top) << "key " << s.key;
        EXPECT_EQ(list->ScrollBar()->Position(), s.top) << "key " << s.key;
    }
    EXPECT_EQ(selected, (std::vector<int>{0, 1, 29, 0, 7, 14, 13, 7, 0, 7, 8, 29}));
    EXPECT_TRUE(list->Focused());  // the arrows stay with the list
    EXPECT_EQ(list->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
}

TEST_F(ListView, FromNoSelectionEndTakesTheLastRowAndUpTheFirst) {
    Fill(30);
    list->SetFocus();
    Press(VK_END);
    EXPECT_EQ(list->ItemIndex(), 29);
    list->SetItemIndex(-1);
    Press(VK_UP);
    EXPECT_EQ(list->ItemIndex(), 0);
}

TEST_F(ListView, ClickSelectsARowAndFocusesTheList) {
    Fill(5);
    auto* other = new TButton(form);
    other->SetParent(form);
    other->SetBounds(10, 200, 75, 25);
    other->SetFocus();
    ClickRow(3);
    EXPECT_EQ(list->ItemIndex(), 3);
    EXPECT_TRUE(list->Focused());
    app.Run(1000);
    ClickRow(1);
    app.Run(1000);
    TPoint below = list->ClientToScreen({30, list->RowRect(4).Bottom + 20});
    screen.Click(below.X, below.Y);  // no row there: the selection stays
    app.Run(1000);
    TPoint header = list->ClientToScreen({30, 8});
    screen.Click(header.X, header.Y);
    app.Run();
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_EQ(selected, (std::vector<int>{3, 1}));
    EXPECT_EQ(doubleClicks, 0);
}

TEST_F(ListView, ItemIndexFromCodeScrollsButRaisesNoSelectItem) {
    Fill(30);
    list->SetItemIndex(20);
    EXPECT_EQ(list->TopIndex(), 13);
    list->SetItemIndex(2);
    EXPECT_EQ(list->TopIndex(), 2);
    list->SetItemIndex(30);
    EXPECT_EQ(list->ItemIndex(), -1);
    EXPECT_TRUE(selected.empty());
}

TEST_F(ListView, DeletingRowsKeepsTheSelectionOnItsRow) {
    Fill(10);
    list->SetItemIndex(5);
    list->Delete(2);
    EXPECT_EQ(list->ItemIndex(), 4);
    EXPECT_EQ(list->Item(4).Caption, "Row 5");
    list->Delete(4);
    EXPECT_EQ(list->ItemIndex(), -1);
    list->Delete(42);  // out of range: nothing
    EXPECT_EQ(list->Count(), 8);
    list->Clear();
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(list->TopIndex(), 0);
}

TEST_F(ListView, DoubleClickOnARowRaisesOnDblClick) {
    Fill(5);
    struct TCase {
        const char* name;
        int firstRow, secondRow;
        int64_t pause;
        int expected;
    };
    const std::vector<TCase> cases = {
        {"same row, quickly", 2, 2, 100, 1},
        {"same row, slowly", 2, 2, 600, 0},
        {"two rows", 1, 2, 100, 0},
    };
    for (const TCase& c : cases) {
        doubleClicks = 0;
        ClickRow(c.firstRow);
        app.Run(c.pause);
        ClickRow(c.secondRow);
        EXPECT_EQ(doubleClicks, c.expected) << c.name;
        EXPECT_EQ(list->ItemIndex(), c.secondRow) << c.name;
        app.Run(1000);
    }
    // A third quick click starts a new double click rather than making another.
    doubleClicks = 0;
    ClickRow(3);
    ClickRow(3);
    ClickRow(3);
    EXPECT_EQ(doubleClicks, 1);
}

TEST_F(ListView, EnterRaisesOnDblClickOnlyWithARowSelected) {
    Fill(5);
    auto* ok = new TButton(form);
    ok->SetParent(form);
    ok->SetBounds(10, 200, 75, 25);
    ok->SetDefault(true);
    int okClicks = 0;
    ok->OnClick = [&](TObject*) { ++okClicks; };
    list->SetFocus();
    Press(VK_RETURN);  // nothing selected: the form's default button
    EXPECT_EQ(okClicks, 1);
    EXPECT_EQ(doubleClicks, 0);
    list->SetItemIndex(2);
    Press(VK_RETURN);
    EXPECT_EQ(doubleClicks, 1);
    EXPECT_EQ(okClicks, 1);
    // OnKeyDown sees Enter first, and may keep it.
    list->OnKeyDown = [](TObject*, uint16_t& key, TShiftState) {
        if (key == VK_RETURN) key = 0;
    };
    Press(VK_RETURN);
    EXPECT_EQ(doubleClicks, 1);
    EXPECT_EQ(okClicks, 1);
}

TEST_F(ListView, ScrollBarShowsOnlyWhenRowsDoNotFit) {
    Fill(8);
    EXPECT_FALSE(list->ScrollBarVisible());
    EXPECT_EQ(list->HeaderRect().Right, 248);
    list->Add("Row 8");
    EXPECT_TRUE(list->ScrollBarVisible());
    EXPECT_EQ(list->HeaderRect().Right, 248 - 16);
    EXPECT_EQ(list->ScrollBar()->Max(), 1);
    list->Delete(0);
    EXPECT_FALSE(list->ScrollBarVisible());
    // While updating, nothing changes until the end.
    list->BeginUpdate();
    list->Add("Row 9");
    EXPECT_FALSE(list->ScrollBarVisible());
    list->EndUpdate();
    EXPECT_TRUE(list->ScrollBarVisible());
}

TEST_F(ListView, ScrollBarScrollsTheRowsAndItsThumbShowsThePage) {
    Fill(30);
    TScrollBar* bar = list->ScrollBar();
    // 8 of 30 rows in a 114-pixel track.
    EXPECT_EQ(bar->ThumbRect().Height(), 114 * 8 / 30);
    TRect down = bar->PartRect(TScrollPart::LineDown);
    TPoint arrow = bar->ClientToScreen({down.Left + 8, down.Top + 8});
    screen.Click(arrow.X, arrow.Y);
    app.Run();
    EXPECT_EQ(list->TopIndex(), 1);
    EXPECT_EQ(list->RowAt({30, 20}), 1);
    EXPECT_EQ(list->ItemIndex(), -1);
    EXPECT_FALSE(bar->Focused());  // the bar takes no focus
    EXPECT_TRUE(list->Focused());
}

TEST_F(ListView, SelectedRowIsHighlightedAndGreyWithoutTheFocus) {
    Fill(5);
    ClickRow(1);
    TPoint inRow{list->RowRect(1).Right - 3, list->RowRect(1).Top + 2};  // right of the text
    EXPECT_EQ(Pixel(inRow), ColorToRGB(clHighlight));
    EXPECT_EQ(Pixel({inRow.X, list->RowRect(2).Top + 2}), ColorToRGB(clWindow));
    auto* other = new TButton(form);
    other->SetParent(form);
    other->SetBounds(10, 200, 75, 25);
    other->SetFocus();
    EXPECT_EQ(Pixel(inRow), ColorToRGB(clBtnFace));
}

TEST_F(ListView, TextIsCutToItsColumn) {
    list->Add(std::string(60, 'W'), {""});
    list->Add("short", {"12345"});
    app.Run();
    TRect row = list->RowRect(0);
    app.Run();
    TBitmap shot = screen.Screenshot();
    auto inkIn = [&](int index, int from, int to) {
        TRect r = list->RowRect(index);
        int count = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = from; x < to; ++x) {
                TPoint p = list->ClientToScreen({x, y});
                if (shot.Pixel(p.X, p.Y) != ColorToRGB(clWindow)) ++count;
            }
        return count;
    };
    int column1 = row.Left + 120;
    // The long caption stops short of the next column, with room for the padding.
    EXPECT_GT(inkIn(0, row.Left, column1), 0);
    EXPECT_EQ(inkIn(0, column1 - 6, row.Right), 0);
    // The right-aligned size ends 6 pixels before its column's right edge.
    EXPECT_GT(inkIn(1, column1 + 60 - 6 - 6, column1 + 60 - 6), 0);
    EXPECT_EQ(inkIn(1, column1 + 60 - 6, row.Right), 0);
    EXPECT_EQ(inkIn(1, column1, column1 + 60 - 6 - 5 * 6), 0);
}

TEST_F(ListView, ManyRowsScrollToTheEndAndBack) {
    const int count = 5000;
    Fill(count);
    EXPECT_EQ(list->Count(), count);
    EXPECT_TRUE(list->ScrollBarVisible());
    EXPECT_EQ(list->ScrollBar()->Max(), count - 8);
    list->SetFocus();
    Press(VK_END);
    EXPECT_EQ(list->ItemIndex(), count - 1);
    EXPECT_EQ(list->TopIndex(), count - 8);
    // The last row shows highlighted at the bottom of the list.
    TRect last = list->RowRect(count - 1);
    EXPECT_EQ(last.Top, list->RowsRect().Top + 7 * 16);
    EXPECT_EQ(Pixel({last.Right - 3, last.Top + 2}), ColorToRGB(clHighlight));
    for (int i = 0; i < 100; ++i)
        Press(VK_PRIOR);
    EXPECT_EQ(list->ItemIndex(), count - 1 - 7 - 99 * 7);
    EXPECT_EQ(list->TopIndex(), list->ItemIndex());
    Press(VK_HOME);
    EXPECT_EQ(list->TopIndex(), 0);
    EXPECT_EQ(list->ScrollBar()->Position(), 0);
}

TEST_F(ListView, TheWheelScrollsThreeRowsANotchAndKeepsTheSelection) {
    Fill(40);
    ClickRow(1);
    ASSERT_EQ(list->ItemIndex(), 1);
    TPoint p = RowPoint(2);
    screen.Wheel(p.X, p.Y, -WHEEL_DELTA);  // a notch towards the user: down
    app.Run();
    EXPECT_EQ(list->TopIndex(), 3);
    screen.Wheel(p.X, p.Y, -WHEEL_DELTA / 2);  // half a notch waits for its other half
    app.Run();
    EXPECT_EQ(list->TopIndex(), 3);
    screen.Wheel(p.X, p.Y, -WHEEL_DELTA / 2);
    app.Run();
    EXPECT_EQ(list->TopIndex(), 6);
    screen.Wheel(p.X, p.Y, 5 * WHEEL_DELTA);  // up, past the top
    app.Run();
    EXPECT_EQ(list->TopIndex(), 0);
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_EQ(list->ScrollBar()->Position(), 0);
}

}  // namespace
