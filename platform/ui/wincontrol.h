// TWinControl: a control with a window of its own, which can hold other controls; and
// TCustomControl, a windowed control that paints itself on its own canvas.
//
// The window is created when first needed (Handle) from the parameters CreateParams
// fills in. Its window procedure hands every message to the control's WindowProc.
// Mouse messages over a graphic child go to that child. Painting fills the background
// with Color (WM_ERASEBKGND), then paints the control (PaintWindow), then its graphic
// children in their order; windowed children paint themselves afterwards.
//
// Keyboard: a key goes to the focused control, first to DoKeyDown / DoKeyUp (OnKeyDown,
// OnKeyUp) with the modifiers held at the time, then characters to KeyPress. Return,
// Escape, Tab and the arrow keys that the control does not claim through WM_GETDLGCODE
// (DLGC_WANTALLKEYS, DLGC_WANTTAB, DLGC_WANTARROWS) go to its form as CM_DIALOGKEY, which
// presses the default or cancel button or moves the focus. A character typed with Alt
// (WM_SYSCHAR), or typed at a control that takes no text (no DLGC_WANTCHARS), goes through
// the form's controls as CM_DIALOGCHAR first: a button whose access letter it is clicks. A left
// press on a control that is a tab stop gives it the focus. Hiding or disabling the control that
// holds the focus hands the focus to its form, so keys keep reaching the form.
#pragma once

#include <vector>

#include "platform/ui/control.h"
#include "platform/ui/winapi.h"

// Sent to a form when one of its controls got the focus (lParam: that control), and by
// the form on to all of its controls.
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 7;
// Sent to the form of the focused control before a key reaches the control (wParam: the
// key; lParam: 1 pressed, 0 released); a non-zero result uses the key up (a main menu's
// short cut).
constexpr UINT CM_FORMKEY = CM_BASE + 201;

// The modifier keys (ssShift, ssCtrl, ssAlt) held for the input message last taken.
TShiftState KeyShiftState();

struct TCreateParams {
    std::string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    HWND WndParent = nullptr;
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded() { Handle(); }
    // Creates the window anew (parameters re-read), as a change of style needs.
    void RecreateWnd();
    virtual bool IsForm() const { return false; }

    // Children.
    int ControlCount() const { return int(controls_.size()); }
    TControl* Controls(int index) const { return controls_.at(size_t(index)); }
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    // The child at a point of the client area (topmost first), or none; graphic children
    // only unless allowWinControls.
    TControl* ControlAtPos(TPoint p, bool allowDisabled, bool allowWinControls = false) const;
    void SetChildOrder(TControl* control, bool toFront);
    // Sends a message to every control inside this one, depth first in child order,
    // until one answers with a non-zero result, which is returned (0 when none does).
    LRESULT Broadcast(UINT msg, WPARAM wParam, LPARAM lParam);
    // Lays out the children with an alignment or anchors again.
    void Realign();

    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop) { tabStop_ = tabStop; }
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int order) { tabOrder_ = order; }
    bool Focused() const;
    // Whether this control or one inside it has the focus.
    bool ContainsFocus() const;
    virtual bool CanFocus() const;
    virtual void SetFocus();

    void SetBounds(int left, int top, int width, int height) override;
    // Scales the control, then every control inside it, and lays the aligned ones out
    // again once all have their new sizes.
    void ChangeScale(int percent) override;
    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;
    void SetText(const std::string& text) override;

    void Invalidate() override;
    void Repaint() override;
    void Update() override;
    // Asks for a paint of part of the client area.
    void InvalidateRect(const TRect& rect);
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;
    TPoint ClientOriginInWindow() const override { return {0, 0}; }

    void WndProc(TMessage& message) override;
    void Dispatch(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;
    // The window procedure of the window; messages arrive here first.
    LRESULT MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    void BeforeDestruction() override;

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

protected:
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    // How a window made visible is shown when it is created (ShowWindow's command).
    virtual int ShowCommandOnCreate() const { return SW_SHOWNA; }
    virtual void DestroyWnd();
    void DestroyHandle();
    // Paints the control itself (nothing for a plain windowed control).
    virtual void PaintWindow(HDC dc);
    // Paints the graphic children over the control.
    void PaintControls(HDC dc);
    virtual void AlignControls(TRect& rect);
    // Key handlers: return true when the key was used up (OnKeyDown / OnKeyUp set it to 0).
    virtual bool DoKeyDown(uint16_t& key, TShiftState shift);
    virtual bool DoKeyUp(uint16_t& key, TShiftState shift);
    virtual void KeyPress(char& key);
    // Keyboard keys the form handles: Return, Escape, Tab and the arrows, unless the
    // control claims them with its WM_GETDLGCODE answer.
    virtual bool WantsKey(int key) const;
    void UpdateBoundsFromWindow();
    // Whether a visible opaque graphic child covers all of area: the background under it
    // need not be painted (as the system's painting clips out opaque controls).
    bool CoveredByOpaqueControl(const TRect& area) const;

private:
    void PaintHandler();
    void CreateChildHandles();
    // Moves the focus to the form when this control, about to be hidden or disabled,
    // holds it.
    void DefocusForForm();
    bool ForwardMouse(TMessage& message);

    HWND handle_ = nullptr;
    WNDPROC defWndProc_;
    std::vector<TControl*> controls_;  // bottom to top
    bool tabStop_ = false;
    int tabOrder_ = 0;
    bool recreating_ = false;
    bool aligning_ = false;
    TSize designClient_;  // client size against which anchored children are laid out
};

// Points a canvas at a device context for one paint (its target, origin, clip and scale)
// and detaches it again when the scope ends, also when painting throws: a canvas never
// keeps pointing at a frame that is gone.
class TPaintScope {
public:
    TPaintScope(TCanvas& canvas, HDC dc, int scalePercent);
    ~TPaintScope();
    TPaintScope(const TPaintScope&) = delete;
    TPaintScope& operator=(const TPaintScope&) = delete;

private:
    TCanvas& canvas_;
};

// A windowed control that paints itself: override Paint and draw on Canvas.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* owner);
    TCanvas& Canvas() { return canvas_; }

protected:
    virtual void Paint() {}
    void PaintWindow(HDC dc) override;

private:
    TCanvas canvas_;
};
