// THtmlLabel: a label that draws its caption with a few HTML-like tags and can wrap at
// its right edge.
//
// Tags, matched in any letter case; every other character is text, so an unknown tag
// such as "<br>" is drawn as it stands:
//
//   <b> </b>  <i> </i>  <u> </u>  <strike> </strike>   add or remove one font style
//   <blue> </blue>      blue text; the closing tag brings back the remembered colour
//   <hyper> </hyper>    blue underlined text; the closing tag brings back the remembered
//                       colour and removes the underline
//
// Style tags do not nest: one closing tag removes its style however often it was added.
// One colour is remembered per pass: an opening colour tag inside another overwrites it,
// and a closing colour tag with nothing remembered brings back the colour of Font.
//
// Layout. A pass walks the caption from its start with the pen at (LineStartX, StartY).
// Text between spaces and tags is collected into a piece; a space or a tag flushes the
// piece (DumpText), so a word with a tag in it is several pieces. A flushed piece that
// would end past the right edge moves to the next line when WordWrap is on: the pen goes
// back to LineStartX and down by LineHeight, the height of the tallest piece so far.
// Every piece is tested by itself, so a piece wider than the control moves down once and
// then overflows. A space (DumpSpace) advances the pen by a space width and is never
// wrapped; spaces before the first piece of the caption are dropped.
//
// Measuring. AutoResize runs a pass that draws nothing and counts the text as one line:
// ExtentWidth is the sum of the pieces' widths without the spaces, LineHeight the
// tallest piece. With AutoSize the control takes that size. Alignment then sets
// LineStartX for every line alike: 0 (left), width - ExtentWidth (right) or half of it
// (centre, truncated toward zero). AutoResize runs after every change of Caption,
// Alignment, WordWrap, AutoSize and Font (CM_FONTCHANGED), never on a resize; each of
// these changes also repaints the control at once.
//
// Limits. A pass reads at most the first 1023 bytes of the caption, up to its first zero
// byte, never splitting a UTF-8 sequence. A piece holds at most 1023 bytes; a longer run
// of text is flushed as several pieces.
//
// Underlines end with the ink of the last glyph: the blank a glyph leaves after it
// (TFontFace::TrailingBlank) and an underlined space are underlined only when underlined
// text follows them on the same line, so a link is underlined under its spaces and style
// changes up to its last glyph, and not under the blank or spaces after it.
//
// Clicks: the label has no clickable parts; OnClick and OnMouseDown are raised for any
// click on it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ui/wincontrol.h"

class THtmlLabel : public TCustomControl {
public:
    // The most bytes of the caption a pass reads, and of one piece.
    static constexpr int kMaxText = 1023;

    // A 30 x 13 control with an empty caption, AutoSize and WordWrap off, left aligned.
    explicit THtmlLabel(TComponent* owner);
    ~THtmlLabel() override;

    // Routes CM_FONTCHANGED to CMFontChanged instead of the inherited handling; every
    // other message goes the inherited way.
    void Dispatch(TMessage& message) override;

    // Properties. The flags are on when non-zero. Each setter stores the value as it is,
    // measures again (AutoResize) and repaints at once.
    int32_t AutoSize() const { return autoSize_; }
    void SetAutoSize1(int32_t value);
    int32_t WordWrap() const { return wordWrap_; }
    void SetWordWrap1(int32_t value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    // The marked-up text, kept as the control's text.
    const std::string& GetCaption() const { return Text(); }
    void SetCaption(const std::string& caption);
    // Any change of the control's text goes through SetCaption, so the layout always
    // matches the text.
    void SetText(const std::string& text) override;

    // A measuring pass: nothing is drawn. When extent is given it receives ExtentWidth
    // and LineHeight.
    void GetExtent(TSize* extent = nullptr);
    // Measures, applies AutoSize and sets LineStartX by Alignment for the current width.
    void AutoResize();
    // The font changed: measures again and repaints at once.
    void CMFontChanged(TMessage& message);

    // Layout state of the last pass (LineStartX and StartY are kept between passes).
    int32_t PenX() const { return penX_; }
    int32_t PenY() const { return penY_; }
    int32_t LineStartX() const { return lineStartX_; }
    int32_t StartY() const { return startY_; }
    int32_t ExtentWidth() const { return extentWidth_; }
    int32_t LineHeight() const { return lineHeight_; }
    // The pending piece (empty after a pass).
    std::string_view WordBuffer() const { return {wordBuffer_.data(), size_t(wordLength_)}; }
    // 1 during a painting pass, 0 during a measuring pass.
    int32_t Drawing() const { return drawing_; }

protected:
    // Fills the client area with Color and runs a painting pass.
    void Paint() override;
    // One pass over the caption; draws only when Drawing is 1.
    void ProcessCaption();
    // Flushes the pending piece: measures it, moves it to the next line when WordWrap is
    // on and it would end past the right edge, draws it, advances the pen.
    void DumpText();
    // One space at the pen, unless the pen still stands at the line start (only before
    // the caption's first piece: leading spaces are dropped).
    void DumpSpace();
    // Appends one byte of text to the pending piece; a full piece is flushed first.
    void AddChar(char c);
    // Draws text at the pen, joining its underline to the underlined text before it.
    void DrawAtPen(std::string_view text);

private:
    // Acts on the tag at the start of text and returns its length, or 0 when text does
    // not start with a tag. savedColor is the pass's remembered colour.
    size_t ProcessTag(std::string_view text, TColor& savedColor);

    int32_t penX_ = 0;
    int32_t penY_ = 0;
    int32_t lineStartX_ = 0;
    int32_t startY_ = 0;
    int32_t extentWidth_ = 0;
    int32_t lineHeight_ = 0;
    std::array<char, kMaxText + 1> wordBuffer_{};
    int32_t wordLength_ = 0;
    int32_t drawing_ = 0;
    int32_t autoSize_ = 0;
    int32_t wordWrap_ = 0;
    TAlignment alignment_ = taLeftJustify;
    // The underline not drawn yet (the blank after the last underlined glyph, and the
    // underlined spaces after it), its colour and the line (PenY) it is on; empty when
    // there is none.
    TRect underlineGap_;
    TColor underlineGapColor_ = clBlack;
    int32_t underlineGapLine_ = 0;
};
