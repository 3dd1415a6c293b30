// Tests of the X11 backend on a server: what a window tells the window manager, its moves,
// close requests and the waiting for events.
#ifdef ZT_HAVE_X11

#include <optional>

#include "tests/support/x11_testing.h"

namespace native {
namespace {

// Window manager hints ---------------------------------------------------------------------------

TEST_F(X11Test, WindowCarriesClassPidTitleAndProtocols) {
    TWindowParams params;
    params.Title = "Zeit \xC3\xA9";  // Latin-1 representable
    params.Borderless = true;
    auto window = MakeWindow(TRect::FromSize(10, 20, 150, 90), params);
    Sync();
    XClassHint hint{};
    ASSERT_TRUE(XGetClassHint(observer, window->Id(), &hint));
    EXPECT_STREQ(hint.res_name, "zentick");
    EXPECT_STREQ(hint.res_class, "Zentick");
    XFree(hint.res_name);
    XFree(hint.res_class);
    EXPECT_TRUE(Property32(window->Id(), "_NET_WM_ICON").empty()) << "none given";
    EXPECT_EQ(Property32(window->Id(), "_NET_WM_PID"),
              std::vector<unsigned long>{unsigned(getpid())});
    EXPECT_EQ(PropertyText(window->Id(), "WM_NAME"), "Zeit \xE9");
    EXPECT_EQ(PropertyText(window->Id(), "_NET_WM_NAME"), "Zeit \xC3\xA9");
    EXPECT_FALSE(PropertyText(window->Id(), "WM_CLIENT_MACHINE").empty());
    std::vector<unsigned long> protocols = Property32(window->Id(), "WM_PROTOCOLS");
    EXPECT_NE(std::find(protocols.begin(), protocols.end(), AtomOf("WM_DELETE_WINDOW")),
              protocols.end());
    EXPECT_EQ(Property32(window->Id(), "_NET_WM_WINDOW_TYPE"),
              std::vector<unsigned long>{AtomOf("_NET_WM_WINDOW_TYPE_NORMAL")});
    std::vector<unsigned long> motif = Property32(window->Id(), "_MOTIF_WM_HINTS");
    ASSERT_EQ(motif.size(), 5u);
    EXPECT_EQ(motif[0], 2u);  // decorations given
    EXPECT_EQ(motif[2], 0u);  // and none
    XSizeHints hints{};
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(observer, window->Id(), &hints, &supplied));
    EXPECT_TRUE(hints.flags & USPosition);
    EXPECT_EQ(hints.win_gravity, StaticGravity);

