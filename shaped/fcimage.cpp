#include "shaped/fcimage.h"

#include "platform/sysutils.h"
#include "platform/ui/form.h"
#include "platform/ui/winapi.h"
#include "shaped/fcbitmap.h"

TfcCustomImage::TfcCustomImage(TComponent* owner) : TGraphicControl(owner) {
    controlStyle_ |= csReplicatable;
    SetBounds(Left(), Top(), 105, 105);
    picture_.OnChange = [this](TPicture&) { PictureChanged(); };
}

TfcCustomImage::~TfcCustomImage() {
    picture_.OnChange = nullptr;
}

void TfcCustomImage::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    PictureChanged();
}

TBitmap& TfcCustomImage::ImageCanvasBitmap() {
    if (!picture_.Graphic()) picture_.SetGraphic(std::make_unique<TBitmap>(Width(), Height()));
    auto* bitmap = dynamic_cast<TBitmap*>(picture_.Graphic());
    if (!bitmap) throw EInvalidOperation("Can only modify an image if it contains a bitmap");
    return *bitmap;
}

void TfcCustomImage::Paint() {
    TCanvas& canvas = Canvas();
    if (Designing()) {
        canvas.Pen.Style = psDash;
        canvas.Brush.Style = bsClear;
        canvas.Rectangle(0, 0, Width(), Height());
    }
    bool wasDrawing = drawing_;
    drawing_ = true;
    struct TRestore {
        bool& flag;
        bool value;
        ~TRestore() { flag = value; }
    } restore{drawing_, wasDrawing};

    TBitmap& bitmap = ImageCanvasBitmap();
    HDC screen = GetDC(nullptr);
    int bits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    if (bits <= 8) {
        // A palette display: the halftone palette gives the best colours for any picture.
        TfcBitmap halftone;
        halftone.SetUseHalftonePalette(true);
        halftone.Assign(&bitmap);
        canvas.Draw(0, 0, halftone);
    } else {
        canvas.StretchDraw({0, 0, picture_.Width(), picture_.Height()}, bitmap);
    }
}

void TfcCustomImage::PictureChanged() {
    TGraphic* graphic = picture_.Graphic();
    if (autoSize_ && picture_.Width() > 0 && picture_.Height() > 0)
        SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
    if (graphic) {
        graphic->SetTransparent(false);
        bool covers = graphic->Width() >= Width() && graphic->Height() >= Height();
        if (covers) {
            controlStyle_ |= csOpaque;
        } else {
            controlStyle_ &= ~csOpaque;
        }
        if (RequestPaletteRealize() && drawing_) Update();
    } else {
        controlStyle_ &= ~csOpaque;
    }
    if (!drawing_) Invalidate();
}

bool TfcCustomImage::RequestPaletteRealize() {
    TGraphic* graphic = picture_.Graphic();
    if (!Visible() || (ComponentState() & csLoading) || !graphic || !graphic->PaletteModified())
        return false;
    if (!graphic->HasPalette()) {
        graphic->SetPaletteModified(false);
        return false;
    }
    auto* form = dynamic_cast<TCustomForm*>(ParentForm());
    if (form && form->HandleAllocated() && GetActiveWindow() == form->Handle()) {
        if (drawing_) {
            SendMessage(form->Handle(), WM_QUERYNEWPALETTE, 0, 0);
        } else {
            PostMessage(form->Handle(), WM_QUERYNEWPALETTE, 0, 0);
        }
    }
    graphic->SetPaletteModified(false);
    return true;
}
