#include "platform/ui/wincontrol.h"

#include <algorithm>
#include <exception>

#include "platform/sysutils.h"
#include "platform/ui/application.h"

TShiftState KeyShiftState() {
    TShiftState shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
    return shift;
}

namespace {
bool IsDialogKey(int key) {
    switch (key) {
        case VK_RETURN:
        case VK_ESCAPE:
        case VK_TAB:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            return true;
        default:
            return false;
    }
}
}  // namespace

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    if (handle_) {
        // Freed without Free(): the window must not call back into a half-destroyed object.
        SetWindowProc(handle_, WNDPROC{});
        DestroyWindow(handle_);
        handle_ = nullptr;
    }
    while (!controls_.empty()) {
        TControl* c = controls_.back();
        RemoveControl(c);
        c->Free();
    }
}

void TWinControl::BeforeDestruction() {
    Destroying();
    DestroyHandle();
    while (!controls_.empty()) {
        TControl* c = controls_.back();
        RemoveControl(c);
        c->Free();
    }
    TControl::BeforeDestruction();
}

// Window ------------------------------------------------------------------------------------------

HWND TWinControl::Handle() {
    if (!handle_) {
        if (Parent()) Parent()->Handle();
        if (!handle_) CreateWnd();
    }
    return handle_;
}

void TWinControl::CreateParams(TCreateParams& p) {
    p.Caption = Text();
    p.Style =
        WS_CHILD | WS_CLIPSIBLINGS | (Visible() ? WS_VISIBLE : 0) | (tabStop_ ? WS_TABSTOP : 0);
    if (!Enabled()) p.Style |= WS_DISABLED;
    p.ExStyle = 0;
    p.X = Left();
    p.Y = Top();
    p.Width = Width();
    p.Height = Height();
    p.WndParent = Parent() ? Parent()->Handle() : nullptr;
}

void TWinControl::CreateWnd() {
    TCreateParams p;
    CreateParams(p);
    defWndProc_ = DefWindowProc;
    HWND h = CreateWindowExA(
        p.ExStyle, p.Caption, p.Style & ~WS_VISIBLE, p.X, p.Y, p.Width, p.Height, p.WndParent,
        [this](HWND hwnd, UINT msg, WPARAM w, LPARAM l) { return MainWndProc(hwnd, msg, w, l); });
    if (!h) throw EOutOfResources("Error creating window");
    handle_ = h;
    CreateChildHandles();
    if (p.Style & WS_VISIBLE) ShowWindow(h, ShowCommandOnCreate());
    for (TControl* c : std::vector<TControl*>(controls_))
        c->Perform(CM_PARENTHANDLECREATED, 0, 0);
}

void TWinControl::CreateChildHandles() {
    for (TControl* c : std::vector<TControl*>(controls_))
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->Handle();
}

void TWinControl::DestroyWnd() {
    HWND h = handle_;
    if (h) DestroyWindow(h);
    handle_ = nullptr;
}

void TWinControl::DestroyHandle() {
    if (handle_) DestroyWnd();
}

void TWinControl::RecreateWnd() {
    if (!handle_ || recreating_) return;
    recreating_ = true;
    DestroyHandle();
    recreating_ = false;
    Handle();
}

LRESULT TWinControl::MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!handle_ && msg != WM_NCDESTROY) handle_ = hwnd;
    TMessage m{msg, wParam, lParam, 0};
    try {
        WindowProc(m);
    } catch (...) {
        if (Application) {
            Application->HandleException(this);
        } else {
            throw;
        }
    }
    if (msg == WM_NCDESTROY && handle_ == hwnd) handle_ = nullptr;
    return m.Result;
}

void TWinControl::DefaultHandler(TMessage& m) {
    if (handle_) m.Result = CallWindowProc(defWndProc_, handle_, m.Msg, m.WParam, m.LParam);
}

// Children ----------------------------------------------------------------------------------------

void TWinControl::InsertControl(TControl* control) {
    controls_.push_back(control);
    control->parent_ = this;
    control->ChangeScale(ScalePercent());
    if (auto* w = dynamic_cast<TWinControl*>(control); w && handle_) w->Handle();
    Realign();
    control->Invalidate();
}

void TWinControl::RemoveControl(TControl* control) {
    auto it = std::find(controls_.begin(), controls_.end(), control);
    if (it == controls_.end()) return;
    control->Invalidate();
    if (auto* w = dynamic_cast<TWinControl*>(control)) w->DestroyHandle();
    controls_.erase(it);
    control->parent_ = nullptr;
    if (CaptureControl() == control) ResetCaptureControl();
    Realign();
}

