// The popup menu and its commands, driven as a user drives them: real clicks and keys on
// the headless desktop, in virtual time. Each step of a scenario is scheduled on the
// virtual clock and runs inside whichever loop is waiting then (the main loop, the menu's
// or a dialog's), as input does.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/startdirectory.h"
#include "app/timetext.h"
#include "dialogs/faboutclock.h"
#include "dialogs/fclockconfig.h"
#include "platform/os/wallclock.h"
#include "platform/ui/screen.h"
#include "tests/support/clock_fixture.h"
#include "tests/support/shell_recorder.h"
#include "tests/support/stored_settings.h"

namespace {

using ztest::Store;
using ztest::Stored;

// The menu's commands, by how many times Down moves the highlight onto them.
enum TCommand { cmSettings = 1, cmUsersManual, cmAbout, cmResume, cmQuit };

std::optional<TRect> WindowRectOf(HWND window) {
    TRect r;
    if (!window || !GetWindowRect(window, &r)) return std::nullopt;
    return r;
}

// A fingerprint of a window's pixels.
uint64_t Fingerprint(const TBitmap& pixels) {
    uint64_t hash = 1469598103934665603ull;
    for (int y = 0; y < pixels.Height(); ++y)
        for (int x = 0; x < pixels.Width(); ++x)
            hash = (hash ^ uint64_t(pixels.Pixel(x, y))) * 1099511628211ull;
    return hash;
}

class ClockCommands : public ztest::TClockFixture {
protected:
    // Starts the clock and lets the five-second greeting pass, so the face takes clicks.
    void StartPastGreeting() {
        Start();
        app.Run(5001);
    }
    TPoint ClockPoint() { return form->BinaryClock->ClientToScreen({20, 20}); }

    // Schedules a step gap milliseconds after the previous one.
    void Then(std::function<void()> step, int64_t gap = 20) {
        next_ = std::max(next_, app.Now()) + gap;
        screen.At(next_, std::move(step));
    }
    // Runs until every scheduled step has run, and a little longer.
    void RunAll() { app.Run(std::max<int64_t>(next_ - app.Now(), 0) + 200); }

    // Opens the menu with a right-click on the clock and chooses a command with the keys.
    void Choose(TCommand command) {
        TPoint p = ClockPoint();
        Then([this, p] { screen.Click(p.X, p.Y, native::kRightButton); });
        Then([this, command] {
            for (int i = 0; i < int(command); ++i)
                screen.PressKey(VK_DOWN);
            screen.PressKey(VK_RETURN, '\r');
        });
    }

    // The open dialog of a kind, owned by the clock; none when there is none.
    template <class T>
    T* Open() {
        for (int i = 0; i < form->ComponentCount(); ++i)
            if (auto* dialog = dynamic_cast<T*>(form->Components(i)); dialog && dialog->Visible())
                return dialog;
        return nullptr;
    }
    int FormsOf(const std::string& caption) {
        int count = 0;
        for (TCustomForm* f : Screen->Forms())
            count += f->Caption() == caption;
        return count;
    }
    // The shown message box with this caption, and its text.
    TCustomForm* Box(const std::string& caption) {
        for (TCustomForm* f : Screen->Forms())
            if (f->Visible() && f->Caption() == caption) return f;
        return nullptr;
    }
    static std::string TextOf(TCustomForm* box) {
        for (int i = 0; box && i < box->ControlCount(); ++i)
            if (auto* label = dynamic_cast<TLabel*>(box->Controls(i))) return label->Caption();
        return {};
    }

    void ClickOn(TControl* control, TPoint at) {
        TPoint p = control->ClientToScreen(at);
        screen.Click(p.X, p.Y);
    }
    void ClickItem(TRadioGroup* group, int item) {
        TRect r = group->ItemRect(item);
        ClickOn(group, {r.Left + 6, (r.Top + r.Bottom) / 2});
    }
    void ClickBox(TCheckBox* box) { ClickOn(box, {6, box->Height() / 2}); }
    void ClickButton(TButton* button) {
        ClickOn(button, {button->Width() / 2, button->Height() / 2});
    }

    std::string AutostartEntry() { return home.AutostartDir() + "/QVZentick.desktop"; }

