// TButton: a push button in the classic look (a raised face that sinks while pressed).
//
// A click raises OnClick: a left press and release over the button, Space (on its
// release) while the button has the focus, or Return and Escape through the form's
// dialog keys. Return clicks the form's active button: the focused button, or the
// Default button while no other button has the focus; Escape clicks the Cancel button.
// The active button is drawn with a black outline. A button with a ModalResult also
// sets its form's ModalResult, which ends ShowModal. A disabled or hidden button takes
// no click.
#pragma once

#include "platform/ui/buttoncontrol.h"
#include "platform/ui/form.h"

class TButton : public TButtonControl {
public:
    explicit TButton(TComponent* owner);

    bool Default() const { return default_; }
    void SetDefault(bool on);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool on) { cancel_ = on; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }
    // Whether Return clicks this button now: it has the focus, or it is the default
    // button and no other button of its form has the focus.
    bool Active() const;

    void Click() override;
    void Dispatch(TMessage& message) override;

protected:
    void Paint() override;

private:
    bool default_ = false;
    bool cancel_ = false;
    TModalResult modalResult_ = mrNone;
};
