#include "platform/gfx/bitmap.h"

#include <algorithm>
#include <cstring>
#include <istream>
#include <iterator>
#include <map>
#include <ostream>

#include "platform/gfx/bmpfile.h"
#include "platform/gfx/canvas.h"
#include "platform/sysutils.h"

namespace {

int StoredBits(TPixelFormat format) {
    switch (format) {
        case pf1bit:
            return 1;
        case pf4bit:
        case pf8bit:
            return 8;
        default:
            return 24;
    }
}

TPixelFormat StoredFormat(TPixelFormat format) {
    switch (StoredBits(format)) {
        case 1:
            return pf1bit;
        case 8:
            return pf8bit;
        default:
            return pf24bit;
    }
}

std::vector<TRGBQuad> MonochromePalette() {
    return {TRGBQuad{0, 0, 0, 0}, TRGBQuad{255, 255, 255, 0}};
}

std::vector<TRGBQuad> ColorCubePalette() {
    std::vector<TRGBQuad> p(256);
    for (int i = 0; i < 216; ++i) {
        p[i] =
            TRGBQuad{uint8_t((i % 6) * 51), uint8_t((i / 6 % 6) * 51), uint8_t((i / 36) * 51), 0};
    }
    for (int i = 216; i < 256; ++i) {
        uint8_t v = uint8_t((i - 216) * 255 / 39);
        p[i] = TRGBQuad{v, v, v, 0};
    }
    return p;
}

TColor QuadColor(const TRGBQuad& q) {
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

// The row size of a bitmap of width x height at bits per pixel; EOutOfResources when its
// pixels would take more than kMaxBitmapBytes.
int CheckedStride(int width, int height, int bits) {
    const int64_t stride = BitmapStride(width, bits);
    if (height > 0 && stride > kMaxBitmapBytes / height) throw EOutOfResources("Bitmap too large");
    return int(stride);
}

}  // namespace

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height, TPixelFormat format) {
    format_ = StoredFormat(format);
    if (format_ == pf1bit) palette_ = MonochromePalette();
    if (format_ == pf8bit) palette_ = ColorCubePalette();
    SetSize(width, height);
}

TBitmap::TBitmap(const TBitmap& other) : TGraphic() {
    *this = other;
}

TBitmap& TBitmap::operator=(const TBitmap& other) {
    if (this == &other) return *this;
    width_ = other.width_;
    height_ = other.height_;
    format_ = other.format_;
    stride_ = other.stride_;
    bits_ = other.bits_;
    palette_ = other.palette_;
    transparent_ = other.transparent_;
    transparentMode_ = other.transparentMode_;
    transparentColor_ = other.transparentColor_;
    Changed();
    return *this;
}

TBitmap::~TBitmap() = default;

int TBitmap::BitsPerPixel() const {
    return StoredBits(format_);
}

void TBitmap::Allocate(int width, int height, TPixelFormat format) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == 0 || height == 0) width = height = 0;
    const int stride = CheckedStride(width, height, StoredBits(format));
    bits_.assign(size_t(stride) * size_t(height), 0);
    width_ = width;
    height_ = height;
    format_ = format;
    stride_ = stride;
}

