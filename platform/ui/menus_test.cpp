#include "platform/ui/menus.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/stylepainter.h"
#include "platform/ui/timer.h"
#include "tests/support/headless_app.h"
#include "tests/support/throwing_window.h"

namespace {

// The clock's menu: commands and separators, top to bottom.
const std::vector<std::string> kCaptions = {"Settings", "-", "Users Manual", "-",
                                            "About",    "-", "Resume",       "Quit"};

class Menus : public ::testing::Test {
protected:
    THeadlessApp app;
    native::THeadlessBackend& screen = app.Backend();
    TForm* form = nullptr;
    TPopupMenu* menu = nullptr;
    std::vector<TMenuItem*> items;
    std::vector<std::string> ran;  // the commands run, in order

    void SetUp() override {
        form = New<TForm>(Application);
        form->SetBorderStyle(bsNone);
        form->SetBounds(100, 100, 400, 300);
        form->Show();
        menu = new TPopupMenu(form);
        for (const std::string& caption : kCaptions) {
            auto* item = new TMenuItem(form);
            item->SetCaption(caption);
            item->OnClick = [this, caption](TObject*) { ran.push_back(caption); };
            menu->Items()->Add(item);
            items.push_back(item);
        }
    }

    // Runs the steps at 10 ms apart on the virtual clock, starting 10 ms from now (call
    // before Popup, which runs them in its loop).
    void Steps(const std::vector<std::function<void()>>& steps) {
        for (size_t i = 0; i < steps.size(); ++i)
            screen.After(10 * int64_t(i + 1), steps[i]);
    }

    // The open menu's window on the screen.
    TRect MenuRect() const {
        TRect r;
        GetWindowRect(menu->WindowHandle(), &r);
        return r;
    }

    // The rectangle of item index in the open menu, screen coordinates.
    TRect ItemRect(int index) const {
        TRect menuRect = MenuRect();
        int top = menuRect.Top + kMenuBorder;
        for (int i = 0; i < index; ++i)
            top += items[size_t(i)]->IsLine() ? kMenuSeparatorHeight : kMenuItemHeight;
        int height = items[size_t(index)]->IsLine() ? kMenuSeparatorHeight : kMenuItemHeight;
        return {menuRect.Left + kMenuBorder, top, menuRect.Right - kMenuBorder, top + height};
    }
    TPoint ItemPoint(int index) const {
        TRect r = ItemRect(index);
        return {r.Left + r.Width() / 2, r.Top + r.Height() / 2};
    }

    // The command shown highlighted on the screen, or -1.
    int Highlighted() const {
        TBitmap shot = screen.Screenshot();
        int found = -1;
        for (int i = 0; i < int(items.size()); ++i) {
            TRect r = ItemRect(i);
            if (shot.Pixel(r.Left + 2, r.Top + 1) == ColorToRGB(clHighlight)) {
                EXPECT_EQ(found, -1) << "two items highlighted";
                found = i;
            }
        }
        return found;
    }

