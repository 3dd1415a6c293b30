// The win32 backend against the real window system (under Wine in the test script):
// window styles and geometry, frames, regions, colour keys, stacking, the taskbar carrier,
// input messages turned into events, waiting and waking, and what screen readers read.
#include <gtest/gtest.h>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/region.h"
#include "platform/native/native.h"
#include "platform/native/win32/win32.h"
// The system's headers last.
#include "platform/native/win32/win32backend.h"
#include "platform/native/win32/win32window.h"

#include <oleacc.h>

namespace native {
namespace {

class Win32Test : public ::testing::Test {
protected:
    void SetUp() override {
        auto made = CreateWin32Backend();
        ASSERT_TRUE(made);
        backend_.reset(static_cast<TWin32Backend*>(made.release()));
    }
    void TearDown() override {
        windows_.clear();
        backend_.reset();
    }
    TWin32Window& Make(TWindowKind kind, TRect bounds, bool borderless = true,
                       TWin32Window* owner = nullptr) {
        TWindowParams params;
        params.Bounds = bounds;
        params.Kind = kind;
        params.Title = "test";
        params.Borderless = borderless;
        params.Owner = owner;
        params.TaskbarButton = kind != TWindowKind::Popup;
        windows_.push_back(backend_->CreateNativeWindow(params));
        return static_cast<TWin32Window&>(*windows_.back());
    }
    // The events that the window system has for the program now.
    std::vector<TEvent> Events() {
        std::vector<TEvent> out;
        backend_->WaitEvents(backend_->NowMs(), out);
        return out;
    }
    static RECT ClientOnScreen(HWND hwnd) {
        RECT client{};
        GetClientRect(hwnd, &client);
        MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
        return client;
    }

