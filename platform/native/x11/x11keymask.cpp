#include "platform/native/x11/x11keymask.h"

#include <algorithm>

namespace native {

bool TX11KeyMask::Update(const uint32_t* pixels, int width, int height, int stride, int top,
                         int bottom, uint32_t key) {
    width = std::max(0, width);
    height = std::max(0, height);
    bool all = !valid_ || width != width_ || height != height_ || key != key_;
    if (all) {
        rows_.assign(size_t(height), {});
        width_ = width;
        height_ = height;
        key_ = key;
        top = 0;
        bottom = height;
    }
    top = std::clamp(top, 0, height);
    bottom = std::clamp(bottom, top, height);
    bool changed = all;
    std::vector<TRun> runs;
    for (int y = top; y < bottom; ++y) {
        const uint32_t* row = pixels + size_t(y) * size_t(stride);
        runs.clear();
        int x = 0;
        while (x < width) {
            while (x < width && row[x] == key)
                ++x;
            if (x == width) break;
            int start = x;
            while (x < width && row[x] != key)
                ++x;
            runs.push_back({start, x});
        }
        if (runs != rows_[size_t(y)]) {
            rows_[size_t(y)] = runs;
            changed = true;
        }
    }
    valid_ = true;
    return changed;
}

TRegion TX11KeyMask::Region() const {
    TRegion region;
    if (!valid_) return region;
    // Rows with the same runs make one band; the rectangles go in scan order, which the
    // region appends without rebuilding.
    int y = 0;
    while (y < height_) {
        int end = y + 1;
        while (end < height_ && rows_[size_t(end)] == rows_[size_t(y)])
            ++end;
        for (const TRun& run : rows_[size_t(y)])
            region.Combine(TRegion(TRect{run.Left, y, run.Right, end}), RGN_OR);
        y = end;
    }
    return region;
}

}  // namespace native
