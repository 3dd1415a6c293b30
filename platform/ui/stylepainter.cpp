#include "platform/ui/stylepainter.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/gfx/utf8.h"

void Frame3D(TCanvas& canvas, TRect& rect, TColor topColor, TColor bottomColor, int width) {
    canvas.Pen.Width = 1;
    canvas.Pen.Style = psSolid;
    canvas.Pen.Mode = pmCopy;
    rect.Bottom--;
    rect.Right--;
    for (int outlines = width * canvas.LineWidth(); outlines > 0; --outlines) {
        canvas.Pen.Color = topColor;
        canvas.MoveTo(rect.Left, rect.Bottom);
        canvas.LineTo(rect.Left, rect.Top);
        canvas.LineTo(rect.Right, rect.Top);
        canvas.Pen.Color = bottomColor;
        canvas.LineTo(rect.Right, rect.Bottom);
        canvas.LineTo(rect.Left - 1, rect.Bottom);
        rect = rect.Inflate(-1, -1);
    }
    rect.Bottom++;
    rect.Right++;
}

void DrawEdge(TCanvas& canvas, TRect& rect, TEdge edge) {
    switch (edge) {
        case TEdge::Raised:
            Frame3D(canvas, rect, cl3DLight, cl3DDkShadow, 1);
            Frame3D(canvas, rect, clBtnHighlight, clBtnShadow, 1);
            break;
        case TEdge::Sunken:
            Frame3D(canvas, rect, clBtnShadow, clBtnHighlight, 1);
            Frame3D(canvas, rect, cl3DDkShadow, cl3DLight, 1);
            break;
        case TEdge::Pressed: {
            Frame3D(canvas, rect, clBtnShadow, clBtnShadow, 1);
            const int line = canvas.LineWidth();
            rect = rect.Inflate(-line, -line);
            break;
        }
        case TEdge::Etched:
            Frame3D(canvas, rect, clBtnShadow, clBtnHighlight, 1);
            Frame3D(canvas, rect, clBtnHighlight, clBtnShadow, 1);
            break;
    }
}

namespace {
// A one-line outline inside rect in the brush colour.
void FrameLine(TCanvas& canvas, const TRect& rect, TColor color) {
    canvas.Brush.Color = color;
    canvas.Brush.Style = bsSolid;
    TRect r = rect;
    for (int i = canvas.LineWidth(); i > 0 && !r.IsEmpty(); --i) {
        canvas.FrameRect(r);
        r = r.Inflate(-1, -1);
    }
}
}  // namespace

TRect DrawButtonFace(TCanvas& canvas, TRect rect, TColor face, bool pressed, bool isDefault) {
    if (isDefault) {
        FrameLine(canvas, rect, clWindowFrame);
        const int line = canvas.LineWidth();
        rect = rect.Inflate(-line, -line);
    }
    if (pressed) {
        DrawEdge(canvas, rect, TEdge::Pressed);
    } else {
        Frame3D(canvas, rect, clBtnHighlight, cl3DDkShadow, 1);
        Frame3D(canvas, rect, cl3DLight, clBtnShadow, 1);
    }
    canvas.Brush.Color = face;
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(rect);
    return rect;
}

void DrawCheckMark(TCanvas& canvas, const TRect& area, TColor color) {
    // The design: a tick three pixels thick in a 7 x 7 square, column c (0 to 6) inked
    // from row 2 + c down to row 4 (at c = 2), then up to row 0 (at c = 6). At a scale each
    // pixel takes the ink of the design point under its centre, so the slopes stay smooth.
    constexpr int kMark = 7, kThickness = 3;
    const int size = canvas.ScaleValue(kMark);
    const double scale = canvas.ScalePercent() / 100.0;
    const int left = area.Left + (area.Width() - size) / 2;
    const int top = area.Top + (area.Height() - size) / 2;
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = color;
    for (int x = 0; x < size; ++x) {
        double column = std::clamp((x + 0.5) / scale - 0.5, 0.0, double(kMark - 1));
        double first = column <= 2 ? 2 + column : 6 - column;  // top of the ink, design rows
        // Pixel rows whose centres lie in [first, first + thickness) of the design.
        int from = int(std::ceil(first * scale - 0.5));
        int to = int(std::ceil((first + kThickness) * scale - 0.5));
        canvas.FillRect({left + x, top + from, left + x + 1, top + to});
    }
}