    std::unique_ptr<TWin32Backend> backend_;
    std::vector<std::unique_ptr<TNativeWindow>> windows_;
};

TEST_F(Win32Test, BorderlessWindowIsAPopupOfExactlyItsBounds) {
    TWin32Window& w = Make(TWindowKind::Normal, TRect::FromSize(100, 80, 150, 90));
    LONG style = GetWindowLongW(w.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_CAPTION);
    RECT r{};
    GetWindowRect(w.Handle(), &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 80);
    EXPECT_EQ(r.right - r.left, 150);
    EXPECT_EQ(r.bottom - r.top, 90);
}

TEST_F(Win32Test, DialogHasAFixedFrameAroundAClientAreaOfTheAskedSize) {
    TWin32Window& w = Make(TWindowKind::Dialog, TRect::FromSize(200, 150, 403, 349), false);
    LONG style = GetWindowLongW(w.Handle(), GWL_STYLE);
    LONG ex = GetWindowLongW(w.Handle(), GWL_EXSTYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_TRUE(ex & WS_EX_DLGMODALFRAME);
    RECT client = ClientOnScreen(w.Handle());
    EXPECT_EQ(client.left, 200);
    EXPECT_EQ(client.top, 150);
    EXPECT_EQ(client.right - client.left, 403);
    EXPECT_EQ(client.bottom - client.top, 349);
    w.SetBounds(TRect::FromSize(10, 20, 300, 100));
    client = ClientOnScreen(w.Handle());
    EXPECT_EQ(client.left, 10);
    EXPECT_EQ(client.right - client.left, 300);
    EXPECT_EQ(client.bottom - client.top, 100);
    EXPECT_TRUE(Events().empty());  // the move asked for is no news
}

TEST_F(Win32Test, PopupIsAToolWindowOnTopThatNeverActivates) {
    TWin32Window& w = Make(TWindowKind::Popup, TRect::FromSize(0, 0, 80, 60));
    LONG ex = GetWindowLongW(w.Handle(), GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_TRUE(ex & 0x08000000L);  // WS_EX_NOACTIVATE
    EXPECT_EQ(SendMessageW(w.Handle(), WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);
}

TEST_F(Win32Test, TooltipIsAPopupThePointerGoesThrough) {
    TWin32Window& w = Make(TWindowKind::Tooltip, TRect::FromSize(0, 0, 80, 20));
    LONG ex = GetWindowLongW(w.Handle(), GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_EQ(SendMessageW(w.Handle(), WM_NCHITTEST, 0, MAKELPARAM(5, 5)), HTTRANSPARENT);
    EXPECT_EQ(SendMessageW(w.Handle(), WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);
    TWin32Window& popup = Make(TWindowKind::Popup, TRect::FromSize(0, 0, 80, 20));
    EXPECT_EQ(SendMessageW(popup.Handle(), WM_NCHITTEST, 0, MAKELPARAM(5, 5)), HTCLIENT);
}

TEST_F(Win32Test, FrameExtentsAreTheWindowRectangleAroundTheClientArea) {
    TWin32Window& dialog = Make(TWindowKind::Dialog, TRect::FromSize(200, 150, 300, 100), false);
    RECT outer{};
    GetWindowRect(dialog.Handle(), &outer);
    RECT client = ClientOnScreen(dialog.Handle());
    const TFrameExtents extents = dialog.FrameExtents();
    EXPECT_EQ(extents.Left, client.left - outer.left);
    EXPECT_EQ(extents.Top, client.top - outer.top);
    EXPECT_EQ(extents.Right, outer.right - client.right);
    EXPECT_EQ(extents.Bottom, outer.bottom - client.bottom);
    EXPECT_GT(extents.Top, extents.Bottom);  // the caption
    EXPECT_EQ(Make(TWindowKind::Normal, TRect::FromSize(0, 0, 150, 90)).FrameExtents(),
              TFrameExtents{});
}

TEST_F(Win32Test, AWindowShownWithoutActivatingLeavesTheActiveWindowAlone) {
    TWin32Window& first = Make(TWindowKind::Normal, TRect::FromSize(0, 0, 40, 30), false);
    first.Show(true);
    ASSERT_EQ(GetActiveWindow(), first.Handle());
    TWin32Window& gadget = Make(TWindowKind::Normal, TRect::FromSize(100, 0, 40, 30));
    gadget.SetActivateOnShow(false);
    gadget.Show(true);
    EXPECT_TRUE(IsWindowVisible(gadget.Handle()));
    EXPECT_EQ(GetActiveWindow(), first.Handle());
}

TEST_F(Win32Test, RegionBecomesTheWindowRegionRectangleByRectangle) {
    TWin32Window& w = Make(TWindowKind::Normal, TRect::FromSize(0, 0, 150, 90));
    TRegion region(TRect{2, 0, 148, 1});
    region.Combine(TRegion(TRect{0, 1, 150, 89}), RGN_OR);
    region.Combine(TRegion(TRect{2, 89, 148, 90}), RGN_OR);
    w.SetShape(&region);
    HRGN got = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(GetWindowRgn(w.Handle(), got), COMPLEXREGION);
    DWORD size = GetRegionData(got, 0, nullptr);
    std::vector<uint8_t> data(size);
    ASSERT_EQ(GetRegionData(got, size, reinterpret_cast<RGNDATA*>(data.data())), size);
    auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
    ASSERT_EQ(header->nCount, 3u);
    auto* rects = reinterpret_cast<RECT*>(data.data() + header->dwSize);
    EXPECT_EQ(rects[0].left, 2);
    EXPECT_EQ(rects[1].right, 150);
    EXPECT_EQ(rects[2].bottom, 90);
    DeleteObject(got);
    w.SetShape(nullptr);
    HRGN none = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(w.Handle(), none), ERROR);
    DeleteObject(none);
}

TEST_F(Win32Test, RegionOfAFramedWindowIsInClientCoordinates) {
    TWin32Window& w = Make(TWindowKind::Dialog, TRect::FromSize(50, 50, 100, 100), false);
    TRegion region(TRect{0, 0, 10, 10});
    w.SetShape(&region);
    HRGN got = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(GetWindowRgn(w.Handle(), got), SIMPLEREGION);
    RECT box{};
    GetRgnBox(got, &box);
    DeleteObject(got);
    RECT window{};
    GetWindowRect(w.Handle(), &window);
    RECT client = ClientOnScreen(w.Handle());
    EXPECT_EQ(box.left, client.left - window.left);
    EXPECT_EQ(box.top, client.top - window.top);
    EXPECT_EQ(box.right - box.left, 10);
}

TEST_F(Win32Test, ColourKeyMakesTheWindowLayeredAndNoKeyTakesItAway) {
    TWin32Window& w = Make(TWindowKind::Normal, TRect::FromSize(0, 0, 150, 90));
    w.SetColorKey(TColor(0));
    EXPECT_TRUE(GetWindowLongW(w.Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
    COLORREF key = 1;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(w.Handle(), &key, &alpha, &flags));
    EXPECT_EQ(key, 0u);
    EXPECT_EQ(flags, DWORD(LWA_COLORKEY));
    w.SetColorKey(std::nullopt);
    EXPECT_FALSE(GetWindowLongW(w.Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
}

TEST_F(Win32Test, StayOnTopIsTheTopmostStyle) {
    TWin32Window& w = Make(TWindowKind::Normal, TRect::FromSize(0, 0, 50, 50));
    EXPECT_FALSE(GetWindowLongW(w.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    w.SetStayOnTop(true);
    EXPECT_TRUE(GetWindowLongW(w.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    w.SetStayOnTop(false);
    EXPECT_FALSE(GetWindowLongW(w.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(w.Handle(), GW_OWNER), nullptr);
}

TEST_F(Win32Test, ANormalWindowHasItsOwnTaskbarButtonAndNothingUnseenIsShown) {
    TWin32Window& w = Make(TWindowKind::Normal, TRect::FromSize(0, 0, 50, 50));
    auto exStyle = [&] { return GetWindowLongW(w.Handle(), GWL_EXSTYLE); };
    EXPECT_EQ(GetWindow(w.Handle(), GW_OWNER), nullptr);
    EXPECT_TRUE(exStyle() & WS_EX_APPWINDOW);
    w.Show(true);
    // Without a button it is a tool window, shown all the while.
    w.SetTaskbarButton(false);
    EXPECT_FALSE(exStyle() & WS_EX_APPWINDOW);
    EXPECT_TRUE(exStyle() & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(IsWindowVisible(w.Handle()));
    w.SetTaskbarButton(true);
    EXPECT_TRUE(exStyle() & WS_EX_APPWINDOW);
    EXPECT_FALSE(exStyle() & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(IsWindowVisible(w.Handle()));
    EXPECT_EQ(GetWindow(w.Handle(), GW_OWNER), nullptr);
    // A dialog without an owner hangs off the application window, which is never shown.
    TWin32Window& dialog = Make(TWindowKind::Dialog, TRect::FromSize(0, 0, 50, 50), false);
    dialog.Show(true);
    HWND application = backend_->ApplicationWindow();
    EXPECT_EQ(GetWindow(dialog.Handle(), GW_OWNER), application);
    EXPECT_FALSE(IsWindowVisible(application));
    wchar_t title[64] = {};
    GetWindowTextW(application, title, 64);
    EXPECT_EQ(std::wstring(title), L"zt_native_win32_test");
}

TEST_F(Win32Test, OwnedWindowOutlivesItsOwner) {
    auto owner =
        std::make_unique<TWin32Window>(*backend_, TWindowParams{TRect::FromSize(0, 0, 50, 50),
                                                                TWindowKind::Normal,
                                                                "o",
                                                                "zentick",
                                                                nullptr,
                                                                true,
                                                                false,
                                                                true,
                                                                false,
                                                                {}});
    TWin32Window& dialog =
        Make(TWindowKind::Dialog, TRect::FromSize(0, 0, 50, 50), false, owner.get());
    EXPECT_EQ(GetWindow(dialog.Handle(), GW_OWNER), owner->Handle());
    owner.reset();
    ASSERT_TRUE(IsWindow(dialog.Handle()));
    EXPECT_EQ(GetWindow(dialog.Handle(), GW_OWNER), backend_->ApplicationWindow());
}

TEST_F(Win32Test, MouseMessagesBecomeEventsInScreenCoordinates) {
    TWin32Window& w = Make(TWindowKind::Normal, TRect::FromSize(100, 200, 150, 90));
    PostMessageW(w.Handle(), WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(10, 20));
    PostMessageW(w.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(11, 20));
    PostMessageW(w.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(12, 21));
    PostMessageW(w.Handle(), WM_RBUTTONUP, 0, MAKELPARAM(5, 6));
    std::vector<TEvent> events = Events();
    ASSERT_EQ(events.size(), 3u);  // the two moves count as their last
    EXPECT_EQ(events[0].Kind, TEventKind::ButtonDown);
    EXPECT_EQ(events[0].Button, kLeftButton);
    EXPECT_EQ(events[0].ScreenPos, (TPoint{110, 220}));
    EXPECT_EQ(events[0].Modifiers, kLeftDown | kShift);
    EXPECT_EQ(events[0].Window, &w);
    EXPECT_EQ(events[1].Kind, TEventKind::MouseMove);
    EXPECT_EQ(events[1].ScreenPos, (TPoint{112, 221}));
    EXPECT_EQ(events[2].Kind, TEventKind::ButtonUp);
    EXPECT_EQ(events[2].Button, kRightButton);
    EXPECT_EQ(events[2].Modifiers, 0u);
}

TEST_F(Win32Test, KeysCharactersAndCloseBecomeEvents) {
    TWin32Window& w = Make(TWindowKind::Dialog, TRect::FromSize(0, 0, 50, 50), false);
    PostMessageW(w.Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    std::vector<TEvent> events = Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].Kind, TEventKind::KeyDown);
    EXPECT_EQ(events[0].Key, VK_ESCAPE);
    EXPECT_EQ(events[1].Kind, TEventKind::Char);  // the system's translation of the key
    EXPECT_EQ(events[1].Char, 27u);
    PostMessageW(w.Handle(), WM_CHAR, 0xD83D, 0);  // U+1F600 as a surrogate pair
    PostMessageW(w.Handle(), WM_CHAR, 0xDE00, 0);
    PostMessageW(w.Handle(), WM_CHAR, 'a', 0);
    PostMessageW(w.Handle(), WM_KEYUP, VK_ESCAPE, 0);
    PostMessageW(w.Handle(), WM_CLOSE, 0, 0);
    events = Events();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].Kind, TEventKind::Char);
    EXPECT_EQ(events[0].Char, 0x1F600u);
    EXPECT_EQ(events[1].Char, uint32_t('a'));
    EXPECT_EQ(events[2].Kind, TEventKind::KeyUp);
    EXPECT_EQ(events[3].Kind, TEventKind::CloseRequest);
    EXPECT_TRUE(IsWindow(w.Handle()));  // closing is the program's decision
}

TEST_F(Win32Test, WheelAndAltCharactersBecomeEvents) {
    TWin32Window& w = Make(TWindowKind::Normal, TRect::FromSize(100, 200, 150, 90));
    // The wheel's position is on the screen already; a notch down with Shift held.
    PostMessageW(w.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, WORD(-WHEEL_DELTA)),
                 MAKELPARAM(130, 240));
    PostMessageW(w.Handle(), WM_MOUSEHWHEEL, MAKEWPARAM(0, 2 * WHEEL_DELTA), MAKELPARAM(131, 241));
    PostMessageW(w.Handle(), WM_SYSCHAR, 'f', 0);
    std::vector<TEvent> events = Events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].Kind, TEventKind::Wheel);
    EXPECT_EQ(events[0].Window, &w);
    EXPECT_EQ(events[0].Delta, -kWheelNotch);
    EXPECT_FALSE(events[0].Horizontal);
    EXPECT_EQ(events[0].ScreenPos, (TPoint{130, 240}));
    EXPECT_EQ(events[0].Modifiers & kShift, kShift);
    EXPECT_EQ(events[1].Kind, TEventKind::Wheel);
    EXPECT_EQ(events[1].Delta, 2 * kWheelNotch);
    EXPECT_TRUE(events[1].Horizontal);
    EXPECT_EQ(events[2].Kind, TEventKind::SysChar);
    EXPECT_EQ(events[2].Char, uint32_t('f'));
    // The tilt says it was used, as a window that scrolls with it answers.
    EXPECT_EQ(SendMessageW(w.Handle(), WM_MOUSEHWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0), TRUE);
}

TEST_F(Win32Test, MoveByTheSystemIsReported) {
    TWin32Window& w = Make(TWindowKind::Normal, TRect::FromSize(0, 0, 40, 30));
    SetWindowPos(w.Handle(), nullptr, 70, 80, 40, 30, SWP_NOZORDER | SWP_NOACTIVATE);
    std::vector<TEvent> events = Events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].Kind, TEventKind::Moved);
    EXPECT_EQ(events[0].Rect, TRect::FromSize(70, 80, 40, 30));
    EXPECT_EQ(w.Bounds(), TRect::FromSize(70, 80, 40, 30));
}

TEST_F(Win32Test, WaitingEndsAtTheDeadlineOrWhenWoken) {
    std::vector<TEvent> out;
    int64_t start = backend_->NowMs();
    backend_->WaitEvents(start + 60, out);
    EXPECT_TRUE(out.empty());
    EXPECT_GE(backend_->NowMs(), start + 60);
    backend_->Wake();
    backend_->WaitEvents(-1, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].Kind, TEventKind::Wake);
}

TEST_F(Win32Test, PresentedPixelsAreWhatTheWindowShows) {
    TWin32Window& w = Make(TWindowKind::Normal, TRect::FromSize(10, 10, 20, 10));
    w.Show(true);
    TBitmap frame(20, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            frame.SetPixel(x, y, TColor(RGB(0, 0, 255)));
    frame.SetPixel(3, 4, TColor(RGB(10, 200, 30)));
    w.Present(frame, {0, 0, 20, 10});
    HDC dc = GetDC(w.Handle());
    EXPECT_EQ(GetPixel(dc, 3, 4), RGB(10, 200, 30));
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 255));
    ReleaseDC(w.Handle(), dc);
}

// Screen readers ask the window for its accessible object (WM_GETOBJECT), and read the
// name of the client area itself: the name the program gave, read as it is when asked.
// Everything else is the system's standard object of a client area.
TEST_F(Win32Test, ScreenReadersReadTheAccessibleNameOfTheClientArea) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    TWin32Window& w = Make(TWindowKind::Normal, TRect::FromSize(10, 10, 150, 90));
    w.Show(true);
    auto nameOf = [](HWND hwnd) {
        IAccessible* object = nullptr;
        std::wstring name;
        HRESULT hr = AccessibleObjectFromWindow(hwnd, DWORD(OBJID_CLIENT), __uuidof(IAccessible),
                                                reinterpret_cast<void**>(&object));
        if (FAILED(hr) || !object) return std::wstring(L"<no object>");
        VARIANT self{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR text = nullptr;
        if (SUCCEEDED(object->get_accName(self, &text)) && text) name = text;
        SysFreeString(text);
        VARIANT role{};
        if (SUCCEEDED(object->get_accRole(self, &role)) && role.vt == VT_I4 &&
            role.lVal != ROLE_SYSTEM_CLIENT)
            name = L"<role " + std::to_wstring(role.lVal) + L">";
        object->Release();
        return name;
    };
    // Without a name of its own: the standard object's, the title.
    EXPECT_EQ(nameOf(w.Handle()), L"test");
    w.SetAccessibleName("13:47:05 \u2014 Wednesday 9 December 2026");
    EXPECT_EQ(nameOf(w.Handle()), L"13:47:05 \u2014 Wednesday 9 December 2026");
    w.SetAccessibleName("13:47:06 \u2014 Wednesday 9 December 2026");
    EXPECT_EQ(nameOf(w.Handle()), L"13:47:06 \u2014 Wednesday 9 December 2026");
    // The title is left as it is.
    wchar_t title[32] = {};
    GetWindowTextW(w.Handle(), title, 32);
    EXPECT_STREQ(title, L"test");
    windows_.clear();
    CoUninitialize();
}

}  // namespace
}  // namespace native
