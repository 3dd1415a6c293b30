// TCustomForm and TForm: a top-level window holding controls.
//
// A form has no frame of its own: the window system decorates it (or not, for bsNone),
// so its client area is the whole window and Left/Top are screen coordinates. Changing
// FormStyle or BorderStyle of a form whose window exists creates the window anew, which
// loses the window's region and layered style (the owner puts them back).
//
// The form's window is owned by OwnerWindow when one is given, else by the window of the
// form that owns the form as a component (when that window exists). An owned window
// stays above its owner, and a bsDialog form with an owner is a dialog of that window.
//
// Keyboard: Tab and Shift+Tab move the focus to the next and previous control in tab
// order (TabOrder within each parent, parents before their children) among the visible,
// enabled tab stops, wrapping around; the arrow keys do the same for controls that do
// not claim them. Return clicks the active button (the focused one, else the Default
// button), Escape the Cancel button; without such a button the key does nothing.
//
// A form with a main menu (SetMenu; a TMainMenu owned by a form sets itself) hands every
// key to the menu before its focused control sees it, so the menu's short cuts work
// wherever the focus is.
//
// Scale. A scaled form (Scaled, the default) is laid out at the scale of the monitor it
// is on (TScreen::ScalePercentFor): once
// when it is created, before OnCreate, for the monitor of the window that owns it (the
// primary monitor when none does); again when its window is made on a monitor of another
// density; and on WM_DPICHANGED, when its window comes to a monitor of another density,
// centred where the window system suggests. So a form is designed at 96 pixels per inch,
// in the constructor, and shows at every density at the size it should have (see
// TControl for what scaling does to each control). A form with Scaled false is left as
// designed: it sizes its contents itself, for instance in OnAfterMonitorDpiChanged or by
// handling WM_DPICHANGED. PixelsPerInch is the density of the monitor the form was last
// laid out for (96 until then).
//
// ShowModal shows the form, disables the other forms and runs a message loop (timers
// keep firing) until ModalResult is set by code or a button, or the window manager's
// close box asks to close (mrCancel); OnCloseQuery may refuse. It then hides the form,
// enables the other forms again, gives the focus back to the window that had it, and
// returns the result.
#pragma once

#include <functional>

#include "platform/ui/wincontrol.h"

class TMainMenu;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;

using TCloseEvent = std::function<void(TObject*, TCloseAction&)>;
using TMonitorDpiChangedEvent = std::function<void(TObject*, int oldDpi, int newDpi)>;
using TCloseQueryEvent = std::function<void(TObject*, bool&)>;

class TCustomForm : public TWinControl {
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    bool IsForm() const override { return true; }

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle style);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition position) { position_ = position; }
    TWindowState WindowState() const;
    void SetWindowState(TWindowState state);
    int PixelsPerInch() const { return pixelsPerInch_; }
    // Whether the framework scales the form's design (see Scale above); on by default. A
    // form that draws and sizes itself at its own scale turns it off.
    bool Scaled() const { return scaled_; }
    void SetScaled(bool scaled) { scaled_ = scaled; }
    // Lays the form out for a monitor of this density, keeping the centre of a visible
    // form and the top-left corner of a hidden one (which is placed when it is shown).
    void ScaleForPPI(int pixelsPerInch);
    bool KeyPreview() const { return keyPreview_; }
    // Shown without taking the keyboard focus from the window that has it (a desktop
    // gadget); it takes the focus when clicked. Off by default.
    bool ShowWithoutActivating() const { return showWithoutActivating_; }
    void SetShowWithoutActivating(bool on) { showWithoutActivating_ = on; }
    void SetKeyPreview(bool on) { keyPreview_ = on; }
    // How the form places itself beside other windows by its outer rectangle (set by the
    // dialog placement before the form shows): run again when the window manager's frame
    // around the form turns out other than it was told before, until the form hides.
    void SetPlacement(std::function<void()> place) { placement_ = std::move(place); }

    void SetClientWidth(int v) override { SetWidth(v); }
    void SetClientHeight(int v) override { SetHeight(v); }
    void SetVisible(bool visible) override;

    // The window that owns the form's window (see above); none for the default. Changing
    // it creates an existing window anew.
    HWND OwnerWindow() const { return ownerWindow_; }
    void SetOwnerWindow(HWND owner);

    // The control that gets the focus when the form is shown.
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control);
    // The control of this form that has the focus, or none.
    TWinControl* FocusedControl() const;
    // Moves the focus to the next (or previous) control that takes the focus by Tab.
    void SelectNext(bool forward);

    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }
    // Shows the form and runs a message loop until ModalResult is set; other windows are
    // disabled meanwhile. Returns the result (mrCancel when the application ends).
    TModalResult ShowModal();
    bool Modal() const { return modal_; }
    // Asks the form to close: OnCloseQuery, then OnClose decide; closing the main form
    // ends the application, closing a modal form ends ShowModal with mrCancel.
    void Close();
    // Frees the form once the messages now queued have been handled.
    void Release();

    TCanvas& Canvas() { return canvas_; }

    // The menu bar that sees the form's keys first; none by default.
    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* menu);

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnPaint;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    // After the window came to a monitor of another density: the densities before and after.
    TMonitorDpiChangedEvent OnAfterMonitorDpiChanged;

    void Dispatch(TMessage& message) override;
    void AfterConstruction() override;
    void BeforeDestruction() override;
    void Notification(TComponent* component, TOperation operation) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    // Scaled in one move: centred where it was (a visible form), or in the suggestion of
    // WM_DPICHANGED; a hidden form keeps its top-left corner.
    TRect BoundsAtScale(int fromPercent, int toPercent) const override;
    // A form takes the focus when shown, unless ShowWithoutActivating.
    int ShowCommandOnCreate() const override {
        return showWithoutActivating_ ? SW_SHOWNA : SW_SHOW;
    }
    void PaintWindow(HDC dc) override;
    virtual void Paint();
    virtual bool CloseQuery();
    virtual void DoClose(TCloseAction& action);
    virtual void DoCreate();
    virtual void DoDestroy();

private:
    void PlaceOnShow();
    void MonitorDpiChanged(int dpi, const TRect* suggested);
    void FocusFirstControl();
    // The controls Tab visits, in order.
    std::vector<TWinControl*> TabList() const;
    // Return, Escape, Tab or an arrow that the focused control left to the form.
    bool DialogKey(int key);

    TFormBorderStyle borderStyle_ = bsSizeable;
    TFormStyle formStyle_ = fsNormal;
    TPosition position_ = poDesigned;
    int pixelsPerInch_ = 96;
    int monitorDpi_ = 0;                  // of the monitor the window is on (0 before it is made)
    const TRect* scaleAround_ = nullptr;  // while laid out for WM_DPICHANGED: its suggestion
    bool scaled_ = true;
    bool keyPreview_ = false;
    bool showWithoutActivating_ = false;
    std::function<void()> placement_;
    TModalResult modalResult_ = mrNone;
    bool modal_ = false;
    bool destroyed_ = false;
    TWinControl* activeControl_ = nullptr;
    HWND ownerWindow_ = nullptr;
    TMainMenu* menu_ = nullptr;
    TCanvas canvas_;
};

class TForm : public TCustomForm {
public:
    using TCustomForm::TCustomForm;
};
