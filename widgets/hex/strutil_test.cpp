#include "widgets/hex/strutil.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

TEST(WhiteSpace, IsTrimmedAtBothEnds) {
    EXPECT_EQ(TrimWhiteSpace(" \t abc def\r\n"), "abc def");
    EXPECT_EQ(TrimWhiteSpace("\n\v\f"), "");
    EXPECT_EQ(SkipWhiteSpace("  x "), "x ");
    std::string s = "x \t";
    TrimTrailingWhiteSpace(s);
    EXPECT_EQ(s, "x");
}

// The plain definition of the case-insensitive search, for comparison.
int64_t NaiveFindNoCase(const std::vector<uint8_t>& data, size_t from,
                        const std::vector<uint8_t>& p) {
    if (p.empty()) return -1;
    for (size_t i = from; i + p.size() <= data.size(); ++i) {
        size_t k = 0;
        while (k < p.size() && FoldCase(data[i + k]) == FoldCase(p[k]))
            ++k;
        if (k == p.size()) return int64_t(i);
    }
    return -1;
}

TEST(Search, CaseInsensitiveScanAgreesWithThePlainDefinition) {
    // A small alphabet makes many near misses, at every place of the 16-byte blocks the
    // scan works in and right up to the end of the data.
    std::mt19937 rng(7);
    const std::string alphabet = "aAbB\xC1\xE1";
    for (int round = 0; round < 400; ++round) {
        std::vector<uint8_t> data(size_t(rng() % 90));
        for (auto& b : data)
            b = uint8_t(alphabet[rng() % alphabet.size()]);
        std::vector<uint8_t> pattern(1 + rng() % 5);
        for (auto& b : pattern)
            b = uint8_t(alphabet[rng() % alphabet.size()]);
        size_t from = data.empty() ? 0 : rng() % (data.size() + 1);
        EXPECT_EQ(FindBytesNoCase(data.data(), data.size(), from, pattern.data(), pattern.size()),
                  NaiveFindNoCase(data, from, pattern))
            << "round " << round;
    }
}

TEST(Search, FindsMatchesAtTheEdgesAndLongPatterns) {
    std::string text(100, '.');
    text.replace(0, 3, "Abc");
    text.replace(97, 3, "xYz");
    auto data = reinterpret_cast<const uint8_t*>(text.data());
    auto find = [&](const std::string& p, size_t from, bool noCase) {
        auto pattern = reinterpret_cast<const uint8_t*>(p.data());
        return noCase ? FindBytesNoCase(data, text.size(), from, pattern, p.size())
                      : FindBytes(data, text.size(), from, pattern, p.size());
    };
    EXPECT_EQ(find("aBC", 0, true), 0);
    EXPECT_EQ(find("Abc", 0, false), 0);
    EXPECT_EQ(find("abc", 0, false), -1);
    EXPECT_EQ(find("XYZ", 0, true), 97);
    EXPECT_EQ(find("xYz", 97, false), 97);
    EXPECT_EQ(find("xYz", 98, false), -1);
    EXPECT_EQ(find("", 0, true), -1);
    EXPECT_EQ(find(".", 100, true), -1);
    std::string longPattern = "ABC" + std::string(90, '.');
    EXPECT_EQ(find(longPattern, 0, true), 0);
    EXPECT_EQ(find(longPattern + ".......X", 0, true), -1);
}

}  // namespace
