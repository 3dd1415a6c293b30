// TX11Window: a top-level window of the X11 backend (see x11.h).
//
// The window keeps its pixels twice: as pixel values in a client-side buffer (the source
// of the colour-key mask) and in a server-side pixmap that is the window's background, so
// the X server repaints uncovered parts without asking the program.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/native/native.h"
#include "platform/native/x11/x11atspitree.h"
#include "platform/native/x11/x11handles.h"
#include "platform/native/x11/x11keymask.h"

namespace native {

class TX11Backend;

class TX11Window : public TNativeWindow {
public:
    TX11Window(TX11Backend& backend, const TWindowParams& params);
    ~TX11Window() override;
    TX11Window(const TX11Window&) = delete;
    TX11Window& operator=(const TX11Window&) = delete;

    // TNativeWindow.
    void SetBounds(const TRect& screenBounds) override;
    TRect Bounds() const override { return bounds_; }
    void Show(bool visible) override;
    bool Visible() const override { return visible_; }
    void SetTitle(const std::string& title) override;
    void SetShape(const TRegion* shape) override;
    void SetColorKey(std::optional<TColor> key) override;
    void SetStayOnTop(bool onTop) override;
    void SetTaskbarButton(bool visible) override;
    void SetBorderless(bool borderless) override;
    void Raise() override;
    void Present(const TBitmap& frame, const TRect& dirty) override;
    void SetCursorShape(int cursor) override;
    TFrameExtents FrameExtents() override;
    void SetModal(bool modal) override;
    void SetActivateOnShow(bool activate) override;
    void SetAccessibleName(const std::string& name) override;

    Window Id() const { return window_.Get(); }
    TWindowKind Kind() const { return kind_; }
    Cursor CurrentCursor() const;
    // The owner given at creation (none once it is destroyed).
    TX11Window* Owner() const { return owner_; }
    // Whether the window is to stay above others: asked for itself, or it is owned by a
    // window that is (so a dialog does not open behind its stay-on-top owner).
    bool StaysAbove() const { return stayOnTop_ || (owner_ && owner_->StaysAbove()); }

    // Events, from the backend. A configure notification: returns the bounds to report as
    // Moved, or none when the notification only confirms a position this window asked
    // for before a newer request.
    std::optional<TRect> Configured(const XConfigureEvent& event);
    void Reparented(Window parent) { parent_ = parent; }
    // A map notification: the window manager has placed the window (see Show).
    void Mapped();
    // A map or visibility notification: a dialog shown since it last had the focus takes
    // it once it is viewable.
    void MaybeTakeFocus();
    // From the backend: the owner is being destroyed.
    void OwnerGone();
    // The window's input context (none without an input method).
    XIC InputContext() const { return inputContext_; }
    // The window got (true) or lost the keyboard focus.
    void FocusChanged(bool focused);
    // A button went down on the window at the server time given: it takes the focus when
    // it does not have it.
    void TakeFocusOnClick(Time time);
    // A property of the window changed (the window manager's frame extents, say). True
    // when the frame is now another one than FrameExtents told.
    bool PropertyChanged(Atom property);
    // What a screen reader learns of the window (x11atspi.h).
    atspi::TAccessibleWindow AccessibleState() const;

private:
    void WriteNormalHints();
    void WriteIcon(std::span<const TIconImage> icon);
    void WriteState();
    void WriteMotifHints();
    void ChangeState(bool add, Atom first, Atom second);
    // Brings the window manager's above state in line with StaysAbove(), here and in the
    // windows this one owns; force sends it even when it seems unchanged.
    void UpdateAbove(bool force);
    void Resize(int width, int height);
    void ApplyShape();
    void Flush();
    // Reads _NET_FRAME_EXTENTS; false when the window manager has not set it.
    bool ReadFrameExtents();
    // Asks the server for the window's bounds (a round trip).
    TRect ServerBounds() const;
    // Asks for bounds_ and remembers the request to recognise its confirmation.
    void RequestBounds();

    // Where a managed window is in being placed by the window manager after Show(true):
    // Awaited until it is mapped (what the window manager reports meanwhile is passing),
    // Correcting after it was placed elsewhere than asked and asked once more (reports
    // older than that request are passing too), Settled when reports are news.
    enum class TPlacement { Settled, Awaited, Correcting };

    TX11Backend& backend_;
    Display* display_;
    TWindowKind kind_;
    TX11Window* owner_;
    TXWindow window_;
    TXPixmap pixmap_;
    TXGC gc_;
    TSize surface_;                 // the size of the pixmap and the buffer
    std::vector<uint32_t> pixels_;  // pixel values, surface_.cx a row
    std::vector<uint8_t> shown_;    // the same pixels as blue, green, red bytes
    TXImagePtr image_;              // over pixels_
    TRect bounds_;
    std::deque<TRect> requested_;  // bounds asked of the server and not yet confirmed
    TPlacement placement_ = TPlacement::Settled;
    unsigned long correctionSerial_ = 0;  // the request that asked once more
    Window parent_;
    bool visible_ = false;
    bool stayOnTop_;
    bool aboveApplied_ = false;  // the above state last written or asked for
    bool focusPending_ = false;  // a dialog shown that has not taken the focus yet
    bool taskbarButton_;
    bool borderless_;
    bool resizable_;
    bool modal_ = false;
    XIC inputContext_ = nullptr;
    bool focused_ = false;
    TFrameExtents frameExtents_;
    bool frameExtentsKnown_ = false;
    bool frameExtentsAsked_ = false;
    std::optional<TFrameExtents> toldFrame_;  // what FrameExtents last answered
    std::optional<TRegion> shape_;
    std::optional<TColor> colorKey_;
    TX11KeyMask keyMask_;
    std::optional<std::vector<TRect>> appliedShape_;  // none: the window is not shaped
    int cursor_ = 0;
    bool cursorDefined_ = false;
    std::string title_;
    std::string accessibleName_;
};

}  // namespace native
