#include "platform/ui/screen.h"

#include <algorithm>

#include "platform/native/native.h"
#include "platform/ui/winapi.h"

TScreen* Screen = nullptr;

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }
int TScreen::PixelsPerInch() const { return native::Backend().PixelsPerInch(); }

TPoint TScreen::CursorPos() const {
    TPoint p;
    GetCursorPos(&p);
    return p;
}

std::vector<TRect> TScreen::MonitorBounds() const {
    std::vector<TRect> bounds;
    for (const native::TMonitor& monitor : native::Backend().Monitors())
        bounds.push_back(monitor.Bounds);
    return bounds;
}

void TScreen::AddForm(TCustomForm* form) { forms_.push_back(form); }
void TScreen::RemoveForm(TCustomForm* form) { std::erase(forms_, form); }
