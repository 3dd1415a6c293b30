// Forms laid out at the scale of their monitor: when they are created, when their window
// is made, when it comes to another monitor, and at the user's choice of a scale.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/gfx/scale.h"
#include "platform/ui/button.h"
#include "platform/ui/checkbox.h"
#include "platform/ui/label.h"
#include "platform/ui/listview.h"
#include "platform/ui/menus.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/panel.h"
#include "platform/ui/screen.h"
#include "platform/ui/scrollbar.h"
#include "platform/ui/stylepainter.h"
#include "tests/support/headless_app.h"

namespace {

// A small dialog designed at 96 pixels per inch, like the program's own.
class TDesignForm : public TForm {
public:
    explicit TDesignForm(TComponent* owner, bool scaled = true) : TForm(owner) {
        SetScaled(scaled);
        SetBorderStyle(bsDialog);
        SetClientWidth(537);
        SetClientHeight(322);
        Title = new TPanel(this);
        Title->SetParent(this);
        Title->SetHeight(20);
        Title->SetAlign(alTop);
        Check = new TCheckBox(this);
        Check->SetParent(this);
        Check->SetBounds(8, 40, 257, 17);
        Check->SetText("Always on Top");
        Ok = new TButton(this);
        Ok->SetParent(this);
        Ok->SetBounds(191, 288, 75, 25);
        Ok->SetAnchors(akRight | akBottom);
        Caption = new TLabel(this);
        Caption->SetParent(this);
        Caption->SetBounds(272, 40, 0, 0);
        Caption->SetText("Tarvo's Binary Clock");  // sized to its text
        OnCreate = [this](TObject*) { WidthAtCreate = ClientWidth(); };
    }
    TPanel* Title;
    TCheckBox* Check;
    TButton* Ok;
    TLabel* Caption;
    int WidthAtCreate = 0;
};

constexpr TRect kCheckDesign = TRect{8, 40, 265, 57};
constexpr TRect kOkDesign = TRect{191, 288, 266, 313};

// Whether the form shows its design at a scale.
void ExpectLaidOutAt(const TDesignForm& f, int percent) {
    SCOPED_TRACE(testing::Message() << percent << " %");
    EXPECT_EQ(f.ScalePercent(), percent);
    EXPECT_EQ(f.ClientWidth(), ScaleLength(537, percent));
    EXPECT_EQ(f.ClientHeight(), ScaleLength(322, percent));
    EXPECT_EQ(f.Check->BoundsRect(), ScaleRect(kCheckDesign, percent));
    EXPECT_EQ(f.Ok->BoundsRect(), ScaleRect(kOkDesign, percent));  // anchors moved nothing
    EXPECT_EQ(f.Title->BoundsRect(),
              (TRect{0, 0, ScaleLength(537, percent), ScaleLength(20, percent)}));
    for (const TControl* c :
         {static_cast<const TControl*>(&f), static_cast<const TControl*>(f.Check),
          static_cast<const TControl*>(f.Caption)}) {
        EXPECT_EQ(c->ScalePercent(), percent);
        EXPECT_EQ(c->Font().Size(), 8);
        EXPECT_EQ(c->Font().PixelsPerInch(), PixelsPerInchOfScale(percent));
    }
    // A label sized to its text takes the size of its text at the new font.
    const TFontFace& face = f.Caption->Font().Face();
    EXPECT_EQ(f.Caption->Width(), face.TextWidth("Tarvo's Binary Clock"));
    EXPECT_EQ(f.Caption->Height(), face.Metrics().Height());
    EXPECT_EQ(f.Caption->Left(), ScaleLength(272, percent));
}

TEST(FormScale, AFormLaysItsDesignOutForTheDensityOfItsMonitorBeforeOnCreate) {
    const struct {
        int ppi, percent, fontHeight;
    } cases[] = {
        {96, 100, -11},  {120, 125, -13}, {144, 150, -16}, {192, 200, -21},
        {288, 300, -32}, {110, 125, -13}};  // a density between the steps takes the nearest quarter
    for (const auto& c : cases) {
        THeadlessApp app({4000, 3000}, c.ppi);
        auto* f = New<TDesignForm>(Application);
        ExpectLaidOutAt(*f, c.percent);
        EXPECT_EQ(f->WidthAtCreate, ScaleLength(537, c.percent));
        EXPECT_EQ(f->PixelsPerInch(), c.ppi);
        EXPECT_EQ(f->Check->Font().Height(), c.fontHeight) << c.ppi;
        f->Free();
    }
}

TEST(FormScale, AFormThatIsNotScaledStaysAsDesigned) {
    THeadlessApp app({4000, 3000}, 192);
    auto* f = New<TDesignForm>(Application, false);
    EXPECT_EQ(f->ScalePercent(), 100);
    EXPECT_EQ(f->ClientWidth(), 537);
    EXPECT_EQ(f->Check->BoundsRect(), kCheckDesign);
    EXPECT_EQ(f->Check->Font().Height(), -11);
    EXPECT_EQ(f->PixelsPerInch(), 96);
    f->Show();
    EXPECT_EQ(f->ClientWidth(), 537);  // made on the dense monitor: still as designed
    f->Free();
}

TEST(FormScale, AControlPutIntoAScaledFormTakesItsScale) {
    THeadlessApp app({4000, 3000}, 192);
    auto* f = New<TDesignForm>(Application);
    auto* late = new TCheckBox(f);  // 97 x 17 by default, at 100 %
    EXPECT_EQ(late->ScalePercent(), 100);
    late->SetParent(f);
    EXPECT_EQ(late->ScalePercent(), 200);
    EXPECT_EQ(late->Width(), 194);
    EXPECT_EQ(late->Height(), 34);
    EXPECT_EQ(late->Font().Height(), -21);
    EXPECT_EQ(late->ScaleValue(kGlyphTextLeft), 34);
    late->SetBounds(10, 10, 300, 40);  // the form's pixels from now on
    EXPECT_EQ(late->BoundsRect(), TRect::FromSize(10, 10, 300, 40));
    f->Free();
}

// Two monitors side by side: 96 dpi on the left, 192 dpi on the right.
class TwoMonitors : public ::testing::Test {
protected:
    THeadlessApp app{{3000, 2000}, 96};
    native::THeadlessBackend& screen = app.Backend();
    void SetUp() override {
        screen.SetMonitors({{{0, 0, 1000, 800}, 96}, {{1000, 0, 3000, 2000}, 192}});
        app.Run();
    }
    static TPoint Centre(const TControl& c) {
        return {c.Left() + c.Width() / 2, c.Top() + c.Height() / 2};
    }
};

TEST_F(TwoMonitors, AWindowThatComesToAMonitorOfAnotherDensityIsLaidOutAgainThere) {
    auto* f = New<TDesignForm>(Application);
    std::vector<std::pair<int, int>> changes;
    f->OnAfterMonitorDpiChanged = [&](TObject*, int oldDpi, int newDpi) {
        changes.emplace_back(oldDpi, newDpi);
    };
    f->SetBounds(100, 100, f->Width(), f->Height());
    f->Show();
    ExpectLaidOutAt(*f, 100);
    // The window manager moves it (the user drags its frame) so that its centre is on the
    // right: twice the size, about the centre of the window system's suggestion.
    screen.MoveByWindowManager(NativeWindow(f->Handle()), TRect::FromSize(900, 300, 537, 322));
    app.Run();
    ExpectLaidOutAt(*f, 200);
    EXPECT_NEAR(Centre(*f).X, 900 + 268, 1);  // the suggestion's rounding
    EXPECT_NEAR(Centre(*f).Y, 300 + 161, 1);
    EXPECT_EQ(f->PixelsPerInch(), 192);
    EXPECT_EQ(changes, (std::vector<std::pair<int, int>>{{96, 192}}));
    // Its own move back to the left: the design again, exactly.
    f->SetBounds(100, 100, f->Width(), f->Height());
    app.Run();
    ExpectLaidOutAt(*f, 100);
    EXPECT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[1], std::make_pair(192, 96));
    // And it draws at its new size.
    EXPECT_EQ(WindowFrame(f->Handle())->Width(), 537);
    f->Free();
}

