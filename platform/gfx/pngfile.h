// PNG files, written through libpng: screenshots and rendered windows; read from files
// and from file images in memory (the larger sets of the clock's pictures).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class TBitmap;

// Writes a 24-bit bitmap as an RGB PNG. Returns false when the file cannot be written.
bool SavePng(const std::string& path, const TBitmap& bitmap);

// Writes an RGBA PNG: the colours of bitmap with alpha[y * width + x] as each pixel's
// opacity (0 transparent, 255 opaque). alpha must hold width x height entries.
bool SavePngWithAlpha(const std::string& path, const TBitmap& bitmap,
                      const std::vector<uint8_t>& alpha);

// Reads a PNG into a 24-bit bitmap (alpha dropped) and, when alpha is given, its
// opacities. Returns false for anything that is not a readable PNG.
bool LoadPng(const std::string& path, TBitmap& bitmap, std::vector<uint8_t>* alpha = nullptr);

// The same from a whole PNG file image in memory.
bool ReadPng(std::span<const uint8_t> file, TBitmap& bitmap, std::vector<uint8_t>* alpha = nullptr);
