#include "platform/ui/winapi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/form.h"
#include "tests/support/headless_app.h"

namespace {

class WindowSystem : public ::testing::Test {
protected:
    THeadlessApp app;
    native::THeadlessBackend& screen = app.Backend();

    // A top-level window at (x, y) that records the messages it gets.
    HWND MakeWindow(std::vector<UINT>& log, int x = 100, int y = 100, int w = 50, int h = 40) {
        HWND h0 = CreateWindowExA(0, "test", WS_POPUP, x, y, w, h, nullptr,
                                  [&log](HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
                                      log.push_back(msg);
                                      return DefWindowProc(hwnd, msg, wp, lp);
                                  });
        ShowWindow(h0, SW_SHOW);
        return h0;
    }
};

TEST_F(WindowSystem, ReplacedProcedureSeesMessagesBeforeAndAfterTheOriginal) {
    std::vector<std::string> trace;
    HWND w = CreateWindowExA(0, "w", WS_POPUP, 0, 0, 10, 10, nullptr,
                             [&](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
                                 if (msg == WM_USER) trace.push_back("original");
                                 return 42;
                             });
    WNDPROC previous = GetWindowProc(w);
    SetWindowProc(w, [&, previous](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
        if (msg != WM_USER) return CallWindowProc(previous, h, msg, wp, lp);
        trace.push_back("before");
        LRESULT r = CallWindowProc(previous, h, msg, wp, lp);
        trace.push_back("after");
        return r + 1;
    });
    EXPECT_EQ(SendMessage(w, WM_USER, 0, 0), 43);
    EXPECT_EQ(trace, (std::vector<std::string>{"before", "original", "after"}));
    // Putting the previous procedure back removes the hook.
    SetWindowProc(w, previous);
    trace.clear();
    EXPECT_EQ(SendMessage(w, WM_USER, 0, 0), 42);
    EXPECT_EQ(trace, (std::vector<std::string>{"original"}));
    DestroyWindow(w);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(SendMessage(w, WM_USER, 0, 0), 0);
}

TEST_F(WindowSystem, InputGoesToTheWindowUnderThePointerThroughItsShape) {
    std::vector<UINT> back, front;
    HWND a = MakeWindow(back, 100, 100, 60, 60);
    HWND b = MakeWindow(front, 120, 120, 60, 60);
    // b's shape leaves out its top-left quarter: clicks there reach a.
    auto shape = std::make_unique<TRegion>(TRect{0, 0, 60, 60});
    shape->Combine(TRegion(TRect{0, 0, 30, 30}), RGN_DIFF);
    SetWindowRgn(b, std::move(shape), true);
    screen.Click(125, 125);
    app.Run();
    EXPECT_EQ(std::count(back.begin(), back.end(), WM_LBUTTONDOWN), 1);
    EXPECT_EQ(std::count(front.begin(), front.end(), WM_LBUTTONDOWN), 0);
    screen.Click(170, 170);
    app.Run();
    EXPECT_EQ(std::count(front.begin(), front.end(), WM_LBUTTONDOWN), 1);
    (void)a;
}

TEST_F(WindowSystem, ColourKeyedPixelsAreNeitherShownNorClickable) {
    std::vector<UINT> log;
    HWND w = CreateWindowExA(0, "keyed", WS_POPUP, 10, 10, 20, 20, nullptr,
                             [&](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
                                 log.push_back(msg);
                                 if (msg == WM_PAINT) {
                                     PAINTSTRUCT ps;
                                     HDC dc = BeginPaint(h, &ps);
                                     DCCanvas(dc).Brush.Color = clBlack;
                                     DCCanvas(dc).FillRect({0, 0, 20, 20});
                                     DCCanvas(dc).Brush.Color = clRed;
                                     DCCanvas(dc).FillRect({0, 0, 10, 20});
                                     EndPaint(h, &ps);
                                     return 0;
                                 }
                                 return DefWindowProc(h, msg, wp, lp);
                             });
    SetWindowLongA(w, GWL_EXSTYLE, GetWindowLongA(w, GWL_EXSTYLE) | LONG(WS_EX_LAYERED));
    SetLayeredWindowAttributes(w, clBlack, 128, LWA_COLORKEY);
    ShowWindow(w, SW_SHOW);
    TBitmap shot = screen.Screenshot();
    EXPECT_EQ(shot.Pixel(12, 12), clRed);
    EXPECT_EQ(shot.Pixel(25, 12), native::THeadlessBackend::kDesktopColor);
    screen.Click(25, 12);
    app.Run();
    EXPECT_EQ(std::count(log.begin(), log.end(), WM_LBUTTONDOWN), 0);
    screen.Click(12, 12);
    app.Run();
    EXPECT_EQ(std::count(log.begin(), log.end(), WM_LBUTTONDOWN), 1);
    // Removing the layered style removes the key.
    SetWindowLongA(w, GWL_EXSTYLE, GetWindowLongA(w, GWL_EXSTYLE) & ~LONG(WS_EX_LAYERED));
    EXPECT_EQ(screen.Screenshot().Pixel(25, 12), clBlack);
}

TEST_F(WindowSystem, CaptureKeepsMouseMessagesComingFromOutsideTheWindow) {
    std::vector<TPoint> moves;
    HWND w = CreateWindowExA(0, "cap", WS_POPUP, 100, 100, 30, 30, nullptr,
                             [&](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
                                 if (msg == WM_MOUSEMOVE) moves.push_back(PointFromLParam(lp));
                                 return DefWindowProc(h, msg, wp, lp);
                             });
    ShowWindow(w, SW_SHOW);
    screen.MouseMove(500, 500);
    app.Run();
    EXPECT_TRUE(moves.empty());
    SetCapture(w);
    screen.MouseMove(500, 500);
    screen.MouseMove(40, 60);
    app.Run();
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0], (TPoint{400, 400}));
    EXPECT_EQ(moves[1], (TPoint{-60, -40}));  // negative client coordinates survive
    ReleaseCapture();
    screen.MouseMove(501, 501);
    app.Run();
    EXPECT_EQ(moves.size(), 2u);
}

