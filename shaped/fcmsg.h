// TfcCaptureMessageClass: lets a component without a window of its own see the messages
// of another window.
//
// While installed, the capture is the window's procedure: every message goes to
// MessageDispatch, which raises OnBeforeMessage, passes the message on to the procedure
// the window had before (unless OnBeforeMessage swallowed it) and then raises
// OnAfterMessage with the result already set.
//
// The installed procedure is a small callable (the capture's "thunk") that holds a shared
// link to the capture. Removing the capture:
// - when the capture is still the window's procedure, the previous procedure is put back;
// - when someone replaced the procedure after the capture was installed, their procedure
//   holds the thunk as its previous one, so it stays in the chain: it is turned into a
//   pass-through that forwards every message to the capture's previous procedure, and
//   no later hook is cut out;
// - when the window no longer exists (or its handle now names another window whose
//   procedure is not the thunk), nothing is written to any window.
// In every case the capture lets go of the thunk and raises no more events.
//
// Only the thread that owns the window may install or remove the capture; the events run
// on that thread, inside the window's message handling.
#pragma once

#include <functional>
#include <memory>

#include "platform/ui/component.h"
#include "platform/ui/messages.h"

class TfcCaptureMessageClass : public TComponent {
public:
    // Not active, no window, no events.
    explicit TfcCaptureMessageClass(TComponent* owner);
    // Sets Active to false (removing the capture), then destroys the component.
    ~TfcCaptureMessageClass() override;

    // Raised after the previous procedure has handled a message; Message.Result is set.
    std::function<void(TMessage& message)> OnAfterMessage;
    // Raised first, with callDefault true; setting it to false swallows the message: the
    // previous procedure and OnAfterMessage do not see it, and the window procedure
    // returns the message's Result as this handler left it.
    std::function<void(TMessage& message, bool& callDefault)> OnBeforeMessage;

    // Whether the capture is wanted. Setting it to the value it has does nothing; setting
    // it to true installs the capture on WindowHandle (and stays true even when that is
    // not a window, the capture then simply not being installed); false removes it.
    bool Active() const { return active_; }
    void SetActive(bool value);

    // The captured window. Setting it when a window was set before first removes the
    // capture (Active becomes false, so Active must be set again for the new window);
    // when no window was set before and Active is true, the capture is installed on the
    // new window.
    HWND WindowHandle() const { return windowHandle_; }
    void SetWindowHandle(HWND handle);

    // Whether the capture is in the window's procedure chain now.
    bool Installed() const { return hook_ != nullptr; }

    // Installs the capture on WindowHandle: nothing when it is not a window or when the
    // capture is installed already. Sets Active. Raises EOutOfResources ("Windows
    // Resources Exhausted"), leaving the window's procedure as it was, when the thunk
    // cannot be made (on this platform only when memory runs out).
    void HookWindow();
    // Removes the capture as described above and sets Active to false. Safe to call when
    // nothing is installed and after the window has been destroyed.
    void UnhookWindow();

    // Handles one message of the captured window: OnBeforeMessage, then the previous
    // procedure (Message.Result becomes its result) and OnAfterMessage. When the previous
    // procedure's handling destroys this object, OnAfterMessage is not raised.
    virtual void MessageDispatch(TMessage& message);

private:
    struct THook;
    friend struct TCaptureThunk;

    bool active_ = false;
    HWND windowHandle_ = nullptr;
    // Shared with the installed thunk; present only while the capture is installed.
    std::shared_ptr<THook> hook_;
    // Cleared when the object is destroyed; lets a message that is being handled notice
    // that its handling destroyed the object.
    std::shared_ptr<bool> alive_;
};
