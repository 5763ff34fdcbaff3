"""Driving the running tool as a person with a screen reader does: keys and clicks through
xdotool on the tool's own X display, buttons through their accessible action, and the reader's
walks of the whole tree, after which the tool must still be there and answering."""

import signal
import subprocess
import time

import pyatspi
from gi.repository import GLib

import tree


def describe_exit(code):
    return f"signal {signal.Signals(-code).name}" if code < 0 else f"exit code {code}"


class Driver:
    def __init__(self, desktop, app_name):
        self.desktop = desktop
        self.env = desktop.env
        self.app = tree.find_application(app_name)
        self.nodes = []

    # --- is it still there ---

    def check_alive(self, step):
        """The tool runs and answers a question on the bus."""
        code = self.desktop.tool.poll()
        if code is not None:
            raise AssertionError(f"{step}: the tool ended with {describe_exit(code)}\n{self.desktop.tool_log()}")
        try:
            self.app.clearCache()
            _ = self.app.childCount
        except GLib.GError as error:
            raise AssertionError(f"{step}: the tool no longer answers on the accessibility bus: {error}")

    def walk(self, step, linger=None):
        """Every window of the tool walked whole; the tool must live through it."""
        self.check_alive(step)
        self.nodes = tree.walk(self.app, linger)
        self.check_alive(step)
        return self.nodes

    # --- what the last walk saw ---

    def find_all(self, name=None, role=None, description=None, nodes=None):
        # A combo box is spoken by its current entry; its own name is its description.
        return [n for n in (self.nodes if nodes is None else nodes)
                if (name is None or n.name == name or (n.role == "combo box" and n.description == name))
                and (role is None or n.role == role) and (description is None or n.description == description)]

    def find(self, name=None, role=None, description=None, nodes=None):
        found = self.find_all(name, role, description, nodes)
        if not found:
            raise AssertionError(f"no {role or 'object'} named {name!r} in the tree")
        return found[0]

    def top_levels(self):
        """The tool's windows and dialogs that are on the screen now, freshly asked."""
        shown = []
        try:
            self.app.clearCache()
            children = [self.app.getChildAtIndex(i) for i in range(self.app.childCount)]
        except GLib.GError:
            self.check_alive("asking for the tool's windows")
            return shown
        for child in children:
            node = tree.read(child) if child is not None else None
            if node is not None and node.showing():
                shown.append(node)
        return shown

    def wait_for(self, what, predicate, seconds=15):
        deadline = time.monotonic() + seconds
        while True:
            tree.pump_events()
            result = predicate()
            if result:
                return result
            self.check_alive(what)
            if time.monotonic() > deadline:
                raise AssertionError(f"waited {seconds} s for {what}")
            time.sleep(0.05)

    def wait_for_window(self, what, match, seconds=15):
        """A window of the tool on the screen for which `match(node)` holds."""
        return self.wait_for(what, lambda: next((w for w in self.top_levels() if match(w)), None), seconds)

    def wait_until_gone(self, what, match, seconds=15):
        self.wait_for(what, lambda: not any(match(w) for w in self.top_levels()), seconds)

    def wait_for_name(self, what, node, predicate, seconds=15):
        """Until the object's name (its text, for a value label) satisfies `predicate`."""
        def now():
            fresh = tree.read(node.accessible)
            return fresh is not None and predicate(fresh.name)
        self.wait_for(what, now, seconds)

    # --- acting ---

    def press(self, node):
        """The press action a reader offers for a button: the button is clicked just after the
        call returns, so a box it opens does not hold the answer up."""
        action = node.accessible.queryAction()
        for i in range(action.nActions):
            if action.getName(i) == "Press":
                action.doAction(i)
                return
        raise AssertionError(f"{node} offers no press action")

    def click(self, node):
        """A left click in the middle of the object, where the tool says it is on the screen."""
        box = node.accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        # Without --sync: it waits 15 s for a pointer that is already there to move, and the
        # server takes the move and the click in the order they were sent anyway.
        self.xdotool("mousemove", str(box.x + box.width // 2), str(box.y + box.height // 2), "click", "1")

    def xdotool(self, *arguments):
        done = subprocess.run(["xdotool", *arguments], env=self.env, timeout=30, capture_output=True, text=True)
        if done.returncode != 0:
            raise AssertionError(f"xdotool {' '.join(arguments)}: {done.stderr.strip()}")
        return done.stdout

    def focus_window(self, title_pattern):
        """Gives the keyboard to the tool's window whose title matches the pattern; there is no
        window manager on this display to do it."""
        ids = self.xdotool("search", "--sync", "--all", "--onlyvisible", "--pid", str(self.desktop.tool.pid),
                           "--name", title_pattern).split()
        self.xdotool("windowfocus", "--sync", ids[-1])

    def keys(self, title_pattern, *keys):
        self.focus_window(title_pattern)
        self.xdotool("key", "--delay", "60", *keys)

    def type(self, title_pattern, text):
        self.focus_window(title_pattern)
        self.xdotool("type", "--delay", "30", text)

    def window_geometry(self, title_pattern):
        """(x, y, width, height) of the tool's window with that title, as the X server has it."""
        ids = self.xdotool("search", "--sync", "--all", "--onlyvisible", "--pid", str(self.desktop.tool.pid),
                           "--name", title_pattern).split()
        shown = dict(line.split("=", 1) for line in self.xdotool("getwindowgeometry", "--shell", ids[-1]).split())
        return int(shown["X"]), int(shown["Y"]), int(shown["WIDTH"]), int(shown["HEIGHT"])
