#include "platform/ui/label.h"

#include <algorithm>

#include "platform/ui/stylepainter.h"

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
    controlStyle_ |= csReplicatable | csOpaque;  // fills its background unless Transparent
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

namespace {
// Splits text into its paragraphs at line breaks: "\n", "\r\n" or a lone "\r". Text that
// ends with a break ends with an empty paragraph; empty text is one empty paragraph.
std::vector<std::string> Paragraphs(const std::string& text) {
    std::vector<std::string> paragraphs(1);
    for (size_t i = 0; i < text.size(); ++i) {
        char ch = text[i];
        if (ch == '\r' || ch == '\n') {
            if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            paragraphs.emplace_back();
        } else {
            paragraphs.back() += ch;
        }
    }
    return paragraphs;
}

// Breaks a paragraph into lines no wider than width at spaces, greedily: each line takes
// as many words as fit. The spaces where a line breaks belong to neither line; a word
// wider than width stands alone on its line (and is cut off when drawn).
void Wrap(const std::string& paragraph, const TFontFace& face, int width,
          std::vector<std::string>& lines) {
    std::string line;
    bool lineHasWord = false;
    size_t at = 0;
    while (at < paragraph.size()) {
        size_t wordStart = paragraph.find_first_not_of(' ', at);
        if (wordStart == std::string::npos) {
            line += paragraph.substr(at);  // trailing spaces stay with the last line
            break;
        }
        size_t wordEnd = std::min(paragraph.find(' ', wordStart), paragraph.size());
        std::string candidate = line + paragraph.substr(at, wordEnd - at);
        if (lineHasWord && face.TextWidth(candidate) > width) {
            lines.push_back(line);
            line = paragraph.substr(wordStart, wordEnd - wordStart);
        } else {
            line = std::move(candidate);
        }
        lineHasWord = true;
        at = wordEnd;
    }
    lines.push_back(line);
}
}  // namespace

std::vector<std::string> TLabel::Lines() const {
    std::vector<std::string> paragraphs = Paragraphs(Caption());
    if (!wordWrap_) return paragraphs;
    const TFontFace& face = Font().Face();
    std::vector<std::string> lines;
    for (const std::string& paragraph : paragraphs)
        Wrap(paragraph, face, Width(), lines);
    return lines;
}

void TLabel::SetBounds(int left, int top, int width, int height) {
    bool widthChanged = width != Width();
    TGraphicControl::SetBounds(left, top, width, height);
    // A wrapping label that sizes itself takes the height of its lines at the new width.
    if (widthChanged && autoSize_ && wordWrap_ && !adjusting_) AdjustBounds();
}

void TLabel::AdjustBounds() {
    if (!autoSize_ || adjusting_) return;
    adjusting_ = true;
    const TFontFace& face = Font().Face();
    std::vector<std::string> lines = Lines();
    int height = int(lines.size()) * face.Metrics().Height();
    int width = Width();
    if (!wordWrap_) {
        width = 0;
        for (const std::string& l : lines)
            width = std::max(width, face.TextWidth(l));
    }
    int left = Left();
    if (alignment_ == taRightJustify && !wordWrap_) left = Left() + Width() - width;
    SetBounds(left, Top(), width, height);
    adjusting_ = false;
}

void TLabel::Paint() {
    TCanvas& c = Canvas();
    if (!transparent_) {
        c.Brush.Color = Color();
        c.Brush.Style = bsSolid;
        c.FillRect(ClientRect());
    }
    c.Font = Font();
    std::vector<std::string> lines = Lines();
    int lineHeight = c.TextHeight("Ag");
    int total = lineHeight * int(lines.size());
    int y = layout_ == tlCenter   ? (Height() - total) / 2
            : layout_ == tlBottom ? Height() - total
                                  : 0;
    for (const std::string& line : lines) {
        int w = c.TextWidth(line);
        int x = alignment_ == taLeftJustify    ? 0
                : alignment_ == taRightJustify ? Width() - w
                                               : (Width() - w) / 2;
        DrawControlText(c, ClientRect(), x, y, line, Enabled());
        y += lineHeight;
    }
}
