// Strutil: white space and byte-search helpers of the hex editor.
//
// White space is the C locale's: space, tab, line feed, vertical tab, form feed and
// carriage return. SkipWhiteSpace skips it at the start of a text, TrimTrailingWhiteSpace
// cuts it off the end of a string in place, TrimWhiteSpace does both.
//
// FindBytes and FindBytesNoCase look for a pattern in a block of bytes at memory speed:
// they return the offset of the first match that starts at or after from and ends inside
// the block, or -1. An empty pattern never matches. FindBytes compares bytes exactly
// (memmem); FindBytesNoCase folds the ASCII letters A-Z onto a-z on both sides and
// compares every other byte exactly, without allocating anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

bool IsWhiteSpace(char c);
std::string_view SkipWhiteSpace(std::string_view text);
void TrimTrailingWhiteSpace(std::string& text);
std::string TrimWhiteSpace(std::string_view text);

// ASCII lower case of a byte (only A-Z change).
constexpr uint8_t FoldCase(uint8_t c) {
    return c >= 'A' && c <= 'Z' ? uint8_t(c + 32) : c;
}

int64_t FindBytes(const uint8_t* data, size_t size, size_t from, const uint8_t* pattern,
                  size_t length);
int64_t FindBytesNoCase(const uint8_t* data, size_t size, size_t from, const uint8_t* pattern,
                        size_t length);
