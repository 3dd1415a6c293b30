#include "shaped/fcbitmap.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/sysutils.h"

namespace {

// The two raster operations of transparent drawing, with the system's numbers.
constexpr uint32_t SRCINVERT = 0x00660046;  // destination XOR source
constexpr uint32_t DSna = 0x00220326;       // destination AND NOT source

// Blits source onto dest, both from (0, 0), over dest's size (source must be at least
// as large), with SRCINVERT or DSna, byte by byte on 24-bit pixels. A
// monochrome source is first expanded to colour as the system does it: set bits become
// the background colour, clear bits the text colour.
void BitBltRop(TBitmap& dest, const TBitmap& source, uint32_t rop, TColor background, TColor text) {
    background = ColorToRGB(background);
    text = ColorToRGB(text);
    const uint8_t bk[3] = {GetBValue(background), GetGValue(background), GetRValue(background)};
    const uint8_t tx[3] = {GetBValue(text), GetGValue(text), GetRValue(text)};
    bool mono = source.PixelFormat() == pf1bit;
    for (int y = 0; y < dest.Height(); ++y) {
        uint8_t* d = dest.ScanLine(y);
        const uint8_t* s = source.ScanLine(y);
        for (int x = 0; x < dest.Width(); ++x, d += 3) {
            const uint8_t* px = mono ? ((s[x >> 3] >> (7 - (x & 7))) & 1 ? bk : tx) : s + 3 * x;
            for (int c = 0; c < 3; ++c) {
                if (rop == SRCINVERT) {
                    d[c] ^= px[c];
                } else {
                    d[c] &= uint8_t(~px[c]);
                }
            }
        }
    }
}

// Sets a flag for the lifetime of the guard, then puts the old value back.
class TFlagGuard {
public:
    TFlagGuard(bool& flag, bool value) : flag_(flag), old_(flag) { flag_ = value; }
    ~TFlagGuard() { flag_ = old_; }
    TFlagGuard(const TFlagGuard&) = delete;
    TFlagGuard& operator=(const TFlagGuard&) = delete;

private:
    bool& flag_;
    bool old_;
};

TColor RGBValueToColor(int rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// Bilinear resampling of from into to (both non-empty): source step (source size - 1)
// x 32768 / target size on each axis, 15-bit fractions as weights.
void SmoothResample(const TfcBitmap& from, TfcBitmap& to) {
    int sw = from.Width(), sh = from.Height(), tw = to.Width(), th = to.Height();
    int64_t stepX = int64_t(sw - 1) * 32768 / tw;
    int64_t stepY = int64_t(sh - 1) * 32768 / th;
    struct TSample {
        int index0, index1, fraction;
    };
    std::vector<TSample> columns(static_cast<size_t>(tw));
    for (int x = 0; x < tw; ++x) {
        int64_t pos = x * stepX;
        int i = int(pos >> 15);
        columns[size_t(x)] = {3 * i, 3 * std::min(i + 1, sw - 1), int(pos & 0x7FFF)};
    }
    auto rows = from.RowTable();
    auto out = to.RowTable();
    for (int y = 0; y < th; ++y) {
        int64_t pos = y * stepY;
        int iy = int(pos >> 15);
        int fy = int(pos & 0x7FFF);
        const uint8_t* r0 = rows[size_t(iy)];
        const uint8_t* r1 = rows[size_t(std::min(iy + 1, sh - 1))];
        uint8_t* d = out[size_t(y)];
        for (const TSample& s : columns) {
            for (int c = 0; c < 3; ++c) {
                int top =
                    (r0[s.index0 + c] * (32768 - s.fraction) + r0[s.index1 + c] * s.fraction) >> 15;
                int bottom =
                    (r1[s.index0 + c] * (32768 - s.fraction) + r1[s.index1 + c] * s.fraction) >> 15;
                *d++ = uint8_t((top * (32768 - fy) + bottom * fy) >> 15);
            }
        }
    }
}

}  // namespace

// Listener ---------------------------------------------------------------------------------

TfcBitmapListener::~TfcBitmapListener() {
    std::vector<TfcBitmap*> sources = sources_;
    for (TfcBitmap* bitmap : sources)
        bitmap->RemoveListener(this);
}

// Life ---------------------------------------------------------------------------------------

TfcBitmap::TfcBitmap() = default;

TfcBitmap::~TfcBitmap() {
    std::vector<TfcBitmapListener*> listeners = listeners_;
    for (TfcBitmapListener* listener : listeners) {
        RemoveListener(listener);
        if (listener->bitmap_ == this) listener->bitmap_ = nullptr;
    }
    if (HasSavedImage()) FreeSavedImage();
    FreeImage();
}

void TfcBitmap::CreateSection(int width, int height) {
    // Compared by division: the product of two sizes near INT_MAX does not fit in 64 bits.
    const int64_t stride = 3 * int64_t(width) + width % 4;
    if (height > 0 && stride > INT32_MAX / height) throw EOutOfResources("Bitmap too large");
    image_ = std::make_unique<TBitmap>(width, height, pf24bit);  // white
    bits_ = image_->Bits();
}

void TfcBitmap::SetupImage() {
    if (!image_) {
        FreeImage();
        Changed();
        return;
    }
    width_ = image_->Width();
    height_ = image_->Height();
    rowTable_.resize(size_t(height_));
    rowPadding_ = width_ % 4;
    rowStride_ = 3 * width_ + rowPadding_;
    imageSize_ = rowStride_ * height_;
    for (int y = 0; y < height_; ++y)
        rowTable_[size_t(y)] = bits_ + size_t(y) * size_t(rowStride_);
    canvas_.SetTarget(image_.get());
    Changed();
}

void TfcBitmap::FreeImage() {
    canvas_.SetTarget(nullptr);
    image_.reset();
    bits_ = nullptr;
    rowTable_.clear();
    mask_.reset();
    width_ = height_ = 0;
    rowPadding_ = rowStride_ = imageSize_ = 0;
}

void TfcBitmap::SetImageSize(int width, int height) {
    FreeImage();
    if (width <= 0 || height <= 0) {
        Changed();
        return;
    }
    CreateSection(width, height);
    SetupImage();
}

void TfcBitmap::SetSizeIfChanged(int width, int height) {
    if (width <= 0 || height <= 0) width = height = 0;
    if (width == width_ && height == height_) return;
    SetImageSize(width, height);
}

TColor TfcBitmap::Pixel(int x, int y) const {
    if (!image_) return clNone;
    return image_->Pixel(x, y);
}

// Change notification --------------------------------------------------------------------

void TfcBitmap::Changed() {
    mask_.reset();
    if (updating_) return;
    TGraphic::Changed();
    NotifyListeners();
}

void TfcBitmap::NotifyListeners() {
    std::vector<TfcBitmapListener*> listeners = listeners_;
    for (TfcBitmapListener* listener : listeners) {
        // A listener removed by an earlier one is not told any more.
        if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end()) continue;
        listener->bitmap_ = this;
        listener->BitmapChanged();
    }
}

