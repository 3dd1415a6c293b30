// TfcBitmap: a 24-bit, top-down bitmap whose pixels are read and written directly, with
// its own canvas, palette handling for displays of 256 colours or fewer, transparent
// drawing through a cached mask, optional smooth stretching and in-place image effects.
//
// Pixels: rows from top to bottom, each pixel three bytes in the order blue, green, red,
// each row followed by RowPadding = Width mod 4 bytes, so RowStride = 3 x Width +
// Width mod 4, a multiple of 4, and ImageSize = RowStride x Height. RowTable[y] points
// at row y; Bits is row 0. The pixels live in an owned pf24bit TBitmap, which Canvas
// draws on. Either the bitmap is empty (Width = Height = ImageSize = 0, no pixels, no
// row table, the canvas attached to nothing) or the pixels, the canvas, RowTable and
// Bits all exist and describe Width x Height pixels.
//
// Colours given to MaskFromColor and ReplaceColor are "RGB values", red x 65536 +
// green x 256 + blue, NOT TColor values (which hold red in the lowest byte).
//
// Every change of pixels, size, transparency or transparent colour drops the cached mask
// and notifies: the graphic's OnChange, then every listener. Pixels changed from outside
// (through Canvas, Bits or RowTable) should be followed by Modified().
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/canvas.h"
#include "platform/gfx/graphic.h"
#include "shaped/fcpalette.h"

class TfcBitmap;

// An object told of every change of the bitmaps it listens to. Before each notification
// Bitmap() is set to the bitmap that changed. A listener leaves every bitmap it listens
// to when it is destroyed, and a destroyed bitmap leaves its listeners.
class TfcBitmapListener {
public:
    TfcBitmapListener() = default;
    TfcBitmapListener(const TfcBitmapListener&) = delete;
    TfcBitmapListener& operator=(const TfcBitmapListener&) = delete;
    virtual ~TfcBitmapListener();

    // The bitmap of the last notification (none before the first, or once it is gone).
    TfcBitmap* Bitmap() const { return bitmap_; }

    // Called after every change of a bitmap this listener is registered with.
    virtual void BitmapChanged() = 0;

private:
    friend class TfcBitmap;
    TfcBitmap* bitmap_ = nullptr;
    std::vector<TfcBitmap*> sources_;  // the bitmaps this listener is registered with
};

class TfcBitmap : public TGraphic {
public:
    // An empty bitmap: TransparentColor clNone, PixelFormat pf24bit, no colour table.
    TfcBitmap();
    TfcBitmap(const TfcBitmap&) = delete;
    TfcBitmap& operator=(const TfcBitmap&) = delete;
    ~TfcBitmap() override;

    // Options -------------------------------------------------------------------------

    // Drawing into a rectangle of another size resamples bilinearly instead of taking the
    // nearest pixel.
    bool SmoothStretch() const { return smoothStretch_; }
    void SetSmoothStretch(bool value) { smoothStretch_ = value; }
    // The colour that transparent drawing leaves out; clNone means the top-left pixel's.
    TColor TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(TColor color);
    // On displays of 8 bits per pixel or fewer: draw through a palette made from
    // ColorTable (own), or through the halftone palette.
    bool UseOwnPalette() const { return useOwnPalette_; }
    void SetUseOwnPalette(bool value) { useOwnPalette_ = value; }
    bool UseHalftonePalette() const { return useHalftonePalette_; }
    void SetUseHalftonePalette(bool value) { useHalftonePalette_ = value; }
    // Pixel format of the bitmap last loaded, given back when copying into a TBitmap. The
    // pixels themselves are always 24-bit.
    TPixelFormat PixelFormat() const { return pixelFormat_; }
    void SetPixelFormat(TPixelFormat format) { pixelFormat_ = format; }

    // Size and pixels ------------------------------------------------------------------

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    // A new size through the graphic's properties: the pixels are lost (white) when the
    // size changes; a width or height of 0 or less leaves the bitmap empty.
    void SetWidth(int width) override { SetSizeIfChanged(width, height_); }
    void SetHeight(int height) override { SetSizeIfChanged(width_, height); }
    void SetSize(int width, int height) { SetSizeIfChanged(width, height); }
    bool Empty() const override { return !image_; }

