#include "tools/artgen/backgrounds.h"

#include <algorithm>
#include <cmath>

#include "tools/artgen/prng.h"
#include "tools/artgen/shade.h"

namespace {

const TBackgroundGeometry kGeometry[kBackgroundFormatCount] = {
    {150, 90, 2, 2, 147, 85, {8, 6, 4, 3, 2, 2, 1, 1}, 2},
    {73, 47, 1, 2, 71, 44, {4, 2, 1, 1}, 2},
    {42, 27, 1, 2, 40, 25, {2, 1}, 1},
    {470, 30, 4, 4, 466, 25, {2, 1}, 2},
    {235, 16, 2, 2, 233, 13, {1}, 1},
    {132, 9, 1, 1, 130, 7, {}, 1},
};

// The centre of pixel p of a picture drawn at factor k, in design pixels numbered so that
// a design pixel's centre is a whole number: p itself at factor 1.
double DesignAt(int p, int k) {
    return (p + 0.5) / k - 0.5;
}

// The corner's inset (design pixels) at a distance t (design pixels) in from the body's
// top or bottom edge: the line through (i + 0.5, CornerInsets[i]) and (n + 0.5, 0), before
// the first point continued along its first step, 0 past the last.
double CornerInset(const std::vector<int>& insets, double t) {
    const int n = int(insets.size());
    if (n == 0) return 0;
    auto at = [&](int i) { return i < n ? double(insets[size_t(i)]) : 0.0; };
    double p = t - 0.5;
    if (p < 0) return at(0) + (at(0) - at(1)) * -p;
    int i = int(p);
    if (i >= n) return 0;
    return at(i) + (at(i + 1) - at(i)) * (p - i);
}

// How much of the bevel lies on the ring r pixels in from the edge (r from 1) of a body
// whose bevel is `rings` design pixels wide, drawn at factor k: at factor 1, 1 on the
// outermost ring and 0.5 on the ring inside it; at larger factors the same fall-off
// worked out at every finer ring.
double BevelWeight(int rings, int k, int r) {
    double t = (r - 0.5) / k;
    if (t >= rings) return 0;
    return Clamp01(1 + (0.5 - t) * (rings >= 2 ? 0.5 : 1.0));
}

// Membership of the body, safe outside the picture.
class TBodyMask {
public:
    TBodyMask(TBackgroundFormat format, int factor) : rows_(BodyOutline(format, factor)) {
        const int rings = BackgroundGeometry(format).BevelRings;
        for (int r = 1; r <= rings * factor; ++r)
            weights_.push_back(BevelWeight(rings, factor, r));
    }
    bool Inside(int x, int y) const {
        return y >= 0 && y < int(rows_.size()) && rows_[size_t(y)].Contains(x);
    }
    // How much of the body's bevel lies at (x, y), by the innermost ring that reaches the
    // edge. light is the top-left edge, dark the bottom-right one.
    void Bevel(int x, int y, double& light, double& dark) const {
        light = 0;
        dark = 0;
        for (int ring = int(weights_.size()); ring >= 1; --ring) {
            double weight = weights_[size_t(ring - 1)];
            if (!Inside(x, y - ring) || !Inside(x - ring, y) || !Inside(x - ring, y - ring))
                light = weight;
            if (!Inside(x, y + ring) || !Inside(x + ring, y) || !Inside(x + ring, y + ring))
                dark = weight;
        }
    }

private:
    std::vector<TBodyRow> rows_;
    std::vector<double> weights_;  // by ring, from the outermost
};

uint64_t Seed(TBackgroundFormat format, TBodyFinish finish) {
    return 0x5EED0000ull + uint64_t(format) * 16 + uint64_t(finish);
}

// Brushed aluminium: light grey, every row with its own brightness and long streaks along
// it, a faint grain, a soft sheen from top to bottom and a bevel round the edge.
TShade Aluminum(double x, double light, double dark, double rowLevel, const TNoise1D& streak,
                const TNoise1D& drift, double grain, double sheen) {
    double v = 175.0 + rowLevel + 2.6 * streak.At(x) + 1.4 * drift.At(x) + grain + sheen;
    v += 34.0 * light - 40.0 * dark;
    return {v - 1.0, v, v + 1.5};
}

void PaintAluminum(TBitmap& bitmap, TBackgroundFormat format, const TBodyMask& mask, int k) {
    const TBackgroundGeometry& g = BackgroundGeometry(format);
    TPrng prng(Seed(format, bfBrushedAluminum));
    double previous = 0;
    for (int y = g.Top * k; y < (g.Bottom + 1) * k; ++y) {
        // Neighbouring rows are a little alike, so streaks look like brushing, not noise.
        double rowLevel = 0.45 * previous + 1.9 * prng.Signed();
        previous = rowLevel;
        TNoise1D streak(prng, g.Width, 10.0 + 26.0 * prng.Unit());
        TNoise1D drift(prng, g.Width, 50.0 + 40.0 * prng.Unit());
        double sheen = 2.0 - 4.0 * (DesignAt(y, k) - g.Top) / double(g.Bottom - g.Top);
        for (int x = g.Left * k; x < (g.Right + 1) * k; ++x) {
            double grain = 0.9 * prng.Signed();
            if (!mask.Inside(x, y)) continue;
            double light, dark;
            mask.Bevel(x, y, light, dark);
            bitmap.SetPixel(x, y,
                            ToColor(Aluminum(DesignAt(x, k), light, dark, rowLevel, streak, drift,
                                             grain, sheen),
                                    1, 254));
        }
    }
}

// Mahogany: dark red-brown with long, gently wandering grain lines, darker pores drawn as
// short dashes along the grain, and a polished edge.
void PaintMahogany(TBitmap& bitmap, TBackgroundFormat format, const TBodyMask& mask, int k) {
    const TBackgroundGeometry& g = BackgroundGeometry(format);
    TPrng prng(Seed(format, bfMahogany));
    const TShade base{39.0, 24.0, 22.5};
    const TShade swing{4.5, 2.0, 1.5};
    const TShade edgeLight{84.0, 52.0, 44.0};
    const TShade edgeDark{16.0, 9.0, 8.0};
    // The grain wanders up and down along the board.
    TNoise1D warpSlow(prng, g.Width, 70.0);
    TNoise1D warpFast(prng, g.Width, 17.0);
    // Across the grain: fine lines and broader bands, indexed by the wandering row.
    double span = g.Height + 16.0;
    TNoise1D lines(prng, span, 1.4);
    TNoise1D bands(prng, span, 5.0);
    // Along the grain: slow changes of tone (the figure of the wood).
    TNoise1D figure(prng, g.Width, 38.0);
    for (int y = g.Top * k; y < (g.Bottom + 1) * k; ++y) {
        int poreLeft = 0;
        const double yd = DesignAt(y, k);
        for (int x = g.Left * k; x < (g.Right + 1) * k; ++x) {
            double grain = 0.12 * prng.Signed();
            // Pores as long and as frequent along the board at every factor, and as thin as
            // one row.
            if (poreLeft == 0 && prng.Below(90 * k) == 0) poreLeft = (2 + prng.Below(5)) * k;
            if (!mask.Inside(x, y)) continue;
            const double xd = DesignAt(x, k);
            double row = yd + 8.0 + 3.0 * warpSlow.At(xd) + 0.7 * warpFast.At(xd);
            double t = 0.8 * lines.At(row) + 0.45 * bands.At(row) + 0.2 * figure.At(xd) + grain;
            if (poreLeft > 0) {
                t -= 0.7;
                --poreLeft;
            }
            t = t < -1.15 ? -1.15 : (t > 1.15 ? 1.15 : t);
            TShade c = base + swing * t;
            double light, dark;
            mask.Bevel(x, y, light, dark);
            c = Mix(c, edgeLight, 0.8 * light);
            c = Mix(c, edgeDark, 0.7 * dark);
            bitmap.SetPixel(x, y, ToColor(c, 1, 254));
        }
    }
}

}  // namespace

