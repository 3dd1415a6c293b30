#include "tools/artgen/shade.h"

#include <cmath>

TShade operator+(TShade a, TShade b) {
    return {a.R + b.R, a.G + b.G, a.B + b.B};
}

TShade operator*(TShade a, double k) {
    return {a.R * k, a.G * k, a.B * k};
}

TShade Mix(TShade a, TShade b, double t) {
    return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t};
}

namespace {
int Channel(double v, int minimum, int maximum) {
    double r = std::floor(v + 0.5);
    if (r < minimum) return minimum;
    if (r > maximum) return maximum;
    return int(r);
}
}  // namespace

TColor ToColor(TShade c, int minimum, int maximum) {
    return RGB(Channel(c.R, minimum, maximum), Channel(c.G, minimum, maximum),
               Channel(c.B, minimum, maximum));
}

TShade FromColor(TColor c) {
    return {double(GetRValue(c)), double(GetGValue(c)), double(GetBValue(c))};
}

double Clamp01(double t) {
    return t < 0 ? 0 : (t > 1 ? 1 : t);
}

double SmoothStep(double e0, double e1, double x) {
    double t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

double Bump(double t) {
    double s = 1 - t * t;
    return s <= 0 ? 0 : s * s;
}

TNoise1D::TNoise1D(TPrng& prng, double length, double period) : period_(period) {
    int count = int(length / period) + 2;
    knots_.resize(size_t(count));
    for (double& k : knots_)
        k = prng.Signed();
}

double TNoise1D::At(double x) const {
    double p = x / period_;
    if (p <= 0) return knots_.front();
    size_t i = size_t(p);
    if (i + 1 >= knots_.size()) return knots_.back();
    double t = p - double(i);
    double s = t * t * (3 - 2 * t);
    return knots_[i] + (knots_[i + 1] - knots_[i]) * s;
}
