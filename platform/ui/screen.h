// TScreen: the primary screen (size, pixels per inch, pointer position), the desktop's
// monitors and their density, the scale windows are laid out at, and the list of forms.
#pragma once

#include <vector>

#include "platform/gfx/types.h"
#include "platform/native/monitor.h"
#include "platform/ui/component.h"

class TCustomForm;

class TScreen : public TComponent {
public:
    explicit TScreen(TComponent* owner) : TComponent(owner) {}

    int Width() const;
    int Height() const;
    int PixelsPerInch() const;
    TPoint CursorPos() const;
    // The monitor at a screen point (the nearest one when the point is on none), and its
    // pixels per inch.
    native::TMonitor MonitorAt(TPoint p) const;
    int PixelsPerInchAt(TPoint p) const { return MonitorAt(p).PixelsPerInch; }

    // The scale windows are laid out at on a monitor of this density: its ratio to 96 in
    // quarters, from 100 to 400 %.
    int ScalePercentFor(int pixelsPerInch) const;
    // The rectangle of each monitor of the desktop in screen pixels, the primary first;
    // never empty (the system's monitor list, EnumDisplayMonitors on Windows).
    std::vector<TRect> MonitorBounds() const;

    const std::vector<TCustomForm*>& Forms() const { return forms_; }
    int FormCount() const { return int(forms_.size()); }
    void AddForm(TCustomForm* form);
    void RemoveForm(TCustomForm* form);

private:
    std::vector<TCustomForm*> forms_;
};

extern TScreen* Screen;
