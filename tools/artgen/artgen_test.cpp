#include "tools/artgen/artgen.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "art/clockart.h"
#include "platform/gfx/bmpfile.h"
#include "platform/gfx/pngfile.h"
#include "tools/artgen/backgrounds.h"
#include "tools/artgen/prng.h"
#include "tools/artgen/shade.h"

namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The pictures in art/ and the ones compiled into the program are exactly what the
// generator draws now: change the generator, run artgen into art/, and commit both. The
// design size is compared byte for byte; the larger sets, PNG files whose bytes depend on
// the compressor, pixel for pixel.
TEST(ArtGen, CheckedInAndEmbeddedPicturesMatchTheGenerator) {
    RegisterClockArt();
    EXPECT_EQ(ClockArtIds(), ArtIds());
    EXPECT_EQ(ClockArtFactors(), ArtFactors());
    for (int id : ArtIds()) {
        std::vector<uint8_t> drawn = WriteBmp(DrawArt(id));
        std::vector<uint8_t> file =
            ReadFile(std::string(ZT_ART_DIR) + "/" + std::to_string(id) + ".bmp");
        EXPECT_TRUE(drawn == file) << "art/" << id << ".bmp differs from what artgen draws";
        std::span<const uint8_t> embedded = FindBitmapResource(id);
        EXPECT_TRUE(std::equal(drawn.begin(), drawn.end(), embedded.begin(), embedded.end()))
            << "embedded picture " << id << " differs from what artgen draws";
        for (int factor : ArtFactors()) {
            if (factor == 1) continue;
            const std::string name = std::to_string(factor) + "x/" + std::to_string(id) + ".png";
            const std::vector<uint8_t> drawnPixels = WriteBmp(DrawArt(id, factor));
            TBitmap checkedIn, compiledIn;
            ASSERT_TRUE(LoadPng(std::string(ZT_ART_DIR) + "/" + name, checkedIn)) << name;
            EXPECT_TRUE(WriteBmp(checkedIn) == drawnPixels)
                << "art/" << name << " differs from what artgen draws";
            ASSERT_TRUE(ReadPng(ClockArtFile(id, factor), compiledIn)) << name;
            EXPECT_TRUE(WriteBmp(compiledIn) == drawnPixels)
                << "embedded " << name << " differs from what artgen draws";
        }
    }
}

TEST(ArtGen, DrawingIsRepeatable) {
    for (int id : {48, 55, 62, 66})
        for (int factor : {1, 3})
            EXPECT_TRUE(WriteBmp(DrawArt(id, factor)) == WriteBmp(DrawArt(id, factor))) << id;
}

TEST(ArtGen, UnknownNumberOrFactorIsRefused) {
    EXPECT_THROW(DrawArt(81), std::out_of_range);
    EXPECT_THROW(DrawArt(0), std::out_of_range);
    EXPECT_THROW(DrawArt(55, 0), std::invalid_argument);
}

TEST(ArtGen, PrngIsTheSameSequenceEverywhere) {
    // Pinned values: a change here changes every textured picture.
    TPrng prng(1);
    EXPECT_EQ(prng.Next(), 0x4B46A55DF3611B9Bull);
    EXPECT_EQ(prng.Next(), 0xD7E1F1410E763EF4ull);
    TPrng other(2);
    EXPECT_NE(other.Next(), 0x4B46A55DF3611B9Bull);
    for (int i = 0; i < 1000; ++i) {
        double u = prng.Unit();
        EXPECT_GE(u, 0.0);
        EXPECT_LT(u, 1.0);
        int k = prng.Below(7);
        EXPECT_GE(k, 0);
        EXPECT_LT(k, 7);
    }
}

TEST(ArtGen, NoiseIsSmoothAndBounded) {
    TPrng prng(7);
    TNoise1D noise(prng, 100, 10);
    double previous = noise.At(0);
    for (int i = 1; i <= 1000; ++i) {
        double v = noise.At(i * 0.1);
        EXPECT_GE(v, -1.0);
        EXPECT_LE(v, 1.0);
        EXPECT_LT(std::abs(v - previous), 0.05) << i;
        previous = v;
    }
    EXPECT_EQ(noise.At(-5), noise.At(0));
}

TEST(ArtGen, ColorsRoundAndClamp) {
    EXPECT_EQ(ToColor({254.6, -3, 127.5}), RGB(255, 0, 128));
    EXPECT_EQ(ToColor({0, 0, 0}, 2), RGB(2, 2, 2));
    EXPECT_EQ(ToColor({300, 255, 0}, 1, 254), RGB(254, 254, 1));
}

TEST(ArtGen, OutlinesFollowTheBodyBox) {
    for (int f = 0; f < kBackgroundFormatCount; ++f) {
        const TBackgroundGeometry& g = BackgroundGeometry(TBackgroundFormat(f));
        std::vector<TBodyRow> rows = BodyOutline(TBackgroundFormat(f));
        // Drawn at a factor, the corners follow the design's steps through the finer grid:
        // the middle row of a design row (at an odd factor) has the design's span exactly.
        for (int factor : {2, 3, 4}) {
            std::vector<TBodyRow> fine = BodyOutline(TBackgroundFormat(f), factor);
            ASSERT_EQ(int(fine.size()), g.Height * factor);
            for (int y = g.Top; y <= g.Bottom && factor % 2 == 1; ++y) {
                const TBodyRow& design = rows[size_t(y)];
                const TBodyRow& middle = fine[size_t(y * factor + factor / 2)];
                EXPECT_EQ(middle.Left, design.Left * factor) << f << " row " << y;
                EXPECT_EQ(middle.Right, design.Right * factor + factor - 1) << f << " row " << y;
            }
            EXPECT_EQ(fine[size_t(g.Top * factor)].Right >= fine[size_t(g.Top * factor)].Left,
                      true);
            EXPECT_EQ(
                fine[size_t(g.Top * factor - 1)].Right < fine[size_t(g.Top * factor - 1)].Left,
                true);
        }
        ASSERT_EQ(int(rows.size()), g.Height);
        for (int y = 0; y < g.Height; ++y) {
            bool body = y >= g.Top && y <= g.Bottom;
            EXPECT_EQ(rows[size_t(y)].Right >= rows[size_t(y)].Left, body) << f << " row " << y;
            if (!body) continue;
            EXPECT_GE(rows[size_t(y)].Left, g.Left);
            EXPECT_LE(rows[size_t(y)].Right, g.Right);
        }
        EXPECT_EQ(rows[size_t((g.Top + g.Bottom) / 2)].Left, g.Left) << f;
        EXPECT_EQ(rows[size_t((g.Top + g.Bottom) / 2)].Right, g.Right) << f;
    }
}

}  // namespace
