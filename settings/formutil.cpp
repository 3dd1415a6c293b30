#include "settings/formutil.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "platform/ui/form.h"
#include "platform/ui/screen.h"

namespace {
// At 100 %; they scale with the placed window.
// The room kept free at the bottom of the screen (where a task bar usually is).
constexpr int kBottomBand = 50;
// Sizes closer than this count as equal, and the window is shifted by kNudge so that the
// owner's edges still show.
constexpr int kSameSize = 10;
constexpr int kNudge = 15;
constexpr int kDialogGap = 10;
}  // namespace

void CenterOverForm(TCustomForm* owner, TControl* window) {
    if (owner == nullptr || window == nullptr) return;
    const int sameSize = window->ScaleValue(kSameSize), nudge = window->ScaleValue(kNudge);
    const int bottomBand = window->ScaleValue(kBottomBand);
    window->SetTop(owner->Top() + (owner->Height() - window->Height()) / 2);
    window->SetLeft(owner->Left() + (owner->Width() - window->Width()) / 2);
    if (window->Top() < 0) window->SetTop(0);
    if (window->Left() < 0) window->SetLeft(0);
    if (std::abs(owner->Width() - window->Width()) < sameSize)
        window->SetLeft(window->Left() + nudge);
    if (std::abs(owner->Height() - window->Height()) < sameSize)
        window->SetTop(window->Top() + nudge);
    const int screenHeight = Screen->Height();
    const int screenWidth = Screen->Width();
    if (window->Top() + window->Height() >= screenHeight - bottomBand)
        window->SetTop(screenHeight - bottomBand - window->Height());
    if (window->Left() + window->Width() >= screenWidth)
        window->SetLeft(screenWidth - window->Width());
}

void PlaceAboveForm(TCustomForm* owner, TControl* window, int gap) {
    if (owner == nullptr || window == nullptr) return;
    CenterOverForm(owner, window);
    const int top = owner->Top() - window->Height() - gap;
    window->SetTop(top < 0 ? 0 : top);
}

void PlaceBelowForm(TCustomForm* owner, TControl* window, int gap) {
    if (owner == nullptr || window == nullptr) return;
    CenterOverForm(owner, window);
    int top = owner->Top() + owner->Height() + gap;
    if (Screen->Height() - window->Height() < top) top = Screen->Height() - window->Height();
    window->SetTop(top);
}

void PlaceDialog(TCustomForm* owner, TControl* dialog) {
    if (owner == nullptr || dialog == nullptr) return;
    if (owner->FormStyle() == fsStayOnTop) {
        const int gap = dialog->ScaleValue(kDialogGap);
        if (owner->Top() > dialog->Height()) {
            PlaceAboveForm(owner, dialog, gap);
        } else {
            PlaceBelowForm(owner, dialog, gap);
        }
    } else {
        CenterOverForm(owner, dialog);
    }
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