    int64_t next_ = 0;
};

TEST_F(ClockCommands, ALeftClickOpensTheMenuAtThePointerAndADragOpensNothing) {
    StartPastGreeting();
    int opened = 0;
    form->PopupMenu1->OnPopup = [&](TObject*) { ++opened; };
    TPoint p = ClockPoint();
    std::optional<TRect> menu;
    Then([&] { screen.Click(p.X, p.Y); });
    Then([&] {
        menu = WindowRectOf(form->PopupMenu1->WindowHandle());
        screen.PressKey(VK_ESCAPE);
    });
    RunAll();
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->TopLeft(), p);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(form->PopupMenu1->WindowHandle(), nullptr);

    // A wobble of one pixel is still a click; a press that moved the window is a drag.
    Then([&] { screen.MouseDown(p.X, p.Y); });
    Then([&] { screen.MouseMove(p.X + 1, p.Y + 1); });
    Then([&] { screen.MouseUp(p.X + 1, p.Y + 1); });
    Then([&] { screen.PressKey(VK_ESCAPE); });
    RunAll();
    EXPECT_EQ(opened, 2);
    Then([&] { screen.MouseDown(p.X, p.Y); });
    Then([&] { screen.MouseMove(p.X + 12, p.Y + 7); });
    Then([&] { screen.MouseUp(p.X + 12, p.Y + 7); });
    RunAll();
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(Stored("viewerleft"), 512 + 12);  // the drag saved the new place
}

TEST_F(ClockCommands, ARightClickOpensTheMenuAtTheClickedPointOnTheGreetingAndOnTheClock) {
    Start();
    int opened = 0;
    form->PopupMenu1->OnPopup = [&](TObject*) { ++opened; };
    std::vector<TPoint> at;
    auto rightClickAt = [&](TPoint p) {
        Then([&, p] { screen.Click(p.X, p.Y, native::kRightButton); });
        Then([&] {
            if (auto r = WindowRectOf(form->PopupMenu1->WindowHandle())) at.push_back(r->TopLeft());
            screen.PressKey(VK_ESCAPE);
        });
    };
    TPoint onTitle = form->LabelTitle->ClientToScreen({3, 3});
    TPoint onPanel = form->PanelStartup->ClientToScreen({5, 50});
    rightClickAt(onTitle);
    rightClickAt(onPanel);
    RunAll();
    app.Run(5000);  // the greeting is gone: the clock itself
    TPoint onClock = ClockPoint();
    rightClickAt(onClock);
    RunAll();
    EXPECT_EQ(at, (std::vector<TPoint>{onTitle, onPanel, onClock}));

    // On the picture around the clock, a right-click opens nothing.
    TRect window = Window().Bounds();
    Then([&] { screen.Click(window.Left + 75, window.Top + 4, native::kRightButton); });
    RunAll();
    EXPECT_EQ(opened, 3);
}

TEST_F(ClockCommands, TheGreetingsLinkOpensTheProductPage) {
    ztest::TShellRecorder shell(home.Root());
    Start();
    ASSERT_TRUE(form->PanelStartup->Visible());
    shell.Begin();
    Then([&] {
        ClickOn(form->LabelLink, {form->LabelLink->Width() / 2, form->LabelLink->Height() / 2});
    });
    RunAll();
    EXPECT_EQ(shell.End(), std::vector<std::string>{"https://www.zentick.org/"});
}

TEST_F(ClockCommands, ResumeClosesTheMenuAndChangesNothing) {
    StartPastGreeting();
    ClockSettings before = form->Settings;
    TRect bounds = Window().Bounds();
    Choose(cmResume);
    RunAll();
    EXPECT_EQ(form->PopupMenu1->WindowHandle(), nullptr);
    EXPECT_EQ(Screen->FormCount(), 1);
    EXPECT_EQ(std::memcmp(&before, &form->Settings, sizeof before), 0);
    EXPECT_EQ(Window().Bounds(), bounds);
    EXPECT_FALSE(Stored("viewerwidth")) << "nothing was saved";
}

