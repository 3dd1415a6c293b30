#include "platform/ui/scrollbar.h"

#include <algorithm>
#include <cstdint>

#include "platform/ui/stylepainter.h"

namespace {

constexpr uintptr_t kRepeatTimer = 1;
constexpr UINT kRepeatDelay = 350;    // from the press to the first repeat
constexpr UINT kRepeatInterval = 50;  // between repeats
// At 100 %.
constexpr int kDefaultThickness = 16;  // the classic bar
constexpr int kMinThumbTrack = 8;      // a shorter track shows no thumb
constexpr int kMinThumbLength = 8;     // a thumb sized by the page is never shorter

enum class TArrow { Up, Down, Left, Right };

// The arrow glyph of a scroll button, centred in rect (moved a line down and right
// when pressed): a solid triangle 2h - 1 wide and h deep, h growing with the button.
void DrawArrowGlyph(TCanvas& canvas, const TRect& rect, TArrow arrow, bool pressed, TColor color) {
    int size = std::min(rect.Width(), rect.Height());
    int depth = std::max(1, (size - 2) / 4 + 1);
    int shift = pressed ? canvas.LineWidth() : 0;
    int cx = rect.Left + (rect.Width() - 1) / 2 + shift;
    int cy = rect.Top + (rect.Height() - 1) / 2 + shift;
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = color;
    for (int k = 0; k < depth; ++k) {
        // Row (or column) k from the tip: 2k + 1 pixels.
        switch (arrow) {
            case TArrow::Up: {
                int y = cy - depth / 2 + k;
                canvas.FillRect({cx - k, y, cx + k + 1, y + 1});
                break;
            }
            case TArrow::Down: {
                int y = cy + depth / 2 - k;
                canvas.FillRect({cx - k, y, cx + k + 1, y + 1});
                break;
            }
            case TArrow::Left: {
                int x = cx - depth / 2 + k;
                canvas.FillRect({x, cy - k, x + 1, cy + k + 1});
                break;
            }
            case TArrow::Right: {
                int x = cx + depth / 2 - k;
                canvas.FillRect({x, cy - k, x + 1, cy + k + 1});
                break;
            }
        }
    }
}

// A scroll button: a raised button face (flat and shadowed while pressed) with its arrow,
// greyed with a white shadow when disabled.
void DrawScrollArrow(TCanvas& canvas, const TRect& rect, TArrow arrow, bool pressed, bool enabled) {
    if (rect.IsEmpty()) return;
    DrawButtonFace(canvas, rect, clBtnFace, pressed, false);
    if (enabled) {
        DrawArrowGlyph(canvas, rect, arrow, pressed, clBtnText);
        return;
    }
    const int line = canvas.LineWidth();
    DrawArrowGlyph(canvas, rect.Offset(line, line), arrow, false, clBtnHighlight);
    DrawArrowGlyph(canvas, rect, arrow, false, clBtnShadow);
}

// The track: the classic dither of highlight and face pixels, or dark while a page press
// holds it. The dither is anchored at the client origin so it does not crawl.
void DrawScrollTrack(TCanvas& canvas, const TRect& rect, bool pressed) {
    if (rect.IsEmpty()) return;
    if (pressed) {
        canvas.Brush.Style = bsSolid;
        canvas.Brush.Color = cl3DDkShadow;
        canvas.FillRect(rect);
        return;
    }
    TColor light = ColorToRGB(clBtnHighlight), face = ColorToRGB(clBtnFace);
    TRect visible = rect.Intersect(canvas.ClipRect());
    for (int y = visible.Top; y < visible.Bottom; ++y)
        for (int x = visible.Left; x < visible.Right; ++x)
            canvas.SetPixel(x, y, ((x + y) & 1) ? face : light);
}

}  // namespace

TScrollBar::TScrollBar(TComponent* owner) : TCustomControl(owner) {
    controlStyle_ |= csOpaque;
    controlStyle_ &= ~csDoubleClicks;
    SetTabStop(true);
    SetBounds(0, 0, 121, kDefaultThickness);
}

void TScrollBar::SetKind(TScrollBarKind kind) {
    if (kind == kind_) return;
    kind_ = kind;
    SetBounds(Left(), Top(), Height(), Width());
    Invalidate();
}

void TScrollBar::SetParams(int position, int min, int max) {
    bool rangeChanged = min != min_ || max != max_;
    min_ = min;
    max_ = max;
    position = std::clamp(position, min_, std::max(min_, max_));
    bool moved = position != position_;
    position_ = position;
    if (rangeChanged || moved) Invalidate();
    if (moved && OnChange) OnChange(this);
}

