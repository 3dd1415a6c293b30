// PNG files on Windows, written and read with zlib (the system has no libpng).
//
// Writing: 8-bit RGB or RGBA, no interlacing, every row with filter 0, the image data in
// one IDAT chunk. Reading: 8-bit greyscale, grey with alpha, RGB, RGBA and palette images
// (with a tRNS chunk for palette transparency), not interlaced, with every row filter;
// anything else is refused. Chunk CRCs are checked.
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/pngfile.h"

namespace {

constexpr std::array<uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr uint32_t kMaxSide = 1u << 15;

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(v >> shift));
}

uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    Put32(out, uint32_t(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0, out.data() + start, uInt(out.size() - start));
    Put32(out, uint32_t(crc));
}

bool Write(const std::string& path, const TBitmap& bitmap, const std::vector<uint8_t>* alpha) {
    const int width = bitmap.Width(), height = bitmap.Height();
    if (width <= 0 || height <= 0) return false;
    if (alpha && alpha->size() != size_t(width) * size_t(height)) return false;
    const size_t channels = alpha ? 4 : 3;
    const size_t rowBytes = 1 + size_t(width) * channels;
    std::vector<uint8_t> raw(rowBytes * size_t(height));
    for (int y = 0; y < height; ++y) {
        uint8_t* row = raw.data() + size_t(y) * rowBytes;
        *row++ = 0;  // no filter
        for (int x = 0; x < width; ++x) {
            TColor c = bitmap.Pixel(x, y);
            *row++ = GetRValue(c);
            *row++ = GetGValue(c);
            *row++ = GetBValue(c);
            if (alpha) *row++ = (*alpha)[size_t(y) * size_t(width) + size_t(x)];
        }
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 6) != Z_OK)
        return false;
    packed.resize(packedSize);

    std::vector<uint8_t> file(kSignature.begin(), kSignature.end());
    std::vector<uint8_t> header;
    Put32(header, uint32_t(width));
    Put32(header, uint32_t(height));
    header.insert(header.end(), {8, uint8_t(alpha ? 6 : 2), 0, 0, 0});
    PutChunk(file, "IHDR", header);
    PutChunk(file, "IDAT", packed);
    PutChunk(file, "IEND", {});
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    out.flush();
    return bool(out);
}

int Paeth(int a, int b, int c) {
    int p = a + b - c;
    int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

// Undoes the row filters in place; bpp is the bytes of one pixel.
bool Unfilter(std::vector<uint8_t>& data, size_t rowBytes, uint32_t height, size_t bpp) {
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = data.data() + size_t(y) * (rowBytes + 1);
        const uint8_t* prior = y > 0 ? row - (rowBytes + 1) + 1 : nullptr;
        const uint8_t filter = row[0];
        uint8_t* px = row + 1;
        for (size_t i = 0; i < rowBytes; ++i) {
            int a = i >= bpp ? px[i - bpp] : 0;
            int b = prior ? prior[i] : 0;
            int c = prior && i >= bpp ? prior[i - bpp] : 0;
            switch (filter) {
                case 0:
                    break;
                case 1:
                    px[i] = uint8_t(px[i] + a);
                    break;
                case 2:
                    px[i] = uint8_t(px[i] + b);
                    break;
                case 3:
                    px[i] = uint8_t(px[i] + (a + b) / 2);
                    break;
                case 4:
                    px[i] = uint8_t(px[i] + Paeth(a, b, c));
                    break;
                default:
                    return false;
            }
        }
    }
    return true;
}

}  // namespace

bool SavePng(const std::string& path, const TBitmap& bitmap) {
    return Write(path, bitmap, nullptr);
}

bool SavePngWithAlpha(const std::string& path, const TBitmap& bitmap,
                      const std::vector<uint8_t>& alpha) {
    return Write(path, bitmap, &alpha);
}

bool LoadPng(const std::string& path, TBitmap& bitmap, std::vector<uint8_t>* alpha) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    return ReadPng(file, bitmap, alpha);
}

bool ReadPng(std::span<const uint8_t> file, TBitmap& bitmap, std::vector<uint8_t>* alpha) {
    if (file.size() < kSignature.size() ||
        !std::equal(kSignature.begin(), kSignature.end(), file.begin()))
        return false;
    uint32_t width = 0, height = 0;
    uint8_t colorType = 0;
    bool haveHeader = false, ended = false;
    std::vector<uint8_t> packed, palette, paletteAlpha;
    size_t at = kSignature.size();
    while (!ended) {
        if (file.size() - at < 12) return false;
        const uint32_t length = Get32(&file[at]);
        if (length > file.size() - at - 12) return false;
        const uint8_t* type = &file[at + 4];
        const uint8_t* data = type + 4;
        if (uint32_t(crc32(0, type, length + 4)) != Get32(data + length)) return false;
        const std::string name(reinterpret_cast<const char*>(type), 4);
        if (name == "IHDR") {
            if (length != 13) return false;
            width = Get32(data);
            height = Get32(data + 4);
            colorType = data[9];
            // 8 bits a sample, deflate, standard filters, no interlacing.
            if (data[8] != 8 || data[10] != 0 || data[11] != 0 || data[12] != 0) return false;
            if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return false;
            haveHeader = true;
        } else if (name == "PLTE") {
            palette.assign(data, data + length);
        } else if (name == "tRNS") {
            paletteAlpha.assign(data, data + length);
        } else if (name == "IDAT") {
            packed.insert(packed.end(), data, data + length);
        } else if (name == "IEND") {
            ended = true;
        }
        at += size_t(length) + 12;
    }
    if (!haveHeader) return false;
    size_t channels;
    switch (colorType) {
        case 0:
            channels = 1;
            break;
        case 2:
            channels = 3;
            break;
        case 3:
            channels = 1;
            break;
        case 4:
            channels = 2;
            break;
        case 6:
            channels = 4;
            break;
        default:
            return false;
    }
    if (colorType == 3 && (palette.empty() || palette.size() % 3 != 0)) return false;
    const size_t rowBytes = size_t(width) * channels;
    std::vector<uint8_t> raw((rowBytes + 1) * size_t(height));
    uLongf rawSize = uLongf(raw.size());
    if (uncompress(raw.data(), &rawSize, packed.data(), uLong(packed.size())) != Z_OK ||
        rawSize != raw.size())
        return false;
    if (!Unfilter(raw, rowBytes, height, channels)) return false;

    TBitmap result(int(width), int(height), pf24bit);
    if (alpha) alpha->assign(size_t(width) * size_t(height), 255);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = raw.data() + size_t(y) * (rowBytes + 1) + 1;
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* p = row + size_t(x) * channels;
            uint8_t r, g, b, a = 255;
            switch (colorType) {
                case 0:
                    r = g = b = p[0];
                    break;
                case 4:
                    r = g = b = p[0];
                    a = p[1];
                    break;
                case 2:
                    r = p[0];
                    g = p[1];
                    b = p[2];
                    break;
                case 6:
                    r = p[0];
                    g = p[1];
                    b = p[2];
                    a = p[3];
                    break;
                default: {
                    const size_t index = p[0];
                    if (index * 3 + 2 >= palette.size()) return false;
                    r = palette[index * 3];
                    g = palette[index * 3 + 1];
                    b = palette[index * 3 + 2];
                    if (index < paletteAlpha.size()) a = paletteAlpha[index];
                }
            }
            result.SetPixel(int(x), int(y), RGB(r, g, b));
            if (alpha) (*alpha)[size_t(y) * size_t(width) + size_t(x)] = a;
        }
    }
    bitmap = result;
    return true;
}