TEST_F(ClockCommands, SettingsOkAppliesAndSavesEveryChoice) {
    StartPastGreeting();
    Choose(cmSettings);
    TFormClockConfig* dialog = nullptr;
    Then([&] {
        dialog = Open<TFormClockConfig>();
        ASSERT_NE(dialog, nullptr);
        ClickItem(dialog->RadioGroupType, 1);  // Small Standard
    });
    Then([&] { ClickItem(dialog->RadioGroupColor, 3); });  // Green
    Then([&] { ClickItem(dialog->RadioGroupShape, 2); });  // Rect
    Then([&] { ClickItem(dialog->RadioGroupBack, 1); });   // Brushed Aluminum
    Then([&] { ClickBox(dialog->CheckBoxSecondsHide); });
    Then([&] { ClickBox(dialog->CheckBoxOnTop); });
    Then([&] { ClickBox(dialog->CheckBox24Hour); });
    Then([&] { ClickButton(dialog->ButtonOk); });
    RunAll();
    EXPECT_EQ(Open<TFormClockConfig>(), nullptr);
    EXPECT_EQ(FormsOf("Clock Settings"), 0) << "the dialog is destroyed after use";
    const ClockSettings& s = form->Settings;
    EXPECT_EQ(s.Type, 1);
    EXPECT_EQ(s.Color, 3);
    EXPECT_EQ(s.Shape, 2);
    EXPECT_EQ(s.Back, 1);
    EXPECT_EQ(s.SecondsHide, 1);
    EXPECT_EQ(s.OnTop, 1);
    EXPECT_EQ(s.Hour24, 0);
    // Applied: the small format's window, on top, and the clock's modes.
    EXPECT_EQ(Window().Bounds().Width(), 76);
    EXPECT_EQ(Window().Bounds().Height(), 46);
    EXPECT_TRUE(Window().StayOnTop());
    EXPECT_EQ(form->BinaryClock->LedColor(), 3);
    EXPECT_EQ(form->BinaryClock->ModeShape(), 2);
    EXPECT_EQ(form->BinaryClock->ModeSecondsHide(), 1);
    // And saved, the window's size with it.
    for (auto [name, value] : {std::pair{"type", 1},
                               {"ledcolor", 3},
                               {"ledshape", 2},
                               {"back", 1},
                               {"secondshide", 1},
                               {"alwaysontop", 1},
                               {"24hour", 0},
                               {"viewerwidth", 76}})
        EXPECT_EQ(Stored(name), value) << name;
}

TEST_F(ClockCommands, TheSizeAppliesAtOnceAndIsStored) {
    StartPastGreeting();
    const int64_t pictures = TBitmap::LiveCount();
    // Item, the window's width after Ok, and the stored value.
    const std::tuple<int, int, int> choices[] = {
        {3, 300, 200}, {2, 225, 150}, {4, 450, 300}, {0, 150, 0}};
    for (auto [item, width, stored] : choices) {
        SCOPED_TRACE(item);
        Choose(cmSettings);
        TFormClockConfig* dialog = nullptr;
        const int pick = item;
        Then([&, pick] {
            dialog = Open<TFormClockConfig>();
            ASSERT_NE(dialog, nullptr);
            ClickItem(dialog->RadioGroupSize, pick);
        });
        Then([&] { ClickButton(dialog->ButtonOk); });
        RunAll();
        EXPECT_EQ(Window().Bounds().Width(), width);
        EXPECT_EQ(form->BinaryClock->Scale(), width * 100 / 150);
        EXPECT_EQ(Stored("scale"), stored);
        EXPECT_EQ(Stored("viewerwidth"), width);
    }
    // Back at 100 %, only the pictures of 100 % are held.
    EXPECT_EQ(TBitmap::LiveCount(), pictures);
}

TEST_F(ClockCommands, TheSizeListShowsTheStoredScaleAndKeepsOneItDoesNotOffer) {
    // Stored, the item the dialog shows, and what Ok stores.
    const std::tuple<int, int, int> cases[] = {
        {200, 3, 200}, {0, 0, 0}, {50, 0, 0}, {125, -1, 125}};
    for (auto [stored, item, after] : cases) {
        SCOPED_TRACE(stored);
        DestroyApplicationForms();
        Store("scale", stored);
        StartPastGreeting();
        Choose(cmSettings);
        int shown = -2;
        Then([&] {
            TFormClockConfig* dialog = Open<TFormClockConfig>();
            ASSERT_NE(dialog, nullptr);
            shown = dialog->RadioGroupSize->ItemIndex();
            ClickButton(dialog->ButtonOk);
        });
        RunAll();
        EXPECT_EQ(shown, item);
        EXPECT_EQ(Stored("scale"), after);
    }
}

