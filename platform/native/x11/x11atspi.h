// TX11Accessibility: the program's windows for screen readers (Orca), over AT-SPI on the
// accessibility bus, with sd-bus and no toolkit. What the objects are and answer is
// x11atspitree.h; this is the bus.
//
// It costs nothing where no assistive technology runs, and never makes the program wait:
// - Finding the bus: the address in the root window's AT_SPI_BUS property (set by the
//   accessibility bus launcher); without it, and only where there is a session bus, the
//   launcher is asked on the session bus (org.a11y.Bus) whether accessibility is on
//   (org.a11y.Status: IsEnabled or ScreenReaderEnabled) and then for the address, without
//   starting the launcher when it is not running. When accessibility is off, the session
//   bus tells when it is switched on, or when a launcher starts: the program connects then.
//   With neither the property nor a session bus, nothing happens at all.
// - On the accessibility bus the application's root is embedded in the desktop
//   (org.a11y.atspi.Socket.Embed on the registry), and again when the registry announces
//   itself anew; it answers Accessible and Application, each window's object Accessible
//   and Component. Events go out only while the registry says that someone listens for
//   them: a changed name (object:property-change:accessible-name, each tick for the
//   clock), windows coming and going (object:children-changed), a window taking or losing
//   the keyboard (window:activate, window:deactivate, object:state-changed:active).
// - Waiting: every call is asynchronous. The backend polls the buses' descriptors with its
//   own (Watch) and hands back what poll found (Service); the descriptors are quiet when
//   nobody asks anything, so an idle program wakes no more often than without them.
//   When the accessibility bus goes away (the session ends, the launcher is restarted),
//   the objects go with it, and the program waits for a new one as at the start.
#pragma once

#include <poll.h>

#include <cstdint>
#include <memory>

#include "platform/native/x11/x11atspitree.h"
#include "platform/native/x11/x11handles.h"

namespace native {

class TX11Accessibility {
public:
    virtual ~TX11Accessibility() = default;

    // A window changed (its name, title, bounds, visibility or focus), or is gone.
    virtual void WindowChanged(const atspi::TAccessibleWindow& window) = 0;
    virtual void WindowGone(uint64_t window) = 0;

    // The most descriptors Watch writes.
    static constexpr int kMaxWatched = 2;
    // Writes the descriptors to wait on, with the events to wait for; returns how many.
    virtual int Watch(pollfd* fds) const = 0;
    // The monotonic time (milliseconds) by which Service must run even if no descriptor is
    // ready (an unanswered call times out); -1 for none.
    virtual int64_t DeadlineMs() const = 0;
    // Does what the descriptors written by Watch (with poll's answers in them) and the
    // clock call for, without waiting.
    virtual void Service(const pollfd* fds, int count) = 0;

    // Whether the application is on an accessibility bus, embedded in its desktop.
    virtual bool Embedded() const = 0;
};

// Starts looking for the accessibility bus of the display's desktop (atSpiBus: the atom
// AT_SPI_BUS); none when there is no way to reach one (no AT_SPI_BUS on the root window
// and no session bus).
std::unique_ptr<TX11Accessibility> StartX11Accessibility(Display* display, Window root,
                                                         Atom atSpiBus);

}  // namespace native