    void Press(int key) { screen.PressKey(key); }
};

TEST_F(Menus, OpensAtThePointAsAPopupSizedByTheWidestCaption) {
    HWND window = nullptr;
    Steps({[&] {
               window = menu->WindowHandle();
               ASSERT_TRUE(window);
               // Borders, check-mark room, "Users Manual" in the 6-pixel fixed font, room after.
               int width = 2 * kMenuBorder + kMenuTextLeft + 12 * 6 + kMenuTextRight;
               int height = 2 * kMenuBorder + 5 * kMenuItemHeight + 3 * kMenuSeparatorHeight;
               EXPECT_EQ(MenuRect(), TRect::FromSize(200, 150, width, height));
               auto* native = dynamic_cast<native::THeadlessWindow*>(NativeWindow(window));
               ASSERT_TRUE(native);
               EXPECT_EQ(native->Kind(), native::TWindowKind::Popup);
               EXPECT_FALSE(native->TaskbarButton());
               EXPECT_EQ(screen.WindowAt({201, 151}), native);
               EXPECT_EQ(Highlighted(), -1);
           },
           [&] { Press(VK_ESCAPE); }});
    menu->Popup(200, 150);
    EXPECT_EQ(menu->WindowHandle(), nullptr);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(ran.empty());
}

TEST_F(Menus, IsMovedAsLittleAsNeededToStayOnTheScreen) {
    const int width = 2 * kMenuBorder + kMenuTextLeft + 12 * 6 + kMenuTextRight;
    const int height = 2 * kMenuBorder + 5 * kMenuItemHeight + 3 * kMenuSeparatorHeight;
    struct TCase {
        TPoint at;
        TPoint placed;
    };
    const TCase cases[] = {
        {{1000, 100}, {1024 - width, 100}},
        {{100, 700}, {100, 768 - height}},
        {{1020, 760}, {1024 - width, 768 - height}},
        {{-30, -4}, {0, 0}},
        {{1024 - width, 768 - height}, {1024 - width, 768 - height}},
    };
    for (const TCase& c : cases) {
        TRect seen;
        Steps({[&] { seen = MenuRect(); }, [&] { Press(VK_ESCAPE); }});
        menu->Popup(c.at.X, c.at.Y);
        EXPECT_EQ(seen, TRect::FromSize(c.placed.X, c.placed.Y, width, height))
            << "opened at " << c.at.X << "," << c.at.Y;
    }
}

TEST_F(Menus, HighlightFollowsThePointerOverCommandsOnly) {
    std::vector<int> seen;
    auto moveTo = [&](std::function<TPoint()> where) {
        return [&, where] {
            TPoint p = where();
            screen.MouseMove(p.X, p.Y);
        };
    };
    auto look = [&] { seen.push_back(Highlighted()); };
    Steps({moveTo([&] { return ItemPoint(2); }), look, moveTo([&] { return ItemPoint(3); }),
           look,  // a separator
           moveTo([&] { return ItemPoint(7); }), look, moveTo([&] {
               return TPoint{MenuRect().Right + 5, ItemPoint(7).Y};
           }),
           look,  // outside
           moveTo([&] { return ItemPoint(0); }), look, [&] { Press(VK_ESCAPE); }});
    menu->Popup(200, 150);
    EXPECT_EQ(seen, (std::vector<int>{2, -1, 7, -1, 0}));
    EXPECT_TRUE(ran.empty());
}

TEST_F(Menus, UpAndDownSkipSeparatorsAndDisabledItemsAndWrap) {
    items[4]->SetEnabled(false);  // About
    std::vector<int> seen;
    std::vector<std::function<void()>> steps;
    for (int key :
         {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_UP, VK_UP, VK_UP, VK_END, VK_HOME}) {
        steps.push_back([&, key] { Press(key); });
        steps.push_back([&] { seen.push_back(Highlighted()); });
    }
    steps.push_back([&] { Press(VK_ESCAPE); });
    Steps(steps);
    menu->Popup(200, 150);
    EXPECT_EQ(seen, (std::vector<int>{0, 2, 6, 7, 0, 7, 6, 2, 7, 0}));
    EXPECT_TRUE(ran.empty());
}

TEST_F(Menus, KeysReachTheMenuNotTheFocusedControl) {
    auto* control = new TCustomControl(form);
    control->SetParent(form);
    control->SetBounds(10, 10, 50, 20);
    control->SetTabStop(true);
    int formKeys = 0;
    control->OnKeyDown = [&](TObject*, uint16_t&, TShiftState) { ++formKeys; };
    control->SetFocus();
    ASSERT_TRUE(control->Focused());
    Steps({[&] { Press(VK_DOWN); }, [&] { Press(VK_DOWN); }, [&] { Press(VK_RETURN); }});
    menu->Popup(200, 150);
    EXPECT_EQ(ran, (std::vector<std::string>{"Users Manual"}));
    EXPECT_EQ(formKeys, 0);
    // Closed, the keys go to the control again.
    screen.PressKey(VK_DOWN);
    app.Run();
    EXPECT_EQ(formKeys, 1);
}

TEST_F(Menus, EnterRunsTheCommandAfterTheMenuWindowIsGoneAndBeforePopupReturns) {
    HWND window = nullptr;
    bool popupReturned = false;
    bool windowAlive = true, handleKept = true, popupOnScreen = true, returnedBefore = true;
    items[6]->OnClick = [&](TObject*) {
        ran.push_back("Resume");
        windowAlive = IsWindow(window);
        handleKept = menu->WindowHandle() != nullptr;
        popupOnScreen = false;
        for (native::THeadlessWindow* w : screen.Windows())
            if (w->Kind() == native::TWindowKind::Popup) popupOnScreen = true;
        returnedBefore = popupReturned;
    };
    Steps({[&] {
               window = menu->WindowHandle();
               Press(VK_UP);
           },
           [&] { Press(VK_UP); }, [&] { Press(VK_RETURN); }});
    menu->Popup(200, 150);
    popupReturned = true;
    EXPECT_EQ(ran, (std::vector<std::string>{"Resume"}));
    EXPECT_FALSE(windowAlive);
    EXPECT_FALSE(handleKept);
    EXPECT_FALSE(popupOnScreen);
    EXPECT_FALSE(returnedBefore);
}

TEST_F(Menus, EnterWithNothingOrADisabledItemHighlightedRunsNothing) {
    items[0]->SetEnabled(false);
    bool open = false;
    Steps({[&] { Press(VK_RETURN); },
           [&] {
               TPoint p = ItemPoint(0);  // the disabled Settings, highlighted by the pointer
               screen.MouseMove(p.X, p.Y);
           },
           [&] { Press(VK_RETURN); },
           [&] {
               open = menu->WindowHandle() != nullptr;
               Press(VK_ESCAPE);
           }});
    menu->Popup(200, 150);
    EXPECT_TRUE(open);
    EXPECT_TRUE(ran.empty());
}

TEST_F(Menus, ClicksChooseTheCommandReleasedOn) {
    struct TCase {
        const char* name;
        int press;    // item index, or -1: outside the menu (below it)
        int release;  // the same
        int button;
        std::vector<std::string> expected;
        bool staysOpen;
    };
    const TCase cases[] = {
        {"left click", 2, 2, native::kLeftButton, {"Users Manual"}, false},
        {"right click", 7, 7, native::kRightButton, {"Quit"}, false},
        {"pressed on one, released on another", 0, 6, native::kLeftButton, {"Resume"}, false},
        {"released on a separator", 2, 3, native::kLeftButton, {}, true},
        {"pressed inside, released outside", 2, -1, native::kLeftButton, {}, true},
        {"middle button", 2, 2, native::kMiddleButton, {}, true},
    };
    for (const TCase& c : cases) {
        ran.clear();
        bool open = false;
        auto at = [&](int index) {
            if (index >= 0) return ItemPoint(index);
            return TPoint{MenuRect().Left + 5, MenuRect().Bottom + 20};
        };
        Steps({[&] {
                   TPoint p = at(c.press);
                   screen.MouseMove(p.X, p.Y);
                   screen.MouseDown(p.X, p.Y, c.button);
               },
               [&] {
                   TPoint p = at(c.release);
                   screen.MouseMove(p.X, p.Y);
                   screen.MouseUp(p.X, p.Y, c.button);
               },
               [&] {
                   open = menu->WindowHandle() != nullptr;
                   if (open) Press(VK_ESCAPE);
               }});
        menu->Popup(200, 150);
        app.Run(40);  // the steps left after a choice, while this case's locals live
        EXPECT_EQ(ran, c.expected) << c.name;
        EXPECT_EQ(open, c.staysOpen) << c.name;
    }
}

TEST_F(Menus, EscapeClosesTheMenuAndRunsNothing) {
    Steps({[&] { Press(VK_DOWN); }, [&] { Press(VK_ESCAPE); }});
    menu->Popup(200, 150);
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(menu->WindowHandle(), nullptr);
}

TEST_F(Menus, APressOutsideClosesTheMenuAndReachesNoWindow) {
    std::vector<std::string> formMouse;
    form->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
        formMouse.push_back("down");
    };
    form->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) {
        formMouse.push_back("up");
    };
    form->OnClick = [&](TObject*) { formMouse.push_back("click"); };
    Steps(
        {[&] { Press(VK_DOWN); }, [&] { screen.Click(450, 350); }});  // on the form, below the menu
    menu->Popup(200, 150);
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(menu->WindowHandle(), nullptr);
    app.Run();
    EXPECT_TRUE(formMouse.empty());
    // With the menu closed, the same click is the form's.
    screen.Click(450, 350);
    app.Run();
    EXPECT_EQ(formMouse, (std::vector<std::string>{"down", "click", "up"}));
}

