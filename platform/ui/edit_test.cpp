#include "platform/ui/edit.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/gfx/utf8.h"
#include "platform/ui/button.h"
#include "platform/ui/form.h"
#include "tests/support/headless_app.h"

namespace {

// The selection's start and length, and where the caret is.
struct TSel {
    int start, length, caret;
    friend bool operator==(const TSel&, const TSel&) = default;
    friend std::ostream& operator<<(std::ostream& os, const TSel& s) {
        return os << "{" << s.start << ", " << s.length << ", caret " << s.caret << "}";
    }
};

// A focused 121 x 21 field at (10, 10) of a form at (100, 100): its text area starts 3
// pixels in and is 115 pixels wide, 19 characters of the 6-pixel fixed font.
class Edit : public ::testing::Test {
protected:
    THeadlessApp app;
    native::THeadlessBackend& screen = app.Backend();
    TForm* form = nullptr;
    TEdit* edit = nullptr;
    int changes = 0;

    void SetUp() override {
        form = New<TForm>(Application);
        form->SetBorderStyle(bsNone);
        form->SetBounds(100, 100, 400, 300);
        edit = new TEdit(form);
        edit->SetParent(form);
        edit->SetBounds(10, 10, 121, 21);
        edit->SetTabOrder(0);
        edit->OnChange = [this](TObject*) { ++changes; };
        form->Show();
        edit->SetFocus();
        app.Run();
    }

