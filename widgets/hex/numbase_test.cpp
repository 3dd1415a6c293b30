#include "widgets/hex/numbase.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

TEST(ByteString, DigitsPairUpAndAnythingElseEndsAByte) {
    struct Case {
        const char* text;
        Bytes bytes;
    };
    const Case cases[] = {
        {"41 42 43", {0x41, 0x42, 0x43}},
        {"414243", {0x41, 0x42, 0x43}},
        {"4 41", {0x04, 0x41}},
        {"abc", {0xAB, 0x0C}},
        {"  0d 0a", {0x0D, 0x0A}},
        {"0D,0A;ff", {0x0D, 0x0A, 0xFF}},
        {"1 2 3", {0x01, 0x02, 0x03}},
        {"zz", {}},
        {"", {}},
        {"   ", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseByteString(c.text), c.bytes) << c.text;
}

TEST(Numbers, HexAfter0xAndDecimalOtherwiseSaturatingInsteadOfOverflowing) {
    EXPECT_EQ(ParseNumber("0x4142"), 0x4142);
    EXPECT_EQ(ParseNumber("0XfF"), 255);
    EXPECT_EQ(ParseNumber("  16706"), 16706);
    EXPECT_EQ(ParseNumber("-200"), -200);
    EXPECT_EQ(ParseNumber("12abc"), 12);
    EXPECT_EQ(ParseNumber("abc"), 0);
    EXPECT_EQ(ParseNumber("99999999999999999999999"), INT64_MAX);
    EXPECT_EQ(ParseNumber("-99999999999999999999999"), INT64_MIN);
    EXPECT_EQ(ParseHex("1F:20"), 0x1F20u);
    EXPECT_EQ(ParseHex("g"), 0u);
}

TEST(Numbers, BecomeTheFewestBigEndianBytesThatHoldThem) {
    struct Case {
        int64_t value;
        Bytes bytes;
    };
    const Case cases[] = {
        {0, {0x00}},
        {255, {0xFF}},
        {256, {0x01, 0x00}},
        {65535, {0xFF, 0xFF}},
        {65536, {0x00, 0x01, 0x00, 0x00}},
        {0xFFFFFFFFLL, {0xFF, 0xFF, 0xFF, 0xFF}},
        {0x100000000LL, {0, 0, 0, 1, 0, 0, 0, 0}},
        {-1, {0xFF}},
        {-128, {0x80}},
        {-200, {0xFF, 0x38}},
        {-40000, {0xFF, 0xFF, 0x63, 0xC0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NumberBytes(c.value), c.bytes) << c.value;
}

}  // namespace