    int RowPadding() const { return rowPadding_; }
    int RowStride() const { return rowStride_; }
    int ImageSize() const { return imageSize_; }
    uint8_t* Bits() { return bits_; }
    const uint8_t* Bits() const { return bits_; }
    // One pointer per row, top to bottom; empty when the bitmap is.
    std::span<uint8_t* const> RowTable() const { return rowTable_; }
    // One pixel as a TColor; clNone outside the bitmap.
    TColor Pixel(int x, int y) const;

    // The drawing surface on the pixels (attached to nothing while the bitmap is empty).
    TCanvas& Canvas() { return canvas_; }

    // The monochrome mask of transparent drawing: black where a pixel has the transparent
    // colour, white elsewhere. Built on first need; none while the bitmap is empty.
    const TBitmap* Mask();

    // Tells the bitmap that its pixels were changed from outside: drops the mask and
    // notifies the change.
    void Modified() { Changed(); }

    // What the last loaded bitmap was.
    bool HasColorTable() const { return hasColorTable_; }
    bool SourceDeeperThanDisplay() const { return sourceDeeperThanDisplay_; }
    const std::array<TRGBQuad, 256>& ColorTable() const { return colorTable_; }

    // The palette made for the drawing in progress; none outside drawing.
    const TfcPalette* Palette() const { return palette_.get(); }

    // The random source of Spray, a 32-bit linear congruential generator
    // (seed = seed x 134775813 + 1; a value below n is seed x n div 2^32). It starts at 1;
    // setting the seed makes Spray repeatable.
    uint32_t RandomSeed() const { return randSeed_; }
    void SetRandomSeed(uint32_t seed) { randSeed_ = seed; }

    // Graphic interface ------------------------------------------------------------------

    void SetTransparent(bool value) override;
    // Draws the whole bitmap into rect: at its own size a plain copy (through the mask
    // when transparent); otherwise stretched, smoothly when SmoothStretch is set. On a
    // display of 8 bits or fewer with UseOwnPalette or UseHalftonePalette, through a
    // palette made for this drawing. An empty bitmap or rectangle draws nothing.
    void Draw(TCanvas& canvas, const TRect& rect) override;
    std::unique_ptr<TGraphic> Clone() const override;
    // From a non-empty TBitmap: its pixels (as 24 bits), pixel format, colour table and
    // transparency flag. None or an empty TBitmap empties the bitmap and notifies. A
    // TfcBitmap copies itself in; any other graphic goes through a TBitmap.
    void Assign(const TGraphic* source) override;
    // Into a TBitmap: pixel format, pixels, colour table, transparency flag and
    // transparent colour (clNone given as the top-left pixel's colour). Into a TfcBitmap:
    // everything but the listeners, with one notification at the end. Other graphics
    // raise EInvalidOperation.
    void AssignTo(TGraphic& dest) const override;
    // The platform's bitmap file format, through a TBitmap.
    void LoadFromStream(std::istream& in) override;
    void SaveToStream(std::ostream& out) const override;

    // Palette for drawing ----------------------------------------------------------------

    // Whether drawing needs a palette now: UseOwnPalette or UseHalftonePalette is set and
    // the display has 8 bits per pixel or fewer.
    bool WantsDrawPalette() const;
    // When a palette is wanted, makes one (CreateOwnPalette with UseOwnPalette, else the
    // halftone palette), selects it into canvas and realises it. Returns the palette that
    // was selected there before, for RestoreDrawPalette.
    virtual TfcPalette* SelectDrawPalette(TCanvas& canvas);
    // Selects previous back into canvas and deletes the palette made for the drawing.
    virtual void RestoreDrawPalette(TCanvas& canvas, TfcPalette* previous);

    // Listeners ------------------------------------------------------------------------

    // Registers a listener (once) or removes it; the bitmap does not own listeners.
    virtual void AddListener(TfcBitmapListener* listener);
    virtual void RemoveListener(TfcBitmapListener* listener);
    int ListenerCount() const { return int(listeners_.size()); }

    // Loading and copying -------------------------------------------------------------

