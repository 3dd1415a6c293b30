// Access letters (captions with "&"), a popup menu worked by them, the wheel's messages
// and where they go, and Alt chords that never type text.
#include "platform/ui/accel.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/edit.h"
#include "platform/ui/form.h"
#include "platform/ui/menus.h"
#include "platform/ui/wheel.h"
#include "tests/support/headless_app.h"

namespace {

TEST(AccessLetters, CaptionsShowWithoutTheirMarkAndNameTheirLetter) {
    struct TCase {
        const char* caption;
        const char* shown;
        size_t index;
    };
    const TCase cases[] = {
        {"&Settings", "Settings", 0},
        {"Save &As...", "Save As...", 5},
        {"Plain", "Plain", std::string::npos},
        {"Fish && Chips", "Fish & Chips", std::string::npos},
        {"&&&Go", "&Go", 1},
        {"Trailing &", "Trailing ", std::string::npos},
        {"\xC3\x89&\xC3\xA9t\xC3\xA9", "\xC3\x89\xC3\xA9t\xC3\xA9", 2},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.caption);
        TAccelText text = ParseAccel(c.caption);
        EXPECT_EQ(text.Text, c.shown);
        EXPECT_EQ(text.Index, c.index);
    }
    EXPECT_TRUE(IsAccel('s', "&Settings"));
    EXPECT_TRUE(IsAccel('S', "&Settings"));
    EXPECT_FALSE(IsAccel('e', "&Settings"));
    EXPECT_FALSE(IsAccel('x', "Exit"));
    EXPECT_TRUE(IsAccel(0xC9, "&\xC3\xA9t\xC3\xA9"));  // É for é, whatever the case
}

TEST(AccessLetters, TheUnderlineIsDrawnUnderItsLetterOnly) {
    THeadlessApp app;
    TBitmap bitmap(60, 20, pf24bit);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Brush.Color = clWhite;
    canvas.FillRect({0, 0, 60, 20});
    canvas.Font.SetColor(clBlack);
    TAccelText text = ParseAccel("ab&cd");
    DrawAccelUnderline(canvas, 0, 0, text);
    // The fixed test font: 6 pixels a character, so "c" spans x 12..17.
    const TFontMetrics m = canvas.Font.Face().Metrics();
    const int row = m.Ascent + m.UnderlinePosition;
    for (int x = 0; x < 30; ++x)
        EXPECT_EQ(bitmap.Pixel(x, row) == clBlack, x >= 12 && x < 18) << x;
}

TEST(Wheel, NotchesBecomeThreeLinesAndPartsOfANotchAddUp) {
    int remainder = 0;
    EXPECT_EQ(WheelLines(remainder, -WHEEL_DELTA), 3);
    EXPECT_EQ(WheelLines(remainder, 2 * WHEEL_DELTA), -6);
    EXPECT_EQ(WheelLines(remainder, -40), 0);
    EXPECT_EQ(WheelLines(remainder, -40), 0);
    EXPECT_EQ(WheelLines(remainder, -40), 3);
    EXPECT_EQ(remainder, 0);
    EXPECT_EQ(WheelLines(remainder, -60), 0);
    EXPECT_EQ(WheelLines(remainder, 60), 0);  // the other way: the half notch is forgotten
    EXPECT_EQ(WheelLines(remainder, 60), -3);
}

class Keys : public ::testing::Test {
protected:
    THeadlessApp app;
    native::THeadlessBackend& screen = app.Backend();
    TForm* form = nullptr;
    TEdit* edit = nullptr;
    std::vector<std::pair<UINT, WPARAM>> formGot;  // wheel messages the form received
    std::vector<std::string> ran;

    void SetUp() override {
        form = New<TForm>(Application);
        form->SetBorderStyle(bsNone);
        form->SetBounds(100, 100, 400, 300);
        edit = new TEdit(form);
        edit->SetParent(form);
        edit->SetBounds(10, 10, 121, 21);
        edit->SetTabOrder(0);
        form->WindowProc = [this, previous = form->WindowProc](TMessage& m) {
            if (m.Msg == WM_MOUSEWHEEL || m.Msg == WM_MOUSEHWHEEL)
                formGot.emplace_back(m.Msg, m.WParam);
            previous(m);
        };
        form->Show();
        edit->SetFocus();
        app.Run();
    }
};

TEST_F(Keys, AltAndCtrlChordsTypeNothingAndAltGrStillTypes) {
    screen.PressKey('A', 'a');
    screen.KeyDown('F', native::kAlt);
    screen.TypeSysChar('f');
    screen.KeyUp('F', native::kAlt);
    // AltGr+Q on a German keymap: the character comes as text.
    screen.TypeChar('@');
    screen.TypeChar(0x20AC);
    app.Run();
    EXPECT_EQ(edit->Text(), "a@\xE2\x82\xAC");
}

TEST_F(Keys, TheWheelGoesToTheWindowUnderThePointerAndUpToItsParent) {
    // Over the edit field, which does not scroll: passed on to the form.
    TPoint p = edit->ClientToScreen({5, 5});
    screen.Wheel(p.X, p.Y, -WHEEL_DELTA);
    screen.Wheel(p.X, p.Y, 2 * WHEEL_DELTA, true, native::kShift);
    app.Run();
    ASSERT_EQ(formGot.size(), 2u);
    EXPECT_EQ(formGot[0].first, WM_MOUSEWHEEL);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(formGot[0].second), -WHEEL_DELTA);
    EXPECT_EQ(formGot[1].first, WM_MOUSEHWHEEL);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(formGot[1].second), 2 * WHEEL_DELTA);
    EXPECT_EQ(GET_KEYSTATE_WPARAM(formGot[1].second), MK_SHIFT);
}

TEST_F(Keys, APopupMenuRunsTheCommandOfItsAccessLetter) {
    TPopupMenu* menu = new TPopupMenu(form);
    for (const char* caption :
         {"&Settings", "-", "&Users Manual", "&About", "&Resume", "&Quit", "&Save"}) {
        auto* item = new TMenuItem(form);
        item->SetCaption(caption);
        item->OnClick = [this, caption](TObject*) { ran.push_back(caption); };
        menu->Items()->Add(item);
    }
    auto open = [&](std::vector<std::function<void()>> steps) {
        for (size_t i = 0; i < steps.size(); ++i)
            screen.After(10 * int64_t(i + 1), steps[i]);
        menu->Popup(120, 120);
        app.Run();
    };
    open({[&] { screen.TypeChar('a'); }});
    EXPECT_EQ(ran, std::vector<std::string>{"&About"});
    open({[&] { screen.TypeChar('Q'); }});
    EXPECT_EQ(ran.back(), "&Quit");
    // Two commands of one letter: it moves between them, and Return chooses.
    open({[&] { screen.TypeChar('s'); }, [&] { screen.TypeChar('s'); },
          [&] { screen.PressKey(VK_RETURN, '\r'); }});
    EXPECT_EQ(ran.back(), "&Save");
    // A letter of no command does nothing; Escape closes.
    size_t before = ran.size();
    open({[&] { screen.TypeChar('z'); }, [&] { screen.PressKey(VK_ESCAPE); }});
    EXPECT_EQ(ran.size(), before);
}

}  // namespace
