// Colour arithmetic for the generator: colours with real-valued channels, mixing, smooth
// ramps and one-dimensional value noise. Only +, -, *, / and sqrt are used (all exactly
// rounded in IEEE arithmetic, and the generator is built without floating-point
// contraction), never library transcendental functions, so results do not depend on the
// maths library.
#pragma once

#include <vector>

#include "platform/gfx/color.h"
#include "tools/artgen/prng.h"

// A colour with channels on the 0..255 scale, not yet rounded.
struct TShade {
    double R = 0;
    double G = 0;
    double B = 0;
};

TShade operator+(TShade a, TShade b);
TShade operator*(TShade a, double k);
// a when t = 0, b when t = 1.
TShade Mix(TShade a, TShade b, double t);
// Rounds to the nearest integer and clamps each channel to [minimum, maximum].
TColor ToColor(TShade c, int minimum = 0, int maximum = 255);
TShade FromColor(TColor c);

double Clamp01(double t);
// 0 below e0, 1 above e1, a smooth cubic in between.
double SmoothStep(double e0, double e1, double x);
// A smooth bump: 1 at t = 0 falling to 0 at |t| = 1 and beyond.
double Bump(double t);

// Value noise along one axis: random knots in [-1, 1] every `period` units, joined by
// smooth cubic steps. Defined on [0, length]; outside, the end knots hold.
class TNoise1D {
public:
    TNoise1D(TPrng& prng, double length, double period);
    double At(double x) const;

private:
    double period_;
    std::vector<double> knots_;
};
