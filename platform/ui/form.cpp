#include "platform/ui/form.h"

#include <algorithm>

#include "platform/native/monitor.h"
#include "platform/sysutils.h"
#include "platform/ui/application.h"
#include "platform/ui/menubar.h"
#include "platform/ui/screen.h"

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
    InitVisible(false);
    color_ = clBtnFace;
    controlStyle_ |= csAcceptsControls;
    if (Screen) Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
    if (Screen) Screen->RemoveForm(this);
}

void TCustomForm::BeforeDestruction() {
    if (!destroyed_) {
        destroyed_ = true;
        DoDestroy();
    }
    TWinControl::BeforeDestruction();
}

void TCustomForm::AfterConstruction() {
    if (scaled_) {
        HWND owner = IsWindow(ownerWindow_) ? ownerWindow_ : nullptr;
        if (auto* ownerForm = dynamic_cast<TCustomForm*>(Owner());
            !owner && ownerForm && ownerForm != this && ownerForm->HandleAllocated())
            owner = ownerForm->Handle();
        ScaleForPPI(owner ? int(GetDpiForWindow(owner)) : Screen ? Screen->PixelsPerInch() : 96);
    }
    DoCreate();
}

void TCustomForm::ScaleForPPI(int pixelsPerInch) {
    if (pixelsPerInch <= 0) return;
    pixelsPerInch_ = pixelsPerInch;
    const int percent = Screen ? Screen->ScalePercentFor(pixelsPerInch)
                               : native::ScalePercentForPixelsPerInch(pixelsPerInch);
    ChangeScale(percent);
}

TRect TCustomForm::BoundsAtScale(int fromPercent, int toPercent) const {
    const TRect r = TWinControl::BoundsAtScale(fromPercent, toPercent);
    if (!scaleAround_ && !Visible()) return r;
    const TRect around = scaleAround_ ? *scaleAround_ : BoundsRect();
    return TRect::FromSize(around.Left + around.Width() / 2 - r.Width() / 2,
                           around.Top + around.Height() / 2 - r.Height() / 2, r.Width(),
                           r.Height());
}

void TCustomForm::CreateWnd() {
    TWinControl::CreateWnd();
    monitorDpi_ = int(GetDpiForWindow(Handle()));
    // Made on another monitor than the one the form was laid out for.
    if (scaled_ && monitorDpi_ != pixelsPerInch_) ScaleForPPI(monitorDpi_);
}

void TCustomForm::MonitorDpiChanged(int dpi, const TRect* suggested) {
    const int old = monitorDpi_;
    monitorDpi_ = dpi;
    if (scaled_) {
        // Centred in the suggestion, which is the window system's own (on Windows) or the
        // window scaled about its centre: the form's exact size may differ from it by the
        // rounding of its design, or by the frame the system counts in. One move, so that
        // the window never passes through other places (and monitors) on the way.
        scaleAround_ = suggested;
        try {
            ScaleForPPI(dpi);
        } catch (...) {
            scaleAround_ = nullptr;
            throw;
        }
        scaleAround_ = nullptr;
        if (suggested)
            SetBounds(suggested->Left + suggested->Width() / 2 - Width() / 2,
                      suggested->Top + suggested->Height() / 2 - Height() / 2, Width(), Height());
    }
    if (OnAfterMonitorDpiChanged) OnAfterMonitorDpiChanged(this, old, dpi);
}

void TCustomForm::DoCreate() {
    if (OnCreate) OnCreate(this);
}

void TCustomForm::DoDestroy() {
    if (OnDestroy) OnDestroy(this);
}

void TCustomForm::CreateParams(TCreateParams& p) {
    p.Caption = Text();
    p.Style = WS_CLIPCHILDREN | (Visible() ? WS_VISIBLE : 0);
    p.ExStyle = 0;
    switch (borderStyle_) {
        case bsNone:
            p.Style |= WS_POPUP;
            break;
        case bsSingle:
            p.Style |= WS_CAPTION | WS_SYSMENU | WS_BORDER;
            break;
        case bsSizeable:
            p.Style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
            break;
        case bsDialog:
            p.Style |= WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME;
            p.ExStyle |= WS_EX_DLGMODALFRAME;
            break;
        case bsToolWindow:
        case bsSizeToolWin:
            p.Style |= WS_CAPTION | WS_SYSMENU;
            p.ExStyle |= WS_EX_TOOLWINDOW;
            break;
    }
    if (formStyle_ == fsStayOnTop) p.ExStyle |= WS_EX_TOPMOST;
    p.X = Left();
    p.Y = Top();
    p.Width = Width();
    p.Height = Height();
    p.WndParent = nullptr;
    if (IsWindow(ownerWindow_)) {
        // A top-level window is owned by a top-level window, never by a control in one.
        p.WndParent = GetTopLevel(ownerWindow_);
    } else if (auto* ownerForm = dynamic_cast<TCustomForm*>(Owner());
               ownerForm && ownerForm != this && ownerForm->HandleAllocated()) {
        p.WndParent = ownerForm->Handle();
    }
    if (HandleAllocated() && p.WndParent == Handle()) p.WndParent = nullptr;
}

