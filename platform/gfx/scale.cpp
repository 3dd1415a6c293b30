#include "platform/gfx/scale.h"

#include <cstdint>

namespace {
// numerator / denominator rounded to the nearest, halves away from zero (denominator > 0).
int RoundedQuotient(int64_t numerator, int64_t denominator) {
    return int(numerator >= 0 ? (numerator + denominator / 2) / denominator
                              : -((-numerator + denominator / 2) / denominator));
}
}  // namespace

int ScaleLength(int length, int scalePercent) {
    return RoundedQuotient(int64_t(length) * scalePercent, 100);
}

int UnscaleLength(int length, int scalePercent) {
    if (scalePercent <= 0) return length;
    return RoundedQuotient(int64_t(length) * 100, scalePercent);
}

int RescaleLength(int length, int fromPercent, int toPercent) {
    if (fromPercent == toPercent) return length;
    return ScaleLength(UnscaleLength(length, fromPercent), toPercent);
}

TRect ScaleRect(const TRect& rect, int scalePercent) {
    return {ScaleLength(rect.Left, scalePercent), ScaleLength(rect.Top, scalePercent),
            ScaleLength(rect.Right, scalePercent), ScaleLength(rect.Bottom, scalePercent)};
}

TRect RescaleRect(const TRect& rect, int fromPercent, int toPercent) {
    return {RescaleLength(rect.Left, fromPercent, toPercent),
            RescaleLength(rect.Top, fromPercent, toPercent),
            RescaleLength(rect.Right, fromPercent, toPercent),
            RescaleLength(rect.Bottom, fromPercent, toPercent)};
}

int PixelsPerInchOfScale(int scalePercent) {
    return ScaleLength(kDesignPixelsPerInch, scalePercent);
}
