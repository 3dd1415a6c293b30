// TEdit: a one-line text field in a sunken white box. The user types into it, moves the
// caret with Left, Right, Home and End (with Shift selecting), deletes with Backspace and
// Delete, selects all with Ctrl+A and places the caret with the mouse; the text scrolls
// sideways to keep the caret in view. OnChange is raised after every change of Text, by
// the user or by code. Enter, Esc and Tab are left to the form (default and cancel
// buttons, tab order).
//
// The text is UTF-8 and the caret moves, and Backspace and Delete remove, whole
// characters (a byte that begins no well-formed sequence counts as one character, as the
// canvas draws it). Typed characters replace the selection; control characters, and
// characters that come with Alt alone or Ctrl alone held (short cuts), are not typed. Left and
// Right without Shift close a selection at its left or right end.
//
// While the field has the focus it shows a steady caret (a bar of the text's height, a
// line wide; it does not blink) and the selection in the highlight colours; without the focus
// neither shows. Taking the focus by the keyboard or from code selects the whole text; a
// click then places the caret where it lands, Shift+click extends the selection to there,
// and dragging with the button held selects (the text scrolls when the pointer leaves the
// box at a side).
//
// MaxLength limits what the user types (in bytes; 0 for no limit): a character that does
// not fit is not typed. Text set by code is kept whole. A ReadOnly field takes no typing
// and no deleting, but its caret moves and its text can be selected. A disabled field is
// grey and shows no caret.
//
// Setting Text from code puts the caret at the start with nothing selected, and raises
// OnChange only when the text differs. OnKeyPress sees the ASCII characters before they
// are typed (and may change or drop them); others are typed directly.
#pragma once

#include <string>
#include <vector>

#include "platform/gfx/font.h"
#include "platform/ui/wincontrol.h"

class TEdit : public TCustomControl {
public:
    explicit TEdit(TComponent* owner);

    // The text is Caption/Text (SetText): UTF-8.
    int MaxLength() const { return maxLength_; }  // 0: no limit (in bytes)
    void SetMaxLength(int length) { maxLength_ = length < 0 ? 0 : length; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    // The selection: its start (the caret when nothing is selected) and length, in bytes.
    // Offsets are taken to the character boundary at or before them, within the text.
    int SelStart() const;
    int SelLength() const;
    void SetSelStart(int start);
    void SetSelLength(int length);
    void SelectAll();
    std::string SelText() const;
    // Replaces the selection with text as typing does (MaxLength and ReadOnly apply);
    // false when it was refused.
    bool SetSelText(const std::string& text);

    // Where the caret is (a byte offset into Text), and the pixels of text scrolled out
    // at the left.
    int CaretPos() const { return caret_; }
    int ScrollOffset() const { return scroll_; }
    // The area the text is drawn in, in client coordinates; the caret's x in it.
    TRect TextRect() const;
    int CaretX() const;
    // The caret position nearest to a client x.
    int PosAtX(int x) const;

    TNotifyEvent OnChange;

    void SetText(const std::string& text) override;
    void Dispatch(TMessage& message) override;

protected:
    void Paint() override;
    bool DoKeyDown(uint16_t& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void Resize() override;

private:
    // The character boundaries of the text and their x offsets from the text's start,
    // worked out again when the text or the font changed.
    struct TLayout {
        std::string text;
        TFontDesc font;
        std::vector<int> bounds;  // byte offsets: 0, ..., text size
        std::vector<int> xs;      // pixels from the text's start, one per bound
    };
    const TLayout& Layout() const;
    int XOf(int pos) const;
    int Snap(int pos) const;  // the boundary at or before pos
    int PrevBound(int pos) const;
    int NextBound(int pos) const;

    // Moves the caret; the anchor follows unless extending the selection.
    void MoveCaret(int pos, bool extend);
    // Puts text in place of bytes [from, to) as the user's edit, the caret after it.
    void Replace(int from, int to, const std::string& text);
    void ScrollToCaret();
    void Changed();

    int maxLength_ = 0;
    bool readOnly_ = false;
    int anchor_ = 0;          // where the selection started
    int caret_ = 0;           // the other end of the selection, where the caret is
    int scroll_ = 0;          // pixels of text scrolled out at the left
    bool selecting_ = false;  // the left button went down in the field and is held
    mutable TLayout layout_;
};
