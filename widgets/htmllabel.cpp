#include "widgets/htmllabel.h"

#include <algorithm>

#include "platform/gfx/utf8.h"

namespace {

enum class TTagAction {
    HyperOn,
    HyperOff,
    BoldOn,
    BoldOff,
    UnderlineOn,
    UnderlineOff,
    ItalicOn,
    ItalicOff,
    StrikeOn,
    StrikeOff,
    BlueOn,
    BlueOff,
};

struct TTag {
    std::string_view Text;  // lower case
    TTagAction Action;
};

// Tried in this order at every position of the text; the first that matches acts.
constexpr TTag kTags[] = {
    {"<hyper>", TTagAction::HyperOn},   {"</hyper>", TTagAction::HyperOff},
    {"<b>", TTagAction::BoldOn},        {"</b>", TTagAction::BoldOff},
    {"<u>", TTagAction::UnderlineOn},   {"</u>", TTagAction::UnderlineOff},
    {"<i>", TTagAction::ItalicOn},      {"</i>", TTagAction::ItalicOff},
    {"<strike>", TTagAction::StrikeOn}, {"</strike>", TTagAction::StrikeOff},
    {"<blue>", TTagAction::BlueOn},     {"</blue>", TTagAction::BlueOff},
};

constexpr TColor kTagBlue = RGB(0, 0, 255);

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view lowerPrefix) {
    if (text.size() < lowerPrefix.size()) return false;
    for (size_t i = 0; i < lowerPrefix.size(); ++i)
        if (AsciiLower(text[i]) != lowerPrefix[i]) return false;
    return true;
}

// The part of the caption a pass reads: up to the first zero byte (the caption is a
// zero-terminated text for the window system), at most kMaxText bytes, and never the
// first bytes of a UTF-8 sequence whose rest would be cut off.
std::string_view WorkingText(std::string_view caption) {
    std::string_view text = caption.substr(0, caption.find('\0'));
    if (text.size() <= size_t(THtmlLabel::kMaxText)) return text;
    size_t cut = 0;
    for (;;) {
        size_t next = cut;
        NextCodePoint(text, next);
        if (next > size_t(THtmlLabel::kMaxText)) break;
        cut = next;
    }
    return text.substr(0, cut);
}

}  // namespace

THtmlLabel::THtmlLabel(TComponent* owner) : TCustomControl(owner) {
    SetBounds(Left(), Top(), 30, 13);
}

THtmlLabel::~THtmlLabel() = default;

void THtmlLabel::Dispatch(TMessage& message) {
    if (message.Msg == CM_FONTCHANGED) {
        CMFontChanged(message);
        return;
    }
    TCustomControl::Dispatch(message);
}

// Properties ---------------------------------------------------------------------------------

void THtmlLabel::SetAutoSize1(int32_t value) {
    autoSize_ = value;
    AutoResize();
    Repaint();
}

void THtmlLabel::SetWordWrap1(int32_t value) {
    wordWrap_ = value;
    AutoResize();
    Repaint();
}

void THtmlLabel::SetAlignment(TAlignment value) {
    alignment_ = value;
    AutoResize();
    Repaint();
}

void THtmlLabel::SetCaption(const std::string& caption) {
    TCustomControl::SetText(caption);
    AutoResize();
    Repaint();
}

void THtmlLabel::SetText(const std::string& text) {
    SetCaption(text);
}

void THtmlLabel::CMFontChanged(TMessage&) {
    AutoResize();
    Repaint();
}

// Measuring ----------------------------------------------------------------------------------

void THtmlLabel::GetExtent(TSize* extent) {
    drawing_ = 0;
    ProcessCaption();
    if (extent) *extent = TSize{extentWidth_, lineHeight_};
}

void THtmlLabel::AutoResize() {
    GetExtent();
    if (autoSize_) SetBounds(Left(), Top(), extentWidth_, lineHeight_);
    startY_ = 0;
    switch (alignment_) {
        case taLeftJustify:
            lineStartX_ = 0;
            break;
        case taRightJustify:
            lineStartX_ = Width() - extentWidth_;
            break;
        case taCenter:
            lineStartX_ = (Width() - extentWidth_) / 2;
            break;
        default:
            break;  // not an alignment: the offset stays as it was
    }
}

// Layout pass --------------------------------------------------------------------------------

void THtmlLabel::Paint() {
    TCanvas& canvas = Canvas();
    canvas.Brush.Color = Color();
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(ClientRect());
    drawing_ = 1;
    ProcessCaption();
}

void THtmlLabel::ProcessCaption() {
    Canvas().Font.Assign(Font());
    // A closing colour tag with no opening one before it brings back the colour of Font.
    TColor savedColor = Font().Color();
    const std::string_view text = WorkingText(Text());

    wordLength_ = 0;
    wordBuffer_[0] = '\0';
    underlineGap_ = {};
    penX_ = lineStartX_;
    penY_ = startY_;
    extentWidth_ = 0;
    lineHeight_ = 0;

    size_t pos = 0;
    while (pos < text.size()) {
        if (size_t tagLength = ProcessTag(text.substr(pos), savedColor)) {
            pos += tagLength;
            continue;
        }
        if (text[pos] == ' ') {
            DumpText();
            DumpSpace();
        } else {
            AddChar(text[pos]);
        }
        ++pos;
    }
    DumpText();
}

