// Window regions cut from pictures, and the stored form of a region (RegionData).
//
// CreateRegionFromBitmap gives the region of every pixel of a picture that is not of one
// colour, the transparent colour: the shape a shaped form gives its window.
//
// A stored region (the RegionData property of a shaped form) is a 4-byte little-endian
// length N followed by N bytes: the region's RGNDATA block (a 32-byte header, then the
// rectangles in band order; see platform/gfx/region.h). N = 0 means that no region is
// stored. ReadRegionData and WriteRegionData read and write that block; the shaped form's
// property reader and writer delegate to them.
#pragma once

#include <cstdint>
#include <istream>
#include <memory>
#include <ostream>
#include <span>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/color.h"
#include "platform/gfx/region.h"

// The region of the pixels of bitmap whose colour differs from transparentColor, in the
// bitmap's pixel coordinates; null when there are none (an empty bitmap, or every pixel of
// the transparent colour). The bitmap is not changed.
//
// A 24-bit picture is compared pixel by pixel as 0x00BBGGRR values, so a system colour
// (a negative TColor) or clNone matches nothing and the whole picture is the region. A
// picture of any other depth is first turned into a one-bit mask against the colour
// (TBitmap::Mask, which resolves a system colour to its RGB value): pixels of exactly
// that colour are left out, all others are in.
//
// The rectangles are built band by band as the rows are scanned: a row whose runs equal
// those of the row above extends that band. The cost is linear in the pixels and runs.
std::unique_ptr<TRegion> CreateRegionFromBitmap(const TBitmap& bitmap, TColor transparentColor);

// What a stored region block held.
enum TStoredRegionKind {
    srNone,     // length 0: no region stored; the form builds one from its picture
    srRegion,   // a well-formed block: Region holds it
    srRefused,  // a malformed or cut-off block: no region, nothing is to be applied
};

struct TStoredRegion {
    TStoredRegionKind Kind = srNone;
    std::unique_ptr<TRegion> Region;  // set only for srRegion
};

// Reads one stored region block from in. A block is refused when the length cannot be
// read, when it disagrees with the header (N must be exactly 32 + 16 x nCount), when the
// stream ends before N bytes, or when the RGNDATA block itself is malformed (see
// TRegion::FromRegionData: bad header fields, rectangles not in sorted bands, a bound that
// is not the rectangles' bound). Memory grows only with the bytes actually read, never
// with the length claimed. After a block whose length could be read, the stream is left
// just after the block's N bytes, or at its end when it is shorter.
TStoredRegion ReadRegionData(std::istream& in);
// The same for a block in memory; bytes is left just after the block (or empty).
TStoredRegion ReadRegionData(std::span<const uint8_t>& bytes);

// Writes region as a stored region block: length 0 when region is null, otherwise the
// length and the region's RGNDATA block.
void WriteRegionData(std::ostream& out, const TRegion* region);
