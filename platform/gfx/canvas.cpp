#include "platform/gfx/canvas.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/graphic.h"
#include "platform/gfx/scale.h"

namespace {

// A source pixel as three bytes (blue, green, red), whatever the source's format.
struct TSourceReader {
    const TBitmap& bitmap;
    std::array<uint8_t, 3 * 256> palette{};

    explicit TSourceReader(const TBitmap& b) : bitmap(b) {
        const auto& p = b.Palette();
        for (size_t i = 0; i < p.size() && i < 256; ++i) {
            palette[3 * i] = p[i].rgbBlue;
            palette[3 * i + 1] = p[i].rgbGreen;
            palette[3 * i + 2] = p[i].rgbRed;
        }
    }
    const uint8_t* At(const uint8_t* row, int x) const {
        switch (bitmap.PixelFormat()) {
            case pf24bit:
                return row + 3 * x;
            case pf8bit:
                return &palette[3 * size_t(row[x])];
            default:
                return &palette[3 * size_t((row[x >> 3] >> (7 - (x & 7))) & 1)];
        }
    }
};

bool SameColor(const uint8_t* bgr, TColor key) {
    return bgr[0] == GetBValue(key) && bgr[1] == GetGValue(key) && bgr[2] == GetRValue(key);
}

// Nearest-pixel mapping of count destination pixels onto a source span: destination
// pixel i samples the source pixel under its centre.
void NearestMap(std::vector<int>& map, int count, int srcStart, int srcCount) {
    map.resize(size_t(count));
    for (int i = 0; i < count; ++i)
        map[size_t(i)] = srcStart + int((2 * int64_t(i) + 1) * srcCount / (2 * int64_t(count)));
}

}  // namespace

TRect TCanvas::DeviceClip() const {
    if (!target_) return {};
    TRect all{0, 0, target_->Width(), target_->Height()};
    return hasClip_ ? all.Intersect(clip_) : all;
}

TRect TCanvas::ClipRect() const {
    return DeviceClip().Offset(-origin_.X, -origin_.Y);
}

void TCanvas::FillDevice(const TRect& deviceRect, TColor color) {
    TRect r = deviceRect.Intersect(DeviceClip());
    if (r.IsEmpty()) return;
    color = ColorToRGB(color);
    if (target_->PixelFormat() != pf24bit) {
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                target_->SetPixel(x, y, color);
        return;
    }
    uint8_t b = GetBValue(color), g = GetGValue(color), rd = GetRValue(color);
    uint8_t* first = target_->ScanLine(r.Top) + 3 * r.Left;
    for (int x = 0; x < r.Width(); ++x) {
        first[3 * x] = b;
        first[3 * x + 1] = g;
        first[3 * x + 2] = rd;
    }
    for (int y = r.Top + 1; y < r.Bottom; ++y)
        std::memcpy(target_->ScanLine(y) + 3 * r.Left, first, size_t(3 * r.Width()));
}

void TCanvas::PlotDevice(int x, int y, TColor color, TPenMode mode) {
    if (!DeviceClip().Contains({x, y})) return;
    if (mode == pmCopy) {
        target_->SetPixel(x, y, color);
        return;
    }
    TColor old = target_->Pixel(x, y);
    target_->SetPixel(x, y, mode == pmNot ? (~old & 0xFFFFFF) : (old ^ ColorToRGB(color)));
}

void TCanvas::HorizontalLine(int x0, int x1, int y, TColor color, TPenMode mode) {
    if (mode == pmCopy) {
        FillDevice({x0, y, x1, y + 1}, color);
        return;
    }
    for (int x = x0; x < x1; ++x)
        PlotDevice(x, y, color, mode);
}

void TCanvas::FillRect(const TRect& rect) {
    if (Brush.Style == bsClear || !target_) return;
    FillDevice(ToDevice(rect), Brush.Color);
}

