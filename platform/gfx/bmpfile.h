// The BMP file format: reading 1-, 4-, 8-, 24- and 32-bit uncompressed files, bottom-up
// or top-down; writing 1-, 8- and 24-bit files.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

class TBitmap;

// Reads a whole BMP file image into bitmap. Raises EInvalidGraphic for anything that is
// not a complete, well-formed file; bitmap is then left unchanged.
void ReadBmp(std::span<const uint8_t> file, TBitmap& bitmap);

// The BMP file image of bitmap, bottom-up unless topDown is set.
std::vector<uint8_t> WriteBmp(const TBitmap& bitmap, bool topDown = false);
