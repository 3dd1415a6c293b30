// The in-place image effects of TfcBitmap. Pixels are reached through RowTable; the
// padding at the end of each row is never touched. Channel arithmetic is integer (lookup
// tables and fixed point); only Rotate and Wave use floating point per pixel.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <vector>

#include "shaped/fcbitmap.h"

namespace {

uint8_t Clamp(int64_t v) {
    return uint8_t(std::clamp<int64_t>(v, 0, 255));
}

using TTable = std::array<uint8_t, 256>;

int ClampIndex(int64_t v, int count) {
    return int(std::clamp<int64_t>(v, 0, count - 1));
}

// Applies a per-channel table to every pixel byte.
void ApplyTable(std::span<uint8_t* const> rows, int width, const TTable& table) {
    for (uint8_t* row : rows)
        for (int i = 0; i < 3 * width; ++i)
            row[i] = table[row[i]];
}

}  // namespace

void TfcBitmap::Invert() {
    if (Empty()) return;
    TTable table;
    for (int v = 0; v < 256; ++v)
        table[size_t(v)] = uint8_t(255 - v);
    ApplyTable(rowTable_, width_, table);
    Changed();
}

void TfcBitmap::Brightness(int amount) {
    if (Empty()) return;
    TTable table;
    for (int64_t v = 0; v < 256; ++v) {
        int64_t out =
            amount > 0 ? v + amount * (255 - v) / 256 : v - v * std::abs(int64_t(amount)) / 256;
        table[size_t(v)] = Clamp(out);
    }
    ApplyTable(rowTable_, width_, table);
    Changed();
}

void TfcBitmap::Contrast(int amount) {
    if (Empty()) return;
    TTable table;
    for (int64_t v = 0; v < 256; ++v) {
        int64_t delta = std::abs(128 - v) * amount / 256;  // rounds toward zero
        table[size_t(v)] = Clamp(v < 127 ? v - delta : v + delta);
    }
    ApplyTable(rowTable_, width_, table);
    Changed();
}

void TfcBitmap::Grayscale() {
    if (Empty()) return;
    for (uint8_t* p : rowTable_)
        for (int x = 0; x < width_; ++x, p += 3)
            p[0] = p[1] = p[2] = uint8_t(p[0] / 3 + p[1] / 3 + p[2] / 3);
    Changed();
}

void TfcBitmap::Saturation(int amount) {
    if (Empty()) return;
    for (uint8_t* p : rowTable_) {
        for (int x = 0; x < width_; ++x, p += 3) {
            int64_t gray = p[0] / 3 + p[1] / 3 + p[2] / 3;
            int64_t grayPart = amount * gray / 256;
            for (int c = 0; c < 3; ++c)
                p[c] = Clamp(gray + amount * int64_t(p[c]) / 256 - grayPart);
        }
    }
    Changed();
}

void TfcBitmap::AddColorDeltas(int red, int green, int blue) {
    if (Empty()) return;
    const int64_t delta[3] = {blue, green, red};
    for (uint8_t* p : rowTable_)
        for (int x = 0; x < width_; ++x, p += 3)
            for (int c = 0; c < 3; ++c)
                p[c] = Clamp(p[c] + delta[c]);
    Changed();
}

void TfcBitmap::Colorize(int red, int green, int blue) {
    if (Empty()) return;
    const int64_t delta[3] = {int64_t(blue) - 192, int64_t(green) - 192, int64_t(red) - 192};
    bool keep = transparentColor_ != clNone;
    TColor key = ColorToRGB(transparentColor_);
    for (uint8_t* p : rowTable_) {
        for (int x = 0; x < width_; ++x, p += 3) {
            if (keep && p[0] == GetBValue(key) && p[1] == GetGValue(key) && p[2] == GetRValue(key))
                continue;
            for (int c = 0; c < 3; ++c)
                p[c] = Clamp(p[c] + delta[c]);
        }
    }
    Changed();
}

void TfcBitmap::MaskFromColor(int color) {
    if (Empty()) return;
    const uint8_t b = uint8_t(color), g = uint8_t(color >> 8), r = uint8_t(color >> 16);
    for (uint8_t* p : rowTable_) {
        for (int x = 0; x < width_; ++x, p += 3) {
            uint8_t v = p[0] == b && p[1] == g && p[2] == r ? 0 : 255;
            p[0] = p[1] = p[2] = v;
        }
    }
    Changed();
}

