// TfcCustomImage: a control without a window of its own that shows a picture at its
// natural size in its top-left corner. On displays of 256 colours or fewer the picture
// is drawn through a TfcBitmap with the halftone palette.
#pragma once

#include "platform/gfx/bitmap.h"
#include "platform/gfx/graphic.h"
#include "platform/ui/control.h"

class TfcCustomImage : public TGraphicControl {
public:
    explicit TfcCustomImage(TComponent* owner);
    ~TfcCustomImage() override;

    TPicture& Picture() { return picture_; }
    const TPicture& Picture() const { return picture_; }

    // With AutoSize the control takes the picture's size.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);

    // True while Paint runs.
    bool Drawing() const { return drawing_; }

protected:
    void Paint() override;
    // The picture's change notification: size, opacity, palette, repaint.
    virtual void PictureChanged();
    // Asks the form to realise the picture's palette when it changed; true when asked.
    bool RequestPaletteRealize();
    // The bitmap to draw on: the picture's bitmap, made (control-sized) when the picture
    // is empty. Raises EInvalidOperation when the picture holds another kind of graphic.
    TBitmap& ImageCanvasBitmap();

private:
    TPicture picture_;
    bool autoSize_ = false;
    bool drawing_ = false;
};