TControl* TWinControl::ControlAtPos(TPoint p, bool allowDisabled, bool allowWinControls) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        bool windowed = dynamic_cast<TWinControl*>(c) != nullptr;
        if (windowed && !allowWinControls) continue;
        if (!c->Visible() || (!c->Enabled() && !allowDisabled)) continue;
        if (c->BoundsRect().Contains(p)) return c;
    }
    return nullptr;
}

void TWinControl::SetChildOrder(TControl* control, bool toFront) {
    auto it = std::find(controls_.begin(), controls_.end(), control);
    if (it == controls_.end()) return;
    controls_.erase(it);
    if (toFront) {
        controls_.push_back(control);
    } else {
        controls_.insert(controls_.begin(), control);
    }
    if (auto* w = dynamic_cast<TWinControl*>(control); w && w->handle_)
        SetWindowPos(w->handle_, toFront ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE);
    control->Invalidate();
}

LRESULT TWinControl::Broadcast(UINT msg, WPARAM wParam, LPARAM lParam) {
    for (TControl* c : std::vector<TControl*>(controls_)) {
        if (LRESULT result = c->Perform(msg, wParam, lParam)) return result;
        if (auto* w = dynamic_cast<TWinControl*>(c))
            if (LRESULT result = w->Broadcast(msg, wParam, lParam)) return result;
    }
    return 0;
}

void TWinControl::Realign() {
    if (aligning_) return;
    aligning_ = true;
    TRect r = ClientRect();
    AlignControls(r);
    aligning_ = false;
}

void TWinControl::AlignControls(TRect& r) {
    TSize now{ClientWidth(), ClientHeight()};
    int dw = now.cx - designClient_.cx, dh = now.cy - designClient_.cy;
    bool resized = (dw || dh) && (designClient_.cx || designClient_.cy);
    designClient_ = now;
    for (TControl* c : std::vector<TControl*>(controls_)) {
        if (c->Align() != alNone || !resized) continue;
        int left = c->Left(), top = c->Top(), width = c->Width(), height = c->Height();
        TAnchors a = c->Anchors();
        if (a & akRight) (a & akLeft) ? width += dw : left += dw;
        if (a & akBottom) (a & akTop) ? height += dh : top += dh;
        c->SetBounds(left, top, width, height);
    }
    for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
        for (TControl* c : std::vector<TControl*>(controls_)) {
            if (c->Align() != align || !c->Visible()) continue;
            switch (align) {
                case alTop:
                    c->SetBounds(r.Left, r.Top, r.Width(), c->Height());
                    r.Top += c->Height();
                    break;
                case alBottom:
                    c->SetBounds(r.Left, r.Bottom - c->Height(), r.Width(), c->Height());
                    r.Bottom -= c->Height();
                    break;
                case alLeft:
                    c->SetBounds(r.Left, r.Top, c->Width(), r.Height());
                    r.Left += c->Width();
                    break;
                case alRight:
                    c->SetBounds(r.Right - c->Width(), r.Top, c->Width(), r.Height());
                    r.Right -= c->Width();
                    break;
                case alClient:
                    c->SetBounds(r.Left, r.Top, r.Width(), r.Height());
                    break;
                default:
                    break;
            }
        }
    }
}

// Geometry and state ------------------------------------------------------------------------------

