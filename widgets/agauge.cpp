#include "widgets/agauge.h"

#include <algorithm>

TAGauge::TAGauge(TComponent* owner) : TGraphicControl(owner) {
    controlStyle_ |= csOpaque;
    SetBounds(0, 0, 100, 100);
}

void TAGauge::SetKind(TGaugeKind kind) {
    Store(kind_, kind);
}

void TAGauge::SetMinValue(int value) {
    minValue_ = value;
    maxValue_ = std::max(maxValue_, value);
    Store(progress_, std::clamp(progress_, minValue_, maxValue_));
}

void TAGauge::SetMaxValue(int value) {
    maxValue_ = value;
    minValue_ = std::min(minValue_, value);
    Store(progress_, std::clamp(progress_, minValue_, maxValue_));
}

void TAGauge::SetProgress(int value) {
    value = std::clamp(value, minValue_, maxValue_);
    if (value != progress_) Store(progress_, value);
}

int TAGauge::PercentDone() const {
    if (maxValue_ <= minValue_) return 0;
    return int((int64_t(progress_) - minValue_) * 100 / (int64_t(maxValue_) - minValue_));
}

void TAGauge::SetForeColor(TColor color) {
    Store(foreColor_, color);
}

void TAGauge::SetBackColor(TColor color) {
    Store(backColor_, color);
}

void TAGauge::SetShowText(bool show) {
    Store(showText_, show);
}

void TAGauge::SetBorderStyle(TFormBorderStyle style) {
    Store(borderStyle_, style == bsNone ? bsNone : bsSingle);
}

void TAGauge::Paint() {
    TCanvas& canvas = Canvas();
    canvas.Font = Font();
    DrawGauge(canvas, ClientRect(), kind_, PercentDone(), foreColor_, backColor_, showText_,
              borderStyle_ != bsNone);
}
