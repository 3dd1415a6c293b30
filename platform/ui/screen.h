// TScreen: the primary screen (size, pixels per inch, pointer position), the desktop's
// monitors and the list of forms.
#pragma once

#include <vector>

#include "platform/gfx/types.h"
#include "platform/ui/component.h"

class TCustomForm;

class TScreen : public TComponent {
public:
    explicit TScreen(TComponent* owner) : TComponent(owner) {}

    int Width() const;
    int Height() const;
    int PixelsPerInch() const;
    TPoint CursorPos() const;
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
