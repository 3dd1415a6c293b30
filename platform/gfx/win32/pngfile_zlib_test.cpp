// PNG files written and read with zlib on Windows.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/pngfile.h"

namespace {

class PngTest : public ::testing::Test {
protected:
    void TearDown() override { std::remove(path_.c_str()); }
    static TBitmap Picture() {
        TBitmap bitmap(7, 5);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                bitmap.SetPixel(x, y, RGB(x * 30, y * 50, (x * y) % 256));
        return bitmap;
    }
    std::string path_ = ::testing::TempDir() + "zentick-png-test.png";
};

TEST_F(PngTest, RgbRoundTrips) {
    TBitmap picture = Picture();
    ASSERT_TRUE(SavePng(path_, picture));
    TBitmap read;
    std::vector<uint8_t> alpha;
    ASSERT_TRUE(LoadPng(path_, read, &alpha));
    ASSERT_EQ(read.Width(), 7);
    ASSERT_EQ(read.Height(), 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(read.Pixel(x, y), picture.Pixel(x, y));
    EXPECT_EQ(alpha, std::vector<uint8_t>(35, 255));
}

TEST_F(PngTest, AlphaRoundTrips) {
    std::vector<uint8_t> alpha(35);
    for (size_t i = 0; i < alpha.size(); ++i)
        alpha[i] = uint8_t(i * 7);
    ASSERT_TRUE(SavePngWithAlpha(path_, Picture(), alpha));
    TBitmap read;
    std::vector<uint8_t> got;
    ASSERT_TRUE(LoadPng(path_, read, &got));
    EXPECT_EQ(got, alpha);
}

TEST_F(PngTest, DamagedFilesAreRefused) {
    ASSERT_TRUE(SavePng(path_, Picture()));
    std::string bytes;
    {
        std::ifstream in(path_, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    for (size_t at : {size_t(20), bytes.size() / 2, bytes.size() - 13}) {
        std::string damaged = bytes;
        damaged[at] = char(damaged[at] ^ 0x55);
        std::ofstream(path_, std::ios::binary | std::ios::trunc) << damaged;
        TBitmap read;
        EXPECT_FALSE(LoadPng(path_, read)) << "byte " << at;
    }
    std::ofstream(path_, std::ios::binary | std::ios::trunc) << bytes.substr(0, bytes.size() / 2);
    TBitmap read;
    EXPECT_FALSE(LoadPng(path_, read));
}

TEST_F(PngTest, EmptyBitmapsAndMismatchedAlphaAreNotWritten) {
    EXPECT_FALSE(SavePng(path_, TBitmap()));
    EXPECT_FALSE(SavePngWithAlpha(path_, Picture(), std::vector<uint8_t>(3)));
}

}  // namespace