TEST_F(TwoMonitors, AWindowSystemThatReportsDensitiesItselfIsTheOnlyOneHeard) {
    // As on Windows: moves alone change nothing; the system's own report, with the bounds
    // it gave the window, lays the form out again, centred in them.
    screen.SetReportsDensityChanges(true);
    auto* f = New<TDesignForm>(Application);
    std::vector<std::pair<int, int>> changes;
    f->OnAfterMonitorDpiChanged = [&](TObject*, int oldDpi, int newDpi) {
        changes.emplace_back(oldDpi, newDpi);
    };
    f->SetBounds(100, 100, f->Width(), f->Height());
    f->Show();
    f->SetBounds(1500, 100, f->Width(), f->Height());
    screen.MoveByWindowManager(NativeWindow(f->Handle()), TRect::FromSize(1600, 200, 537, 322));
    app.Run();
    ExpectLaidOutAt(*f, 100);
    EXPECT_TRUE(changes.empty());
    const TRect suggested = TRect::FromSize(1400, 100, 1080, 650);  // a frame's worth larger
    screen.ChangeDensityBySystem(NativeWindow(f->Handle()), suggested, 192);
    app.Run();
    ExpectLaidOutAt(*f, 200);
    EXPECT_EQ(f->BoundsRect(), TRect::FromSize(1400 + 3, 100 + 3, 1074, 644));
    EXPECT_EQ(GetDpiForWindow(f->Handle()), 192u);
    EXPECT_EQ(changes, (std::vector<std::pair<int, int>>{{96, 192}}));
    f->Free();
}

