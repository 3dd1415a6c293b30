// TScrollBar: a stand-alone scroll bar, vertical or horizontal, in the classic look: an
// arrow button at each end, a dithered track between them and a thumb whose place in the
// track shows Position between Min and Max. The thumb is square, or, with a PageSize,
// as long against the track as one page is against the whole (a page plus the range),
// but never shorter than 8 pixels (at 100 %; this and the default thickness, 16, scale
// with the bar).
//
// Position always lies in [Min, Max] (setters clamp it); a range with Max <= Min shows no
// thumb and greys the arrows, as does a disabled bar. Every change of Position, from code
// or from the user, raises OnChange.
//
// The user scrolls with the mouse and, when the bar has the focus, the keyboard:
// - an arrow button moves by SmallChange (scLineUp, scLineDown), a press on the track
//   before or after the thumb by LargeChange (scPageUp, scPageDown); held down, the press
//   repeats after 350 ms and then every 50 ms while the pointer stays on that part (a
//   page press stops once the thumb reaches the pointer);
// - dragging the thumb reports scTrack for every new position and scPosition at the
//   release;
// - Up or Left, Down or Right, Page Up, Page Down, Home and End give scLineUp,
//   scLineDown, scPageUp, scPageDown, scTop and scBottom;
// - every user action ends with scEndScroll (at the mouse release, or after the key).
// Each step first calls OnScroll with the code and the proposed position, which the
// handler may change, and then sets Position to it.
#pragma once

#include <functional>

#include "platform/ui/wincontrol.h"

enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollCode {
    scLineUp,
    scLineDown,
    scPageUp,
    scPageDown,
    scPosition,
    scTrack,
    scTop,
    scBottom,
    scEndScroll
};
using TScrollEvent = std::function<void(TObject* sender, TScrollCode code, int& scrollPos)>;

// The parts of a scroll bar, along it.
enum class TScrollPart { None, LineUp, PageUp, Thumb, PageDown, LineDown };

class TScrollBar : public TCustomControl {
public:
    explicit TScrollBar(TComponent* owner);

    TScrollBarKind Kind() const { return kind_; }
    // A change of kind turns the bar: width and height are swapped.
    void SetKind(TScrollBarKind kind);
    int Min() const { return min_; }
    void SetMin(int value) { SetParams(position_, value, max_); }
    int Max() const { return max_; }
    void SetMax(int value) { SetParams(position_, min_, value); }
    int Position() const { return position_; }
    void SetPosition(int value) { SetParams(value, min_, max_); }
    // All three at once; Position is clamped to the new range.
    void SetParams(int position, int min, int max);
    // Steps of at least 1 (smaller values are taken as 1).
    int SmallChange() const { return smallChange_; }
    void SetSmallChange(int value) { smallChange_ = value < 1 ? 1 : value; }
    int LargeChange() const { return largeChange_; }
    void SetLargeChange(int value) { largeChange_ = value < 1 ? 1 : value; }
    // How many position units one page shows (0, the default: a square thumb). It sizes
    // the thumb only; Position still runs from Min to Max.
    int PageSize() const { return pageSize_; }
    void SetPageSize(int value);

    // Geometry, in client coordinates: the part under a point, and the thumb (empty when
    // none is shown).
    TScrollPart PartAt(int x, int y) const;
    TRect ThumbRect() const;
    TRect PartRect(TScrollPart part) const;

    TNotifyEvent OnChange;
    TScrollEvent OnScroll;

    void Dispatch(TMessage& message) override;

protected:
    void Paint() override;
    bool DoKeyDown(uint16_t& key, TShiftState shift) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void DestroyWnd() override;

private:
    // Along and across the bar, whatever its kind.
    int Length() const { return kind_ == sbVertical ? Height() : Width(); }
    int Thickness() const { return kind_ == sbVertical ? Width() : Height(); }
    int Along(int x, int y) const { return kind_ == sbVertical ? y : x; }
    int ArrowLength() const;
    bool HasThumb() const;
    int ThumbLength() const;
    // The thumb's start and length along the bar.
    void ThumbSpan(int& start, int& length) const;
    // The position for a thumb starting at start along the bar.
    int PositionForThumb(int start) const;
    TRect Span(int start, int end) const;

    void Scroll(TScrollCode code, int position);
    void StepPart(TScrollPart part);
    void RepeatStep();
    void FinishPress();
    void StopTimer();

    TScrollBarKind kind_ = sbHorizontal;
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    int smallChange_ = 1;
    int largeChange_ = 1;
    int pageSize_ = 0;

    TScrollPart pressed_ = TScrollPart::None;  // the part held down with the left button
    bool pointerOnPressed_ = false;            // the pointer is over that part
    TPoint pointer_;                           // the latest pointer position while held
    int dragOffset_ = 0;                       // pointer along the thumb, when it was taken
    bool timerRunning_ = false;
};