size_t THtmlLabel::ProcessTag(std::string_view text, TColor& savedColor) {
    if (text.empty() || text[0] != '<') return 0;
    for (const TTag& tag : kTags) {
        if (!StartsWithIgnoringCase(text, tag.Text)) continue;
        // The text before the tag is measured and drawn in the old look.
        DumpText();
        TFont& font = Canvas().Font;
        auto add = [&font](TFontStyles style) { font.SetStyle(font.Style() | style); };
        auto remove = [&font](TFontStyles style) { font.SetStyle(font.Style() & ~style); };
        switch (tag.Action) {
            case TTagAction::HyperOn:
                savedColor = font.Color();
                font.SetColor(kTagBlue);
                add(fsUnderline);
                break;
            case TTagAction::HyperOff:
                font.SetColor(savedColor);
                remove(fsUnderline);
                break;
            case TTagAction::BoldOn:
                add(fsBold);
                break;
            case TTagAction::BoldOff:
                remove(fsBold);
                break;
            case TTagAction::UnderlineOn:
                add(fsUnderline);
                break;
            case TTagAction::UnderlineOff:
                remove(fsUnderline);
                break;
            case TTagAction::ItalicOn:
                add(fsItalic);
                break;
            case TTagAction::ItalicOff:
                remove(fsItalic);
                break;
            case TTagAction::StrikeOn:
                add(fsStrikeOut);
                break;
            case TTagAction::StrikeOff:
                remove(fsStrikeOut);
                break;
            case TTagAction::BlueOn:
                savedColor = font.Color();
                font.SetColor(kTagBlue);
                break;
            case TTagAction::BlueOff:
                font.SetColor(savedColor);
                break;
        }
        return tag.Text.size();
    }
    return 0;
}

void THtmlLabel::AddChar(char c) {
    // A pass reads at most kMaxText bytes, so a piece fills the buffer only when it is the
    // whole text; should it ever be full, the text so far becomes a piece of its own.
    if (wordLength_ >= kMaxText) DumpText();
    wordBuffer_[size_t(wordLength_)] = c;
    ++wordLength_;
    wordBuffer_[size_t(wordLength_)] = '\0';
}

void THtmlLabel::DumpText() {
    if (wordLength_ == 0) return;
    TCanvas& canvas = Canvas();
    const std::string_view piece = WordBuffer();
    const TSize size = canvas.TextExtent(piece);
    if (wordWrap_ && int64_t(penX_) + size.cx > Width()) {
        penX_ = lineStartX_;
        penY_ += lineHeight_;
    }
    if (drawing_) DrawAtPen(piece);
    penX_ += size.cx;
    extentWidth_ += size.cx;
    lineHeight_ = std::max(lineHeight_, size.cy);
    wordLength_ = 0;
    wordBuffer_[0] = '\0';
}

void THtmlLabel::DumpSpace() {
    // The pen stands at the line start only before the caption's first piece: leading
    // spaces are dropped.
    if (penX_ == lineStartX_) return;
    TCanvas& canvas = Canvas();
    if (drawing_) DrawAtPen(" ");
    penX_ += canvas.TextWidth(" ");
}

void THtmlLabel::DrawAtPen(std::string_view text) {
    TCanvas& canvas = Canvas();
    const TFontStyles style = canvas.Font.Style();
    if (!(style & fsUnderline)) {
        underlineGap_ = {};
        canvas.TextOut(penX_, penY_, text);
        return;
    }
    const TFontFace& face = canvas.Font.Face();
    const TFontMetrics m = face.Metrics();
    const int width = face.TextWidth(text);
    const bool adjacent =
        !underlineGap_.IsEmpty() && underlineGap_.Right == penX_ && underlineGapLine_ == penY_;
    if (text.find_first_not_of(' ') == std::string_view::npos) {
        // A space is underlined only when underlined text follows it on the line: until
        // then it is part of the gap.
        canvas.Font.SetStyle(style & ~fsUnderline);
        canvas.TextOut(penX_, penY_, text);
        canvas.Font.SetStyle(style);
        if (adjacent) {
            underlineGap_.Right += width;
        } else {
            const int top = penY_ + m.Ascent + m.UnderlinePosition;
            underlineGap_ = {penX_, top, penX_ + width, top + std::max(1, m.LineThickness)};
            underlineGapColor_ = ColorToRGB(canvas.Font.Color());
            underlineGapLine_ = penY_;
        }
        return;
    }
    // Underlined text after underlined text or spaces: the underline runs on through the
    // gap before it.
    if (adjacent) {
        const TBrush brush = canvas.Brush;
        canvas.Brush.Style = bsSolid;
        canvas.Brush.Color = underlineGapColor_;
        canvas.FillRect(underlineGap_);
        canvas.Brush = brush;
    }
    underlineGap_ = {};
    canvas.TextOut(penX_, penY_, text);
    const int blank = face.TrailingBlank(text);
    if (blank <= 0) return;
    const int end = penX_ + width;
    const int top = penY_ + m.Ascent + m.UnderlinePosition;
    underlineGap_ = {end - blank, top, end, top + std::max(1, m.LineThickness)};
    underlineGapColor_ = ColorToRGB(canvas.Font.Color());
    underlineGapLine_ = penY_;
}