void TWinControl::SetBounds(int left, int top, int width, int height) {
    if (handle_) {
        SetWindowPos(handle_, nullptr, left, top, std::max(0, width), std::max(0, height),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    bool resized = width != Width() || height != Height();
    TControl::SetBounds(left, top, width, height);
    if (resized) Realign();
}

void TWinControl::ChangeScale(int percent) {
    if (percent <= 0 || percent == ScalePercent()) return;
    // Anchors and alignment wait until every child has its new bounds: the parent growing
    // must not move anchored children on top of their own scaling.
    const bool wasAligning = aligning_;
    aligning_ = true;
    TControl::ChangeScale(percent);
    for (TControl* c : std::vector<TControl*>(controls_))
        c->ChangeScale(percent);
    aligning_ = wasAligning;
    designClient_ = {ClientWidth(), ClientHeight()};
    Realign();
}

void TWinControl::UpdateBoundsFromWindow() {
    TRect r;
    GetWindowRect(handle_, &r);
    if (Parent() && Parent()->HandleAllocated()) {
        TPoint o = Parent()->ScreenToClient(r.TopLeft());
        r = TRect::FromSize(o.X, o.Y, r.Width(), r.Height());
    }
    bool resized = r.Width() != Width() || r.Height() != Height();
    left_ = r.Left;
    top_ = r.Top;
    width_ = r.Width();
    height_ = r.Height();
    if (resized) {
        Realign();
        Resize();
    }
}

void TWinControl::SetVisible(bool visible) {
    if (visible == Visible()) return;
    if (!visible) DefocusForForm();
    TControl::SetVisible(visible);
    if (handle_) ShowWindow(handle_, visible ? SW_SHOWNA : SW_HIDE);
    if (Parent()) Parent()->Realign();
}

void TWinControl::SetEnabled(bool enabled) {
    if (!enabled) DefocusForForm();
    TControl::SetEnabled(enabled);
    if (handle_) EnableWindow(handle_, enabled);
}

void TWinControl::SetText(const std::string& text) {
    TControl::SetText(text);
    if (handle_) SetWindowTextA(handle_, text);
}

bool TWinControl::Focused() const {
    return handle_ && GetFocus() == handle_;
}

bool TWinControl::ContainsFocus() const {
    if (!handle_) return false;
    // Up the chain of parents from the focused window, not on into a top-level's owner.
    for (HWND h = GetFocus(); h; h = h == GetTopLevel(h) ? nullptr : GetParent(h))
        if (h == handle_) return true;
    return false;
}

void TWinControl::DefocusForForm() {
    if (IsForm() || !ContainsFocus()) return;
    TWinControl* form = ParentForm();
    if (form && form != this && form->HandleAllocated()) {
        ::SetFocus(form->Handle());
    } else {
        ::SetFocus(nullptr);
    }
}

bool TWinControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

void TWinControl::SetFocus() {
    if (CanFocus()) ::SetFocus(Handle());
}

void TWinControl::Invalidate() {
    if (handle_) ::InvalidateRect(handle_, nullptr, true);
}

void TWinControl::InvalidateRect(const TRect& rect) {
    if (handle_) ::InvalidateRect(handle_, &rect, true);
}

void TWinControl::Repaint() {
    Invalidate();
    Update();
}

void TWinControl::Update() {
    if (handle_) UpdateWindow(handle_);
}

TPoint TWinControl::ClientToScreen(TPoint p) const {
    if (handle_) {
        ::ClientToScreen(handle_, &p);
        return p;
    }
    TPoint here = p + TPoint{Left(), Top()};
    return Parent() ? Parent()->ClientToScreen(here) : here;
}

TPoint TWinControl::ScreenToClient(TPoint p) const {
    if (handle_) {
        ::ScreenToClient(handle_, &p);
        return p;
    }
    TPoint parent = Parent() ? Parent()->ScreenToClient(p) : p;
    return parent - TPoint{Left(), Top()};
}

// Messages ---------------------------------------------------------------------------------------

bool TWinControl::ForwardMouse(TMessage& m) {
    if (m.Msg < WM_MOUSEFIRST || m.Msg > WM_MOUSELAST) return false;
    TPoint p = PointFromLParam(m.LParam);
    TControl* target = nullptr;
    TControl* captured = CaptureControl();
    if (captured && captured->Parent() == this && handle_ && GetCapture() == handle_) {
        target = captured;
    } else if (!captured) {
        target = ControlAtPos(p, false);
    }
    if (!target) return false;
    target->Perform(m.Msg, m.WParam, PointToLParam(p - target->BoundsRect().TopLeft()));
    if (handle_) m.Result = DefWindowProc(handle_, m.Msg, m.WParam, m.LParam);
    return true;
}

void TWinControl::WndProc(TMessage& m) {
    if (ForwardMouse(m)) return;
    if (m.Msg == WM_LBUTTONDOWN && tabStop_ && CanFocus() && !Focused()) SetFocus();
    TControl::WndProc(m);
}

bool TWinControl::WantsKey(int key) const {
    LRESULT code = const_cast<TWinControl*>(this)->Perform(WM_GETDLGCODE, 0, 0);
    if (code & DLGC_WANTALLKEYS) return true;
    switch (key) {
        case VK_TAB:
            return code & DLGC_WANTTAB;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            return code & DLGC_WANTARROWS;
        default:
            return false;
    }
}

bool TWinControl::DoKeyDown(uint16_t& key, TShiftState shift) {
    if (OnKeyDown) OnKeyDown(this, key, shift);
    return key == 0;
}

bool TWinControl::DoKeyUp(uint16_t& key, TShiftState shift) {
    if (OnKeyUp) OnKeyUp(this, key, shift);
    return key == 0;
}

void TWinControl::KeyPress(char& key) {
    if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case WM_ERASEBKGND: {
            TCanvas& dc = DCCanvas(reinterpret_cast<HDC>(m.WParam));
            if (!(controlStyle_ & csOpaque) && !CoveredByOpaqueControl(dc.ClipRect())) {
                dc.Brush.Color = Color();
                dc.Brush.Style = bsSolid;
                dc.FillRect(ClientRect());
            }
            m.Result = 1;
            break;
        }
        case WM_PAINT:
            PaintHandler();
            break;
        case WM_WINDOWPOSCHANGED:
            UpdateBoundsFromWindow();
            DefaultHandler(m);
            break;
        case WM_SETCURSOR: {
            TPoint p;
            GetCursorPos(&p);
            TControl* c = ControlAtPos(ScreenToClient(p), false);
            TCursor cursor = c && c->Cursor() != crDefault ? c->Cursor() : Cursor();
            if (cursor != crDefault) {
                SetCursorShape(handle_, cursor);
                m.Result = 1;
            } else {
                DefaultHandler(m);
            }
            break;
        }
        case WM_CAPTURECHANGED:
            if (CaptureControl() && CaptureControl()->Parent() == this &&
                reinterpret_cast<HWND>(m.LParam) != handle_)
                ResetCaptureControl();
            break;
        case WM_CANCELMODE:
            controlState_ &= ~csClicked;
            if (MouseCapture()) SetMouseCapture(false);
            break;
        case WM_CONTEXTMENU: {
            if (m.Result != 0) break;
            TPoint p = ScreenToClient(PointFromLParam(m.LParam));
            if (TControl* c = ControlAtPos(p, false))
                m.Result = c->Perform(WM_CONTEXTMENU, 0, m.LParam);
            if (m.Result == 0) TControl::Dispatch(m);
            break;
        }
        case WM_KEYDOWN: {
            auto key = uint16_t(m.WParam);
            if (TWinControl* form = ParentForm(); form && form->Perform(CM_FORMKEY, key, 1)) break;
            if (DoKeyDown(key, KeyShiftState())) break;
            if (IsDialogKey(key) && !WantsKey(key)) {
                TWinControl* form = ParentForm();
                if (form && form->Perform(CM_DIALOGKEY, key, 0)) break;
            }
            DefaultHandler(m);
            break;
        }
        case WM_KEYUP: {
            auto key = uint16_t(m.WParam);
            if (TWinControl* form = ParentForm(); form && form->Perform(CM_FORMKEY, key, 0)) break;
            DoKeyUp(key, KeyShiftState());
            break;
        }
        case WM_CHAR: {
            // A control that takes no text (a button) leaves the letter to the form: it
            // may be a button's access letter.
            if (!(Perform(WM_GETDLGCODE, 0, 0) & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)))
                if (TWinControl* form = ParentForm();
                    form && form->Broadcast(CM_DIALOGCHAR, m.WParam, 0))
                    break;
            char key = char(m.WParam);
            KeyPress(key);
            break;
        }
        case WM_SYSCHAR:
            // Alt with a letter: an access letter, never text.
            if (TWinControl* form = ParentForm();
                form && form->Broadcast(CM_DIALOGCHAR, m.WParam, 0))
                break;
            DefaultHandler(m);
            break;
        case WM_SETFOCUS:
            if (OnEnter) OnEnter(this);
            Invalidate();
            if (TWinControl* form = ParentForm(); form && Focused())
                form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(this));
            break;
        case WM_KILLFOCUS:
            if (OnExit) OnExit(this);
            Invalidate();
            break;
        case WM_SIZE:
        case WM_MOVE:
            break;
        default:
            TControl::Dispatch(m);
    }
}

