"""Walking an application's accessible tree as a screen reader does when a window or a dialog
appears: each object's name, role, states and description, then its children one by one by
their index, depth first, every answer asked of the application afresh (no client-side cache)."""

import time

import pyatspi
from gi.repository import GLib


class Node:
    """What one walk saw of one object."""

    def __init__(self, accessible, name, role, description, states, depth):
        self.accessible = accessible
        self.name = name
        self.role = role
        self.description = description
        self.states = states
        self.depth = depth

    def showing(self):
        return pyatspi.STATE_SHOWING in self.states

    def __repr__(self):
        return f"{self.role} {self.name!r}"


def pump_events():
    """Hands the events the application sent meanwhile to the listeners, as a reader's main loop
    does between its questions."""
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def read(accessible, depth=0):
    """One object as a reader reads it; None when it went meanwhile (a box closing)."""
    try:
        accessible.clearCache()
        return Node(accessible, accessible.name, accessible.getRoleName(), accessible.description,
                    set(accessible.getState().getStates()), depth)
    except GLib.GError:
        return None


def walk(root, linger=None):
    """Every object under `root` (itself included), depth first. Like a reader, it counts an
    object's children when it reaches the object and then asks for them by index while it
    reads each child's own subtree; `linger(node)`, when given, is called on each object read
    and may take its time (a reader speaking it). An object that goes while it is asked is left
    out; whether the application still answers at all is the caller's check."""
    nodes = []

    def visit(accessible, depth):
        node = read(accessible, depth)
        if node is None:
            return
        nodes.append(node)
        if linger:
            linger(node)
        try:
            count = accessible.childCount
        except GLib.GError:
            return
        for i in range(count):
            try:
                child = accessible.getChildAtIndex(i)
            except GLib.GError:
                continue
            if child is not None:
                visit(child, depth + 1)
        pump_events()

    visit(root, 0)
    return nodes


class Listener:
    """A reader's ear: the application's events, and for each the name of the object it is
    about, asked as a reader asks it. While it is registered the application sends these events."""

    EVENTS = ("object:state-changed", "object:children-changed", "object:property-change",
              "object:text-changed", "object:selection-changed", "window", "focus")

    def __init__(self):
        self.heard = 0
        pyatspi.Registry.registerEventListener(self._heard, *self.EVENTS)

    def _heard(self, event):
        self.heard += 1
        try:
            if event.source is not None:
                event.source.clearCache()
                _ = event.source.name
        except GLib.GError:
            pass

    def close(self):
        pyatspi.Registry.deregisterEventListener(self._heard, *self.EVENTS)


def find_application(name, seconds=30):
    """The application called `name` on the desktop, once it has a window."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        pump_events()
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            try:
                app = desktop.getChildAtIndex(i)
                if app is not None and app.name == name and app.childCount > 0:
                    return app
            except GLib.GError:
                continue
        time.sleep(0.1)
    raise AssertionError(f"no application {name!r} with a window appeared on the accessibility bus in {seconds} s")
