#include "shaped/fcimageform.h"

#include <cstdlib>

#include "platform/ui/application.h"
#include "platform/ui/form.h"
#include "platform/ui/winapi.h"
#include "shaped/fcregion.h"

TfcCustomImageForm::TfcCustomImageForm(TComponent* owner) : TfcCustomImage(owner) {
    SetAlign(alClient);
}

TfcCustomImageForm::~TfcCustomImageForm() {
    if (capture_) capture_->RemoveFreeNotification(this);
}

void TfcCustomImageForm::BeforeDestruction() {
    ownRegion_.reset();
    region_ = nullptr;
    if (capture_) {
        capture_->RemoveFreeNotification(this);
        FreeAndNil(capture_);
    }
    TfcCustomImage::BeforeDestruction();
}

TCustomForm* TfcCustomImageForm::Form() const {
    return dynamic_cast<TCustomForm*>(Parent());
}

HWND TfcCustomImageForm::FormHandle() const {
    TCustomForm* form = Form();
    return form ? form->Handle() : nullptr;
}

// Placing -----------------------------------------------------------------------------------------

void TfcCustomImageForm::SetParent(TWinControl* parent) {
    if (parent && !parent->IsForm()) parent = parent->ParentForm();
    TfcCustomImage::SetParent(parent);
    if (TCustomForm* form = Form()) {
        HWND h = form->Handle();
        SetWindowLongA(h, GWL_STYLE, GetWindowLongA(h, GWL_STYLE) & ~LONG(WS_CLIPCHILDREN));
    }
    if (!parent) return;
    Form()->SetBorderStyle(bsNone);
    if (!capture_ && !Designing()) HookForm();
}

void TfcCustomImageForm::HookForm() {
    capture_ = new TfcCaptureMessageClass(Owner());
    capture_->FreeNotification(this);
    capture_->SetWindowHandle(FormHandle());
    capture_->SetActive(true);
    capture_->OnAfterMessage = [this](TMessage& m) { ParentFormMessage(m); };
}

void TfcCustomImageForm::Dispatch(TMessage& m) {
    if (m.Msg == CM_PARENTHANDLECREATED) {
        // The form's window was made anew: follow it with the capture, and clear its
        // WS_CLIPCHILDREN again, so the picture still drags the window.
        if (TCustomForm* form = Form()) {
            HWND h = form->Handle();
            SetWindowLongA(h, GWL_STYLE, GetWindowLongA(h, GWL_STYLE) & ~LONG(WS_CLIPCHILDREN));
            if (capture_ && capture_->WindowHandle() != h) {
                capture_->SetWindowHandle(h);
                capture_->SetActive(true);
            }
        }
    }
    TfcCustomImage::Dispatch(m);
}

void TfcCustomImageForm::Notification(TComponent* component, TOperation operation) {
    TfcCustomImage::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == captionBarControl_) captionBarControl_ = nullptr;
    if (component == capture_) capture_ = nullptr;
}

void TfcCustomImageForm::SetCaptionBarControl(TControl* control) {
    if (control == captionBarControl_) return;
    if (captionBarControl_) captionBarControl_->RemoveFreeNotification(this);
    captionBarControl_ = control;
    if (control) control->FreeNotification(this);
}

void TfcCustomImageForm::SetBounds(int left, int top, int width, int height) {
    TfcCustomImage::SetBounds(left, top, width, height);
    if (AutoSize())
        if (TCustomForm* form = Form()) {
            form->SetClientWidth(width);
            form->SetClientHeight(height);
        }
}

// Picture
// -------------------------------------------------------------------------------------------

void TfcCustomImageForm::SetPicture(const TPicture& picture) {
    Picture().Assign(picture);
    if (picture.Graphic() && picture.Width() > 0 && picture.Height() > 0)
        if (TCustomForm* form = Form()) {
            form->SetClientWidth(picture.Width());
            form->SetClientHeight(picture.Height());
        }
    Invalidate();
}

void TfcCustomImageForm::SetPicture(const TGraphic* graphic) {
    Picture().SetGraphic(graphic);
    Invalidate();
}

// Region
// ----------------------------------------------------------------------------------------------

TColor TfcCustomImageForm::EffectiveTransparentColor() const {
    if (transparentColor_ != clNone) return transparentColor_;
    auto* bitmap = dynamic_cast<const TBitmap*>(Picture().Graphic());
    if (!bitmap || bitmap->Empty()) return clNone;
    return bitmap->Pixel(0, bitmap->Height() - 1);
}

void TfcCustomImageForm::ApplyRegion(std::unique_ptr<TRegion> region, bool redraw) {
    TCustomForm* form = Form();
    if (Designing() || !form) {
        ownRegion_ = std::move(region);
        region_ = ownRegion_.get();
        return;
    }
    region_ = region.get();
    SetWindowRgn(form->Handle(), std::move(region), redraw);
}

void TfcCustomImageForm::RebuildRegion() {
    if (HWND h = FormHandle()) SetWindowRgn(h, nullptr, false);
    ownRegion_.reset();
    region_ = nullptr;
    auto* bitmap = dynamic_cast<const TBitmap*>(Picture().Graphic());
    std::unique_ptr<TRegion> region =
        bitmap ? CreateRegionFromBitmap(*bitmap, EffectiveTransparentColor()) : nullptr;
    if (region) ApplyRegion(std::move(region), true);
}

