#include "platform/ui/button.h"

#include "platform/ui/panel.h"

TButton::TButton(TComponent* owner) : TCustomControl(owner) {
    controlStyle_ |= csOpaque;
    SetTabStop(true);
    SetBounds(0, 0, 75, 25);
}

void TButton::SetDefault(bool on) {
    default_ = on;
    Invalidate();
}

void TButton::Click() {
    if (modalResult_ != mrNone)
        if (auto* form = dynamic_cast<TCustomForm*>(ParentForm())) form->SetModalResult(modalResult_);
    TCustomControl::Click();
}

void TButton::Dispatch(TMessage& m) {
    if (m.Msg == CM_DIALOGKEY) {
        bool mine = (m.WParam == VK_RETURN && default_) || (m.WParam == VK_ESCAPE && cancel_);
        if (mine && CanFocus()) {
            Click();
            m.Result = 1;
        }
        return;
    }
    if (m.Msg == WM_GETDLGCODE) {
        m.Result = 0;
        return;
    }
    TCustomControl::Dispatch(m);
}

void TButton::KeyPress(char& key) {
    TCustomControl::KeyPress(key);
    if (key == ' ') Click();
}

void TButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        pressed_ = true;
        Repaint();
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft && pressed_) {
        pressed_ = false;
        Repaint();
    }
    TCustomControl::MouseUp(button, shift, x, y);
}

void TButton::Paint() {
    TCanvas& c = Canvas();
    TRect r = ClientRect();
    if (default_ || Focused()) {
        c.Brush.Color = clBlack;
        c.FrameRect(r);
        r = r.Inflate(-1, -1);
    }
    if (pressed_) {
        Frame3D(c, r, clBtnShadow, clBtnShadow, 1);
    } else {
        Frame3D(c, r, clBtnHighlight, cl3DDkShadow, 1);
        Frame3D(c, r, cl3DLight, clBtnShadow, 1);
    }
    c.Brush.Color = Color();
    c.Brush.Style = bsSolid;
    c.FillRect(r);
    c.Font = Font();
    if (!Enabled()) c.Font.SetColor(clGrayText);
    c.Brush.Style = bsClear;
    int w = c.TextWidth(Caption()), h = c.TextHeight(Caption());
    int shift = pressed_ ? 1 : 0;
    c.TextOut((Width() - w) / 2 + shift, (Height() - h) / 2 + shift, Caption());
    if (Focused()) c.DrawFocusRect(ClientRect().Inflate(-4, -4));
}