    window->SetBorderless(false);
    window->SetTitle("\xE2\x86\x92 clock");  // not Latin-1: WM_NAME in UTF-8 too
    Sync();
    EXPECT_TRUE(Property32(window->Id(), "_MOTIF_WM_HINTS").empty());
    EXPECT_EQ(PropertyText(window->Id(), "WM_NAME"), "\xE2\x86\x92 clock");
}

TEST_F(X11Test, WindowCarriesTheProgramsClassAndEveryIconSize) {
    // Two sizes of a made-up icon: each pixel's word names its size and place.
    std::vector<uint32_t> small(4), large(9);
    for (size_t i = 0; i < small.size(); ++i)
        small[i] = 0xFF000000u | 0x200 | uint32_t(i);
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = 0x80000000u | 0x300 | uint32_t(i);
    const TIconImage images[] = {{2, 2, small.data()}, {3, 3, large.data()}};
    TWindowParams params;
    params.ClassName = "zentick-hexedit";
    params.Icon = images;
    auto window = MakeWindow(TRect::FromSize(10, 20, 150, 90), params);
    params.Kind = TWindowKind::Popup;
    auto popup = MakeWindow(TRect::FromSize(10, 20, 50, 50), params);
    Sync();
    XClassHint hint{};
    ASSERT_TRUE(XGetClassHint(observer, window->Id(), &hint));
    EXPECT_STREQ(hint.res_name, "zentick-hexedit");
    EXPECT_STREQ(hint.res_class, "Zentick-hexedit");
    XFree(hint.res_name);
    XFree(hint.res_class);
    std::vector<unsigned long> expected = {2, 2};
    expected.insert(expected.end(), small.begin(), small.end());
    expected.insert(expected.end(), {3, 3});
    expected.insert(expected.end(), large.begin(), large.end());
    // Xlib hands 32-bit items over as longs, which may come sign-extended.
    std::vector<unsigned long> icon = Property32(window->Id(), "_NET_WM_ICON");
    for (unsigned long& item : icon)
        item &= 0xFFFFFFFFu;
    EXPECT_EQ(icon, expected);
    EXPECT_TRUE(Property32(popup->Id(), "_NET_WM_ICON").empty()) << "menus carry no icon";
}

TEST_F(X11Test, DialogsAreTransientAndFixedPopupsUnmanaged) {
    auto owner = MakeWindow(TRect::FromSize(10, 10, 150, 90));
    TWindowParams dialogParams;
    dialogParams.Kind = TWindowKind::Dialog;
    dialogParams.Owner = owner.get();
    auto dialog = MakeWindow(TRect::FromSize(50, 50, 300, 200), dialogParams);
    TWindowParams popupParams;
    popupParams.Kind = TWindowKind::Popup;
    auto popup = MakeWindow(TRect::FromSize(60, 60, 100, 80), popupParams);
    Sync();

    Window transientFor = 0;
    ASSERT_TRUE(XGetTransientForHint(observer, dialog->Id(), &transientFor));
    EXPECT_EQ(transientFor, owner->Id());
    EXPECT_EQ(Property32(dialog->Id(), "_NET_WM_WINDOW_TYPE"),
              std::vector<unsigned long>{AtomOf("_NET_WM_WINDOW_TYPE_DIALOG")});
    XSizeHints hints{};
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(observer, dialog->Id(), &hints, &supplied));
    ASSERT_TRUE((hints.flags & PMinSize) && (hints.flags & PMaxSize));
    EXPECT_EQ(hints.min_width, 300);
    EXPECT_EQ(hints.max_width, 300);
    EXPECT_EQ(hints.min_height, 200);
    EXPECT_EQ(hints.max_height, 200);
    // A title bar with a close button only: moved, closed, never resized or minimised.
    EXPECT_EQ(Property32(dialog->Id(), "_MOTIF_WM_HINTS"),
              (std::vector<unsigned long>{1 | 2, 4 | 32, 2 | 8 | 16, 0, 0}));

    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(observer, popup->Id(), &attributes));
    EXPECT_TRUE(attributes.override_redirect);
    ASSERT_TRUE(XGetWindowAttributes(observer, dialog->Id(), &attributes));
    EXPECT_FALSE(attributes.override_redirect);
}

TEST_F(X11Test, OwnedWindowsOfAStayOnTopOwnerStayOnTopToo) {
    TWindowParams ownerParams;
    ownerParams.StayOnTop = true;
    auto owner = MakeWindow(TRect::FromSize(10, 10, 150, 90), ownerParams);
    TWindowParams dialogParams;
    dialogParams.Kind = TWindowKind::Dialog;
    dialogParams.Owner = owner.get();
    auto dialog = MakeWindow(TRect::FromSize(50, 50, 200, 100), dialogParams);
    Sync();
    EXPECT_TRUE(HasState(dialog->Id(), "_NET_WM_STATE_ABOVE"));
    owner->SetStayOnTop(false);
    Sync();
    EXPECT_FALSE(HasState(dialog->Id(), "_NET_WM_STATE_ABOVE"));
    owner->SetStayOnTop(true);
    Sync();
    EXPECT_TRUE(HasState(dialog->Id(), "_NET_WM_STATE_ABOVE"));
    // Without its owner the dialog is a window of its own again.
    owner.reset();
    Sync();
    EXPECT_FALSE(HasState(dialog->Id(), "_NET_WM_STATE_ABOVE"));
}

TEST_F(X11Test, DialogWithoutOwnerIsFixedSizeAndTransientForNothing) {
    TWindowParams params;
    params.Kind = TWindowKind::Dialog;
    auto dialog = MakeWindow(TRect::FromSize(50, 50, 240, 160), params);
    Sync();
    Window transientFor = 0;
    EXPECT_FALSE(XGetTransientForHint(observer, dialog->Id(), &transientFor));
    XSizeHints hints{};
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(observer, dialog->Id(), &hints, &supplied));
    EXPECT_TRUE((hints.flags & PMinSize) && (hints.flags & PMaxSize));
    EXPECT_EQ(hints.max_width, 240);
    EXPECT_EQ(hints.max_height, 160);
}

