#include "platform/ui/label.h"


TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
    controlStyle_ |= csReplicatable;
    font_.SetColor(clWindowText);
    SetBounds(0, 0, 65, 17);
}

void TLabel::SetAlignment(TAlignment alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    Invalidate();
}

void TLabel::SetWordWrap(bool wrap) {
    if (wrap == wordWrap_) return;
    wordWrap_ = wrap;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetAutoSize(bool autoSize) {
    if (autoSize == autoSize_) return;
    autoSize_ = autoSize;
    AdjustBounds();
}

void TLabel::SetTransparent(bool transparent) {
    if (transparent == transparent_) return;
    transparent_ = transparent;
    if (transparent) {
        controlStyle_ &= ~csOpaque;
    } else {
        controlStyle_ |= csOpaque;
    }
    Invalidate();
}

void TLabel::SetLayout(TTextLayout layout) {
    layout_ = layout;
    Invalidate();
}

void TLabel::SetText(const std::string& text) {
    TGraphicControl::SetText(text);
    AdjustBounds();
}

void TLabel::Dispatch(TMessage& m) {
    if (m.Msg == CM_FONTCHANGED) {
        AdjustBounds();
        Invalidate();
    }
    TGraphicControl::Dispatch(m);
}

std::vector<std::string> TLabel::Lines() const {
    const TFontFace& face = Font().Face();
    std::vector<std::string> lines;
    const std::string& caption = Caption();
    for (size_t start = 0; start < caption.size();) {
        size_t newline = caption.find('\n', start);
        if (newline == std::string::npos) newline = caption.size();
        const std::string paragraph = caption.substr(start, newline - start);
        start = newline + 1;
        if (!wordWrap_) {
            lines.push_back(paragraph);
            continue;
        }
        // Greedy filling: as many words as fit the width; a word wider than the label
        // stands alone on its line.
        std::string line;
        size_t at = 0;
        while (at <= paragraph.size()) {
            size_t end = paragraph.find(' ', at);
            if (end == std::string::npos) end = paragraph.size();
            std::string word = paragraph.substr(at, end - at);
            std::string candidate = line.empty() ? word : line + " " + word;
            if (!line.empty() && face.TextWidth(candidate) > Width()) {
                lines.push_back(line);
                line = word;
            } else {
                line = candidate;
            }
            at = end + 1;
        }
        lines.push_back(line);
    }
    if (lines.empty()) lines.emplace_back();
    return lines;
}

void TLabel::AdjustBounds() {
    if (!autoSize_) return;
    const TFontFace& face = Font().Face();
    std::vector<std::string> lines = Lines();
    int height = int(lines.size()) * face.Metrics().Height();
    int width = Width();
    if (!wordWrap_) {
        width = 0;
        for (const std::string& l : lines) width = std::max(width, face.TextWidth(l));
    }
    int left = Left();
    if (alignment_ == taRightJustify && !wordWrap_) left = Left() + Width() - width;
    SetBounds(left, Top(), width, height);
}

void TLabel::Paint() {
    TCanvas& c = Canvas();
    if (!transparent_) {
        c.Brush.Color = Color();
        c.Brush.Style = bsSolid;
        c.FillRect(ClientRect());
    }
    c.Brush.Style = bsClear;
    c.Font = Font();
    if (!Enabled()) c.Font.SetColor(clGrayText);
    std::vector<std::string> lines = Lines();
    int lineHeight = c.TextHeight("Ag");
    int total = lineHeight * int(lines.size());
    int y = layout_ == tlCenter ? (Height() - total) / 2 : layout_ == tlBottom ? Height() - total : 0;
    for (const std::string& line : lines) {
        int w = c.TextWidth(line);
        int x = alignment_ == taLeftJustify ? 0 : alignment_ == taRightJustify ? Width() - w : (Width() - w) / 2;
        c.TextRect(ClientRect(), x, y, line);
        y += lineHeight;
    }
}