void TCanvas::FrameRect(const TRect& rect) {
    if (!target_ || rect.IsEmpty()) return;
    TRect d = ToDevice(rect);
    FillDevice({d.Left, d.Top, d.Right, d.Top + 1}, Brush.Color);
    FillDevice({d.Left, d.Bottom - 1, d.Right, d.Bottom}, Brush.Color);
    FillDevice({d.Left, d.Top, d.Left + 1, d.Bottom}, Brush.Color);
    FillDevice({d.Right - 1, d.Top, d.Right, d.Bottom}, Brush.Color);
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
    if (!target_ || right <= left || bottom <= top) return;
    bool outline = Pen.Style != psClear;
    int inset = outline ? std::max(1, Pen.Width) : 0;
    if (Brush.Style != bsClear)
        FillDevice(ToDevice({left + inset, top + inset, right - inset, bottom - inset}),
                   Brush.Color);
    if (!outline) return;
    TRect d = ToDevice({left, top, right, bottom});
    for (int i = 0; i < inset; ++i) {
        HorizontalLine(d.Left + i, d.Right - i, d.Top + i, Pen.Color, Pen.Mode);
        HorizontalLine(d.Left + i, d.Right - i, d.Bottom - 1 - i, Pen.Color, Pen.Mode);
        for (int y = d.Top + i + 1; y < d.Bottom - 1 - i; ++y) {
            PlotDevice(d.Left + i, y, Pen.Color, Pen.Mode);
            PlotDevice(d.Right - 1 - i, y, Pen.Color, Pen.Mode);
        }
    }
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
    if (!target_ || right <= left || bottom <= top) return;
    TRect d = ToDevice({left, top, right, bottom});
    double cx = (d.Left + d.Right) / 2.0, cy = (d.Top + d.Bottom) / 2.0;
    double rx = (d.Right - d.Left) / 2.0, ry = (d.Bottom - d.Top) / 2.0;
    // The span of the ellipse on row y, from the row's centre line; empty rows give x0 > x1.
    auto span = [&](int y, int& x0, int& x1) {
        double dy = (y + 0.5 - cy) / ry;
        if (std::fabs(dy) >= 1.0) {
            x0 = 1;
            x1 = 0;
            return;
        }
        double hw = rx * std::sqrt(1.0 - dy * dy);
        x0 = int(std::ceil(cx - hw - 0.5));
        x1 = int(std::floor(cx + hw - 0.5));
    };
    bool outline = Pen.Style != psClear;
    for (int y = d.Top; y < d.Bottom; ++y) {
        int x0, x1;
        span(y, x0, x1);
        if (x0 > x1) continue;
        if (Brush.Style != bsClear) FillDevice({x0, y, x1 + 1, y + 1}, Brush.Color);
        if (!outline) continue;
        // The outline: the ends of this row's span, and the part of the span that the
        // neighbouring rows do not cover.
        int a0, a1, b0, b1;
        span(y - 1, a0, a1);
        span(y + 1, b0, b1);
        int inner0 = std::max(a0 > a1 ? x1 + 1 : a0, b0 > b1 ? x1 + 1 : b0);
        int inner1 = std::min(a0 > a1 ? x0 - 1 : a1, b0 > b1 ? x0 - 1 : b1);
        for (int x = x0; x <= x1; ++x)
            if (x == x0 || x == x1 || x < inner0 || x > inner1)
                PlotDevice(x, y, Pen.Color, Pen.Mode);
    }
}

