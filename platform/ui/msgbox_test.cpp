#include "platform/ui/msgbox.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/button.h"
#include "platform/ui/screen.h"
#include "tests/support/headless_app.h"

namespace {

class MessageBox : public ::testing::Test {
protected:
    THeadlessApp app;
    native::THeadlessBackend& screen = app.Backend();
    TForm* form = nullptr;

    void SetUp() override {
        form = New<TForm>(Application);
        form->SetBorderStyle(bsNone);
        form->SetBounds(100, 100, 400, 300);
        form->Show();
        app.Run();
    }

    static TCustomForm* Box() {
        for (TCustomForm* f : Screen->Forms())
            if (f->Visible() && f->Text() == "Question") return f;
        return nullptr;
    }
    static std::vector<TButton*> Buttons() {
        std::vector<TButton*> buttons;
        TCustomForm* box = Box();
        for (int i = 0; box && i < box->ComponentCount(); ++i)
            if (auto* b = dynamic_cast<TButton*>(box->Components(i))) buttons.push_back(b);
        return buttons;
    }
    void Click(const std::string& caption) {
        for (TButton* b : Buttons())
            if (b->Caption() == caption) {
                TPoint p = b->ClientToScreen({b->Width() / 2, b->Height() / 2});
                screen.Click(p.X, p.Y);
                return;
            }
        ADD_FAILURE() << "no button " << caption;
    }
    int Ask(UINT type, std::function<void()> answer) {
        screen.After(10, std::move(answer));
        return MessageBoxA(form->Handle(), "Save the changes?", "Question", type);
    }
};

TEST_F(MessageBox, YesNoCancelAnswersEveryWay) {
    struct TCase {
        const char* how;
        std::function<void()> answer;
        int expected;
    };
    const std::vector<TCase> cases = {
        {"enter", [&] { screen.PressKey(VK_RETURN); }, IDYES},
        {"escape", [&] { screen.PressKey(VK_ESCAPE); }, IDCANCEL},
        {"close box", [&] { screen.RequestClose(NativeWindow(Box()->Handle())); }, IDCANCEL},
        {"yes", [&] { Click("&Yes"); }, IDYES},
        {"no", [&] { Click("&No"); }, IDNO},
        {"cancel", [&] { Click("Cancel"); }, IDCANCEL},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(Ask(MB_YESNOCANCEL | MB_ICONQUESTION, c.answer), c.expected) << c.how;
}

TEST_F(MessageBox, ButtonsOfYesNoCancelInOrder) {
    std::vector<std::string> captions;
    std::vector<int> lefts;
    Ask(MB_YESNOCANCEL, [&] {
        for (TButton* b : Buttons()) {
            captions.push_back(b->Caption());
            lefts.push_back(b->Left());
        }
        screen.PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(captions, (std::vector<std::string>{"&Yes", "&No", "Cancel"}));
    ASSERT_EQ(lefts.size(), 3u);
    EXPECT_LT(lefts[0], lefts[1]);
    EXPECT_LT(lefts[1], lefts[2]);
}

TEST_F(MessageBox, DefaultButtonTakesEnterAndTheFocus) {
    struct TCase {
        UINT type;
        int expected;
        const char* focused;
    };
    const std::vector<TCase> cases = {
        {MB_YESNOCANCEL | MB_DEFBUTTON2, IDNO, "&No"},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL, "Cancel"},
        {MB_YESNO | MB_DEFBUTTON2, IDNO, "&No"},
        {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL, "Cancel"},
        {MB_YESNO | MB_DEFBUTTON3, IDYES, "&Yes"},  // no third button: the first
        {MB_YESNO, IDYES, "&Yes"},
    };
    for (const TCase& c : cases) {
        std::string focused;
        int outlined = 0;
        int result = Ask(c.type, [&] {
            for (TButton* b : Buttons()) {
                if (b->Focused()) focused = b->Caption();
                if (b->Active()) ++outlined;
            }
            screen.PressKey(VK_RETURN);
        });
        EXPECT_EQ(result, c.expected) << std::hex << c.type;
        EXPECT_EQ(focused, c.focused) << std::hex << c.type;
        EXPECT_EQ(outlined, 1) << std::hex << c.type;
    }
}

TEST_F(MessageBox, YesNoStillIgnoresEscapeAndTheCloseBox) {
    bool openAfter = false;
    screen.After(10, [&] { screen.PressKey(VK_ESCAPE); });
    screen.After(20, [&] { screen.RequestClose(NativeWindow(Box()->Handle())); });
    screen.After(30, [&] { openAfter = Box() != nullptr; });
    screen.After(40, [&] { screen.PressKey(VK_RETURN); });
    EXPECT_EQ(MessageBoxA(form->Handle(), "Replace?", "Question", MB_YESNO), IDYES);
    EXPECT_TRUE(openAfter);
}

TEST_F(MessageBox, YAndNPressYesAndNoAloneOrWithAlt) {
    struct TCase {
        const char* how;
        std::function<void()> answer;
        int expected;
    };
    const std::vector<TCase> cases = {
        {"y", [&] { screen.PressKey('Y', 'y'); }, IDYES},
        {"n", [&] { screen.PressKey('N', 'n'); }, IDNO},
        {"Alt+N",
         [&] {
             screen.KeyDown('N', native::kAlt);
             screen.TypeSysChar('n');
             screen.KeyUp('N', native::kAlt);
         },
         IDNO},
        {"Shift+Y", [&] { screen.PressKey('Y', 'Y', native::kShift); }, IDYES},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(Ask(MB_YESNOCANCEL, c.answer), c.expected) << c.how;
    // Another letter answers nothing: Escape does, later.
    EXPECT_EQ(Ask(MB_YESNOCANCEL,
                  [&] {
                      screen.PressKey('Q', 'q');
                      screen.After(10, [&] { screen.PressKey(VK_ESCAPE); });
                  }),
              IDCANCEL);
}

}  // namespace
