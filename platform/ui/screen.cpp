#include "platform/ui/screen.h"

#include <algorithm>

#include "platform/native/native.h"
#include "platform/ui/winapi.h"

TScreen* Screen = nullptr;

int TScreen::Width() const {
    return GetSystemMetrics(SM_CXSCREEN);
}
int TScreen::Height() const {
    return GetSystemMetrics(SM_CYSCREEN);
}
int TScreen::PixelsPerInch() const {
    return native::Backend().PixelsPerInch();
}

TPoint TScreen::CursorPos() const {
    TPoint p;
    GetCursorPos(&p);
    return p;
}

native::TMonitor TScreen::MonitorAt(TPoint p) const {
    std::vector<native::TMonitor> monitors = native::Backend().Monitors();
    int index = native::MonitorIndexFor(monitors, TRect::FromSize(p.X, p.Y, 1, 1));
    if (index < 0) return {{0, 0, Width(), Height()}, PixelsPerInch()};
    return monitors[size_t(index)];
}

int TScreen::ScalePercentFor(int pixelsPerInch) const {
    return native::ScalePercentForPixelsPerInch(pixelsPerInch);
}

std::vector<TRect> TScreen::MonitorBounds() const {
    std::vector<TRect> bounds;
    for (const native::TMonitor& monitor : native::Backend().Monitors())
        bounds.push_back(monitor.Bounds);
    return bounds;
}

void TScreen::AddForm(TCustomForm* form) {
    forms_.push_back(form);
}
void TScreen::RemoveForm(TCustomForm* form) {
    std::erase(forms_, form);
}
