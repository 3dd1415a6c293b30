#include "platform/gfx/resample.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// Along one axis, a target pixel o covers [o * from, (o + 1) * from) and a source pixel i
// covers [i * to, (i + 1) * to), in units of 1 / (from x to) of the whole length: the
// source pixels a target pixel covers, and by how many units each. The weights of one
// target pixel add up to from.
struct TTaps {
    std::vector<int> First;    // by target pixel: its first source pixel
    std::vector<int> Start;    // by target pixel: where its weights begin in Weights
    std::vector<int> Weights;  // all weights, target pixel after target pixel
};

TTaps Taps(int from, int to) {
    TTaps taps;
    for (int o = 0; o < to; ++o) {
        const int64_t lo = int64_t(o) * from, hi = int64_t(o + 1) * from;
        const int first = int(lo / to), last = int((hi - 1) / to);
        taps.First.push_back(first);
        taps.Start.push_back(int(taps.Weights.size()));
        for (int i = first; i <= last; ++i) {
            const int64_t a = std::max(lo, int64_t(i) * to), b = std::min(hi, int64_t(i + 1) * to);
            taps.Weights.push_back(int(b - a));
        }
    }
    taps.Start.push_back(int(taps.Weights.size()));
    return taps;
}

}  // namespace

TBitmap SmoothResize(const TBitmap& source, int width, int height, TColor key) {
    if (width <= 0 || height <= 0 || source.Empty()) return TBitmap();
    TBitmap converted;
    const TBitmap* from = &source;
    if (source.PixelFormat() != pf24bit) {
        converted = source;
        converted.SetPixelFormat(pf24bit);
        from = &converted;
    }
    const int sw = from->Width(), sh = from->Height();
    const TTaps columns = Taps(sw, width), rows = Taps(sh, height);
    const bool keyed = key != clNone;
    const uint8_t keyB = GetBValue(key), keyG = GetGValue(key), keyR = GetRValue(key);

    // One source row across the target's columns: per column the covered share (units of
    // the source that are not key) and the three channels weighted by it.
    std::vector<int64_t> row(size_t(width) * 4);
    auto spreadRow = [&](int y) {
        const uint8_t* pixels = from->ScanLine(y);
        for (int o = 0; o < width; ++o) {
            int64_t share = 0, b = 0, g = 0, r = 0;
            for (int t = columns.Start[size_t(o)]; t < columns.Start[size_t(o) + 1]; ++t) {
                const uint8_t* p =
                    pixels + 3 * (columns.First[size_t(o)] + t - columns.Start[size_t(o)]);
                if (keyed && p[0] == keyB && p[1] == keyG && p[2] == keyR) continue;
                const int w = columns.Weights[size_t(t)];
                share += w;
                b += int64_t(w) * p[0];
                g += int64_t(w) * p[1];
                r += int64_t(w) * p[2];
            }
            int64_t* cell = &row[size_t(o) * 4];
            cell[0] = share;
            cell[1] = b;
            cell[2] = g;
            cell[3] = r;
        }
    };

    TBitmap result(width, height);
    const int64_t whole = int64_t(sw) * sh;  // the weights of one target pixel, all counted
    std::vector<int64_t> sums(size_t(width) * 4);
    for (int oy = 0; oy < height; ++oy) {
        std::fill(sums.begin(), sums.end(), 0);
        for (int t = rows.Start[size_t(oy)]; t < rows.Start[size_t(oy) + 1]; ++t) {
            spreadRow(rows.First[size_t(oy)] + t - rows.Start[size_t(oy)]);
            const int64_t w = rows.Weights[size_t(t)];
            for (size_t i = 0; i < sums.size(); ++i)
                sums[i] += w * row[i];
        }
        uint8_t* out = result.ScanLine(oy);
        for (int o = 0; o < width; ++o, out += 3) {
            const int64_t* s = &sums[size_t(o) * 4];
            const int64_t share = s[0];
            if (share == 0 || (keyed && 2 * share < whole)) {
                out[0] = keyB;
                out[1] = keyG;
                out[2] = keyR;
                continue;
            }
            for (int c = 0; c < 3; ++c)
                out[c] = uint8_t((s[c + 1] + share / 2) / share);
        }
    }
    return result;
}