void TScrollBar::SetPageSize(int value) {
    value = std::max(0, value);
    if (value == pageSize_) return;
    pageSize_ = value;
    Invalidate();
}

// Geometry ----------------------------------------------------------------------------------------

int TScrollBar::ArrowLength() const {
    return std::max(0, std::min(Thickness(), Length() / 2));
}

bool TScrollBar::HasThumb() const {
    int track = Length() - 2 * ArrowLength();
    return Enabled() && max_ > min_ && track >= ScaleValue(kMinThumbTrack);
}

int TScrollBar::ThumbLength() const {
    int track = Length() - 2 * ArrowLength();
    if (pageSize_ <= 0 || max_ <= min_) return std::min(Thickness(), track);
    int64_t whole = int64_t(max_) - min_ + pageSize_;
    int64_t length = int64_t(track) * pageSize_ / whole;
    return int(std::clamp<int64_t>(length, std::min(ScaleValue(kMinThumbLength), track), track));
}

void TScrollBar::ThumbSpan(int& start, int& length) const {
    int arrow = ArrowLength();
    int track = Length() - 2 * arrow;
    length = ThumbLength();
    int64_t travel = track - length;
    start = arrow + int(travel * (int64_t(position_) - min_) / (int64_t(max_) - min_));
}

int TScrollBar::PositionForThumb(int start) const {
    int arrow = ArrowLength();
    int track = Length() - 2 * arrow;
    int64_t travel = track - ThumbLength();
    if (travel <= 0) return min_;
    int64_t along = std::clamp<int64_t>(start - arrow, 0, travel);
    int64_t range = int64_t(max_) - min_;
    return int(min_ + (along * range + travel / 2) / travel);
}

TRect TScrollBar::Span(int start, int end) const {
    if (end <= start) return {};
    return kind_ == sbVertical ? TRect{0, start, Width(), end} : TRect{start, 0, end, Height()};
}

TRect TScrollBar::PartRect(TScrollPart part) const {
    int arrow = ArrowLength(), length = Length();
    int thumbStart = arrow, thumbLength = 0;
    if (HasThumb()) ThumbSpan(thumbStart, thumbLength);
    switch (part) {
        case TScrollPart::LineUp:
            return Span(0, arrow);
        case TScrollPart::LineDown:
            return Span(length - arrow, length);
        case TScrollPart::Thumb:
            return Span(thumbStart, thumbStart + thumbLength);
        case TScrollPart::PageUp:
            return HasThumb() ? Span(arrow, thumbStart) : TRect{};
        case TScrollPart::PageDown:
            return HasThumb() ? Span(thumbStart + thumbLength, length - arrow) : TRect{};
        default:
            return {};
    }
}

TRect TScrollBar::ThumbRect() const {
    return PartRect(TScrollPart::Thumb);
}

TScrollPart TScrollBar::PartAt(int x, int y) const {
    if (!ClientRect().Contains({x, y})) return TScrollPart::None;
    for (TScrollPart part : {TScrollPart::LineUp, TScrollPart::LineDown, TScrollPart::Thumb,
                             TScrollPart::PageUp, TScrollPart::PageDown})
        if (PartRect(part).Contains({x, y})) return part;
    return TScrollPart::None;
}

// Scrolling ---------------------------------------------------------------------------------------

void TScrollBar::Scroll(TScrollCode code, int position) {
    position = std::clamp(position, min_, std::max(min_, max_));
    if (OnScroll) OnScroll(this, code, position);
    SetPosition(position);
}

void TScrollBar::StepPart(TScrollPart part) {
    auto step = [this](int64_t by) {
        return int(std::clamp<int64_t>(int64_t(position_) + by, min_, std::max(min_, max_)));
    };
    switch (part) {
        case TScrollPart::LineUp:
            Scroll(scLineUp, step(-smallChange_));
            break;
        case TScrollPart::LineDown:
            Scroll(scLineDown, step(smallChange_));
            break;
        case TScrollPart::PageUp:
            Scroll(scPageUp, step(-largeChange_));
            break;
        case TScrollPart::PageDown:
            Scroll(scPageDown, step(largeChange_));
            break;
        default:
            break;
    }
}

void TScrollBar::RepeatStep() {
    if (pressed_ == TScrollPart::None || pressed_ == TScrollPart::Thumb) {
        StopTimer();
        return;
    }
    if (HandleAllocated()) SetTimer(Handle(), kRepeatTimer, kRepeatInterval);
    // A page press goes on while the pointer is still on the track on the same side of
    // the thumb; an arrow while the pointer is on it.
    pointerOnPressed_ = PartAt(pointer_.X, pointer_.Y) == pressed_;
    if (pointerOnPressed_) StepPart(pressed_);
    Repaint();
}

