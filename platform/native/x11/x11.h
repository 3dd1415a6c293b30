// The X11 backend: top-level windows of an X server through Xlib, shaped with the SHAPE
// extension.
//
// How the backend maps the interface onto X:
// - Frames: every window keeps a server-side pixmap of its pixels, set as the window's
//   background. Present converts the dirty part of the 24-bit frame into that pixmap
//   (XPutImage) and clears the same part of the window, so the server itself repaints
//   anything that becomes visible again: Exposed events are never reported.
// - Shape: the window region becomes the bounding and the input shape. With a colour key
//   the shape is the region (or the whole window) less the pixels of the key colour in the
//   pixels last presented, refreshed after each present that changed them, so key pixels
//   are neither shown nor clickable.
// - Window manager: borderless through _MOTIF_WM_HINTS, stay on top through
//   _NET_WM_STATE_ABOVE, no taskbar button through _NET_WM_STATE_SKIP_TASKBAR and
//   _SKIP_PAGER (the property before mapping, the window manager's client messages after).
//   Dialogs are of fixed size, transient for their owner when they have one, and take the
//   keyboard focus when shown (_NET_ACTIVE_WINDOW, then XSetInputFocus once viewable).
//   A window owned by one that stays on top gets _NET_WM_STATE_ABOVE too, so it is not
//   stacked behind its owner. Popups are override-redirect.
//   WM_CLASS is the window's class name (instance) and the same capitalised (class),
//   _NET_WM_ICON holds the program's icon, _NET_WM_PID is set, WM_DELETE_WINDOW becomes a
//   CloseRequest. Positions are requested with USPosition and static gravity: the window
//   manager keeps the window's own top-left corner where the program puts it, with any
//   decoration outside it. A window the window manager maps elsewhere than it asked (i3
//   does so with a borderless one) asks once more, then keeps what it gets; what the
//   window manager reports before that is not news.
// - Bounds and Moved: a window's bounds are its X window's geometry on the root window.
//   A configure notification that only confirms a position the program asked for before a
//   newer request is not reported, so a fast drag does not see its window jump back.
// - Capture is a pointer grab, and for a popup a keyboard grab as well.
// - Screen: the screen size is that of the primary output (RandR); the monitors are those
//   RandR 1.5 lists, and a change of them (RRScreenChangeNotify) is reported as
//   ScreenChanged. The pixels per inch come from Xft.dpi for every monitor when the user
//   set it, else from each monitor's size in millimetres (the X screen's for a lone
//   monitor that tells none; 96 for one of several).
//   DragFullWindows is true: an X desktop moves whole windows.
// - Waiting: WaitEvents blocks in poll() on the X connection and a self-pipe that Wake()
//   writes to, with the deadline as timeout (and the accessibility buses, when there are).
// - Screen readers: a shown window with an accessible name is an object on the desktop's
//   AT-SPI accessibility bus, named with it (x11atspi.h); where no accessibility bus runs,
//   nothing is connected and the name is only kept.
// - Without the SHAPE extension windows stay rectangular and the colour key shows its
//   pixels. Frames go to the server with plain XPutImage (no shared memory): the clock's
//   windows are small and change once a second.
// - A TX11Window must be destroyed before its backend.
// - The backend needs a 24-bit TrueColor visual stored as 32 bits a pixel (every current
//   X server has one); without it CreateX11Backend explains on stderr and returns none.
// - X protocol errors (a window that is gone, say) are counted and otherwise ignored. A
//   window that another client destroys is reported as Destroyed. When the connection to
//   the X server breaks, the program says so on stderr, runs the connection-lost handler
//   (native.h) and ends with exit status 1: it could not go on.
#pragma once

#include <memory>

#include "platform/native/native.h"

namespace native {

// Opens a connection to the X display (none: $DISPLAY). Returns none when no display can
// be opened or it cannot show the program's pixels.
std::unique_ptr<TBackend> CreateX11Backend(const char* display = nullptr);

}  // namespace native
