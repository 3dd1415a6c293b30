// THexEditor and the mouse wheel: three rows a notch, through the editor's scroll bar
// (its position is the top row), the way the scroll bar's own arrows move it.
#include "platform/ui/scrollbar.h"
#include "platform/ui/wheel.h"
#include "widgets/hexcontrol.h"

bool THexEditor::MouseWheel(int delta) {
    if (!scrollBar_) return false;
    int rows = WheelLines(wheelRemainder_, delta);
    if (rows == 0) return true;
    int before = scrollBar_->Position();
    scrollBar_->SetPosition(before + rows);
    if (scrollBar_->Position() != before) Invalidate();
    return true;
}