TEST_F(Menus, TimersFireWhileTheMenuIsOpen) {
    auto* timer = new TTimer(form);
    timer->SetInterval(100);
    std::vector<int64_t> ticks;
    timer->SetOnTimer([&](TObject*) { ticks.push_back(app.Now()); });
    int64_t start = app.Now();
    screen.After(450, [&] { Press(VK_ESCAPE); });
    menu->Popup(200, 150);
    EXPECT_EQ(ticks, (std::vector<int64_t>{start + 100, start + 200, start + 300, start + 400}));
}

TEST_F(Menus, AHandlersExceptionWhileTheMenuIsOpenIsHandledAndTheMenuStays) {
    std::vector<std::string> handled;
    Application->OnException = [&](TObject*, const std::exception& e) {
        handled.push_back(e.what());
    };
    TThrowingWindow thrower;
    Steps({[&] { Press(VK_DOWN); }, [&] { thrower.PostThrow(); }, [&] { Press(VK_DOWN); },
           [&] { Press(VK_RETURN); }});
    menu->Popup(200, 150);
    EXPECT_EQ(handled, (std::vector<std::string>{"thrown"}));
    EXPECT_EQ(ran, (std::vector<std::string>{"Users Manual"}));
}

TEST_F(Menus, TheLoopEndsRunningNothingWhenTheApplicationTerminates) {
    Steps({[&] { Press(VK_DOWN); }, [&] { Application->Terminate(); }, [&] { Press(VK_RETURN); }});
    menu->Popup(200, 150);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(menu->WindowHandle(), nullptr);
    EXPECT_TRUE(ran.empty());
    // A menu asked to open after the end opens nothing.
    bool opened = false;
    menu->OnPopup = [&](TObject*) { opened = true; };
    menu->Popup(200, 150);
    EXPECT_TRUE(opened);
    EXPECT_EQ(screen.Windows().size(), 1u);  // the form only
}

