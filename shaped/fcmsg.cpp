#include "shaped/fcmsg.h"

#include <new>
#include <utility>

#include "platform/sysutils.h"
#include "platform/ui/winapi.h"

// The link between an installed thunk and its capture. Owner is cleared when the capture
// lets go; from then on the thunk only forwards to Previous.
struct TfcCaptureMessageClass::THook {
    TfcCaptureMessageClass* Owner = nullptr;
    WNDPROC Previous;
};

// The window procedure installed by a capture. Its type lets the capture recognise its own
// procedure in the window (WNDPROC::target), which is how it knows whether it may put the
// previous procedure back.
struct TCaptureThunk {
    std::shared_ptr<TfcCaptureMessageClass::THook> Hook;

    LRESULT operator()(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) const {
        // Held for the whole call: the capture may let go of the hook while the message
        // is handled.
        std::shared_ptr<TfcCaptureMessageClass::THook> hook = Hook;
        if (!hook->Owner) return CallWindowProc(hook->Previous, hwnd, msg, wParam, lParam);
        TMessage message{msg, wParam, lParam, 0};
        hook->Owner->MessageDispatch(message);
        return message.Result;
    }
};

TfcCaptureMessageClass::TfcCaptureMessageClass(TComponent* owner)
    : TComponent(owner), alive_(std::make_shared<bool>(true)) {}

TfcCaptureMessageClass::~TfcCaptureMessageClass() {
    // Installed implies Active, so this removes the capture whenever it is installed.
    SetActive(false);
    *alive_ = false;
}

void TfcCaptureMessageClass::SetActive(bool value) {
    if (value == active_) return;
    active_ = value;
    if (value) {
        HookWindow();
    } else {
        UnhookWindow();
    }
}

void TfcCaptureMessageClass::SetWindowHandle(HWND handle) {
    if (windowHandle_) UnhookWindow();
    windowHandle_ = handle;
    if (handle && active_) HookWindow();
}

void TfcCaptureMessageClass::HookWindow() {
    if (!IsWindow(windowHandle_) || hook_) return;
    std::shared_ptr<THook> hook;
    WNDPROC thunk;
    try {
        hook = std::make_shared<THook>(THook{this, GetWindowProc(windowHandle_)});
        thunk = TCaptureThunk{hook};
    } catch (const std::bad_alloc&) {
        throw EOutOfResources("Windows Resources Exhausted");
    }
    SetWindowProc(windowHandle_, std::move(thunk));
    hook_ = std::move(hook);
    active_ = true;
}

void TfcCaptureMessageClass::UnhookWindow() {
    if (hook_) {
        // Put the previous procedure back only where the thunk is still the window's
        // procedure; anywhere else the thunk stays as a pass-through (see the header).
        if (IsWindow(windowHandle_)) {
            WNDPROC current = GetWindowProc(windowHandle_);
            const auto* thunk = current.target<TCaptureThunk>();
            if (thunk && thunk->Hook == hook_) SetWindowProc(windowHandle_, hook_->Previous);
        }
        hook_->Owner = nullptr;
        hook_.reset();
    }
    active_ = false;
}

void TfcCaptureMessageClass::MessageDispatch(TMessage& message) {
    bool callDefault = true;
    if (OnBeforeMessage) OnBeforeMessage(message, callDefault);
    if (!callDefault) return;
    // Locals only from here on if the previous procedure's handling destroys this object.
    const std::shared_ptr<bool> alive = alive_;
    const std::shared_ptr<THook> hook = hook_;
    static const WNDPROC kNoProcedure;
    message.Result = CallWindowProc(hook ? hook->Previous : kNoProcedure, windowHandle_,
                                    message.Msg, message.WParam, message.LParam);
    if (*alive && OnAfterMessage) OnAfterMessage(message);
}