TEST_F(WindowSystem, TimersFireOnTheVirtualClockAlsoInsideANestedLoop) {
    std::vector<int64_t> ticks;
    HWND w = CreateWindowExA(0, "timer", WS_POPUP, 0, 0, 10, 10, HWND_MESSAGE,
                             [&](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
                                 if (msg == WM_TIMER) ticks.push_back(app.Now());
                                 return DefWindowProc(h, msg, wp, lp);
                             });
    SetTimer(w, 7, 250);
    app.Run(1000);
    EXPECT_EQ(ticks, (std::vector<int64_t>{250, 500, 750, 1000}));

    // A nested loop in the style of a modal drag: GetMessage until a posted message ends it.
    screen.After(600, [&] { PostMessage(w, WM_USER, 0, 0); });
    MSG m;
    while (GetMessage(&m, nullptr, 0, 0) && m.message != WM_USER)
        DispatchMessage(&m);
    EXPECT_EQ(app.Now(), 1600);
    EXPECT_EQ(ticks.size(), 6u);
    EXPECT_EQ(ticks.back(), 1500);
    KillTimer(w, 7);
    app.Run(1000);
    EXPECT_EQ(ticks.size(), 6u);
}

TEST_F(WindowSystem, QuitIsDeliveredAfterPostedMessagesAndCanBePostedAgain) {
    std::vector<UINT> log;
    HWND w = MakeWindow(log);
    PostMessage(w, WM_USER, 0, 0);
    PostQuitMessage(3);
    MSG m;
    ASSERT_EQ(GetMessage(&m, nullptr, 0, 0), 1);
    EXPECT_EQ(m.message, WM_USER);
    ASSERT_EQ(GetMessage(&m, nullptr, 0, 0), 0);
    EXPECT_EQ(m.wParam, 3u);
    PostQuitMessage(int(m.wParam));
    EXPECT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_FALSE(PeekMessage(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(WindowSystem, PaintingComposesChildrenOverParentsAndOnlyTheInvalidArea) {
    int parentPaints = 0, childPaints = 0;
    auto painter = [](TColor color, int& count) {
        return [color, &count](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
            if (msg != WM_PAINT) return DefWindowProc(h, msg, wp, lp);
            ++count;
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            DCCanvas(dc).Brush.Color = color;
            DCCanvas(dc).FillRect({-100, -100, 100, 100});  // clipped to the window
            EndPaint(h, &ps);
            return 0;
        };
    };
    HWND top =
        CreateWindowExA(0, "top", WS_POPUP, 0, 0, 40, 30, nullptr, painter(clBlue, parentPaints));
    HWND child = CreateWindowExA(0, "child", WS_CHILD | WS_VISIBLE, 10, 5, 10, 10, top,
                                 painter(clRed, childPaints));
    ShowWindow(top, SW_SHOW);
    const TBitmap& frame = *WindowFrame(top);
    EXPECT_EQ(frame.Pixel(0, 0), clBlue);
    EXPECT_EQ(frame.Pixel(10, 5), clRed);
    EXPECT_EQ(frame.Pixel(20, 5), clBlue);
    EXPECT_EQ(parentPaints, 1);
    EXPECT_EQ(childPaints, 1);
    // Invalidating an area away from the child repaints the parent only.
    TRect corner{30, 20, 40, 30};
    InvalidateRect(top, &corner, true);
    app.Run();
    EXPECT_EQ(parentPaints, 2);
    EXPECT_EQ(childPaints, 1);
    InvalidateRect(child, nullptr, true);
    UpdateWindow(child);
    EXPECT_EQ(parentPaints, 3);  // what lies beneath is painted first
    EXPECT_EQ(childPaints, 2);
    auto* shown = dynamic_cast<native::THeadlessWindow*>(NativeWindow(top));
    EXPECT_EQ(shown->Pixels().Pixel(10, 5), clRed);
}

TEST_F(WindowSystem, StackingTaskbarAndStayOnTopReachTheNativeWindow) {
    std::vector<UINT> a, b;
    HWND first = MakeWindow(a, 0, 0, 20, 20);
    HWND second = MakeWindow(b, 10, 10, 20, 20);
    EXPECT_EQ(screen.WindowAt({15, 15}), NativeWindow(second));
    SetWindowPos(first, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(screen.WindowAt({15, 15}), NativeWindow(first));
    EXPECT_TRUE(GetWindowLongA(first, GWL_EXSTYLE) & LONG(WS_EX_TOPMOST));
    SetWindowPos(second, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(screen.WindowAt({15, 15}), NativeWindow(first));  // a normal window stays below

    HWND carrier = CreateWindowExA(0, "app", WS_POPUP, 0, 0, 0, 0, HWND_MESSAGE, WNDPROC{});
    SetTaskbarCarrier(carrier);
    auto* native = dynamic_cast<native::THeadlessWindow*>(NativeWindow(second));
    EXPECT_TRUE(native->TaskbarButton());
    ShowWindow(carrier, SW_HIDE);
    EXPECT_FALSE(native->TaskbarButton());
    ShowWindow(carrier, SW_SHOW);
    EXPECT_TRUE(native->TaskbarButton());
}

TEST_F(WindowSystem, DestroyingAWindowSendsDestroyToItAndItsChildren) {
    std::vector<std::string> trace;
    auto logger = [&trace](const char* name) {
        return [&trace, name](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
            if (msg == WM_DESTROY) trace.push_back(std::string(name) + " destroy");
            return DefWindowProc(h, msg, wp, lp);
        };
    };
    HWND top = CreateWindowExA(0, "top", WS_POPUP, 0, 0, 40, 30, nullptr, logger("top"));
    HWND child = CreateWindowExA(0, "child", WS_CHILD, 0, 0, 5, 5, top, logger("child"));
    SetTimer(child, 1, 100);
    SetCapture(child);
    DestroyWindow(top);
    EXPECT_EQ(trace, (std::vector<std::string>{"top destroy", "child destroy"}));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(GetCapture(), nullptr);
    app.Run(500);  // the dead window's timer is gone
}

native::THeadlessWindow* Native(HWND h) {
    return dynamic_cast<native::THeadlessWindow*>(NativeWindow(h));
}

TEST_F(WindowSystem, DialogFramesMakeFixedDialogsWithOrWithoutAnOwner) {
    struct TCase {
        const char* name;
        DWORD style;
        DWORD exStyle;
        bool owned;
        native::TWindowKind kind;
        bool taskbarButton;
    };
    const DWORD dialog = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME;  // a bsDialog form
    const TCase cases[] = {
        {"dialog form", dialog, WS_EX_DLGMODALFRAME, false, native::TWindowKind::Dialog, true},
        {"owned dialog form", dialog, WS_EX_DLGMODALFRAME, true, native::TWindowKind::Dialog,
         false},
        {"dialog frame only", WS_POPUP | WS_DLGFRAME, 0, false, native::TWindowKind::Dialog, true},
        {"sizeable form", WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, 0, false,
         native::TWindowKind::Normal, true},
        {"single-border form", WS_CAPTION | WS_SYSMENU | WS_BORDER, 0, false,
         native::TWindowKind::Normal, true},
        {"borderless form", WS_POPUP, 0, false, native::TWindowKind::Normal, true},
        {"menu", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, false, native::TWindowKind::Popup,
         false},
    };
    std::vector<UINT> log;
    HWND owner = MakeWindow(log);
    for (const TCase& c : cases) {
        HWND h = CreateWindowExA(c.exStyle, c.name, c.style, 10, 10, 100, 80,
                                 c.owned ? owner : nullptr, WNDPROC{});
        native::THeadlessWindow* native = Native(h);
        ASSERT_TRUE(native) << c.name;
        EXPECT_EQ(native->Kind(), c.kind) << c.name;
        EXPECT_EQ(native->TaskbarButton(), c.taskbarButton) << c.name;
        EXPECT_EQ(native->Owner(), c.owned ? Native(owner) : nullptr) << c.name;
        DestroyWindow(h);
    }
}

TEST_F(WindowSystem, KeysGoToTheFocusWindowWhenTheWindowTheyCameToCannotTakeThem) {
    std::vector<UINT> back, dialog, field;
    HWND owner = MakeWindow(back, 0, 0, 100, 100);
    HWND box = MakeWindow(dialog, 200, 200, 100, 100);
    HWND edit = CreateWindowExA(0, "edit", WS_CHILD | WS_VISIBLE, 5, 5, 20, 10, box,
                                [&field](HWND h, UINT msg, WPARAM wp, LPARAM lp) {
                                    field.push_back(msg);
                                    return DefWindowProc(h, msg, wp, lp);
                                });
    SetFocus(edit);
    // The window system still sends the keys to the owner, which a modal dialog disabled.
    screen.Click(50, 50);
    app.Run();
    EnableWindow(owner, false);
    ASSERT_EQ(screen.FocusedWindow(), Native(owner));
    screen.PressKey(VK_RETURN);
    app.Run();
    EXPECT_EQ(std::count(field.begin(), field.end(), WM_KEYDOWN), 1);
    EXPECT_EQ(std::count(back.begin(), back.end(), WM_KEYDOWN), 0);
    // Enabled, the owner takes the keys the window system gives it.
    EnableWindow(owner, true);
    screen.PressKey(VK_RETURN);
    app.Run();
    EXPECT_EQ(std::count(back.begin(), back.end(), WM_KEYDOWN), 1);
    EXPECT_EQ(std::count(field.begin(), field.end(), WM_KEYDOWN), 1);
}

TEST_F(WindowSystem, OwnedWindowsStayAboveAStayOnTopOwner) {
    std::vector<UINT> log;
    HWND owner = MakeWindow(log, 0, 0, 100, 100);
    SetWindowPos(owner, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    HWND dialog =
        CreateWindowExA(WS_EX_DLGMODALFRAME, "dialog", WS_POPUP | WS_CAPTION | WS_DLGFRAME, 50, 50,
                        100, 100, owner, WNDPROC{});
    ShowWindow(dialog, SW_SHOW);
    EXPECT_EQ(screen.WindowAt({60, 60}), Native(dialog));
    // Raising the owner (a click on it) leaves the dialog above it.
    SetWindowPos(owner, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(screen.WindowAt({60, 60}), Native(dialog));
    // A normal window shown later stays below both.
    HWND other = MakeWindow(log, 40, 40, 100, 100);
    EXPECT_EQ(screen.WindowAt({60, 60}), Native(dialog));
    EXPECT_EQ(screen.WindowAt({45, 45}), Native(owner));
    // The owner back among normal windows: its dialog follows it.
    SetWindowPos(owner, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(other, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(screen.WindowAt({60, 60}), Native(other));
    SetWindowPos(owner, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(screen.WindowAt({60, 60}), Native(dialog));
}

TEST_F(WindowSystem, TheCloseButtonOfAModalDialogClosesItWhileItsOwnerIsDisabled) {
    auto* owner = New<TForm>(Application);
    owner->SetBorderStyle(bsNone);
    owner->SetBounds(0, 0, 150, 90);
    owner->Show();
    auto* dialog = New<TForm>(owner);
    dialog->SetBorderStyle(bsDialog);
    dialog->SetBounds(200, 200, 200, 100);
    bool ownerClosed = false;
    owner->OnClose = [&](TObject*, TCloseAction&) { ownerClosed = true; };
    screen.After(10,
                 [&] { screen.RequestClose(NativeWindow(owner->Handle())); });  // ignored: disabled
    screen.After(20, [&] {
        EXPECT_EQ(Native(dialog->Handle())->Kind(), native::TWindowKind::Dialog);
        EXPECT_EQ(Native(dialog->Handle())->Owner(), Native(owner->Handle()));
        screen.RequestClose(NativeWindow(dialog->Handle()));
    });
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_FALSE(ownerClosed);
    EXPECT_FALSE(dialog->Visible());
    dialog->Free();
}

}  // namespace

namespace {

TEST_F(WindowSystem, AChangeOfMonitorsIsBroadcastToEveryTopLevelWindow) {
    std::vector<UINT> first, second;
    HWND a = MakeWindow(first, 10, 10);
    HWND b = MakeWindow(second, 300, 10);
    screen.SetMonitors({{{0, 0, 640, 480}, 96}, {{640, 0, 1280, 480}, 192}});
    MSG msg;
    std::vector<std::pair<HWND, LPARAM>> seen;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message == WM_DISPLAYCHANGE) seen.emplace_back(msg.hwnd, msg.lParam);
    // Each window once, with the primary monitor's size.
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_NE(seen[0].first, seen[1].first);
    for (const auto& [hwnd, lParam] : seen) {
        EXPECT_TRUE(hwnd == a || hwnd == b);
        EXPECT_EQ(lParam, MAKELPARAM(640, 480));
    }
    DestroyWindow(a);
    DestroyWindow(b);
}

}  // namespace

namespace {

// Two monitors side by side, the right one twice as dense.
class MonitorDensity : public WindowSystem {
protected:
    void SetUp() override {
        screen.SetMonitors({{{0, 0, 640, 480}, 96}, {{640, 0, 1920, 960}, 192}});
    }
    HWND MakeRecorder(std::vector<std::pair<UINT, TRect>>& changes, int x, int y) {
        return CreateWindowExA(0, "dense", WS_POPUP | WS_VISIBLE, x, y, 100, 60, nullptr,
                               [&changes](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
                                   if (msg == WM_DPICHANGED)
                                       changes.emplace_back(UINT(wp & 0xFFFF),
                                                            *reinterpret_cast<TRect*>(lp));
                                   return DefWindowProc(h, msg, wp, lp);
                               });
    }
};

TEST_F(MonitorDensity, AWindowHasTheDensityOfTheMonitorUnderItsCentre) {
    std::vector<std::pair<UINT, TRect>> changes;
    HWND left = MakeRecorder(changes, 10, 10);
    HWND straddling = MakeRecorder(changes, 600, 10);  // centre at 650: the right monitor
    EXPECT_EQ(GetDpiForWindow(left), 96u);
    EXPECT_EQ(GetDpiForWindow(straddling), 192u);
    EXPECT_TRUE(changes.empty());  // created where they are: nothing changed
    DestroyWindow(left);
    DestroyWindow(straddling);
}

TEST_F(MonitorDensity, MovingAcrossMonitorsSuggestsTheWindowScaledAboutItsCentre) {
    std::vector<std::pair<UINT, TRect>> changes;
    HWND w = MakeRecorder(changes, 10, 10);
    SetWindowPos(w, nullptr, 500, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);  // centre 550: left
    EXPECT_TRUE(changes.empty());
    SetWindowPos(w, nullptr, 700, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);  // centre 750: right
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].first, 192u);
    EXPECT_EQ(changes[0].second, TRect::FromSize(650, 70, 200, 120));
    EXPECT_EQ(GetDpiForWindow(w), 192u);
    // A move by the window system (the user dragging the frame) counts the same.
    screen.MoveByWindowManager(NativeWindow(w), TRect::FromSize(100, 100, 100, 60));
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE))
        DispatchMessage(&m);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[1].first, 96u);
    EXPECT_EQ(changes[1].second, TRect::FromSize(125, 115, 50, 30));
    DestroyWindow(w);
}

TEST_F(MonitorDensity, AWindowSystemsOwnReportIsPassedOnWithItsBounds) {
    screen.SetReportsDensityChanges(true);
    std::vector<std::pair<UINT, TRect>> changes;
    HWND w = MakeRecorder(changes, 10, 10);
    SetWindowPos(w, nullptr, 700, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);  // the system tells
    EXPECT_TRUE(changes.empty());
    const TRect given = TRect::FromSize(690, 90, 204, 124);  // its own rounding and frame
    screen.ChangeDensityBySystem(NativeWindow(w), given, 192);
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE))
        DispatchMessage(&m);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].first, 192u);
    EXPECT_EQ(changes[0].second, given);
    EXPECT_EQ(GetDpiForWindow(w), 192u);
    // Nobody took other bounds: the window is where the system put it.
    TRect now;
    GetWindowRect(w, &now);
    EXPECT_EQ(now, given);
    EXPECT_EQ(WindowFrame(w)->Width(), 204);
    DestroyWindow(w);
}

TEST_F(MonitorDensity, AMonitorChangingItsDensityUnderAWindowIsReported) {
    std::vector<std::pair<UINT, TRect>> changes;
    HWND w = MakeRecorder(changes, 10, 10);
    screen.SetMonitors({{{0, 0, 640, 480}, 144}});
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE))
        DispatchMessage(&m);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].first, 144u);
    EXPECT_EQ(GetDpiForWindow(w), 144u);
    DestroyWindow(w);
}

}  // namespace
