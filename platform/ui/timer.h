// TTimer: raises OnTimer every Interval milliseconds while Enabled, through the message
// loop (so also inside modal loops).
#pragma once

#include "platform/ui/component.h"
#include "platform/ui/messages.h"

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned ms);
    void SetOnTimer(TNotifyEvent handler);
    const TNotifyEvent& OnTimer() const { return onTimer_; }

protected:
    virtual void Timer();

private:
    void UpdateTimer();

    HWND window_ = nullptr;
    bool enabled_ = true;
    unsigned interval_ = 1000;
    TNotifyEvent onTimer_;
};
