#include "platform/gfx/region.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <limits>

namespace {

using TRectIter = std::vector<TRect>::const_iterator;

// Appends bands to a rectangle list and keeps it canonical: spans of a band given left to
// right are joined when they touch or overlap, an empty band is dropped, and a band that
// directly follows one with the same spans extends it instead of starting a new one.
class TBandBuilder {
public:
    // out may already end with a finished band that starts at lastBandStart; a following
    // band equal to it is merged into it.
    explicit TBandBuilder(std::vector<TRect>& out, size_t lastBandStart = kNone)
        : out_(out), lastStart_(lastBandStart) {}

    void Begin(int32_t top, int32_t bottom) {
        top_ = top;
        bottom_ = bottom;
        curStart_ = out_.size();
    }

    // Spans must come in ascending order of left edge.
    void Span(int32_t left, int32_t right) {
        if (left >= right) return;
        if (out_.size() > curStart_ && out_.back().Right >= left) {
            out_.back().Right = std::max(out_.back().Right, right);
            return;
        }
        out_.push_back({left, top_, right, bottom_});
    }

    void End() {
        size_t count = out_.size() - curStart_;
        if (count == 0 || top_ >= bottom_) {
            out_.resize(curStart_);
            return;
        }
        if (lastStart_ != kNone && curStart_ - lastStart_ == count &&
            out_[lastStart_].Bottom == top_ && SameSpans(lastStart_, curStart_, count)) {
            for (size_t i = lastStart_; i < curStart_; ++i)
                out_[i].Bottom = bottom_;
            out_.resize(curStart_);
            return;
        }
        lastStart_ = curStart_;
    }

    // A band copied from rectangles [first, last) of a canonical list, given new rows.
    void CopyBand(TRectIter first, TRectIter last, int32_t top, int32_t bottom) {
        Begin(top, bottom);
        for (auto it = first; it != last; ++it)
            Span(it->Left, it->Right);
        End();
    }

    static constexpr size_t kNone = std::numeric_limits<size_t>::max();

private:
    bool SameSpans(size_t a, size_t b, size_t count) const {
        for (size_t i = 0; i < count; ++i) {
            if (out_[a + i].Left != out_[b + i].Left || out_[a + i].Right != out_[b + i].Right)
                return false;
        }
        return true;
    }