TEST_F(ClockCommands, CancelLeavesTheSettingsButAppliesSavesAndRewritesTheRunEntry) {
    for (int autoload : {1, 0}) {
        SCOPED_TRACE(autoload);
        DestroyApplicationForms();
        std::filesystem::remove(home.RegistryFile());
        Store("autoload", autoload);
        std::filesystem::create_directories(home.AutostartDir());
        std::filesystem::remove(AutostartEntry());
        if (!autoload) std::ofstream(AutostartEntry()) << "[Desktop Entry]\nExec=stale\n";
        StartPastGreeting();
        Choose(cmSettings);
        TFormClockConfig* dialog = nullptr;
        Then([&] {
            dialog = Open<TFormClockConfig>();
            ASSERT_NE(dialog, nullptr);
            ClickItem(dialog->RadioGroupColor, 3);
        });
        Then([&] { ClickButton(dialog->ButtonCancel); });
        RunAll();
        EXPECT_EQ(Open<TFormClockConfig>(), nullptr);
        EXPECT_EQ(form->Settings.Color, 0);
        EXPECT_EQ(Stored("viewerwidth"), 150) << "saved again, the window with it";
        EXPECT_EQ(std::filesystem::exists(AutostartEntry()), autoload == 1);
    }
}

TEST_F(ClockCommands, BcdIsRefusedWithTheHorizontalFormatsAndTheDialogStaysOpen) {
    StartPastGreeting();
    ASSERT_EQ(form->Settings.Bcd, 1);
    // Clock Format items: 3 Dip Switch, 4 Large Horiz, 5 Small Horiz, 6 Tiny Horiz refused;
    // 1 Small Standard accepted.
    for (int item : {3, 4, 5, 6, 1}) {
        SCOPED_TRACE(item);
        bool refused = item != 1;
        Choose(cmSettings);
        TFormClockConfig* dialog = nullptr;
        std::string message;
        bool stayedOpen = false;
        Then([&] {
            dialog = Open<TFormClockConfig>();
            ASSERT_NE(dialog, nullptr);
            ClickItem(dialog->RadioGroupType, item);
        });
        Then([&] { screen.PressKey(VK_RETURN, '\r'); });
        if (refused) {
            Then([&] {
                message = TextOf(Box("Error"));
                screen.PressKey(VK_RETURN, '\r');
            });
            Then([&] {
                stayedOpen = Open<TFormClockConfig>() == dialog &&
                             dialog->RadioGroupType->ItemIndex() == item;
                ClickButton(dialog->ButtonCancel);
            });
        }
        RunAll();
        EXPECT_EQ(Open<TFormClockConfig>(), nullptr);
        if (refused) {
            EXPECT_EQ(message, TFormClockConfig::kBcdHorizontalMessage);
            EXPECT_TRUE(stayedOpen);
            EXPECT_EQ(form->Settings.Type, 0);
        } else {
            EXPECT_EQ(form->Settings.Type, 1);
        }
    }
}

TEST_F(ClockCommands, AStoredTypeOfSevenSelectsTinyHorizAndMinusOneSelectsNothing) {
    Store("type", 7);
    StartPastGreeting();
    int shown = -2;
    Choose(cmSettings);
    Then([&] {
        shown = Open<TFormClockConfig>()->RadioGroupType->ItemIndex();
        screen.PressKey(VK_ESCAPE);
    });
    RunAll();
    EXPECT_EQ(shown, 6);
    EXPECT_EQ(Stored("type"), 7) << "Cancel keeps the stored value";

    form->Settings.Type = -1;
    Choose(cmSettings);
    Then([&] {
        shown = Open<TFormClockConfig>()->RadioGroupType->ItemIndex();
        screen.PressKey(VK_RETURN, '\r');  // Ok with BCD on is accepted: no format is selected
    });
    RunAll();
    EXPECT_EQ(shown, -1);
    EXPECT_EQ(Open<TFormClockConfig>(), nullptr);
    EXPECT_EQ(form->Settings.Type, -1);
    EXPECT_EQ(Stored("type"), -1);
}

