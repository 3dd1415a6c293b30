#include "platform/ui/panel.h"

TPanel::TPanel(TComponent* owner) : TCustomControl(owner) {
    controlStyle_ |= csAcceptsControls | csOpaque | csReplicatable;
    color_ = clBtnFace;
    SetBounds(0, 0, 185, 41);
}

void TPanel::SetBevelOuter(TBevelCut bevel) {
    bevelOuter_ = bevel;
    Invalidate();
}

void TPanel::SetBevelInner(TBevelCut bevel) {
    bevelInner_ = bevel;
    Invalidate();
}

void TPanel::SetBevelWidth(int width) {
    bevelWidth_ = width;
    Invalidate();
}

void TPanel::SetAlignment(TAlignment alignment) {
    alignment_ = alignment;
    Invalidate();
}

void TPanel::Paint() {
    TCanvas& c = Canvas();
    TRect r = ClientRect();
    auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone) return;
        TColor top = cut == bvLowered ? clBtnShadow : clBtnHighlight;
        TColor bottom = cut == bvLowered ? clBtnHighlight : clBtnShadow;
        if (cut == bvSpace) top = bottom = Color();
        Frame3D(c, r, top, bottom, bevelWidth_);
    };
    bevel(bevelOuter_);
    bevel(bevelInner_);
    c.Brush.Color = Color();
    c.Brush.Style = bsSolid;
    c.FillRect(r);
    if (Caption().empty()) return;
    c.Font = Font();
    int w = c.TextWidth(Caption()), h = c.TextHeight(Caption());
    int x = alignment_ == taLeftJustify    ? r.Left
            : alignment_ == taRightJustify ? r.Right - w
                                           : r.Left + (r.Width() - w) / 2;
    DrawControlText(c, r, x, r.Top + (r.Height() - h) / 2, Caption(), Enabled());
}
