#include "platform/ui/checkbox.h"

#include "platform/ui/stylepainter.h"

TCheckBox::TCheckBox(TComponent* owner) : TButtonControl(owner) {
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

void TCheckBox::Paint() {
    TCanvas& c = Canvas();
    c.Brush.Color = Color();
    c.Brush.Style = bsSolid;
    c.FillRect(ClientRect());
    TRect glyph = GlyphRect();
    DrawCheckBoxGlyph(c, glyph.Left, glyph.Top, checked_, Enabled(), Pressed());
    c.Font = Font();
    TRect caption = CaptionRect();
    DrawControlText(c, ClientRect(), caption.Left, caption.Top, Caption(), Enabled());
    if (Focused()) DrawCaptionFocus(c, caption.Left, caption.Top, Caption(), ClientRect());
}
