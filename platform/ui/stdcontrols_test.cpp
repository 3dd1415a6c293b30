#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/button.h"
#include "platform/ui/checkbox.h"
#include "platform/ui/label.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/panel.h"
#include "platform/ui/radiogroup.h"
#include "platform/ui/screen.h"
#include "platform/ui/stylepainter.h"
#include "platform/ui/timer.h"
#include "tests/support/headless_app.h"

namespace {

constexpr int kFormLeft = 100;
constexpr int kFormTop = 100;

class StdControls : public ::testing::Test {
protected:
    THeadlessApp app;
    native::THeadlessBackend& screen = app.Backend();
    TForm* form = nullptr;

    void SetUp() override {
        form = New<TForm>(Application);
        form->SetBorderStyle(bsNone);
        form->SetBounds(kFormLeft, kFormTop, 400, 300);
        form->Show();
    }

    template <class T>
    T* Add(TWinControl* parent, const std::string& name, int left, int top, int width, int height) {
        auto* c = new T(form);
        c->SetName(name);
        c->SetParent(parent);
        c->SetBounds(left, top, width, height);
        return c;
    }

    // The screen position of a point of a control's client area.
    static TPoint OnScreen(const TControl* c, TPoint p) { return c->ClientToScreen(p); }
    static TPoint Centre(const TRect& r) {
        return {r.Left + r.Width() / 2, r.Top + r.Height() / 2};
    }

    void ClickAt(TPoint p) {
        screen.Click(p.X, p.Y);
        app.Run();
    }
    void Press(int key, uint32_t ch = 0, unsigned modifiers = 0) {
        screen.PressKey(key, ch, modifiers);
        app.Run();
    }

    // The pixels of a control's client rectangle r, as the screen shows them.
    std::vector<TColor> Pixels(const TControl* c, const TRect& r) {
        app.Run();
        TBitmap shot = screen.Screenshot();
        std::vector<TColor> pixels;
        TPoint origin = c->ClientToScreen(r.TopLeft());
        for (int y = 0; y < r.Height(); ++y)
            for (int x = 0; x < r.Width(); ++x)
                pixels.push_back(shot.Pixel(origin.X + x, origin.Y + y));
        return pixels;
    }

    // How many pixels of the one-pixel ring just outside r differ from the face colour.
    int RingPixelsOff(const TControl* c, const TRect& r) {
        TRect ring = r.Inflate(1, 1);
        std::vector<TColor> pixels = Pixels(c, ring);
        int off = 0;
        for (int y = 0; y < ring.Height(); ++y)
            for (int x = 0; x < ring.Width(); ++x) {
                bool edge = y == 0 || y == ring.Height() - 1 || x == 0 || x == ring.Width() - 1;
                if (edge && pixels[size_t(y * ring.Width() + x)] != ColorToRGB(clBtnFace)) ++off;
            }
        return off;
    }