void DrawCheckBoxGlyph(TCanvas& canvas, int x, int y, bool checked, bool enabled, bool pressed) {
    const int size = canvas.ScaleValue(kCheckBoxGlyphSize);
    TRect box = TRect::FromSize(x, y, size, size);
    DrawEdge(canvas, box, TEdge::Sunken);
    canvas.Brush.Color = enabled && !pressed ? clWindow : clBtnFace;
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(box);
    if (checked) DrawCheckMark(canvas, box, enabled ? clWindowText : clBtnShadow);
}

void DrawRadioGlyph(TCanvas& canvas, int x, int y, bool checked, bool enabled, bool pressed) {
    // The design, 12 x 12 around the centre (6, 6): an outer ring from 5 to 6 pixels out, an
    // inner ring from 4 to 5, the inside, and a dot of radius 2 when checked. Each ring is
    // dark on the upper-left half (above the diagonal from the top-right to the bottom-left
    // corner) and light on the lower-right half, as if lit from the top-left. Every pixel
    // takes the part of the design under its centre.
    const int size = canvas.ScaleValue(kRadioGlyphSize);
    const double scale = canvas.ScalePercent() / 100.0;
    const double centre = kRadioGlyphSize / 2.0;
    TColor inside = enabled && !pressed ? clWindow : clBtnFace;
    TColor dot = enabled ? clWindowText : clBtnShadow;
    for (int row = 0; row < size; ++row) {
        const double v = (row + 0.5) / scale;
        for (int col = 0; col < size; ++col) {
            const double u = (col + 0.5) / scale;
            const double distance = std::hypot(u - centre, v - centre);
            if (distance > 6) continue;
            const double diagonal = u + v - kRadioGlyphSize;
            const bool upperLeft = diagonal < 0 || (diagonal == 0 && v < u);
            TColor color;
            if (distance > 5) {
                color = upperLeft ? clBtnShadow : clBtnHighlight;
            } else if (distance > 4) {
                color = upperLeft ? cl3DDkShadow : cl3DLight;
            } else if (distance > 2 || !checked) {
                color = inside;
            } else {
                color = dot;
            }
            canvas.SetPixel(x + col, y + row, color);
        }
    }
}

void DrawGroupFrame(TCanvas& canvas, const TRect& rect, std::string_view caption, TColor background,
                    bool enabled) {
    const int line = canvas.LineWidth();
    int textHeight = canvas.TextHeight("0");
    TRect frame{rect.Left, rect.Top + textHeight / 2, rect.Right, rect.Bottom};
    // The groove: a shadow outline, and a highlight outline a line down and right.
    TRect shadow{frame.Left, frame.Top, frame.Right - line, frame.Bottom - line};
    FrameLine(canvas, shadow.Offset(line, line), clBtnHighlight);
    FrameLine(canvas, shadow, clBtnShadow);
    if (caption.empty()) return;
    int width = canvas.TextWidth(caption);
    canvas.Brush.Color = background;
    canvas.FillRect(TRect::FromSize(rect.Left + canvas.ScaleValue(8), rect.Top,
                                    width + canvas.ScaleValue(2), textHeight));
    DrawControlText(canvas, rect, rect.Left + canvas.ScaleValue(9), rect.Top, caption, enabled);
}

namespace {
// Draws text in the canvas font and colour, clipped to clip when there is one.
void PlainText(TCanvas& canvas, const TRect* clip, int x, int y, std::string_view text) {
    if (clip) {
        canvas.TextRect(*clip, x, y, text);
    } else {
        canvas.TextOut(x, y, text);
    }
}

void ControlText(TCanvas& canvas, const TRect* clip, int x, int y, std::string_view text,
                 bool enabled) {
    canvas.Brush.Style = bsClear;
    if (enabled) {
        PlainText(canvas, clip, x, y, text);
        return;
    }
    // Disabled: etched, a white copy a line down and right under the shadow-grey text.
    TColor color = canvas.Font.Color();
    canvas.Font.SetColor(clBtnHighlight);
    const int line = canvas.LineWidth();
    PlainText(canvas, clip, x + line, y + line, text);
    canvas.Font.SetColor(clBtnShadow);
    PlainText(canvas, clip, x, y, text);
    canvas.Font.SetColor(color);
}
}  // namespace

void DrawControlText(TCanvas& canvas, int x, int y, std::string_view text, bool enabled) {
    ControlText(canvas, nullptr, x, y, text, enabled);
}

void DrawControlText(TCanvas& canvas, const TRect& clip, int x, int y, std::string_view text,
                     bool enabled) {
    ControlText(canvas, &clip, x, y, text, enabled);
}

void DrawFocus(TCanvas& canvas, const TRect& rect) {
    canvas.DrawFocusRect(rect, canvas.LineWidth());
}

