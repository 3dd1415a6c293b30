#include "shaped/fcregion.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>
#include <limits>
#include <span>
#include <utility>
#include <vector>

namespace {

// Builds a canonical rectangle list from the runs of the rows of a picture, top to
// bottom. A row's runs are given as left, right pairs (right exclusive), left to right
// and never touching, which is what scanning a row for maximal runs gives. Rows with the
// same runs as the row above extend the open band; a band is written out when a row
// differs, so each rectangle is written once.
class TBandScanner {
public:
    // The runs of the row being scanned; filled by the caller, then passed to EndRow.
    std::vector<int32_t>& Row() { return cur_; }

    void EndRow(int32_t y) {
        if (cur_ != prev_) {
            Flush(y);
            std::swap(prev_, cur_);
            bandTop_ = y;
        }
        cur_.clear();
    }

    std::vector<TRect> Finish(int32_t height) {
        Flush(height);
        prev_.clear();
        return std::move(rects_);
    }

private:
    void Flush(int32_t bottom) {
        for (size_t i = 0; i + 1 < prev_.size(); i += 2)
            rects_.push_back({prev_[i], bandTop_, prev_[i + 1], bottom});
    }

    std::vector<TRect> rects_;
    std::vector<int32_t> prev_;
    std::vector<int32_t> cur_;
    int32_t bandTop_ = 0;
};

// Finds the runs of 24-bit rows (blue, green, red bytes per pixel): the pixels whose
// 0x00BBGGRR value differs from the key. A key with bits above the 24 colour bits matches
// no pixel. Every x where a pixel differs in kind from the one before it is an edge, and
// the edges, in order, are the runs' lefts and rights. Edges are recorded without a branch
// on the pixel, so noise costs little more than long runs.
static_assert(std::endian::native == std::endian::little, "pixels are read as little-endian words");

class TRowScanner24 {
public:
    TRowScanner24(int width, TColor key)
        : width_(width),
          matchesNothing_(uint32_t(key) > 0xFFFFFF),
          // The key as the bytes blue, green, red read as a little-endian number.
          key_(uint32_t(GetBValue(key)) | uint32_t(GetGValue(key)) << 8 |
               uint32_t(GetRValue(key)) << 16),
          edges_(size_t(width) + 1) {}  // a row has at most width + 1 edges

