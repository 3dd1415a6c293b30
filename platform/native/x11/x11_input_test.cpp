// Tests of the X11 backend on a server: pointer and keyboard input, faked through XTest on
// the observer's connection.
#ifdef ZT_HAVE_X11

#include "tests/support/x11_testing.h"

namespace native {
namespace {

#ifdef ZT_HAVE_XTEST

// Input, faked through XTest on the observer's connection
// ------------------------------------------

// A key event as the key test compares it.
struct TSeen {
    TEventKind kind;
    int key;
    uint32_t ch;
    unsigned modifiers;
    bool operator==(const TSeen&) const = default;
};

class X11InputTest : public X11Test {
protected:
    void SetUp() override {
        X11Test::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        int event = 0, error = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(observer, &event, &error, &major, &minor))
            GTEST_SKIP() << "no XTest on the server";
    }

    void MoveTo(int x, int y) {
        XTestFakeMotionEvent(observer, 0, x, y, CurrentTime);
        XSync(observer, False);
    }
    void Button(int button, bool down) {
        XTestFakeButtonEvent(observer, unsigned(button), down, CurrentTime);
        XSync(observer, False);
    }
    void Key(KeySym keysym, bool down) {
        XTestFakeKeyEvent(observer, XKeysymToKeycode(observer, keysym), down, CurrentTime);
        XSync(observer, False);
    }
    static bool IsButton(const TEvent& e, TEventKind kind) { return e.Kind == kind; }
};

TEST_F(X11InputTest, ClickArrivesWithScreenPositionButtonAndModifiers) {
    auto window = ShownWindow(TRect::FromSize(200, 150, 60, 40),
                              MakeFrame(60, 40, [](int x, int y) { return Pattern(x, y, 10); }));
    Pending();
    MoveTo(215, 160);
    Button(1, true);
    Button(1, false);
    std::vector<TEvent> events =
        Collect([](const TEvent& e) { return e.Kind == TEventKind::ButtonUp; });
    auto down = std::find_if(events.begin(), events.end(),
                             [](const TEvent& e) { return e.Kind == TEventKind::ButtonDown; });
    ASSERT_NE(down, events.end());
    EXPECT_EQ(down->Window, window.get());
    EXPECT_EQ(down->ScreenPos, (TPoint{215, 160}));
    EXPECT_EQ(down->Button, kLeftButton);
    EXPECT_EQ(down->Modifiers, kLeftDown);
    ASSERT_EQ(events.back().Kind, TEventKind::ButtonUp);
    EXPECT_EQ(events.back().Modifiers, 0u);
    EXPECT_EQ(backend->CursorPos(), (TPoint{215, 160}));
}

TEST_F(X11InputTest, MovesOfABurstComeAsTheLastOne) {
    auto window = ShownWindow(TRect::FromSize(200, 150, 60, 40),
                              MakeFrame(60, 40, [](int x, int y) { return Pattern(x, y, 11); }));
    MoveTo(205, 155);
    Pending();
    for (int i = 1; i <= 5; ++i)
        MoveTo(205 + i, 155 + i);
    std::vector<TEvent> events = Pending();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].Kind, TEventKind::MouseMove);
    EXPECT_EQ(events[0].ScreenPos, (TPoint{210, 160}));
}

TEST_F(X11InputTest, ClicksOnKeyPixelsGoThroughTheWindow) {
    // The left half is black and keyed: a click there does not reach the window.
    auto window =
        ShownWindow(TRect::FromSize(200, 150, 60, 40),
                    MakeFrame(60, 40, [](int x, int) { return x < 30 ? clBlack : clYellow; }));
    window->SetColorKey(clBlack);
    Pending();
    MoveTo(210, 160);
    Button(1, true);
    Button(1, false);
    MoveTo(245, 160);
    Button(3, true);
    Button(3, false);
    std::vector<TEvent> events =
        Collect([](const TEvent& e) { return e.Kind == TEventKind::ButtonUp; });
    auto down = std::find_if(events.begin(), events.end(),
                             [](const TEvent& e) { return e.Kind == TEventKind::ButtonDown; });
    ASSERT_NE(down, events.end());
    EXPECT_EQ(down->Button, kRightButton);
    EXPECT_EQ(down->ScreenPos, (TPoint{245, 160}));
}