TEST_F(Menus, TheMenuClosesWhenItLosesTheMouseOrIsToldTo) {
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"capture taken", [&] { SetCapture(form->Handle()); }},
        {"CloseMenu", [&] { menu->CloseMenu(); }},
    };
    for (const auto& [name, close] : cases) {
        ran.clear();
        Steps({[&] { Press(VK_DOWN); }, close});
        menu->Popup(200, 150);
        EXPECT_EQ(menu->WindowHandle(), nullptr) << name;
        EXPECT_TRUE(ran.empty()) << name;
        ReleaseCapture();
    }
}

TEST_F(Menus, SeparatorsAndHiddenItemsAreNotCommands) {
    items[0]->SetVisible(false);
    items[1]->SetVisible(false);
    int height = 0;
    Steps({[&] {
               height = MenuRect().Height();
               Press(VK_DOWN);
           },
           [&] { Press(VK_RETURN); }});
    menu->Popup(200, 150);
    EXPECT_EQ(height, 2 * kMenuBorder + 4 * kMenuItemHeight + 2 * kMenuSeparatorHeight);
    EXPECT_EQ(ran, (std::vector<std::string>{"Users Manual"}));
    EXPECT_TRUE(items[1]->IsLine());
}

// Freeing ----------------------------------------------------------------------------------