void TScrollBar::StopTimer() {
    if (timerRunning_ && HandleAllocated()) KillTimer(Handle(), kRepeatTimer);
    timerRunning_ = false;
}

void TScrollBar::FinishPress() {
    if (pressed_ == TScrollPart::None) return;
    TScrollPart part = pressed_;
    pressed_ = TScrollPart::None;
    pointerOnPressed_ = false;
    StopTimer();
    if (part == TScrollPart::Thumb) Scroll(scPosition, position_);
    Scroll(scEndScroll, position_);
    Invalidate();
}

// Input -------------------------------------------------------------------------------------------

void TScrollBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != mbLeft || !Enabled()) return;
    TScrollPart part = PartAt(x, y);
    if (part == TScrollPart::None) return;
    if ((part == TScrollPart::LineUp || part == TScrollPart::LineDown) && max_ <= min_) return;
    pressed_ = part;
    pointerOnPressed_ = true;
    pointer_ = {x, y};
    if (part == TScrollPart::Thumb) {
        int start, length;
        ThumbSpan(start, length);
        dragOffset_ = Along(x, y) - start;
    } else {
        StepPart(part);
        SetTimer(Handle(), kRepeatTimer, kRepeatDelay);
        timerRunning_ = true;
    }
    Repaint();
}

void TScrollBar::MouseMove(TShiftState shift, int x, int y) {
    TCustomControl::MouseMove(shift, x, y);
    if (pressed_ == TScrollPart::None) return;
    pointer_ = {x, y};
    if (pressed_ == TScrollPart::Thumb) {
        int position = PositionForThumb(Along(x, y) - dragOffset_);
        if (position != position_) Scroll(scTrack, position);
        return;
    }
    bool on = PartRect(pressed_).Contains(pointer_);
    if (on != pointerOnPressed_) {
        pointerOnPressed_ = on;
        Repaint();
    }
}

void TScrollBar::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) FinishPress();
    TCustomControl::MouseUp(button, shift, x, y);
}

bool TScrollBar::DoKeyDown(uint16_t& key, TShiftState shift) {
    if (TCustomControl::DoKeyDown(key, shift)) return true;
    switch (key) {
        case VK_UP:
        case VK_LEFT:
            StepPart(TScrollPart::LineUp);
            break;
        case VK_DOWN:
        case VK_RIGHT:
            StepPart(TScrollPart::LineDown);
            break;
        case VK_PRIOR:
            StepPart(TScrollPart::PageUp);
            break;
        case VK_NEXT:
            StepPart(TScrollPart::PageDown);
            break;
        case VK_HOME:
            Scroll(scTop, min_);
            break;
        case VK_END:
            Scroll(scBottom, max_);
            break;
        default:
            return false;
    }
    Scroll(scEndScroll, position_);
    return true;
}

void TScrollBar::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case WM_GETDLGCODE:
            m.Result = DLGC_WANTARROWS;
            return;
        case WM_TIMER:
            if (m.WParam == kRepeatTimer) {
                RepeatStep();
                return;
            }
            break;
        case WM_CAPTURECHANGED:
        case WM_CANCELMODE:
            // The mouse was taken away (or released): the press ends where it is.
            FinishPress();
            break;
        default:
            break;
    }
    TCustomControl::Dispatch(m);
}

void TScrollBar::DestroyWnd() {
    StopTimer();
    TCustomControl::DestroyWnd();
}

// Painting ----------------------------------------------------------------------------------------

void TScrollBar::Paint() {
    TCanvas& c = Canvas();
    bool enabled = Enabled() && max_ > min_;
    bool vertical = kind_ == sbVertical;
    auto held = [this](TScrollPart part) { return pressed_ == part && pointerOnPressed_; };
    DrawScrollArrow(c, PartRect(TScrollPart::LineUp), vertical ? TArrow::Up : TArrow::Left,
                    held(TScrollPart::LineUp), enabled);
    DrawScrollArrow(c, PartRect(TScrollPart::LineDown), vertical ? TArrow::Down : TArrow::Right,
                    held(TScrollPart::LineDown), enabled);
    int arrow = ArrowLength();
    if (!HasThumb()) {
        DrawScrollTrack(c, Span(arrow, Length() - arrow), false);
        return;
    }
    DrawScrollTrack(c, PartRect(TScrollPart::PageUp), held(TScrollPart::PageUp));
    DrawScrollTrack(c, PartRect(TScrollPart::PageDown), held(TScrollPart::PageDown));
    DrawButtonFace(c, ThumbRect(), clBtnFace, false, false);
}
