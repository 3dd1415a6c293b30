// TCanvas: drawing on a bitmap.
//
// A canvas draws on its target bitmap through a mapping: logical coordinates plus Origin
// are target coordinates, and nothing outside ClipRect (target coordinates) or the
// target is touched. A bitmap's own canvas has origin (0, 0) and no clip; the framework
// points a control's canvas at its window's frame with the control's offset and bounds.
//
// Rectangles are half-open (right and bottom exclusive); lines leave out their end point;
// both as the system draws them.
//
// A canvas also knows the scale of what it draws on (ScalePercent: 100 at 96 pixels per
// inch), so that drawing designed at 96 dpi, such as the classic look's bevels and
// glyphs, comes out at the window's size: ScaleValue gives a design length in pixels, and
// LineWidth the width of a design's one-pixel line.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/gfx/color.h"
#include "platform/gfx/font.h"
#include "platform/gfx/types.h"

class TBitmap;
class TGraphic;

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode { pmCopy, pmNot, pmXor };
enum TBrushStyle { bsSolid, bsClear };

struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = psSolid;
    TPenMode Mode = pmCopy;
};

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
};

class TCanvas {
public:
    explicit TCanvas(TBitmap* target = nullptr) : target_(target) {}
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TPen Pen;
    TBrush Brush;
    TFont Font;
    TPoint PenPos;

    // Mapping.
    TBitmap* Target() const { return target_; }
    void SetTarget(TBitmap* target) { target_ = target; }
    TPoint Origin() const { return origin_; }
    void SetOrigin(TPoint origin) { origin_ = origin; }
    // Clip in target coordinates; an unset clip is the whole target.
    void SetClipRect(const TRect& clip) {
        clip_ = clip;
        hasClip_ = true;
    }
    void ResetClip() { hasClip_ = false; }
    // The visible area in logical coordinates.
    TRect ClipRect() const;

    // Scale.
    int ScalePercent() const { return scalePercent_; }
    void SetScalePercent(int percent) { scalePercent_ = percent > 0 ? percent : 100; }
    int ScaleValue(int designLength) const;
    // At least one pixel: 1 up to 149 %, 2 up to 249 %, 3 up to 349 %, ...
    int LineWidth() const;

    // Fills rect with the brush colour (nothing with a clear brush).
    void FillRect(const TRect& rect);
    // A one-pixel outline in the brush colour.
    void FrameRect(const TRect& rect);
    // Outline with the pen, inside filled with the brush.
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    // Ellipse inside the rectangle, outlined with the pen and filled with the brush.
    void Ellipse(int left, int top, int right, int bottom);
    void MoveTo(int x, int y) { PenPos = {x, y}; }
    // A line from PenPos to (x, y), leaving out the end point; PenPos moves there.
    void LineTo(int x, int y);
    // The system's focus rectangle: every other pixel of the outline inverted, so drawing
    // the same rectangle twice restores the pixels. A thicker one (for a larger scale) is
    // a band of that width inside rect, dotted in squares of that size.
    void DrawFocusRect(const TRect& rect, int thickness = 1);
    // Inverts every pixel of rect.
    void InvertRect(const TRect& rect);

    // Copies srcRect of source into dest, stretched when the sizes differ.
    void CopyRect(const TRect& dest, const TCanvas& source, const TRect& srcRect);
    // Draws a graphic at its own size with its top-left corner at (x, y).
    void Draw(int x, int y, TGraphic& graphic);
    // Draws a graphic stretched into rect (nearest pixel, as COLORONCOLOR stretching).
    void StretchDraw(const TRect& rect, TGraphic& graphic);
    // The bitmap drawing behind Draw and StretchDraw: the whole bitmap into dest, its key
    // colour left out when it is transparent.
    void DrawBitmap(const TRect& dest, const TBitmap& bitmap);
    // Part of a bitmap into dest; key is a colour to leave out, or clNone.
    void DrawBitmapRect(const TRect& dest, const TBitmap& bitmap, const TRect& src, TColor key);

    // Text in Font, the top-left corner of its cell at (x, y); the cell is first filled
    // with the brush unless the brush is clear. An underline runs from x to the ink of
    // the last character (TFontFace::TrailingBlank), a strike-out the whole advance.
    // PenPos moves past the text.
    void TextOut(int x, int y, std::string_view text);
    // The same, drawn only inside rect.
    void TextRect(const TRect& rect, int x, int y, std::string_view text);
    int TextWidth(std::string_view text) const;
    int TextHeight(std::string_view text) const;
    TSize TextExtent(std::string_view text) const;

    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);

private:
    // The area that may be drawn, in target coordinates.
    TRect DeviceClip() const;
    TRect ToDevice(const TRect& r) const { return r.Offset(origin_.X, origin_.Y); }
    void FillDevice(const TRect& deviceRect, TColor color);
    void PlotDevice(int x, int y, TColor color, TPenMode mode);
    void HorizontalLine(int x0, int x1, int y, TColor color, TPenMode mode);
    void DrawLine(int x0, int y0, int x1, int y1);

    TBitmap* target_ = nullptr;
    TPoint origin_;
    TRect clip_;
    bool hasClip_ = false;
    int scalePercent_ = 100;
};