TEST_F(X11Test, AFixedSizeWindowSaysSoAndItsHintsFollowItsSize) {
    TWindowParams params;
    params.Resizable = false;
    params.Borderless = true;
    auto gadget = MakeWindow(TRect::FromSize(50, 50, 150, 90), params);
    gadget->SetActivateOnShow(false);
    auto resizable = MakeWindow(TRect::FromSize(50, 50, 300, 200));
    resizable->SetActivateOnShow(true);
    Sync();
    auto sizes = [&](Window w) {
        XSizeHints hints{};
        long supplied = 0;
        XGetWMNormalHints(observer, w, &hints, &supplied);
        if (!(hints.flags & PMinSize) || !(hints.flags & PMaxSize)) return std::vector<int>{};
        return std::vector<int>{hints.min_width, hints.min_height, hints.max_width,
                                hints.max_height};
    };
    EXPECT_EQ(sizes(gadget->Id()), (std::vector<int>{150, 90, 150, 90}));
    EXPECT_TRUE(sizes(resizable->Id()).empty());
    gadget->SetBounds(TRect::FromSize(50, 50, 76, 46));
    Sync();
    EXPECT_EQ(sizes(gadget->Id()), (std::vector<int>{76, 46, 76, 46}));
    // Not focused by the window manager when it maps; a window that is, says nothing.
    EXPECT_EQ(Property32(gadget->Id(), "_NET_WM_USER_TIME"), std::vector<unsigned long>{0});
    EXPECT_TRUE(Property32(resizable->Id(), "_NET_WM_USER_TIME").empty());
}

TEST_F(X11Test, ModalDialogsAndTooltipsTellTheWindowManager) {
    TWindowParams dialogParams;
    dialogParams.Kind = TWindowKind::Dialog;
    auto dialog = MakeWindow(TRect::FromSize(50, 50, 240, 160), dialogParams);
    dialog->SetModal(true);
    Sync();
    EXPECT_TRUE(HasState(dialog->Id(), "_NET_WM_STATE_MODAL"));
    dialog->SetModal(false);
    Sync();
    EXPECT_FALSE(HasState(dialog->Id(), "_NET_WM_STATE_MODAL"));

    TWindowParams tipParams;
    tipParams.Kind = TWindowKind::Tooltip;
    auto tip = MakeWindow(TRect::FromSize(60, 60, 100, 20), tipParams);
    Sync();
    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(observer, tip->Id(), &attributes));
    EXPECT_TRUE(attributes.override_redirect);
    EXPECT_EQ(Property32(tip->Id(), "_NET_WM_WINDOW_TYPE"),
              std::vector<unsigned long>{AtomOf("_NET_WM_WINDOW_TYPE_TOOLTIP")});
    int count = -1, ordering = 0;
    XRectangle* input = XShapeGetRectangles(observer, tip->Id(), ShapeInput, &count, &ordering);
    if (input) XFree(input);
    EXPECT_EQ(count, 0);  // the pointer goes through
    // Without a window manager nobody frames anything.
    EXPECT_EQ(dialog->FrameExtents(), TFrameExtents{});
}

TEST_F(X11Test, StateIsWrittenBeforeMapping) {
    TWindowParams params;
    params.StayOnTop = true;
    params.TaskbarButton = false;
    auto window = MakeWindow(TRect::FromSize(10, 10, 150, 90), params);
    Sync();
    EXPECT_TRUE(HasState(window->Id(), "_NET_WM_STATE_ABOVE"));
    EXPECT_TRUE(HasState(window->Id(), "_NET_WM_STATE_SKIP_TASKBAR"));
    EXPECT_TRUE(HasState(window->Id(), "_NET_WM_STATE_SKIP_PAGER"));
    window->SetStayOnTop(false);
    window->SetTaskbarButton(true);
    Sync();
    EXPECT_TRUE(Property32(window->Id(), "_NET_WM_STATE").empty());
}

// Events
// --------------------------------------------------------------------------------------------

