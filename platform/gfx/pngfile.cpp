#include "platform/gfx/pngfile.h"

#include <png.h>

#include <cstdio>
#include <memory>

#include "platform/gfx/bitmap.h"

namespace {

struct FileCloser {
    void operator()(FILE* f) const {
        if (f) std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// The pixels as RGB or RGBA rows, top to bottom.
std::vector<uint8_t> PackRows(const TBitmap& bitmap, const std::vector<uint8_t>* alpha) {
    int width = bitmap.Width(), height = bitmap.Height();
    size_t channels = alpha ? 4 : 3;
    std::vector<uint8_t> out(size_t(width) * height * channels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            TColor c = bitmap.Pixel(x, y);
            uint8_t* p = &out[(size_t(y) * width + x) * channels];
            p[0] = GetRValue(c);
            p[1] = GetGValue(c);
            p[2] = GetBValue(c);
            if (alpha) p[3] = (*alpha)[size_t(y) * width + x];
        }
    return out;
}

// Encodes packed rows; libpng reports errors by longjmp, so nothing here lives across it
// but the libpng structures themselves.
bool Encode(FILE* file, const uint8_t* pixels, png_uint_32 width, png_uint_32 height, bool rgba) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, rgba ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (png_uint_32 y = 0; y < height; ++y)
        png_write_row(png, pixels + size_t(y) * width * (rgba ? 4 : 3));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool Write(const std::string& path, const TBitmap& bitmap, const std::vector<uint8_t>* alpha) {
    int width = bitmap.Width(), height = bitmap.Height();
    if (width <= 0 || height <= 0) return false;
    if (alpha && alpha->size() != size_t(width) * height) return false;
    std::vector<uint8_t> pixels = PackRows(bitmap, alpha);
    FilePtr file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    if (!Encode(file.get(), pixels.data(), png_uint_32(width), png_uint_32(height),
                alpha != nullptr))
        return false;
    return std::fflush(file.get()) == 0;
}

}  // namespace

bool SavePng(const std::string& path, const TBitmap& bitmap) {
    return Write(path, bitmap, nullptr);
}

bool SavePngWithAlpha(const std::string& path, const TBitmap& bitmap,
                      const std::vector<uint8_t>& alpha) {
    return Write(path, bitmap, &alpha);
}

namespace {

// Finishes a read begun with one of libpng's png_image_begin_read calls. Without alpha the
// rows are decoded straight into the bitmap's, as blue, green, red.
bool FinishRead(png_image& image, TBitmap& bitmap, std::vector<uint8_t>* alpha) {
    const int width = int(image.width), height = int(image.height);
    if (!alpha) {
        image.format = PNG_FORMAT_BGR;
        TBitmap result(width, height, pf24bit);
        if (!png_image_finish_read(&image, nullptr, result.Bits(), result.Stride(), nullptr)) {
            png_image_free(&image);
            return false;
        }
        bitmap = result;
        return true;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    TBitmap result(width, height, pf24bit);
    alpha->assign(size_t(width) * height, 0);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = result.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = &pixels[(size_t(y) * width + x) * 4];
            row[3 * x] = p[2];
            row[3 * x + 1] = p[1];
            row[3 * x + 2] = p[0];
            (*alpha)[size_t(y) * width + x] = p[3];
        }
    }
    bitmap = result;
    return true;
}

}  // namespace

bool LoadPng(const std::string& path, TBitmap& bitmap, std::vector<uint8_t>* alpha) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    return FinishRead(image, bitmap, alpha);
}

bool ReadPng(std::span<const uint8_t> file, TBitmap& bitmap, std::vector<uint8_t>* alpha) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (file.empty() || !png_image_begin_read_from_memory(&image, file.data(), file.size()))
        return false;
    return FinishRead(image, bitmap, alpha);
}
