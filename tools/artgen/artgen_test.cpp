#include "tools/artgen/artgen.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "art/clockart.h"
#include "platform/gfx/bmpfile.h"
#include "tools/artgen/backgrounds.h"
#include "tools/artgen/prng.h"
#include "tools/artgen/shade.h"

namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The pictures in art/ and the ones compiled into the program are exactly what the
// generator draws now: change the generator, run artgen into art/, and commit both.
TEST(ArtGen, CheckedInAndEmbeddedPicturesMatchTheGenerator) {
    RegisterClockArt();
    EXPECT_EQ(ClockArtIds(), ArtIds());
    for (int id : ArtIds()) {
        std::vector<uint8_t> drawn = WriteBmp(DrawArt(id));
        std::vector<uint8_t> file =
            ReadFile(std::string(ZT_ART_DIR) + "/" + std::to_string(id) + ".bmp");
        EXPECT_TRUE(drawn == file) << "art/" << id << ".bmp differs from what artgen draws";
        std::span<const uint8_t> embedded = FindBitmapResource(id);
        EXPECT_TRUE(std::equal(drawn.begin(), drawn.end(), embedded.begin(), embedded.end()))
            << "embedded picture " << id << " differs from what artgen draws";
    }
}

TEST(ArtGen, DrawingIsRepeatable) {
    for (int id : {48, 55, 62, 66})
        EXPECT_TRUE(WriteBmp(DrawArt(id)) == WriteBmp(DrawArt(id))) << id;
}

TEST(ArtGen, UnknownNumberIsRefused) {
    EXPECT_THROW(DrawArt(81), std::out_of_range);
    EXPECT_THROW(DrawArt(0), std::out_of_range);
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
