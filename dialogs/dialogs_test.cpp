// The settings dialog and the About box on their own: their controls as laid out, the
// translation between format items and clock types, the keys, and their links.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/faboutclock.h"
#include "dialogs/fclockconfig.h"
#include "dialogs/product.h"
#include "platform/gfx/scale.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/screen.h"
#include "tests/support/caption_fit.h"
#include "tests/support/headless_app.h"
#include "tests/support/shell_recorder.h"
#include "tests/support/tempconfighome.h"

namespace {

struct TPlaced {
    const char* Name;
    TControl* Control;
    TRect Bounds;
    std::string Caption;
    int TabOrder;  // -1: not a tab stop
};

class Dialogs : public ::testing::Test {
protected:
    THeadlessApp app;
    native::THeadlessBackend& screen = app.Backend();

    template <class T>
    T* Make() {
        T* dialog = New<T>(Application);
        dialogs_.push_back(dialog);
        return dialog;
    }
    void TearDown() override {
        for (TForm* d : dialogs_)
            d->Free();
    }
    // Shows the dialog modally, runs steps meanwhile (one each 20 ms of virtual time) and
    // returns the modal result.
    int ShowModalWith(TForm* dialog, std::vector<std::function<void()>> steps) {
        int64_t at = app.Now();
        for (auto& step : steps)
            screen.At(at += 20, step);
        return dialog->ShowModal();
    }
    void Click(TControl* control, TPoint at) {
        TPoint p = control->ClientToScreen(at);
        screen.Click(p.X, p.Y);
    }

