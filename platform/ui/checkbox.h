// TCheckBox: a box that is checked or not, with a caption at its right, in the classic
// look: a 13 x 13 sunken box at the left edge, centred vertically, the caption
// kGlyphTextLeft pixels from the left (at 100 %: both scale with the control). A click anywhere on the control (box or caption)
// or Space while it has the focus toggles it and raises OnClick; setting Checked from
// code changes the look only. While the left button or Space is held the box shows
// pressed (grey inside); a press released outside the control changes nothing. The focus
// shows as a dotted rectangle around the caption. A disabled check box greys its box and
// etches its caption, and takes neither clicks nor the focus.
//
// It is a tab stop by default.
#pragma once

#include "platform/ui/wincontrol.h"

class TCheckBox : public TCustomControl {
public:
    explicit TCheckBox(TComponent* owner);

    bool Checked() const { return checked_; }
    void SetChecked(bool checked);

    // Where the box and the caption are drawn, in client coordinates.
    TRect GlyphRect() const;
    TRect CaptionRect() const;

    void Dispatch(TMessage& message) override;

protected:
    void Paint() override;
    void Click() override;
    bool DoKeyDown(uint16_t& key, TShiftState shift) override;
    bool DoKeyUp(uint16_t& key, TShiftState shift) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    void SetPressed(bool pressed);

    bool checked_ = false;
    bool pressed_ = false;    // drawn pressed
    bool mouseDown_ = false;  // the left button went down on the control
    bool spaceDown_ = false;  // Space went down while the control had the focus
};
