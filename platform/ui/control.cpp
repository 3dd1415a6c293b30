#include "platform/ui/control.h"

#include "platform/gfx/scale.h"
#include "platform/ui/winapi.h"
#include "platform/ui/wincontrol.h"

namespace {
// The control that holds the mouse while a button is down, when it is a graphic control:
// its parent's window holds the system capture and hands the mouse messages on.
TControl* captureControl = nullptr;
}  // namespace

TControl* CaptureControl() {
    return captureControl;
}
void ResetCaptureControl() {
    captureControl = nullptr;
}

TShiftState ShiftStateFromKeys(WPARAM keys) {
    TShiftState s = 0;
    if (keys & MK_SHIFT) s |= ssShift;
    if (keys & MK_CONTROL) s |= ssCtrl;
    if (keys & MK_LBUTTON) s |= ssLeft;
    if (keys & MK_RBUTTON) s |= ssRight;
    if (keys & MK_MBUTTON) s |= ssMiddle;
    return s;
}

TControl::TControl(TComponent* owner) : TComponent(owner) {
    WindowProc = [this](TMessage& m) { WndProc(m); };
    font_.OnChange = [this] { FontChanged(); };
}

TControl::~TControl() {
    if (captureControl == this) captureControl = nullptr;
    if (parent_) parent_->RemoveControl(this);
}

void TControl::BeforeDestruction() {
    if (captureControl == this) SetMouseCapture(false);
    if (parent_) SetParent(nullptr);
    TComponent::BeforeDestruction();
}

void TControl::SetBounds(int left, int top, int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    bool resized = width != width_ || height != height_;
    InvalidateControl(Visible(), false);
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    InvalidateControl(Visible(), false);
    if (resized) Resize();
}

int TControl::ScaleValue(int designLength) const {
    return ScaleLength(designLength, scalePercent_);
}

void TControl::ChangeScale(int percent) {
    if (percent <= 0 || percent == scalePercent_) return;
    const int old = scalePercent_;
    scalePercent_ = percent;
    const TRect r = BoundsAtScale(old, percent);
    SetBounds(r.Left, r.Top, r.Width(), r.Height());
    // After the bounds: a control that sizes itself to its text does so at the new font.
    font_.ChangePixelsPerInch(PixelsPerInchOfScale(percent));
    Invalidate();
}

TRect TControl::BoundsAtScale(int fromPercent, int toPercent) const {
    const TRect r = BoundsRect();
    if (parent_) return RescaleRect(r, fromPercent, toPercent);
    return TRect::FromSize(r.Left, r.Top, RescaleLength(r.Width(), fromPercent, toPercent),
                           RescaleLength(r.Height(), fromPercent, toPercent));
}

void TControl::SetAlign(TAlign align) {
    if (align == align_) return;
    align_ = align;
    if (parent_) parent_->Realign();
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    if (parent_) parent_->RemoveControl(this);
    if (parent) parent->InsertControl(this);
}

TWinControl* TControl::ParentForm() const {
    const TControl* c = this;
    while (c->parent_)
        c = c->parent_;
    auto* w = dynamic_cast<const TWinControl*>(c);
    return w && w->IsForm() ? const_cast<TWinControl*>(w) : nullptr;
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    InvalidateControl(true, false);
    visible_ = visible;
    Perform(CM_VISIBLECHANGED, visible ? 1 : 0, 0);
    InvalidateControl(true, false);
}

bool TControl::Showing() const {
    for (const TControl* c = this; c; c = c->parent_)
        if (!c->visible_) return false;
    return true;
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Perform(CM_ENABLEDCHANGED, 0, 0);
    Invalidate();
}

void TControl::SetColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    Perform(CM_COLORCHANGED, 0, 0);
    Invalidate();
}

void TControl::SetText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    Perform(CM_TEXTCHANGED, 0, 0);
    Invalidate();
}

void TControl::FontChanged() {
    Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::Resize() {
    if (OnResize) OnResize(this);
}

void TControl::InvalidateControl(bool wasVisible, bool) {
    if (!parent_ || !wasVisible) return;
    if (dynamic_cast<TWinControl*>(this)) return;  // windowed controls invalidate their window
    parent_->InvalidateRect(BoundsRect());
}

void TControl::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
}

// Messages
// -------------------------------------------------------------------------------------------

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage m{msg, wParam, lParam, 0};
    WindowProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& m) {
    if (m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK) {
        if (controlStyle_ & csCaptureMouse) SetMouseCapture(true);
        if (controlStyle_ & csClickEvents) controlState_ |= csClicked;
    }
    Dispatch(m);
}