void TfcBitmap::ReplaceColor(int oldColor, int newColor) {
    if (Empty()) return;
    const uint8_t ob = uint8_t(oldColor), og = uint8_t(oldColor >> 8),
                  orr = uint8_t(oldColor >> 16);
    const uint8_t nb = uint8_t(newColor), ng = uint8_t(newColor >> 8), nr = uint8_t(newColor >> 16);
    for (uint8_t* p : rowTable_) {
        for (int x = 0; x < width_; ++x, p += 3) {
            if (p[0] != ob || p[1] != og || p[2] != orr) continue;
            p[0] = nb;
            p[1] = ng;
            p[2] = nr;
        }
    }
    Changed();
}

// Positions are reckoned in 64 bits: an amount anywhere in the range of int reaches past
// the edges and is clamped there, never overflowing.
void TfcBitmap::BlurPixels(int amount) {
    for (int y = 0; y < height_; ++y) {
        const uint8_t* above = rowTable_[size_t(ClampIndex(int64_t(y) - amount, height_))];
        const uint8_t* below = rowTable_[size_t(ClampIndex(int64_t(y) + amount, height_))];
        uint8_t* row = rowTable_[size_t(y)];
        for (int x = 0; x < width_; ++x) {
            int left = 3 * ClampIndex(int64_t(x) - amount, width_),
                right = 3 * ClampIndex(int64_t(x) + amount, width_);
            for (int c = 0; c < 3; ++c)
                row[3 * x + c] = uint8_t(
                    (above[left + c] + above[right + c] + below[left + c] + below[right + c]) / 4);
        }
    }
}

void TfcBitmap::Blur(int amount) {
    if (Empty()) return;
    BlurPixels(amount);
    Changed();
}

void TfcBitmap::BlurPasses(int count) {
    if (Empty() || count < 1) return;
    // From this amount on, every position is clamped to an edge, so all those passes are
    // the same operation: once one of them changes nothing, neither does any other, and
    // the rest are skipped (a count near the top of int would otherwise take for ever).
    const int saturated = std::max(width_, height_) - 1;
    for (int amount = count; amount >= 1; --amount) {
        if (amount < saturated) {
            BlurPixels(amount);
            continue;
        }
        const std::vector<uint8_t> before(bits_, bits_ + imageSize_);
        BlurPixels(amount);
        if (std::memcmp(before.data(), bits_, before.size()) == 0)
            amount = std::min(amount, saturated);
    }
    Changed();
}

void TfcBitmap::Sharpen(int amount) {
    if (Empty()) return;
    for (int y = 0; y < height_; ++y) {
        const uint8_t* rows[3] = {rowTable_[size_t(ClampIndex(int64_t(y) - amount, height_))],
                                  rowTable_[size_t(y)],
                                  rowTable_[size_t(ClampIndex(int64_t(y) + amount, height_))]};
        uint8_t* row = rowTable_[size_t(y)];
        for (int x = 0; x < width_; ++x) {
            const int columns[3] = {3 * ClampIndex(int64_t(x) - amount, width_), 3 * x,
                                    3 * ClampIndex(int64_t(x) + amount, width_)};
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int j = 0; j < 3; ++j)
                    for (int i = 0; i < 3; ++i)
                        if (i != 1 || j != 1) sum += rows[j][columns[i] + c];
                row[3 * x + c] = Clamp((256 * row[3 * x + c] - 16 * sum) / 128);
            }
        }
    }
    Changed();
}

void TfcBitmap::Emboss() {
    if (Empty()) return;
    for (int y = 0; y < height_; ++y) {
        uint8_t* row = rowTable_[size_t(y)];
        const uint8_t* next = rowTable_[size_t(std::min(y + 1, height_ - 1))];
        for (int x = 0; x < width_; ++x) {
            int n = 3 * std::min(x + 1, width_ - 1);
            for (int c = 0; c < 3; ++c)
                row[3 * x + c] = uint8_t(((255 - next[n + c]) + row[3 * x + c]) / 2);
        }
    }
    Changed();
}

