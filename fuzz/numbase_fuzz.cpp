// Feeds arbitrary text to what the hex editor's Find reads (ParseNumber, ParseHex,
// ParseByteString, NumberBytes, SearchNumberBytes) and to its byte searches, checking each against
// a plain reference written from the documented rules.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "widgets/hex/numbase.h"
#include "widgets/hex/strutil.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool Space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int Digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

uint64_t ReferenceHex(std::string_view text) {
    uint64_t value = 0;
    for (char c : text)
        if (Digit(c) >= 0) value = value * 16 + uint64_t(Digit(c));
    return value;
}

int64_t ReferenceNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && Space(text[i]))
        ++i;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X'))
        return int64_t(ReferenceHex(text.substr(i + 2)));
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    __int128 value = 0;
    const __int128 limit = __int128(std::numeric_limits<int64_t>::max()) + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min(limit, value * 10 + (text[i] - '0'));
    if (negative) return int64_t(-value);
    return int64_t(std::min(value, limit - 1));
}

std::vector<uint8_t> ReferenceBytes(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && Space(text[i]))
        ++i;
    std::vector<uint8_t> bytes;
    int pending = -1;
    for (; i < text.size(); ++i) {
        const int d = Digit(text[i]);
        if (d < 0) {
            if (pending >= 0) bytes.push_back(uint8_t(pending));
            pending = -1;
        } else if (pending < 0) {
            pending = d;
        } else {
            bytes.push_back(uint8_t(pending * 16 + d));
            pending = -1;
        }
    }
    if (pending >= 0) bytes.push_back(uint8_t(pending));
    return bytes;
}

int64_t ReferenceFind(const uint8_t* data, size_t size, size_t from, const uint8_t* pattern,
                      size_t length, bool noCase) {
    if (length == 0) return -1;
    for (size_t i = from; i + length <= size; ++i) {
        size_t k = 0;
        while (k < length &&
               (noCase ? FoldCase(data[i + k]) == FoldCase(pattern[k]) : data[i + k] == pattern[k]))
            ++k;
        if (k == length) return int64_t(i);
    }
    return -1;
}

// The number a search looks for, over the whole 64 bits, or false beyond them.
bool ReferenceSearchNumber(std::string_view text, __int128& value) {
    size_t i = 0;
    while (i < text.size() && Space(text[i]))
        ++i;
    value = 0;
    const __int128 top = __int128(1) << 64;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        for (char c : text.substr(i + 2)) {
            if (Digit(c) < 0) continue;
            value = value * 16 + Digit(c);
            if (value >= top) return false;
        }
        return true;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value >= top) return false;
    }
    if (negative) {
        if (value > (__int128(1) << 63)) return false;
        value = -value;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Check(ParseHex(text) == ReferenceHex(text));
    const int64_t number = ParseNumber(text);
    Check(number == ReferenceNumber(text));
    Check(ParseByteString(text) == ReferenceBytes(text));

    // The fewest big-endian bytes of 1, 2, 4 or 8 that give the number back, sign-extended.
    const std::vector<uint8_t> bytes = NumberBytes(number);
    Check(bytes.size() == 1 || bytes.size() == 2 || bytes.size() == 4 || bytes.size() == 8);
    uint64_t back = (bytes[0] & 0x80) && number < 0 ? ~uint64_t(0) : 0;
    for (uint8_t b : bytes)
        back = back << 8 | b;
    Check(int64_t(back) == number);
    if (bytes.size() > 1) {
        const int64_t half = int64_t(1) << (4 * bytes.size() - 1);  // range of the next size down
        Check(number >= 0 ? number >= 2 * half : number < -half);
    }

    // A number to search for: its bytes read back as the number, big-endian (negative ones
    // sign-extended), in the fewest of 1, 2, 4 or 8 that hold it; nothing beyond 64 bits.
    __int128 wanted = 0;
    const std::optional<std::vector<uint8_t>> search = SearchNumberBytes(text);
    Check(search.has_value() == ReferenceSearchNumber(text, wanted));
    if (search) {
        const size_t n = search->size();
        Check(n == 1 || n == 2 || n == 4 || n == 8);
        __int128 read = 0;
        for (uint8_t b : *search)
            read = read * 256 + b;
        if (wanted < 0) read -= __int128(1) << (8 * n);
        Check(read == wanted);
        if (n > 1) {
            const __int128 below = __int128(1) << (4 * n);  // what the next size down holds
            Check(wanted < 0 ? wanted < -below / 2 : wanted >= below);
        }
    }

    // Searches: the first byte gives the pattern's length and the start, the rest is split
    // into pattern and data.
    if (size >= 2) {
        const size_t length = std::min<size_t>(data[0] % 24, size - 1);
        const uint8_t* pattern = data + 1;
        const uint8_t* hay = data + 1 + length;
        const size_t haySize = size - 1 - length;
        const size_t from = haySize == 0 ? 0 : data[0] / 24 % (haySize + 1);
        Check(FindBytes(hay, haySize, from, pattern, length) ==
              ReferenceFind(hay, haySize, from, pattern, length, false));
        Check(FindBytesNoCase(hay, haySize, from, pattern, length) ==
              ReferenceFind(hay, haySize, from, pattern, length, true));
    }
    return 0;
}
