// TX11KeyMask: the pixels of a window that are not of its key colour, for the shape of a
// colour-keyed window.
//
// The mask is kept row by row as runs of non-key pixels, so that after a present only the
// rows it touched are scanned again, and a present that did not change which pixels are
// keyed (the clock's LEDs changing colour, say) is recognised and costs no shape update.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/region.h"
#include "platform/gfx/types.h"

namespace native {

class TX11KeyMask {
public:
    // Scans rows [top, bottom) of a width x height image of pixel values (stride in
    // pixels) for pixels other than key. A change of size or key, or the first call,
    // scans every row. Returns whether the set of non-key pixels changed.
    bool Update(const uint32_t* pixels, int width, int height, int stride, int top, int bottom,
                uint32_t key);
    // Forgets the mask: the next Update scans everything and reports a change.
    void Reset() { valid_ = false; }
    // The non-key pixels as a region (empty before the first Update).
    TRegion Region() const;

private:
    struct TRun {
        int Left;
        int Right;
        friend bool operator==(const TRun&, const TRun&) = default;
    };
    bool valid_ = false;
    int width_ = 0;
    int height_ = 0;
    uint32_t key_ = 0;
    std::vector<std::vector<TRun>> rows_;
};

}  // namespace native
