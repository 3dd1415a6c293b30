// TCheckBox: a box that is checked or not, with a caption at its right, in the classic
// look: a 13 x 13 sunken box at the left edge, centred vertically, the caption
// kGlyphTextLeft pixels from the left (at 100 %: both scale with the control). A click anywhere on
// the control (box or caption) or Space while it has the focus toggles it and raises OnClick;
// setting Checked from code changes the look only. While the left button or Space is held the box
// shows pressed (grey inside); a press released outside the control changes nothing. The focus
// shows as a dotted rectangle around the caption. A disabled check box greys its box and
// etches its caption, and takes neither clicks nor the focus.
//
// It is a tab stop by default.
#pragma once

#include "platform/ui/buttoncontrol.h"

class TCheckBox : public TButtonControl {
public:
    explicit TCheckBox(TComponent* owner);

    bool Checked() const { return checked_; }
    void SetChecked(bool checked);

    // Where the box and the caption are drawn, in client coordinates.
    TRect GlyphRect() const;
    TRect CaptionRect() const;

protected:
    void Paint() override;
    void Click() override;

private:
    bool checked_ = false;
};
