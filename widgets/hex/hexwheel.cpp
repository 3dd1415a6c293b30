// THexEditor and the mouse wheel: three rows a notch, the way the scroll bar's own arrows
// move the view.
#include "platform/ui/wheel.h"
#include "widgets/hex/hexcontrol.h"

bool THexEditor::MouseWheel(int delta) {
    const int rows = WheelLines(wheelRemainder_, delta);
    if (rows == 0 || bytesPerLine_ <= 0) return true;
    const int64_t before = TopRowFromBar();
    topRow_ = before + rows;  // UpdateScrollBars keeps it within the rows
    UpdateScrollBars();
    if (topRow_ != before) Invalidate();
    return true;
}