    // Empties the bitmap (without notifying).
    virtual void EmptyImage() { FreeImage(); }
    // A new white image of width x height (empty when either is 0 or less), then a
    // notification. Raises EOutOfResources when the image would not fit 32-bit sizes.
    virtual void SetImageSize(int width, int height);
    // Takes the bitmap's pixels converted to 24 bits and remembers its pixel format,
    // colour table and whether it is deeper than the display; notifies.
    virtual void LoadFromBitmap(const TBitmap& bitmap);
    // Draws the graphic at (0, 0) into a white TBitmap of its size and loads that.
    virtual void LoadFromGraphic(TGraphic& graphic);
    // Assigns the source to a TBitmap and loads that.
    virtual void LoadFromPersistent(const TGraphic& source);
    // Loads dimensions.cx x dimensions.cy pixels in this class's layout (24-bit top-down
    // rows of RowStride bytes). Raises EInvalidGraphic, leaving the bitmap as it was,
    // when bits holds fewer bytes than that; a size of 0 empties the bitmap.
    virtual void LoadFromDIB(std::span<const uint8_t> bits, TSize dimensions);
    // Gives bitmap PixelFormat, this size and ColorTable (when there is one and the
    // format has a palette), then copies the pixels in unchanged.
    virtual void CopyToBitmap(TBitmap& bitmap) const;
    // Scales the image to width x height (smoothly when SmoothStretch is set); nothing
    // when the size is the same.
    virtual void Resize(int width, int height);
    // Keeps a plain copy of the pixels and releases the image (the bitmap is then empty);
    // RestoreImage brings the pixels back and forgets the copy.
    virtual void SaveImage();
    virtual void RestoreImage();
    bool HasSavedImage() const { return !savedBits_.empty(); }

    // Drawing --------------------------------------------------------------------------

    // Bilinear resampling (15-bit fixed point) into a bitmap of rect's size, then drawn
    // at rect (through the mask when transparent).
    virtual void DrawSmoothStretched(TCanvas& canvas, const TRect& rect);
    // Nearest-pixel stretching into rect (through a stretched mask when transparent).
    virtual void DrawStretched(TCanvas& canvas, const TRect& rect);
    // Covers (0, 0)..(rect width, rect height) of canvas with copies of the image laid
    // from the plane's origin: tiles at every multiple of Width and Height that starts
    // before rect's right and bottom, each drawn shifted by (-rect.Left, -rect.Top). The
    // palette is selected once for all tiles.
    virtual void DrawTiled(TCanvas& canvas, const TRect& rect);
    // The image at rect's top-left (clipped to rect), the destination left visible where
    // the mask is black: composed off-screen as XOR image, AND NOT mask, XOR image, and
    // copied back once.
    virtual void DrawTransparent(TCanvas& canvas, const TRect& rect);

    // Effects (in place; each notifies once) -----------------------------------------

