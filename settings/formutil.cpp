#include "settings/formutil.h"

#include <cstdlib>

#include "platform/ui/form.h"
#include "platform/ui/screen.h"

namespace {
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
    window->SetTop(owner->Top() + (owner->Height() - window->Height()) / 2);
    window->SetLeft(owner->Left() + (owner->Width() - window->Width()) / 2);
    if (window->Top() < 0) window->SetTop(0);
    if (window->Left() < 0) window->SetLeft(0);
    if (std::abs(owner->Width() - window->Width()) < kSameSize)
        window->SetLeft(window->Left() + kNudge);
    if (std::abs(owner->Height() - window->Height()) < kSameSize)
        window->SetTop(window->Top() + kNudge);
    const int screenHeight = Screen->Height();
    const int screenWidth = Screen->Width();
    if (window->Top() + window->Height() >= screenHeight - kBottomBand)
        window->SetTop(screenHeight - kBottomBand - window->Height());
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
        if (owner->Top() > dialog->Height()) {
            PlaceAboveForm(owner, dialog, kDialogGap);
        } else {
            PlaceBelowForm(owner, dialog, kDialogGap);
        }
    } else {
        CenterOverForm(owner, dialog);
    }
}