TEST_F(X11Test, MovesByOthersAreReportedAndOwnOvertakenOnesAreNot) {
    auto window = ShownWindow(TRect::FromSize(100, 100, 40, 30),
                              MakeFrame(40, 30, [](int, int) { return clRed; }));
    Pending();
    XMoveWindow(observer, window->Id(), 300, 222);
    XSync(observer, False);
    std::vector<TEvent> events =
        Collect([](const TEvent& e) { return e.Kind == TEventKind::Moved; });
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().Window, window.get());
    EXPECT_EQ(events.back().Rect, TRect::FromSize(300, 222, 40, 30));
    EXPECT_EQ(window->Bounds(), TRect::FromSize(300, 222, 40, 30));

    // A drag: two moves before the program looks at its events.
    const TRect first = TRect::FromSize(310, 230, 40, 30);
    const TRect second = TRect::FromSize(320, 240, 40, 30);
    window->SetBounds(first);
    window->SetBounds(second);
    for (const TEvent& e : Pending()) {
        if (e.Kind == TEventKind::Moved) {
            EXPECT_EQ(e.Rect, second);
        }
    }
    EXPECT_EQ(RootPosition(window->Id()), second.TopLeft());
    EXPECT_EQ(window->Bounds(), second);
}

// A window manager within the test. It maps a window offset further in than the window
// asked (as i3 does with a borderless window) and then honours the moves it is asked for,
// or refuses them (and says so with a synthetic configure notification, as it must). With
// a frame, it says it offers _NET_REQUEST_FRAME_EXTENTS but leaves the requests unanswered
// and tells a window its frame (_NET_FRAME_EXTENTS) when it maps it, as fluxbox does.
class TTestWindowManager {
public:
    struct TOptions {
        TPoint offset;
        bool honoursMoves = true;
        std::optional<TFrameExtents> frame;
    };
    TTestWindowManager(const std::string& display, TOptions options)
        : display_(XOpenDisplay(display.c_str())), options_(options) {
        if (!display_) return;
        Window root = DefaultRootWindow(display_);
        XSelectInput(display_, root, SubstructureRedirectMask | SubstructureNotifyMask);
        if (options_.frame) {
            Atom offered = XInternAtom(display_, "_NET_REQUEST_FRAME_EXTENTS", False);
            XChangeProperty(display_, root, XInternAtom(display_, "_NET_SUPPORTED", False), XA_ATOM,
                            32, PropModeReplace, reinterpret_cast<unsigned char*>(&offered), 1);
        }
        XSync(display_, False);
    }
    ~TTestWindowManager() {
        if (!display_) return;
        XDeleteProperty(display_, DefaultRootWindow(display_),
                        XInternAtom(display_, "_NET_SUPPORTED", False));
        XCloseDisplay(display_);
    }
    bool Ok() const { return display_ != nullptr; }
    int MoveRequests() const { return moveRequests_; }
    int FrameRequests() const { return frameRequests_; }

    // Handles what the window manager was asked so far.
    void Handle() {
        XSync(display_, False);
        while (XPending(display_)) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == MapRequest) {
                Window client = event.xmaprequest.window;
                XWindowAttributes a{};
                XGetWindowAttributes(display_, client, &a);
                XMoveWindow(display_, client, a.x + options_.offset.X, a.y + options_.offset.Y);
                if (options_.frame) {
                    const TFrameExtents& f = *options_.frame;
                    long extents[4] = {f.Left, f.Right, f.Top, f.Bottom};
                    XChangeProperty(display_, client,
                                    XInternAtom(display_, "_NET_FRAME_EXTENTS", False), XA_CARDINAL,
                                    32, PropModeReplace, reinterpret_cast<unsigned char*>(extents),
                                    4);
                }
                XMapWindow(display_, client);
            } else if (event.type == ClientMessage &&
                       event.xclient.message_type ==
                           XInternAtom(display_, "_NET_REQUEST_FRAME_EXTENTS", False)) {
                ++frameRequests_;
            } else if (event.type == ConfigureRequest) {
                const XConfigureRequestEvent& r = event.xconfigurerequest;
                XWindowAttributes a{};
                XGetWindowAttributes(display_, r.window, &a);
                XWindowChanges changes{r.x, r.y, r.width, r.height, 0, 0, 0};
                if (!a.map_state) {  // not placed yet: any request is fine
                    XConfigureWindow(display_, r.window, unsigned(r.value_mask & 0xF), &changes);
                    continue;
                }
                ++moveRequests_;
                if (options_.honoursMoves) {
                    XConfigureWindow(display_, r.window, unsigned(r.value_mask & 0xF), &changes);
                } else {
                    XEvent notify{};
                    notify.xconfigure.type = ConfigureNotify;
                    notify.xconfigure.event = notify.xconfigure.window = r.window;
                    notify.xconfigure.x = a.x;
                    notify.xconfigure.y = a.y;
                    notify.xconfigure.width = a.width;
                    notify.xconfigure.height = a.height;
                    XSendEvent(display_, r.window, False, StructureNotifyMask, &notify);
                }
            }
        }
        XSync(display_, False);
    }