void TCustomForm::SetOwnerWindow(HWND owner) {
    if (owner == ownerWindow_) return;
    ownerWindow_ = owner;
    RecreateWnd();
}

void TCustomForm::SetActiveControl(TWinControl* control) {
    if (control == activeControl_) return;
    if (activeControl_) RemoveFreeNotification(activeControl_);
    activeControl_ = control;
    if (activeControl_) FreeNotification(activeControl_);
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == activeControl_) activeControl_ = nullptr;
    if (operation == opRemove && component == menu_) menu_ = nullptr;
}

void TCustomForm::SetMenu(TMainMenu* menu) {
    if (menu == menu_) return;
    if (menu_) RemoveFreeNotification(menu_);
    menu_ = menu;
    if (menu_) FreeNotification(menu_);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle style) {
    if (style == borderStyle_) return;
    borderStyle_ = style;
    RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle style) {
    if (style == formStyle_) return;
    formStyle_ = style;
    RecreateWnd();
}

TWindowState TCustomForm::WindowState() const {
    if (!HandleAllocated()) return wsNormal;
    HWND h = const_cast<TCustomForm*>(this)->Handle();
    if (IsIconic(h)) return wsMinimized;
    if (IsZoomed(h)) return wsMaximized;
    return wsNormal;
}

void TCustomForm::SetWindowState(TWindowState state) {
    int cmd = state == wsMinimized ? SW_MINIMIZE : state == wsMaximized ? SW_MAXIMIZE : SW_RESTORE;
    if (Visible()) ShowWindow(Handle(), cmd);
}

void TCustomForm::SetVisible(bool visible) {
    if (visible == Visible()) return;
    TControl::SetVisible(visible);
    if (visible) {
        Handle();
        PlaceOnShow();
        ShowWindow(Handle(), showWithoutActivating_ ? SW_SHOWNA : SW_SHOW);
        if (OnShow) OnShow(this);
        FocusFirstControl();
    } else {
        placement_ = nullptr;
        if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
        if (OnHide) OnHide(this);
    }
}

void TCustomForm::PlaceOnShow() {
    TCustomForm* center = nullptr;
    switch (position_) {
        case poScreenCenter:
        case poDesktopCenter:
            SetBounds((Screen->Width() - Width()) / 2, (Screen->Height() - Height()) / 2, Width(),
                      Height());
            return;
        case poMainFormCenter:
            center = Application ? Application->MainForm() : nullptr;
            break;
        case poOwnerFormCenter:
            center = dynamic_cast<TCustomForm*>(Owner());
            break;
        default:
            return;
    }
    if (center && center != this)
        SetBounds(center->Left() + (center->Width() - Width()) / 2,
                  center->Top() + (center->Height() - Height()) / 2, Width(), Height());
}

std::vector<TWinControl*> TCustomForm::TabList() const {
    std::vector<TWinControl*> list;
    std::function<void(const TWinControl*)> collect = [&](const TWinControl* parent) {
        std::vector<TWinControl*> children;
        for (int i = 0; i < parent->ControlCount(); ++i)
            if (auto* w = dynamic_cast<TWinControl*>(parent->Controls(i))) children.push_back(w);
        std::stable_sort(children.begin(), children.end(),
                         [](auto* a, auto* b) { return a->TabOrder() < b->TabOrder(); });
        for (TWinControl* w : children) {
            if (w->TabStop() && w->CanFocus()) list.push_back(w);
            collect(w);
        }
    };
    collect(this);
    return list;
}

TWinControl* TCustomForm::FocusedControl() const {
    if (!HandleAllocated()) return nullptr;
    std::function<TWinControl*(const TWinControl*)> find =
        [&](const TWinControl* parent) -> TWinControl* {
        for (int i = 0; i < parent->ControlCount(); ++i) {
            auto* w = dynamic_cast<TWinControl*>(parent->Controls(i));
            if (!w || !w->ContainsFocus()) continue;
            TWinControl* inner = find(w);
            return inner ? inner : w;
        }
        return nullptr;
    };
    return find(this);
}

void TCustomForm::SelectNext(bool forward) {
    std::vector<TWinControl*> list = TabList();
    if (list.empty()) return;
    auto it = std::find_if(list.begin(), list.end(), [](TWinControl* w) { return w->Focused(); });
    size_t index = forward ? 0 : list.size() - 1;  // from no control: the first or the last
    if (it != list.end()) {
        size_t at = size_t(it - list.begin());
        index = forward ? (at + 1) % list.size() : (at + list.size() - 1) % list.size();
    }
    list[index]->SetFocus();
}

