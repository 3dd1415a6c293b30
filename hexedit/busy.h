// TBusyIndicator: what zentick-hexedit's window shows while a long load, save or search
// runs on its one thread.
//
// The operation calls Step() now and then with how far it is. Once it has run for a third
// of a second, the status line reads "<what>... Esc cancels" and its gauge shows the
// part done. Every step lets paints and timers run, takes Esc as the wish to cancel (Step
// then returns false), and drops every other key and click, which would otherwise change
// the data being saved or searched, or start another operation; a request to close the
// window is kept and made again when the operation ends.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/label.h"
#include "widgets/agauge.h"

class TBusyIndicator {
public:
    // How long an operation runs before it is shown.
    static constexpr int64_t kDelayMs = 333;

    TBusyIndicator(TLabel* label, TAGauge* gauge) : label_(label), gauge_(gauge) {}

    void Begin(const std::string& what);
    // False once the user cancelled.
    bool Step(int64_t done, int64_t total);
    // Hides the gauge (the caller puts the status line's text back) and makes the close
    // requests that came meanwhile.
    void End();
    bool Active() const { return active_; }
    bool Shown() const { return shown_; }
    bool Cancelled() const { return cancelled_; }

    // The clock that times the delay, in milliseconds (the backend's by default).
    std::function<int64_t()> Clock;

private:
    void Pump();

    TLabel* label_;
    TAGauge* gauge_;
    std::string what_;
    int64_t start_ = 0;
    bool active_ = false;
    bool shown_ = false;
    bool cancelled_ = false;
    std::vector<HWND> closes_;  // windows asked to close meanwhile
};