void TfcBitmap::AddListener(TfcBitmapListener* listener) {
    if (!listener || std::find(listeners_.begin(), listeners_.end(), listener) != listeners_.end())
        return;
    listeners_.push_back(listener);
    listener->sources_.push_back(this);
}

void TfcBitmap::RemoveListener(TfcBitmapListener* listener) {
    auto it = std::find(listeners_.begin(), listeners_.end(), listener);
    if (it == listeners_.end()) return;
    listeners_.erase(it);
    std::erase(listener->sources_, this);
}

void TfcBitmap::SetTransparentColor(TColor color) {
    if (color == transparentColor_) return;
    transparentColor_ = color;
    Changed();
}

void TfcBitmap::SetTransparent(bool value) {
    if (value == transparent_) return;
    transparent_ = value;
    Changed();
}

int TfcBitmap::TransparentRGB() const {
    if (transparentColor_ == clNone) {
        if (!bits_) return 0;
        return (bits_[2] << 16) | (bits_[1] << 8) | bits_[0];
    }
    TColor c = ColorToRGB(transparentColor_);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

const TBitmap* TfcBitmap::Mask() {
    if (!image_) return nullptr;
    if (!mask_) {
        int key = TransparentRGB();
        const uint8_t kb = uint8_t(key), kg = uint8_t(key >> 8), kr = uint8_t(key >> 16);
        auto mask = std::make_unique<TBitmap>(width_, height_, pf1bit);  // all white
        for (int y = 0; y < height_; ++y) {
            const uint8_t* p = rowTable_[size_t(y)];
            uint8_t* m = mask->ScanLine(y);
            for (int x = 0; x < width_; ++x, p += 3)
                if (p[0] == kb && p[1] == kg && p[2] == kr)
                    m[x >> 3] &= uint8_t(~(0x80 >> (x & 7)));
        }
        mask_ = std::move(mask);
    }
    return mask_.get();
}

// Palette --------------------------------------------------------------------------------------

bool TfcBitmap::WantsDrawPalette() const {
    return (useOwnPalette_ || useHalftonePalette_) && DisplayBitsPerPixel() <= 8;
}

TfcPalette* TfcBitmap::SelectDrawPalette(TCanvas& canvas) {
    TfcPalette* previous = SelectedPalette(canvas);
    if (!WantsDrawPalette()) return previous;
    if (!palette_) {
        if (useOwnPalette_) {
            CreateOwnPalette();
        } else {
            palette_ = CreateHalftonePalette();
        }
    }
    if (palette_) {
        previous = SelectPalette(canvas, palette_.get());
        RealizePalette(canvas);
    }
    return previous;
}

void TfcBitmap::RestoreDrawPalette(TCanvas& canvas, TfcPalette* previous) {
    if (!palette_) return;
    if (SelectedPalette(canvas) == palette_.get()) SelectPalette(canvas, previous);
    palette_.reset();
}

void TfcBitmap::CreateOwnPalette() {
    if (palette_) return;
    if (hasColorTable_) {
        std::vector<TPaletteEntry> entries(colorTable_.size());
        for (size_t i = 0; i < colorTable_.size(); ++i) {
            const TRGBQuad& q = colorTable_[i];
            entries[i] = TPaletteEntry{q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
        }
        palette_ = CreatePalette(entries);
    } else if (sourceDeeperThanDisplay_) {
        palette_ = CreateHalftonePalette();
    }
}

// Drawing --------------------------------------------------------------------------------------

void TfcBitmap::PutPixels(TCanvas& canvas, const TRect& dest, const TBitmap& source,
                          const TRect& src) const {
    if (const TfcPalette* palette = DrawingPalette(canvas)) {
        TBitmap mapped(src.Width(), src.Height());
        TRect all{0, 0, src.Width(), src.Height()};
        mapped.Canvas().DrawBitmapRect(all, source, src, clNone);
        palette->MapPixels(mapped);
        canvas.DrawBitmapRect(dest, mapped, all, clNone);
    } else {
        canvas.DrawBitmapRect(dest, source, src, clNone);
    }
}

void TfcBitmap::Draw(TCanvas& canvas, const TRect& rect) {
    if (Empty() || rect.IsEmpty()) return;
    // Copying into a bitmap keeps the exact pixels: no palette is involved.
    bool select = !paletteSelected_ && !drawingIntoBitmap_;
    TfcPalette* previous = select ? SelectDrawPalette(canvas) : nullptr;
    struct TRestore {
        TfcBitmap* self;
        TCanvas& canvas;
        TfcPalette* previous;
        bool active;
        ~TRestore() {
            if (active) self->RestoreDrawPalette(canvas, previous);
        }
    } restore{this, canvas, previous, select};

    if (rect.Width() == width_ && rect.Height() == height_) {
        if (Transparent() && !drawingIntoBitmap_) {
            DrawTransparent(canvas, rect);
        } else {
            PutPixels(canvas, rect, *image_, {0, 0, width_, height_});
        }
    } else if (smoothStretch_) {
        DrawSmoothStretched(canvas, rect);
    } else {
        DrawStretched(canvas, rect);
    }
}

void TfcBitmap::DrawTransparent(TCanvas& canvas, const TRect& rect) {
    if (Empty() || rect.IsEmpty()) return;
    const TBitmap& mask = *Mask();
    int w = std::min(rect.Width(), width_), h = std::min(rect.Height(), height_);
    TRect area = TRect::FromSize(rect.Left, rect.Top, w, h);
    TRect all{0, 0, w, h};

    // The image as the display will show it.
    TBitmap image(w, h);
    image.Canvas().DrawBitmapRect(all, *image_, all, clNone);
    if (const TfcPalette* palette = DrawingPalette(canvas)) palette->MapPixels(image);

    // Composed on a copy of the destination, so the destination changes once.
    TBitmap work(w, h);
    work.Canvas().CopyRect(all, canvas, area);
    BitBltRop(work, image, SRCINVERT, clWhite, clBlack);
    BitBltRop(work, mask, DSna, clWhite, clBlack);
    BitBltRop(work, image, SRCINVERT, clWhite, clBlack);
    canvas.DrawBitmapRect(area, work, all, clNone);
}

void TfcBitmap::DrawStretched(TCanvas& canvas, const TRect& rect) {
    if (Empty() || rect.IsEmpty()) return;
    TRect all{0, 0, width_, height_};
    if (Transparent()) {
        TfcBitmap stretched;
        stretched.SetImageSize(rect.Width(), rect.Height());
        stretched.image_->Canvas().DrawBitmapRect({0, 0, rect.Width(), rect.Height()}, *image_, all,
                                                  clNone);
        // The key of this image, not the stretched one's top-left pixel.
        stretched.SetTransparentColor(RGBValueToColor(TransparentRGB()));
        stretched.SetTransparent(true);
        stretched.DrawTransparent(canvas, rect);
    } else {
        PutPixels(canvas, rect, *image_, all);
    }
}

void TfcBitmap::DrawSmoothStretched(TCanvas& canvas, const TRect& rect) {
    if (Empty() || rect.IsEmpty()) return;
    TfcBitmap resampled;
    resampled.SetImageSize(rect.Width(), rect.Height());
    SmoothResample(*this, resampled);
    if (Transparent()) {
        resampled.SetTransparentColor(RGBValueToColor(TransparentRGB()));
        resampled.SetTransparent(true);
        resampled.DrawTransparent(canvas, rect);
    } else {
        PutPixels(canvas, rect, *resampled.image_, {0, 0, rect.Width(), rect.Height()});
    }
}

void TfcBitmap::DrawTiled(TCanvas& canvas, const TRect& rect) {
    if (Empty()) return;
    TfcPalette* previous = SelectDrawPalette(canvas);
    struct TRestore {
        TfcBitmap* self;
        TCanvas& canvas;
        TfcPalette* previous;
        ~TRestore() { self->RestoreDrawPalette(canvas, previous); }
    } restore{this, canvas, previous};
    TFlagGuard selected(paletteSelected_, true);
    for (int64_t y = 0; y < rect.Bottom; y += height_)
        for (int64_t x = 0; x < rect.Right; x += width_)
            Draw(canvas, TRect::FromSize(int(x - rect.Left), int(y - rect.Top), width_, height_));
}

// Loading and copying -------------------------------------------------------------------

std::unique_ptr<TGraphic> TfcBitmap::Clone() const {
    auto copy = std::make_unique<TfcBitmap>();
    AssignTo(*copy);
    return copy;
}

void TfcBitmap::Assign(const TGraphic* source) {
    if (source == this) return;
    auto* bitmap = dynamic_cast<const TBitmap*>(source);
    if (!source || (bitmap && bitmap->Empty())) {
        FreeImage();
        Changed();
        return;
    }
    if (bitmap) {
        pixelFormat_ = bitmap->PixelFormat();
        LoadFromBitmap(*bitmap);
        SetTransparent(bitmap->Transparent());
        return;
    }
    if (dynamic_cast<const TfcBitmap*>(source)) {
        source->AssignTo(*this);
        return;
    }
    LoadFromPersistent(*source);
}

void TfcBitmap::AssignTo(TGraphic& dest) const {
    if (auto* bitmap = dynamic_cast<TBitmap*>(&dest)) {
        CopyToBitmap(*bitmap);
        bitmap->SetTransparent(Transparent());
        TColor key = transparentColor_;
        if (key == clNone) key = Empty() ? clDefault : Pixel(0, 0);
        bitmap->SetTransparentColor(key);
        return;
    }
    if (auto* target = dynamic_cast<TfcBitmap*>(&dest)) {
        if (target == this) return;
        {
            TFlagGuard updating(target->updating_, true);
            if (Empty()) {
                target->FreeImage();
            } else {
                target->useOwnPalette_ = useOwnPalette_;
                target->useHalftonePalette_ = useHalftonePalette_;
                target->SetImageSize(width_, height_);
                std::memcpy(target->bits_, bits_, size_t(imageSize_));
                target->SetTransparent(Transparent());
                target->smoothStretch_ = smoothStretch_;
                target->transparentColor_ = transparentColor_;
                target->pixelFormat_ = pixelFormat_;
                target->colorTable_ = colorTable_;
                target->hasColorTable_ = hasColorTable_;
                target->sourceDeeperThanDisplay_ = sourceDeeperThanDisplay_;
            }
        }
        target->Changed();
        return;
    }
    TGraphic::AssignTo(dest);
}

void TfcBitmap::LoadFromBitmap(const TBitmap& bitmap) {
    FreeImage();
    if (!bitmap.Empty()) {
        CreateSection(bitmap.Width(), bitmap.Height());
        TRect all{0, 0, bitmap.Width(), bitmap.Height()};
        image_->Canvas().DrawBitmapRect(all, bitmap, all, clNone);  // any depth to 24 bits
    }
    SetupImage();
    sourceDeeperThanDisplay_ = DisplayBitsPerPixel() < bitmap.BitsPerPixel();
    pixelFormat_ = bitmap.PixelFormat();
    const std::vector<TRGBQuad>& palette = bitmap.Palette();
    colorTable_.fill(TRGBQuad{});
    std::copy_n(palette.begin(), std::min<size_t>(palette.size(), colorTable_.size()),
                colorTable_.begin());
    hasColorTable_ = !palette.empty();
}

void TfcBitmap::LoadFromGraphic(TGraphic& graphic) {
    TBitmap bitmap(graphic.Width(), graphic.Height());
    if (!bitmap.Empty()) graphic.Draw(bitmap.Canvas(), {0, 0, bitmap.Width(), bitmap.Height()});
    LoadFromBitmap(bitmap);
}

void TfcBitmap::LoadFromPersistent(const TGraphic& source) {
    TBitmap bitmap;
    bitmap.Assign(&source);
    LoadFromBitmap(bitmap);
}

void TfcBitmap::LoadFromDIB(std::span<const uint8_t> bits, TSize dimensions) {
    if (dimensions.cx <= 0 || dimensions.cy <= 0) {
        FreeImage();
        Changed();
        return;
    }
    int64_t size = (3 * int64_t(dimensions.cx) + dimensions.cx % 4) * dimensions.cy;
    if (size > INT32_MAX) throw EOutOfResources("Bitmap too large");
    if (int64_t(bits.size()) < size) throw EInvalidGraphic("Too few bytes for the bitmap's size");
    FreeImage();
    CreateSection(dimensions.cx, dimensions.cy);
    std::memcpy(bits_, bits.data(), size_t(size));
    SetupImage();
}

void TfcBitmap::CopyToBitmap(TBitmap& bitmap) const {
    bitmap.SetSize(0, 0);
    bitmap.SetPixelFormat(pixelFormat_);
    bitmap.SetSize(width_, height_);
    if (hasColorTable_ && bitmap.PixelFormat() != pf24bit) bitmap.SetPalette(colorTable_);
    if (Empty()) return;
    // Drawing with DrawingIntoBitmap set is a plain copy of the pixels; it changes
    // nothing of this bitmap.
    TFlagGuard intoBitmap(drawingIntoBitmap_, true);
    const_cast<TfcBitmap*>(this)->Draw(bitmap.Canvas(), {0, 0, width_, height_});
}

void TfcBitmap::LoadFromStream(std::istream& in) {
    TBitmap bitmap;
    bitmap.LoadFromStream(in);
    LoadFromBitmap(bitmap);
}

void TfcBitmap::SaveToStream(std::ostream& out) const {
    TBitmap bitmap;
    CopyToBitmap(bitmap);
    bitmap.SaveToStream(out);
}

void TfcBitmap::Resize(int width, int height) {
    if (width <= 0 || height <= 0) width = height = 0;
    if (width == width_ && height == height_) return;
    TfcBitmap copy;
    AssignTo(copy);
    // The old pixels are all kept, the transparent colour too.
    copy.SetTransparent(false);
    copy.drawingIntoBitmap_ = true;
    {
        TFlagGuard updating(updating_, true);
        SetImageSize(width, height);
        copy.Draw(canvas_, {0, 0, width, height});
    }
    Changed();
}

void TfcBitmap::SaveImage() {
    FreeSavedImage();
    if (!Empty()) {
        savedBits_.assign(bits_, bits_ + imageSize_);
        savedSize_ = imageSize_;
        savedWidth_ = width_;
        savedHeight_ = height_;
    }
    FreeImage();
}

void TfcBitmap::RestoreImage() {
    if (!HasSavedImage()) return;
    LoadFromDIB(savedBits_, {savedWidth_, savedHeight_});
    FreeSavedImage();
}

void TfcBitmap::FreeSavedImage() {
    savedBits_.clear();
    savedBits_.shrink_to_fit();
    savedSize_ = savedWidth_ = savedHeight_ = 0;
}

uint32_t TfcBitmap::Random(int64_t below) {
    if (below <= 0) return 0;
    randSeed_ = randSeed_ * 134775813u + 1u;
    return uint32_t((uint64_t(randSeed_) * uint64_t(below)) >> 32);
}