void DrawCaptionFocus(TCanvas& canvas, int x, int y, std::string_view text, const TRect& bounds) {
    TSize extent = canvas.TextExtent(text);
    const int line = canvas.LineWidth();
    TRect around{x - line, y - line, x + extent.cx + line, y + extent.cy + line};
    DrawFocus(canvas, around.Intersect(bounds));
}

void DrawMenuFrame(TCanvas& canvas, const TRect& rect) {
    TRect r = rect;
    DrawEdge(canvas, r, TEdge::Raised);
    canvas.Brush.Color = clBtnFace;
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(r);
}

void DrawMenuItem(TCanvas& canvas, const TRect& rect, std::string_view caption, bool highlighted,
                  bool enabled) {
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = highlighted ? clHighlight : clBtnFace;
    canvas.FillRect(rect);
    int x = rect.Left + canvas.ScaleValue(kMenuTextLeft);
    int y = rect.Top + (rect.Height() - canvas.TextHeight(caption)) / 2;
    if (!enabled && !highlighted) {
        DrawControlText(canvas, x, y, caption, false);
        return;
    }
    TColor color = canvas.Font.Color();
    canvas.Font.SetColor(!enabled ? clGrayText : highlighted ? clHighlightText : clWindowText);
    canvas.Brush.Style = bsClear;
    canvas.TextOut(x, y, caption);
    canvas.Font.SetColor(color);
}

void DrawMenuSeparator(TCanvas& canvas, const TRect& rect) {
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = clBtnFace;
    canvas.FillRect(rect);
    const int line = canvas.LineWidth();
    int y = rect.Top + rect.Height() / 2 - line;
    canvas.Brush.Color = clBtnShadow;
    canvas.FillRect({rect.Left + line, y, rect.Right - line, y + line});
    canvas.Brush.Color = clBtnHighlight;
    canvas.FillRect({rect.Left + line, y + line, rect.Right - line, y + 2 * line});
}

TRect DrawSunkenField(TCanvas& canvas, const TRect& rect, TColor fill) {
    TRect r = rect;
    DrawEdge(canvas, r, TEdge::Sunken);
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = fill;
    canvas.FillRect(r);
    return r;
}

void DrawHeaderSection(TCanvas& canvas, const TRect& rect, std::string_view caption,
                       bool rightAligned) {
    if (rect.IsEmpty()) return;
    DrawButtonFace(canvas, rect, clBtnFace, false, false);
    if (caption.empty()) return;
    const int textLeft = canvas.ScaleValue(kHeaderTextLeft), edge = 2 * canvas.LineWidth();
    TRect clip{rect.Left + textLeft, rect.Top + edge, rect.Right - textLeft, rect.Bottom - edge};
    if (clip.IsEmpty()) return;
    std::string shown = FitTextWithEllipsis(canvas, caption, clip.Width());
    int x = rightAligned ? clip.Right - canvas.TextWidth(shown) : clip.Left;
    int y = rect.Top + (rect.Height() - canvas.TextHeight(shown)) / 2;
    TColor color = canvas.Font.Color();
    canvas.Font.SetColor(clBtnText);
    canvas.Brush.Style = bsClear;
    canvas.TextRect(clip, x, y, shown);
    canvas.Font.SetColor(color);
}

