#include "desktop/formutil.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>

#include "platform/ui/form.h"
#include "platform/ui/screen.h"
#include "platform/ui/wincontrol.h"

namespace {
// At 100 %; they scale with the placed window.
// The room kept free at the bottom of the screen (where a task bar usually is).
constexpr int kBottomBand = 50;
// Sizes closer than this count as equal, and the window is shifted by kNudge so that the
// owner's edges still show.
constexpr int kSameSize = 10;
constexpr int kNudge = 15;
constexpr int kDialogGap = 10;

// A window as the placement sees it: its outer rectangle, the window manager's frame
// included. Setting Left or Top moves the window at once, its frame to that place.
class TOuter {
public:
    explicit TOuter(TControl* control) : control_(control) {
        // A top-level window knows its frame once it exists: it is made now (hidden).
        auto* windowed = dynamic_cast<TWinControl*>(control);
        if (windowed && windowed->IsForm()) extents_ = GetWindowFrameExtents(windowed->Handle());
    }
    int Left() const { return control_->Left() - extents_.Left; }
    int Top() const { return control_->Top() - extents_.Top; }
    int Width() const { return control_->Width() + extents_.Left + extents_.Right; }
    int Height() const { return control_->Height() + extents_.Top + extents_.Bottom; }
    // A length at 100 % at the window's scale.
    int Scaled(int length) const { return control_->ScaleValue(length); }
    void SetLeft(int left) { control_->SetLeft(left + extents_.Left); }
    void SetTop(int top) { control_->SetTop(top + extents_.Top); }

private:
    TControl* control_;
    native::TFrameExtents extents_;
};

void Center(const TOuter& owner, TOuter& window) {
    window.SetTop(owner.Top() + (owner.Height() - window.Height()) / 2);
    window.SetLeft(owner.Left() + (owner.Width() - window.Width()) / 2);
    if (window.Top() < 0) window.SetTop(0);
    if (window.Left() < 0) window.SetLeft(0);
    const int sameSize = window.Scaled(kSameSize), nudge = window.Scaled(kNudge);
    const int bottomBand = window.Scaled(kBottomBand);
    if (std::abs(owner.Width() - window.Width()) < sameSize) window.SetLeft(window.Left() + nudge);
    if (std::abs(owner.Height() - window.Height()) < sameSize) window.SetTop(window.Top() + nudge);
    const int screenHeight = Screen->Height();
    const int screenWidth = Screen->Width();
    if (window.Top() + window.Height() >= screenHeight - bottomBand)
        window.SetTop(screenHeight - bottomBand - window.Height());
    if (window.Left() + window.Width() >= screenWidth) window.SetLeft(screenWidth - window.Width());
}

void Above(const TOuter& owner, TOuter& window, int gap) {
    Center(owner, window);
    const int top = owner.Top() - window.Height() - gap;
    window.SetTop(top < 0 ? 0 : top);
}

void Below(const TOuter& owner, TOuter& window, int gap) {
    Center(owner, window);
    int top = owner.Top() + owner.Height() + gap;
    if (Screen->Height() - window.Height() < top) top = Screen->Height() - window.Height();
    window.SetTop(top);
}

// Places window beside owner with placer now, and again whenever the window manager's
// frame around the window turns out other than it was told (some tell it only once the
// window shows), while the window shows.
void Place(TCustomForm* owner, TControl* window,
           const std::function<void(const TOuter&, TOuter&)>& placer) {
    if (owner == nullptr || window == nullptr) return;
    std::function<void()> place = [owner, window, placer] {
        TOuter outer(window);
        placer(TOuter(owner), outer);
    };
    place();
    if (auto* form = dynamic_cast<TCustomForm*>(window)) form->SetPlacement(std::move(place));
}

}  // namespace

void CenterOverForm(TCustomForm* owner, TControl* window) {
    Place(owner, window, Center);
}

void PlaceAboveForm(TCustomForm* owner, TControl* window, int gap) {
    Place(owner, window, [gap](const TOuter& o, TOuter& w) { Above(o, w, gap); });
}

void PlaceBelowForm(TCustomForm* owner, TControl* window, int gap) {
    Place(owner, window, [gap](const TOuter& o, TOuter& w) { Below(o, w, gap); });
}

void PlaceDialog(TCustomForm* owner, TControl* dialog) {
    if (owner == nullptr || dialog == nullptr) return;
    const int gap = dialog->ScaleValue(kDialogGap);
    if (owner->FormStyle() != fsStayOnTop) {
        Place(owner, dialog, Center);
        return;
    }
    Place(owner, dialog, [gap](const TOuter& o, TOuter& w) {
        if (o.Top() > w.Height()) {
            Above(o, w, gap);
        } else {
            Below(o, w, gap);
        }
    });
}

TRect ReachableBounds(const TRect& bounds, const std::vector<TRect>& monitors) {
    const int pieceWidth = std::min(kReachablePiece, bounds.Width());
    const int pieceHeight = std::min(kReachablePiece, bounds.Height());
    for (const TRect& monitor : monitors) {
        const TRect shown = bounds.Intersect(monitor);
        if (!shown.IsEmpty() && shown.Width() >= pieceWidth && shown.Height() >= pieceHeight)
            return bounds;
    }
    // Where the window would be on each monitor, and how far that is.
    std::optional<TRect> best;
    int64_t bestDistance = 0;
    for (const TRect& monitor : monitors) {
        if (monitor.IsEmpty()) continue;
        auto place = [](int at, int size, int start, int end) {
            return std::max(start, std::min(at, end - size));
        };
        const int left = place(bounds.Left, bounds.Width(), monitor.Left, monitor.Right);
        const int top = place(bounds.Top, bounds.Height(), monitor.Top, monitor.Bottom);
        const int64_t dx = int64_t(left) - bounds.Left;
        const int64_t dy = int64_t(top) - bounds.Top;
        if (!best || dx * dx + dy * dy < bestDistance) {
            best = TRect::FromSize(left, top, bounds.Width(), bounds.Height());
            bestDistance = dx * dx + dy * dy;
        }
    }
    return best.value_or(bounds);
}
