// TAGauge: a gauge that shows how far something has come, for progress in a status line
// or a dialog: a horizontal or vertical bar, a pie, a needle over a half dial, or the
// percentage alone (Kind), drawn in the classic look by the style painter (DrawGauge).
//
// Progress runs from MinValue to MaxValue (it is kept between them); PercentDone is how
// far along it is, 0 to 100, rounded down (0 while MaxValue is not above MinValue).
// ForeColor paints the part done and BackColor the rest; ShowText adds the percentage;
// BorderStyle bsSingle gives it the sunken edge of a field, bsNone none. Every setter
// repaints.
#pragma once

#include "platform/ui/control.h"
#include "platform/ui/form.h"
#include "platform/ui/stylepainter.h"

class TAGauge : public TGraphicControl {
public:
    explicit TAGauge(TComponent* owner);

    TGaugeKind Kind() const { return kind_; }
    void SetKind(TGaugeKind kind);
    int MinValue() const { return minValue_; }
    void SetMinValue(int value);
    int MaxValue() const { return maxValue_; }
    void SetMaxValue(int value);
    int Progress() const { return progress_; }
    void SetProgress(int value);
    // Progress moved on by value.
    void AddProgress(int value) { SetProgress(progress_ + value); }
    int PercentDone() const;
    TColor ForeColor() const { return foreColor_; }
    void SetForeColor(TColor color);
    TColor BackColor() const { return backColor_; }
    void SetBackColor(TColor color);
    bool ShowText() const { return showText_; }
    void SetShowText(bool show);
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);

protected:
    void Paint() override;

private:
    template <class T>
    void Store(T& field, T value) {
        field = value;
        Repaint();
    }

    TGaugeKind kind_ = gkHorizontalBar;
    int minValue_ = 0;
    int maxValue_ = 100;
    int progress_ = 0;
    TColor foreColor_ = clBlack;
    TColor backColor_ = clWhite;
    bool showText_ = true;
    TFormBorderStyle borderStyle_ = bsSingle;
};