bool TCustomForm::DialogKey(int key) {
    if (Broadcast(CM_DIALOGKEY, WPARAM(key), 0)) return true;
    switch (key) {
        case VK_TAB:
            SelectNext(!(KeyShiftState() & ssShift));
            return true;
        case VK_RIGHT:
        case VK_DOWN:
            SelectNext(true);
            return true;
        case VK_LEFT:
        case VK_UP:
            SelectNext(false);
            return true;
        default:
            return false;
    }
}

void TCustomForm::FocusFirstControl() {
    if (activeControl_ && activeControl_->CanFocus()) {
        activeControl_->SetFocus();
        return;
    }
    std::vector<TWinControl*> list = TabList();
    if (!list.empty()) {
        list.front()->SetFocus();
    } else if (HandleAllocated()) {
        ::SetFocus(Handle());
    }
}

TModalResult TCustomForm::ShowModal() {
    if (Visible() || modal_) throw EInvalidOperation("Cannot make a visible window modal");
    if (HWND captured = GetCapture()) SendMessage(captured, WM_CANCELMODE, 0, 0);
    ReleaseCapture();
    HWND focusBefore = GetFocus();
    std::vector<HWND> disabled;
    for (TCustomForm* f : Screen->Forms())
        if (f != this && f->HandleAllocated() && IsWindowEnabled(f->Handle())) {
            EnableWindow(f->Handle(), false);
            disabled.push_back(f->Handle());
        }
    modal_ = true;
    modalResult_ = mrNone;
    SetWindowModal(Handle(), true);
    auto restore = [&] {
        modal_ = false;
        for (HWND h : disabled)
            EnableWindow(h, true);
        if (!destroyed_) Hide();
        if (HandleAllocated()) SetWindowModal(Handle(), false);
        // The window that had the focus before gets it back, as when a dialog closes
        // and its owner is active again.
        if (IsWindow(focusBefore) && IsWindowEnabled(focusBefore)) ::SetFocus(focusBefore);
    };
    try {
        Show();
        // A modal result closes the form unless CloseQuery or OnClose keep it open.
        bool closed = RunModalLoop([this] {
            if (modalResult_ == mrNone) return false;
            TCloseAction action = caHide;
            if (CloseQuery()) {
                DoClose(action);
            } else {
                action = caNone;
            }
            if (action != caNone) return true;
            modalResult_ = mrNone;
            return false;
        });
        if (!closed) modalResult_ = mrCancel;
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return modalResult_;
}

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::DoClose(TCloseAction& action) {
    if (OnClose) OnClose(this, action);
}

void TCustomForm::Close() {
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) return;
    if (Application && Application->MainForm() == this) {
        Application->Terminate();
        return;
    }
    switch (action) {
        case caHide:
            Hide();
            break;
        case caMinimize:
            SetWindowState(wsMinimized);
            break;
        default:
            Release();
            break;
    }
}

void TCustomForm::Release() {
    if (HandleAllocated()) {
        PostMessage(Handle(), CM_RELEASE, 0, 0);
    } else {
        Free();
    }
}

void TCustomForm::Dispatch(TMessage& m) {
    switch (m.Msg) {
        case WM_CLOSE:
            Close();
            break;
        case CM_RELEASE:
            Free();
            break;
        case CM_DIALOGKEY:
            m.Result = DialogKey(int(m.WParam)) ? 1 : 0;
            break;
        case CM_FORMKEY:
            m.Result = menu_ && menu_->Showing() &&
                               menu_->FormKey(uint16_t(m.WParam), KeyShiftState(), m.LParam != 0)
                           ? 1
                           : 0;
            break;
        case CM_FOCUSCHANGED:
            Broadcast(CM_FOCUSCHANGED, m.WParam, m.LParam);
            break;
        case WM_DPICHANGED:
            MonitorDpiChanged(int(m.WParam & 0xFFFF), reinterpret_cast<const TRect*>(m.LParam));
            m.Result = 0;
            break;
        case WM_WINDOWPOSCHANGED: {
            TWinControl::Dispatch(m);
            const auto* pos = reinterpret_cast<const WINDOWPOS*>(m.LParam);
            if (pos && (pos->flags & SWP_FRAMECHANGED) && placement_) {
                std::function<void()> place = placement_;  // it may set itself again
                place();
            }
            break;
        }
        default:
            TWinControl::Dispatch(m);
    }
}

void TCustomForm::PaintWindow(HDC dc) {
    TPaintScope scope(canvas_, dc, ScalePercent());
    Paint();
}

void TCustomForm::Paint() {
    if (OnPaint) OnPaint(this);
}