    std::vector<TRect>& out_;
    size_t lastStart_;
    size_t curStart_ = 0;
    int32_t top_ = 0;
    int32_t bottom_ = 0;
};

// The end of the band that starts at first.
TRectIter BandEnd(TRectIter first, TRectIter last) {
    auto it = first;
    while (it != last && it->Top == first->Top)
        ++it;
    return it;
}

bool Inside(int mode, bool inA, bool inB) {
    switch (mode) {
        case RGN_AND:
            return inA && inB;
        case RGN_OR:
            return inA || inB;
        case RGN_XOR:
            return inA != inB;
        default:
            return inA && !inB;  // RGN_DIFF
    }
}

// The spans of one row of a <mode> b, where a and b are the spans of a row of each region
// (canonical: sorted, not touching). One pass over the edges of both, left to right.
void CombineSpans(TRectIter a, TRectIter aEnd, TRectIter b, TRectIter bEnd, int mode,
                  TBandBuilder& out) {
    constexpr int64_t kPastEnd = std::numeric_limits<int64_t>::max();
    bool inA = false, inB = false, inOut = false;
    int32_t start = 0;
    while (a != aEnd || b != bEnd) {
        int64_t xa = a != aEnd ? (inA ? a->Right : a->Left) : kPastEnd;
        int64_t xb = b != bEnd ? (inB ? b->Right : b->Left) : kPastEnd;
        int64_t x = std::min(xa, xb);
        if (xa == x) {
            inA = !inA;
            if (!inA) ++a;
        }
        if (xb == x) {
            inB = !inB;
            if (!inB) ++b;
        }
        bool now = Inside(mode, inA, inB);
        if (now != inOut) {
            if (now)
                start = static_cast<int32_t>(x);
            else
                out.Span(start, static_cast<int32_t>(x));
            inOut = now;
        }
    }
}

// The bands of a <mode> b, for the rectangle lists [a, aEnd) and [b, bEnd), both made of
// whole bands of canonical regions. Rows are taken top to bottom: a stretch of rows where
// only one of the two has a band is copied or dropped as the mode says, a stretch where
// both have one is combined span by span.
void CombineBands(TRectIter a, TRectIter aEnd, TRectIter b, TRectIter bEnd, int mode,
                  TBandBuilder& out) {
    const bool keepA = mode != RGN_AND;
    const bool keepB = mode == RGN_OR || mode == RGN_XOR;
    // Rows above y have been produced.
    int32_t y = std::numeric_limits<int32_t>::min();
    TRectIter aBand = BandEnd(a, aEnd), bBand = BandEnd(b, bEnd);
    while (a != aEnd && b != bEnd) {
        int32_t aTop = std::max(y, a->Top), bTop = std::max(y, b->Top);
        if (aTop < bTop) {
            int32_t bottom = std::min(a->Bottom, bTop);
            if (keepA) out.CopyBand(a, aBand, aTop, bottom);
            y = bottom;
        } else if (bTop < aTop) {
            int32_t bottom = std::min(b->Bottom, aTop);
            if (keepB) out.CopyBand(b, bBand, bTop, bottom);
            y = bottom;
        } else {
            int32_t bottom = std::min(a->Bottom, b->Bottom);
            out.Begin(aTop, bottom);
            CombineSpans(a, aBand, b, bBand, mode, out);
            out.End();
            y = bottom;
        }
        if (a->Bottom == y) {
            a = aBand;
            aBand = BandEnd(a, aEnd);
        }
        if (b->Bottom == y) {
            b = bBand;
            bBand = BandEnd(b, bEnd);
        }
    }
    for (; keepA && a != aEnd; a = aBand, aBand = BandEnd(a, aEnd))
        out.CopyBand(a, aBand, std::max(y, a->Top), a->Bottom);
    for (; keepB && b != bEnd; b = bBand, bBand = BandEnd(b, bEnd))
        out.CopyBand(b, bBand, std::max(y, b->Top), b->Bottom);
}

uint32_t ReadU32(std::span<const uint8_t> data, size_t offset) {
    return static_cast<uint32_t>(data[offset]) | static_cast<uint32_t>(data[offset + 1]) << 8 |
           static_cast<uint32_t>(data[offset + 2]) << 16 |
           static_cast<uint32_t>(data[offset + 3]) << 24;
}

int32_t ReadI32(std::span<const uint8_t> data, size_t offset) {
    return static_cast<int32_t>(ReadU32(data, offset));
}

TRect ReadRect(std::span<const uint8_t> data, size_t offset) {
    return {ReadI32(data, offset), ReadI32(data, offset + 4), ReadI32(data, offset + 8),
            ReadI32(data, offset + 12)};
}

void WriteU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void WriteRect(std::vector<uint8_t>& out, const TRect& r) {
    WriteU32(out, static_cast<uint32_t>(r.Left));
    WriteU32(out, static_cast<uint32_t>(r.Top));
    WriteU32(out, static_cast<uint32_t>(r.Right));
    WriteU32(out, static_cast<uint32_t>(r.Bottom));
}

bool FitsInt32(int64_t v) {
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

// Whether rects is a canonical rectangle list: non-empty rectangles in bands top to bottom
// without vertical overlap, each band's rectangles sharing top and bottom and going left
// to right without touching, and no band directly above one with the same spans.
[[maybe_unused]] bool IsCanonical(const std::vector<TRect>& rects) {
    size_t bandStart = 0, prevBand = TBandBuilder::kNone;
    for (size_t i = 0; i < rects.size(); ++i) {
        const TRect& r = rects[i];
        if (r.IsEmpty()) return false;
        if (i > bandStart) {
            const TRect& p = rects[i - 1];
            if (r.Top != p.Top) {
                if (r.Top < p.Bottom) return false;
                prevBand = bandStart;
                bandStart = i;
            } else if (r.Bottom != p.Bottom || r.Left <= p.Right) {
                return false;
            }
        }
        // A band that ends here must differ from the one directly above it.
        bool bandEnds = i + 1 == rects.size() || rects[i + 1].Top != r.Top;
        if (bandEnds && prevBand != TBandBuilder::kNone && rects[prevBand].Bottom == r.Top &&
            i + 1 - bandStart == bandStart - prevBand) {
            bool same = true;
            for (size_t k = 0; k < bandStart - prevBand && same; ++k)
                same = rects[prevBand + k].Left == rects[bandStart + k].Left &&
                       rects[prevBand + k].Right == rects[bandStart + k].Right;
            if (same) return false;
        }
    }
    return true;
}

}  // namespace

TRegion::TRegion(const TRect& rect) {
    if (rect.IsEmpty()) return;
    rects_.push_back(rect);
    bounds_ = rect;
}

int TRegion::Combine(const TRegion& other, int mode) {
    if (mode == RGN_COPY) return Complexity();
    if (mode != RGN_AND && mode != RGN_OR && mode != RGN_XOR && mode != RGN_DIFF) return RGN_ERROR;
    if (other.IsEmpty() || IsEmpty()) {
        if (mode == RGN_AND) {
            rects_.clear();
        } else if (IsEmpty() && mode != RGN_DIFF) {
            rects_ = other.rects_;
        }
        UpdateBounds();
        return Complexity();
    }

    if (mode == RGN_OR && other.rects_.size() == 1 && AppendRect(other.rects_.front()))
        return Complexity();

    // Only the bands of this region that share rows with other can change; the ones above
    // and below stay as they are (RGN_AND drops them).
    const int32_t otherTop = other.rects_.front().Top;
    const int32_t otherBottom = other.rects_.back().Bottom;
    auto first = std::partition_point(rects_.cbegin(), rects_.cend(),
                                      [&](const TRect& r) { return r.Bottom <= otherTop; });
    auto last = std::partition_point(first, rects_.cend(),
                                     [&](const TRect& r) { return r.Top < otherBottom; });

    std::vector<TRect> result;
    if (mode == RGN_AND) {
        TBandBuilder out(result);
        CombineBands(first, last, other.rects_.cbegin(), other.rects_.cend(), mode, out);
        rects_ = std::move(result);
        UpdateBounds();
        return Complexity();
    }

    // The new bands are built after the unchanged band just above (and followed by the one
    // just below), so that they merge with their neighbours where their spans are equal.
    auto replaceFirst = first;
    size_t seed = TBandBuilder::kNone;
    if (first != rects_.cbegin()) {
        int32_t aboveTop = std::prev(first)->Top;
        replaceFirst = std::partition_point(rects_.cbegin(), first,
                                            [&](const TRect& r) { return r.Top < aboveTop; });
        result.assign(replaceFirst, first);
        seed = 0;
    }
    auto replaceLast = BandEnd(last, rects_.cend());
    TBandBuilder out(result, seed);
    CombineBands(first, last, other.rects_.cbegin(), other.rects_.cend(), mode, out);
    if (last != rects_.cend()) out.CopyBand(last, replaceLast, last->Top, last->Bottom);

    size_t at = static_cast<size_t>(replaceFirst - rects_.cbegin());
    rects_.erase(replaceFirst, replaceLast);
    rects_.insert(rects_.begin() + static_cast<ptrdiff_t>(at), result.begin(), result.end());
    if (mode == RGN_OR) {
        bounds_ = bounds_.Union(other.bounds_);
    } else {
        UpdateBounds();
    }
    return Complexity();
}

int TRegion::Offset(int dx, int dy) {
    if (IsEmpty()) return Complexity();
    if (!FitsInt32(int64_t{bounds_.Left} + dx) || !FitsInt32(int64_t{bounds_.Right} + dx) ||
        !FitsInt32(int64_t{bounds_.Top} + dy) || !FitsInt32(int64_t{bounds_.Bottom} + dy))
        return RGN_ERROR;
    for (TRect& r : rects_)
        r = r.Offset(dx, dy);
    bounds_ = bounds_.Offset(dx, dy);
    return Complexity();
}

bool TRegion::Contains(TPoint p) const {
    // The first rectangle reaching below the row is in the row's band, if any band holds
    // the row; the band is then searched for the column.
    auto band = std::partition_point(rects_.begin(), rects_.end(),
                                     [&](const TRect& r) { return r.Bottom <= p.Y; });
    if (band == rects_.end() || band->Top > p.Y) return false;
    auto bandEnd =
        std::partition_point(band, rects_.end(), [&](const TRect& r) { return r.Top <= p.Y; });
    auto it = std::partition_point(band, bandEnd, [&](const TRect& r) { return r.Right <= p.X; });
    return it != bandEnd && it->Left <= p.X;
}

int TRegion::Complexity() const {
    if (rects_.empty()) return NULLREGION;
    return rects_.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

std::vector<uint8_t> TRegion::GetRegionData() const {
    std::vector<uint8_t> out;
    out.reserve(RGNDATAHEADER_SIZE + rects_.size() * sizeof(TRect));
    const auto count = static_cast<uint32_t>(rects_.size());
    WriteU32(out, RGNDATAHEADER_SIZE);
    WriteU32(out, RDH_RECTANGLES);
    WriteU32(out, count);
    WriteU32(out, count * static_cast<uint32_t>(sizeof(TRect)));
    WriteRect(out, IsEmpty() ? TRect{} : bounds_);
    for (const TRect& r : rects_)
        WriteRect(out, r);
    return out;
}

std::optional<TRegion> TRegion::FromRegionData(std::span<const uint8_t> data) {
    if (data.size() < RGNDATAHEADER_SIZE) return std::nullopt;
    if (ReadU32(data, 0) != RGNDATAHEADER_SIZE || ReadU32(data, 4) != RDH_RECTANGLES)
        return std::nullopt;
    const uint64_t count = ReadU32(data, 8);
    const uint64_t listSize = count * sizeof(TRect);  // cannot wrap: count < 2^32
    if (listSize > data.size() - RGNDATAHEADER_SIZE) return std::nullopt;
    const uint32_t rgnSize = ReadU32(data, 12);
    if (rgnSize != 0 && rgnSize != listSize) return std::nullopt;
    const TRect bound = ReadRect(data, 16);

    // Check the band order while building the canonical list: each rectangle either
    // continues the current band (same rows, starting at or after the previous one's
    // right edge) or starts a new band at or below the current one's bottom.
    TRegion region;
    TBandBuilder out(region.rects_);
    TRect prev{};
    for (size_t i = 0; i < count; ++i) {
        const TRect r = ReadRect(data, RGNDATAHEADER_SIZE + i * sizeof(TRect));
        if (r.IsEmpty()) return std::nullopt;
        if (i > 0 && r.Top == prev.Top) {
            if (r.Bottom != prev.Bottom || r.Left < prev.Right) return std::nullopt;
        } else {
            if (i > 0) {
                if (r.Top < prev.Bottom) return std::nullopt;
                out.End();
            }
            out.Begin(r.Top, r.Bottom);
        }
        out.Span(r.Left, r.Right);
        prev = r;
    }
    if (count > 0) out.End();
    region.UpdateBounds();
    if (bound != region.bounds_) return std::nullopt;
    return region;
}

TRegion TRegion::FromBands(std::vector<TRect> rects) {
    TRegion region;
    region.rects_ = std::move(rects);
    assert(IsCanonical(region.rects_));
    region.UpdateBounds();
    return region;
}

bool TRegion::AppendRect(const TRect& rect) {
    TRect& last = rects_.back();
    if (rect.Top >= last.Bottom) {
        rects_.push_back(rect);
    } else if (rect.Top == last.Top && rect.Bottom == last.Bottom && rect.Left >= last.Left) {
        // At or after the start of the last rectangle: it ends before every other one.
        if (rect.Left <= last.Right) {
            last.Right = std::max(last.Right, rect.Right);
        } else {
            rects_.push_back(rect);
        }
    } else {
        return false;
    }
    bounds_ = bounds_.Union(rect);

    // The last band may now equal the band right above it.
    auto bandStart = [this](int32_t top) {
        return std::partition_point(rects_.begin(), rects_.end(),
                                    [top](const TRect& r) { return r.Top < top; });
    };
    auto lastBand = bandStart(rects_.back().Top);
    if (lastBand == rects_.begin()) return true;
    auto above = std::prev(lastBand);
    if (above->Bottom != lastBand->Top) return true;
    auto aboveBand = bandStart(above->Top);
    if (lastBand - aboveBand != rects_.end() - lastBand) return true;
    for (auto a = aboveBand, b = lastBand; b != rects_.end(); ++a, ++b) {
        if (a->Left != b->Left || a->Right != b->Right) return true;
    }
    const int32_t bottom = rects_.back().Bottom;
    for (auto a = aboveBand; a != lastBand; ++a)
        a->Bottom = bottom;
    rects_.erase(lastBand, rects_.end());
    return true;
}

void TRegion::UpdateBounds() {
    if (rects_.empty()) {
        bounds_ = {};
        return;
    }
    int32_t left = rects_.front().Left, right = rects_.front().Right;
    for (const TRect& r : rects_) {
        left = std::min(left, r.Left);
        right = std::max(right, r.Right);
    }
    bounds_ = {left, rects_.front().Top, right, rects_.back().Bottom};
}

TRegion CombineRegions(const TRegion& a, const TRegion& b, int mode) {
    TRegion result = a;
    result.Combine(b, mode);
    return result;
}
