#include "shaped/fcmsg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/winapi.h"
#include "tests/support/headless_app.h"

namespace {

using TTrace = std::vector<std::string>;

// A window procedure of a type of its own, so that a test can tell whether it is the one
// in place (WNDPROC::target).
struct TRecordingProc {
    TTrace* Trace;
    std::string Name;
    WNDPROC Next;  // none: the end of the chain
    LRESULT operator()(HWND h, UINT msg, WPARAM wp, LPARAM lp) const {
        if (msg >= WM_USER) Trace->push_back(Name + " " + std::to_string(msg - WM_USER));
        if (Next) {
            LRESULT r = CallWindowProc(Next, h, msg, wp, lp);
            return msg >= WM_USER ? r + 1000 : r;
        }
        if (msg == WM_DESTROY) Trace->push_back(Name + " destroy");
        return msg >= WM_USER ? LRESULT(100 + msg - WM_USER) : DefWindowProc(h, msg, wp, lp);
    }
};

class CaptureMessage : public testing::Test {
protected:
    TTrace trace;  // outlives the windows, which the application may still message at its end
    THeadlessApp app;
    TComponent* owner = new TComponent(nullptr);
    HWND window = MakeWindow("window");

    ~CaptureMessage() override { owner->Free(); }

    HWND MakeWindow(const std::string& name) {
        return CreateWindowExA(0, name, WS_POPUP, 0, 0, 20, 20, nullptr,
                               TRecordingProc{&trace, name, {}});
    }

    // A capture on window that records its events; the before event answers 7 for
    // messages it is told to swallow.
    TfcCaptureMessageClass* MakeCapture(HWND target, UINT swallow = 0) {
        auto* capture = new TfcCaptureMessageClass(owner);
        capture->OnBeforeMessage = [this, swallow](TMessage& m, bool& callDefault) {
            if (m.Msg < WM_USER) return;
            trace.push_back("before " + std::to_string(m.Msg - WM_USER));
            if (m.Msg == swallow) {
                callDefault = false;
                m.Result = 7;
            }
        };
        capture->OnAfterMessage = [this](TMessage& m) {
            if (m.Msg == WM_DESTROY) trace.push_back("after destroy");
            if (m.Msg < WM_USER) return;
            trace.push_back("after " + std::to_string(m.Msg - WM_USER) + " = " +
                            std::to_string(m.Result));
        };
        capture->SetWindowHandle(target);
        capture->SetActive(true);
        return capture;
    }

