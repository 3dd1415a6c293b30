// TRegion: a set of pixels, kept the way the system keeps window regions.
//
// A region is a list of rectangles in bands: a band is a run of rows [top, bottom) in which
// every row has the same spans; bands go from top to bottom, the rectangles of a band
// from left to right, and no two rectangles of a band touch or overlap. Two vertically
// adjacent bands with identical spans are always merged into one. The rectangle list is
// therefore canonical: two regions with the same pixels have the same list.
//
// GetRegionData and FromRegionData read and write the system's RGNDATA block: a 32-byte
// header (dwSize 32, iType RDH_RECTANGLES, nCount, nRgnSize = 16 x nCount, rcBound) then
// nCount rectangles (left, top, right, bottom), all little-endian 32-bit integers.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/gfx/livecount.h"
#include "platform/gfx/types.h"

// Combination modes, with the system's numbers.
constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;

// Region complexity, as the system reports it.
constexpr int RGN_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

constexpr uint32_t RDH_RECTANGLES = 1;
constexpr size_t RGNDATAHEADER_SIZE = 32;

class TRegion {
public:
    TRegion() = default;
    // The pixels of rect; an empty rectangle gives an empty region.
    explicit TRegion(const TRect& rect);

    // this := this <mode> other (RGN_COPY: this := this). Returns the new complexity; an
    // unknown mode leaves the region as it is and returns RGN_ERROR. The work is a sweep
    // over the bands, linear in the rectangles of the bands involved; for RGN_OR, RGN_XOR
    // and RGN_DIFF only the bands within other's rows are rebuilt, and a single rectangle
    // OR-ed in at the end of the list (the runs of a picture in scan order) is appended in
    // place, so building a region run by run does not cost in proportion to its size.
    int Combine(const TRegion& other, int mode);
    // Moves every pixel by (dx, dy). Returns the complexity, or RGN_ERROR, leaving the
    // region where it was, when a coordinate would leave the 32-bit range.
    int Offset(int dx, int dy);

    bool Contains(TPoint p) const;
    bool Contains(int x, int y) const { return Contains(TPoint{x, y}); }
    // The smallest rectangle holding every pixel; empty for an empty region.
    TRect Bounds() const { return bounds_; }
    bool IsEmpty() const { return rects_.empty(); }
    int Complexity() const;
    const std::vector<TRect>& Rects() const { return rects_; }

    // The RGNDATA block of this region.
    std::vector<uint8_t> GetRegionData() const;
    // The region of an RGNDATA block, or none when the block is malformed: shorter than
    // the header, dwSize not 32, iType not RDH_RECTANGLES, nCount rectangles not fitting
    // in the data, nRgnSize neither 16 x nCount nor 0 (0 is what a writer that does not
    // know the size puts there), an empty rectangle, rectangles that are not in band order
    // (bands top to bottom without vertical overlap, each band's rectangles sharing top and
    // bottom, left to right without overlap), or an rcBound that is not exactly the
    // bounds of the rectangles (all zero for no rectangles). Bytes after the last
    // rectangle are ignored, as a buffer may be larger than its block. A valid block that
    // is not fully merged (touching rectangles in a band, equal adjacent bands) gives the
    // canonical region. Nothing outside data is ever read.
    static std::optional<TRegion> FromRegionData(std::span<const uint8_t> data);
    // The region whose rectangle list is rects, taken as it stands: the list must already
    // be canonical (see above), as a builder that emits whole merged bands makes it. Costs
    // one pass for the bounds; debug builds also check the order.
    static TRegion FromBands(std::vector<TRect> rects);

    friend bool operator==(const TRegion& a, const TRegion& b) { return a.rects_ == b.rects_; }

    // How many regions exist now (see livecount.h).
    static int64_t LiveCount() { return TLiveCount<TRegion>::Live(); }

private:
    // Adds rect in place when it goes at the very end of the list: below the last band, or
    // in the last band's rows at or after its last rectangle (a scan of a picture adds its
    // runs this way). Returns false, changing nothing, when rect goes elsewhere.
    bool AppendRect(const TRect& rect);
    void UpdateBounds();

    std::vector<TRect> rects_;
    TRect bounds_;
    [[no_unique_address]] TLiveCount<TRegion> live_;
};

// a <mode> b as a new region.
TRegion CombineRegions(const TRegion& a, const TRegion& b, int mode);
