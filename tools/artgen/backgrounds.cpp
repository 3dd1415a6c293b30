#include "tools/artgen/backgrounds.h"

#include <algorithm>

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

// Membership of the body, safe outside the picture.
class TBodyMask {
public:
    explicit TBodyMask(TBackgroundFormat format) : rows_(BodyOutline(format)) {}
    bool Inside(int x, int y) const {
        return y >= 0 && y < int(rows_.size()) && rows_[size_t(y)].Contains(x);
    }
    // How much of the body's bevel lies at (x, y): 1 on the outermost ring, 0.5 on the ring
    // inside it (with two rings), 0 further in. light is the top-left edge, dark the
    // bottom-right one.
    void Bevel(int x, int y, int rings, double& light, double& dark) const {
        light = 0;
        dark = 0;
        for (int ring = rings; ring >= 1; --ring) {
            double weight = ring == 1 ? 1.0 : 0.5;
            if (!Inside(x, y - ring) || !Inside(x - ring, y) || !Inside(x - ring, y - ring))
                light = weight;
            if (!Inside(x, y + ring) || !Inside(x + ring, y) || !Inside(x + ring, y + ring))
                dark = weight;
        }
    }

private:
    std::vector<TBodyRow> rows_;
};

uint64_t Seed(TBackgroundFormat format, TBodyFinish finish) {
    return 0x5EED0000ull + uint64_t(format) * 16 + uint64_t(finish);
}

// Brushed aluminium: light grey, every row with its own brightness and long streaks along
// it, a faint grain, a soft sheen from top to bottom and a bevel round the edge.
TShade Aluminum(int x, double light, double dark, double rowLevel, const TNoise1D& streak,
                const TNoise1D& drift, double grain, double sheen) {
    double v = 175.0 + rowLevel + 2.6 * streak.At(x) + 1.4 * drift.At(x) + grain + sheen;
    v += 34.0 * light - 40.0 * dark;
    return {v - 1.0, v, v + 1.5};
}

void PaintAluminum(TBitmap& bitmap, TBackgroundFormat format, const TBodyMask& mask, int rings) {
    const TBackgroundGeometry& g = BackgroundGeometry(format);
    TPrng prng(Seed(format, bfBrushedAluminum));
    double previous = 0;
    for (int y = g.Top; y <= g.Bottom; ++y) {
        // Neighbouring rows are a little alike, so streaks look like brushing, not noise.
        double rowLevel = 0.45 * previous + 1.9 * prng.Signed();
        previous = rowLevel;
        TNoise1D streak(prng, g.Width, 10.0 + 26.0 * prng.Unit());
        TNoise1D drift(prng, g.Width, 50.0 + 40.0 * prng.Unit());
        double sheen = 2.0 - 4.0 * double(y - g.Top) / double(g.Bottom - g.Top);
        for (int x = g.Left; x <= g.Right; ++x) {
            double grain = 0.9 * prng.Signed();
            if (!mask.Inside(x, y)) continue;
            double light, dark;
            mask.Bevel(x, y, rings, light, dark);
            bitmap.SetPixel(
                x, y,
                ToColor(Aluminum(x, light, dark, rowLevel, streak, drift, grain, sheen), 1, 254));
        }
    }
}

// Mahogany: dark red-brown with long, gently wandering grain lines, darker pores drawn as
// short dashes along the grain, and a polished edge.
void PaintMahogany(TBitmap& bitmap, TBackgroundFormat format, const TBodyMask& mask, int rings) {
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
    for (int y = g.Top; y <= g.Bottom; ++y) {
        int poreLeft = 0;
        for (int x = g.Left; x <= g.Right; ++x) {
            double grain = 0.12 * prng.Signed();
            if (poreLeft == 0 && prng.Below(90) == 0) poreLeft = 2 + prng.Below(5);
            if (!mask.Inside(x, y)) continue;
            double row = y + 8.0 + 3.0 * warpSlow.At(x) + 0.7 * warpFast.At(x);
            double t = 0.8 * lines.At(row) + 0.45 * bands.At(row) + 0.2 * figure.At(x) + grain;
            if (poreLeft > 0) {
                t -= 0.7;
                --poreLeft;
            }
            t = t < -1.15 ? -1.15 : (t > 1.15 ? 1.15 : t);
            TShade c = base + swing * t;
            double light, dark;
            mask.Bevel(x, y, rings, light, dark);
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

std::vector<TBodyRow> BodyOutline(TBackgroundFormat format) {
    const TBackgroundGeometry& g = BackgroundGeometry(format);
    std::vector<TBodyRow> rows(size_t(g.Height));
    int corners = int(g.CornerInsets.size());
    for (int y = g.Top; y <= g.Bottom; ++y) {
        int fromEdge = std::min(y - g.Top, g.Bottom - y);
        int inset = fromEdge < corners ? g.CornerInsets[size_t(fromEdge)] : 0;
        rows[size_t(y)] = {g.Left + inset, g.Right - inset};
    }
    return rows;
}

TBitmap DrawBackground(TBackgroundFormat format, TBodyFinish finish) {
    const TBackgroundGeometry& g = BackgroundGeometry(format);
    TBitmap bitmap(g.Width, g.Height);
    TBodyMask mask(format);
    for (int y = 0; y < g.Height; ++y)
        for (int x = 0; x < g.Width; ++x)
            bitmap.SetPixel(x, y, mask.Inside(x, y) ? clBlack : clWhite);
    int rings = g.BevelRings;
    switch (finish) {
        case bfFlatBlack:
            break;
        case bfBrushedAluminum:
            PaintAluminum(bitmap, format, mask, rings);
            break;
        case bfMahogany:
            PaintMahogany(bitmap, format, mask, rings);
            break;
    }
    return bitmap;
}
