#include "platform/ui/button.h"

#include "platform/ui/accel.h"
#include "platform/ui/stylepainter.h"

TButton::TButton(TComponent* owner) : TCustomControl(owner) {
    controlStyle_ |= csOpaque;
    controlStyle_ &= ~csDoubleClicks;
    SetTabStop(true);
    SetBounds(0, 0, 75, 25);
}

void TButton::SetDefault(bool on) {
    if (on == default_) return;
    default_ = on;
    Invalidate();
}

bool TButton::Active() const {
    if (Focused()) return true;
    if (!default_) return false;
    auto* form = dynamic_cast<TCustomForm*>(ParentForm());
    return !form || !dynamic_cast<TButton*>(form->FocusedControl());
}

void TButton::Click() {
    if (modalResult_ != mrNone)
        if (auto* form = dynamic_cast<TCustomForm*>(ParentForm()))
            form->SetModalResult(modalResult_);
    TCustomControl::Click();
}

void TButton::SetPressed(bool pressed) {
    if (pressed == pressed_) return;
    pressed_ = pressed;
    Invalidate();
}

void TButton::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case CM_DIALOGKEY: {
            bool mine = (m.WParam == VK_RETURN && Active()) || (m.WParam == VK_ESCAPE && cancel_);
            if (mine && CanFocus()) {
                Click();
                m.Result = 1;
            }
            return;
        }
        case CM_DIALOGCHAR:
            if (IsAccel(uint32_t(m.WParam), Caption()) && CanFocus() && Showing()) {
                Click();
                m.Result = 1;
            }
            return;
        case CM_FOCUSCHANGED:
            // The default button's outline moves to a focused button and back.
            if (default_) Invalidate();
            return;
        case WM_GETDLGCODE:
            m.Result = 0;
            return;
        case WM_KILLFOCUS:
        case WM_CANCELMODE:
        case CM_ENABLEDCHANGED:
            spaceDown_ = mouseDown_ = false;
            SetPressed(false);
            break;
        default:
            break;
    }
    TCustomControl::Dispatch(m);
}

bool TButton::DoKeyDown(uint16_t& key, TShiftState shift) {
    if (TCustomControl::DoKeyDown(key, shift)) return true;
    if (key == VK_SPACE && Enabled()) {
        spaceDown_ = true;
        SetPressed(true);
        key = 0;
        return true;
    }
    return false;
}

bool TButton::DoKeyUp(uint16_t& key, TShiftState shift) {
    if (TCustomControl::DoKeyUp(key, shift)) return true;
    if (key != VK_SPACE || !spaceDown_) return false;
    spaceDown_ = false;
    SetPressed(mouseDown_);
    if (Enabled()) Click();
    key = 0;
    return true;
}

void TButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        mouseDown_ = true;
        SetPressed(true);
        Update();
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TButton::MouseMove(TShiftState shift, int x, int y) {
    // While the button is held, the face sinks only with the pointer over it.
    if (mouseDown_) SetPressed(spaceDown_ || ClientRect().Contains({x, y}));
    TCustomControl::MouseMove(shift, x, y);
}

void TButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft && mouseDown_) {
        mouseDown_ = false;
        SetPressed(spaceDown_);
    }
    TCustomControl::MouseUp(button, shift, x, y);
}

void TButton::Paint() {
    TCanvas& c = Canvas();
    DrawButtonFace(c, ClientRect(), Color(), pressed_, Active());
    c.Font = Font();
    const TAccelText caption = ParseAccel(Caption());
    int w = c.TextWidth(caption.Text), h = c.TextHeight(caption.Text);
    int shift = pressed_ ? c.LineWidth() : 0;
    int x = (Width() - w) / 2 + shift, y = (Height() - h) / 2 + shift;
    DrawControlText(c, ClientRect(), x, y, caption.Text, Enabled());
    if (!Enabled()) c.Font.SetColor(clGrayText);
    DrawAccelUnderline(c, x, y, caption);
    if (Focused()) DrawFocus(c, ClientRect().Inflate(-ScaleValue(4), -ScaleValue(4)));
}