    std::string FocusedName() {
        TWinControl* c = form->FocusedControl();
        return c ? c->Name() : "(none)";
    }
};

// Check boxes -----------------------------------------------------------------------------------

TEST_F(StdControls, CheckBoxTogglesOnAClickOnTheBoxOrTheCaptionAndOnSpace) {
    auto* box = Add<TCheckBox>(form, "box", 10, 10, 200, 17);
    box->SetCaption("Always on Top");
    int clicks = 0;
    box->OnClick = [&](TObject*) { ++clicks; };
    struct TCase {
        const char* how;
        std::function<void()> act;
    };
    std::vector<TCase> cases = {
        {"box", [&] { ClickAt(OnScreen(box, Centre(box->GlyphRect()))); }},
        {"caption", [&] { ClickAt(OnScreen(box, Centre(box->CaptionRect()))); }},
        {"space", [&] { Press(VK_SPACE, ' '); }},
    };
    bool expected = false;
    for (const TCase& c : cases) {
        c.act();
        expected = !expected;
        EXPECT_EQ(box->Checked(), expected) << c.how;
    }
    EXPECT_EQ(clicks, 3);
    EXPECT_TRUE(box->Focused());  // the clicks gave it the focus, so Space reached it
}

TEST_F(StdControls, CheckBoxIgnoresAPressReleasedOutsideAndClicksWhenDisabled) {
    auto* box = Add<TCheckBox>(form, "box", 10, 10, 200, 17);
    TPoint inside = OnScreen(box, Centre(box->GlyphRect()));
    screen.MouseDown(inside.X, inside.Y);
    screen.MouseUp(inside.X, inside.Y + 40);
    app.Run();
    EXPECT_FALSE(box->Checked());
    box->SetEnabled(false);
    ClickAt(inside);
    EXPECT_FALSE(box->Checked());
}

TEST_F(StdControls, CheckedFromCodeChangesTheGlyphButRaisesNoClick) {
    auto* box = Add<TCheckBox>(form, "box", 10, 10, 200, 17);
    int clicks = 0;
    box->OnClick = [&](TObject*) { ++clicks; };
    std::vector<TColor> unchecked = Pixels(box, box->GlyphRect());
    box->SetChecked(true);
    std::vector<TColor> checked = Pixels(box, box->GlyphRect());
    EXPECT_NE(checked, unchecked);
    EXPECT_EQ(clicks, 0);
    // The box is a 13 x 13 glyph at the left, centred vertically, white inside.
    EXPECT_EQ(box->GlyphRect(), TRect::FromSize(0, 2, kCheckBoxGlyphSize, kCheckBoxGlyphSize));
    EXPECT_EQ(unchecked[size_t(6 * 13 + 6)], ColorToRGB(clWindow));
    box->SetChecked(false);
    EXPECT_EQ(Pixels(box, box->GlyphRect()), unchecked);
}

TEST_F(StdControls, DisabledCheckBoxIsGreyInside) {
    auto* box = Add<TCheckBox>(form, "box", 10, 10, 200, 17);
    box->SetEnabled(false);
    std::vector<TColor> glyph = Pixels(box, box->GlyphRect());
    EXPECT_EQ(glyph[size_t(6 * 13 + 6)], ColorToRGB(clBtnFace));
}

TEST_F(StdControls, FocusRectangleSurroundsTheCaptionOnlyWhileFocused) {
    auto* first = Add<TCheckBox>(form, "first", 10, 10, 200, 17);
    first->SetCaption("24 Hour Mode");
    auto* second = Add<TCheckBox>(form, "second", 10, 40, 200, 17);
    second->SetCaption("Always on Top");
    first->SetFocus();
    EXPECT_GT(RingPixelsOff(first, first->CaptionRect()), 10);
    EXPECT_EQ(RingPixelsOff(second, second->CaptionRect()), 0);
    second->SetFocus();
    EXPECT_EQ(RingPixelsOff(first, first->CaptionRect()), 0);
    EXPECT_GT(RingPixelsOff(second, second->CaptionRect()), 10);
}

// Radio groups ----------------------------------------------------------------------------------

std::vector<std::string> Names(int count) {
    std::vector<std::string> items;
    for (int i = 0; i < count; ++i)
        items.push_back("Item " + std::to_string(i));
    return items;
}

TEST_F(StdControls, RadioItemsFillTheFirstColumnBeforeTheNext) {
    struct TCase {
        int count, columns, width, height;
        std::vector<int> perColumn;
    };
    std::vector<TCase> cases = {
        {7, 2, 257, 97, {4, 3}},  // Clock Format
        {4, 2, 125, 57, {2, 2}},  // LED Color
        {3, 2, 125, 57, {2, 1}},  // LED Shape
        {4, 1, 257, 81, {4}},     // Background
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + " in " + std::to_string(c.columns));
        auto* group = Add<TRadioGroup>(form, "group", 10, 10, c.width, c.height);
        group->SetItems(Names(c.count));
        group->SetColumns(c.columns);
        int textHeight = group->Font().Face().Metrics().Height();
        int index = 0;
        TRect first = group->ItemRect(0);
        for (size_t column = 0; column < c.perColumn.size(); ++column) {
            for (int row = 0; row < c.perColumn[column]; ++row, ++index) {
                TRect r = group->ItemRect(index);
                EXPECT_EQ(r.Left, first.Left + int(column) * first.Width()) << index;
                EXPECT_EQ(r.Top, first.Top + row * first.Height()) << index;
                EXPECT_EQ(r.Height(), first.Height()) << index;
                // Below the caption's line and inside the frame.
                EXPECT_GT(r.Top, textHeight) << index;
                EXPECT_LE(r.Bottom, c.height - 2) << index;
                EXPECT_LE(r.Right, c.width - 2) << index;
            }
        }
        EXPECT_TRUE(group->ItemRect(c.count).IsEmpty());
        EXPECT_TRUE(group->ItemRect(-1).IsEmpty());
        // The rows take the whole height between the caption's line and the bottom edge.
        int rows = c.perColumn[0];
        EXPECT_GE(first.Height() * rows, c.height - textHeight - 5 - (rows - 1));
        group->Free();
    }
}