TEST_F(X11InputTest, CaptureBringsClicksFromOutsideTheWindow) {
    auto window = ShownWindow(TRect::FromSize(200, 150, 60, 40),
                              MakeFrame(60, 40, [](int x, int y) { return Pattern(x, y, 12); }));
    Pending();
    backend->SetCapture(window.get());
    EXPECT_EQ(backend->PointerGrab(), window.get());
    MoveTo(500, 400);
    Button(1, true);
    Button(1, false);
    std::vector<TEvent> events =
        Collect([](const TEvent& e) { return e.Kind == TEventKind::ButtonUp; });
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().Kind, TEventKind::ButtonUp);
    EXPECT_EQ(events.back().Window, window.get());
    EXPECT_EQ(events.back().ScreenPos, (TPoint{500, 400}));

    // Released: a click outside is not the window's; the next one inside is the first it gets.
    backend->SetCapture(nullptr);
    Sync();  // the grab must be gone before the observer's input arrives
    MoveTo(520, 420);
    Button(1, true);
    Button(1, false);
    MoveTo(230, 170);
    Button(3, true);
    Button(3, false);
    events = Collect([](const TEvent& e) { return e.Kind == TEventKind::ButtonDown; });
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().Button, kRightButton);
    for (const TEvent& e : events)
        EXPECT_TRUE(window->Bounds().Contains(e.ScreenPos))
            << int(e.Kind) << " at " << e.ScreenPos.X << "," << e.ScreenPos.Y;
}

TEST_F(X11InputTest, KeysGiveVirtualKeysAndCharacters) {
    auto window = ShownWindow(TRect::FromSize(200, 150, 60, 40),
                              MakeFrame(60, 40, [](int x, int y) { return Pattern(x, y, 13); }));
    XSetInputFocus(observer, window->Id(), RevertToParent, CurrentTime);
    XSync(observer, False);
    Pending();
    Key(XK_a, true);
    Key(XK_a, false);
    Key(XK_Shift_L, true);
    Key(XK_b, true);
    Key(XK_b, false);
    Key(XK_Shift_L, false);
    Key(XK_Return, true);
    Key(XK_Return, false);
    std::vector<TEvent> events =
        Collect([](const TEvent& e) { return e.Kind == TEventKind::KeyUp && e.Key == VK_RETURN; });
    std::vector<TSeen> seen;
    for (const TEvent& e : events) {
        EXPECT_EQ(e.Window, window.get());
        seen.push_back({e.Kind, e.Key, e.Char, e.Modifiers});
    }
    const std::vector<TSeen> expected = {
        {TEventKind::KeyDown, 'A', 0, 0},       {TEventKind::Char, 0, 'a', 0},
        {TEventKind::KeyUp, 'A', 0, 0},         {TEventKind::KeyDown, VK_SHIFT, 0, 0},
        {TEventKind::KeyDown, 'B', 0, kShift},  {TEventKind::Char, 0, 'B', kShift},
        {TEventKind::KeyUp, 'B', 0, kShift},    {TEventKind::KeyUp, VK_SHIFT, 0, kShift},
        {TEventKind::KeyDown, VK_RETURN, 0, 0}, {TEventKind::Char, 0, '\r', 0},
        {TEventKind::KeyUp, VK_RETURN, 0, 0},
    };
    EXPECT_EQ(seen, expected);
}

TEST_F(X11InputTest, AltChordsComeAsSystemCharactersAndCtrlChordsTypeNothing) {
    auto window = ShownWindow(TRect::FromSize(200, 150, 60, 40),
                              MakeFrame(60, 40, [](int x, int y) { return Pattern(x, y, 14); }));
    XSetInputFocus(observer, window->Id(), RevertToParent, CurrentTime);
    XSync(observer, False);
    Pending();
    auto chord = [&](KeySym modifier, KeySym key) {
        Key(modifier, true);
        Key(key, true);
        Key(key, false);
        Key(modifier, false);
    };
    chord(XK_Alt_L, XK_f);
    chord(XK_Control_L, XK_1);
    chord(XK_Control_L, XK_period);
    Key(XK_Return, true);
    Key(XK_Return, false);
    std::vector<TEvent> events =
        Collect([](const TEvent& e) { return e.Kind == TEventKind::KeyUp && e.Key == VK_RETURN; });
    std::vector<TSeen> typed;
    for (const TEvent& e : events)
        if (e.Kind == TEventKind::Char || e.Kind == TEventKind::SysChar)
            typed.push_back({e.Kind, e.Key, e.Char, e.Modifiers});
    const std::vector<TSeen> expected = {
        {TEventKind::SysChar, 0, 'f', kAlt},
        {TEventKind::Char, 0, '\r', 0},
    };
    EXPECT_EQ(typed, expected);
}

