// TButton: a push button. A click (mouse release over it, Space, or Return/Escape when
// it is the Default/Cancel button of its form) raises OnClick; a button with a
// ModalResult also sets its form's ModalResult, which ends ShowModal.
#pragma once

#include "platform/ui/form.h"

class TButton : public TCustomControl {
public:
    explicit TButton(TComponent* owner);

    bool Default() const { return default_; }
    void SetDefault(bool on);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool on) { cancel_ = on; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }

    void Click() override;
    void Dispatch(TMessage& message) override;

protected:
    void Paint() override;
    void KeyPress(char& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    bool default_ = false;
    bool cancel_ = false;
    bool pressed_ = false;
    TModalResult modalResult_ = mrNone;
};