TEST_F(StdControls, RadioRowsOfTheClockFormatGroup) {
    auto* group = Add<TRadioGroup>(form, "group", 8, 184, 257, 97);
    group->SetItems(Names(7));
    group->SetColumns(2);
    // 79 pixels from below the caption's line to 4 above the bottom, in four rows of 19,
    // the spare 3 pixels split above and below; two columns of 123.
    EXPECT_EQ(group->ItemRect(0), TRect::FromSize(8, 15, 123, 19));
    EXPECT_EQ(group->ItemRect(3), TRect::FromSize(8, 72, 123, 19));
    EXPECT_EQ(group->ItemRect(4), TRect::FromSize(131, 15, 123, 19));
    EXPECT_EQ(group->ItemRect(6), TRect::FromSize(131, 53, 123, 19));
}

TEST_F(StdControls, RadioItemIndexIsClamped) {
    auto* group = Add<TRadioGroup>(form, "group", 10, 10, 257, 97);
    group->SetItems(Names(7));
    struct TCase {
        int set, expected;
    };
    for (TCase c :
         std::vector<TCase>{{-5, -1}, {-1, -1}, {0, 0}, {3, 3}, {6, 6}, {7, 6}, {100, 6}}) {
        group->SetItemIndex(0);
        group->SetItemIndex(c.set);
        EXPECT_EQ(group->ItemIndex(), c.expected) << c.set;
    }
    // Fewer items clamp the index; no items leave none selected.
    group->SetItems(Names(3));
    EXPECT_EQ(group->ItemIndex(), 2);
    group->SetItems({});
    group->SetItemIndex(3);
    EXPECT_EQ(group->ItemIndex(), -1);
}

TEST_F(StdControls, RadioClickSelectsAnItemAndRaisesOnClickOnChange) {
    auto* group = Add<TRadioGroup>(form, "group", 10, 10, 257, 97);
    group->SetItems(Names(7));
    group->SetColumns(2);
    std::vector<int> clicked;
    group->OnClick = [&](TObject*) { clicked.push_back(group->ItemIndex()); };
    ClickAt(OnScreen(group, Centre(group->ItemRect(5))));
    EXPECT_EQ(group->ItemIndex(), 5);
    EXPECT_TRUE(group->Focused());
    ClickAt(OnScreen(group, Centre(group->ItemRect(1))));
    ClickAt(OnScreen(group, Centre(group->ItemRect(1))));  // already selected: no OnClick
    ClickAt(OnScreen(group, {3, 3}));                      // the frame, not an item
    EXPECT_EQ(group->ItemIndex(), 1);
    EXPECT_EQ(clicked, (std::vector<int>{5, 1}));
    // A press on one item released on another selects nothing.
    TPoint from = OnScreen(group, Centre(group->ItemRect(2)));
    TPoint to = OnScreen(group, Centre(group->ItemRect(3)));
    screen.MouseDown(from.X, from.Y);
    screen.MouseUp(to.X, to.Y);
    app.Run();
    EXPECT_EQ(group->ItemIndex(), 1);
}

