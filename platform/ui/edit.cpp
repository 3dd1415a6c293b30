#include "platform/ui/edit.h"

#include <algorithm>
#include <cstdlib>

#include "platform/gfx/utf8.h"
#include "platform/ui/stylepainter.h"

namespace {

// The UTF-8 bytes of a code point; empty for one that cannot be written (a surrogate,
// beyond U+10FFFF).
std::string Utf8(char32_t cp) {
    std::string out;
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
        return {};
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp <= 0x10FFFF) {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
    return out;
}

// Whether the modifiers held make a character a short cut rather than typing: Alt alone
// or Ctrl alone (Ctrl with Alt is AltGr on some keyboards, which types).
bool ShortCutModifiers() {
    TShiftState held = KeyShiftState() & (ssCtrl | ssAlt);
    return held == ssCtrl || held == ssAlt;
}

}  // namespace

TEdit::TEdit(TComponent* owner) : TCustomControl(owner) {
    controlStyle_ |= csOpaque;
    controlStyle_ &= ~csDoubleClicks;
    color_ = clWindow;
    SetTabStop(true);
    SetCursor(crIBeam);
    SetBounds(0, 0, 121, 21);
}

// Layout ------------------------------------------------------------------------------------------

const TEdit::TLayout& TEdit::Layout() const {
    TFontDesc font = Font().Desc();
    if (layout_.bounds.empty() || layout_.text != Text() || !(layout_.font == font)) {
        layout_.text = Text();
        layout_.font = font;
        layout_.bounds.clear();
        layout_.xs.clear();
        // Faces apply no kerning: a text is as wide as its characters together.
        const TFontFace& face = Font().Face();
        std::string_view text = layout_.text;
        size_t pos = 0;
        int x = 0;
        for (;;) {
            layout_.bounds.push_back(int(pos));
            layout_.xs.push_back(x);
            if (pos >= text.size()) break;
            size_t start = pos;
            NextCodePoint(text, pos);
            x += face.TextWidth(text.substr(start, pos - start));
        }
    }
    return layout_;
}

int TEdit::Snap(int pos) const {
    const std::vector<int>& b = Layout().bounds;
    auto it = std::upper_bound(b.begin(), b.end(), pos);
    return it == b.begin() ? 0 : *(it - 1);
}

int TEdit::PrevBound(int pos) const {
    const std::vector<int>& b = Layout().bounds;
    auto it = std::lower_bound(b.begin(), b.end(), pos);
    return it == b.begin() ? 0 : *(it - 1);
}

int TEdit::NextBound(int pos) const {
    const std::vector<int>& b = Layout().bounds;
    auto it = std::upper_bound(b.begin(), b.end(), pos);
    return it == b.end() ? b.back() : *it;
}

int TEdit::XOf(int pos) const {
    const TLayout& l = Layout();
    auto it = std::lower_bound(l.bounds.begin(), l.bounds.end(), pos);
    if (it == l.bounds.end()) return l.xs.back();
    return l.xs[size_t(it - l.bounds.begin())];
}

TRect TEdit::TextRect() const {
    // Inside the sunken edge (two lines), with a line's margin left and right of the text.
    const int edge = 2 * LineWidth(), margin = LineWidth();
    return {edge + margin, edge, std::max(edge + margin, Width() - edge - margin),
            std::max(edge, Height() - edge)};
}

int TEdit::CaretX() const {
    return TextRect().Left - scroll_ + XOf(caret_);
}

int TEdit::PosAtX(int x) const {
    const TLayout& l = Layout();
    int along = x - TextRect().Left + scroll_;
    // The boundary nearest to the point: past the middle of a character is after it.
    auto it = std::upper_bound(l.xs.begin(), l.xs.end(), along);
    if (it == l.xs.begin()) return 0;
    if (it == l.xs.end()) return l.bounds.back();
    size_t after = size_t(it - l.xs.begin());
    int left = l.xs[after - 1], right = l.xs[after];
    return along - left > (right - left) / 2 ? l.bounds[after] : l.bounds[after - 1];
}

void TEdit::ScrollToCaret() {
    int width = TextRect().Width();
    int before = scroll_;
    if (width <= 0) {
        scroll_ = 0;
    } else {
        int x = XOf(caret_);
        // The caret needs its line of the area, also after the last character.
        const int caret = std::min(LineWidth(), width);
        if (x < scroll_) scroll_ = x;
        if (x > scroll_ + width - caret) scroll_ = x - width + caret;
        // No blank space at the right while there is text scrolled out at the left.
        scroll_ = std::max(0, std::min(scroll_, Layout().xs.back() - width + caret));
    }
    if (scroll_ != before) Invalidate();
}

void TEdit::Resize() {
    ScrollToCaret();
    TCustomControl::Resize();
}

// Selection ---------------------------------------------------------------------------------------

int TEdit::SelStart() const {
    return std::min(anchor_, caret_);
}

int TEdit::SelLength() const {
    return std::abs(caret_ - anchor_);
}

void TEdit::SetSelStart(int start) {
    int pos = Snap(std::clamp(start, 0, int(Text().size())));
    anchor_ = caret_ = pos;
    ScrollToCaret();
    Invalidate();
}

void TEdit::SetSelLength(int length) {
    int start = SelStart();
    anchor_ = start;
    caret_ = Snap(std::clamp(start + std::max(0, length), start, int(Text().size())));
    ScrollToCaret();
    Invalidate();
}

void TEdit::SelectAll() {
    anchor_ = 0;
    caret_ = int(Text().size());
    ScrollToCaret();
    Invalidate();
}

std::string TEdit::SelText() const {
    return Text().substr(size_t(SelStart()), size_t(SelLength()));
}

