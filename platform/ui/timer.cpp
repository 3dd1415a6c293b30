#include "platform/ui/timer.h"

#include "platform/ui/winapi.h"

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    window_ = CreateWindowExA(0, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                              [this](HWND hwnd, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
                                  if (msg == WM_TIMER) {
                                      Timer();
                                      return 0;
                                  }
                                  return DefWindowProc(hwnd, msg, w, l);
                              });
}

TTimer::~TTimer() {
    if (window_) DestroyWindow(window_);
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned ms) {
    if (ms == interval_) return;
    interval_ = ms;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
    onTimer_ = std::move(handler);
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    KillTimer(window_, 1);
    if (enabled_ && interval_ != 0 && onTimer_) SetTimer(window_, 1, interval_);
}

void TTimer::Timer() {
    if (onTimer_) onTimer_(this);
}
