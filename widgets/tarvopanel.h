// TTarvoPanel: a panel whose border is a shaded band of colour and whose inside is filled
// with the panel's Color; and the two band routines, which the hex editor's frame and
// separator bars use as well.
//
// Shading. A band of width w is drawn as half = w / 2 lines on each side of its middle
// line; line i away from the middle (i = 0 ... half - 1) has the shade i * (m / half)
// taken as a byte, where m is the shade range. Its colour is red + green * 256 + blue *
// 65536, each component the low byte of its property, or the shade where the property is
// -1. So the middle line has shade 0 and the shade grows towards both edges: with the
// panel's defaults (red 255, green -1, blue 0, range 150, width 6) the band is red, with
// green 0 along its middle and 50 and 100 towards its edges. A width below 2 has no lines
// on either side (half is 0) and draws no band.
//
// The panel's properties are 32-bit integers; each setter stores the value unchecked and
// repaints at once. The panel draws no bevel and no caption: Paint draws the band over the
// client area and then fills from (BarWidth - 1, BarWidth - 1) to (right - BarWidth + 1,
// bottom - BarWidth + 1) with Color. BarWidth is in the panel's pixels: it scales with the
// panel (ChangeScale).
#pragma once

#include "platform/gfx/canvas.h"
#include "platform/ui/panel.h"

// The colour of shade in a band whose components are red, green and blue (-1 = the shade).
TColor BandColor(int shade, int red, int green, int blue);

// The band along the edges of the rectangle (0, 0, right, bottom): for each line i, two
// rectangle outlines, at the insets half - 1 - i and half - 1 + i. The canvas pen colour
// is put back afterwards.
void PaintBand(TCanvas& canvas, int right, int bottom, int barWidth, int maxInc, int red, int green,
               int blue);

// A vertical band centred on the column centreX, from top down to bottom (exclusive): for
// each line i the columns centreX - i and centreX + i. The pen colour is put back.
void PaintVerticalBar(TCanvas& canvas, int centreX, int top, int bottom, int barWidth, int maxInc,
                      int red, int green, int blue);

class TTarvoPanel : public TPanel {
public:
    explicit TTarvoPanel(TComponent* owner);

    int DoRed() const { return doRed_; }
    void SetDoRed(int value);
    int DoGreen() const { return doGreen_; }
    void SetDoGreen(int value);
    int DoBlue() const { return doBlue_; }
    void SetDoBlue(int value);
    int MaxInc() const { return maxInc_; }
    void SetMaxInc(int value);
    int BarWidth() const { return barWidth_; }
    void SetBarWidth(int value);

    void ChangeScale(int percent) override;

protected:
    void Paint() override;

private:
    int doRed_ = 255;
    int doGreen_ = -1;
    int doBlue_ = 0;
    int maxInc_ = 150;
    int barWidth_ = 6;
};
