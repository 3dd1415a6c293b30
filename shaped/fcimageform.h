// TfcCustomImageForm and TfcImageForm: dropped on a form, the component turns the form
// into a borderless window with the outline of its picture, and drags the form when the
// user presses the left button on the picture.
//
// Placed on a form, it removes the form's border, clears WS_CLIPCHILDREN and hooks the
// form's window procedure (TfcCaptureMessageClass): after the form has handled a message,
// ParentFormMessage sees it. A left press on the picture (or, with CaptionBarControl set,
// on that control or on a control without click or press handlers) starts DragLoop, a
// modal loop that moves a dotted outline (or, with ifUseWindowsDrag and the desktop's
// full-window dragging, the window itself) once the pointer is more than DragTolerance
// pixels away on an axis, and places the window at the release.
//
// RebuildRegion cuts the window's region from the picture: every pixel but those of the
// transparent colour (TransparentColor, or the picture's bottom-left pixel with clNone).
// The window owns a region handed to it; the component only remembers that it did.
//
// When the form's window is created anew (a change of the stacking style does this), the
// capture moves to the new window, so dragging by the picture and clearing the region at
// WM_DESTROY keep working.
#pragma once

#include <iosfwd>
#include <memory>
#include <span>

#include "platform/gfx/region.h"
#include "platform/ui/winapi.h"
#include "shaped/fcimage.h"
#include "shaped/fcmsg.h"
#include "shaped/fcregion.h"

class TCustomForm;

enum TfcImageFormOption { ifUseWindowsDrag = 1 };
using TfcImageFormOptions = unsigned;

class TfcCustomImageForm : public TfcCustomImage {
public:
    explicit TfcCustomImageForm(TComponent* owner);
    ~TfcCustomImageForm() override;

    // Copies a picture: a picture object with a graphic of positive size also sets the
    // form's client size to the graphic's; a bare graphic (a bitmap) never changes it.
    void SetPicture(const TPicture& picture);
    void SetPicture(const TGraphic* graphic);

    int DragTolerance() const { return dragTolerance_; }
    void SetDragTolerance(int pixels) { dragTolerance_ = pixels; }
    TColor TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(TColor color) { transparentColor_ = color; }
    TControl* CaptionBarControl() const { return captionBarControl_; }
    void SetCaptionBarControl(TControl* control);
    TfcImageFormOptions Options() const { return options_; }
    void SetOptions(TfcImageFormOptions options) { options_ = options; }

    // The region last built or read; null when none.
    const TRegion* Region() const { return region_; }
    TfcCaptureMessageClass* Capture() const { return capture_; }

    // Builds the region from the picture and gives it to the form's window.
    virtual void RebuildRegion();
    // Takes the region off the form's window, if one was given.
    void ClearRegion();
    TColor EffectiveTransparentColor() const;

    // The stored region: a 4-byte length and the region data. Reading applies a stored
    // region to the window at once (a length of 0 rebuilds it from the picture; a block
    // that is malformed is refused and nothing is applied); writing rebuilds it first.
    void ReadRegionData(std::istream& in);
    void ReadRegionData(std::span<const uint8_t> block);
    void WriteRegionData(std::ostream& out);

    void SetParent(TWinControl* parent) override;
    void SetBounds(int left, int top, int width, int height) override;
    void Dispatch(TMessage& message) override;
    void BeforeDestruction() override;

protected:
    virtual void DrawDragFrame(HDC dc, const TRect& rect);
    virtual void DragMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    // Called with every message of the form's window after the form has handled it.
    virtual void ParentFormMessage(TMessage& message);
    virtual void DragLoop(int x, int y);
    virtual void DragMouseMove(int x, int y, TPoint cursorPos, bool& firstMove, TRect& dragRect);
    virtual void DragMouseUp(const TRect& dragRect);
    virtual bool UseFullWindowDrag() const;
    void Notification(TComponent* component, TOperation operation) override;

private:
    TCustomForm* Form() const;
    HWND FormHandle() const;
    void HookForm();
    // Gives region to the form's window (or keeps it, in design mode).
    void ApplyRegion(std::unique_ptr<TRegion> region, bool redraw);
    void ApplyStoredRegion(TStoredRegion stored);

    int dragTolerance_ = 5;
    TColor transparentColor_ = clNone;
    const TRegion* region_ = nullptr;     // the region given to the window, or ownRegion_
    std::unique_ptr<TRegion> ownRegion_;  // a region built but not given to a window
    TControl* captionBarControl_ = nullptr;
    TfcCaptureMessageClass* capture_ = nullptr;
    TfcImageFormOptions options_ = 0;
    TRect lastDragFrame_;
    bool moved_ = false;
};

// The component as it is placed on forms.
class TfcImageForm : public TfcCustomImageForm {
public:
    using TfcCustomImageForm::TfcCustomImageForm;
};
