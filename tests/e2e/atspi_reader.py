#!/usr/bin/python3
# What a screen reader learns of a program, through the library Orca reads the desktop
# with (libatspi, here by way of pyatspi). The end-to-end tests run it beside the program
# and read its answers, one per line, tab-separated:
#
#   atspi_reader.py apps          app <name>, for each application on the desktop
#   atspi_reader.py read NAME     waits up to 10 s for the application NAME, then prints
#       app     <name> <role> <child count>
#       window  <role> <name> <description> <x,y,width,height> <index in parent> <states>
#               for each of its children (the extents in screen coordinates)
#       event   <name>   for the first name change of its first child within 5 s,
#               or "noevent"
#   atspi_reader.py activate NAME   waits up to 10 s for the application NAME, prints
#       listening, then for the first window of it activated within 10 s
#       activated <name> <states>, or "noevent"
import sys
import time

import pyatspi
from gi.repository import GLib


def applications():
    return [app for app in pyatspi.Registry.getDesktop(0) if app is not None]


def find(name, seconds):
    deadline = time.monotonic() + seconds
    while True:
        for app in applications():
            if app.name == name:
                return app
        if time.monotonic() > deadline:
            return None
        time.sleep(0.05)


def line(*fields):
    print("\t".join(str(f) for f in fields), flush=True)


def read(name):
    app = find(name, 10)
    if app is None:
        line("noapp")
        return 1
    line("app", app.name, app.getRoleName(), app.childCount)
    for window in app:
        e = window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        states = ",".join(sorted(pyatspi.stateToString(s) for s in window.getState().getStates()))
        line("window", window.getRoleName(), window.name, window.description,
             "%d,%d,%d,%d" % (e.x, e.y, e.width, e.height), window.getIndexInParent(), states)
    if app.childCount == 0:
        return 0
    first = app[0]
    heard = []

    def on_event(event):
        if event.source == first and not heard:
            heard.append(event.source.name)
            pyatspi.Registry.stop()

    pyatspi.Registry.registerEventListener(on_event, "object:property-change:accessible-name")
    GLib.timeout_add(5000, pyatspi.Registry.stop)
    pyatspi.Registry.start()
    line("event", heard[0]) if heard else line("noevent")
    return 0


def activate(name):
    app = find(name, 10)
    if app is None:
        line("noapp")
        return 1
    heard = []

    def on_event(event):
        if event.source.getApplication() == app and not heard:
            states = ",".join(sorted(pyatspi.stateToString(s) for s in event.source.getState().getStates()))
            heard.append((event.source.name, states))
            pyatspi.Registry.stop()

    pyatspi.Registry.registerEventListener(on_event, "window:activate")
    GLib.idle_add(lambda: line("listening"))
    GLib.timeout_add(10000, pyatspi.Registry.stop)
    pyatspi.Registry.start()
    line("activated", *heard[0]) if heard else line("noevent")
    return 0


def main():
    if sys.argv[1:] == ["apps"]:
        for app in applications():
            line("app", app.name)
        return 0
    if len(sys.argv) == 3 and sys.argv[1] == "read":
        return read(sys.argv[2])
    if len(sys.argv) == 3 and sys.argv[1] == "activate":
        return activate(sys.argv[2])
    print("usage: atspi_reader.py apps | read NAME | activate NAME", file=sys.stderr)
    return 2


sys.exit(main())