    bool OriginalInPlace(HWND h) { return GetWindowProc(h).target<TRecordingProc>() != nullptr; }
};

TEST_F(CaptureMessage, WithoutEventsEveryMessageReachesTheWindowUnchanged) {
    auto* capture = new TfcCaptureMessageClass(owner);
    capture->SetWindowHandle(window);
    capture->SetActive(true);
    EXPECT_TRUE(capture->Active());
    EXPECT_TRUE(capture->Installed());
    EXPECT_FALSE(OriginalInPlace(window));
    EXPECT_EQ(SendMessage(window, WM_USER + 1, 0, 0), 101);
    EXPECT_EQ(trace, (TTrace{"window 1"}));
}

TEST_F(CaptureMessage, EventsComeBeforeAndAfterTheWindowsOwnHandling) {
    MakeCapture(window);
    EXPECT_EQ(SendMessage(window, WM_USER + 2, 0, 0), 102);
    EXPECT_EQ(trace, (TTrace{"before 2", "window 2", "after 2 = 102"}));
}

TEST_F(CaptureMessage, BeforeEventCanSwallowAMessage) {
    MakeCapture(window, WM_USER + 3);
    EXPECT_EQ(SendMessage(window, WM_USER + 3, 0, 0), 7);
    EXPECT_EQ(SendMessage(window, WM_USER + 4, 0, 0), 104);
    EXPECT_EQ(trace, (TTrace{"before 3", "before 4", "window 4", "after 4 = 104"}));
}

TEST_F(CaptureMessage, ActivatingTwiceInstallsOnce) {
    TfcCaptureMessageClass* capture = MakeCapture(window);
    capture->SetActive(true);
    capture->HookWindow();
    SendMessage(window, WM_USER + 1, 0, 0);
    EXPECT_EQ(trace, (TTrace{"before 1", "window 1", "after 1 = 101"}));
    // One removal puts the window's own procedure back.
    capture->SetActive(false);
    EXPECT_TRUE(OriginalInPlace(window));
}

TEST_F(CaptureMessage, DeactivatingPutsThePreviousProcedureBack) {
    TfcCaptureMessageClass* capture = MakeCapture(window);
    capture->SetActive(false);
    EXPECT_FALSE(capture->Active());
    EXPECT_FALSE(capture->Installed());
    EXPECT_TRUE(OriginalInPlace(window));
    EXPECT_EQ(SendMessage(window, WM_USER + 1, 0, 0), 101);
    EXPECT_EQ(trace, (TTrace{"window 1"}));
}

TEST_F(CaptureMessage, DestroyingTheCaptureRemovesIt) {
    TfcCaptureMessageClass* capture = MakeCapture(window);
    capture->Free();
    EXPECT_TRUE(OriginalInPlace(window));
    EXPECT_EQ(SendMessage(window, WM_USER + 1, 0, 0), 101);
    EXPECT_EQ(trace, (TTrace{"window 1"}));
}

TEST_F(CaptureMessage, RemovalKeepsAHookInstalledAfterIt) {
    TfcCaptureMessageClass* capture = MakeCapture(window);
    // Someone else hooks the window after the capture, passing messages on to it.
    WNDPROC ours = GetWindowProc(window);
    SetWindowProc(window, TRecordingProc{&trace, "later", ours});
    EXPECT_EQ(SendMessage(window, WM_USER + 1, 0, 0), 1101);
    EXPECT_EQ(trace, (TTrace{"later 1", "before 1", "window 1", "after 1 = 101"}));

    // Removing the capture must not cut the later hook out of the chain.
    trace.clear();
    capture->SetActive(false);
    const WNDPROC current = GetWindowProc(window);
    const auto* later = current.target<TRecordingProc>();
    ASSERT_TRUE(later);
    EXPECT_EQ(later->Name, "later");
    EXPECT_EQ(SendMessage(window, WM_USER + 2, 0, 0), 1102);
    EXPECT_EQ(trace, (TTrace{"later 2", "window 2"}));

    // The later hook goes away by putting back what it found; the chain still works, and
    // a capture installed again works as before.
    trace.clear();
    SetWindowProc(window, ours);
    capture->SetActive(true);
    EXPECT_EQ(SendMessage(window, WM_USER + 3, 0, 0), 103);
    EXPECT_EQ(trace, (TTrace{"before 3", "window 3", "after 3 = 103"}));
    capture->Free();
    trace.clear();
    EXPECT_EQ(SendMessage(window, WM_USER + 4, 0, 0), 104);
    EXPECT_EQ(trace, (TTrace{"window 4"}));
}

TEST_F(CaptureMessage, SeesTheDestructionOfItsWindowAfterTheWindowDoes) {
    MakeCapture(window);
    DestroyWindow(window);
    EXPECT_EQ(trace, (TTrace{"window destroy", "after destroy"}));
}

TEST_F(CaptureMessage, DestroyedAfterItsWindowWritesToNoWindow) {
    TfcCaptureMessageClass* capture = MakeCapture(window);
    DestroyWindow(window);
    app.Run();  // the dead window's memory may now be reused for the next window
    HWND next = MakeWindow("next");
    trace.clear();
    capture->Free();
    EXPECT_TRUE(OriginalInPlace(next));
    EXPECT_EQ(SendMessage(next, WM_USER + 1, 0, 0), 101);
    EXPECT_EQ(trace, (TTrace{"next 1"}));
}

TEST_F(CaptureMessage, DeactivatedAfterItsWindowIsGoneEndsNotInstalled) {
    TfcCaptureMessageClass* capture = MakeCapture(window);
    DestroyWindow(window);
    capture->SetActive(false);
    EXPECT_FALSE(capture->Active());
    EXPECT_FALSE(capture->Installed());
}

TEST_F(CaptureMessage, ActiveWithoutAWindowWaitsForOne) {
    auto* capture = new TfcCaptureMessageClass(owner);
    capture->SetActive(true);
    EXPECT_TRUE(capture->Active());
    EXPECT_FALSE(capture->Installed());
    capture->SetWindowHandle(window);
    EXPECT_TRUE(capture->Installed());
    EXPECT_FALSE(OriginalInPlace(window));
}

TEST_F(CaptureMessage, AHandleThatIsNoWindowLeavesActiveSetButNothingInstalled) {
    HWND gone = MakeWindow("gone");
    DestroyWindow(gone);
    auto* capture = new TfcCaptureMessageClass(owner);
    capture->SetWindowHandle(gone);
    capture->SetActive(true);
    EXPECT_TRUE(capture->Active());
    EXPECT_FALSE(capture->Installed());
}

TEST_F(CaptureMessage, ChangingTheWindowRemovesTheCaptureAndClearsActive) {
    TfcCaptureMessageClass* capture = MakeCapture(window);
    HWND other = MakeWindow("other");
    capture->SetWindowHandle(other);
    EXPECT_EQ(capture->WindowHandle(), other);
    EXPECT_FALSE(capture->Active());
    EXPECT_TRUE(OriginalInPlace(window));
    EXPECT_TRUE(OriginalInPlace(other));
    capture->SetActive(true);
    EXPECT_TRUE(OriginalInPlace(window));
    EXPECT_FALSE(OriginalInPlace(other));
}

TEST_F(CaptureMessage, DestroyedByItsWindowsOwnHandlingRaisesNoAfterEvent) {
    TfcCaptureMessageClass* capture = nullptr;
    // The window's own procedure frees the capture while it handles a message.
    SetWindowProc(window, [&](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
        if (msg == WM_USER + 5 && capture) {
            trace.push_back("window frees the capture");
            FreeAndNil(capture);
            return 5;
        }
        return DefWindowProc(h, msg, wp, lp);
    });
    capture = MakeCapture(window);
    EXPECT_EQ(SendMessage(window, WM_USER + 5, 0, 0), 5);
    EXPECT_EQ(trace, (TTrace{"before 5", "window frees the capture"}));
    EXPECT_EQ(capture, nullptr);
    // The capture took itself out of the chain as it went.
    trace.clear();
    EXPECT_EQ(SendMessage(window, WM_USER + 5, 0, 0), 0);
    EXPECT_EQ(trace, TTrace{});
}

}  // namespace
