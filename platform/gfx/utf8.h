// UTF-8 decoding for drawing and measuring text.
//
// Text reaches the canvas from anywhere (profile files, the registry, the command line)
// and need not be valid UTF-8. A byte that does not begin a well-formed sequence (a stray
// continuation byte, a truncated or overlong sequence, a surrogate, a value above
// U+10FFFF) stands for the Latin-1 character of the same value and decoding goes on with
// the next byte, so every string decodes, nothing is skipped and nothing reads past the
// end.
#pragma once

#include <cstddef>
#include <string_view>

// The code point that starts at text[pos]; pos moves past it. pos must be < text.size().
inline char32_t NextCodePoint(std::string_view text, size_t& pos) {
    auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    auto single = [&]() {
        ++pos;
        return char32_t(lead);
    };
    if (lead < 0x80) return single();
    size_t length;
    char32_t cp, least;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
        least = 0x10000;
    } else {
        return single();
    }
    if (text.size() - pos < length) return single();
    for (size_t i = 1; i < length; ++i) {
        unsigned char next = byte(pos + i);
        if ((next & 0xC0) != 0x80) return single();
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return single();
    pos += length;
    return cp;
}

// Calls fn(codePoint) for every code point of text, in order.
template <typename Fn>
void ForEachCodePoint(std::string_view text, Fn&& fn) {
    for (size_t pos = 0; pos < text.size();)
        fn(NextCodePoint(text, pos));
}
