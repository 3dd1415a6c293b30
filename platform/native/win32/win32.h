// The win32 backend: top-level windows of the Windows window system.
//
// How the backend maps the interface onto the system:
// - Windows are of one class ("ZentickWindow", Unicode). A Normal window without a border
//   is WS_POPUP; with one it has a caption and a sizing frame. A Dialog has the fixed
//   dialog border (WS_CAPTION | WS_SYSMENU with WS_EX_DLGMODALFRAME); a Popup (a menu) is
//   WS_POPUP with WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, shown without
//   activation and never activated by a click. Bounds are always the client area in
//   screen pixels: a frame the system draws lies around it (AdjustWindowRectEx), as the
//   X11 window manager's does.
// - Taskbar buttons: a Normal window without an owner that asks for a button
//   (TaskbarButton) has its own (WS_EX_APPWINDOW); the system activates, minimises and
//   closes it from there. A Dialog without an owner of its own is owned by one hidden
//   application-level window (titled with the program's base name), which keeps it off
//   the taskbar; that window is never shown, so nothing the user does not see is ever
//   mapped (Wine maps a shown window even of no size, and the window manager shows it).
//   A normal window without a button is a tool window (WS_EX_TOOLWINDOW); a
//   change of TaskbarButton changes the style and tells the shell's taskbar at once
//   (ITaskbarList), as the taskbar itself looks at a window only when it is shown.
// - Frames: every window keeps its pixels in a 32-bit DIB section. Present converts the
//   dirty part of a frame into it and copies what changed to the window at once; WM_PAINT
//   copies from it, so the system never waits for the program to repaint.
// - Shape: the window region becomes the system's window region (SetWindowRgn, the
//   region built with ExtCreateRegion from the TRegion's rectangles). A colour key makes
//   the window WS_EX_LAYERED with SetLayeredWindowAttributes (looked up in user32 at run
//   time) and LWA_COLORKEY: key pixels are neither drawn nor clickable.
// - Stay on top: HWND_TOPMOST / HWND_NOTOPMOST. Raise: HWND_TOP.
// - Input: mouse messages become button and move events in screen coordinates; WM_KEYDOWN
//   and WM_SYSKEYDOWN key downs with the system's virtual-key code; WM_CHAR (UTF-16, pairs
//   joined) characters; WM_SYSCHAR (Alt with a character, but Alt+Space, which opens the
//   system menu) system characters; WM_MOUSEWHEEL and WM_MOUSEHWHEEL wheel events;
//   WM_CLOSE a CloseRequest; a move or resize by the system (a dialog dragged by its
//   caption) a Moved event. Capture is SetCapture. A Tooltip is a Popup the pointer goes
//   through (HTTRANSPARENT).
// - Screen readers: a window given an accessible name answers WM_GETOBJECT with the
//   standard accessible object of its client area named so (win32accessible.h).
// - Waiting: WaitEvents dispatches what the thread's message queue holds and then sleeps
//   in MsgWaitForMultipleObjectsEx on the queue and an event that Wake() sets, with the
//   deadline as timeout. The clock is QueryPerformanceCounter's.
// - The screen: the primary monitor's size, pixels per inch and colour depth of the
//   screen device context, SPI_GETDRAGFULLWINDOWS, GetCursorPos; drag outlines with
//   DrawFocusRect on the screen's device context. The process is made DPI-aware, so
//   pixels are the screen's own.
// - A TWin32Window must be destroyed before its backend. Windows owned by a window that
//   is destroyed stay, owned by the application window from then on.
#pragma once

#include <memory>

#include "platform/native/native.h"

namespace native {

// Registers the window classes and makes the backend. Returns none when the system
// refuses the window class (there is no window station to show windows on).
std::unique_ptr<TBackend> CreateWin32Backend();

}  // namespace native