TEST_F(ClockCommands, AlwaysOnTopOfFiveSurvivesCancelAndBecomesOneAfterOk) {
    Store("alwaysontop", 5);
    StartPastGreeting();
    bool checked = false;
    Choose(cmSettings);
    Then([&] {
        checked = Open<TFormClockConfig>()->CheckBoxOnTop->Checked();
        screen.PressKey(VK_ESCAPE);
    });
    RunAll();
    EXPECT_TRUE(checked);
    EXPECT_EQ(Stored("alwaysontop"), 5);
    Choose(cmSettings);
    Then([&] { screen.PressKey(VK_RETURN, '\r'); });
    RunAll();
    EXPECT_EQ(Stored("alwaysontop"), 1);
    EXPECT_TRUE(Window().StayOnTop());
}

TEST_F(ClockCommands, TheHiddenMoveAroundBoxCarriesItsValueThrough) {
    for (int value : {1, 0}) {
        SCOPED_TRACE(value);
        DestroyApplicationForms();
        Store("movearound", value);
        StartPastGreeting();
        bool visible = true, checked = !value;
        Choose(cmSettings);
        Then([&] {
            TFormClockConfig* dialog = Open<TFormClockConfig>();
            visible = dialog->CheckBoxMoveAround->Visible();
            checked = dialog->CheckBoxMoveAround->Checked();
            screen.PressKey(VK_RETURN, '\r');
        });
        RunAll();
        EXPECT_FALSE(visible);
        EXPECT_EQ(checked, value == 1);
        EXPECT_EQ(Stored("movearound"), value);
    }
}

// Ok writes back every control of the dialog: from two opposite sets of stored settings,
// each control is changed alone, and after Ok every stored value is checked, the changed
// one holding its new value and all others their old one.
TEST_F(ClockCommands, SettingsOkWritesBackEveryControlAndChangesNothingElse) {
    using TValues = std::map<std::string, int32_t>;
    const TValues bases[] = {
        {{"alwaysontop", 0},
         {"24hour", 1},
         {"bcd", 1},
         {"bcdhide", 1},
         {"secondshide", 0},
         {"autoload", 0},
         {"hidetask", 1},
         {"type", 0},
         {"back", 0},
         {"ledcolor", 0},
         {"ledshape", 0},
         {"scale", 0}},
        {{"alwaysontop", 1},
         {"24hour", 0},
         {"bcd", 0},
         {"bcdhide", 0},
         {"secondshide", 1},
         {"autoload", 1},
         {"hidetask", 0},
         {"type", 2},
         {"back", 2},
         {"ledcolor", 1},
         {"ledshape", 1},
         {"scale", 150}},
    };
    struct TRow {
        const char* name;                               // the stored value the control writes
        std::function<void(TFormClockConfig&)> change;  // the user's change in the dialog
        std::optional<int32_t> value;                   // the new value; none: the flag flipped
    };
    auto* self = this;
    auto box = [self](TCheckBox* TFormClockConfig::*member) {
        return [self, member](TFormClockConfig& d) { self->ClickBox(d.*member); };
    };
    auto item = [self](TRadioGroup* TFormClockConfig::*member, int index) {
        return [self, member, index](TFormClockConfig& d) { self->ClickItem(d.*member, index); };
    };
    const TRow rows[] = {
        {"alwaysontop", box(&TFormClockConfig::CheckBoxOnTop), {}},
        {"24hour", box(&TFormClockConfig::CheckBox24Hour), {}},
        {"bcd", box(&TFormClockConfig::CheckBoxBcd), {}},
        {"bcdhide", box(&TFormClockConfig::CheckBoxBcdHide), {}},
        {"secondshide", box(&TFormClockConfig::CheckBoxSecondsHide), {}},
        {"autoload", box(&TFormClockConfig::CheckBoxAutoLoad), {}},
        {"hidetask", box(&TFormClockConfig::CheckBoxHideTask), {}},
        {"type", item(&TFormClockConfig::RadioGroupType, 1), 1},       // Small Standard
        {"back", item(&TFormClockConfig::RadioGroupBack, 1), 1},       // Brushed Aluminum
        {"ledcolor", item(&TFormClockConfig::RadioGroupColor, 3), 3},  // Green
        {"ledshape", item(&TFormClockConfig::RadioGroupShape, 2), 2},  // Rect
        {"scale", item(&TFormClockConfig::RadioGroupSize, 3), 200},    // 200 %
    };
    for (const TValues& base : bases) {
        for (const TRow& row : rows) {
            SCOPED_TRACE(std::string(row.name) +
                         (base.at("bcd") ? ", from the defaults" : ", from the opposites"));
            DestroyApplicationForms();
            std::filesystem::remove(home.RegistryFile());
            std::filesystem::create_directories(home.AutostartDir());
            std::filesystem::remove(AutostartEntry());
            for (const auto& [name, value] : base)
                Store(name.c_str(), value);
            StartPastGreeting();
            Choose(cmSettings);
            TFormClockConfig* dialog = nullptr;
            Then([&] {
                dialog = Open<TFormClockConfig>();
                ASSERT_NE(dialog, nullptr);
                row.change(*dialog);
            });
            Then([&] { ClickButton(dialog->ButtonOk); });
            RunAll();
            ASSERT_EQ(Open<TFormClockConfig>(), nullptr) << "Ok closed the dialog";
            TValues expected = base;
            expected[row.name] = row.value ? *row.value : !base.at(row.name);
            for (const auto& [name, value] : expected)
                EXPECT_EQ(Stored(name.c_str()), value) << name;
            EXPECT_EQ(std::filesystem::exists(AutostartEntry()), expected["autoload"] == 1)
                << "the autostart entry";
        }
    }
}

