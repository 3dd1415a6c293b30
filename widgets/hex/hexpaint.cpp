// THexEditor's painting: the rows, the cursor, the frame and bars, the message and the
// polka dots. Only what shows is drawn, and only the cells drawn go into the hit table,
// however long a row is.
#include <algorithm>
#include <cstdio>
#include <string_view>

#include "platform/ui/scrollbar.h"
#include "widgets/hex/hexcontrol.h"
#include "widgets/tarvopanel.h"

namespace {

constexpr int kShadeRange = 150;
constexpr int kMaxDots = 30;
constexpr int kDotSize = 30;
constexpr TColor kDotColor = RGB(255, 255, 128);

// Halfway between a colour and the background: how a byte without a character shows.
TColor Dimmed(TColor color, TColor background) {
    TColor a = ColorToRGB(color), b = ColorToRGB(background);
    return RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2,
               (GetBValue(a) + GetBValue(b)) / 2);
}

}  // namespace

void THexEditor::PaintPolkaDots(TCanvas& canvas, const TRect& client) {
    if (client.IsEmpty()) return;
    canvas.Pen.Color = kDotColor;
    canvas.Brush.Color = kDotColor;
    canvas.Brush.Style = bsSolid;
    for (int i = 0; i < std::min(polkaDots_, kMaxDots); ++i) {
        TDot& d = dots_[size_t(i)];
        d.X += d.VX;
        d.Y += d.VY;
        if (!client.Contains({d.X, d.Y}) || (d.VX == 0 && d.VY == 0)) {
            d.X = client.Left + int(Random() % unsigned(client.Width()));
            d.Y = client.Top + int(Random() % unsigned(client.Height()));
            d.VX = int(Random() % 3) - 1;
            d.VY = int(Random() % 3) - 1;
        }
        canvas.Ellipse(d.X, d.Y, d.X + ScaleValue(kDotSize), d.Y + ScaleValue(kDotSize));
    }
}

void THexEditor::PaintMessage(TCanvas& canvas, const std::string& text) {
    barX_[0] = barX_[1] = kNoBar;
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    int lineHeight = canvas.TextHeight("A");
    TRect client = ClientRect();
    canvas.Font.SetColor(Font().Color());
    for (size_t i = 0; i < lines.size(); ++i) {
        int x = client.Left + (client.Width() - canvas.TextWidth(lines[i])) / 2;
        int y = client.Top + (client.Height() - lineHeight) / 2 + lineHeight * int(i);
        canvas.TextOut(x, y, lines[i]);
    }
}

void THexEditor::PaintFrame(TCanvas& canvas) {
    TRect client = ClientRect();
    PaintBand(canvas, client.Right, client.Bottom, barWidth_, kShadeRange, doRed_, doGreen_,
              doBlue_);
    // The bars run from BarWidth - 1 to BarWidth - 1 above the bottom, cut to the control;
    // a bar scrolled out of the frame is not drawn.
    int inset = int(std::clamp<int64_t>(int64_t(barWidth_) - 1, -1, client.Bottom + 1));
    TRect inner = InnerRect();
    for (int x : barX_) {
        if (x == kNoBar || x + ScaleValue(kBarInGap) < inner.Left ||
            x + ScaleValue(kBarInGap) >= inner.Right)
            continue;
        PaintVerticalBar(canvas, x + ScaleValue(kBarInGap), inset, client.Bottom - inset, barWidth_,
                         kShadeRange, doRed_, doGreen_, doBlue_);
    }
}

TColor THexEditor::CellColor(int64_t offset, bool atCursor, int panel) const {
    if (atCursor) return colorCursor_;
    if (std::binary_search(changed_.begin(), changed_.end(), offset)) return colorChange_;
    return panel == cpBytes ? colorByte_ : colorAscii_;
}

