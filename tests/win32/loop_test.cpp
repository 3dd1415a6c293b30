// The framework's message loop on the win32 backend: timers are dispatched by the main
// loop and by a loop nested in a handler, as a modal dialog's is, and Wake reaches the
// loop from outside.
#include <gtest/gtest.h>

#include "platform/native/win32/win32.h"
#include "platform/ui/winapi.h"

namespace {

constexpr UINT kStartModal = WM_USER + 1;

class LoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto backend = native::CreateWin32Backend();
        ASSERT_TRUE(backend);
        native::SetBackend(std::move(backend));
    }
    void TearDown() override {
        DestroyAllWindows();
        native::SetBackend(nullptr);
    }
};

TEST_F(LoopTest, TimersRunInANestedLoopAndTheOuterLoopGoesOnAfterIt) {
    int ticks = 0, ticksInNested = 0;
    bool nestedDone = false;
    HWND window = CreateWindowExA(0, "loop", WS_POPUP, 10, 10, 40, 30, nullptr,
                                  [&](HWND h, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
                                      if (msg == WM_TIMER) ++ticks;
                                      if (msg == kStartModal) {
                                          // A modal loop: it ends after three ticks.
                                          MSG m;
                                          while (ticks < 3 && GetMessage(&m, nullptr, 0, 0))
                                              DispatchMessage(&m);
                                          ticksInNested = ticks;
                                          nestedDone = true;
                                      }
                                      if (msg == WM_TIMER && nestedDone && ticks >= 5)
                                          PostQuitMessage(7);
                                      return DefWindowProc(h, msg, w, l);
                                  });
    ASSERT_NE(window, nullptr);
    ASSERT_NE(NativeWindow(window), nullptr);
    SetTimer(window, 1, 20);
    PostMessage(window, kStartModal, 0, 0);
    const int64_t start = GetTickCount64();
    MSG m;
    while (GetMessage(&m, nullptr, 0, 0))
        DispatchMessage(&m);
    EXPECT_EQ(m.wParam, 7u);
    EXPECT_EQ(ticksInNested, 3);
    EXPECT_GE(ticks, 5);
    EXPECT_GE(GetTickCount64() - start, 5 * 20 - 16);  // the system's timer granularity
}

TEST_F(LoopTest, WakeReachesAWaitingLoop) {
    int wakes = 0;
    SetWakeHandler([&] {
        ++wakes;
        PostQuitMessage(0);
    });
    native::Backend().Wake();
    MSG m;
    while (GetMessage(&m, nullptr, 0, 0))
        DispatchMessage(&m);
    EXPECT_EQ(wakes, 1);
    SetWakeHandler({});
}

}  // namespace
