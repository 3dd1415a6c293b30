#include "platform/ui/menubar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/form.h"
#include "tests/support/headless_app.h"

namespace {

class MainMenu : public ::testing::Test {
protected:
    THeadlessApp app;
    native::THeadlessBackend& screen = app.Backend();
    TForm* form = nullptr;
    TMainMenu* bar = nullptr;
    TCustomControl* control = nullptr;  // has the focus
    std::vector<std::string> ran;       // the commands run, in order
    std::vector<uint16_t> controlKeys;  // the keys the focused control saw
    TMenuItem* save = nullptr;
    TMenuItem* undo = nullptr;

    void SetUp() override {
        form = New<TForm>(Application);
        form->SetBounds(100, 100, 400, 300);
        bar = new TMainMenu(form);
        Title("File", {{"Open...", scCtrl | 'O'}, {"Save", scCtrl | 'S'}, {"-", 0}, {"Exit", 0}});
        Title("Edit", {{"Undo", scCtrl | 'Z'}, {"Redo", scCtrl | 'Y'}});
        Title("View", {{"Next", VK_F1 + 2}});
        save = bar->Items()->Items(0)->Items(1);
        undo = bar->Items()->Items(1)->Items(0);
        control = new TCustomControl(form);
        control->SetParent(form);
        control->SetBounds(10, 40, 100, 30);
        control->SetTabStop(true);
        control->OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
            controlKeys.push_back(key);
        };
        form->Show();
        control->SetFocus();
        app.Run();
    }

    void Title(const std::string& caption,
               const std::vector<std::pair<std::string, TShortCut>>& items) {
        auto* title = new TMenuItem(form);
        title->SetCaption(caption);
        for (const auto& [itemCaption, shortCut] : items) {
            auto* item = new TMenuItem(form);
            item->SetCaption(itemCaption);
            item->SetShortCut(shortCut);
            item->OnClick = [this, name = itemCaption](TObject*) { ran.push_back(name); };
            title->Add(item);
        }
        bar->Items()->Add(title);
    }

    // Runs the steps 10 ms apart on the virtual clock, from 10 ms from now, and the loops
    // until they have all run.
    void RunSteps(const std::vector<std::function<void()>>& steps) {
        for (size_t i = 0; i < steps.size(); ++i)
            screen.After(10 * int64_t(i + 1), steps[i]);
        app.Run(10 * int64_t(steps.size()) + 50);
    }

    TPoint TitlePoint(int index) const {
        TRect r = bar->TitleRect(index);
        return bar->ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
    }
    TRect MenuRect() const {
        TRect r;
        GetWindowRect(bar->MenuWindow(), &r);
        return r;
    }
    void Press(int key, unsigned modifiers = 0) { screen.PressKey(key, 0, modifiers); }
};

TEST_F(MainMenu, SitsAlongTheTopOfItsFormAsItsMenu) {
    EXPECT_EQ(form->Menu(), bar);
    EXPECT_EQ(bar->Parent(), form);
    EXPECT_EQ(bar->BoundsRect(), TRect::FromSize(0, 0, form->ClientWidth(), bar->Height()));
    // Titles side by side, each its caption (6 pixels a character) with room both sides.
    EXPECT_EQ(bar->TitleRect(0), (TRect{0, 0, 4 * 6 + 12, bar->Height()}));
    EXPECT_EQ(bar->TitleRect(1).Left, bar->TitleRect(0).Right);
    bar->Items()->Items(1)->SetVisible(false);
    EXPECT_TRUE(bar->TitleRect(1).IsEmpty());
    EXPECT_EQ(bar->TitleRect(2).Left, bar->TitleRect(0).Right);
}

TEST_F(MainMenu, AClickOnATitleOpensItsMenuBelowIt) {
    for (int title = 0; title < 3; ++title) {
        SCOPED_TRACE(title);
        int open = -1;
        TRect menu;
        TPoint p = TitlePoint(title);
        RunSteps({[&] { screen.Click(p.X, p.Y); },
                  [&] {
                      open = bar->OpenIndex();
                      menu = MenuRect();
                  },
                  [&] { Press(VK_ESCAPE); }});
        EXPECT_EQ(open, title);
        EXPECT_EQ(menu.TopLeft(), bar->ClientToScreen({bar->TitleRect(title).Left, bar->Height()}));
        EXPECT_EQ(bar->OpenIndex(), -1);
        EXPECT_EQ(bar->MenuWindow(), nullptr);
    }
    EXPECT_TRUE(ran.empty());
}

