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
    while (width-- > 0) {
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
        case TEdge::Pressed:
            Frame3D(canvas, rect, clBtnShadow, clBtnShadow, 1);
            rect = rect.Inflate(-1, -1);
            break;
        case TEdge::Etched:
            Frame3D(canvas, rect, clBtnShadow, clBtnHighlight, 1);
            Frame3D(canvas, rect, clBtnHighlight, clBtnShadow, 1);
            break;
    }
}

TRect DrawButtonFace(TCanvas& canvas, TRect rect, TColor face, bool pressed, bool isDefault) {
    if (isDefault) {
        canvas.Brush.Color = clWindowFrame;
        canvas.Brush.Style = bsSolid;
        canvas.FrameRect(rect);
        rect = rect.Inflate(-1, -1);
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

void DrawCheckBoxGlyph(TCanvas& canvas, int x, int y, bool checked, bool enabled, bool pressed) {
    TRect box = TRect::FromSize(x, y, kCheckBoxGlyphSize, kCheckBoxGlyphSize);
    DrawEdge(canvas, box, TEdge::Sunken);
    canvas.Brush.Color = enabled && !pressed ? clWindow : clBtnFace;
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(box);
    if (!checked) return;
    // The check mark: a tick three pixels thick, seven wide, in the middle of the box.
    TColor mark = enabled ? clWindowText : clBtnShadow;
    int left = box.Left + 1, top = box.Top + 1;
    for (int i = 0; i < 7; ++i) {
        int row = i <= 2 ? top + 2 + i : top + 4 - (i - 2);  // down two steps, then up four
        for (int t = 0; t < 3; ++t)
            canvas.SetPixel(left + i, row + t, mark);
    }
}

void DrawRadioGlyph(TCanvas& canvas, int x, int y, bool checked, bool enabled, bool pressed) {
    // The rings of the round button: 'o' the outer ring, 'i' the inner ring, 'w' the
    // inside, 'd' the inside that shows the dot when checked. Each ring is dark on the
    // upper-left half (above the diagonal from the top-right to the bottom-left corner)
    // and light on the lower-right half, as if lit from the top-left.
    static constexpr const char* kShape[kRadioGlyphSize] = {
        "....oooo....",  //
        "..ooiiiioo..",  //
        ".oiiwwwwiio.",  //
        ".oiwwwwwwio.",  //
        "oiwwwddwwwio",  //
        "oiwwddddwwio",  //
        "oiwwddddwwio",  //
        "oiwwwddwwwio",  //
        ".oiwwwwwwio.",  //
        ".oiiwwwwiio.",  //
        "..ooiiiioo..",  //
        "....oooo....",  //
    };
    TColor inside = enabled && !pressed ? clWindow : clBtnFace;
    TColor dot = enabled ? clWindowText : clBtnShadow;
    for (int row = 0; row < kRadioGlyphSize; ++row) {
        for (int col = 0; col < kRadioGlyphSize; ++col) {
            int diagonal = col + row - (kRadioGlyphSize - 1);
            bool upperLeft = diagonal < 0 || (diagonal == 0 && row < col);
            TColor color;
            switch (kShape[row][col]) {
                case 'o':
                    color = upperLeft ? clBtnShadow : clBtnHighlight;
                    break;
                case 'i':
                    color = upperLeft ? cl3DDkShadow : cl3DLight;
                    break;
                case 'w':
                    color = inside;
                    break;
                case 'd':
                    color = checked ? dot : inside;
                    break;
                default:
                    continue;
            }
            canvas.SetPixel(x + col, y + row, color);
        }
    }
}

void DrawGroupFrame(TCanvas& canvas, const TRect& rect, std::string_view caption, TColor background,
                    bool enabled) {
    int textHeight = canvas.TextHeight("0");
    TRect frame{rect.Left, rect.Top + textHeight / 2, rect.Right, rect.Bottom};
    // The groove: a shadow outline, and a highlight outline one pixel down and right.
    TRect shadow{frame.Left, frame.Top, frame.Right - 1, frame.Bottom - 1};
    TRect light = shadow.Offset(1, 1);
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = clBtnHighlight;
    canvas.FrameRect(light);
    canvas.Brush.Color = clBtnShadow;
    canvas.FrameRect(shadow);
    if (caption.empty()) return;
    int width = canvas.TextWidth(caption);
    canvas.Brush.Color = background;
    canvas.FillRect(TRect::FromSize(rect.Left + 8, rect.Top, width + 2, textHeight));
    DrawControlText(canvas, rect, rect.Left + 9, rect.Top, caption, enabled);
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
    // Disabled: etched, a white copy one pixel down and right under the shadow-grey text.
    TColor color = canvas.Font.Color();
    canvas.Font.SetColor(clBtnHighlight);
    PlainText(canvas, clip, x + 1, y + 1, text);
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
    canvas.DrawFocusRect(rect);
}

void DrawCaptionFocus(TCanvas& canvas, int x, int y, std::string_view text, const TRect& bounds) {
    TSize extent = canvas.TextExtent(text);
    TRect around{x - 1, y - 1, x + extent.cx + 1, y + extent.cy + 1};
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
    int y = rect.Top + (rect.Height() - canvas.TextHeight(caption)) / 2;
    if (!enabled && !highlighted) {
        DrawControlText(canvas, rect.Left + kMenuTextLeft, y, caption, false);
        return;
    }
    TColor color = canvas.Font.Color();
    canvas.Font.SetColor(!enabled ? clGrayText : highlighted ? clHighlightText : clWindowText);
    canvas.Brush.Style = bsClear;
    canvas.TextOut(rect.Left + kMenuTextLeft, y, caption);
    canvas.Font.SetColor(color);
}

void DrawMenuSeparator(TCanvas& canvas, const TRect& rect) {
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = clBtnFace;
    canvas.FillRect(rect);
    int y = rect.Top + rect.Height() / 2 - 1;
    canvas.Brush.Color = clBtnShadow;
    canvas.FillRect({rect.Left + 1, y, rect.Right - 1, y + 1});
    canvas.Brush.Color = clBtnHighlight;
    canvas.FillRect({rect.Left + 1, y + 1, rect.Right - 1, y + 2});
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
    TRect clip{rect.Left + kHeaderTextLeft, rect.Top + 2, rect.Right - kHeaderTextLeft,
               rect.Bottom - 2};
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
            done = {face.Left, face.Bottom - face.Height() * percent / 100, face.Right, face.Bottom};
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