TEST_F(TwoMonitors, AFormPlacedOnAnotherMonitorIsLaidOutForItWhenItsWindowIsMade) {
    auto* f = New<TDesignForm>(Application);  // for the primary monitor: 100 %
    ExpectLaidOutAt(*f, 100);
    f->SetBounds(1500, 400, f->Width(), f->Height());
    const TPoint centre = Centre(*f);
    f->Show();
    ExpectLaidOutAt(*f, 200);
    EXPECT_EQ(Centre(*f), centre);
    f->Free();
}

TEST_F(TwoMonitors, ADialogTakesTheDensityOfItsOwnersMonitor) {
    auto* owner = New<TForm>(Application);
    owner->SetBounds(1200, 100, 150, 90);
    owner->Show();
    auto* dialog = New<TDesignForm>(owner);
    ExpectLaidOutAt(*dialog, 200);
    dialog->Free();
    owner->Free();
}

TEST_F(TwoMonitors, APopupMenuTakesTheScaleOfTheMonitorItOpensOn) {
    auto* owner = New<TForm>(Application);
    auto* menu = new TPopupMenu(owner);
    std::vector<std::string> ran;
    for (const char* caption : {"Settings", "-", "About", "Quit"}) {
        auto* item = new TMenuItem(owner);
        item->SetCaption(caption);
        item->OnClick = [&ran, caption](TObject*) { ran.push_back(caption); };
        menu->Items()->Add(item);
    }
    struct {
        TPoint at;
        int percent;
    } const cases[] = {{{100, 100}, 100}, {{1200, 100}, 200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.percent << " %");
        auto scaled = [&](int length) { return ScaleLength(length, c.percent); };
        TRect shown;
        screen.After(10, [&] {
            GetWindowRect(menu->WindowHandle(), &shown);
            // "Settings", the widest caption, in the fixed font at 8 points.
            const int textWidth = 8 * ((6 * (c.percent == 100 ? 11 : 21) + 5) / 11);
            EXPECT_EQ(shown.Width(), 2 * scaled(kMenuBorder) + scaled(kMenuTextLeft) + textWidth +
                                         scaled(kMenuTextRight));
            EXPECT_EQ(shown.Height(), 2 * scaled(kMenuBorder) + 3 * scaled(kMenuItemHeight) +
                                          scaled(kMenuSeparatorHeight));
            // A click in the middle of the third row chooses "About".
            const int y = shown.Top + scaled(kMenuBorder) + scaled(kMenuItemHeight) +
                          scaled(kMenuSeparatorHeight) + scaled(kMenuItemHeight) / 2;
            screen.Click(shown.Left + shown.Width() / 2, y);
        });
        menu->Popup(c.at.X, c.at.Y);
        EXPECT_EQ(shown.TopLeft(), c.at);
    }
    EXPECT_EQ(ran, (std::vector<std::string>{"About", "About"}));
    owner->Free();
}

