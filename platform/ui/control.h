// TControl: a visual component with a position in its parent, and TGraphicControl, a
// control without a window of its own that paints on its parent.
//
// Messages reach a control through WindowProc (normally WndProc), which handles mouse
// capture and then calls the virtual Dispatch; Dispatch routes each message to its
// handler and the rest to DefaultHandler. A control raises its mouse events from the
// messages: OnMouseDown on a press, OnClick on a left release over the control (before
// OnMouseUp), OnContextPopup on a context-menu request.
//
// Scale. A control is designed at 96 pixels per inch and laid out at a scale
// (ScalePercent, 100 at 96 dpi): its bounds and font are those of the design at that
// scale, and ScaleValue turns any other length of the design (a margin, a glyph, a row)
// into pixels at it. ChangeScale lays the control out at another scale: its edges, taken
// as laid out at the old scale, move to the same place of the design at the new one (a
// control without a parent, a form, keeps its position and scales its size), and its font
// keeps its size in points at the new scale's pixels per inch. A control put into a parent
// takes the parent's scale; its bounds are the parent's pixels from then on.
#pragma once

#include <algorithm>
#include <functional>
#include <string>

#include "platform/gfx/canvas.h"
#include "platform/gfx/font.h"
#include "platform/ui/component.h"
#include "platform/ui/messages.h"

class TWinControl;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TMouseButton { mbLeft, mbRight, mbMiddle };

using TAnchors = unsigned;
constexpr TAnchors akLeft = 1;
constexpr TAnchors akTop = 2;
constexpr TAnchors akRight = 4;
constexpr TAnchors akBottom = 8;

using TShiftState = unsigned;
constexpr TShiftState ssShift = 1;
constexpr TShiftState ssAlt = 2;
constexpr TShiftState ssCtrl = 4;
constexpr TShiftState ssLeft = 8;
constexpr TShiftState ssRight = 16;
constexpr TShiftState ssMiddle = 32;

// Control style flags.
using TControlStyle = unsigned;
constexpr TControlStyle csAcceptsControls = 0x0001;
constexpr TControlStyle csCaptureMouse = 0x0002;
constexpr TControlStyle csClickEvents = 0x0008;
constexpr TControlStyle csSetCaption = 0x0020;
constexpr TControlStyle csOpaque = 0x0040;
constexpr TControlStyle csDoubleClicks = 0x0080;
constexpr TControlStyle csReplicatable = 0x0800;

// Control state flags.
constexpr unsigned csLButtonDown = 0x0001;
constexpr unsigned csClicked = 0x0002;
constexpr unsigned csCreating = 0x0100;

// Cursor numbers.
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeAll = -22;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crHourGlass = -11;

using TMouseEvent = std::function<void(TObject*, TMouseButton, TShiftState, int, int)>;
using TMouseMoveEvent = std::function<void(TObject*, TShiftState, int, int)>;
using TContextPopupEvent = std::function<void(TObject*, TPoint, bool&)>;
using TKeyEvent = std::function<void(TObject*, uint16_t&, TShiftState)>;
using TKeyPressEvent = std::function<void(TObject*, char&)>;
using TWndMethod = std::function<void(TMessage&)>;

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    // Position and size in the parent's client area.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return TRect::FromSize(left_, top_, width_, height_); }
    virtual TRect ClientRect() const { return {0, 0, width_, height_}; }
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    virtual void SetClientWidth(int v) { SetWidth(v); }
    virtual void SetClientHeight(int v) { SetHeight(v); }
    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors anchors) { anchors_ = anchors; }

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);
    // The form that holds this control (itself for a form), or none.
    TWinControl* ParentForm() const;

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and so are all its parents.
    bool Showing() const;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor) { cursor_ = cursor; }
    const std::string& Caption() const { return text_; }
    void SetCaption(const std::string& text) { SetText(text); }
    const std::string& Text() const { return text_; }
    virtual void SetText(const std::string& text);

    int ScalePercent() const { return scalePercent_; }
    int ScaleValue(int designLength) const;
    // The width of a one-pixel line of the design: at least one pixel (TCanvas::LineWidth).
    int LineWidth() const { return std::max(1, ScaleValue(1)); }
    virtual void ChangeScale(int percent);

    TControlStyle ControlStyle() const { return controlStyle_; }
    void SetControlStyle(TControlStyle style) { controlStyle_ = style; }
    unsigned ControlState() const { return controlState_; }

    // Messages.
    TWndMethod WindowProc;
    virtual void WndProc(TMessage& message);
    virtual void Dispatch(TMessage& message);
    virtual void DefaultHandler(TMessage& message);
    LRESULT Perform(UINT msg, WPARAM wParam, LPARAM lParam);

    // Painting: Invalidate asks for a paint later, Repaint paints now.
    virtual void Invalidate();
    virtual void Repaint();
    virtual void Update();
    void Refresh() { Repaint(); }

    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;
    // The top-left corner of the client area in the nearest windowed ancestor's client
    // area (a graphic control's own bounds; (0, 0) for a windowed control).
    virtual TPoint ClientOriginInWindow() const;

    bool MouseCapture() const;
    void SetMouseCapture(bool capture);

    void BringToFront();
    void SendToBack();

    // Events.
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TContextPopupEvent OnContextPopup;
    TNotifyEvent OnResize;

    void BeforeDestruction() override;

protected:
    friend class TWinControl;
    virtual void Click();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void DoContextPopup(TPoint mousePos, bool& handled);
    virtual void FontChanged();
    virtual void Resize();
    // Where ChangeScale puts the control: its edges laid out again at the new scale, or,
    // for a control without a parent, its size at the new scale at its place.
    virtual TRect BoundsAtScale(int fromPercent, int toPercent) const;
    // The parent's windowed ancestor to paint on (the parent itself, for now).
    void InvalidateControl(bool wasVisible, bool opaque);
    void Notification(TComponent* component, TOperation operation) override;
    // Forms start hidden; other controls visible.
    void InitVisible(bool visible) { visible_ = visible; }

    TControlStyle controlStyle_ = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    unsigned controlState_ = 0;
    TFont font_;
    TColor color_ = clBtnFace;

private:
    int scalePercent_ = 100;
    void HandleMouse(TMessage& message, TMouseButton button, bool down);
    void HandleMove(TMessage& message);

    TWinControl* parent_ = nullptr;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    TAlign align_ = alNone;
    TAnchors anchors_ = akLeft | akTop;
    bool visible_ = true;
    bool enabled_ = true;
    TCursor cursor_ = crDefault;
    std::string text_;
};

// A control that paints on its parent's canvas.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner);
    TCanvas& Canvas() { return canvas_; }
    void Dispatch(TMessage& message) override;

protected:
    virtual void Paint() {}

private:
    TCanvas canvas_;
};

TShiftState ShiftStateFromKeys(WPARAM keys);

// The graphic control that holds the mouse through its parent's window, if any.
TControl* CaptureControl();
void ResetCaptureControl();
