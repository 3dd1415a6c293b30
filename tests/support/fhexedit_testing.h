// The fixture of the tests of the hex editor's main window: the program started as main
// starts it, driven as a user drives it (keys, clicks on the menu bar and in the dialogs)
// on the headless desktop in virtual time. Steps are scheduled on the virtual clock and
// run inside whichever loop waits then (the main loop, a menu's, a dialog's or a message
// box's), as input does.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "hexedit/fhexedit.h"
#include "hexedit/options.h"
#include "platform/ui/accel.h"
#include "platform/ui/screen.h"
#include "platform/ui/stylepainter.h"
#include "tests/support/headless_app.h"

namespace hexedit_testing {

namespace fs = std::filesystem;

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// 64 bytes: "Hello, world" then the values 0x10 to 0x43, "hello" twice more along the way.
inline std::string SampleBytes() {
    std::string bytes = "Hello, world";
    for (int i = 0; bytes.size() < 64; ++i)
        bytes += char(0x10 + i);
    bytes.replace(30, 5, "hello");
    bytes.replace(50, 5, "HELLO");
    bytes[40] = char(0x12);
    bytes[41] = char(0x34);
    return bytes;
}

class HexEdit : public ::testing::Test {
protected:
    THeadlessApp app{{1024, 768}};
    native::THeadlessBackend& screen = app.Backend();
    TFormHexEdit* form = nullptr;
    fs::path dir;
    fs::path file;
    int64_t next_ = 0;
    std::vector<std::string> boxes;  // the texts of the message boxes shown, in order

    void SetUp() override {
        std::random_device random;
        do {
            dir = fs::temp_directory_path() / ("zt-hexedit-" + std::to_string(random()));
        } while (!fs::create_directory(dir));
        file = dir / "data.bin";
        WriteFile(file, SampleBytes());
    }
    void TearDown() override {
        if (form) form->Free();
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    // Starts the program as main does, with a file named on the command line or none.
    void Start(const std::string& argument) {
        Application->CreateForm(form);
        // Journals and recovery files of the test's own.
        form->HexEditor1->Document().SetStateFolder(StateFolder().string());
        form->Show();
        if (!argument.empty()) form->OpenArgument(argument);
        app.Run();
    }
    THexEditor& Editor() { return *form->HexEditor1; }
    fs::path StateFolder() const { return dir / "state"; }
    // The bytes the editor shows, all of them.
    std::string Shown() {
        std::string bytes(size_t(Editor().Size()), '\0');
        Editor().Document().Read(0, reinterpret_cast<uint8_t*>(bytes.data()), bytes.size());
        return bytes;
    }

    // Schedules a step gap milliseconds after the previous one.
    void Then(std::function<void()> step, int64_t gap = 20) {
        next_ = std::max(next_, app.Now()) + gap;
        screen.At(next_, std::move(step));
    }
    // Runs until every scheduled step has run, and a little longer.
    void RunAll() { app.Run(std::max<int64_t>(next_ - app.Now(), 0) + 200); }

    void Type(const std::string& text) {
        for (char c : text)
            screen.TypeChar(uint8_t(c));
    }
    void Ctrl(int key) { screen.PressKey(key, 0, native::kControl); }

    // The message box shown now, or none.
    TCustomForm* Box() {
        for (TCustomForm* f : Screen->Forms())
            if (f != form && f->Visible() && f->Caption() == kHexEditName) return f;
        return nullptr;
    }
    static std::string TextOf(TCustomForm* box) {
        for (int i = 0; box && i < box->ControlCount(); ++i)
            if (auto* label = dynamic_cast<TLabel*>(box->Controls(i))) return label->Caption();
        return {};
    }
    void ClickOn(TControl* control) {
        TPoint p = control->ClientToScreen({control->Width() / 2, control->Height() / 2});
        screen.Click(p.X, p.Y);
    }
    // Answers the message box shown now with a button (its caption without the access
    // letter's mark), noting its text.
    void Answer(const std::string& button) {
        TCustomForm* box = Box();
        ASSERT_NE(box, nullptr) << "no message box for " << button;
        boxes.push_back(TextOf(box));
        for (int i = 0; i < box->ControlCount(); ++i)
            if (auto* b = dynamic_cast<TButton*>(box->Controls(i));
                b && ParseAccel(b->Caption()).Text == button) {
                ClickOn(b);
                return;
            }
        ADD_FAILURE() << "no button " << button;
    }

    // The headless desktop gives the keyboard to no window once a dialog has gone (a window
    // manager would give it back to the main window): a click on the status line does.
    void FocusMainWindow() { ClickOn(form->PanelStatus); }

    // Chooses a menu command with the mouse: a click on its title, then on the command.
    void Choose(TMenuItem* item) {
        TMenuItem* title = item->Parent();
        int index = 0;
        while (form->MainMenu1->Items()->Items(index) != title)
            ++index;
        Then([this, index] {
            TRect r = form->MainMenu1->TitleRect(index);
            TPoint p = form->MainMenu1->ClientToScreen({r.Left + 4, r.Top + 4});
            screen.Click(p.X, p.Y);
        });
        Then([this, title, item] {
            HWND menu = form->MainMenu1->MenuWindow();
            ASSERT_NE(menu, nullptr);
            TRect r;
            GetWindowRect(menu, &r);
            int y = r.Top + kMenuBorder;
            for (int i = 0; i < title->Count() && title->Items(i) != item; ++i)
                if (title->Items(i)->Visible())
                    y += title->Items(i)->IsLine() ? kMenuSeparatorHeight : kMenuItemHeight;
            screen.Click(r.Left + kMenuBorder + 20, y + kMenuItemHeight / 2);
        });
    }

    // Searches with the Find dialog: Ctrl+F, the text typed, the mode clicked, Enter.
    void Find(const std::string& text, int modeIndex, bool matchCase = false) {
        Then([this] { Ctrl('F'); });
        Then([this, text, modeIndex, matchCase] {
            TFormFind* dialog = OpenFind();
            ASSERT_NE(dialog, nullptr);
            Type(text);
            TRect r = dialog->RadioGroupMode->ItemRect(modeIndex);
            TPoint p = dialog->RadioGroupMode->ClientToScreen({r.Left + 6, (r.Top + r.Bottom) / 2});
            screen.Click(p.X, p.Y);
            if (matchCase != dialog->CheckBoxMatchCase->Checked())
                ClickOn(dialog->CheckBoxMatchCase);
        });
        Then([this] { screen.PressKey(VK_RETURN, '\r'); });
        Then([this] { FocusMainWindow(); });
    }
    TFormFind* OpenFind() {
        for (int i = 0; i < form->ComponentCount(); ++i)
            if (auto* dialog = dynamic_cast<TFormFind*>(form->Components(i));
                dialog && dialog->Visible())
                return dialog;
        return nullptr;
    }
};

}  // namespace hexedit_testing
