// A graphic control that paints a picture at its top-left corner: the background a clock
// is set on in tests and benchmarks.
#pragma once

#include "platform/gfx/bitmap.h"
#include "platform/gfx/canvas.h"
#include "platform/ui/control.h"

namespace ztest {

class TPictureControl : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
    TBitmap Picture;

protected:
    void Paint() override { Canvas().Draw(0, 0, Picture); }
};

}  // namespace ztest