TEST_F(Menus, ItemsFreedInAnyOrderLeaveNothingBehind) {
    // A parent frees the items still in it; a freed item leaves its parent first.
    items[4]->Free();
    EXPECT_EQ(menu->Items()->Count(), int(kCaptions.size()) - 1);
    EXPECT_EQ(menu->Items()->Items(4)->Caption(), "-");
    auto* sub = new TMenuItem(form);
    items[0]->Add(sub);
    int formComponents = form->ComponentCount();
    FreeAndNil(menu);  // frees the remaining items too, with their own items
    EXPECT_EQ(form->ComponentCount(), formComponents - int(kCaptions.size()) - 1);
    // The form goes last, with nothing left to free twice (AddressSanitizer would tell).
}

TEST_F(Menus, AFormFreesItsMenuAndItemsWhateverTheOrder) {
    // Items made before the menu, and an item with items of its own owned by the form.
    auto* early = new TMenuItem(form);
    auto* child = new TMenuItem(form);
    early->Add(child);
    auto* late = new TPopupMenu(form);
    late->Items()->Add(early);
    auto* loose = new TMenuItem(nullptr);  // no owner: its parent frees it
    late->Items()->Add(loose);
    form->Free();
    form = nullptr;
}

TEST_F(Menus, AnItemFreedWhileTheMenuIsOpenIsGoneFromIt) {
    TPoint aboutAt;
    Steps({[&] {
               aboutAt = ItemPoint(4);
               items[4]->Free();
           },
           [&] { screen.Click(aboutAt.X, aboutAt.Y); },  // where About was: chooses nothing
           [&] { Press(VK_UP); }, [&] { Press(VK_RETURN); }});
    menu->Popup(200, 150);
    EXPECT_EQ(ran, (std::vector<std::string>{"Users Manual"}));
}

TEST_F(Menus, AMenuFreedWhileOpenEndsItsLoop) {
    TPopupMenu* doomed = menu;
    menu = nullptr;
    Steps({[&] { Press(VK_DOWN); }, [&] { doomed->Free(); }});
    doomed->Popup(200, 150);
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(screen.Windows().size(), 1u);
}

TEST(MenuItems, AddInsertAndRemoveKeepOneParent) {
    TMenuItem root(nullptr), other(nullptr);
    auto* a = new TMenuItem(nullptr);
    auto* b = new TMenuItem(nullptr);
    auto* c = new TMenuItem(nullptr);
    root.Add(a);
    root.Add(b);
    root.Insert(0, c);
    EXPECT_EQ(root.Count(), 3);
    EXPECT_EQ(root.Items(0), c);
    EXPECT_EQ(c->Parent(), &root);
    // Added elsewhere, an item leaves its old parent.
    other.Add(a);
    EXPECT_EQ(root.Count(), 2);
    EXPECT_EQ(a->Parent(), &other);
    // Moved to the end within its parent.
    root.Add(c);
    EXPECT_EQ(root.Items(1), c);
    EXPECT_THROW(root.Insert(3, a), EMenuError);
    EXPECT_EQ(a->Parent(), &other);  // a refused insert changes nothing
    EXPECT_THROW(a->Add(&other), EMenuError);
    EXPECT_THROW(a->Add(a), EMenuError);
    root.Remove(b);
    EXPECT_EQ(b->Parent(), nullptr);
    EXPECT_EQ(root.Count(), 1);
    b->Free();
    // Disabled items do not click.
    int clicks = 0;
    c->OnClick = [&](TObject*) { ++clicks; };
    c->Click();
    c->SetEnabled(false);
    c->Click();
    EXPECT_EQ(clicks, 1);
}

}  // namespace
