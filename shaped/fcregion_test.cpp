#include "shaped/fcregion.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "art/clockart.h"
#include "tests/support/fcregion_reference.h"

namespace {

// The main form's window outline, cut from its 150 x 90 backgrounds without their white
// margin.
const std::vector<TRect> kClockOutline = {
    {10, 2, 140, 3},  {8, 3, 142, 4},   {6, 4, 144, 5},    {5, 5, 145, 6},   {4, 6, 146, 8},
    {3, 8, 147, 10},  {2, 10, 148, 78}, {3, 78, 147, 80},  {4, 80, 146, 82}, {5, 82, 145, 83},
    {6, 83, 144, 84}, {8, 84, 142, 85}, {10, 85, 140, 86},
};

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

void PutRect(std::vector<uint8_t>& out, const TRect& r) {
    for (int32_t v : {r.Left, r.Top, r.Right, r.Bottom})
        PutU32(out, uint32_t(v));
}

// A stored region block written field by field: length, header, rectangles.
std::vector<uint8_t> Block(uint32_t length, uint32_t dwSize, uint32_t iType, uint32_t count,
                           uint32_t rgnSize, const TRect& bound, const std::vector<TRect>& rects) {
    std::vector<uint8_t> out;
    PutU32(out, length);
    PutU32(out, dwSize);
    PutU32(out, iType);
    PutU32(out, count);
    PutU32(out, rgnSize);
    PutRect(out, bound);
    for (const TRect& r : rects)
        PutRect(out, r);
    return out;
}

std::vector<uint8_t> WellFormedBlock(const std::vector<TRect>& rects, const TRect& bound) {
    const auto n = uint32_t(rects.size());
    return Block(32 + 16 * n, 32, 1, n, 16 * n, bound, rects);
}

// The main form's stored region, byte for byte.
std::vector<uint8_t> ClockOutlineBlock() {
    return WellFormedBlock(kClockOutline, {2, 2, 148, 86});
}

std::vector<uint8_t> Written(const TRegion* region) {
    std::ostringstream out;
    WriteRegionData(out, region);
    const std::string s = out.str();
    return {s.begin(), s.end()};
}

// Reads a block from a stream, and from memory as well: both readers must agree.
TStoredRegion Read(const std::vector<uint8_t>& bytes) {
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    TStoredRegion fromStream = ReadRegionData(in);
    std::span<const uint8_t> memory(bytes);
    TStoredRegion fromMemory = ReadRegionData(memory);
    EXPECT_EQ(fromMemory.Kind, fromStream.Kind);
    EXPECT_EQ(fromMemory.Region != nullptr, fromStream.Region != nullptr);
    if (fromMemory.Region && fromStream.Region) {
        EXPECT_EQ(*fromMemory.Region, *fromStream.Region);
    }
    return fromStream;
}

TBitmap Art(int id) {
    RegisterClockArt();
    TBitmap bitmap;
    bitmap.LoadFromResourceID(id);
    return bitmap;
}

TColor BottomLeft(const TBitmap& bitmap) {
    return bitmap.Pixel(0, bitmap.Height() - 1);
}

// A 24-bit picture from rows of characters: '.' is white, any other letter a colour of
// its own.
TBitmap Picture(const std::vector<std::string>& rows) {
    const int height = int(rows.size()), width = height ? int(rows[0].size()) : 0;
    TBitmap bitmap(width, height, pf24bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const char c = rows[size_t(y)][size_t(x)];
            bitmap.SetPixel(x, y, c == '.' ? clWhite : RGB(c * 3, 255 - c, c));
        }
    return bitmap;
}

std::vector<TRect> RectsOf(const std::unique_ptr<TRegion>& region) {
    return region ? region->Rects() : std::vector<TRect>{};
}

// The stored picture outline -------------------------------------------------------------

class ClockBackground : public testing::TestWithParam<int> {};

TEST_P(ClockBackground, GivesTheStoredOutlineWithItsBottomLeftColour) {
    const TBitmap art = Art(GetParam());
    ASSERT_EQ(art.Width(), 150);
    ASSERT_EQ(art.Height(), 90);
    ASSERT_EQ(BottomLeft(art), clWhite);
    auto region = CreateRegionFromBitmap(art, BottomLeft(art));
    ASSERT_TRUE(region);
    EXPECT_EQ(region->Rects(), kClockOutline);
    EXPECT_EQ(region->Bounds(), (TRect{2, 2, 148, 86}));
    EXPECT_EQ(Written(region.get()), ClockOutlineBlock());
    auto reference = CreateRegionFromBitmapPerRunUnion(art, BottomLeft(art));
    ASSERT_TRUE(reference);
    EXPECT_EQ(*region, *reference);
}

INSTANTIATE_TEST_SUITE_P(LargeFormat, ClockBackground, testing::Values(85, 62, 48));

TEST(StoredClockRegion, FileHoldsWhatTheWriterMakesFromPicture85) {
    const TBitmap art = Art(85);
    auto region = CreateRegionFromBitmap(art, BottomLeft(art));
    const std::vector<uint8_t> written = Written(region.get());
    // With ZT_UPDATE_REGIONDATA set, the file is written anew from the picture first.
    if (std::getenv("ZT_UPDATE_REGIONDATA")) {
        std::ofstream out(ZT_REGIONDATA_FILE, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(written.data()), std::streamsize(written.size()));
        ASSERT_TRUE(out.good());
    }
    std::ifstream in(ZT_REGIONDATA_FILE, std::ios::binary);
    ASSERT_TRUE(in.is_open()) << ZT_REGIONDATA_FILE;
    const std::vector<uint8_t> stored{std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>()};
    EXPECT_EQ(stored.size(), 244u);
    EXPECT_EQ(stored, written);
    EXPECT_EQ(stored, ClockOutlineBlock());
    TStoredRegion loaded = Read(stored);
    ASSERT_EQ(loaded.Kind, srRegion);
    EXPECT_EQ(*loaded.Region, *region);
}

// Edge cases of the scan -------------------------------------------------------------------

struct TScanCase {
    const char* Name;
    std::vector<std::string> Rows;
    std::vector<TRect> Expected;  // empty: no region
};

void PrintTo(const TScanCase& c, std::ostream* os) {
    *os << c.Name;
}

class RegionScan : public testing::TestWithParam<TScanCase> {};

TEST_P(RegionScan, GivesTheRunsInMergedBands) {
    const TScanCase& c = GetParam();
    const TBitmap picture = Picture(c.Rows);
    auto region = CreateRegionFromBitmap(picture, clWhite);
    EXPECT_EQ(RectsOf(region), c.Expected);
    EXPECT_EQ(bool(region), !c.Expected.empty());
    EXPECT_EQ(RectsOf(CreateRegionFromBitmapPerRunUnion(picture, clWhite)), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, RegionScan,
    testing::Values(
        TScanCase{"AllTransparent", {"....", "...."}, {}},
        TScanCase{"RunToTheRightEdge", {"..aa", "...a"}, {{2, 0, 4, 1}, {3, 1, 4, 2}}},
        TScanCase{"WholeRowsMerge", {"abcd", "dcba", "aaaa"}, {{0, 0, 4, 3}}},
        TScanCase{"TwoRunsOneBand", {"a..b", "a..b"}, {{0, 0, 1, 2}, {3, 0, 4, 2}}},
        TScanCase{"EqualRowsApartStayApart", {".a.", "...", ".a."}, {{1, 0, 2, 1}, {1, 2, 2, 3}}},
        TScanCase{"EmptyRowsAtTopAndBottom", {"...", ".ab", ".ab", "..."}, {{1, 1, 3, 3}}},
        TScanCase{"ChangingRuns",
                  {"a.a.", "a.a.", "aaa.", "a.aa"},
                  {{0, 0, 1, 2}, {2, 0, 3, 2}, {0, 2, 3, 3}, {0, 3, 1, 4}, {2, 3, 4, 4}}},
        TScanCase{"SinglePixel", {"a"}, {{0, 0, 1, 1}}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(RegionFromBitmap, EmptyPicturesGiveNoRegion) {
    for (TSize size : {TSize{0, 0}, TSize{0, 5}, TSize{5, 0}}) {
        TBitmap empty(size.cx, size.cy, pf24bit);
        EXPECT_FALSE(CreateRegionFromBitmap(empty, clWhite)) << size.cx << "x" << size.cy;
        TBitmap empty8(size.cx, size.cy, pf8bit);
        EXPECT_FALSE(CreateRegionFromBitmap(empty8, clWhite)) << size.cx << "x" << size.cy;
    }
}

TEST(RegionFromBitmap, ColoursOutsideTheColourRangeMatchNoPixelOfATrueColourPicture) {
    const TBitmap picture = Picture({"..a", "b.."});
    for (TColor key : {clWindow, clBtnFace, clNone, clDefault}) {
        auto region = CreateRegionFromBitmap(picture, key);
        ASSERT_TRUE(region);
        EXPECT_EQ(region->Rects(), (std::vector<TRect>{{0, 0, 3, 2}})) << std::hex << key;
    }
}

TEST(RegionFromBitmap, OtherDepthsGoThroughAMaskOfTheExactColour) {
    TBitmap picture = Picture({"..a.", "b..c"});
    picture.SetPixel(3, 0, RGB(255, 255, 254));  // almost white is not white
    picture.SetPixelFormat(pf8bit);
    ASSERT_EQ(picture.PixelFormat(), pf8bit);
    const std::vector<TRect> expected{{2, 0, 4, 1}, {0, 1, 1, 2}, {3, 1, 4, 2}};
    const std::vector<uint8_t> before(picture.Bits(), picture.Bits() + picture.Stride() * 2);
    // A system colour is resolved first: clWindow is white.
    for (TColor key : {clWhite, clWindow}) {
        auto region = CreateRegionFromBitmap(picture, key);
        EXPECT_EQ(RectsOf(region), expected) << std::hex << key;
        EXPECT_EQ(RectsOf(CreateRegionFromBitmapPerRunUnion(picture, key)), expected);
    }
    // The caller's picture is left as it was.
    EXPECT_EQ(picture.PixelFormat(), pf8bit);
    EXPECT_EQ(std::vector<uint8_t>(picture.Bits(), picture.Bits() + picture.Stride() * 2), before);

    // A one-bit picture: black is transparent, the white pixels are the region; rows wider
    // than a byte, with padding bits after the last pixel.
    TBitmap mono(19, 2, pf1bit);
    for (int x = 0; x < 19; ++x) {
        mono.SetPixel(x, 0, x >= 9 ? clWhite : clBlack);
        mono.SetPixel(x, 1, x == 0 || x == 8 || x == 16 ? clWhite : clBlack);
    }
    auto region = CreateRegionFromBitmap(mono, clBlack);
    EXPECT_EQ(RectsOf(region),
              (std::vector<TRect>{{9, 0, 19, 1}, {0, 1, 1, 2}, {8, 1, 9, 2}, {16, 1, 17, 2}}));
}

// The band builder against one region union per run, on random pictures of three colours
// (white transparent), with repeated rows, all-transparent rows and full rows, at 24 bits
// and through the mask at 8 and 1 bits.
TEST(RegionFromBitmap, EqualsThePerRunUnionOnRandomPictures) {
    std::mt19937 rng(20240611);
    const TColor colours[] = {clWhite, clBlack, clRed};
    for (int i = 0; i < 400; ++i) {
        const int width = 1 + int(rng() % 40), height = 1 + int(rng() % 24);
        TBitmap picture(width, height, pf24bit);
        const unsigned density = rng() % 4;  // how often a pixel is transparent
        for (int y = 0; y < height; ++y) {
            const unsigned kind = rng() % 8;
            for (int x = 0; x < width; ++x) {
                TColor c;
                if (kind == 0 && y > 0) {
                    c = picture.Pixel(x, y - 1);  // a repeated row
                } else if (kind == 1) {
                    c = clWhite;  // an all-transparent row
                } else if (kind == 2) {
                    c = clRed;  // a full row
                } else {
                    c = rng() % 4 < density ? clWhite : colours[1 + rng() % 2];
                }
                picture.SetPixel(x, y, c);
            }
        }
        const TPixelFormat format = i % 5 == 3 ? pf8bit : i % 5 == 4 ? pf1bit : pf24bit;
        const TColor key = format == pf1bit ? clWhite : colours[rng() % 3];
        picture.SetPixelFormat(format);

        auto region = CreateRegionFromBitmap(picture, key);
        auto reference = CreateRegionFromBitmapPerRunUnion(picture, key);
        ASSERT_EQ(bool(region), bool(reference)) << "picture " << i;
        if (!region) continue;
        ASSERT_EQ(region->Rects(), reference->Rects()) << "picture " << i;
        EXPECT_EQ(region->Bounds(), reference->Bounds()) << "picture " << i;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(region->Contains(x, y), picture.Pixel(x, y) != ColorToRGB(key))
                    << "picture " << i << " at " << x << "," << y;
    }
}

// Stored region blocks ----------------------------------------------------------------------

TEST(RegionData, RoundTripsThroughTheWriterAndReader) {
    EXPECT_EQ(Written(nullptr), (std::vector<uint8_t>{0, 0, 0, 0}));
    TStoredRegion none = Read({0, 0, 0, 0});
    EXPECT_EQ(none.Kind, srNone);
    EXPECT_FALSE(none.Region);

    TRegion shape(TRect{-5, -5, 20, 10});
    shape.Combine(TRegion(TRect{0, 0, 5, 30}), RGN_XOR);
    for (const TRegion& region : {shape, TRegion(TRect{1, 2, 3, 4}), TRegion()}) {
        const std::vector<uint8_t> bytes = Written(&region);
        EXPECT_EQ(bytes.size(), 4 + 32 + 16 * region.Rects().size());
        TStoredRegion back = Read(bytes);
        ASSERT_EQ(back.Kind, srRegion);
        EXPECT_EQ(*back.Region, region);
    }
}

TEST(RegionData, ReadsBlocksOneAfterAnotherAndSkipsARefusedOne) {
    std::vector<uint8_t> bytes = ClockOutlineBlock();
    bytes[4 + 8] = 12;  // nCount 12 disagrees with the length of 13 rectangles
    const std::vector<uint8_t> good = WellFormedBlock({{1, 1, 2, 2}}, {1, 1, 2, 2});
    bytes.insert(bytes.end(), good.begin(), good.end());
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(ReadRegionData(in).Kind, srRefused);
    TStoredRegion next = ReadRegionData(in);
    ASSERT_EQ(next.Kind, srRegion);
    EXPECT_EQ(next.Region->Rects(), (std::vector<TRect>{{1, 1, 2, 2}}));

    std::span<const uint8_t> memory(bytes);
    EXPECT_EQ(ReadRegionData(memory).Kind, srRefused);
    EXPECT_EQ(memory.size(), good.size());
    next = ReadRegionData(memory);
    ASSERT_EQ(next.Kind, srRegion);
    EXPECT_EQ(next.Region->Rects(), (std::vector<TRect>{{1, 1, 2, 2}}));
    EXPECT_TRUE(memory.empty());
}

struct TMalformedCase {
    const char* Name;
    std::vector<uint8_t> Bytes;
};

void PrintTo(const TMalformedCase& c, std::ostream* os) {
    *os << c.Name;
}

class MalformedRegionData : public testing::TestWithParam<TMalformedCase> {};

TEST_P(MalformedRegionData, IsRefused) {
    TStoredRegion result = Read(GetParam().Bytes);
    EXPECT_EQ(result.Kind, srRefused);
    EXPECT_FALSE(result.Region);
}

std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + size_t(i)] = uint8_t(value >> (8 * i));
    return bytes;
}

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t size) {
    bytes.resize(size);
    return bytes;
}

const std::vector<uint8_t> kGood = ClockOutlineBlock();

INSTANTIATE_TEST_SUITE_P(
    Blocks, MalformedRegionData,
    testing::Values(
        TMalformedCase{"NoLength", {1, 0}},
        TMalformedCase{"LengthShorterThanHeader", {8, 0, 0, 0, 32, 0, 0, 0, 1, 0, 0, 0}},
        TMalformedCase{"LengthLongerThanHeaderSays", Patched(kGood, 0, 256)},
        TMalformedCase{"LengthShorterThanHeaderSays", Patched(kGood, 0, 224)},
        TMalformedCase{"CountTooLarge", Patched(kGood, 12, 0xFFFFFFFF)},
        // 32 + 16 x count is 240 only when computed in 32 bits.
        TMalformedCase{"CountWrappingToTheLength", Patched(kGood, 12, 0x1000000D)},
        TMalformedCase{"StreamEndsInHeader", Cut(kGood, 20)},
        TMalformedCase{"StreamEndsInRectangles", Cut(kGood, 200)},
        TMalformedCase{"HugeLengthShortStream", Patched(Cut(kGood, 40), 0, 0xFFFFFFF0)},
        TMalformedCase{"HeaderSizeNot32", Patched(kGood, 4, 36)},
        TMalformedCase{"TypeNotRectangles", Patched(kGood, 8, 2)},
        TMalformedCase{"RegionSizeWrong", Patched(kGood, 16, 200)},
        TMalformedCase{"BoundNotTheRectangles", Patched(kGood, 20, 3)},
        TMalformedCase{"BandsOutOfOrder",
                       WellFormedBlock({{0, 5, 4, 6}, {0, 0, 4, 1}}, {0, 0, 4, 6})},
        TMalformedCase{"BandsOverlapping",
                       WellFormedBlock({{0, 0, 4, 3}, {0, 2, 4, 5}}, {0, 0, 4, 5})},
        TMalformedCase{"RectanglesOfABandUnsorted",
                       WellFormedBlock({{5, 0, 8, 1}, {0, 0, 2, 1}}, {0, 0, 8, 1})},
        TMalformedCase{"RectanglesOfABandWithDifferentRows",
                       WellFormedBlock({{0, 0, 2, 1}, {5, 0, 8, 2}}, {0, 0, 8, 2})},
        TMalformedCase{"EmptyRectangle", WellFormedBlock({{3, 0, 3, 1}}, {3, 0, 3, 1})}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