void TBitmap::SetSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == 0 || height == 0) width = height = 0;
    if (width == width_ && height == height_) return;
    const int stride = CheckedStride(width, height, StoredBits(format_));
    if (Empty() && format_ == pf24bit) {
        // A fresh 24-bit picture: white, in one pass.
        bits_.assign(size_t(stride) * size_t(height), 0xFF);
        width_ = width;
        height_ = height;
        stride_ = stride;
        Changed();
        return;
    }
    TBitmap old(*this);
    Allocate(width, height, format_);
    // New pixels are white; the common area keeps its pixels.
    if (format_ == pf24bit) {
        std::fill(bits_.begin(), bits_.end(), 0xFF);
    } else if (height_ > 0) {
        // The first row white, then copied to the others.
        uint8_t white = NearestIndex(clWhite);
        uint8_t* first = ScanLine(0);
        if (format_ == pf8bit) {
            std::memset(first, white, size_t(width_));
        } else if (white) {
            std::memset(first, 0xFF, size_t(width_ / 8));
            if (width_ % 8) first[width_ / 8] = uint8_t(0xFF00 >> (width_ % 8));
        }
        for (int y = 1; y < height_; ++y)
            std::memcpy(ScanLine(y), first, size_t(stride_));
    }
    int cw = std::min(width_, old.width_), ch = std::min(height_, old.height_);
    if (cw > 0 && ch > 0) {
        size_t bytes = size_t(BitmapStride(cw, StoredBits(format_)));
        for (int y = 0; y < ch; ++y) {
            if (format_ == pf1bit && cw % 8) {
                for (int x = 0; x < cw; ++x)
                    SetPixel(x, y, old.Pixel(x, y));
            } else {
                std::memcpy(ScanLine(y), old.ScanLine(y), std::min(bytes, size_t(old.stride_)));
            }
        }
    }
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    TPixelFormat stored = StoredFormat(format);
    if (stored == format_) return;
    CheckedStride(width_, height_, StoredBits(stored));
    TBitmap old(*this);
    if (stored == pf1bit) {
        palette_ = MonochromePalette();
    } else if (stored == pf8bit) {
        // A palette of the colours in use, when they fit; else a colour cube.
        std::map<TColor, uint8_t> used;
        for (int y = 0; y < height_ && used.size() <= 256; ++y)
            for (int x = 0; x < width_ && used.size() <= 256; ++x)
                used.emplace(old.Pixel(x, y), 0);
        if (used.size() <= 256) {
            palette_.assign(256, TRGBQuad{});
            int i = 0;
            for (auto& [c, index] : used) {
                palette_[i] = TRGBQuad{GetBValue(c), GetGValue(c), GetRValue(c), 0};
                index = uint8_t(i++);
            }
        } else {
            palette_ = ColorCubePalette();
        }
    } else {
        palette_.clear();
    }
    Allocate(old.width_, old.height_, stored);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            SetPixel(x, y, old.Pixel(x, y));
    Changed();
}

uint8_t* TBitmap::ScanLine(int y) {
    if (y < 0 || y >= height_) throw EInvalidGraphic("Scan line index out of range");
    return bits_.data() + size_t(y) * stride_;
}

const uint8_t* TBitmap::ScanLine(int y) const {
    return const_cast<TBitmap*>(this)->ScanLine(y);
}

void TBitmap::SetPalette(std::span<const TRGBQuad> entries) {
    if (format_ == pf24bit) return;
    size_t n = format_ == pf1bit ? 2 : 256;
    palette_.assign(n, TRGBQuad{});
    std::copy_n(entries.begin(), std::min(n, entries.size()), palette_.begin());
    paletteModified_ = true;
    Changed();
}

uint8_t TBitmap::NearestIndex(TColor color) const {
    color = ColorToRGB(color);
    int best = 0;
    long bestDistance = -1;
    for (size_t i = 0; i < palette_.size(); ++i) {
        const TRGBQuad& q = palette_[i];
        long dr = long(q.rgbRed) - GetRValue(color), dg = long(q.rgbGreen) - GetGValue(color),
             db = long(q.rgbBlue) - GetBValue(color);
        long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = int(i);
            if (d == 0) break;
        }
    }
    return uint8_t(best);
}

TColor TBitmap::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return clNone;
    const uint8_t* row = bits_.data() + size_t(y) * stride_;
    switch (format_) {
        case pf24bit: {
            const uint8_t* p = row + 3 * x;
            return RGB(p[2], p[1], p[0]);
        }
        case pf8bit:
            return QuadColor(palette_[row[x]]);
        default:
            return QuadColor(palette_[(row[x >> 3] >> (7 - (x & 7))) & 1]);
    }
}