TEST_F(ClockCommands, AboutTwiceShowsTwoFreshDialogsPlacedByTheClock) {
    StartPastGreeting();
    std::vector<TRect> placed;
    std::vector<std::string> versions;
    auto about = [&] {
        Choose(cmAbout);
        Then([&] {
            TFormAboutClock* dialog = Open<TFormAboutClock>();
            ASSERT_NE(dialog, nullptr);
            placed.push_back(*WindowRectOf(dialog->Handle()));
            versions.push_back(dialog->LabelProgName->Caption());
            screen.PressKey(VK_ESCAPE);  // no Cancel button: Esc does nothing
        });
        Then([&] {
            ASSERT_NE(Open<TFormAboutClock>(), nullptr) << "Esc must not close the About box";
            screen.PressKey(VK_RETURN, '\r');
        });
        RunAll();
        EXPECT_EQ(FormsOf("About Tarvo's Binary Clock"), 0) << "destroyed after use";
    };
    about();
    MoveWindow(form->Handle(), 100, 100, 150, 90, true);
    about();
    // Centred over the clock (512, 384) and, at (100, 100), held on the screen at (0, 0).
    EXPECT_EQ(placed, (std::vector<TRect>{TRect::FromSize(389, 277, 396, 305),
                                          TRect::FromSize(0, 0, 396, 305)}));
    EXPECT_EQ(versions, (std::vector<std::string>(2, "Tarvo's Binary Clock ver 2.0")));
}

TEST_F(ClockCommands, UsersManualOpensTheManualOrSaysItCannotBeFound) {
    StartPastGreeting();
    std::string docs = home.Root() + "/docs", empty = home.Root() + "/empty";
    std::filesystem::create_directories(docs);
    std::filesystem::create_directories(empty);
    std::ofstream(docs + "/zentick.html") << "<html></html>";
    std::ofstream(docs + "/zentick.htm") << "<html></html>";
    std::string savedStart = StartDirectory;
    auto savedCurrent = std::filesystem::current_path();
    std::snprintf(StartDirectory, sizeof StartDirectory, "%s", docs.c_str());

    ztest::TShellRecorder shell(home.Root());
    shell.Begin();
    Choose(cmUsersManual);
    RunAll();
    EXPECT_EQ(shell.End(), (std::vector<std::string>{docs + "/zentick.html"}));
    EXPECT_EQ(Box("error"), nullptr);

    // Nowhere to be found: one message, nothing opened.
    std::snprintf(StartDirectory, sizeof StartDirectory, "%s", empty.c_str());
    std::filesystem::current_path(empty);
    std::string message;
    int boxes = 0;
    shell.Begin();
    Choose(cmUsersManual);
    Then([&] {
        message = TextOf(Box("error"));
        boxes = FormsOf("error");
        screen.PressKey(VK_RETURN, '\r');
    });
    RunAll();
    std::filesystem::current_path(savedCurrent);
    std::snprintf(StartDirectory, sizeof StartDirectory, "%s", savedStart.c_str());
    EXPECT_EQ(shell.End(), std::vector<std::string>{});
    EXPECT_EQ(message, "Unable to find documentation");
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(Box("error"), nullptr);
}

