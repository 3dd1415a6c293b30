// TBitmap: a device-independent bitmap in memory.
//
// Pixels are stored top-down, each row padded to a multiple of 4 bytes, in one of three
// formats: pf24bit (3 bytes a pixel, blue, green, red), pf8bit (one palette index a
// pixel, 256-entry palette) and pf1bit (one bit a pixel, most significant bit first,
// 2-entry palette; a mask). Other formats asked for are stored as the nearest of these.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/gfx/color.h"
#include "platform/gfx/graphic.h"
#include "platform/gfx/livecount.h"
#include "platform/gfx/types.h"

class TCanvas;

enum TPixelFormat {
    pfDevice,
    pf1bit,
    pf4bit,
    pf8bit,
    pf15bit,
    pf16bit,
    pf24bit,
    pf32bit,
    pfCustom
};
enum TTransparentMode { tmAuto, tmFixed };

struct TRGBQuad {
    uint8_t rgbBlue = 0;
    uint8_t rgbGreen = 0;
    uint8_t rgbRed = 0;
    uint8_t rgbReserved = 0;
    friend bool operator==(const TRGBQuad&, const TRGBQuad&) = default;
};

class TBitmap : public TGraphic {
public:
    TBitmap();
    TBitmap(int width, int height, TPixelFormat format = pf24bit);
    TBitmap(const TBitmap& other);
    TBitmap& operator=(const TBitmap& other);
    ~TBitmap() override;

    // Size. Negative sizes count as 0. A resize keeps the pixels of the common area and
    // fills new pixels with white. A size whose pixels would take more than
    // kMaxBitmapBytes raises EOutOfResources and leaves the bitmap as it was (so does a
    // change of PixelFormat that would).
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void SetWidth(int width) override { SetSize(width, height_); }
    void SetHeight(int height) override { SetSize(width_, height); }
    void SetSize(int width, int height);
    bool Empty() const override { return width_ == 0 || height_ == 0; }

    // Storage format. Changing it converts the pixels: to 8 bits through a palette of the
    // colours in use (or the nearest of a 6x6x6 colour cube when there are more than
    // 256), to 1 bit by brightness (dark pixels black).
    TPixelFormat PixelFormat() const { return format_; }
    void SetPixelFormat(TPixelFormat format);
    bool Monochrome() const { return format_ == pf1bit; }
    int BitsPerPixel() const;

    // Raw rows. ScanLine(y) raises EInvalidGraphic for a row outside the bitmap.
    uint8_t* ScanLine(int y);
    const uint8_t* ScanLine(int y) const;
    int Stride() const { return stride_; }
    uint8_t* Bits() { return bits_.data(); }
    const uint8_t* Bits() const { return bits_.data(); }

    // The palette of an 8-bit or 1-bit bitmap (empty for 24 bits).
    const std::vector<TRGBQuad>& Palette() const { return palette_; }
    void SetPalette(std::span<const TRGBQuad> entries);
    bool HasPalette() const override { return format_ != pf24bit; }

    // One pixel as a TColor; out-of-range reads give clNone and writes do nothing. Writing
    // to an 8-bit bitmap stores the nearest palette entry, to a 1-bit one black or white.
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);

    // Transparency: when Transparent is set, drawing skips pixels of TransparentColor.
    // With tmAuto the colour is that of the bottom-left pixel.
    TTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TTransparentMode mode);
    TColor TransparentColor() const;
    // Setting a colour also switches the mode to tmFixed; clDefault switches to tmAuto.
    void SetTransparentColor(TColor color);

    // Turns the bitmap into a one-bit mask: pixels of color become set bits (white) and all
    // others clear bits (black). A system colour is resolved to its RGB value first.
    void Mask(TColor color);

    // Graphic interface.
    void Draw(TCanvas& canvas, const TRect& rect) override;
    std::unique_ptr<TGraphic> Clone() const override;
    void Assign(const TGraphic* source) override;
    void AssignTo(TGraphic& dest) const override;
    void LoadFromStream(std::istream& in) override;
    void SaveToStream(std::ostream& out) const override;

    // Loads a picture that the program embeds under a number (see RegisterBitmapResource);
    // raises EInvalidGraphic when no such picture exists.
    void LoadFromResourceID(int id);

    // The drawing surface of this bitmap, made on first use.
    TCanvas& Canvas();

    // Frees the pixels; the bitmap becomes empty.
    void Dormant() { SetSize(0, 0); }

    // How many bitmaps exist now (see livecount.h).
    static int64_t LiveCount() { return TLiveCount<TBitmap>::Live(); }

private:
    friend class TCanvas;
    void Allocate(int width, int height, TPixelFormat format);
    uint8_t NearestIndex(TColor color) const;

    int width_ = 0;
    int height_ = 0;
    TPixelFormat format_ = pf24bit;
    int stride_ = 0;
    std::vector<uint8_t> bits_;
    std::vector<TRGBQuad> palette_;
    TTransparentMode transparentMode_ = tmAuto;
    TColor transparentColor_ = clDefault;
    std::unique_ptr<TCanvas> canvas_;
    [[no_unique_address]] TLiveCount<TBitmap> live_;
};

// Bytes per row of a bitmap of this width and bit depth (rows are padded to 4 bytes),
// reckoned in 64 bits: every width an int holds gives the true row size.
constexpr int64_t BitmapStride(int64_t width, int bitsPerPixel) {
    return (width * bitsPerPixel + 31) / 32 * 4;
}

// The most bytes the pixels of one bitmap may take. As with the system's bitmaps, whose
// sizes are 32-bit, a bitmap past it is not made: EOutOfResources.
constexpr int64_t kMaxBitmapBytes = INT32_MAX;

// The program's numbered pictures: a BMP file image registered under its number, usually
// by generated code that embeds the files. The data must outlive the program.
void RegisterBitmapResource(int id, std::span<const uint8_t> bmpFile);
std::span<const uint8_t> FindBitmapResource(int id);