void TfcBitmap::Flip(bool horizontal) {
    if (Empty()) return;
    if (horizontal) {
        for (uint8_t* row : rowTable_)
            for (int l = 0, r = width_ - 1; l < r; ++l, --r)
                std::swap_ranges(row + 3 * l, row + 3 * l + 3, row + 3 * r);
    } else {
        for (int t = 0, b = height_ - 1; t < b; ++t, --b)
            std::swap_ranges(rowTable_[size_t(t)], rowTable_[size_t(t)] + 3 * width_,
                             rowTable_[size_t(b)]);
    }
    Changed();
}

void TfcBitmap::Spray(int amount) {
    if (Empty()) return;
    for (int y = 0; y < height_; ++y) {
        uint8_t* row = rowTable_[size_t(y)];
        for (int x = 0; x < width_; ++x) {
            int64_t a = Random(amount);
            int sx = ClampIndex(x + a - int64_t(Random(2 * a)), width_);
            int sy = ClampIndex(y + a - int64_t(Random(2 * a)), height_);
            std::memcpy(row + 3 * x, rowTable_[size_t(sy)] + 3 * sx, 3);
        }
    }
    Changed();
}

void TfcBitmap::Rotate(TPoint center, double angle) {
    if (Empty()) return;
    std::vector<uint8_t> source(bits_, bits_ + imageSize_);
    const uint8_t fill[3] = {source[0], source[1], source[2]};
    // Doubled coordinates: pixel x has its centre at 2x + 1; the centre point at 2cx.
    double cx2 = center.X < 0 ? width_ : 2.0 * center.X;
    double cy2 = center.Y < 0 ? height_ : 2.0 * center.Y;
    double radians = angle * std::numbers::pi / 180.0;
    double cs = std::cos(radians), sn = std::sin(radians);
    for (int y = 0; y < height_; ++y) {
        double dy = 2.0 * y + 1 - cy2;
        uint8_t* out = rowTable_[size_t(y)];
        for (int x = 0; x < width_; ++x, out += 3) {
            double dx = 2.0 * x + 1 - cx2;
            // The source of a destination pixel: turned back by the angle (y grows down).
            double sx2 = dx * cs - dy * sn, sy2 = dx * sn + dy * cs;
            double sx = std::floor((sx2 + cx2 - 1) / 2 + 0.5),
                   sy = std::floor((sy2 + cy2 - 1) / 2 + 0.5);
            if (sx >= 0 && sx < width_ && sy >= 0 && sy < height_) {
                std::memcpy(out, &source[size_t(sy) * size_t(rowStride_) + 3 * size_t(sx)], 3);
            } else {
                std::memcpy(out, fill, 3);
            }
        }
    }
    Changed();
}

void TfcBitmap::Wave(bool wrap, int amplitude, int xPeriod, int yPeriod) {
    if (Empty() || xPeriod == 0 || yPeriod == 0) return;
    std::vector<uint8_t> source(bits_, bits_ + imageSize_);
    // Shifts and source positions in 64 bits: any amplitude of an int stays in range.
    std::vector<int64_t> shiftY(static_cast<size_t>(width_));
    for (int x = 0; x < width_; ++x)
        shiftY[size_t(x)] = std::llround(amplitude * std::sin(double(x) / yPeriod));
    for (int y = 0; y < height_; ++y) {
        const int64_t shiftX = std::llround(amplitude * std::sin(double(y) / xPeriod));
        uint8_t* out = rowTable_[size_t(y)];
        for (int x = 0; x < width_; ++x, out += 3) {
            int64_t sx = x + shiftX, sy = y + shiftY[size_t(x)];
            if (wrap) {
                sx = ((sx % width_) + width_) % width_;
                sy = ((sy % height_) + height_) % height_;
            } else if (sx < 0 || sx >= width_ || sy < 0 || sy >= height_) {
                out[0] = out[1] = out[2] = 255;
                continue;
            }
            std::memcpy(out, &source[size_t(sy) * size_t(rowStride_) + 3 * size_t(sx)], 3);
        }
    }
    Changed();
}