TEST_F(X11InputTest, WheelButtonsAreNotchesOfTheWheel) {
    auto window = ShownWindow(TRect::FromSize(200, 150, 60, 40),
                              MakeFrame(60, 40, [](int x, int y) { return Pattern(x, y, 15); }));
    Pending();
    MoveTo(220, 170);
    for (int button : {4, 5, 6, 7}) {
        Button(button, true);
        Button(button, false);
    }
    Button(1, true);
    Button(1, false);
    std::vector<TEvent> events =
        Collect([](const TEvent& e) { return e.Kind == TEventKind::ButtonUp; });
    std::vector<std::pair<int, bool>> turns;
    for (const TEvent& e : events) {
        if (e.Kind != TEventKind::Wheel) continue;
        EXPECT_EQ(e.Window, window.get());
        EXPECT_EQ(e.ScreenPos, (TPoint{220, 170}));
        turns.emplace_back(e.Delta, e.Horizontal);
    }
    const std::vector<std::pair<int, bool>> expected = {
        {kWheelNotch, false}, {-kWheelNotch, false}, {-kWheelNotch, true}, {kWheelNotch, true}};
    EXPECT_EQ(turns, expected);
    auto down = std::find_if(events.begin(), events.end(),
                             [](const TEvent& e) { return e.Kind == TEventKind::ButtonDown; });
    ASSERT_NE(down, events.end());
    EXPECT_EQ(down->Button, kLeftButton);  // the wheel's buttons were no presses
}

TEST_F(X11InputTest, PopupHoldingTheCaptureGetsTheKeysWithoutTheFocus) {
    auto focused = ShownWindow(TRect::FromSize(200, 150, 60, 40),
                               MakeFrame(60, 40, [](int x, int y) { return Pattern(x, y, 18); }));
    XSetInputFocus(observer, focused->Id(), RevertToParent, CurrentTime);
    XSync(observer, False);
    TWindowParams popupParams;
    popupParams.Kind = TWindowKind::Popup;
    auto popup =
        ShownWindow(TRect::FromSize(300, 200, 80, 60),
                    MakeFrame(80, 60, [](int x, int y) { return Pattern(x, y, 19); }), popupParams);
    Pending();
    auto keyDownFor = [&](KeySym keysym) {
        Key(keysym, true);
        Key(keysym, false);
        std::vector<TEvent> events =
            Collect([](const TEvent& e) { return e.Kind == TEventKind::KeyUp; });
        auto down = std::find_if(events.begin(), events.end(),
                                 [](const TEvent& e) { return e.Kind == TEventKind::KeyDown; });
        return down == events.end() ? nullptr : down->Window;
    };

    backend->SetCapture(popup.get());
    EXPECT_EQ(backend->KeyboardGrab(), popup.get());
    EXPECT_EQ(keyDownFor(XK_Down), popup.get());
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(observer, &focus, &revert);
    EXPECT_EQ(focus, focused->Id());  // the focus did not move: the keys came by the grab

    // Released, the keys go to the focused window again; a normal window's capture holds
    // the pointer only.
    backend->SetCapture(nullptr);
    Sync();
    EXPECT_EQ(backend->KeyboardGrab(), nullptr);
    EXPECT_EQ(keyDownFor(XK_Escape), focused.get());
    backend->SetCapture(focused.get());
    EXPECT_EQ(backend->KeyboardGrab(), nullptr);
    backend->SetCapture(nullptr);
}

#endif  // ZT_HAVE_XTEST

}  // namespace
}  // namespace native

#endif  // ZT_HAVE_X11
