// TButtonControl: the press logic that push buttons and check boxes share.
//
// A left press on the control, or Space while it has the focus, shows it pressed; while
// the left button is held, it shows pressed only with the pointer over it (or while Space
// is still down). Space clicks (raises Click) when it is let go; a mouse click comes from
// the control's own press-and-release handling. Losing the focus, a cancelled mode or
// being disabled ends any press without a click, so no control is left drawn pressed.
// A disabled control takes no Space. The control is a tab stop, opaque, and takes no
// double clicks (a quick second click is one more click). WM_GETDLGCODE answers 0: the
// arrow keys, Tab and Return stay the dialog's.
//
// Derived controls draw Pressed() in their own look.
#pragma once

#include "platform/ui/wincontrol.h"

class TButtonControl : public TCustomControl {
public:
    explicit TButtonControl(TComponent* owner);

    void Dispatch(TMessage& message) override;

protected:
    // Whether the control is drawn pressed now.
    bool Pressed() const { return pressed_; }

    bool DoKeyDown(uint16_t& key, TShiftState shift) override;
    bool DoKeyUp(uint16_t& key, TShiftState shift) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    void SetPressed(bool pressed);

    bool pressed_ = false;    // drawn pressed
    bool mouseDown_ = false;  // the left button went down on the control
    bool spaceDown_ = false;  // Space went down while the control had the focus
};
