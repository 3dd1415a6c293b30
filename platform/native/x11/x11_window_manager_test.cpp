// Tests of the X11 backend on a server under a window manager (openbox): state changes,
// placement, dialogs' frames, focus and stacking, closing by the window manager.
#ifdef ZT_HAVE_X11

#include "tests/support/x11_testing.h"

namespace native {
namespace {

// Under a window manager
// ----------------------------------------------------------------------------

class X11WindowManagerTest : public X11Test {
protected:
    static void SetUpTestSuite() {
        X11Test::SetUpTestSuite();
        if (server && server->Ok()) managed = server->StartWindowManager();
    }
    static void TearDownTestSuite() {
        X11Test::TearDownTestSuite();
        managed = false;
    }
    void SetUp() override {
        X11Test::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        if (!managed) GTEST_SKIP() << "openbox is not installed or did not start";
    }

    // The window manager must be done with a test's windows before the next test: the
    // next connection gets the same window ids, which it would take for the old windows.
    void TearDown() override {
        backend.reset();
        if (observer && managed) {
            Window root = DefaultRootWindow(observer);
            EXPECT_TRUE(ObserveUntil([&] {
                for (unsigned long client : Property32(root, "_NET_CLIENT_LIST"))
                    if (std::find(made.begin(), made.end(), client) != made.end()) return false;
                return true;
            }));
        }
        X11Test::TearDown();
    }

    bool Managed(Window window) { return !Property32(window, "WM_STATE").empty(); }