void TCanvas::DrawLine(int x0, int y0, int x1, int y1) {
    int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    int step = 0;
    while (x0 != x1 || y0 != y1) {
        bool on = true;
        if (Pen.Style == psDot) on = step % 2 == 0;
        if (Pen.Style == psDash) on = step % 9 < 6;
        if (on && Pen.Style != psClear) {
            int w = std::max(1, Pen.Width);
            for (int oy = 0; oy < w; ++oy)
                for (int ox = 0; ox < w; ++ox)
                    PlotDevice(x0 + ox - w / 2, y0 + oy - w / 2, Pen.Color, Pen.Mode);
        }
        ++step;
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void TCanvas::LineTo(int x, int y) {
    if (target_) DrawLine(PenPos.X + origin_.X, PenPos.Y + origin_.Y, x + origin_.X, y + origin_.Y);
    PenPos = {x, y};
}

void TCanvas::DrawFocusRect(const TRect& rect, int thickness) {
    if (!target_ || rect.IsEmpty()) return;
    const TRect d = ToDevice(rect);
    const int t = std::max(1, thickness);
    const TRect inner = d.Inflate(-t, -t);
    // Each pixel of the band is visited once; the ones on the even squares of a checkerboard
    // of t-pixel squares are inverted, so the band is dotted and a second call restores it.
    for (int y = d.Top; y < d.Bottom; ++y) {
        const bool edgeRow = y < inner.Top || y >= inner.Bottom;
        for (int x = d.Left; x < d.Right; ++x) {
            if (!edgeRow && x >= inner.Left && x < inner.Right) x = inner.Right;
            if (x >= d.Right) break;
            if (((x / t + y / t) & 1) == 0) PlotDevice(x, y, clBlack, pmNot);
        }
    }
}

int TCanvas::ScaleValue(int designLength) const {
    return ScaleLength(designLength, scalePercent_);
}

int TCanvas::LineWidth() const {
    return std::max(1, ScaleValue(1));
}

void TCanvas::InvertRect(const TRect& rect) {
    if (!target_) return;
    TRect r = ToDevice(rect).Intersect(DeviceClip());
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            PlotDevice(x, y, clBlack, pmNot);
}

void TCanvas::CopyRect(const TRect& dest, const TCanvas& source, const TRect& srcRect) {
    if (!source.target_) return;
    DrawBitmapRect(dest, *source.target_, srcRect.Offset(source.origin_.X, source.origin_.Y),
                   clNone);
}

void TCanvas::Draw(int x, int y, TGraphic& graphic) {
    if (graphic.Empty()) return;
    graphic.Draw(*this, TRect::FromSize(x, y, graphic.Width(), graphic.Height()));
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic& graphic) {
    if (graphic.Empty()) return;
    graphic.Draw(*this, rect);
}

void TCanvas::DrawBitmap(const TRect& dest, const TBitmap& bitmap) {
    if (bitmap.Empty()) return;
    TColor key = bitmap.Transparent() ? ColorToRGB(bitmap.TransparentColor()) : clNone;
    DrawBitmapRect(dest, bitmap, {0, 0, bitmap.Width(), bitmap.Height()}, key);
}

void TCanvas::DrawBitmapRect(const TRect& dest, const TBitmap& bitmap, const TRect& src,
                             TColor key) {
    if (!target_ || bitmap.Empty() || dest.IsEmpty() || src.IsEmpty()) return;
    TRect d = ToDevice(dest);
    TRect visible = d.Intersect(DeviceClip());
    if (visible.IsEmpty()) return;
    bool keyed = key != clNone;
    bool unscaled = d.Width() == src.Width() && d.Height() == src.Height();

    // Source column and row for every visible destination pixel; -1 lies outside the source.
    std::vector<int> xs, ys;
    if (unscaled) {
        xs.resize(size_t(visible.Width()));
        ys.resize(size_t(visible.Height()));
        for (int i = 0; i < visible.Width(); ++i)
            xs[size_t(i)] = src.Left + visible.Left - d.Left + i;
        for (int i = 0; i < visible.Height(); ++i)
            ys[size_t(i)] = src.Top + visible.Top - d.Top + i;
    } else {
        std::vector<int> all;
        NearestMap(all, d.Width(), src.Left, src.Width());
        xs.assign(all.begin() + (visible.Left - d.Left), all.begin() + (visible.Right - d.Left));
        NearestMap(all, d.Height(), src.Top, src.Height());
        ys.assign(all.begin() + (visible.Top - d.Top), all.begin() + (visible.Bottom - d.Top));
    }
    for (int& x : xs)
        if (x < 0 || x >= bitmap.Width()) x = -1;

    if (target_->PixelFormat() == pf24bit && bitmap.PixelFormat() == pf24bit) {
        // The common case, 24 bits to 24 bits: whole rows when nothing is keyed or
        // scaled, else pixel by pixel with the key compared as one 24-bit value.
        const uint32_t keyBGR = keyed ? uint32_t(GetBValue(key)) | uint32_t(GetGValue(key)) << 8 |
                                            uint32_t(GetRValue(key)) << 16
                                      : 0;
        bool rowCopy = unscaled && !keyed && xs.front() >= 0 && xs.back() >= 0;
        for (int row = 0; row < visible.Height(); ++row) {
            int sy = ys[size_t(row)];
            if (sy < 0 || sy >= bitmap.Height()) continue;
            const uint8_t* srow = bitmap.ScanLine(sy);
            uint8_t* drow = target_->ScanLine(visible.Top + row) + 3 * visible.Left;
            if (rowCopy) {
                std::memcpy(drow, srow + 3 * xs.front(), 3 * xs.size());
                continue;
            }
            for (size_t col = 0; col < xs.size(); ++col, drow += 3) {
                if (xs[col] < 0) continue;
                const uint8_t* p = srow + 3 * xs[col];
                if (keyed &&
                    (uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16) == keyBGR)
                    continue;
                drow[0] = p[0];
                drow[1] = p[1];
                drow[2] = p[2];
            }
        }
        return;
    }

    TSourceReader reader(bitmap);
    bool fast = target_->PixelFormat() == pf24bit;
    for (int row = 0; row < visible.Height(); ++row) {
        int sy = ys[size_t(row)];
        if (sy < 0 || sy >= bitmap.Height()) continue;
        const uint8_t* srow = bitmap.ScanLine(sy);
        int y = visible.Top + row;
        uint8_t* drow = fast ? target_->ScanLine(y) : nullptr;
        for (int col = 0; col < visible.Width(); ++col) {
            int sx = xs[size_t(col)];
            if (sx < 0) continue;
            const uint8_t* p = reader.At(srow, sx);
            if (keyed && SameColor(p, key)) continue;
            int x = visible.Left + col;
            if (fast) {
                std::memcpy(drow + 3 * x, p, 3);
            } else {
                target_->SetPixel(x, y, RGB(p[2], p[1], p[0]));
            }
        }
    }
}

void TCanvas::TextOut(int x, int y, std::string_view text) {
    TextRect(DeviceClip().Offset(-origin_.X, -origin_.Y), x, y, text);
    PenPos = {x + TextWidth(text), y};
}

void TCanvas::TextRect(const TRect& rect, int x, int y, std::string_view text) {
    if (!target_) return;
    const TFontFace& face = Font.Face();
    TFontMetrics m = face.Metrics();
    int width = face.TextWidth(text);
    TRect clip = ToDevice(rect).Intersect(DeviceClip());
    if (clip.IsEmpty()) return;
    TRect cell = ToDevice(TRect::FromSize(x, y, width, m.Height())).Intersect(clip);
    if (Brush.Style != bsClear) FillDevice(cell, Brush.Color);
    if (target_->PixelFormat() != pf24bit) return;
    TColor color = ColorToRGB(Font.Color());
    int dx = x + origin_.X, dy = y + origin_.Y;
    face.DrawText(*target_, dx, dy, text, color, clip);
    auto line = [&](int rowY, int length) {
        TRect r = TRect{dx, rowY, dx + length, rowY + std::max(1, m.LineThickness)}.Intersect(clip);
        if (!r.IsEmpty()) FillDevice(r, color);
    };
    // The underline ends with the ink of the last character, not with the blank after it.
    if (Font.Style() & fsUnderline)
        line(dy + m.Ascent + m.UnderlinePosition, width - face.TrailingBlank(text));
    if (Font.Style() & fsStrikeOut) line(dy + m.Ascent - m.StrikeOutPosition, width);
}

int TCanvas::TextWidth(std::string_view text) const {
    return Font.Face().TextWidth(text);
}

int TCanvas::TextHeight(std::string_view) const {
    return Font.Face().Metrics().Height();
}

TSize TCanvas::TextExtent(std::string_view text) const {
    return {TextWidth(text), TextHeight(text)};
}

TColor TCanvas::Pixel(int x, int y) const {
    if (!target_) return clNone;
    return target_->Pixel(x + origin_.X, y + origin_.Y);
}

void TCanvas::SetPixel(int x, int y, TColor color) {
    if (target_) PlotDevice(x + origin_.X, y + origin_.Y, color, pmCopy);
}
