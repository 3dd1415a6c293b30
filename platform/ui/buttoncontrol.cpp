#include "platform/ui/buttoncontrol.h"

TButtonControl::TButtonControl(TComponent* owner) : TCustomControl(owner) {
    controlStyle_ |= csOpaque;
    controlStyle_ &= ~csDoubleClicks;
    SetTabStop(true);
}

void TButtonControl::SetPressed(bool pressed) {
    if (pressed == pressed_) return;
    pressed_ = pressed;
    Invalidate();
}

void TButtonControl::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case WM_GETDLGCODE:
            m.Result = 0;
            return;
        case WM_KILLFOCUS:
        case WM_CANCELMODE:
        case CM_ENABLEDCHANGED:
            // A press that cannot finish any more leaves nothing drawn pressed behind.
            spaceDown_ = mouseDown_ = false;
            SetPressed(false);
            break;
        default:
            break;
    }
    TCustomControl::Dispatch(m);
}

bool TButtonControl::DoKeyDown(uint16_t& key, TShiftState shift) {
    if (TCustomControl::DoKeyDown(key, shift)) return true;
    if (key == VK_SPACE && Enabled()) {
        spaceDown_ = true;
        SetPressed(true);
        key = 0;
        return true;
    }
    return false;
}

bool TButtonControl::DoKeyUp(uint16_t& key, TShiftState shift) {
    if (TCustomControl::DoKeyUp(key, shift)) return true;
    if (key != VK_SPACE || !spaceDown_) return false;
    // As the system's buttons do: Space clicks when it is let go.
    spaceDown_ = false;
    SetPressed(mouseDown_);
    if (Enabled()) Click();
    key = 0;
    return true;
}

void TButtonControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        mouseDown_ = true;
        SetPressed(true);
        Update();  // the press shows at once, before the click's handlers run
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TButtonControl::MouseMove(TShiftState shift, int x, int y) {
    // While the button is held, the control shows pressed only with the pointer over it.
    if (mouseDown_) SetPressed(spaceDown_ || ClientRect().Contains({x, y}));
    TCustomControl::MouseMove(shift, x, y);
}

void TButtonControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft && mouseDown_) {
        mouseDown_ = false;
        SetPressed(spaceDown_);
    }
    TCustomControl::MouseUp(button, shift, x, y);
}