    void Scan(const uint8_t* row, std::vector<int32_t>& runs) {
        if (matchesNothing_) {
            runs.assign({0, width_});
            return;
        }
        int32_t* edges = edges_.data();
        size_t count = 0;
        bool inRun = false;
        auto step = [&](int x, bool opaque) {
            edges[count] = x;
            count += opaque != inRun;
            inRun = opaque;
        };
        // Four pixels (twelve bytes) at a time; four that are all of the kind of the one
        // before them add no edge, which makes long runs cheap.
        int x = 0;
        for (; x + 4 <= width_; x += 4) {
            uint32_t w0, w1, w2;
            std::memcpy(&w0, row + 3 * x, 4);
            std::memcpy(&w1, row + 3 * x + 4, 4);
            std::memcpy(&w2, row + 3 * x + 8, 4);
            const bool o0 = (w0 & 0xFFFFFF) != key_;
            const bool o1 = (w0 >> 24 | (w1 & 0xFFFF) << 8) != key_;
            const bool o2 = (w1 >> 16 | (w2 & 0xFF) << 16) != key_;
            const bool o3 = w2 >> 8 != key_;
            if ((o0 & o1 & o2 & o3) == inRun && (o0 | o1 | o2 | o3) == inRun) continue;
            step(x, o0);
            step(x + 1, o1);
            step(x + 2, o2);
            step(x + 3, o3);
        }
        for (; x < width_; ++x) {
            const uint8_t* p = row + 3 * x;
            step(x, (uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16) != key_);
        }
        if (inRun) edges[count++] = width_;
        runs.assign(edges, edges + count);
    }

private:
    const int width_;
    const bool matchesNothing_;
    const uint32_t key_;
    std::vector<int32_t> edges_;
};

// The first x in [from, width) of a one-bit row (most significant bit first) whose bit is
// set (want true) or clear; width when there is none. Whole bytes without such a bit are
// skipped at once.
int FindBit(const uint8_t* row, int from, int width, bool want) {
    const uint8_t nothingWanted = want ? 0x00 : 0xFF;
    int x = from;
    while (x < width) {
        const uint8_t byte = row[x >> 3];
        if ((x & 7) == 0 && byte == nothingWanted) {
            x += 8;
            continue;
        }
        if (bool((byte >> (7 - (x & 7))) & 1) == want) return x;
        ++x;
    }
    return width;
}

// The runs of a one-bit mask row: clear bits (a set bit is a pixel of the transparent
// colour). Padding bits after width are never looked at.
void ScanRow1(const uint8_t* row, int width, std::vector<int32_t>& runs) {
    int x = FindBit(row, 0, width, false);
    while (x < width) {
        const int end = FindBit(row, x, width, true);
        runs.push_back(x);
        runs.push_back(end);
        x = FindBit(row, end, width, false);
    }
}

uint32_t ReadU32(std::span<const uint8_t> data, size_t offset) {
    return uint32_t(data[offset]) | uint32_t(data[offset + 1]) << 8 |
           uint32_t(data[offset + 2]) << 16 | uint32_t(data[offset + 3]) << 24;
}

// Where a stored block is read from. Read takes up to n bytes and says how many it took;
// Skip passes over up to n bytes.
class TStreamSource {
public:
    explicit TStreamSource(std::istream& in) : in_(in) {}
    size_t Read(uint8_t* to, size_t n) {
        in_.read(reinterpret_cast<char*>(to), std::streamsize(n));
        return size_t(in_.gcount());
    }
    void Skip(uint64_t n) { in_.ignore(std::streamsize(n)); }

private:
    std::istream& in_;
};

class TBytesSource {
public:
    explicit TBytesSource(std::span<const uint8_t>& bytes) : bytes_(bytes) {}
    size_t Read(uint8_t* to, size_t n) {
        n = std::min(n, bytes_.size());
        std::copy_n(bytes_.data(), n, to);
        bytes_ = bytes_.subspan(n);
        return n;
    }
    void Skip(uint64_t n) { bytes_ = bytes_.subspan(size_t(std::min<uint64_t>(n, bytes_.size()))); }

private:
    std::span<const uint8_t>& bytes_;
};

// Reads count bytes from source onto the end of block, in chunks, so that memory follows
// the bytes that arrive rather than the count asked for. False when the source ends first.
template <class TSource>
bool ReadOnto(TSource& source, std::vector<uint8_t>& block, uint64_t count) {
    constexpr uint64_t kChunk = 64 * 1024;
    while (count > 0) {
        const size_t n = size_t(std::min(count, kChunk));
        const size_t at = block.size();
        block.resize(at + n);
        if (source.Read(block.data() + at, n) != n) return false;
        count -= n;
    }
    return true;
}

template <class TSource>
TStoredRegion ReadBlock(TSource& source) {
    TStoredRegion refused{srRefused, nullptr};
    uint8_t lengthBytes[4];
    if (source.Read(lengthBytes, sizeof lengthBytes) != sizeof lengthBytes) return refused;
    const uint32_t length = ReadU32(lengthBytes, 0);
    if (length == 0) return {srNone, nullptr};

    // The header first: the rectangles are read only when their number agrees with the
    // length. A refused block is skipped whole, so that what follows it can still be read.
    std::vector<uint8_t> block;
    auto refuse = [&] {
        if (block.size() < length) source.Skip(length - block.size());
        return std::move(refused);
    };
    if (length < RGNDATAHEADER_SIZE) return refuse();
    if (!ReadOnto(source, block, RGNDATAHEADER_SIZE)) return refused;
    const uint64_t count = ReadU32(block, 8);
    if (RGNDATAHEADER_SIZE + count * sizeof(TRect) != length) return refuse();
    if (!ReadOnto(source, block, length - RGNDATAHEADER_SIZE)) return refused;

    std::optional<TRegion> region = TRegion::FromRegionData(block);
    if (!region) return refused;
    return {srRegion, std::make_unique<TRegion>(std::move(*region))};
}

}  // namespace

std::unique_ptr<TRegion> CreateRegionFromBitmap(const TBitmap& bitmap, TColor transparentColor) {
    const int width = bitmap.Width(), height = bitmap.Height();
    if (width <= 0 || height <= 0) return nullptr;

    TBandScanner scanner;
    if (bitmap.PixelFormat() == pf24bit) {
        TRowScanner24 rows(width, transparentColor);
        for (int y = 0; y < height; ++y) {
            rows.Scan(bitmap.ScanLine(y), scanner.Row());
            scanner.EndRow(y);
        }
    } else {
        // Other depths are compared through a one-bit mask of the transparent colour, made
        // on a copy so that the caller's picture stays as it is.
        TBitmap mask(bitmap);
        mask.Mask(transparentColor);
        for (int y = 0; y < height; ++y) {
            ScanRow1(std::as_const(mask).ScanLine(y), width, scanner.Row());
            scanner.EndRow(y);
        }
    }
    std::vector<TRect> rects = scanner.Finish(height);
    if (rects.empty()) return nullptr;
    return std::make_unique<TRegion>(TRegion::FromBands(std::move(rects)));
}

TStoredRegion ReadRegionData(std::istream& in) {
    TStreamSource source(in);
    return ReadBlock(source);
}

TStoredRegion ReadRegionData(std::span<const uint8_t>& bytes) {
    TBytesSource source(bytes);
    return ReadBlock(source);
}

void WriteRegionData(std::ostream& out, const TRegion* region) {
    std::vector<uint8_t> block;
    // A block too large for its 32-bit length cannot be stored; the form then stores no
    // region and builds it from its picture when it is loaded.
    if (region) block = region->GetRegionData();
    if (block.size() > std::numeric_limits<uint32_t>::max()) block.clear();
    const auto length = uint32_t(block.size());
    const char lengthBytes[4] = {char(length), char(length >> 8), char(length >> 16),
                                 char(length >> 24)};
    out.write(lengthBytes, sizeof lengthBytes);
    out.write(reinterpret_cast<const char*>(block.data()), std::streamsize(block.size()));
}