void TControl::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case WM_LBUTTONDOWN:
            HandleMouse(m, mbLeft, true);
            break;
        case WM_RBUTTONDOWN:
            HandleMouse(m, mbRight, true);
            break;
        case WM_MBUTTONDOWN:
            HandleMouse(m, mbMiddle, true);
            break;
        case WM_LBUTTONUP:
            HandleMouse(m, mbLeft, false);
            break;
        case WM_RBUTTONUP:
            HandleMouse(m, mbRight, false);
            DefaultHandler(m);
            break;
        case WM_MBUTTONUP:
            HandleMouse(m, mbMiddle, false);
            break;
        case WM_LBUTTONDBLCLK:
            HandleMouse(m, mbLeft, true);
            if (OnDblClick) OnDblClick(this);
            break;
        case WM_MOUSEMOVE:
            HandleMove(m);
            break;
        case WM_CONTEXTMENU: {
            if (m.Result != 0) break;
            TPoint screen = PointFromLParam(m.LParam);
            TPoint local = ScreenToClient(screen);
            if (!ClientRect().Contains(local)) {
                DefaultHandler(m);
                break;
            }
            bool handled = false;
            DoContextPopup(local, handled);
            m.Result = handled ? 1 : 0;
            if (!handled) DefaultHandler(m);
            break;
        }
        default:
            DefaultHandler(m);
    }
}

void TControl::DefaultHandler(TMessage&) {}

void TControl::HandleMouse(TMessage& m, TMouseButton button, bool down) {
    TPoint p = PointFromLParam(m.LParam);
    TShiftState shift = ShiftStateFromKeys(m.WParam);
    if (down) {
        MouseDown(button, shift, p.X, p.Y);
        return;
    }
    if (button == mbLeft) {
        if (controlStyle_ & csCaptureMouse) SetMouseCapture(false);
        if (controlState_ & csClicked) {
            controlState_ &= ~csClicked;
            if (ClientRect().Contains(p)) Click();
        }
    }
    MouseUp(button, shift, p.X, p.Y);
}

void TControl::HandleMove(TMessage& m) {
    TPoint p = PointFromLParam(m.LParam);
    MouseMove(ShiftStateFromKeys(m.WParam), p.X, p.Y);
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::DoContextPopup(TPoint mousePos, bool& handled) {
    if (OnContextPopup) OnContextPopup(this, mousePos, handled);
}

// Painting and coordinates ------------------------------------------------------------------------

void TControl::Invalidate() {
    InvalidateControl(Visible(), false);
}

void TControl::Repaint() {
    if (!parent_ || !Showing()) return;
    parent_->InvalidateRect(BoundsRect());
    parent_->Update();
}

void TControl::Update() {
    if (parent_) parent_->Update();
}

TPoint TControl::ClientOriginInWindow() const {
    return {left_, top_};
}

TPoint TControl::ClientToScreen(TPoint p) const {
    if (!parent_) return p;
    return parent_->ClientToScreen(p + TPoint{left_, top_});
}

TPoint TControl::ScreenToClient(TPoint p) const {
    if (!parent_) return p;
    return parent_->ScreenToClient(p) - TPoint{left_, top_};
}

bool TControl::MouseCapture() const {
    if (auto* w = dynamic_cast<const TWinControl*>(this))
        return w->HandleAllocated() && GetCapture() == const_cast<TWinControl*>(w)->Handle();
    return captureControl == this;
}

void TControl::SetMouseCapture(bool capture) {
    if (MouseCapture() == capture) return;
    captureControl = nullptr;
    if (!capture) {
        ReleaseCapture();
        return;
    }
    if (auto* w = dynamic_cast<TWinControl*>(this)) {
        SetCapture(w->Handle());
    } else if (parent_) {
        SetCapture(parent_->Handle());
        captureControl = this;  // after SetCapture: the change notification clears it
    }
}

void TControl::BringToFront() {
    if (parent_) parent_->SetChildOrder(this, true);
}

void TControl::SendToBack() {
    if (parent_) parent_->SetChildOrder(this, false);
}

// TGraphicControl
// -------------------------------------------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {}

void TGraphicControl::Dispatch(TMessage& m) {
    if (m.Msg != WM_PAINT || !m.WParam) {
        TControl::Dispatch(m);
        return;
    }
    TCanvas& dc = DCCanvas(reinterpret_cast<HDC>(m.WParam));
    TPoint origin = dc.Origin() + TPoint{Left(), Top()};
    TRect device = dc.ClipRect().Offset(dc.Origin().X, dc.Origin().Y);
    canvas_.SetTarget(dc.Target());
    canvas_.SetOrigin(origin);
    canvas_.SetClipRect(device.Intersect(TRect::FromSize(origin.X, origin.Y, Width(), Height())));
    canvas_.SetScalePercent(ScalePercent());
    Paint();
    canvas_.SetTarget(nullptr);
}