TEST_F(TwoMonitors, AMessageBoxIsLaidOutAtItsOwnersScale) {
    for (int left : {100, 1200}) {
        const int percent = left < 1000 ? 100 : 200;
        SCOPED_TRACE(testing::Message() << percent << " %");
        auto* owner = New<TForm>(Application);
        owner->SetBounds(left, 100, 300, 200);
        owner->Show();
        std::vector<TRect> buttons;
        TFont font;
        screen.After(10, [&] {
            for (TCustomForm* f : Screen->Forms())
                if (f->Visible() && f->Text() == "Question")
                    for (int i = 0; i < f->ControlCount(); ++i) {
                        if (dynamic_cast<TButton*>(f->Controls(i)))
                            buttons.push_back(f->Controls(i)->BoundsRect());
                        if (dynamic_cast<TLabel*>(f->Controls(i))) font = f->Controls(i)->Font();
                    }
            screen.PressKey(VK_ESCAPE);
        });
        EXPECT_EQ(MessageBoxA(owner->Handle(), "Save the changes?", "Question", MB_YESNOCANCEL),
                  IDCANCEL);
        ASSERT_EQ(buttons.size(), 3u);
        for (const TRect& b : buttons) {
            EXPECT_EQ(b.Width(), ScaleLength(75, percent));
            EXPECT_EQ(b.Height(), ScaleLength(23, percent));
        }
        EXPECT_EQ(buttons[1].Left - buttons[0].Right, ScaleLength(6, percent));
        EXPECT_EQ(font.Size(), 8);
        EXPECT_EQ(font.PixelsPerInch(), PixelsPerInchOfScale(percent));
        owner->Free();
    }
}

TEST(FormScale, AListScalesItsColumnsAndScrollBarWithItself) {
    THeadlessApp app({4000, 3000}, 192);
    auto* f = New<TForm>(Application);
    auto* list = new TListView(f);
    list->AddColumn("Name", 120);
    list->AddColumn("Size", 60, taRightJustify);
    list->SetParent(f);  // from here on at 200 %
    list->SetBounds(10, 10, 500, 300);
    for (int i = 0; i < 40; ++i)
        list->Add("Row " + std::to_string(i), {std::to_string(i)});
    f->Show();
    app.Run();
    EXPECT_EQ(list->Columns()[0].Width, 240);
    EXPECT_EQ(list->Columns()[1].Width, 120);
    ASSERT_TRUE(list->ScrollBarVisible());
    EXPECT_EQ(list->ScrollBar()->Width(), 32);
    EXPECT_EQ(list->HeaderRect(),
              (TRect{4, 4, 500 - 4 - 32, 4 + list->Font().Face().Metrics().Height() + 8}));
    EXPECT_EQ(list->RowHeight(), list->Font().Face().Metrics().Height() + 6);
    f->Free();
}

}  // namespace