TEST_F(MainMenu, AChosenCommandRunsOnceTheMenuHasClosed) {
    int openWhenRun = -2;
    HWND windowWhenRun = reinterpret_cast<HWND>(1);
    save->OnClick = [&](TObject*) {
        ran.push_back("Save");
        openWhenRun = bar->OpenIndex();
        windowWhenRun = bar->MenuWindow();
    };
    TPoint p = TitlePoint(0);
    RunSteps({[&] { screen.Click(p.X, p.Y); }, [&] { Press(VK_DOWN); }, [&] { Press(VK_DOWN); },
              [&] { Press(VK_RETURN); }});
    EXPECT_EQ(ran, (std::vector<std::string>{"Save"}));
    EXPECT_EQ(openWhenRun, -1);
    EXPECT_EQ(windowWhenRun, nullptr);
}

TEST_F(MainMenu, LeftAndRightMoveToTheNeighbouringMenusAndWrap) {
    std::vector<int> seen;
    std::vector<TPoint> corners;
    auto look = [&] {
        seen.push_back(bar->OpenIndex());
        corners.push_back(MenuRect().TopLeft());
    };
    TPoint p = TitlePoint(0);
    RunSteps({[&] { screen.Click(p.X, p.Y); }, look, [&] { Press(VK_RIGHT); }, look,
              [&] { Press(VK_RIGHT); }, look, [&] { Press(VK_RIGHT); }, look,
              [&] { Press(VK_LEFT); }, look, [&] { Press(VK_ESCAPE); }});
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 0, 2}));
    for (size_t i = 0; i < seen.size(); ++i)
        EXPECT_EQ(corners[i].X, bar->ClientToScreen({bar->TitleRect(seen[i]).Left, 0}).X);
    EXPECT_EQ(bar->OpenIndex(), -1);
    EXPECT_TRUE(ran.empty());
}

TEST_F(MainMenu, LeftAndRightSkipDisabledTitles) {
    bar->Items()->Items(1)->SetEnabled(false);
    std::vector<int> seen;
    TPoint p = TitlePoint(0);
    RunSteps({[&] { screen.Click(p.X, p.Y); }, [&] { Press(VK_RIGHT); },
              [&] { seen.push_back(bar->OpenIndex()); }, [&] { Press(VK_ESCAPE); }});
    EXPECT_EQ(seen, (std::vector<int>{2}));
}

TEST_F(MainMenu, ThePointerOnAnotherTitleOpensItsMenuAndAPressOnTheOpenOneClosesIt) {
    std::vector<int> seen;
    TPoint file = TitlePoint(0), view = TitlePoint(2);
    RunSteps({[&] { screen.Click(file.X, file.Y); }, [&] { screen.MouseMove(view.X, view.Y); },
              [&] { seen.push_back(bar->OpenIndex()); }, [&] { screen.Click(view.X, view.Y); },
              [&] { seen.push_back(bar->OpenIndex()); }});
    EXPECT_EQ(seen, (std::vector<int>{2, -1}));
    EXPECT_EQ(bar->MenuWindow(), nullptr);
}

TEST_F(MainMenu, ADisabledTitleDoesNotOpen) {
    bar->Items()->Items(1)->SetEnabled(false);
    int open = -2;
    TPoint p = TitlePoint(1);
    RunSteps({[&] { screen.Click(p.X, p.Y); }, [&] { open = bar->OpenIndex(); }});
    EXPECT_EQ(open, -1);
}

TEST_F(MainMenu, F10AndAltAloneOpenTheFirstMenu) {
    struct TCase {
        const char* name;
        std::function<void()> open;
    };
    const TCase cases[] = {
        {"F10", [&] { Press(VK_F10); }},
        {"Alt", [&] { Press(VK_MENU, native::kAlt); }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        int open = -2;
        RunSteps({c.open, [&] { open = bar->OpenIndex(); }, [&] { Press(VK_ESCAPE); }});
        EXPECT_EQ(open, 0);
        EXPECT_EQ(bar->OpenIndex(), -1);
    }
    // F10 went to the menu only (Alt's own press reaches the control as ever).
    EXPECT_EQ(std::count(controlKeys.begin(), controlKeys.end(), VK_F10), 0);
}

TEST_F(MainMenu, AltWithAnotherKeyBetweenOpensNothing) {
    int open = -2;
    RunSteps({[&] { screen.KeyDown(VK_MENU, native::kAlt); }, [&] { Press('X', native::kAlt); },
              [&] { screen.KeyUp(VK_MENU); }, [&] { open = bar->OpenIndex(); }});
    EXPECT_EQ(open, -1);
    EXPECT_TRUE(ran.empty());
}

TEST_F(MainMenu, ShortCutsRunEnabledItemsWhereverTheFocusIs) {
    struct TCase {
        int key;
        unsigned modifiers;
        std::vector<std::string> ran;  // the commands it runs
        bool reachesControl;
    };
    const TCase cases[] = {
        {'S', native::kControl, {"Save"}, false},
        {'Z', native::kControl, {"Undo"}, false},
        {VK_F1 + 2, 0, {"Next"}, false},
        {'S', 0, {}, true},                                  // without Ctrl
        {'S', native::kControl | native::kShift, {}, true},  // with Shift too
        {'E', native::kControl, {}, true},                   // Exit has none
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.key);
        ran.clear();
        controlKeys.clear();
        RunSteps({[&] { Press(c.key, c.modifiers); }});
        EXPECT_EQ(ran, c.ran);
        EXPECT_EQ(controlKeys.size(), c.reachesControl ? 1u : 0u);
    }
}