private:
    Display* display_;
    TOptions options_;
    int moveRequests_ = 0;
    int frameRequests_ = 0;
};

// A window mapped elsewhere than it asked asks once more: where the window manager then
// honours that, the window stands where the program put it and never reported the place
// it had in between; where it refuses, the window keeps the place it was given.
TEST_F(X11Test, AWindowMappedElsewhereAsksOnceMoreAndKeepsTheAnswer) {
    for (bool honours : {true, false}) {
        SCOPED_TRACE(honours ? "the window manager honours moves" : "it refuses them");
        TTestWindowManager::TOptions options;
        options.offset = {2, 18};
        options.honoursMoves = honours;
        TTestWindowManager manager(server->Display(), options);
        ASSERT_TRUE(manager.Ok());
        const TRect asked = TRect::FromSize(200, 150, 150, 90);
        const TRect misplaced = TRect::FromSize(202, 168, 150, 90);
        TWindowParams params;
        params.Borderless = true;
        params.Resizable = false;
        auto window = MakeWindow(asked, params);
        window->Present(MakeFrame(150, 90, [](int x, int y) { return Pattern(x, y, 30); }),
                        {0, 0, 150, 90});
        window->Show(true);
        std::vector<TRect> moves;  // what the window reported
        const TRect expected = honours ? asked : misplaced;
        int64_t deadline = backend->NowMs() + 5000;
        while (backend->NowMs() < deadline &&
               (moves.empty() || moves.back() != expected || manager.MoveRequests() == 0)) {
            Sync();
            manager.Handle();
            std::vector<TEvent> events;
            backend->WaitEvents(backend->NowMs() + 20, events);
            for (const TEvent& e : events)
                if (e.Kind == TEventKind::Moved) moves.push_back(e.Rect);
        }
        ASSERT_FALSE(moves.empty()) << "no answer was reported";
        EXPECT_EQ(moves.back(), expected);
        for (const TRect& r : moves)
            EXPECT_EQ(r, expected) << r.Left << "," << r.Top;
        EXPECT_EQ(window->Bounds(), expected);
        EXPECT_EQ(RootPosition(window->Id()), expected.TopLeft());
        // Asked once, and not again.
        manager.Handle();
        Pending();
        manager.Handle();
        EXPECT_EQ(manager.MoveRequests(), 1);
        // Settled: a move by someone else is news again.
        if (honours) {
            XMoveWindow(observer, window->Id(), 300, 222);
            XSync(observer, False);
            manager.Handle();
            std::vector<TEvent> events =
                Collect([](const TEvent& e) { return e.Kind == TEventKind::Moved; });
            ASSERT_FALSE(events.empty());
            EXPECT_EQ(events.back().Rect, TRect::FromSize(300, 222, 150, 90));
        }
    }
}