void TfcCustomImageForm::ClearRegion() {
    if (!region_) return;
    if (region_ == ownRegion_.get()) {
        ownRegion_.reset();
    } else if (TCustomForm* form = Form(); form && form->HandleAllocated()) {
        SetWindowRgn(form->Handle(), nullptr, false);
    }
    region_ = nullptr;
}

void TfcCustomImageForm::ReadRegionData(std::istream& in) {
    ApplyStoredRegion(::ReadRegionData(in));
}

void TfcCustomImageForm::ReadRegionData(std::span<const uint8_t> block) {
    ApplyStoredRegion(::ReadRegionData(block));
}

void TfcCustomImageForm::ApplyStoredRegion(TStoredRegion stored) {
    switch (stored.Kind) {
        case srNone:
            ownRegion_.reset();
            region_ = nullptr;
            RebuildRegion();
            break;
        case srRegion:
            ApplyRegion(std::move(stored.Region), true);
            break;
        case srRefused:
            break;  // nothing is applied
    }
}

void TfcCustomImageForm::WriteRegionData(std::ostream& out) {
    RebuildRegion();
    ::WriteRegionData(out, region_);
}

// Dragging
// --------------------------------------------------------------------------------------------

void TfcCustomImageForm::ParentFormMessage(TMessage& m) {
    if (Designing()) return;
    if (m.Msg == WM_DESTROY) {
        ClearRegion();
        return;
    }
    if (m.Msg != WM_LBUTTONDOWN) return;
    TCustomForm* form = Form();
    if (!form) return;
    TPoint p = PointFromLParam(m.LParam);
    TControl* control = form->ControlAtPos(p, true);
    if (!control) return;
    bool hasHandlers = control->OnClick || control->OnMouseDown;
    bool start =
        captionBarControl_ ? (!hasHandlers || control == captionBarControl_) : control == this;
    if (start) DragMouseDown(mbLeft, ShiftStateFromKeys(m.WParam), p.X, p.Y);
}

void TfcCustomImageForm::DragMouseDown(TMouseButton, TShiftState, int x, int y) {
    if (captionBarControl_ && !captionBarControl_->BoundsRect().Contains({x, y})) return;
    DragLoop(x, y);
}

void TfcCustomImageForm::DragLoop(int x, int y) {
    HWND h = FormHandle();
    bool firstMove = true;
    TRect dragRect;
    auto captured = [h] { return IsWindow(h) && GetCapture() == h; };
    SetCapture(h);
    // The pointer position read before waiting goes with the message that follows: it is
    // read at the start and after each message.
    TPoint cursor;
    GetCursorPos(&cursor);
    RunModalLoop([&] { return !captured(); },
                 [&](MSG& msg) {
                     if (msg.message == WM_MOUSEMOVE) {
                         DragMouseMove(x, y, cursor, firstMove, dragRect);
                     } else {
                         if (msg.message == WM_LBUTTONUP) DragMouseUp(dragRect);
                         TranslateMessage(&msg);
                         DispatchMessage(&msg);
                         if (msg.message == WM_LBUTTONUP && captured()) ReleaseCapture();
                     }
                     GetCursorPos(&cursor);
                     return true;
                 });
    if (captured()) ReleaseCapture();
}

void TfcCustomImageForm::DragMouseMove(int x, int y, TPoint cursor, bool& firstMove,
                                       TRect& dragRect) {
    TPoint start = ClientToScreen({x, y});
    if (std::abs(cursor.X - start.X) <= dragTolerance_ &&
        std::abs(cursor.Y - start.Y) <= dragTolerance_)
        return;
    HWND h = FormHandle();
    if (UseFullWindowDrag()) {
        moved_ = true;
        Sleep(10);
        MSG pending;
        while (PeekMessage(&pending, h, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE)) {
        }
        GetCursorPos(&cursor);
        SetWindowPos(h, nullptr, cursor.X - x, cursor.Y - y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    HDC dc = GetDC(nullptr);
    if (firstMove) {
        moved_ = true;
    } else {
        DrawDragFrame(dc, lastDragFrame_);  // erases the previous outline
    }
    TCustomForm* form = Form();
    dragRect = TRect::FromSize(cursor.X - x, cursor.Y - y, form->Width(), form->Height());
    DrawDragFrame(dc, dragRect);
    lastDragFrame_ = dragRect;
    firstMove = false;
    ReleaseDC(nullptr, dc);
}

void TfcCustomImageForm::DragMouseUp(const TRect& dragRect) {
    if (!moved_) return;
    moved_ = false;
    if (UseFullWindowDrag()) return;
    HDC dc = GetDC(nullptr);
    DrawDragFrame(dc, lastDragFrame_);
    ReleaseDC(nullptr, dc);
    HWND h = FormHandle();
    SetWindowPos(h, nullptr, dragRect.Left, dragRect.Top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (GetCapture() == h) ReleaseCapture();
}

void TfcCustomImageForm::DrawDragFrame(HDC dc, const TRect& rect) {
    TRect r = rect;
    for (int i = 0; i < 3; ++i) {
        DrawFocusRect(dc, r);
        r = r.Inflate(-1, -1);
    }
}

bool TfcCustomImageForm::UseFullWindowDrag() const {
    if (!(options_ & ifUseWindowsDrag)) return false;
    int full = 0;
    SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &full, 0);
    return full != 0;
}