TEST_F(StdControls, RadioArrowKeysMoveTheSelectionAndKeepTheFocus) {
    auto* group = Add<TRadioGroup>(form, "group", 10, 10, 257, 97);
    group->SetItems(Names(3));
    group->SetColumns(2);
    group->SetTabOrder(0);
    auto* after = Add<TCheckBox>(form, "after", 10, 120, 100, 17);
    after->SetTabOrder(1);
    group->SetFocus();
    EXPECT_EQ(group->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
    int clicks = 0;
    group->OnClick = [&](TObject*) { ++clicks; };
    struct TStep {
        int key, expected;
    };
    std::vector<TStep> steps = {{VK_DOWN, 0}, {VK_RIGHT, 1}, {VK_DOWN, 2}, {VK_DOWN, 0},
                                {VK_UP, 2},   {VK_LEFT, 1},  {VK_UP, 0}};
    for (TStep s : steps) {
        Press(s.key);
        EXPECT_EQ(group->ItemIndex(), s.expected) << s.key;
    }
    EXPECT_EQ(clicks, int(steps.size()));
    EXPECT_TRUE(group->Focused());
    group->SetItemIndex(-1);
    Press(VK_UP);
    EXPECT_EQ(group->ItemIndex(), 2);
}

TEST_F(StdControls, RadioFocusRectangleSurroundsTheSelectedCaption) {
    auto* group = Add<TRadioGroup>(form, "group", 10, 10, 257, 97);
    group->SetItems(Names(4));
    group->SetItemIndex(2);
    int textHeight = group->Font().Face().Metrics().Height();
    auto caption = [&](int i) {
        TRect item = group->ItemRect(i);
        int width = group->Font().Face().TextWidth(group->Items()[size_t(i)]);
        return TRect::FromSize(item.Left + kGlyphTextLeft,
                               item.Top + (item.Height() - textHeight) / 2, width, textHeight);
    };
    EXPECT_EQ(RingPixelsOff(group, caption(2)), 0);
    group->SetFocus();
    EXPECT_GT(RingPixelsOff(group, caption(2)), 10);
    EXPECT_EQ(RingPixelsOff(group, caption(0)), 0);
}

// Tab order --------------------------------------------------------------------------------------

TEST_F(StdControls, TabAndShiftTabFollowTabOrderOverVisibleEnabledTabStops) {
    // Created out of tab order; a hidden and a disabled control, a label, and a panel (no
    // tab stop itself) holding a check box.
    auto* ok = Add<TButton>(form, "ok", 10, 200, 75, 25);
    auto* first = Add<TCheckBox>(form, "first", 10, 10, 100, 17);
    auto* hidden = Add<TCheckBox>(form, "hidden", 10, 40, 100, 17);
    auto* radio = Add<TRadioGroup>(form, "radio", 200, 10, 150, 60);
    auto* second = Add<TCheckBox>(form, "second", 10, 70, 100, 17);
    auto* panel = Add<TPanel>(form, "panel", 200, 100, 150, 60);
    auto* inner = Add<TCheckBox>(panel, "inner", 5, 5, 100, 17);
    auto* disabled = Add<TButton>(form, "disabled", 100, 200, 75, 25);
    auto* cancel = Add<TButton>(form, "cancel", 190, 200, 75, 25);
    auto* label = new TLabel(form);
    label->SetParent(form);
    radio->SetItems(Names(2));
    first->SetTabOrder(0);
    hidden->SetTabOrder(1);
    second->SetTabOrder(2);
    radio->SetTabOrder(3);
    ok->SetTabOrder(4);
    panel->SetTabOrder(5);
    inner->SetTabOrder(0);
    disabled->SetTabOrder(6);
    cancel->SetTabOrder(7);
    hidden->Hide();
    disabled->SetEnabled(false);

    first->SetFocus();
    std::vector<std::string> forward, backward;
    for (int i = 0; i < 6; ++i) {
        Press(VK_TAB);
        forward.push_back(FocusedName());
    }
    for (int i = 0; i < 6; ++i) {
        Press(VK_TAB, 0, native::kShift);
        backward.push_back(FocusedName());
    }
    EXPECT_EQ(forward,
              (std::vector<std::string>{"second", "radio", "ok", "inner", "cancel", "first"}));
    EXPECT_EQ(backward,
              (std::vector<std::string>{"cancel", "inner", "ok", "radio", "second", "first"}));
}

TEST_F(StdControls, ArrowKeysMoveTheFocusPastControlsThatDoNotClaimThem) {
    auto* first = Add<TCheckBox>(form, "first", 10, 10, 100, 17);
    auto* second = Add<TCheckBox>(form, "second", 10, 40, 100, 17);
    auto* button = Add<TButton>(form, "button", 10, 70, 75, 25);
    first->SetTabOrder(0);
    second->SetTabOrder(1);
    button->SetTabOrder(2);
    first->SetFocus();
    Press(VK_DOWN);
    EXPECT_EQ(FocusedName(), "second");
    Press(VK_RIGHT);
    EXPECT_EQ(FocusedName(), "button");
    Press(VK_UP);
    Press(VK_LEFT);
    EXPECT_EQ(FocusedName(), "first");
}

TEST_F(StdControls, HidingTheFocusedControlHandsTheFocusToItsForm) {
    auto* box = Add<TCheckBox>(form, "box", 10, 10, 100, 17);
    auto* ok = Add<TButton>(form, "ok", 10, 40, 75, 25);
    ok->SetDefault(true);
    int clicks = 0;
    ok->OnClick = [&](TObject*) { ++clicks; };
    box->SetFocus();
    box->Hide();
    EXPECT_EQ(GetFocus(), form->Handle());
    Press(VK_RETURN);  // still reaches the form's default button
    EXPECT_EQ(clicks, 1);
}

// Buttons and modal forms -----------------------------------------------------------------------

TEST_F(StdControls, DefaultOutlineMovesToTheFocusedButton) {
    auto* box = Add<TCheckBox>(form, "box", 10, 10, 100, 17);
    auto* ok = Add<TButton>(form, "ok", 10, 40, 75, 25);
    auto* cancel = Add<TButton>(form, "cancel", 100, 40, 75, 25);
    ok->SetDefault(true);
    auto corner = [&](TButton* b) { return Pixels(b, TRect::FromSize(0, 0, 1, 1))[0]; };
    TColor outline = ColorToRGB(clWindowFrame);
    box->SetFocus();
    EXPECT_TRUE(ok->Active());
    EXPECT_EQ(corner(ok), outline);
    EXPECT_NE(corner(cancel), outline);
    cancel->SetFocus();
    EXPECT_FALSE(ok->Active());
    EXPECT_NE(corner(ok), outline);
    EXPECT_EQ(corner(cancel), outline);
    box->SetFocus();
    EXPECT_EQ(corner(ok), outline);
    EXPECT_NE(corner(cancel), outline);
}

// A dialog as the settings dialog has it: a check box, Ok (default), Cancel (cancel) and a
// button without a modal result.
struct TDialog {
    TForm* form;
    TCheckBox* box;
    TButton* ok;
    TButton* cancel;
    TButton* apply;
    int applied = 0;
};

std::unique_ptr<TDialog> MakeDialog(TForm* owner, bool withCancel = true) {
    auto d = std::make_unique<TDialog>();
    d->form = New<TForm>(owner);
    d->form->SetBorderStyle(bsDialog);
    d->form->SetText("Clock Settings");
    d->form->SetBounds(300, 300, 300, 120);
    auto button = [&](const char* caption, int left, int order) {
        auto* b = new TButton(d->form);
        b->SetParent(d->form);
        b->SetText(caption);
        b->SetBounds(left, 80, 60, 25);
        b->SetTabOrder(order);
        return b;
    };
    d->box = new TCheckBox(d->form);
    d->box->SetParent(d->form);
    d->box->SetBounds(8, 16, 200, 17);
    d->box->SetTabOrder(0);
    d->ok = button("Ok", 8, 1);
    d->ok->SetDefault(true);
    d->ok->SetModalResult(mrOk);
    d->cancel = button("Cancel", 76, 2);
    d->cancel->SetModalResult(mrCancel);
    d->cancel->SetCancel(true);
    d->apply = button("Apply", 144, 3);
    d->apply->OnClick = [raw = d.get()](TObject*) { ++raw->applied; };
    if (!withCancel) d->cancel->Hide();
    return d;
}

TEST_F(StdControls, ModalResultFromTheKeyboard) {
    struct TCase {
        const char* name;
        std::vector<int> keys;  // pressed in turn once the dialog shows
        TModalResult expected;
        int applied;
    };
    std::vector<TCase> cases = {
        {"Enter on the check box presses Ok", {VK_RETURN}, mrOk, 0},
        {"Esc presses Cancel", {VK_ESCAPE}, mrCancel, 0},
        {"Enter on a focused Cancel", {VK_TAB, VK_TAB, VK_RETURN}, mrCancel, 0},
        {"Enter on a button without result",
         {VK_TAB, VK_TAB, VK_TAB, VK_RETURN, VK_ESCAPE},
         mrCancel,
         1},
        {"Space on focused Ok", {VK_TAB, VK_SPACE}, mrOk, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<TDialog> d = MakeDialog(form);
        int64_t at = 10;
        for (int key : c.keys) {
            screen.After(at, [&, key] { screen.PressKey(key, key == VK_SPACE ? ' ' : 0); });
            at += 10;
        }
        EXPECT_EQ(d->form->ShowModal(), c.expected);
        EXPECT_EQ(d->applied, c.applied);
        EXPECT_FALSE(d->form->Visible());
        d->form->Free();
        app.Run(100);
    }
}

TEST_F(StdControls, CloseBoxEndsAModalFormWithCancel) {
    for (bool withCancel : {true, false}) {
        std::unique_ptr<TDialog> d = MakeDialog(form, withCancel);
        screen.After(10, [&] { screen.RequestClose(NativeWindow(d->form->Handle())); });
        EXPECT_EQ(d->form->ShowModal(), mrCancel) << withCancel;
        d->form->Free();
    }
}

TEST_F(StdControls, FormWithoutCancelButtonIgnoresEscape) {
    std::unique_ptr<TDialog> d = MakeDialog(form, false);
    bool openAfterEscape = false;
    screen.After(10, [&] { screen.PressKey(VK_ESCAPE); });
    screen.After(20, [&] { openAfterEscape = d->form->Visible(); });
    screen.After(30, [&] { screen.PressKey(VK_RETURN); });
    EXPECT_EQ(d->form->ShowModal(), mrOk);
    EXPECT_TRUE(openAfterEscape);
    d->form->Free();
}

TEST_F(StdControls, ModalFormGivesTheFocusBackAndTheOwnerTakesInputAgain) {
    auto* box = Add<TCheckBox>(form, "box", 10, 10, 100, 17);
    box->SetFocus();
    std::unique_ptr<TDialog> d = MakeDialog(form);
    screen.After(10, [&] { screen.PressKey(VK_ESCAPE); });
    d->form->ShowModal();
    EXPECT_TRUE(box->Focused());
    EXPECT_TRUE(IsWindowEnabled(form->Handle()));
    d->form->Free();
}

TEST_F(StdControls, TimersKeepFiringWhileAModalFormIsOpen) {
    auto* timer = new TTimer(form);
    timer->SetInterval(100);
    std::vector<int64_t> ticks;
    timer->SetOnTimer([&](TObject*) { ticks.push_back(app.Now()); });
    std::unique_ptr<TDialog> d = MakeDialog(form);
    screen.After(1050, [&] { screen.PressKey(VK_ESCAPE); });
    EXPECT_EQ(d->form->ShowModal(), mrCancel);
    EXPECT_EQ(ticks, (std::vector<int64_t>{100, 200, 300, 400, 500, 600, 700, 800, 900, 1000}));
    d->form->Free();
}

TEST_F(StdControls, DialogIsOwnedByTheGivenWindowsTopLevel) {
    auto* box = Add<TCheckBox>(form, "box", 10, 10, 100, 17);
    TForm* dialog = New<TForm>(Application);
    dialog->SetBorderStyle(bsDialog);
    dialog->SetBounds(10, 10, 100, 100);
    dialog->Show();
    EXPECT_EQ(GetParent(dialog->Handle()), nullptr);  // owned by the application: no owner
    dialog->Hide();
    dialog->SetOwnerWindow(box->Handle());
    dialog->Show();
    EXPECT_EQ(GetParent(dialog->Handle()), form->Handle());
    auto* native = dynamic_cast<native::THeadlessWindow*>(NativeWindow(dialog->Handle()));
    ASSERT_NE(native, nullptr);
    EXPECT_EQ(native->Kind(), native::TWindowKind::Dialog);
    dialog->Free();
}

// Message boxes ---------------------------------------------------------------------------------

// The message box on the screen, if one shows.
TCustomForm* ShownBox(const std::string& caption) {
    for (TCustomForm* f : Screen->Forms())
        if (f->Visible() && f->Text() == caption) return f;
    return nullptr;
}

TEST_F(StdControls, MessageBoxWithOkAloneGivesIdOkForEnterEscapeAndTheCloseBox) {
    struct TCase {
        const char* how;
        std::function<void()> answer;
    };
    std::vector<TCase> cases = {
        {"enter", [&] { screen.PressKey(VK_RETURN); }},
        {"escape", [&] { screen.PressKey(VK_ESCAPE); }},
        {"close box", [&] { screen.RequestClose(NativeWindow(ShownBox("Error")->Handle())); }},
    };
    for (const TCase& c : cases) {
        screen.After(10, c.answer);
        EXPECT_EQ(MessageBoxA(nullptr, "Something failed", "Error", MB_OK), IDOK) << c.how;
    }
}

TEST_F(StdControls, MessageBoxIsOwnedByTheMainFormWhenNoOwnerIsGiven) {
    Application->SetMainForm(form);
    HWND owner = nullptr;
    native::TWindowKind kind = native::TWindowKind::Normal;
    screen.After(10, [&] {
        HWND box = ShownBox("error")->Handle();
        owner = GetParent(box);
        kind = dynamic_cast<native::THeadlessWindow*>(NativeWindow(box))->Kind();
        screen.PressKey(VK_RETURN);
    });
    MessageBoxA(nullptr, "Unable to find documentation", "error", MB_OK);
    EXPECT_EQ(owner, form->Handle());
    EXPECT_EQ(kind, native::TWindowKind::Dialog);
}

TEST_F(StdControls, MessageBoxWithoutAShowingMainFormHasNoOwner) {
    form->Hide();
    Application->SetMainForm(form);
    HWND owner = form->Handle();
    screen.After(10, [&] {
        owner = GetParent(ShownBox("error")->Handle());
        screen.PressKey(VK_RETURN);
    });
    MessageBoxA(nullptr, "Unable to find documentation", "error", MB_OK);
    EXPECT_EQ(owner, nullptr);
}

TEST_F(StdControls, MessageBoxWrapsLongTextIntoEvenLinesAndSizesToIt) {
    const std::string text =
        "You can't use BCD and Horizontal mode together. Turn off 'BCD digits', or switch to a "
        "non-horizontal clock type";
    struct TSeen {
        std::vector<std::string> lines;
        int labelWidth = 0;
        TRect box;
    };
    auto show = [&](const std::string& message) {
        TSeen seen;
        screen.After(10, [&] {
            TCustomForm* box = ShownBox("Error");
            for (int i = 0; i < box->ComponentCount(); ++i)
                if (auto* label = dynamic_cast<TLabel*>(box->Components(i))) {
                    seen.lines = label->Lines();
                    seen.labelWidth = label->Width();
                }
            seen.box = box->BoundsRect();
            screen.PressKey(VK_RETURN);
        });
        MessageBoxA(form->Handle(), message, "Error", MB_OK);
        return seen;
    };
    TSeen wrapped = show(text);
    ASSERT_EQ(wrapped.lines.size(), 2u);  // 109 characters of 6 pixels: two lines under 480
    const TFontFace& face = form->Font().Face();
    int first = face.TextWidth(wrapped.lines[0]), second = face.TextWidth(wrapped.lines[1]);
    EXPECT_LE(std::abs(first - second), 6 * 12);  // even, not one long line and a short one
    EXPECT_EQ(wrapped.labelWidth, std::max(first, second));
    EXPECT_EQ(wrapped.box.Width(), wrapped.labelWidth + 24);
    TSeen shortText = show("Unable to find documentation");
    EXPECT_EQ(shortText.lines, std::vector<std::string>{"Unable to find documentation"});
    EXPECT_LT(shortText.box.Width(), wrapped.box.Width());
    EXPECT_LT(shortText.box.Height(), wrapped.box.Height());
}

// Labels ---------------------------------------------------------------------------------------

TEST_F(StdControls, WordWrappedLabelBreaksAtSpacesAndLineBreaks) {
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetAutoSize(false);
    label->SetWordWrap(true);
    label->SetWidth(60);  // ten characters of the fixed font
    struct TCase {
        std::string caption;
        std::vector<std::string> lines;
    };
    std::vector<TCase> cases = {
        {"one two three four", {"one two", "three four"}},
        {"one\r\ntwo\rthree\nfour", {"one", "two", "three", "four"}},
        {"  indented text", {"  indented", "text"}},
        {"one     two three", {"one", "two three"}},
        {"one two        three", {"one two", "three"}},
        {"unbreakablewords here", {"unbreakablewords", "here"}},
        {"last\n", {"last", ""}},
        {"", {""}},
    };
    for (const TCase& c : cases) {
        label->SetCaption(c.caption);
        EXPECT_EQ(label->Lines(), c.lines) << '"' << c.caption << '"';
    }
}

TEST_F(StdControls, AutoSizedWrappingLabelTakesTheHeightOfItsLinesAtANewWidth) {
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetWordWrap(true);
    label->SetCaption("one two three four");
    label->SetWidth(60);
    EXPECT_EQ(label->Height(), 2 * 13);
    label->SetWidth(30);
    EXPECT_EQ(label->Height(), 4 * 13);
    label->SetWidth(200);
    EXPECT_EQ(label->Height(), 13);
}

}  // namespace