// A window manager that offers to tell a frame before mapping and does not: the first
// dialog waits for it in vain and is told none, and reports FrameChanged when it shows
// with one; nobody asks again, and the next dialog is told the frame the first got.
TEST_F(X11Test, AFrameToldOnlyOnMappingIsReportedAndRememberedForTheNextDialog) {
    const TFrameExtents frame{1, 20, 1, 1};
    TTestWindowManager::TOptions options;
    options.frame = frame;
    TTestWindowManager manager(server->Display(), options);
    ASSERT_TRUE(manager.Ok());
    TWindowParams params;
    params.Kind = TWindowKind::Dialog;
    auto first = MakeWindow(TRect::FromSize(100, 100, 200, 120), params);
    EXPECT_EQ(first->FrameExtents(), TFrameExtents{});
    first->Present(MakeFrame(200, 120, [](int x, int y) { return Pattern(x, y, 31); }),
                   {0, 0, 200, 120});
    first->Show(true);
    bool reported = false;
    int64_t deadline = backend->NowMs() + 5000;
    while (!reported && backend->NowMs() < deadline) {
        Sync();
        manager.Handle();
        std::vector<TEvent> events;
        backend->WaitEvents(backend->NowMs() + 20, events);
        for (const TEvent& e : events)
            reported = reported || (e.Kind == TEventKind::FrameChanged && e.Window == first.get());
    }
    EXPECT_TRUE(reported) << "the frame that came was not reported";
    EXPECT_EQ(first->FrameExtents(), frame);
    auto second = MakeWindow(TRect::FromSize(100, 100, 200, 120), params);
    EXPECT_EQ(second->FrameExtents(), frame);
    manager.Handle();
    EXPECT_EQ(manager.FrameRequests(), 1);
    // Shown, it gets the frame it was told: nothing to report.
    second->Present(MakeFrame(200, 120, [](int x, int y) { return Pattern(x, y, 32); }),
                    {0, 0, 200, 120});
    second->Show(true);
    manager.Handle();
    for (const TEvent& e : Pending())
        EXPECT_NE(e.Kind, TEventKind::FrameChanged);
}

TEST_F(X11Test, DeleteWindowMessageIsACloseRequest) {
    auto window = MakeWindow(TRect::FromSize(10, 10, 50, 50));
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window->Id();
    event.xclient.message_type = AtomOf("WM_PROTOCOLS");
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(AtomOf("WM_DELETE_WINDOW"));
    XSendEvent(observer, window->Id(), False, NoEventMask, &event);
    XSync(observer, False);
    std::vector<TEvent> events =
        Collect([](const TEvent& e) { return e.Kind == TEventKind::CloseRequest; });
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().Kind, TEventKind::CloseRequest);
    EXPECT_EQ(events.back().Window, window.get());
}

TEST_F(X11Test, AWindowDestroyedByAnotherClientIsReported) {
    auto window = MakeWindow(TRect::FromSize(10, 10, 50, 50));
    auto own = MakeWindow(TRect::FromSize(100, 10, 50, 50));
    own.reset();  // the program's own doing: not reported
    XDestroyWindow(observer, window->Id());
    XSync(observer, False);
    std::vector<TEvent> events =
        Collect([](const TEvent& e) { return e.Kind == TEventKind::Destroyed; });
    std::erase_if(events, [](const TEvent& e) { return e.Kind != TEventKind::Destroyed; });
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events.back().Window, window.get());
}

TEST_F(X11Test, WakeEndsAWaitWithoutLimit) {
    std::vector<TEvent> events;
    backend->Wake();
    backend->Wake();
    backend->WaitEvents(-1, events);
    ASSERT_EQ(events.size(), 1u);  // two wakes before a wait are one event
    EXPECT_EQ(events[0].Kind, TEventKind::Wake);
    EXPECT_EQ(events[0].Window, nullptr);

    events.clear();
    std::thread waker([this] { backend->Wake(); });
    backend->WaitEvents(-1, events);
    waker.join();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].Kind, TEventKind::Wake);
}

TEST_F(X11Test, WaitEventsReturnsAtTheDeadlineWithoutUsingTheProcessor) {
    Pending();
    std::vector<TEvent> events;
    int64_t start = backend->NowMs();
    backend->WaitEvents(start + 50, events);
    EXPECT_TRUE(events.empty());
    EXPECT_GE(backend->NowMs() - start, 50);

    // An idle wait is a blocked poll: it takes next to no processor time.
    rusage before{}, after{};
    getrusage(RUSAGE_THREAD, &before);
    int64_t idleStart = backend->NowMs();
    backend->WaitEvents(idleStart + 300, events);
    getrusage(RUSAGE_THREAD, &after);
    auto micros = [](const rusage& u) {
        return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000000L + u.ru_utime.tv_usec +
               u.ru_stime.tv_usec;
    };
    long used = micros(after) - micros(before);
    std::printf("idle WaitEvents: %ld us of processor time in %lld ms\n", used,
                (long long)(backend->NowMs() - idleStart));
    EXPECT_LT(used, 20000);
    EXPECT_TRUE(events.empty());
}

}  // namespace
}  // namespace native

#endif  // ZT_HAVE_X11