void THexEditor::PaintRow(TCanvas& canvas, THitRow& row, const TRowLayout& layout, int64_t offset,
                          int y, int left, int right) {
    const int cw = charWidth_;
    const int bpl = bytesPerLine_, group = GroupSize();
    const int64_t size = Size();
    // Row coordinates to the control's: everything moves left by leftPixel_.
    const int shift = left - leftPixel_;
    const int visibleFrom = leftPixel_, visibleTo = leftPixel_ + (right - left);
    char text[32];

    canvas.Font.SetColor(Font().Color());
    std::snprintf(text, sizeof text, baseOffset_ == 16 ? "%0*llX" : "%0*llu", layout.OffsetDigits,
                  static_cast<unsigned long long>(offset));
    canvas.TextOut(layout.OffsetX + shift, y, text);
    barX_[0] = layout.BytesX - ScaleValue(kGap) + shift;
    barX_[1] = layout.CharsX - ScaleValue(kGap) + shift;

    auto cell = [&](int x, int width, int64_t at, int panel, std::string_view shown, TColor color) {
        canvas.Font.SetColor(color);
        canvas.TextOut(x + shift, y, shown);
        hits_.AddCell(row, x + shift, x + shift + width - 1, at, panel);
        if (at <= cursor_ && cursor_ < at + (panel == cpBytes ? CursorStep() : 1) &&
            panel == cursorPanel_) {
            cursorShown_ = true;
            int digit = panel == cpBytes ? digitIndex_ : 0;
            cursorAt_ = {x + shift + digit * cw, y + rowHeight_ - 2 * LineWidth()};
            cursorCell_ = TRect::FromSize(x + shift, y, width, rowHeight_);
        }
    };

    if (Decimal()) {
        const int digits = DigitsPerCell(), step = (digits + 1) * cw;
        for (int g = std::max(0, (visibleFrom - layout.BytesX) / step); g < bpl / group; ++g) {
            const int x = layout.BytesX + g * step;
            const int64_t start = offset + int64_t(g) * group;
            if (x >= visibleTo || start >= size) break;
            std::snprintf(text, sizeof text, "%0*llu", digits,
                          static_cast<unsigned long long>(document_.GetGroup(start, group)));
            bool atCursor = cursor_ >= start && cursor_ < start + group;
            cell(x, digits * cw, start, cpBytes, text, CellColor(start, atCursor, cpBytes));
        }
    } else {
        const int groupWidth = group * 2 * cw + cw;
        for (int j = std::max(0, (visibleFrom - layout.BytesX) / groupWidth) * group; j < bpl;
             ++j) {
            const int x = layout.BytesX + j * 2 * cw + j / group * cw;
            const int64_t at = offset + j;
            if (x >= visibleTo || at >= size) break;
            std::snprintf(text, sizeof text, "%02X", unsigned(GetByte(at)));
            cell(x, 2 * cw, at, cpBytes, text, CellColor(at, at == cursor_, cpBytes));
        }
    }

    for (int j = std::max(0, (visibleFrom - layout.CharsX) / std::max(cw, 1)); j < bpl; ++j) {
        const int x = layout.CharsX + j * cw;
        const int64_t at = offset + j;
        if (x >= visibleTo || at >= size) break;
        const uint8_t b = GetByte(at);
        TColor color = CellColor(at, at == cursor_, cpChars);
        if (b >= 32 && b < 127) {
            char c = char(b);
            cell(x, cw, at, cpChars, std::string_view(&c, 1), color);
        } else if (latin1_ && b >= 0xA0) {
            // The Latin-1 character in UTF-8, which the canvas draws.
            const char utf8[2] = {char(0xC0 | (b >> 6)), char(0x80 | (b & 0x3F))};
            cell(x, cw, at, cpChars, std::string_view(utf8, 2), color);
        } else {
            cell(x, cw, at, cpChars, ".", Dimmed(color, Color()));
        }
    }
}

