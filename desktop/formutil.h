// Placing a dialog relative to the clock window before the dialog is shown.
//
// Every position and size below is a window's outer rectangle: the window manager's frame
// (title bar and borders, GetWindowFrameExtents) included, so that a dialog placed above or
// below the clock leaves the clock wholly visible. Placing a form makes its window (hidden)
// to learn its frame. A borderless window, or a control that is no form, has no frame.
// Where the window manager tells a frame only once it frames the window, a form placed
// before it showed is placed again, the same way, when its frame turns out other than it
// was told (TCustomForm::SetPlacement); the owner must stay while the form shows.
//
// The owner is the form the dialog belongs to (the clock's main window); the placed window
// is any control, in practice a dialog form. Positions and sizes are screen pixels. Each
// step assigns Top or Left on its own, so the placed window moves at once and the next step
// reads the moved values. Halvings truncate toward zero. The screen is the primary screen
// (Screen->Width(), Screen->Height()). A missing owner or window makes every call do nothing.
//
// CenterOverForm: centres the window over the owner, then keeps its top and left at 0 or
// more; shifts it 15 pixels right when its width is within 9 pixels of the owner's, and
// 15 pixels down when its height is (so it never exactly covers the owner); then pulls it
// up so that its bottom stays above a 50-pixel band at the screen's bottom, and left so
// that its right edge stays on the screen. A window taller or wider than that room ends
// with a negative top or left, which is left as it is.
//
// PlaceAboveForm: centres as above, then puts the window's bottom gap pixels above the
// owner's top, or at top 0 when there is no room for that.
//
// PlaceBelowForm: centres as above, then puts its top gap pixels below the owner's bottom,
// or higher when its bottom would leave the screen (it then overlaps the owner).
//
// PlaceDialog: for an owner that stays on top of other windows (fsStayOnTop) the dialog
// goes above it with a gap of 10 when the owner's top is greater than the dialog's height,
// otherwise below it; so the clock never hides the dialog. Any other owner: CenterOverForm.
//
// Sizes are the windows' own, as laid out at their scale; the fixed distances above (the
// band of 50, the nudge of 15 within 10, the gap of 10) are at 100 % and scale with the
// placed window.
//
// ReachableBounds: where a window is to be so that the user can reach it, given the
// desktop's monitors. A window of which a piece of kReachablePiece x kReachablePiece
// pixels (all of it, when it is smaller than that) lies on one monitor can be reached and
// stays where it is: the bounds come back unchanged. Any other window is moved the least
// distance that brings it wholly onto a monitor, the one that needs the shortest move (its
// top-left corner on the monitor's when it is larger than the monitor). So a clock stored
// at a place that no screen shows any more (a monitor unplugged, a smaller screen) comes
// back, and one the user put partly off screen stays there.
#pragma once

#include <vector>

#include "platform/gfx/types.h"

class TControl;
class TCustomForm;

constexpr int kReachablePiece = 32;
TRect ReachableBounds(const TRect& bounds, const std::vector<TRect>& monitors);

void CenterOverForm(TCustomForm* owner, TControl* window);
void PlaceAboveForm(TCustomForm* owner, TControl* window, int gap);
void PlaceBelowForm(TCustomForm* owner, TControl* window, int gap);
void PlaceDialog(TCustomForm* owner, TControl* dialog);