TEST_F(ClockCommands, TheFaceKeepsChangingEverySecondWhileADialogIsOpen) {
    StartPastGreeting();
    std::set<uint64_t> faces;
    Choose(cmSettings);
    for (int second = 0; second < 4; ++second)
        Then([&] { faces.insert(Fingerprint(Window().Pixels())); }, 1000);
    Then([&] { screen.PressKey(VK_ESCAPE); });
    RunAll();
    EXPECT_EQ(faces.size(), 4u);
}

TEST_F(ClockCommands, QuitFromTheMenuEndsTheProgramWithTheSettingsSaved) {
    StartPastGreeting();
    MoveWindow(form->Handle(), 300, 200, 150, 90, true);
    Choose(cmQuit);
    RunAll();
    EXPECT_TRUE(Application->Terminated());
    DestroyApplicationForms();
    EXPECT_EQ(Stored("viewerleft"), 300);
    EXPECT_EQ(Stored("viewertop"), 200);
}

}  // namespace

namespace {

class ClockKeyboardAndTip : public ClockCommands {};

TEST_F(ClockKeyboardAndTip, MenuShiftF10F10AndReturnOpenTheMenuAtTheClocksCorner) {
    StartPastGreeting();
    // Started without the keyboard: keys reach the clock only once it is clicked.
    EXPECT_NE(screen.FocusedWindow(), NativeWindow(form->Handle()));
    int opened = 0;
    form->PopupMenu1->OnPopup = [&](TObject*) { ++opened; };
    TPoint p = ClockPoint();
    Then([&] { screen.Click(p.X, p.Y); });      // focuses, and opens the menu
    Then([&] { screen.PressKey(VK_ESCAPE); });  // which Escape closes
    RunAll();
    ASSERT_EQ(opened, 1);
    const TPoint corner = form->ClientToScreen({0, 0});
    struct TCase {
        const char* name;
        int key;
        unsigned modifiers;
    };
    for (const TCase& c : {TCase{"Menu", VK_APPS, 0}, TCase{"Shift+F10", VK_F10, native::kShift},
                           TCase{"F10", VK_F10, 0}, TCase{"Return", VK_RETURN, 0}}) {
        SCOPED_TRACE(c.name);
        std::optional<TRect> menu;
        Then([&] { screen.PressKey(c.key, c.key == VK_RETURN ? '\r' : 0, c.modifiers); });
        Then([&] {
            menu = WindowRectOf(form->PopupMenu1->WindowHandle());
            screen.PressKey(VK_ESCAPE);
        });
        RunAll();
        ASSERT_TRUE(menu);
        EXPECT_EQ(menu->TopLeft(), corner);
    }
    // Ctrl+F10 and other keys open nothing.
    int before = opened;
    Then([&] { screen.PressKey(VK_F10, 0, native::kControl); });
    Then([&] { screen.PressKey('A', 'a'); });
    RunAll();
    EXPECT_EQ(opened, before);
}

TEST_F(ClockKeyboardAndTip, EachCommandHasItsAccessLetter) {
    StartPastGreeting();
    EXPECT_EQ(form->Settings1->Caption(), "&Settings");
    EXPECT_EQ(form->UsersManual1->Caption(), "&Users Manual");
    EXPECT_EQ(form->About1->Caption(), "&About");
    EXPECT_EQ(form->Resume1->Caption(), "&Resume");
    EXPECT_EQ(form->Quit1->Caption(), "&Quit");
    TPoint p = ClockPoint();
    TFormAboutClock* about = nullptr;
    Then([&] { screen.Click(p.X, p.Y); });
    Then([&] { screen.TypeChar('a'); });  // About
    Then([&] {
        about = Open<TFormAboutClock>();
        screen.PressKey(VK_RETURN, '\r');
    });
    RunAll();
    EXPECT_NE(about, nullptr);
    // Q quits, with the settings saved.
    Then([&] { screen.Click(p.X, p.Y); });
    Then([&] { screen.TypeChar('Q'); });
    RunAll();
    EXPECT_TRUE(Application->Terminated());
}

TEST_F(ClockKeyboardAndTip, TheTimeInWordsShowsAfterASecondsRestAndGoesOnLeaveOrPress) {
    Store("24hour", 1);
    StartPastGreeting();
    const TToolTip& tip = form->ClockTip->Tip();
    TPoint p = ClockPoint();
    screen.MouseMove(p.X, p.Y);
    app.Run(900);
    EXPECT_FALSE(tip.Visible()) << "too early";
    app.Run(400);
    ASSERT_TRUE(tip.Visible());
    const std::string first = tip.Text();
    EXPECT_EQ(first, TimeInWords(LocalTimeNow(), true));
    EXPECT_EQ(first.substr(0, 6), "13:47:");
    // Brought up to date while it shows, and below the pointer.
    app.Run(1000);
    EXPECT_NE(tip.Text(), first);
    EXPECT_EQ(tip.Text(), TimeInWords(LocalTimeNow(), true));
    TRect r;
    GetWindowRect(tip.Handle(), &r);
    EXPECT_GT(r.Top, p.Y);
    // The same text for screen readers, brought up to date with every tick.
    auto* clockWindow = static_cast<native::THeadlessWindow*>(NativeWindow(form->Handle()));
    EXPECT_EQ(clockWindow->AccessibleName(), TimeInWords(LocalTimeNow(), true));
    // A press on the clock takes it away (and opens the menu, closed here); so does
    // leaving the clock.
    Then([&] { screen.Click(p.X, p.Y); });
    Then([&] {
        EXPECT_FALSE(tip.Visible());
        screen.PressKey(VK_ESCAPE);
    });
    RunAll();
    screen.MouseMove(p.X + 1, p.Y);
    app.Run(1300);
    ASSERT_TRUE(tip.Visible());
    screen.MouseMove(5, 5);  // off the clock
    app.Run(300);
    EXPECT_FALSE(tip.Visible());
}

TEST_F(ClockKeyboardAndTip, TheWindowHasTheTimeInWordsForScreenReadersBeforeItsFirstTick) {
    Store("24hour", 1);
    Start();
    auto* clockWindow = static_cast<native::THeadlessWindow*>(NativeWindow(form->Handle()));
    EXPECT_EQ(clockWindow->AccessibleName(), TimeInWords(LocalTimeNow(), true));
}

TEST_F(ClockKeyboardAndTip, TwelveHourTimeInWordsHasItsHalfOfTheDay) {
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 11;
    t.tm_mday = 9;
    t.tm_wday = 3;
    struct TCase {
        int hour;
        bool hour24;
        const char* expected;
    };
    for (const TCase& c : {TCase{13, true, "13:47:05 \u2014 Wednesday 9 December 2026"},
                           TCase{13, false, "1:47:05 PM \u2014 Wednesday 9 December 2026"},
                           TCase{0, false, "12:47:05 AM \u2014 Wednesday 9 December 2026"},
                           TCase{12, false, "12:47:05 PM \u2014 Wednesday 9 December 2026"},
                           TCase{0, true, "00:47:05 \u2014 Wednesday 9 December 2026"}}) {
        t.tm_hour = c.hour;
        t.tm_min = 47;
        t.tm_sec = 5;
        EXPECT_EQ(TimeInWords(t, c.hour24), c.expected);
    }
}

TEST_F(ClockKeyboardAndTip, TheWheelOverTheClockDoesNothing) {
    StartPastGreeting();
    TPoint p = ClockPoint();
    Then([&] { screen.Click(p.X, p.Y); });  // the clock has the keyboard (and a menu)
    Then([&] { screen.PressKey(VK_ESCAPE); });
    RunAll();
    const TRect before = form->BoundsRect();
    screen.Wheel(p.X, p.Y, -WHEEL_DELTA);
    screen.Wheel(p.X, p.Y, WHEEL_DELTA, true);
    app.Run(300);
    EXPECT_EQ(form->BoundsRect(), before);
    EXPECT_EQ(form->PopupMenu1->WindowHandle(), nullptr);
}

}  // namespace