void TEdit::MoveCaret(int pos, bool extend) {
    caret_ = pos;
    if (!extend) anchor_ = pos;
    ScrollToCaret();
    Invalidate();
}

// Editing -----------------------------------------------------------------------------------------

void TEdit::Changed() {
    if (OnChange) OnChange(this);
}

void TEdit::SetText(const std::string& text) {
    if (text == Text()) return;
    anchor_ = caret_ = 0;
    scroll_ = 0;
    TCustomControl::SetText(text);
    Changed();
}

void TEdit::Replace(int from, int to, const std::string& text) {
    std::string now = Text();
    now.replace(size_t(from), size_t(to - from), text);
    caret_ = anchor_ = from + int(text.size());
    TCustomControl::SetText(now);
    ScrollToCaret();
    Invalidate();
    Changed();
}

bool TEdit::SetSelText(const std::string& text) {
    if (readOnly_) return false;
    int start = SelStart(), length = SelLength();
    size_t size = Text().size() - size_t(length) + text.size();
    if (maxLength_ > 0 && size > size_t(maxLength_)) return false;
    if (length == 0 && text.empty()) return true;
    Replace(start, start + length, text);
    return true;
}

// Input -------------------------------------------------------------------------------------------

bool TEdit::DoKeyDown(uint16_t& key, TShiftState shift) {
    if (TCustomControl::DoKeyDown(key, shift)) return true;
    bool extend = shift & ssShift;
    int size = int(Text().size());
    switch (key) {
        case VK_LEFT:
            if (!extend && SelLength() > 0) {
                MoveCaret(SelStart(), false);
            } else {
                MoveCaret(PrevBound(caret_), extend);
            }
            break;
        case VK_RIGHT:
            if (!extend && SelLength() > 0) {
                MoveCaret(SelStart() + SelLength(), false);
            } else {
                MoveCaret(NextBound(caret_), extend);
            }
            break;
        case VK_HOME:
            MoveCaret(0, extend);
            break;
        case VK_END:
            MoveCaret(size, extend);
            break;
        case VK_BACK:
            if (readOnly_) break;
            if (SelLength() > 0) {
                Replace(SelStart(), SelStart() + SelLength(), {});
            } else if (caret_ > 0) {
                Replace(PrevBound(caret_), caret_, {});
            }
            break;
        case VK_DELETE:
            if (readOnly_) break;
            if (SelLength() > 0) {
                Replace(SelStart(), SelStart() + SelLength(), {});
            } else if (caret_ < size) {
                Replace(caret_, NextBound(caret_), {});
            }
            break;
        case 'A':
            if ((shift & (ssCtrl | ssAlt)) != ssCtrl) return false;
            SelectAll();
            break;
        default:
            return false;
    }
    key = 0;
    return true;
}

void TEdit::KeyPress(char& key) {
    TCustomControl::KeyPress(key);
    auto byte = static_cast<unsigned char>(key);
    if (byte < 0x20 || byte == 0x7F) return;  // control characters (Backspace, Enter, Ctrl+A)
    if (ShortCutModifiers()) return;
    SetSelText(std::string(1, key));
}

void TEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != mbLeft) return;
    selecting_ = true;
    MoveCaret(PosAtX(x), shift & ssShift);
}

void TEdit::MouseMove(TShiftState shift, int x, int y) {
    TCustomControl::MouseMove(shift, x, y);
    if (selecting_) MoveCaret(PosAtX(x), true);
}

void TEdit::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) selecting_ = false;
    TCustomControl::MouseUp(button, shift, x, y);
}

void TEdit::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case WM_GETDLGCODE:
            m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
            return;
        case WM_CHAR:
            // A character beyond ASCII does not fit KeyPress's char: it is typed as it is.
            if (m.WParam >= 0x80) {
                std::string bytes = Utf8(char32_t(m.WParam));
                if (!bytes.empty() && !ShortCutModifiers()) SetSelText(bytes);
                return;
            }
            break;
        case WM_SETFOCUS:
            SelectAll();
            break;
        case WM_KILLFOCUS:
        case WM_CANCELMODE:
        case WM_CAPTURECHANGED:
            selecting_ = false;
            break;
        case CM_FONTCHANGED:
            ScrollToCaret();
            Invalidate();
            break;
        default:
            break;
    }
    TCustomControl::Dispatch(m);
}

// Painting ----------------------------------------------------------------------------------------

void TEdit::Paint() {
    TCanvas& c = Canvas();
    DrawSunkenField(c, ClientRect(), Enabled() ? Color() : clBtnFace);
    c.Font = Font();
    if (!Enabled()) c.Font.SetColor(clGrayText);
    TRect area = TextRect();
    int height = c.TextHeight("Ag");
    int y = (Height() - height) / 2;
    int x = area.Left - scroll_;
    c.Brush.Style = bsClear;
    c.TextRect(area, x, y, Text());
    bool focused = Focused() && Enabled();
    if (!focused) return;
    if (SelLength() > 0) {
        TRect sel =
            TRect{x + XOf(SelStart()), y, x + XOf(SelStart() + SelLength()), y + height}.Intersect(
                area);
        if (!sel.IsEmpty()) {
            c.Brush.Style = bsSolid;
            c.Brush.Color = clHighlight;
            c.FillRect(sel);
            c.Font.SetColor(clHighlightText);
            c.Brush.Style = bsClear;
            c.TextRect(sel, x, y, Text());
        }
    }
    int caretX = CaretX();
    if (caretX >= area.Left && caretX < area.Right) {
        c.Brush.Style = bsSolid;
        c.Brush.Color = clWindowText;
        c.FillRect(TRect{caretX, y, caretX + c.LineWidth(), y + height}.Intersect(area));
    }
}
