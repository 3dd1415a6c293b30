#include "app/clocktip.h"

#include "platform/native/monitor.h"
#include "platform/ui/wincontrol.h"

namespace {
// How far below the pointer's hot spot the tip goes: clear of the arrow, at 96 pixels per
// inch.
constexpr int kBelowPointer = 20;
}  // namespace

TClockTip::TClockTip(TComponent* owner, TControl* clock, std::function<std::string()> text)
    : clock_(clock), text_(std::move(text)), timer_(new TTimer(owner)) {
    timer_->SetEnabled(false);
    timer_->SetOnTimer([this](TObject* sender) { TimerTick(sender); });
}

void TClockTip::PointerMoved() {
    if (tip_.Visible()) return;
    timer_->SetEnabled(false);
    timer_->SetInterval(kRestMs);
    timer_->SetEnabled(true);
}

void TClockTip::Pressed() {
    Hide();
}

void TClockTip::Hide() {
    timer_->SetEnabled(false);
    tip_.Hide();
}

bool TClockTip::PointerOnClock(TPoint pointer) const {
    TWinControl* form = clock_->ParentForm();
    if (!clock_->Showing() || !form || !form->HandleAllocated()) return false;
    HWND window = form->Handle();
    if (!IsWindowEnabled(window) || GetCapture()) return false;  // a dialog or a menu is up
    TPoint origin = clock_->ClientToScreen({0, 0});
    if (!TRect::FromSize(origin.X, origin.Y, clock_->Width(), clock_->Height()).Contains(pointer))
        return false;
    HWND under = WindowFromPoint(pointer);
    return under && GetTopLevel(under) == window;
}

void TClockTip::TimerTick(TObject*) {
    TPoint pointer;
    GetCursorPos(&pointer);
    if (!PointerOnClock(pointer)) {
        Hide();
        return;
    }
    if (tip_.Visible()) {
        tip_.SetText(text_());
        return;
    }
    HWND window = clock_->ParentForm()->Handle();
    int below = native::ScaleLength(
        kBelowPointer, native::ScalePercentForPixelsPerInch(int(GetDpiForWindow(window))));
    tip_.Show({pointer.X, pointer.Y + below}, text_());
    timer_->SetInterval(kCheckMs);
}