std::string FitTextWithEllipsis(const TCanvas& canvas, std::string_view text, int width) {
    if (canvas.TextWidth(text) <= width) return std::string(text);
    static constexpr std::string_view kDots = "...";
    // The longest run of whole characters that leaves room for the dots (the width grows
    // with the run, so a binary search over the character boundaries finds it).
    std::vector<size_t> ends;
    for (size_t pos = 0; pos < text.size();) {
        NextCodePoint(text, pos);
        ends.push_back(pos);
    }
    auto fitsWith = [&](size_t end) {
        std::string candidate(text.substr(0, end));
        candidate += kDots;
        return canvas.TextWidth(candidate) <= width;
    };
    size_t low = 0, high = ends.size();  // ends[0, low) fit; ends[high, ...) do not
    while (low < high) {
        size_t mid = low + (high - low) / 2;
        if (fitsWith(ends[mid])) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    size_t fits = low > 0 ? ends[low - 1] : 0;
    if (fits > 0) return std::string(text.substr(0, fits)) + std::string(kDots);
    std::string dots(kDots);
    while (!dots.empty() && canvas.TextWidth(dots) > width)
        dots.pop_back();
    return dots;
}

namespace {

constexpr double kPi = 3.14159265358979323846;

// A pie: the largest circle that fits in area, centred; its pixels whose angle, clockwise
// from twelve o'clock, is below the fraction done in fore, the others in back.
void DrawPie(TCanvas& canvas, const TRect& area, int percent, TColor fore, TColor back) {
    const int diameter = std::min(area.Width(), area.Height());
    if (diameter <= 0) return;
    const double r = diameter / 2.0;
    const double cx = area.Left + area.Width() / 2.0, cy = area.Top + area.Height() / 2.0;
    const double done = percent / 100.0;
    for (int y = int(cy - r); y < int(cy + r) + 1; ++y) {
        for (int x = int(cx - r); x < int(cx + r) + 1; ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            if (dx * dx + dy * dy > r * r) continue;
            // Clockwise from straight up, as a fraction of the turn.
            double turn = std::atan2(dx, -dy) / (2 * kPi);
            if (turn < 0) turn += 1;
            canvas.SetPixel(x, y, turn < done ? fore : back);
        }
    }
}

// A half dial on the bottom edge of area and its needle.
void DrawNeedle(TCanvas& canvas, const TRect& area, int percent, TColor fore, TColor back) {
    const int radius = std::min(area.Width() / 2, area.Height() - 1);
    if (radius <= 0) return;
    const int cx = area.Left + area.Width() / 2, cy = area.Bottom - 1;
    canvas.Pen.Color = clBtnShadow;
    canvas.Brush.Color = back;
    canvas.Brush.Style = bsSolid;
    canvas.Ellipse(cx - radius, cy - radius, cx + radius + 1, cy + radius + 1);
    const double angle = kPi * (1 - percent / 100.0);  // from the right, anticlockwise
    canvas.Pen.Color = fore;
    canvas.MoveTo(cx, cy);
    canvas.LineTo(cx + int(std::lround(std::cos(angle) * (radius - 1))),
                  cy - int(std::lround(std::sin(angle) * (radius - 1))));
}

}  // namespace

void DrawGauge(TCanvas& canvas, const TRect& rect, TGaugeKind kind, int percent, TColor fore,
               TColor back, bool showText, bool border) {
    percent = std::clamp(percent, 0, 100);
    TRect face = rect;
    if (border) DrawEdge(canvas, face, TEdge::Sunken);
    if (face.IsEmpty()) return;
    canvas.Pen.Width = 1;
    canvas.Pen.Style = psSolid;
    canvas.Pen.Mode = pmCopy;
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = back;
    canvas.FillRect(face);
    // The part of the face the bar covers.
    TRect done{};
    switch (kind) {
        case gkHorizontalBar:
            done = {face.Left, face.Top, face.Left + face.Width() * percent / 100, face.Bottom};
            break;
        case gkVerticalBar:
            done = {face.Left, face.Bottom - face.Height() * percent / 100, face.Right,
                    face.Bottom};
            break;
        case gkPie:
            DrawPie(canvas, face, percent, fore, back);
            break;
        case gkNeedle:
            DrawNeedle(canvas, face, percent, fore, back);
            break;
        case gkText:
            break;
    }
    if (!done.IsEmpty()) {
        canvas.Brush.Color = fore;
        canvas.FillRect(done);
    }
    if (!showText && kind != gkText) return;
    const std::string text = std::to_string(percent) + "%";
    const int x = face.Left + (face.Width() - canvas.TextWidth(text)) / 2;
    const int y = face.Top + (face.Height() - canvas.TextHeight(text)) / 2;
    const TColor saved = canvas.Font.Color();
    canvas.Brush.Style = bsClear;
    if (kind == gkHorizontalBar || kind == gkVerticalBar) {
        // Two passes, each cut to its part: back over the bar, fore beside it.
        canvas.Font.SetColor(back);
        canvas.TextRect(done.Intersect(face), x, y, text);
        canvas.Font.SetColor(fore);
        TRect rest = kind == gkHorizontalBar ? TRect{done.Right, face.Top, face.Right, face.Bottom}
                                             : TRect{face.Left, face.Top, face.Right, done.Top};
        if (done.IsEmpty()) rest = face;
        canvas.TextRect(rest, x, y, text);
    } else {
        // On a pie or dial the number sits on a patch of the face's own colour.
        if (kind != gkText) {
            canvas.Brush.Style = bsSolid;
            canvas.Brush.Color = back;
        }
        canvas.Font.SetColor(fore);
        canvas.TextRect(face, x, y, text);
    }
    canvas.Font.SetColor(saved);
    canvas.Brush.Style = bsSolid;
}
