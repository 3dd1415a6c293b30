// TClockTip: the clock's tooltip, the time in words. When the pointer rests on the clock
// for a second, a tip below the pointer shows the text it is given (the time and date),
// brought up to date while it shows; it goes when the pointer leaves the clock, when a
// button is pressed on it, and while another window (a menu, a dialog) has the mouse or
// the clock is disabled. Waiting, it costs one timer; shown, it looks four times a second
// whether the pointer is still there and the text has changed.
#pragma once

#include <functional>
#include <string>

#include "platform/ui/control.h"
#include "platform/ui/timer.h"
#include "platform/ui/tooltip.h"

class TClockTip {
public:
    // clock: the control the pointer rests on; text: what the tip says, asked afresh each
    // time it is shown or brought up to date. The timer is owned by owner.
    TClockTip(TComponent* owner, TControl* clock, std::function<std::string()> text);

    // The pointer moved over the clock: the wait of a second starts again, unless the tip
    // shows already.
    void PointerMoved();
    // A button went down on the clock: the tip goes, until the pointer rests again.
    void Pressed();
    void Hide();
    bool Visible() const { return tip_.Visible(); }
    const TToolTip& Tip() const { return tip_; }

    static constexpr unsigned kRestMs = 1000;
    static constexpr unsigned kCheckMs = 250;

private:
    void TimerTick(TObject* sender);
    bool PointerOnClock(TPoint pointer) const;

    TControl* clock_;
    std::function<std::string()> text_;
    TTimer* timer_;
    TToolTip tip_;
};
