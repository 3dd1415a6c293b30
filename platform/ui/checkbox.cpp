#include "platform/ui/checkbox.h"

#include "platform/ui/stylepainter.h"

TCheckBox::TCheckBox(TComponent* owner) : TCustomControl(owner) {
    controlStyle_ |= csOpaque;
    controlStyle_ &= ~csDoubleClicks;
    SetTabStop(true);
    SetBounds(0, 0, 97, 17);
}

void TCheckBox::SetChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    Invalidate();
}

TRect TCheckBox::GlyphRect() const {
    const int size = ScaleValue(kCheckBoxGlyphSize);
    return TRect::FromSize(0, (Height() - size) / 2, size, size);
}

TRect TCheckBox::CaptionRect() const {
    const TFontFace& face = Font().Face();
    int height = face.Metrics().Height();
    return TRect::FromSize(ScaleValue(kGlyphTextLeft), (Height() - height) / 2,
                           face.TextWidth(Caption()), height);
}

void TCheckBox::Click() {
    checked_ = !checked_;
    Invalidate();
    TCustomControl::Click();
}

void TCheckBox::SetPressed(bool pressed) {
    if (pressed == pressed_) return;
    pressed_ = pressed;
    Invalidate();
}

void TCheckBox::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case WM_GETDLGCODE:
            m.Result = 0;
            return;
        case WM_KILLFOCUS:
        case WM_CANCELMODE:
        case CM_ENABLEDCHANGED:
            // A press that cannot finish any more leaves no pressed box behind.
            spaceDown_ = mouseDown_ = false;
            SetPressed(false);
            break;
        default:
            break;
    }
    TCustomControl::Dispatch(m);
}

bool TCheckBox::DoKeyDown(uint16_t& key, TShiftState shift) {
    if (TCustomControl::DoKeyDown(key, shift)) return true;
    if (key == VK_SPACE && Enabled()) {
        spaceDown_ = true;
        SetPressed(true);
        key = 0;
        return true;
    }
    return false;
}

bool TCheckBox::DoKeyUp(uint16_t& key, TShiftState shift) {
    if (TCustomControl::DoKeyUp(key, shift)) return true;
    if (key != VK_SPACE || !spaceDown_) return false;
    // As the system's buttons do: Space toggles when it is let go.
    spaceDown_ = false;
    SetPressed(mouseDown_);
    if (Enabled()) Click();
    key = 0;
    return true;
}

void TCheckBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        mouseDown_ = true;
        SetPressed(true);
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TCheckBox::MouseMove(TShiftState shift, int x, int y) {
    // While the button is held, the box shows pressed only with the pointer over it.
    if (mouseDown_) SetPressed(spaceDown_ || ClientRect().Contains({x, y}));
    TCustomControl::MouseMove(shift, x, y);
}

void TCheckBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft && mouseDown_) {
        mouseDown_ = false;
        SetPressed(spaceDown_);
    }
    TCustomControl::MouseUp(button, shift, x, y);
}

void TCheckBox::Paint() {
    TCanvas& c = Canvas();
    c.Brush.Color = Color();
    c.Brush.Style = bsSolid;
    c.FillRect(ClientRect());
    TRect glyph = GlyphRect();
    DrawCheckBoxGlyph(c, glyph.Left, glyph.Top, checked_, Enabled(), pressed_);
    c.Font = Font();
    TRect caption = CaptionRect();
    DrawControlText(c, ClientRect(), caption.Left, caption.Top, Caption(), Enabled());
    if (Focused()) DrawCaptionFocus(c, caption.Left, caption.Top, Caption(), ClientRect());
}
