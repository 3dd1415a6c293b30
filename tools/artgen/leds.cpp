#include "tools/artgen/leds.h"

#include <cmath>

#include "tools/artgen/shade.h"

namespace {

// The LED's outline: an ellipse centred in the picture, 16 pixels wide (columns 1-16) and
// 14 tall (rows 2-15) when a pixel counts as inside by its centre. Its rows are 6, 10, 12,
// 14 and then 16 pixels wide, which reads as round rather than octagonal.
constexpr double kCentreX = 9.0;
constexpr double kCentreY = 9.0;
constexpr double kRadiusX = 8.1;
constexpr double kRadiusY = 7.1;
// The specular highlight sits up and to the left of the centre.
constexpr double kHighlightX = 5.5;
constexpr double kHighlightY = 5.5;

struct TLedColors {
    TColor On;
    TColor Off;
    // How the lit colour shifts where the dome darkens: a multiplier per channel reached at
    // full shadow. Yellow darkened evenly turns olive; a lit amber LED's edge looks orange.
    TShade LitEdgeTint;
};

const TLedColors kColors[] = {
    {RGB(196, 17, 31), RGB(98, 32, 42), {1, 1, 1}},        // red
    {RGB(19, 25, 196), RGB(33, 41, 98), {1, 1, 1}},        // blue
    {RGB(195, 190, 19), RGB(98, 66, 34), {1, 0.55, 0.5}},  // amber: yellow lit, brown unlit
    {RGB(46, 196, 20), RGB(49, 98, 35), {1, 1, 1}},        // green
};

// Elliptical radius of a point: 0 in the centre, 1 on the outline.
double Radius(double px, double py) {
    double u = (px - kCentreX) / kRadiusX;
    double v = (py - kCentreY) / kRadiusY;
    return std::sqrt(u * u + v * v);
}

// The hot colour of a lit LED's brightest glow: brighter and a little whiter than its body.
TShade HotColor(TShade base) {
    TShade bright = base * 1.3;
    return Mix(bright, TShade{255, 255, 255}, 0.18);
}

// The colour of the LED's dome at a point inside it.
TShade Dome(const TLedLook& look, double px, double py) {
    TShade base = FromColor(LedCentreColor(look.Hue, look.Lit));
    double r = Radius(px, py);

    // Brightest in the middle, falling off towards the edge, with a darker bezel ring that
    // outlines the keyed LED on any background; the opaque LED's edge melts into its glow.
    double shade = 1.0 - 0.42 * SmoothStep(0.3, 1.0, r);
    shade *= 1.0 - (look.Keyed ? 0.38 : 0.12) * SmoothStep(0.72, 1.02, r);
    TShade c = base * shade;
    if (look.Lit) {
        const TShade& tint = kColors[int(look.Hue)].LitEdgeTint;
        double dark = 1.0 - shade;
        c = {c.R * (1 - dark * (1 - tint.R)), c.G * (1 - dark * (1 - tint.G)),
             c.B * (1 - dark * (1 - tint.B))};
    }

    // Light gathers in the lower right of the dome: a soft crescent opposite the highlight.
    double u = (px - kCentreX) / kRadiusX - 0.22;
    double v = (py - kCentreY) / kRadiusY - 0.48;
    double crescent = Bump(std::sqrt(u * u + v * v) / 0.5);
    c = Mix(c, look.Lit ? HotColor(base) : base * 1.25, (look.Lit ? 0.5 : 0.3) * crescent);

    // The specular reflection of the glass, strong when lit and still there when unlit.
    double hx = px - kHighlightX;
    double hy = py - kHighlightY;
    double spot = Bump(std::sqrt(hx * hx + hy * hy) / 1.9);
    c = Mix(c, TShade{255, 255, 255}, (look.Lit ? 0.88 : 0.55) * spot);
    return c;
}

// What surrounds an opaque LED: near black, lit by the LED's glow close to its edge.
TShade Surround(const TLedLook& look, double px, double py) {
    TShade base = FromColor(LedCentreColor(look.Hue, look.Lit));
    double distance = (Radius(px, py) - 1.0) * 7.5;  // roughly in pixels
    if (distance < 0) distance = 0;
    double q = 1.0 + (distance / 0.8) * (distance / 0.8);
    // At the edge the glow is as bright as the dome's rim, so the two join without a seam.
    double glow = (look.Lit ? 0.5 : 0.42) / (q * q);
    if (look.Lit) {
        const TShade& tint = kColors[int(look.Hue)].LitEdgeTint;
        base = {base.R * tint.R, base.G * tint.G, base.B * tint.B};
    }
    return TShade{2, 2, 2} + base * glow;
}

}  // namespace

TColor LedCentreColor(TLedHue hue, bool lit) {
    const TLedColors& c = kColors[int(hue)];
    return lit ? c.On : c.Off;
}

TBitmap DrawLed(const TLedLook& look, int factor) {
    // Everything is worked out in the coordinates of the 18 x 18 design; a pixel of a
    // larger picture covers 1 / factor of a design pixel.
    const int size = kLedSize * factor;
    const double k = factor;
    TBitmap bitmap(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double px = (x + 0.5) / k;
            double py = (y + 0.5) / k;
            bool inside = Radius(px, py) <= 1.0;
            TColor color;
            if (look.Keyed) {
                // Hard edge: the pixel belongs to the LED by its centre. Inside, no channel
                // drops to zero, so nothing of the LED matches the black key.
                color = inside ? ToColor(Dome(look, px, py), 2) : clBlack;
            } else {
                // Soft edge: the share of the pixel that the LED covers, from 4 x 4 samples.
                int covered = 0;
                for (int sy = 0; sy < 4; ++sy)
                    for (int sx = 0; sx < 4; ++sx)
                        if (Radius((x + (sx + 0.5) / 4) / k, (y + (sy + 0.5) / 4) / k) <= 1.0)
                            ++covered;
                TShade c = Mix(Surround(look, px, py), Dome(look, px, py), covered / 16.0);
                color = ToColor(c, 1);
            }
            bitmap.SetPixel(x, y, color);
        }
    }
    return bitmap;
}
