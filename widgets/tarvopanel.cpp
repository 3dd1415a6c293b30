#include "widgets/tarvopanel.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "platform/gfx/scale.h"

namespace {

// Lines on each side of a band's middle, and the shade step between them; no lines (and
// no division) for a band narrower than 2.
struct TBandShading {
    int Half = 0;
    int Step = 0;
    TBandShading(int barWidth, int maxInc) {
        Half = barWidth / 2;
        if (Half <= 0) {
            Half = 0;
            return;
        }
        Step = maxInc / Half;
    }
    int Shade(int i) const { return int(uint8_t(unsigned(i) * unsigned(Step))); }
};

}  // namespace

TColor BandColor(int shade, int red, int green, int blue) {
    auto component = [shade](int value) { return value == -1 ? shade & 0xFF : value & 0xFF; };
    return TColor(component(red) + component(green) * 256 + component(blue) * 65536);
}

void PaintBand(TCanvas& canvas, int right, int bottom, int barWidth, int maxInc, int red, int green,
               int blue) {
    TBandShading shading(barWidth, maxInc);
    if (shading.Half == 0) return;
    TColor saved = canvas.Pen.Color;
    // Outlines inset by more than the rectangle's size draw nothing and are left out, so a
    // band far wider than the rectangle costs no more than one as wide as it.
    const int64_t limit = std::max({right, bottom, 0});
    auto outline = [&](int64_t inset) {
        if (inset > limit) return;
        int l = int(inset), t = int(inset), r = right - l - 1, b = bottom - t - 1;
        canvas.MoveTo(l, t);
        canvas.LineTo(r, t);
        canvas.LineTo(r, b);
        canvas.LineTo(l, b);
        canvas.LineTo(l, t);
    };
    const int64_t half = shading.Half;
    for (int64_t i = std::max<int64_t>(0, half - 1 - limit); i < half; ++i) {
        canvas.Pen.Color = BandColor(shading.Shade(int(i)), red, green, blue);
        outline(half - 1 - i);
        outline(half - 1 + i);
    }
    canvas.Pen.Color = saved;
}

void PaintVerticalBar(TCanvas& canvas, int centreX, int top, int bottom, int barWidth, int maxInc,
                      int red, int green, int blue) {
    TBandShading shading(barWidth, maxInc);
    if (shading.Half == 0 || bottom <= top) return;
    TColor saved = canvas.Pen.Color;
    // Columns beyond the visible area draw nothing.
    TRect clip = canvas.ClipRect();
    int64_t reach =
        std::max(std::abs(int64_t(centreX) - clip.Left), std::abs(int64_t(clip.Right) - centreX));
    int count = int(std::min<int64_t>(shading.Half, reach + 1));
    for (int i = 0; i < count; ++i) {
        canvas.Pen.Color = BandColor(shading.Shade(i), red, green, blue);
        for (int x : {centreX - i, centreX + i}) {
            canvas.MoveTo(x, top);
            canvas.LineTo(x, bottom);
        }
    }
    canvas.Pen.Color = saved;
}

TTarvoPanel::TTarvoPanel(TComponent* owner) : TPanel(owner) {}

void TTarvoPanel::SetDoRed(int value) {
    doRed_ = value;
    Repaint();
}

void TTarvoPanel::SetDoGreen(int value) {
    doGreen_ = value;
    Repaint();
}

void TTarvoPanel::SetDoBlue(int value) {
    doBlue_ = value;
    Repaint();
}

void TTarvoPanel::SetMaxInc(int value) {
    maxInc_ = value;
    Repaint();
}

void TTarvoPanel::SetBarWidth(int value) {
    barWidth_ = value;
    Repaint();
}

void TTarvoPanel::ChangeScale(int percent) {
    if (percent > 0 && percent != ScalePercent())
        barWidth_ = RescaleLength(barWidth_, ScalePercent(), percent);
    TPanel::ChangeScale(percent);
}

void TTarvoPanel::Paint() {
    TCanvas& c = Canvas();
    TRect client = ClientRect();
    PaintBand(c, client.Right, client.Bottom, barWidth_, maxInc_, doRed_, doGreen_, doBlue_);
    c.Brush.Color = Color();
    c.Brush.Style = bsSolid;
    // Inset by BarWidth - 1; insets beyond the panel's size (either way) change nothing
    // visible and are cut there, so no coordinate overflows.
    int limit = std::max(client.Right, client.Bottom) + 1;
    int inset = int(std::clamp<int64_t>(int64_t(barWidth_) - 1, -1, limit));
    c.FillRect({inset, inset, client.Right - inset, client.Bottom - inset});
}
