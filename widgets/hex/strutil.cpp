#include "widgets/hex/strutil.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view SkipWhiteSpace(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsWhiteSpace(text[i]))
        ++i;
    return text.substr(i);
}

void TrimTrailingWhiteSpace(std::string& text) {
    size_t end = text.size();
    while (end > 0 && IsWhiteSpace(text[end - 1]))
        --end;
    text.resize(end);
}

std::string TrimWhiteSpace(std::string_view text) {
    std::string trimmed(SkipWhiteSpace(text));
    TrimTrailingWhiteSpace(trimmed);
    return trimmed;
}

int64_t FindBytes(const uint8_t* data, size_t size, size_t from, const uint8_t* pattern,
                  size_t length) {
    if (length == 0 || from >= size || size - from < length) return -1;
#ifdef _WIN32
    // The Windows C library has no memmem.
    const uint8_t* end = data + size;
    const uint8_t* found = std::search(
        data + from, end, std::boyer_moore_horspool_searcher(pattern, pattern + length));
    const void* hit = found == end ? nullptr : found;
#else
    const void* hit = ::memmem(data + from, size - from, pattern, length);
#endif
    return hit ? int64_t(static_cast<const uint8_t*>(hit) - data) : -1;
}

namespace {

bool IsLetter(uint8_t c) {
    return FoldCase(c) >= 'a' && FoldCase(c) <= 'z';
}
uint8_t UpperCase(uint8_t c) {
    return c >= 'a' && c <= 'z' ? uint8_t(c - 32) : c;
}

// Whether the bytes at text match the folded pattern between its first and last byte (the
// scan has compared those two already).
bool MiddleMatches(const uint8_t* text, const uint8_t* folded, size_t length) {
    for (size_t k = 1; k + 1 < length; ++k)
        if (FoldCase(text[k]) != folded[k]) return false;
    return true;
}

}  // namespace

int64_t FindBytesNoCase(const uint8_t* data, size_t size, size_t from, const uint8_t* pattern,
                        size_t length) {
    if (length == 0 || from >= size || size - from < length) return -1;
    bool letters = false;
    for (size_t k = 0; k < length && !letters; ++k)
        letters = IsLetter(pattern[k]);
    if (!letters) return FindBytes(data, size, from, pattern, length);

    // The folded pattern, on the stack for the usual short patterns.
    uint8_t small[64];
    std::vector<uint8_t> large;
    uint8_t* folded = small;
    if (length > sizeof small) {
        large.resize(length);
        folded = large.data();
    }
    for (size_t k = 0; k < length; ++k)
        folded[k] = FoldCase(pattern[k]);

    // Candidates are whole blocks of positions whose first and last byte both match in
    // either case; only those are compared in full.
    const uint8_t first = folded[0], last = folded[length - 1];
    const size_t lastCandidate = size - length;
    size_t i = from;
#if defined(__SSE2__)
    const __m128i firstLow = _mm_set1_epi8(char(first)),
                  firstHigh = _mm_set1_epi8(char(UpperCase(first)));
    const __m128i lastLow = _mm_set1_epi8(char(last)),
                  lastHigh = _mm_set1_epi8(char(UpperCase(last)));
    for (; i + 15 <= lastCandidate; i += 16) {
        __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + length - 1));
        __m128i both = _mm_and_si128(
            _mm_or_si128(_mm_cmpeq_epi8(head, firstLow), _mm_cmpeq_epi8(head, firstHigh)),
            _mm_or_si128(_mm_cmpeq_epi8(tail, lastLow), _mm_cmpeq_epi8(tail, lastHigh)));
        unsigned mask = unsigned(_mm_movemask_epi8(both));
        while (mask) {
            size_t candidate = i + size_t(__builtin_ctz(mask));
            if (MiddleMatches(data + candidate, folded, length)) return int64_t(candidate);
            mask &= mask - 1;
        }
    }
#endif
    for (; i <= lastCandidate; ++i)
        if (FoldCase(data[i]) == first && FoldCase(data[i + length - 1]) == last &&
            MiddleMatches(data + i, folded, length))
            return int64_t(i);
    return -1;
}
