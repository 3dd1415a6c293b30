#include "platform/ui/button.h"

#include "platform/ui/accel.h"
#include "platform/ui/stylepainter.h"

TButton::TButton(TComponent* owner) : TButtonControl(owner) {
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
        default:
            break;
    }
    TButtonControl::Dispatch(m);
}

void TButton::Paint() {
    TCanvas& c = Canvas();
    DrawButtonFace(c, ClientRect(), Color(), Pressed(), Active());
    c.Font = Font();
    const TAccelText caption = ParseAccel(Caption());
    int w = c.TextWidth(caption.Text), h = c.TextHeight(caption.Text);
    int shift = Pressed() ? c.LineWidth() : 0;
    int x = (Width() - w) / 2 + shift, y = (Height() - h) / 2 + shift;
    DrawControlText(c, ClientRect(), x, y, caption.Text, Enabled());
    if (!Enabled()) c.Font.SetColor(clGrayText);
    DrawAccelUnderline(c, x, y, caption);
    if (Focused()) DrawFocus(c, ClientRect().Inflate(-ScaleValue(4), -ScaleValue(4)));
}