const TBackgroundGeometry& BackgroundGeometry(TBackgroundFormat format) {
    return kGeometry[int(format)];
}

std::vector<TBodyRow> BodyOutline(TBackgroundFormat format, int factor) {
    const TBackgroundGeometry& g = BackgroundGeometry(format);
    const int k = factor;
    std::vector<TBodyRow> rows(size_t(g.Height * k));
    for (int y = 0; y < g.Height * k; ++y) {
        // A pixel belongs to the body by its centre; one on the body's edge belongs to it,
        // on either side alike.
        const double yd = (y + 0.5) / k;
        if (yd < g.Top || yd > g.Bottom + 1) continue;
        const double inset = CornerInset(g.CornerInsets, std::min(yd - g.Top, g.Bottom + 1 - yd));
        rows[size_t(y)] = {int(std::ceil((g.Left + inset) * k - 0.5)),
                           int(std::floor((g.Right + 1 - inset) * k - 0.5))};
    }
    return rows;
}

TBitmap DrawBackground(TBackgroundFormat format, TBodyFinish finish, int factor) {
    const TBackgroundGeometry& g = BackgroundGeometry(format);
    TBitmap bitmap(g.Width * factor, g.Height * factor);
    TBodyMask mask(format, factor);
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            bitmap.SetPixel(x, y, mask.Inside(x, y) ? clBlack : clWhite);
    switch (finish) {
        case bfFlatBlack:
            break;
        case bfBrushedAluminum:
            PaintAluminum(bitmap, format, mask, factor);
            break;
        case bfMahogany:
            PaintMahogany(bitmap, format, mask, factor);
            break;
    }
    return bitmap;
}
