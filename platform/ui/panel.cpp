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

void Frame3D(TCanvas& canvas, TRect& rect, TColor topColor, TColor bottomColor, int width) {
    canvas.Pen.Width = 1;
    canvas.Pen.Style = psSolid;
    rect.Bottom--;
    rect.Right--;
    while (width-- > 0) {
        canvas.Pen.Color = topColor;
        canvas.MoveTo(rect.Left, rect.Bottom);
        canvas.LineTo(rect.Left, rect.Top);
        canvas.LineTo(rect.Right, rect.Top);
        canvas.Pen.Color = bottomColor;
        canvas.LineTo(rect.Right, rect.Bottom);
        canvas.LineTo(rect.Left - 1, rect.Bottom);
        rect = rect.Inflate(-1, -1);
    }
    rect.Bottom++;
    rect.Right++;
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
    c.Brush.Style = bsClear;
    int w = c.TextWidth(Caption()), h = c.TextHeight(Caption());
    int x = alignment_ == taLeftJustify ? r.Left : alignment_ == taRightJustify ? r.Right - w
                                                                                : r.Left + (r.Width() - w) / 2;
    c.TextOut(x, r.Top + (r.Height() - h) / 2, Caption());
}