    static bool managed;
};

bool X11WindowManagerTest::managed = false;

TEST_F(X11WindowManagerTest, StateChangesGoThroughTheWindowManager) {
    TWindowParams params;
    params.Borderless = true;
    auto window =
        ShownWindow(TRect::FromSize(200, 150, 150, 90),
                    MakeFrame(150, 90, [](int x, int y) { return Pattern(x, y, 14); }), params);
    Window id = window->Id();
    ASSERT_TRUE(ObserveUntil([&] { return Managed(id); }));

    window->SetStayOnTop(true);
    EXPECT_TRUE(ObserveUntil([&] { return HasState(id, "_NET_WM_STATE_ABOVE"); }));
    window->SetTaskbarButton(false);
    EXPECT_TRUE(ObserveUntil([&] {
        return HasState(id, "_NET_WM_STATE_SKIP_TASKBAR") &&
               HasState(id, "_NET_WM_STATE_SKIP_PAGER");
    }));
    window->SetStayOnTop(false);
    EXPECT_TRUE(ObserveUntil([&] { return !HasState(id, "_NET_WM_STATE_ABOVE"); }));
    EXPECT_TRUE(HasState(id, "_NET_WM_STATE_SKIP_TASKBAR"));

    // Hidden and shown again, the window keeps its state.
    window->SetStayOnTop(true);
    ASSERT_TRUE(ObserveUntil([&] { return HasState(id, "_NET_WM_STATE_ABOVE"); }));
    window->Show(false);
    ASSERT_TRUE(ObserveUntil([&] { return !Managed(id); }));
    window->Show(true);
    ASSERT_TRUE(ObserveUntil([&] { return Managed(id); }));
    EXPECT_TRUE(ObserveUntil([&] {
        return HasState(id, "_NET_WM_STATE_ABOVE") && HasState(id, "_NET_WM_STATE_SKIP_TASKBAR");
    }));
}

TEST_F(X11WindowManagerTest, StateGivenAtCreationHoldsOnceManaged) {
    TWindowParams params;
    params.Borderless = true;
    params.StayOnTop = true;
    params.TaskbarButton = false;
    auto window =
        ShownWindow(TRect::FromSize(220, 160, 150, 90),
                    MakeFrame(150, 90, [](int x, int y) { return Pattern(x, y, 15); }), params);
    Window id = window->Id();
    ASSERT_TRUE(ObserveUntil([&] { return Managed(id); }));
    EXPECT_TRUE(ObserveUntil([&] {
        return HasState(id, "_NET_WM_STATE_ABOVE") && HasState(id, "_NET_WM_STATE_SKIP_TASKBAR") &&
               HasState(id, "_NET_WM_STATE_SKIP_PAGER");
    }));
}

TEST_F(X11WindowManagerTest, WindowsStayWhereTheProgramPutsThem) {
    TWindowParams borderless;
    borderless.Borderless = true;
    const TRect clockBounds = TRect::FromSize(200, 150, 150, 90);
    auto clock =
        ShownWindow(clockBounds, MakeFrame(150, 90, [](int x, int y) { return Pattern(x, y, 16); }),
                    borderless);
    TWindowParams dialogParams;
    dialogParams.Kind = TWindowKind::Dialog;
    dialogParams.Owner = clock.get();
    const TRect dialogBounds = TRect::FromSize(400, 300, 200, 120);
    auto dialog = ShownWindow(dialogBounds,
                              MakeFrame(200, 120, [](int x, int y) { return Pattern(x, y, 17); }),
                              dialogParams);
    ASSERT_TRUE(ObserveUntil([&] { return Managed(clock->Id()) && Managed(dialog->Id()); }));
    EXPECT_TRUE(ObserveUntil([&] { return RootPosition(clock->Id()) == clockBounds.TopLeft(); }))
        << RootPosition(clock->Id()).X << "," << RootPosition(clock->Id()).Y;
    EXPECT_TRUE(ObserveUntil([&] { return RootPosition(dialog->Id()) == dialogBounds.TopLeft(); }))
        << RootPosition(dialog->Id()).X << "," << RootPosition(dialog->Id()).Y;

    // A move by the program: reported moves, if any, are where the program put it.
    const TRect moved = TRect::FromSize(260, 190, 150, 90);
    clock->SetBounds(moved);
    EXPECT_TRUE(ObserveUntil([&] { return RootPosition(clock->Id()) == moved.TopLeft(); }));
    for (const TEvent& e : Pending()) {
        if (e.Kind == TEventKind::Moved && e.Window == clock.get()) {
            EXPECT_EQ(e.Rect, moved);
        }
    }
    EXPECT_EQ(clock->Bounds(), moved);
}

TEST_F(X11WindowManagerTest, ADialogKnowsItsFrameBeforeItIsShownAndTheFrameIsThere) {
    TWindowParams dialogParams;
    dialogParams.Kind = TWindowKind::Dialog;
    auto dialog = MakeWindow(TRect::FromSize(300, 300, 200, 120), dialogParams);
    const TFrameExtents asked = dialog->FrameExtents();
    EXPECT_GT(asked.Top, asked.Bottom);  // a title bar above, a thin border below
    EXPECT_GT(asked.Top, 10);
    dialog->Present(MakeFrame(200, 120, [](int x, int y) { return Pattern(x, y, 20); }),
                    {0, 0, 200, 120});
    dialog->Show(true);
    ASSERT_TRUE(ObserveUntil([&] { return Managed(dialog->Id()); }));
    // The frame put around it is the one announced: its outer rectangle on the screen.
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    ASSERT_TRUE(XQueryTree(observer, dialog->Id(), &root, &parent, &children, &count));
    if (children) XFree(children);
    EXPECT_TRUE(ObserveUntil([&] {
        XWindowAttributes frame{};
        XGetWindowAttributes(observer, parent, &frame);
        TPoint frameAt = RootPosition(parent);
        return frameAt == TPoint{300 - asked.Left, 300 - asked.Top} &&
               frame.width + 2 * frame.border_width == 200 + asked.Left + asked.Right &&
               frame.height + 2 * frame.border_width == 120 + asked.Top + asked.Bottom;
    }));
    EXPECT_EQ(dialog->FrameExtents(), asked);
    // A borderless window has none.
    TWindowParams borderless;
    borderless.Borderless = true;
    EXPECT_EQ(MakeWindow(TRect::FromSize(10, 10, 150, 90), borderless)->FrameExtents(),
              TFrameExtents{});
}

// Handles the backend's events (a dialog takes the focus on them) until check holds.
bool X11WindowManagerTest_PumpUntil(TX11Backend& backend, const std::function<bool()>& check,
                                    int timeoutMs = 10000) {
    int64_t deadline = backend.NowMs() + timeoutMs;
    std::vector<TEvent> events;
    while (!check()) {
        if (backend.NowMs() >= deadline) return false;
        events.clear();
        backend.WaitEvents(std::min(deadline, backend.NowMs() + 20), events);
    }
    return true;
}

TEST_F(X11WindowManagerTest, DialogTakesTheKeyboardFocusEachTimeItIsShown) {
    TWindowParams borderless;
    borderless.Borderless = true;
    auto owner =
        ShownWindow(TRect::FromSize(100, 100, 150, 90),
                    MakeFrame(150, 90, [](int x, int y) { return Pattern(x, y, 20); }), borderless);
    auto other = ShownWindow(TRect::FromSize(500, 100, 150, 90),
                             MakeFrame(150, 90, [](int x, int y) { return Pattern(x, y, 21); }));
    ASSERT_TRUE(ObserveUntil([&] { return Managed(owner->Id()) && Managed(other->Id()); }));
    auto focusIs = [&](Window window) {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(observer, &focus, &revert);
        return focus == window;
    };
    // The user works in another window when the dialog comes.
    XSetInputFocus(observer, other->Id(), RevertToParent, CurrentTime);
    XSync(observer, False);
    ASSERT_TRUE(focusIs(other->Id()));

    TWindowParams dialogParams;
    dialogParams.Kind = TWindowKind::Dialog;
    dialogParams.Owner = owner.get();
    auto dialog = ShownWindow(TRect::FromSize(200, 300, 200, 120),
                              MakeFrame(200, 120, [](int x, int y) { return Pattern(x, y, 22); }),
                              dialogParams);
    EXPECT_TRUE(X11WindowManagerTest_PumpUntil(*backend, [&] { return focusIs(dialog->Id()); }));

    dialog->Show(false);
    ASSERT_TRUE(ObserveUntil([&] { return !Managed(dialog->Id()); }));
    XSetInputFocus(observer, other->Id(), RevertToParent, CurrentTime);
    XSync(observer, False);
    dialog->Show(true);
    EXPECT_TRUE(X11WindowManagerTest_PumpUntil(*backend, [&] { return focusIs(dialog->Id()); }));
}

TEST_F(X11WindowManagerTest, DialogOfAStayOnTopOwnerIsStackedAboveIt) {
    TWindowParams ownerParams;
    ownerParams.Borderless = true;
    ownerParams.StayOnTop = true;
    auto owner = ShownWindow(TRect::FromSize(100, 100, 150, 90),
                             MakeFrame(150, 90, [](int x, int y) { return Pattern(x, y, 23); }),
                             ownerParams);
    ASSERT_TRUE(ObserveUntil([&] { return Managed(owner->Id()); }));
    TWindowParams dialogParams;
    dialogParams.Kind = TWindowKind::Dialog;
    dialogParams.Owner = owner.get();
    auto dialog = ShownWindow(TRect::FromSize(120, 110, 200, 120),
                              MakeFrame(200, 120, [](int x, int y) { return Pattern(x, y, 24); }),
                              dialogParams);
    Window root = DefaultRootWindow(observer);
    auto stackedAbove = [&](Window upper, Window lower) {
        std::vector<unsigned long> stacking = Property32(root, "_NET_CLIENT_LIST_STACKING");
        auto u = std::find(stacking.begin(), stacking.end(), upper);
        auto l = std::find(stacking.begin(), stacking.end(), lower);
        return u != stacking.end() && l != stacking.end() && u > l;
    };
    EXPECT_TRUE(ObserveUntil([&] {
        return stackedAbove(dialog->Id(), owner->Id()) &&
               HasState(dialog->Id(), "_NET_WM_STATE_ABOVE");
    }));
    // Clicking the owner raises it, but not over its dialog.
    owner->Raise();
    Sync();
    EXPECT_TRUE(ObserveUntil([&] { return stackedAbove(dialog->Id(), owner->Id()); }));

    // The dialog keeps the above state only while its owner has it.
    owner->SetStayOnTop(false);
    EXPECT_TRUE(ObserveUntil([&] {
        return !HasState(dialog->Id(), "_NET_WM_STATE_ABOVE") &&
               !HasState(owner->Id(), "_NET_WM_STATE_ABOVE");
    }));
    owner->SetStayOnTop(true);
    EXPECT_TRUE(ObserveUntil([&] { return HasState(dialog->Id(), "_NET_WM_STATE_ABOVE"); }));
}

TEST_F(X11WindowManagerTest, ClosingADialogByTheWindowManagerIsACloseRequest) {
    auto owner = ShownWindow(TRect::FromSize(100, 100, 150, 90),
                             MakeFrame(150, 90, [](int x, int y) { return Pattern(x, y, 25); }));
    TWindowParams dialogParams;
    dialogParams.Kind = TWindowKind::Dialog;
    dialogParams.Owner = owner.get();
    auto dialog = ShownWindow(TRect::FromSize(200, 300, 200, 120),
                              MakeFrame(200, 120, [](int x, int y) { return Pattern(x, y, 26); }),
                              dialogParams);
    ASSERT_TRUE(ObserveUntil([&] { return Managed(dialog->Id()); }));
    Pending();
    // What the close button of the dialog's frame does: the window manager asks the
    // window to close with WM_DELETE_WINDOW.
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = dialog->Id();
    close.xclient.message_type = AtomOf("_NET_CLOSE_WINDOW");
    close.xclient.format = 32;
    close.xclient.data.l[0] = CurrentTime;
    close.xclient.data.l[1] = 2;  // a pager: the user's request
    XSendEvent(observer, DefaultRootWindow(observer), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &close);
    XFlush(observer);
    std::vector<TEvent> events =
        Collect([](const TEvent& e) { return e.Kind == TEventKind::CloseRequest; });
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().Kind, TEventKind::CloseRequest);
    EXPECT_EQ(events.back().Window, dialog.get());
}

}  // namespace
}  // namespace native

#endif  // ZT_HAVE_X11
