#include "platform/ui/application.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/headless_app.h"
#include "tests/support/throwing_window.h"

namespace {

constexpr UINT WM_COUNT = WM_USER + 1;  // the counting window's handler counts

class ModalLoop : public ::testing::Test {
protected:
    THeadlessApp app;
    native::THeadlessBackend& screen = app.Backend();
    TThrowingWindow thrower;
    HWND window = nullptr;
    int counted = 0;
    std::vector<std::string> handled;  // the exceptions the application was given

    void SetUp() override {
        Application->OnException = [this](TObject* sender, const std::exception& e) {
            EXPECT_EQ(sender, Application);
            handled.push_back(e.what());
        };
        window = CreateWindowExA(0, "", WS_POPUP, 0, 0, 10, 10, HWND_MESSAGE,
                                 [this](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
                                     if (msg == WM_COUNT) ++counted;
                                     return DefWindowProc(hwnd, msg, wParam, lParam);
                                 });
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override { DestroyWindow(window); }
};

TEST_F(ModalLoop, AHandlersExceptionIsHandledAsInTheMainLoopAndTheLoopGoesOn) {
    // The main loop first, as the measure.
    thrower.PostThrow();
    PostMessage(window, WM_COUNT, 0, 0);
    app.Run();
    EXPECT_EQ(handled, (std::vector<std::string>{"thrown"}));
    EXPECT_EQ(counted, 1);

    screen.After(10, [&] { thrower.PostThrow(); });
    screen.After(20, [&] { PostMessage(window, WM_COUNT, 0, 0); });
    EXPECT_TRUE(RunModalLoop([&] { return counted == 2; }));
    EXPECT_EQ(handled, (std::vector<std::string>{"thrown", "thrown"}));
    EXPECT_FALSE(Application->Terminated());
}

TEST_F(ModalLoop, AnExceptionOfTheFilterIsHandledToo) {
    screen.After(10, [&] { PostMessage(window, WM_COUNT, 0, 0); });
    screen.After(20, [&] { PostMessage(window, WM_COUNT, 0, 0); });
    int seen = 0;
    EXPECT_TRUE(RunModalLoop([&] { return counted == 1; },
                             [&](MSG& msg) {
                                 if (msg.message != WM_COUNT) return false;
                                 if (++seen == 1) throw std::runtime_error("filter");
                                 return false;
                             }));
    EXPECT_EQ(seen, 2);
    EXPECT_EQ(handled, (std::vector<std::string>{"filter"}));
}

TEST_F(ModalLoop, TheFilterSeesEachMessageAndKeepsWhatItTakes) {
    screen.After(10, [&] { PostMessage(window, WM_COUNT, 1, 0); });
    screen.After(20, [&] { PostMessage(window, WM_COUNT, 2, 0); });
    screen.After(30, [&] { PostMessage(window, WM_COUNT, 3, 0); });
    std::vector<WPARAM> seen;
    EXPECT_TRUE(RunModalLoop([&] { return seen.size() == 3; },
                             [&](MSG& msg) {
                                 if (msg.message != WM_COUNT) return false;
                                 seen.push_back(msg.wParam);
                                 return msg.wParam == 2;
                             }));
    EXPECT_EQ(seen, (std::vector<WPARAM>{1, 2, 3}));
    EXPECT_EQ(counted, 2) << "the taken message reached no handler";
}

TEST_F(ModalLoop, AQuitEndsEveryNestedLoopAndReachesTheMainLoop) {
    bool inner = true, outer = true;
    screen.After(10, [&] { PostMessage(window, WM_COUNT, 0, 0); });
    screen.After(20, [&] { PostQuitMessage(5); });
    outer = RunModalLoop([] { return false; },
                         [&](MSG& msg) {
                             if (msg.message == WM_COUNT)
                                 inner = RunModalLoop([] { return false; });
                             return false;
                         });
    EXPECT_FALSE(inner);
    EXPECT_FALSE(outer);
    EXPECT_TRUE(Application->Terminated()) << "at once, before the main loop runs again";
    EXPECT_EQ(counted, 1);
    // The quit message is there again for the loop beneath, with its code.
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, WPARAM(5));
    // A loop asked to run after the end runs nothing.
    PostMessage(window, WM_COUNT, 0, 0);
    EXPECT_FALSE(RunModalLoop([] { return false; }));
    EXPECT_EQ(counted, 1);
}

TEST_F(ModalLoop, AModalFormEndsAsCancelWhenTheProgramQuits) {
    auto* form = New<TForm>(Application);
    screen.After(10, [] { PostQuitMessage(0); });
    EXPECT_EQ(form->ShowModal(), mrCancel);
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(Application->Terminated());
}

// An object that says when it is freed.
class TWatched : public TObject {
public:
    explicit TWatched(bool& freed) : freed_(freed) {}
    ~TWatched() override { freed_ = true; }

private:
    bool& freed_;
};

TEST(ScopedObject, FreesItsObjectAtTheEndOfTheScopeAlsoByAnException) {
    bool freed = false;
    {
        TScopedObject<TWatched> watched(New<TWatched>(freed));
        EXPECT_FALSE(freed);
        EXPECT_NE(watched.Get(), nullptr);
    }
    EXPECT_TRUE(freed);

    freed = false;
    EXPECT_THROW(
        {
            TScopedObject<TWatched> watched(New<TWatched>(freed));
            throw std::runtime_error("leaving");
        },
        std::runtime_error);
    EXPECT_TRUE(freed);
}

}  // namespace