void THexEditor::Paint() {
    TCanvas& c = Canvas();
    const TRect client = ClientRect();
    c.Font = Font();
    c.Pen.Width = 1;
    c.Pen.Style = psSolid;
    c.Pen.Mode = pmCopy;
    c.Brush.Style = bsSolid;
    c.Brush.Color = Color();
    c.FillRect(client);
    if (polkaDots_ > 0) PaintPolkaDots(c, client);
    c.Brush.Color = Color();
    c.Brush.Style = polkaDots_ > 0 ? bsClear : bsSolid;

    hits_.BeginPass();
    cursorShown_ = false;
    rowsPainted_ = 0;
    if (!message_.empty() || LayoutProblem()) {
        PaintMessage(c, !message_.empty() ? message_ : std::string(LayoutProblem()));
        PaintFrame(c);
        return;
    }

    charWidth_ = std::max(1, c.TextWidth("A"));
    rowHeight_ = std::max(1, c.TextHeight("A"));
    const TRowLayout layout = Layout();
    const bool widthChanged = layout.Width != rowWidth_;
    rowWidth_ = layout.Width;
    // Rows stop above the frame's band.
    const TRect inner = InnerRect();
    const int top = client.Top + ScaleValue(kTopMargin);
    rowsFit_ = std::max(0, (inner.Bottom - top) / rowHeight_);
    // Where the user moved the bars since the control set them.
    topRow_ = TopRowFromBar();
    if (horzScrollBar_ && horzScrollBar_->Position() != horzBarPosition_)
        leftPixel_ = horzScrollBar_->Position();
    UpdateScrollBars();

    const int64_t bpl = bytesPerLine_;
    firstVisible_ = topRow_ * bpl;
    lastVisible_ = firstVisible_ - 1;
    changed_.clear();
    const TChangeLog& log = ChangeLog();
    for (int i = 0; i < log.UndoCount(); ++i)
        changed_.push_back(log.UndoEntry(i).Offset);
    std::sort(changed_.begin(), changed_.end());

    for (int r = 0; r < rowsFit_; ++r) {
        const int64_t offset = firstVisible_ + bpl * r;
        if (offset >= Size()) break;
        const int y = top + r * rowHeight_;
        THitRow& row = hits_.Row(y, y + rowHeight_ - 1);
        PaintRow(c, row, layout, offset, y, client.Left, client.Right);
        ++rowsPainted_;
        lastVisible_ = firstVisible_ + bpl * rowsPainted_ - 1;
    }
    if (cursorShown_) {
        // The panel that has the keyboard: its cursor cell is framed.
        c.Brush.Style = bsSolid;
        c.Brush.Color = colorCursor_;
        c.FrameRect(cursorCell_.Inflate(1, 1));
    }
    DrawCursor(c, clBlack);
    PaintFrame(c);
    if (scrollBar_) scrollBar_->SetLargeChange(std::max(rowsFit_, 1));
    if (widthChanged && OnRowWidthChange) OnRowWidthChange(this);
}

void THexEditor::DrawCursor(TCanvas& canvas, TColor color) const {
    if (!cursorShown_) return;
    // Never over the frame's band, however far the row is scrolled.
    TRect inner = InnerRect();
    int from = std::max(cursorAt_.X, inner.Left),
        to = std::min(cursorAt_.X + charWidth_, inner.Right);
    if (from >= to) return;
    TColor saved = canvas.Pen.Color;
    canvas.Pen.Color = color;
    for (int line = 0; line < 2 * LineWidth(); ++line) {
        canvas.MoveTo(from, cursorAt_.Y + line);
        canvas.LineTo(to, cursorAt_.Y + line);
    }
    canvas.Pen.Color = saved;
}

void THexEditor::DrawCursorNow(TColor color) {
    if (!cursorShown_ || !HandleAllocated() || !Showing()) return;
    HDC dc = GetDC(Handle());
    if (!dc) return;
    DrawCursor(DCCanvas(dc), color);
    ReleaseDC(Handle(), dc);
}
