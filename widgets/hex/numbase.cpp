#include "widgets/hex/numbase.h"

#include <limits>

#include "widgets/hex/strutil.h"

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

uint64_t ParseHex(std::string_view text) {
    uint64_t value = 0;
    for (char c : text) {
        int digit = HexDigitValue(c);
        if (digit >= 0) value = (value << 4) | uint64_t(digit);
    }
    return value;
}

int64_t ParseNumber(std::string_view text) {
    text = SkipWhiteSpace(text);
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return int64_t(ParseHex(text.substr(2)));
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Accumulated as a negative number, whose range is the larger one.
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        int digit = text[i] - '0';
        if (value < (kMin + digit) / 10) {
            value = kMin;
        } else {
            value = value * 10 - digit;
        }
    }
    if (negative) return value;
    return value == kMin ? std::numeric_limits<int64_t>::max() : -value;
}

std::vector<uint8_t> ParseByteString(std::string_view text) {
    std::vector<uint8_t> bytes;
    int pending = -1;
    for (char c : SkipWhiteSpace(text)) {
        int digit = HexDigitValue(c);
        if (digit < 0) {
            if (pending >= 0) bytes.push_back(uint8_t(pending));
            pending = -1;
        } else if (pending < 0) {
            pending = digit;
        } else {
            bytes.push_back(uint8_t(pending * 16 + digit));
            pending = -1;
        }
    }
    if (pending >= 0) bytes.push_back(uint8_t(pending));
    return bytes;
}

std::vector<uint8_t> NumberBytes(int64_t value) {
    size_t count = 8;
    if (value >= 0) {
        if (value < 0x100) {
            count = 1;
        } else if (value < 0x10000) {
            count = 2;
        } else if (value <= 0xFFFFFFFFLL) {
            count = 4;
        }
    } else if (value >= -0x80) {
        count = 1;
    } else if (value >= -0x8000) {
        count = 2;
    } else if (value >= -0x80000000LL) {
        count = 4;
    }
    std::vector<uint8_t> bytes(count);
    auto bits = uint64_t(value);
    for (size_t k = count; k-- > 0; bits >>= 8)
        bytes[k] = uint8_t(bits & 0xFF);
    return bytes;
}

std::optional<std::vector<uint8_t>> SearchNumberBytes(std::string_view text) {
    text = SkipWhiteSpace(text);
    uint64_t value = 0;
    bool negative = false;
    auto fits = [](uint64_t v, int bits) { return bits == 64 || v < (uint64_t(1) << bits); };
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        // Every hexadecimal digit counts, the others are skipped, as in ParseHex.
        for (char c : text.substr(2)) {
            int digit = HexDigitValue(c);
            if (digit < 0) continue;
            if (value >> 60) return std::nullopt;
            value = (value << 4) | uint64_t(digit);
        }
    } else {
        size_t i = 0;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            uint64_t digit = uint64_t(text[i] - '0');
            if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
            value = value * 10 + digit;
        }
        if (negative) {
            if (value > (uint64_t(1) << 63)) return std::nullopt;
            return NumberBytes(int64_t(0 - value));
        }
    }
    size_t count = fits(value, 8) ? 1 : fits(value, 16) ? 2 : fits(value, 32) ? 4 : 8;
    std::vector<uint8_t> bytes(count);
    for (size_t k = count; k-- > 0; value >>= 8)
        bytes[k] = uint8_t(value & 0xFF);
    return bytes;
}
