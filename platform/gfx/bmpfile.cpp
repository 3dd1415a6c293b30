#include "platform/gfx/bmpfile.h"

#include <cstring>
#include <limits>

#include "platform/gfx/bitmap.h"
#include "platform/sysutils.h"

namespace {

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_BITFIELDS = 3;

uint32_t U32(std::span<const uint8_t> d, size_t at) {
    return uint32_t(d[at]) | uint32_t(d[at + 1]) << 8 | uint32_t(d[at + 2]) << 16 |
           uint32_t(d[at + 3]) << 24;
}
uint16_t U16(std::span<const uint8_t> d, size_t at) {
    return uint16_t(d[at] | d[at + 1] << 8);
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

[[noreturn]] void Bad(const char* why) {
    throw EInvalidGraphic(std::string("Invalid bitmap: ") + why);
}

}  // namespace

void ReadBmp(std::span<const uint8_t> file, TBitmap& bitmap) {
    if (file.size() < 14 + 12) Bad("file too short");
    if (file[0] != 'B' || file[1] != 'M') Bad("no BM signature");
    uint32_t pixelOffset = U32(file, 10);
    uint32_t headerSize = U32(file, 14);
    if (headerSize < 12 || 14 + uint64_t(headerSize) > file.size()) Bad("header truncated");

    int64_t width, height;
    uint32_t bits, compression = BI_RGB, colorsUsed = 0;
    size_t paletteEntrySize = 4;
    if (headerSize == 12) {  // the old core header
        width = U16(file, 18);
        height = int16_t(U16(file, 20));
        bits = U16(file, 24);
        paletteEntrySize = 3;
    } else {
        if (headerSize < 40) Bad("unknown header");
        width = int32_t(U32(file, 18));
        height = int32_t(U32(file, 22));
        if (U16(file, 26) != 1) Bad("planes must be 1");
        bits = U16(file, 28);
        compression = U32(file, 30);
        colorsUsed = U32(file, 46);
    }
    bool topDown = height < 0;
    if (topDown) height = -height;
    if (width <= 0 || height <= 0) Bad("empty picture");
    if (width > 32768 || height > 32768) Bad("picture too large");
    if (!(bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32))
        Bad("unsupported depth");
    if (compression != BI_RGB && !(compression == BI_BITFIELDS && bits == 32)) Bad("compressed");

    std::vector<TRGBQuad> palette;
    if (bits <= 8) {
        size_t count = colorsUsed ? colorsUsed : size_t(1) << bits;
        if (count > (size_t(1) << bits)) Bad("palette too large");
        size_t at = 14 + headerSize;
        if (headerSize == 40 && compression == BI_BITFIELDS) at += 12;
        if (at + count * paletteEntrySize > file.size()) Bad("palette truncated");
        palette.resize(size_t(1) << bits);
        for (size_t i = 0; i < count; ++i) {
            const uint8_t* q = &file[at + i * paletteEntrySize];
            palette[i] = TRGBQuad{q[0], q[1], q[2], 0};
        }
    }

    size_t stride = size_t(BitmapStride(int(width), int(bits)));
    if (pixelOffset > file.size() || file.size() - pixelOffset < stride * size_t(height))
        Bad("pixels truncated");

    TPixelFormat format = bits == 1 ? pf1bit : bits <= 8 ? pf8bit : pf24bit;
    TBitmap result(int(width), int(height), format);
    if (format != pf24bit) result.SetPalette(palette);
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* src = &file[pixelOffset + stride * size_t(topDown ? y : height - 1 - y)];
        uint8_t* dst = result.ScanLine(int(y));
        switch (bits) {
            case 1:
            case 8:
                std::memcpy(dst, src, size_t(result.Stride()));
                break;
            case 4:
                for (int64_t x = 0; x < width; ++x)
                    dst[x] = (src[x / 2] >> (x % 2 ? 0 : 4)) & 0xF;
                break;
            case 24:
                std::memcpy(dst, src, size_t(width) * 3);
                break;
            case 32:
                for (int64_t x = 0; x < width; ++x)
                    std::memcpy(dst + 3 * x, src + 4 * x, 3);
                break;
        }
    }
    bitmap = result;
}

std::vector<uint8_t> WriteBmp(const TBitmap& bitmap, bool topDown) {
    int bits = bitmap.BitsPerPixel();
    int width = bitmap.Width(), height = bitmap.Height();
    uint32_t paletteBytes = bits <= 8 ? uint32_t(4u << bits) : 0;
    uint32_t stride = uint32_t(BitmapStride(width, bits));
    uint32_t imageSize = stride * uint32_t(height);
    uint32_t offset = 14 + 40 + paletteBytes;

    std::vector<uint8_t> out;
    out.reserve(offset + imageSize);
    out.push_back('B');
    out.push_back('M');
    Put32(out, offset + imageSize);
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, 40);
    Put32(out, uint32_t(width));
    Put32(out, uint32_t(topDown ? -height : height));
    Put16(out, 1);
    Put16(out, uint16_t(bits));
    Put32(out, BI_RGB);
    Put32(out, imageSize);
    Put32(out, 2835);  // 72 dpi
    Put32(out, 2835);
    Put32(out, bits <= 8 ? (1u << bits) : 0);
    Put32(out, 0);
    if (bits <= 8) {
        for (int i = 0; i < (1 << bits); ++i) {
            TRGBQuad q =
                size_t(i) < bitmap.Palette().size() ? bitmap.Palette()[size_t(i)] : TRGBQuad{};
            out.push_back(q.rgbBlue);
            out.push_back(q.rgbGreen);
            out.push_back(q.rgbRed);
            out.push_back(0);
        }
    }
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = bitmap.ScanLine(topDown ? y : height - 1 - y);
        out.insert(out.end(), row, row + stride);
    }
    return out;
}
