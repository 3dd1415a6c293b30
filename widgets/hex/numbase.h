// Numbase: how the hex editor reads numbers and byte strings that the user types.
//
// ParseHex shifts in every hexadecimal digit of a text (value * 16 + digit, in 64 bits,
// the oldest digits falling off the top) and skips every other character: "1F:20" and
// "1f20" both give 0x1F20.
//
// ParseNumber reads a number: after leading white space, "0x" or "0X" introduces a
// hexadecimal parse of the rest; otherwise a decimal integer with an optional sign, read
// up to the first character that is not a digit (as atol does), saturating at the limits
// of 64 bits instead of overflowing. A text without digits gives 0.
//
// ParseByteString reads a byte string: after leading white space it takes hexadecimal
// digits in pairs; any other character ends the byte in progress, and a single pending
// digit makes a byte by itself. "41 42 43" and "414243" give 41 42 43, "4 41" gives
// 04 41, "abc" gives AB 0C.
//
// NumberBytes turns a number into the big-endian bytes the editor searches for: the
// fewest of 1, 2, 4 or 8 bytes that hold it, negative numbers in two's complement (-1 is
// FF, -200 is FF 38).
//
// SearchNumberBytes reads a number to search for the same way as ParseNumber (a decimal
// integer with an optional sign, or hexadecimal after "0x"), but over the whole range of
// 64 bits: 0 to 18446744073709551615 (0xFFFFFFFFFFFFFFFF) and down to
// -9223372036854775808. Its bytes are the fewest of 1, 2, 4 or 8 that hold it (positive
// numbers unsigned: 0xFFFFFFFFFFFFFFFF is eight FF bytes, 0xFF one). A number beyond that
// range gives nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

int HexDigitValue(char c);  // 0-15, or -1 for a character that is no hexadecimal digit
uint64_t ParseHex(std::string_view text);
int64_t ParseNumber(std::string_view text);
std::vector<uint8_t> ParseByteString(std::string_view text);
std::vector<uint8_t> NumberBytes(int64_t value);
std::optional<std::vector<uint8_t>> SearchNumberBytes(std::string_view text);