    void Type(const std::string& text) {
        ForEachCodePoint(text, [&](char32_t cp) { screen.TypeChar(cp); });
        app.Run();
    }
    void Press(int key, unsigned modifiers = 0) {
        screen.PressKey(key, 0, modifiers);
        app.Run();
    }
    // The screen point of a client point of the field.
    TPoint At(int x, int y = 10) const { return edit->ClientToScreen({x, y}); }
    // The client x of the boundary before character index (one byte each).
    int CharX(int index) const { return edit->TextRect().Left - edit->ScrollOffset() + 6 * index; }
    TColor Pixel(int x, int y) {
        app.Run();
        TPoint p = At(x, y);
        return screen.Screenshot().Pixel(p.X, p.Y);
    }
    TSel Sel() const { return {edit->SelStart(), edit->SelLength(), edit->CaretPos()}; }
};

TEST_F(Edit, TypingInsertsAtTheCaretAndReplacesTheSelection) {
    Type("hello");
    EXPECT_EQ(edit->Text(), "hello");
    Press(VK_HOME);
    Press(VK_RIGHT);
    Press(VK_RIGHT);
    Type("X");
    EXPECT_EQ(edit->Text(), "heXllo");
    Press(VK_END, native::kShift);
    Press(VK_LEFT, native::kShift);
    EXPECT_EQ(edit->SelText(), "ll");
    Type("!");
    EXPECT_EQ(edit->Text(), "heX!o");
    EXPECT_EQ(Sel(), (TSel{4, 0, 4}));
    EXPECT_EQ(changes, 7);  // one for every character typed
}

TEST_F(Edit, ArrowsHomeAndEndMoveTheCaretAndShiftSelects) {
    Type("abcdef");
    struct TStep {
        int key;
        unsigned modifiers;
        TSel expected;
    };
    const std::vector<TStep> steps = {
        {VK_LEFT, 0, {5, 0, 5}},
        {VK_LEFT, native::kShift, {4, 1, 4}},
        {VK_HOME, native::kShift, {0, 5, 0}},
        {VK_RIGHT, native::kShift, {1, 4, 1}},
        {VK_RIGHT, 0, {5, 0, 5}},  // closes the selection at its right end
        {VK_HOME, 0, {0, 0, 0}},
        {VK_LEFT, 0, {0, 0, 0}},
        {VK_END, native::kShift, {0, 6, 6}},
        {VK_LEFT, 0, {0, 0, 0}},  // closes it at its left end
        {VK_END, 0, {6, 0, 6}},
        {VK_RIGHT, 0, {6, 0, 6}},
        {'A', native::kControl, {0, 6, 6}},
    };
    for (const TStep& s : steps) {
        Press(s.key, s.modifiers);
        EXPECT_EQ(Sel(), s.expected) << "key " << s.key << " modifiers " << s.modifiers;
    }
    EXPECT_EQ(edit->Text(), "abcdef");
    Type("z");  // Ctrl+A, then typing replaces everything
    EXPECT_EQ(edit->Text(), "z");
}

TEST_F(Edit, BackspaceDeleteAndArrowsTakeWholeUtf8Characters) {
    // a (1 byte), e acute (2), euro (3), a face (4), b (1).
    const std::string text =
        "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"
        "b";
    Type(text);  // typed as code points, stored as UTF-8
    ASSERT_EQ(edit->Text(), text);
    std::vector<int> lefts;
    for (int i = 0; i < 6; ++i) {
        lefts.push_back(edit->CaretPos());
        Press(VK_LEFT);
    }
    EXPECT_EQ(lefts, (std::vector<int>{11, 10, 6, 3, 1, 0}));
    Press(VK_DELETE);
    EXPECT_EQ(edit->Text(), text.substr(1));
    Press(VK_DELETE);
    EXPECT_EQ(edit->Text(), text.substr(3));
    Press(VK_END);
    Press(VK_LEFT);
    Press(VK_BACK);  // the face before the b
    EXPECT_EQ(edit->Text(),
              "\xE2\x82\xAC"
              "b");
    Press(VK_BACK);
    EXPECT_EQ(edit->Text(), "b");
    Press(VK_BACK);  // at the start: nothing
    EXPECT_EQ(edit->Text(), "b");
    EXPECT_EQ(changes, 5 + 4);
}

TEST_F(Edit, SelectionOffsetsSnapToCharacterBoundaries) {
    edit->SetText("\xE2\x82\xAC\xE2\x82\xAC");  // two euro signs
    edit->SetSelStart(4);
    EXPECT_EQ(edit->SelStart(), 3);
    edit->SetSelLength(2);
    EXPECT_EQ(edit->SelLength(), 0);
    edit->SetSelLength(100);
    EXPECT_EQ(edit->SelText(), "\xE2\x82\xAC");
    edit->SetSelStart(-4);
    EXPECT_EQ(Sel(), (TSel{0, 0, 0}));
}

TEST_F(Edit, MaxLengthRefusesWhatDoesNotFitInBytes) {
    edit->SetMaxLength(5);
    Type("abcd");
    Type("\xC3\xA9");  // two bytes: one too many
    EXPECT_EQ(edit->Text(), "abcd");
    Type("ef");
    EXPECT_EQ(edit->Text(), "abcde");
    Press(VK_LEFT, native::kShift);
    Press(VK_LEFT, native::kShift);
    Type("\xC3\xA9");  // replaces two bytes with two
    EXPECT_EQ(edit->Text(), "abc\xC3\xA9");
    EXPECT_EQ(changes, 6);
    edit->SetText("longer than five");  // code may set more
    EXPECT_EQ(edit->Text(), "longer than five");
}

TEST_F(Edit, ReadOnlyFieldTakesNoEditsButMovesAndSelects) {
    edit->SetText("fixed");
    changes = 0;
    edit->SetReadOnly(true);
    Press(VK_END);
    Type("x");
    Press(VK_BACK);
    Press(VK_HOME);
    Press(VK_DELETE);
    Press(VK_RIGHT, native::kShift);
    EXPECT_EQ(edit->Text(), "fixed");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(edit->SelText(), "f");
    EXPECT_FALSE(edit->SetSelText("y"));
}

TEST_F(Edit, OnChangeFollowsEveryChangeByCodeAndNoneWithoutOne) {
    edit->SetText("one");
    edit->SetText("one");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(Sel(), (TSel{0, 0, 0}));  // text from code puts the caret at the start
    Press(VK_BACK);                     // nothing before the caret
    Press(VK_END);
    Press(VK_DELETE);  // nothing after it
    EXPECT_EQ(changes, 1);
    Press(VK_BACK);
    EXPECT_EQ(changes, 2);
    std::string seen;
    edit->OnChange = [&](TObject* sender) { seen = static_cast<TEdit*>(sender)->Text(); };
    Type("e");
    EXPECT_EQ(seen, "one");  // raised after the change
}

TEST_F(Edit, EnterEscapeAndTabGoToTheForm) {
    auto* ok = new TButton(form);
    ok->SetParent(form);
    ok->SetBounds(10, 50, 75, 25);
    ok->SetDefault(true);
    ok->SetTabOrder(1);
    auto* cancel = new TButton(form);
    cancel->SetParent(form);
    cancel->SetBounds(100, 50, 75, 25);
    cancel->SetCancel(true);
    cancel->SetTabOrder(2);
    std::vector<std::string> clicks;
    ok->OnClick = [&](TObject*) { clicks.push_back("ok"); };
    cancel->OnClick = [&](TObject*) { clicks.push_back("cancel"); };
    EXPECT_EQ(edit->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS);
    Type("ab");
    screen.PressKey(VK_RETURN, '\r');
    screen.PressKey(VK_ESCAPE, 0x1B);
    app.Run();
    EXPECT_EQ(clicks, (std::vector<std::string>{"ok", "cancel"}));
    EXPECT_EQ(edit->Text(), "ab");  // the control characters typed nothing
    // Nor do characters with Alt or Ctrl alone (short cuts); with both (AltGr) they type.
    screen.PressKey('F', 'f', native::kAlt);
    screen.PressKey('S', 's', native::kControl);
    screen.PressKey('E', 0x20AC, native::kControl | native::kAlt);
    app.Run();
    EXPECT_EQ(edit->Text(), "ab\xE2\x82\xAC");
    screen.PressKey(VK_TAB, '\t');
    app.Run();
    EXPECT_TRUE(ok->Focused());
    EXPECT_EQ(edit->Text(), "ab\xE2\x82\xAC");
}

TEST_F(Edit, TakingTheFocusByTabSelectsTheText) {
    auto* other = new TEdit(form);
    other->SetParent(form);
    other->SetBounds(10, 50, 121, 21);
    other->SetTabOrder(1);
    other->SetText("second");
    Press(VK_TAB);
    EXPECT_TRUE(other->Focused());
    EXPECT_EQ(other->SelText(), "second");
}

TEST_F(Edit, TextScrollsToKeepTheCaretInView) {
    const std::string text(40, 'w');  // 240 pixels in a 115-pixel area
    Type(text);
    TRect area = edit->TextRect();
    auto caretShows = [&] {
        int x = edit->CaretX();
        return x >= area.Left && x < area.Right;
    };
    EXPECT_GT(edit->ScrollOffset(), 0);
    EXPECT_TRUE(caretShows());
    EXPECT_EQ(edit->CaretX(), area.Right - 1);  // the end: as far right as it goes
    // The caret is drawn there: a dark bar on the white field, over the text's height.
    EXPECT_EQ(Pixel(edit->CaretX(), 5), ColorToRGB(clWindowText));
    EXPECT_EQ(Pixel(edit->CaretX(), 15), ColorToRGB(clWindowText));
    Press(VK_HOME);
    EXPECT_EQ(edit->ScrollOffset(), 0);
    EXPECT_EQ(edit->CaretX(), area.Left);
    for (int i = 0; i < 25; ++i)
        Press(VK_RIGHT);
    EXPECT_TRUE(caretShows());
    EXPECT_GT(edit->ScrollOffset(), 0);
    // Deleting text scrolled out brings it back rather than leaving blank space.
    Press(VK_END);
    for (int i = 0; i < 30; ++i)
        Press(VK_BACK);
    EXPECT_EQ(edit->ScrollOffset(), 0);
}

TEST_F(Edit, ClickPlacesTheCaretAndDragAndShiftClickSelect) {
    edit->SetText("abcdefghij");
    app.Run(1000);
    // Left of a character's middle is before it, right of it after it.
    struct TCase {
        int x;
        int caret;
    };
    for (TCase c :
         std::vector<TCase>{{CharX(4) + 2, 4}, {CharX(4) + 4, 5}, {0, 0}, {CharX(10) + 30, 10}}) {
        TPoint p = At(c.x);
        screen.Click(p.X, p.Y);
        app.Run(1000);
        EXPECT_EQ(Sel(), (TSel{c.caret, 0, c.caret})) << c.x;
    }
    TPoint from = At(CharX(2)), to = At(CharX(7));
    screen.MouseDown(from.X, from.Y);
    screen.MouseMove(to.X, to.Y);
    screen.MouseUp(to.X, to.Y);
    app.Run(1000);
    EXPECT_EQ(Sel(), (TSel{2, 5, 7}));
    TPoint shiftAt = At(CharX(9));
    screen.MouseMove(shiftAt.X, shiftAt.Y);
    screen.MouseDown(shiftAt.X, shiftAt.Y, native::kLeftButton, native::kShift);
    screen.MouseUp(shiftAt.X, shiftAt.Y, native::kLeftButton, native::kShift);
    app.Run();
    EXPECT_EQ(Sel(), (TSel{2, 7, 9}));
    // A move without the button held selects nothing more.
    screen.MouseMove(from.X, from.Y);
    app.Run();
    EXPECT_EQ(Sel(), (TSel{2, 7, 9}));
}

TEST_F(Edit, DraggingPastTheRightEdgeScrollsTheText) {
    edit->SetText(std::string(40, 'm'));
    app.Run();
    TPoint from = At(CharX(1)), out = At(140);  // beyond the field
    screen.MouseDown(from.X, from.Y);
    screen.MouseMove(out.X, out.Y);
    screen.MouseUp(out.X, out.Y);
    app.Run();
    EXPECT_GT(edit->ScrollOffset(), 0);
    EXPECT_EQ(edit->SelStart(), 1);
    EXPECT_GT(edit->CaretPos(), 19);
}

TEST_F(Edit, SelectionAndCaretShowOnlyWhileFocused) {
    edit->SetText("abcdef");
    edit->SetSelStart(1);
    edit->SetSelLength(3);
    // Row 4 is the top of the text's cell, above the letters.
    int inSelection = CharX(2) + 1, afterIt = CharX(5) + 1, end = CharX(6);
    EXPECT_EQ(Pixel(inSelection, 4), ColorToRGB(clHighlight));
    EXPECT_EQ(Pixel(afterIt, 4), ColorToRGB(clWindow));
    edit->SetSelStart(6);
    EXPECT_EQ(Pixel(end, 10), ColorToRGB(clWindowText));
    edit->SetSelStart(1);
    edit->SetSelLength(3);
    auto* other = new TButton(form);
    other->SetParent(form);
    other->SetBounds(10, 50, 75, 25);
    other->SetFocus();
    EXPECT_EQ(Pixel(inSelection, 4), ColorToRGB(clWindow));
    edit->SetSelStart(6);
    EXPECT_EQ(Pixel(end, 10), ColorToRGB(clWindow));
    edit->SetEnabled(false);
    EXPECT_EQ(Pixel(afterIt, 4), ColorToRGB(clBtnFace));
}

}  // namespace