TEST_F(MainMenu, DisabledItemsAndItemsUnderDisabledTitlesDoNotRunByShortCut) {
    save->SetEnabled(false);
    bar->Items()->Items(1)->SetEnabled(false);  // Edit, holding Undo
    RunSteps({[&] { Press('S', native::kControl); }, [&] { Press('Z', native::kControl); }});
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(controlKeys, (std::vector<uint16_t>{'S', 'Z'}));
    EXPECT_FALSE(bar->IsShortCut('S', ssCtrl));
    save->SetEnabled(true);
    EXPECT_TRUE(bar->IsShortCut('S', ssCtrl));
    EXPECT_EQ(ran, (std::vector<std::string>{"Save"}));
}

TEST_F(MainMenu, AFormWithoutItsMenuPassesKeysOn) {
    bar->Free();
    EXPECT_EQ(form->Menu(), nullptr);
    RunSteps({[&] { Press('S', native::kControl); }});
    EXPECT_EQ(controlKeys, (std::vector<uint16_t>{'S'}));
}

TEST(ShortCutText, NamesModifiersAndKeys) {
    const std::pair<TShortCut, std::string> cases[] = {
        {scCtrl | 'S', "Ctrl+S"},
        {VK_F1 + 2, "F3"},
        {scShift | scCtrl | 'Z', "Shift+Ctrl+Z"},
        {scAlt | (VK_F1 + 3), "Alt+F4"},
        {VK_DELETE, "Del"},
        {scCtrl | '1', "Ctrl+1"},
        {0, ""},
        {scCtrl, ""},
    };
    for (const auto& [shortCut, text] : cases)
        EXPECT_EQ(ShortCutToText(shortCut), text) << shortCut;
    TMenuItem item(nullptr);
    item.SetShortCut(scCtrl | 'O');
    EXPECT_EQ(item.ShortCutText(), "Ctrl+O");
}

TEST_F(MainMenu, AltWithATitlesAccessLetterOpensItAndTypesNothing) {
    bar->Items()->Items(1)->SetCaption("&Edit");
    bar->Items()->Items(2)->SetCaption("&View");
    std::vector<uint32_t> typed;
    control->OnKeyPress = [&](TObject*, char& key) { typed.push_back(uint8_t(key)); };
    int open = -2;
    RunSteps({[&] {
                  screen.KeyDown(VK_MENU, native::kAlt);
                  screen.KeyDown('V', native::kAlt);
                  screen.TypeSysChar(
                      'v');  // the character of the chord, as X11 and Windows send it
                  screen.KeyUp('V', native::kAlt);
                  screen.KeyUp(VK_MENU);
              },
              [&] { open = bar->OpenIndex(); },
              // The chord's character did not reach the open menu: its item still runs.
              [&] { Press(VK_DOWN); }, [&] { Press(VK_RETURN); }});
    EXPECT_EQ(open, 2);
    EXPECT_EQ(ran, std::vector<std::string>{"Next"});
    EXPECT_TRUE(typed.empty());
    // A letter no title has opens nothing; without Alt it is the control's.
    RunSteps({[&] { Press('Q', native::kAlt); }, [&] { open = bar->OpenIndex(); }});
    EXPECT_EQ(open, -1);
    RunSteps({[&] { Press('E'); }, [&] { open = bar->OpenIndex(); }});
    EXPECT_EQ(open, -1);
    // Underlined: the title is drawn without its "&".
    EXPECT_EQ(bar->TitleRect(1).Width(),
              bar->TitleRect(0).Width());  // "File" and "Edit", 4 letters
}

}  // namespace