    // Each channel becomes the mean of the four pixels at (x +- amount, y +- amount),
    // positions clamped to the image; rows are done top to bottom in place, so the rows
    // above are already blurred.
    virtual void Blur(int amount);
    // Blur with count, count - 1, ... 1.
    virtual void BlurPasses(int count);
    // Per channel: v - |128 - v| x amount / 256 below 127, v + |128 - v| x amount / 256
    // from 127 on (rounded toward zero), clamped.
    virtual void Contrast(int amount);
    // Each channel becomes ((255 - n) + v) div 2, n being the pixel one down and one to
    // the right (the nearest one on the last row and column); in place.
    virtual void Emboss();
    // Horizontal mirrors every row; otherwise the rows are swapped top to bottom.
    virtual void Flip(bool horizontal);
    // Each channel becomes blue div 3 + green div 3 + red div 3.
    virtual void Grayscale();
    // Every byte becomes 255 minus itself.
    virtual void Invert();
    // Per channel: amount > 0: v + amount x (255 - v) div 256; else v - v x |amount| div
    // 256; clamped.
    virtual void Brightness(int amount);
    // Pixels of color (an RGB value) become black, all others white.
    virtual void MaskFromColor(int color);
    // Pixels of oldColor become newColor (both RGB values).
    virtual void ReplaceColor(int oldColor, int newColor);
    // Adds the deltas to the channels, clamped.
    virtual void AddColorDeltas(int red, int green, int blue);
    // Adds delta - 192 to each channel, clamped, leaving pixels of TransparentColor
    // alone unless it is clNone.
    virtual void Colorize(int red, int green, int blue);
    // Turns the image by angle degrees (counter-clockwise on screen) about center, a
    // point in pixel-edge coordinates (a negative coordinate means the middle on that
    // axis); nearest pixel; uncovered pixels take the old top-left pixel's colour.
    virtual void Rotate(TPoint center, double angle);
    // gray = blue div 3 + green div 3 + red div 3; each channel becomes gray + amount x
    // v div 256 - amount x gray div 256, clamped (256 keeps the colours, 0 gives grey).
    virtual void Saturation(int amount);
    // Each channel becomes (256 x centre - 16 x the sum of the 8 neighbours at distance
    // amount) / 128, rounded toward zero, clamped; neighbours clamped to the image; in
    // place.
    virtual void Sharpen(int amount);
    // Each pixel takes the value of a random pixel near it: a = random below amount,
    // source (x + a - random below 2a, y + a - random below 2a), clamped; in place.
    virtual void Spray(int amount);
    // Only when both periods are non-zero: pixel (x, y) comes from (x + round(amplitude x
    // sin(y / xPeriod)), y + round(amplitude x sin(x / yPeriod))); with wrap the source
    // wraps around the edges, otherwise pixels from outside are white.
    virtual void Wave(bool wrap, int amplitude, int xPeriod, int yPeriod);

protected:
    // Releases the image, row table and mask; the bitmap becomes empty.
    virtual void FreeImage();
    // Builds the row table and sizes for the pixels just made, attaches the canvas and
    // notifies; with no pixels, FreeImage and a notification.
    virtual void SetupImage();
    // Tells every listener, in the order they were added.
    virtual void NotifyListeners();
    // Makes the palette of UseOwnPalette: from ColorTable when there is one, else the
    // halftone palette when the last source was deeper than the display.
    virtual void CreateOwnPalette();
    virtual void FreeSavedImage();
    virtual void SetSizeIfChanged(int width, int height);

    // Drops the mask and, unless an update is in progress, raises OnChange and tells
    // the listeners.
    void Changed();

private:
    friend class TfcBitmapListener;
    void CreateSection(int width, int height);
    // The transparent colour as an RGB value (red x 65536 + green x 256 + blue).
    int TransparentRGB() const;
    // Copies src of source into dest on canvas (nearest pixel when the sizes differ),
    // each pixel mapped to the canvas's drawing palette when it has one.
    void PutPixels(TCanvas& canvas, const TRect& dest, const TBitmap& source,
                   const TRect& src) const;
    void BlurPixels(int amount);
    // A random value below below (0 when below is 0 or less); below fits 32 bits unsigned.
    uint32_t Random(int64_t below);

    bool smoothStretch_ = false;
    TColor transparentColor_ = clNone;
    int width_ = 0;
    int height_ = 0;
    int rowPadding_ = 0;
    std::unique_ptr<TBitmap> mask_;
    int rowStride_ = 0;
    int imageSize_ = 0;
    uint8_t* bits_ = nullptr;
    std::unique_ptr<TBitmap> image_;  // the pixels (the system's bitmap section and DC)
    TCanvas canvas_;
    std::vector<uint8_t> savedBits_;
    int savedSize_ = 0;
    int savedWidth_ = 0;
    int savedHeight_ = 0;
    TPixelFormat pixelFormat_ = pf24bit;
    std::unique_ptr<TfcPalette> palette_;
    bool useOwnPalette_ = false;
    bool useHalftonePalette_ = false;
    bool updating_ = false;
    std::vector<TfcBitmapListener*> listeners_;
    mutable bool drawingIntoBitmap_ = false;
    bool paletteSelected_ = false;
    bool hasColorTable_ = false;
    bool sourceDeeperThanDisplay_ = false;
    std::vector<uint8_t*> rowTable_;
    std::array<TRGBQuad, 256> colorTable_{};
    uint32_t randSeed_ = 1;
};