void TBitmap::SetPixel(int x, int y, TColor color) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    uint8_t* row = bits_.data() + size_t(y) * stride_;
    switch (format_) {
        case pf24bit: {
            color = ColorToRGB(color);
            uint8_t* p = row + 3 * x;
            p[0] = GetBValue(color);
            p[1] = GetGValue(color);
            p[2] = GetRValue(color);
            break;
        }
        case pf8bit:
            row[x] = NearestIndex(color);
            break;
        default: {
            uint8_t bit = uint8_t(0x80 >> (x & 7));
            if (NearestIndex(color)) {
                row[x >> 3] |= bit;
            } else {
                row[x >> 3] &= uint8_t(~bit);
            }
        }
    }
}

void TBitmap::SetTransparentMode(TTransparentMode mode) {
    if (mode == transparentMode_) return;
    transparentMode_ = mode;
    if (mode == tmAuto) transparentColor_ = clDefault;
    Changed();
}

TColor TBitmap::TransparentColor() const {
    if (transparentMode_ == tmFixed && transparentColor_ != clDefault) return transparentColor_;
    if (Empty()) return clDefault;
    return Pixel(0, height_ - 1);
}

void TBitmap::SetTransparentColor(TColor color) {
    transparentColor_ = color;
    transparentMode_ = color == clDefault ? tmAuto : tmFixed;
    Changed();
}

void TBitmap::Mask(TColor color) {
    TColor key = ColorToRGB(color);
    TBitmap mask;
    mask.palette_ = MonochromePalette();
    mask.Allocate(width_, height_, pf1bit);
    for (int y = 0; y < height_; ++y) {
        uint8_t* out = mask.ScanLine(y);
        for (int x = 0; x < width_; ++x)
            if (Pixel(x, y) == key) out[x >> 3] |= uint8_t(0x80 >> (x & 7));
    }
    format_ = pf1bit;
    stride_ = mask.stride_;
    bits_ = std::move(mask.bits_);
    palette_ = std::move(mask.palette_);
    Changed();
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect) {
    canvas.DrawBitmap(rect, *this);
}

std::unique_ptr<TGraphic> TBitmap::Clone() const {
    return std::make_unique<TBitmap>(*this);
}

void TBitmap::Assign(const TGraphic* source) {
    if (!source) {
        SetSize(0, 0);
        return;
    }
    if (auto* b = dynamic_cast<const TBitmap*>(source)) {
        *this = *b;
        return;
    }
    source->AssignTo(*this);
}

void TBitmap::AssignTo(TGraphic& dest) const {
    if (auto* b = dynamic_cast<TBitmap*>(&dest)) {
        *b = *this;
        return;
    }
    TGraphic::AssignTo(dest);
}

void TBitmap::LoadFromStream(std::istream& in) {
    std::vector<uint8_t> data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    TBitmap loaded;
    ReadBmp(data, loaded);  // raises on a bad file; this bitmap stays as it was
    loaded.transparent_ = transparent_;
    loaded.transparentMode_ = transparentMode_;
    loaded.transparentColor_ = transparentColor_;
    *this = loaded;
}

void TBitmap::SaveToStream(std::ostream& out) const {
    std::vector<uint8_t> data = WriteBmp(*this);
    out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
}

void TBitmap::LoadFromResourceID(int id) {
    std::span<const uint8_t> data = FindBitmapResource(id);
    if (data.empty()) throw EInvalidGraphic("Bitmap resource " + std::to_string(id) + " not found");
    TBitmap loaded;
    ReadBmp(data, loaded);
    *this = loaded;
}

TCanvas& TBitmap::Canvas() {
    if (!canvas_) canvas_ = std::make_unique<TCanvas>(this);
    return *canvas_;
}

namespace {
std::map<int, std::span<const uint8_t>>& Resources() {
    static std::map<int, std::span<const uint8_t>> resources;
    return resources;
}
}  // namespace

void RegisterBitmapResource(int id, std::span<const uint8_t> bmpFile) {
    Resources()[id] = bmpFile;
}

std::span<const uint8_t> FindBitmapResource(int id) {
    auto it = Resources().find(id);
    return it == Resources().end() ? std::span<const uint8_t>{} : it->second;
}