// Painting ---------------------------------------------------------------------------------------

bool TWinControl::CoveredByOpaqueControl(const TRect& area) const {
    for (TControl* c : controls_)
        if (!dynamic_cast<TWinControl*>(c) && c->Visible() && (c->ControlStyle() & csOpaque) &&
            c->BoundsRect().Intersect(area) == area)
            return true;
    return false;
}

void TWinControl::PaintHandler() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(handle_, &ps);
    if (!dc) return;
    PaintWindow(dc);
    PaintControls(dc);
    EndPaint(handle_, &ps);
}

void TWinControl::PaintWindow(HDC) {}

void TWinControl::PaintControls(HDC dc) {
    TRect clip = DCCanvas(dc).ClipRect();
    for (TControl* c : std::vector<TControl*>(controls_)) {
        if (dynamic_cast<TWinControl*>(c) || !c->Visible()) continue;
        if (c->BoundsRect().Intersect(clip).IsEmpty()) continue;
        c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    }
}

// TCustomControl ---------------------------------------------------------------------------------

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}

void TCustomControl::PaintWindow(HDC dc) {
    TPaintScope scope(canvas_, dc, ScalePercent());
    Paint();
}

// TPaintScope ------------------------------------------------------------------------------------

TPaintScope::TPaintScope(TCanvas& canvas, HDC dc, int scalePercent) : canvas_(canvas) {
    TCanvas& d = DCCanvas(dc);
    canvas_.SetTarget(d.Target());
    canvas_.SetOrigin(d.Origin());
    canvas_.SetClipRect(d.ClipRect().Offset(d.Origin().X, d.Origin().Y));
    canvas_.SetScalePercent(scalePercent);
}

TPaintScope::~TPaintScope() {
    canvas_.SetTarget(nullptr);
}