    std::vector<TForm*> dialogs_;
};

TEST_F(Dialogs, TheSettingsDialogHasEveryControlWhereItBelongs) {
    auto* d = Make<TFormClockConfig>();
    EXPECT_EQ(d->Caption(), "Clock Settings");
    EXPECT_EQ(d->BorderStyle(), bsDialog);
    // The design's 537 x 322, grown by a column for the size; nothing else moved.
    EXPECT_EQ(d->ClientWidth(), 633);
    EXPECT_EQ(d->ClientHeight(), 322);
    const std::vector<TPlaced> expected = {
        {"CheckBox24Hour",
         d->CheckBox24Hour,
         {8, 16, 265, 33},
         "24 Hour Mode (un-check for 12-hour mode)",
         0},
        {"CheckBoxAutoLoad",
         d->CheckBoxAutoLoad,
         {8, 40, 265, 57},
         "Auto-Load on Window Startup",
         1},
        {"CheckBoxOnTop", d->CheckBoxOnTop, {8, 64, 265, 81}, "Always on Top", 2},
        {"ButtonOk", d->ButtonOk, {191, 288, 266, 313}, "Ok", 3},
        {"ButtonCancel", d->ButtonCancel, {271, 288, 346, 313}, "Cancel", 4},
        {"RadioGroupType", d->RadioGroupType, {8, 184, 265, 281}, "Clock Format", 5},
        {"CheckBoxBcd", d->CheckBoxBcd, {8, 112, 265, 129}, "BCD digits instead of binary", 6},
        {"RadioGroupColor", d->RadioGroupColor, {272, 8, 397, 65}, "LED Color", 7},
        {"RadioGroupShape", d->RadioGroupShape, {404, 8, 529, 65}, "LED Shape", 8},
        {"CheckBoxHideTask",
         d->CheckBoxHideTask,
         {8, 88, 265, 105},
         "Hide Taskbar Button (takes effect after restart)",
         9},
        {"RadioGroupBack", d->RadioGroupBack, {272, 72, 529, 153}, "Background", 10},
        {"CheckBoxMoveAround",
         d->CheckBoxMoveAround,
         {8, 40, 249, 57},
         "Move clock around screen",
         11},
        {"CheckBoxBcdHide", d->CheckBoxBcdHide, {8, 136, 265, 153}, "Hide unused BCD leds", 12},
        {"CheckBoxSecondsHide",
         d->CheckBoxSecondsHide,
         {8, 160, 265, 177},
         "Hide 'seconds' digits",
         14},
        {"RadioGroupSize", d->RadioGroupSize, {536, 8, 625, 105}, "Size", 15},
        {"Label1",
         d->Label1,
         {272, 160, 517, 209},
         "In my opinion, the round LEDs look best with the flat black background. The other LED "
         "shapes "
         "(square, rect) look good with any background.",
         -1},
    };
    for (const TPlaced& p : expected) {
        SCOPED_TRACE(p.Name);
        EXPECT_EQ(p.Control->BoundsRect(), p.Bounds);
        EXPECT_EQ(p.Control->Caption(), p.Caption);
        if (auto* w = dynamic_cast<TWinControl*>(p.Control); w && p.TabOrder >= 0) {
            EXPECT_TRUE(w->TabStop());
            EXPECT_EQ(w->TabOrder(), p.TabOrder);
        }
    }
    EXPECT_EQ(d->HtmlLabel1->BoundsRect(), (TRect{272, 208, 529, 257}));
    EXPECT_EQ(d->HtmlLabel1->Cursor(), crHandPoint);
    EXPECT_FALSE(d->CheckBoxMoveAround->Visible());
    EXPECT_TRUE(d->ButtonOk->Default());
    EXPECT_TRUE(d->ButtonCancel->Cancel());
    EXPECT_EQ(d->RadioGroupType->Items(),
              (std::vector<std::string>{"Large Standard", "Small Standard", "Tiny Standard",
                                        "Dip Switch", "Large Horiz", "Small Horiz", "Tiny Horiz"}));
    EXPECT_EQ(d->RadioGroupType->Columns(), 2);
    EXPECT_EQ(d->RadioGroupColor->Items(),
              (std::vector<std::string>{"Red", "Blue", "Amber", "Green"}));
    EXPECT_EQ(d->RadioGroupShape->Items(), (std::vector<std::string>{"Round", "Square", "Rect"}));
    EXPECT_EQ(
        d->RadioGroupBack->Items(),
        (std::vector<std::string>{"Flat Black", "Brushed Aluminum", "Mahogany", "Transparent"}));
    EXPECT_EQ(d->RadioGroupBack->Columns(), 1);
    EXPECT_EQ(d->RadioGroupSize->Items(),
              (std::vector<std::string>{"Automatic", "100 %", "150 %", "200 %", "300 %"}));
    EXPECT_EQ(d->RadioGroupSize->Columns(), 1);
}

TEST_F(Dialogs, SizeItemsTranslateToScalesBothWays) {
    auto* d = Make<TFormClockConfig>();
    const int scaleOfItem[5] = {0, 100, 150, 200, 300};
    for (int item = 0; item < 5; ++item) {
        d->RadioGroupSize->SetItemIndex(item);
        EXPECT_EQ(d->GetSelectedScale(), scaleOfItem[item]) << item;
        d->SelectScale(scaleOfItem[item]);
        EXPECT_EQ(d->RadioGroupSize->ItemIndex(), item) << item;
    }
    // A scale that no item offers selects none, and none reads as -1.
    for (int scale : {125, 250, 400, -1}) {
        d->SelectScale(300);
        d->SelectScale(scale);
        EXPECT_EQ(d->RadioGroupSize->ItemIndex(), -1) << scale;
        EXPECT_EQ(d->GetSelectedScale(), -1) << scale;
    }
}

TEST_F(Dialogs, FormatItemsTranslateToClockTypesBothWays) {
    auto* d = Make<TFormClockConfig>();
    // Item index -> clock type; SelectType goes the other way.
    const int typeOfItem[7] = {0, 1, 2, 6, 3, 4, 5};
    for (int item = 0; item < 7; ++item) {
        d->RadioGroupType->SetItemIndex(item);
        EXPECT_EQ(d->GetSelectedType(), typeOfItem[item]) << item;
        d->SelectType(typeOfItem[item]);
        EXPECT_EQ(d->RadioGroupType->ItemIndex(), item) << item;
    }
    // Values outside 0..6 go to the radio group as they are, and it clamps them.
    for (auto [type, item] : {std::pair{7, 6}, {100, 6}, {-1, -1}, {-5, -1}}) {
        d->SelectType(type);
        EXPECT_EQ(d->RadioGroupType->ItemIndex(), item) << type;
    }
    EXPECT_EQ(d->GetSelectedType(), -1);
}

TEST_F(Dialogs, TabVisitsTheControlsInTheirOrderAndSkipsTheHiddenBox) {
    auto* d = Make<TFormClockConfig>();
    std::vector<TWinControl*> visited;
    std::vector<std::function<void()>> steps;
    for (int i = 0; i < 16; ++i)
        steps.push_back([&] {
            for (int c = 0; c < d->ControlCount(); ++c)
                if (auto* w = dynamic_cast<TWinControl*>(d->Controls(c)); w && w->Focused())
                    visited.push_back(w);
            screen.PressKey(VK_TAB, '\t');
        });
    steps.push_back([&] { screen.PressKey(VK_ESCAPE); });
    EXPECT_EQ(ShowModalWith(d, steps), mrCancel);
    const std::vector<TWinControl*> order = {
        d->CheckBox24Hour,      d->CheckBoxAutoLoad, d->CheckBoxOnTop,  d->ButtonOk,
        d->ButtonCancel,        d->RadioGroupType,   d->CheckBoxBcd,    d->RadioGroupColor,
        d->RadioGroupShape,     d->CheckBoxHideTask, d->RadioGroupBack, d->CheckBoxBcdHide,
        d->CheckBoxSecondsHide, d->RadioGroupSize,   d->CheckBox24Hour, d->CheckBoxAutoLoad};
    EXPECT_EQ(visited, order);
}

TEST_F(Dialogs, EnterChecksAndAcceptsEscAndTheCloseBoxCancel) {
    auto* d = Make<TFormClockConfig>();
    d->SelectType(0);
    EXPECT_EQ(ShowModalWith(d, {[&] { screen.PressKey(VK_RETURN, '\r'); }}), mrOk);
    EXPECT_EQ(ShowModalWith(d, {[&] { screen.PressKey(VK_ESCAPE); }}), mrCancel);
    EXPECT_EQ(ShowModalWith(d, {[&] { screen.RequestClose(NativeWindow(d->Handle())); }}),
              mrCancel);
    // Esc cancels without the check: BCD with Dip Switch shows no message. The forms are
    // counted in the step after Esc: inside the message box's loop if Esc showed one, after
    // the dialog closed otherwise; a box left up is answered so that the dialog can close.
    d->CheckBoxBcd->SetChecked(true);
    d->SelectType(6);
    int forms = 0;
    EXPECT_EQ(ShowModalWith(d, {[&] { screen.PressKey(VK_ESCAPE); },
                                [&] {
                                    forms = Screen->FormCount();
                                    if (forms > 1) screen.PressKey(VK_RETURN, '\r');
                                },
                                [&] {
                                    if (d->Visible()) d->SetModalResult(mrCancel);
                                }}),
              mrCancel);
    app.Run(100);  // the steps the closed dialog left
    EXPECT_EQ(forms, 1) << "no message box over the dialog";
    // Without BCD every format is accepted.
    d->CheckBoxBcd->SetChecked(false);
    for (int type = 0; type < 7; ++type) {
        d->SelectType(type);
        EXPECT_EQ(ShowModalWith(d, {[&] { screen.PressKey(VK_RETURN, '\r'); }}), mrOk) << type;
    }
}

TEST_F(Dialogs, TheLinksOpenTheirPages) {
    TTempConfigHome home;
    ztest::TShellRecorder shell(home.Root());
    auto* settings = Make<TFormClockConfig>();
    auto* about = Make<TFormAboutClock>();
    struct TLinkRow {
        TForm* Dialog;
        TControl* Link;
        const char* Address;
    };
    const TLinkRow rows[] = {
        {settings, settings->HtmlLabel1, "https://www.zentick.org/donate"},
        {about, about->LabelUrl, "https://www.zentick.org/"},
        {about, about->Label6, "https://www.zentick.org/hexedit/"},
        {about, about->Label3, "https://www.zentick.org/shaped/"},
        {about, about->Label4, "https://www.zentick.org/components/"},
        {about, about->Label2, "https://www.zentick.org/releases/"},
        {about, about->Label5, "https://www.zentick.org/issues/"},
    };
    // One link at a time: the openers run side by side, so the order they print in is not
    // the order of the clicks.
    for (const TLinkRow& row : rows) {
        SCOPED_TRACE(row.Address);
        shell.Begin();
        TPoint at =
            row.Link == settings->HtmlLabel1 ? TPoint{20, 5} : TPoint{row.Link->Width() / 2, 6};
        ShowModalWith(row.Dialog, {[&] { Click(row.Link, at); },
                                   [&] { row.Dialog->SetModalResult(mrCancel); }});
        EXPECT_EQ(shell.End(), std::vector<std::string>{row.Address});
    }
}

TEST_F(Dialogs, TheAboutBoxShowsNameVersionAndLinksAndOnlyOkCloses) {
    auto* d = Make<TFormAboutClock>();
    EXPECT_EQ(d->Caption(), "About Tarvo's Binary Clock");
    EXPECT_EQ(d->ClientWidth(), 396);
    EXPECT_EQ(d->ClientHeight(), 305);
    EXPECT_EQ(d->LabelProgName->Caption(), "Tarvo's Binary Clock ver 2.0");
    EXPECT_EQ(d->LabelUrl->Caption(), kProductUrl);
    EXPECT_FALSE(d->LabelCopyright->Caption().empty());
    struct TRow {
        TLabel* Label;
        int Top, Height;
        bool Link;
    };
    for (const TRow& row : {TRow{d->LabelProgName, 24, 13, false},
                            TRow{d->LabelCopyright, 40, 13, false}, TRow{d->LabelUrl, 56, 13, true},
                            TRow{d->Label1, 80, 49, false}, TRow{d->Label6, 136, 13, true},
                            TRow{d->Label3, 152, 13, true}, TRow{d->Label4, 168, 13, true},
                            TRow{d->Label2, 184, 13, true}, TRow{d->Label5, 200, 13, true}}) {
        SCOPED_TRACE(row.Label->Caption());
        EXPECT_EQ(row.Label->BoundsRect(), TRect::FromSize(8, row.Top, 377, row.Height));
        EXPECT_EQ(row.Link, row.Label->Cursor() == crHandPoint);
        EXPECT_EQ(row.Link, d->LinkAddress(row.Label) != nullptr);
        if (row.Link) {
            EXPECT_EQ(row.Label->Font().Color(), clBlue);
        }
    }
    EXPECT_EQ(d->ButtonOk->BoundsRect(), TRect::FromSize(160, 272, 75, 25));
    // Esc and Tab leave it open; Enter closes it with Ok.
    bool openAfterEsc = false;
    EXPECT_EQ(ShowModalWith(d, {[&] { screen.PressKey(VK_ESCAPE); },
                                [&] {
                                    openAfterEsc = d->Visible();
                                    screen.PressKey(VK_TAB, '\t');
                                },
                                [&] { screen.PressKey(VK_RETURN, '\r'); }}),
              mrOk);
    EXPECT_TRUE(openAfterEsc);
}

// ---- At every scale ---------------------------------------------------------------------

constexpr int kScales[] = {100, 125, 150, 200, 300};

// Every control inside parent, depth first, with its bounds.
void CollectControls(const TWinControl& parent, std::vector<const TControl*>& out) {
    for (int i = 0; i < parent.ControlCount(); ++i) {
        out.push_back(parent.Controls(i));
        if (auto* inner = dynamic_cast<const TWinControl*>(parent.Controls(i)))
            CollectControls(*inner, out);
    }
}

// The markup label's text, laid out: its last line must end above the label's bottom.
std::optional<std::string> HtmlLabelFits(const TControl& c) {
    auto* label = dynamic_cast<const THtmlLabel*>(&c);
    if (!label) return std::nullopt;
    auto& measured = const_cast<THtmlLabel&>(*label);
    measured.GetExtent();
    if (measured.PenY() + measured.LineHeight() <= measured.Height() &&
        (measured.PenY() > 0 || measured.PenX() <= measured.Width()))
        return std::nullopt;
    return c.Name() + ": the markup text ends at (" + std::to_string(measured.PenX()) + ", " +
           std::to_string(measured.PenY() + measured.LineHeight()) + ")";
}

// Opens a dialog on a screen of each scale, with the fonts the program is installed with:
// the form and every control are the design (as laid out at 100 %) at that scale, and
// every caption fits.
template <class T>
void ExpectTheDesignAtEveryScale() {
    TSize designClient;
    std::vector<TRect> design;
    for (int percent : kScales) {
        SCOPED_TRACE(testing::Message() << percent << " %");
        THeadlessApp app({4000, 3000}, PixelsPerInchOfScale(percent));
        SetFontProvider(CreateSystemFontProvider());
        T* d = New<T>(Application);
        std::vector<const TControl*> controls;
        CollectControls(*d, controls);
        if (percent == 100) {
            designClient = {d->ClientWidth(), d->ClientHeight()};
            for (const TControl* c : controls)
                design.push_back(c->BoundsRect());
        }
        EXPECT_EQ(d->ClientWidth(), ScaleLength(designClient.cx, percent));
        EXPECT_EQ(d->ClientHeight(), ScaleLength(designClient.cy, percent));
        ASSERT_EQ(controls.size(), design.size());
        for (size_t i = 0; i < controls.size(); ++i) {
            const TRect expected = ScaleRect(design[i], percent);
            auto* label = dynamic_cast<const TLabel*>(controls[i]);
            if (label && label->AutoSize()) {
                // Sized to its text at the new font: only its place is the design's.
                EXPECT_EQ(controls[i]->BoundsRect().TopLeft(), expected.TopLeft())
                    << controls[i]->Name();
            } else {
                EXPECT_EQ(controls[i]->BoundsRect(), expected) << controls[i]->Name();
            }
        }
        EXPECT_EQ(ClippedCaptions(*d, HtmlLabelFits), std::vector<std::string>{});
        d->Free();
    }
    SetFontProvider(CreateFixedFontProvider());
}

TEST(DialogScale, TheSettingsDialogIsItsDesignAtEveryScaleWithNothingClipped) {
    ExpectTheDesignAtEveryScale<TFormClockConfig>();
}

TEST(DialogScale, TheAboutBoxIsItsDesignAtEveryScaleWithNothingClipped) {
    ExpectTheDesignAtEveryScale<TFormAboutClock>();
}

TEST(DialogScale, TheSettingsDialogsRefusalFitsItsBoxAtEveryScale) {
    for (int percent : kScales) {
        SCOPED_TRACE(testing::Message() << percent << " %");
        THeadlessApp app({4000, 3000}, PixelsPerInchOfScale(percent));
        SetFontProvider(CreateSystemFontProvider());
        auto* d = New<TFormClockConfig>(Application);
        d->CheckBoxBcd->SetChecked(true);
        d->SelectType(6);
        std::vector<std::string> clipped = {"(no box)"};
        int boxScale = 0;
        app.Backend().After(20, [&] { d->ButtonOk->Click(); });
        app.Backend().After(40, [&] {
            for (TCustomForm* f : Screen->Forms())
                if (f->Visible() && f->Text() == "Error") {
                    clipped = ClippedCaptions(*f);
                    boxScale = f->ScalePercent();
                }
            app.Backend().PressKey(VK_RETURN);
        });
        app.Backend().After(60, [&] { d->SetModalResult(mrCancel); });
        d->ShowModal();
        EXPECT_EQ(boxScale, percent);
        EXPECT_EQ(clipped, std::vector<std::string>{});
        d->Free();
    }
    SetFontProvider(CreateFixedFontProvider());
}

}  // namespace
