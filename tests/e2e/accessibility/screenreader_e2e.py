#!/usr/bin/python3
"""End-to-end: the real tool on an X display of its own with the accessibility bus on, its
whole accessible tree walked as a screen reader walks it after every step and while every box
and window is up: start-up, download, a failed port, uploads, File > Save and Open, each
secondary window, the Ports dialog with Find Sign, Sign Traffic and About. A crash, a tool that
stops answering, or a control of the main window a reader can no longer find by its name fails
it; so does anything it needs that is missing (Xvfb, the buses, pyatspi, xdotool, the simulated
sign).

usage: screenreader_e2e.py SIGNCONFIG SIGNSIM"""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from desktop import Desktop, Missing  # noqa: E402

MAIN_TITLE = "Sign Configuration Manager ver 4.8b"
MAIN_WINDOW = "^\\*?Sign Configuration Manager ver"  # its title as xdotool looks for it

# What a reader must find in the main window after every step: the captions of its buttons and
# check boxes, and the names of the controls without a caption of their own.
MAIN_WINDOW_NAMES = (
    ["Download from Sign", "Upload to Sign", "Force Upload", "Upload Factory Defaults", "Setup Default Message",
     "Send Test Message", "Auto sequence messages", "Force all messages to ID 0", "Comport", "Ports",
     "User Defined Reset Command", "Upload progress", "Maker's home page", "Linked to Capcode", "Linked to Priority"]
    + [f"Priority {n} {what}" for n in range(5)
       for what in ("Font", "Style", "Color", "Speed", "Align", "Pause", "Beep", "Timeout")]
    + [f"ID {i} {what}" for i in range(8) for what in ("Capcode", "Priority")]
)


def is_main(window):
    return window.role == "frame" and window.name.lstrip("*") == MAIN_TITLE


def is_box(window):
    """A message box of the main window (they carry the tool's name as their title)."""
    return window.role in ("alert", "dialog") and window.name == "Sign Configuration Manager"


def titled(title):
    return lambda window: window.name == title


class Scenario:
    """The steps. Each walks the tree once its window is up; a window's closing is walked by the
    step after it, with the next window up."""

    def __init__(self, driver, folder):
        self.d = driver
        self.folder = folder
        self.walks = 0

    # --- the check after every step ---

    def step(self, what, linger=None):
        """The reader walks every window of the tool; the tool lives through it, and the main
        window's controls are all there by name."""
        started = time.monotonic()
        nodes = self.d.walk(what, linger)
        self.walks += 1
        main = next((n for n in nodes if is_main(n)), None)
        if main is None:
            raise AssertionError(f"{what}: the main window is not in the tree")
        start = nodes.index(main)
        end = next((i for i in range(start + 1, len(nodes)) if nodes[i].depth <= main.depth), len(nodes))
        inside = nodes[start:end]
        # Qt on Linux speaks a combo box by its current entry; its name is in its description.
        names = {n.name for n in inside} | {n.description for n in inside if n.role == "combo box"}
        missing = [name for name in MAIN_WINDOW_NAMES if name not in names]
        if missing:
            raise AssertionError(f"{what}: a reader no longer finds {missing} in the main window")
        print(f"ok  {what}  ({len(nodes)} objects, {time.monotonic() - started:.1f} s)", flush=True)

    def step_meanwhile(self, what, name, action):
        """A step during whose walk the operator acts: when the reader reaches the control called
        `name` (a combo box by its description), `action()` runs before the reader goes on."""
        done = []

        def linger(node):
            if not done and (node.name == name or (node.role == "combo box" and node.description == name)):
                done.append(node)
                action()
        self.step(what, linger)
        if not done:
            raise AssertionError(f"{what}: the reader never reached {name!r}")

    # --- helpers ---

    def control(self, name, role):
        return self.d.find(name, role)

    def press(self, caption):
        self.d.press(self.control(caption, "push button"))

    def press_in(self, window, caption):
        from tree import walk
        self.d.press(self.d.find(caption, "push button", nodes=walk(window.accessible)))

    def wait_idle(self, what):
        """The sequence on the port is over: its buttons have their captions back and work."""
        import pyatspi
        from tree import read
        for caption in ("Download from Sign", "Upload to Sign"):
            button = self.control(caption, "push button")

            def back():
                now = read(button.accessible)
                return now is not None and now.name == caption and pyatspi.STATE_ENABLED in now.states
            self.d.wait_for(what, back, 30)

    def upload_with(self, caption):
        """Presses an upload button and waits for the sequence to run: the upload button says
        "Writing..." while it does, and has its caption back and works afterwards."""
        upload = self.control("Upload to Sign", "push button")
        self.press(caption)
        self.d.wait_for_name(f"{caption} to start", upload, lambda name: name == "Writing...")
        self.wait_idle(f"the end of {caption}")

    def choose_port(self, number):
        # The list opens on a click and the keys pick the entry in it.
        comport = self.control("Comport", "combo box")
        self.d.click(comport)
        self.d.xdotool("key", "--delay", "80", "Home", *(["Down"] * (number - 1)), "Return")
        self.d.wait_for_name(f"COM {number} chosen", comport,
                             lambda name: name == f"COM {number}" or name.startswith(f"{number}-"))

    def edit_line(self, name, text):
        """Replaces what a one-line box holds, typed as a person does."""
        self.d.click(self.control(name, "text"))
        self.d.xdotool("key", "--delay", "40", "ctrl+a", "BackSpace")
        if text:
            self.d.xdotool("type", "--delay", "30", text)

    def window(self, title):
        return self.d.wait_for_window(f"the {title!r} window", titled(title))

    def close(self, title, keys=("Escape",)):
        self.d.keys(f"^{title}$", *keys)
        self.d.wait_until_gone(f"the {title!r} window closing", titled(title))

    # --- the steps ---

    def start_up(self):
        self.d.wait_for_window("the main window", is_main)
        self.step("start-up")

    def download(self):
        self.press("Download from Sign")
        model = self.d.find(role="label", description="Type")
        self.d.wait_for_name("the sign's model", model, lambda name: name == "RW2290", 20)
        self.wait_idle("the end of the download")
        self.step("download from the sign on COM 1")

    def failed_port(self):
        """Download, then Upload, on a COM number without a device: the status line says why at
        length, then Upload's box comes up and the status line changes behind it, while the
        reader is half way through the main window."""
        self.choose_port(5)
        self.press("Download from Sign")
        status = self.d.find(role="label", description="Status")
        self.d.wait_for_name("the failed opening's status", status, lambda name: "COM 5 could not be opened" in name)

        def upload():
            self.press("Upload to Sign")
            self.d.wait_for_window("the Cannot Open Port box", is_box)
        self.step_meanwhile("COM 5: Upload pressed during the walk, the Cannot Open Port box comes up",
                            "Download from Sign", upload)
        self.step("COM 5: the Cannot Open Port box read again")
        self.press_in(self.d.wait_for_window("the Cannot Open Port box", is_box), "OK")
        self.d.wait_until_gone("the box closing", is_box)
        self.choose_port(1)
        self.step("the box closed, COM 1 chosen again")

    def upload(self):
        self.edit_line("User Defined Reset Command", "RESET7")
        self.upload_with("Upload to Sign")
        self.step("an upload")

    def force_upload_then_typing(self):
        """Every link row cleared and Force Upload; once it has ended, a digit added to Priority
        2 Timeout turns the row's caption bold (not on the sign yet), and taking it back while
        the reader walks turns it plain again."""
        for i in range(8):
            self.edit_line(f"ID {i} Capcode", "")
        self.upload_with("Force Upload")
        timeout = self.control("Priority 2 Timeout", "text")
        self.d.click(timeout)
        self.d.xdotool("key", "End", "9")
        caption = self.control("Priority 2", "label")
        self.d.wait_for("the caption marked changed", lambda: self._says_changed(caption))

        def take_back():
            self.d.click(timeout)
            self.d.xdotool("key", "End", "BackSpace")
            self.d.wait_for("the caption plain again", lambda: not self._says_changed(caption))
        self.step_meanwhile("Priority 2 Timeout typed into while the reader walks", "Priority 2 Timeout", take_back)

    @staticmethod
    def _says_changed(caption):
        from tree import read
        now = read(caption.accessible)
        return now is not None and bool(now.description)

    def default_message_window(self, round):
        """Setup Default Message opened, its message edited, and closed: the question about the
        unsent change is answered Keep, so that the main window's button turns bold and says so
        in its description. The main window is walked again by the next step."""
        self.press("Setup Default Message")
        window = self.window("Setup Default Message")
        self.step(f"Setup Default Message open ({round})")
        from tree import walk
        self.d.click(self.d.find("Message", "text", nodes=walk(window.accessible)))
        self.d.xdotool("type", "--delay", "30", f" {round}")
        self.d.keys("^Setup Default Message$", "Escape")
        question = self.d.wait_for_window("the unsent-change question", lambda w: w.role == "alert"
                                          and w.name == "Setup Default Message")
        self.step(f"Setup Default Message: the question about the unsent change ({round})")
        self.press_in(question, "Keep")
        self.d.wait_until_gone("the default-message window closing", titled("Setup Default Message"))
        self.d.wait_for("the kept message marked on the main window",
                        lambda: self._says_changed(self.control("Setup Default Message", "push button")))

    def test_message_window(self):
        """Send Test Message after those: a font chosen there is written through to priority 0 of
        the main window (its caption turns bold), and choosing the first one again while the
        reader walks turns the caption plain."""
        import pyatspi
        from tree import walk
        self.press("Send Test Message")
        window = self.window("Send Test Message")
        self.step("Send Test Message open")
        fonts = self.d.find("Font", "list", nodes=walk(window.accessible))
        items = self.d.find_all(role="list item", nodes=walk(fonts.accessible))
        first = next(item for item in items if pyatspi.STATE_SELECTED in item.states)
        other = next(item for item in items if item.name != first.name and not item.name.startswith("-"))
        self.d.click(other)
        caption = self.control("Priority 0", "label")
        self.d.wait_for("the main window's caption marked changed", lambda: self._says_changed(caption))

        def choose_again():
            self.d.click(first)
            self.d.wait_for("the caption plain again", lambda: not self._says_changed(caption))
        self.step_meanwhile("Send Test Message: a font chosen again while the reader walks", "Priority 0 Font",
                            choose_again)
        self.close("Send Test Message")

    def file_dialog(self, menu_keys, what, path):
        """File > Save or Open: its dialog walked while it is up, then `path` typed into it."""
        self.d.keys(MAIN_WINDOW, menu_keys)
        dialog = self.d.wait_for_window(f"the {what} dialog", lambda w: w.role == "dialog")
        self.step(f"File > {what}: its dialog is up")
        self.d.type(f"^{dialog.name}$", path)
        self.d.xdotool("key", "Return")
        self.d.wait_until_gone(f"the {what} dialog closing", titled(dialog.name))

    def files(self):
        saved = os.path.join(self.folder, "walked.led")
        self.file_dialog("ctrl+s", "Save", saved)
        self.d.wait_for(f"{saved} written", lambda: os.path.exists(saved))
        self.file_dialog("ctrl+o", "Open", saved)
        suggestion = self.window("Suggestion")
        self.step("File > Open: the suggestion after it")
        self.press_in(suggestion, "OK")
        self.d.wait_until_gone("the suggestion closing", titled("Suggestion"))

    def factory_defaults_warning(self):
        self.press("Upload Factory Defaults")
        warning = self.window("Setup Factory Defaults")
        self.step("the factory-defaults Warning is up")
        self.press_in(warning, "No")  # nothing is sent
        self.d.wait_until_gone("the Warning closing", titled("Setup Factory Defaults"))

    def ports_dialog(self):
        self.d.keys(MAIN_WINDOW, "alt+t", "p")
        ports = self.window("Ports")
        self.step("the Ports dialog is up")
        self.press_in(ports, "Find Sign")
        from tree import walk
        self.d.wait_for("Find Sign to find the sign on COM 1", lambda: any(
            n.name.startswith("Found a sign on COM 1") for n in walk(ports.accessible)), 30)
        self.step("Ports: Find Sign done")
        self.press_in(ports, "Close")
        self.d.wait_until_gone("the Ports dialog closing", titled("Ports"))

    def sign_traffic(self):
        self.d.keys(MAIN_WINDOW, "alt+t", "t")
        traffic = self.window("Sign Traffic")
        self.step("Sign Traffic open")
        # A window of its own, announced as one, and beside the main window rather than over it.
        if traffic.role != "frame":
            raise AssertionError(f"Sign Traffic is announced as {traffic.role!r}, not as a window (frame)")
        main = self.d.window_geometry(MAIN_WINDOW)
        beside = self.d.window_geometry("^Sign Traffic$")
        if overlap(main, beside):
            raise AssertionError(f"Sign Traffic {beside} opens over the main window {main}")

    def about(self):
        self.d.keys(MAIN_WINDOW, "alt+h", "a")
        self.window("About")
        self.step("About open")
        self.close("About")

    def leave(self):
        """File > Exit with a change the sign does not hold: the question is answered Discard,
        and the tool ends of itself, cleanly."""
        self.edit_line("User Defined Reset Command", "UNSENT")
        self.d.keys(MAIN_WINDOW, "ctrl+q")
        question = self.d.wait_for_window("the question before closing", is_box)
        self.step("the question before closing")
        self.press_in(question, "Discard")
        code = self.d.desktop.tool.wait(timeout=30)
        if code != 0:
            raise AssertionError(f"the tool ended with {code} after File > Exit\n{self.d.desktop.tool_log()}")


def overlap(a, b):
    ax, ay, aw, ah = a
    bx, by, bw, bh = b
    return ax < bx + bw and bx < ax + aw and ay < by + bh and by < ay + ah


def run(tool, simulator):
    started = time.monotonic()
    with Desktop(tool, simulator) as desktop:
        # The reader talks to this desktop's buses only; it connects when first imported.
        for key in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS", "XDG_RUNTIME_DIR"):
            os.environ[key] = desktop.env[key]
        import pyatspi
        import tree
        from driver import Driver
        # A tool inside a box still answers, but a loaded machine answers slowly.
        pyatspi.setTimeout(15000, 30000)
        listener = tree.Listener()
        scenario = Scenario(Driver(desktop, "signconfig"), str(desktop.path("data")))
        try:
            scenario.start_up()
            scenario.download()
            scenario.failed_port()
            scenario.upload()
            scenario.force_upload_then_typing()
            for round in (1, 2, 3):
                scenario.default_message_window(round)
            scenario.test_message_window()
            scenario.files()
            scenario.factory_defaults_warning()
            scenario.ports_dialog()
            scenario.about()
            scenario.sign_traffic()
            scenario.leave()
        finally:
            listener.close()
    print(f"passed: {scenario.walks} walks, {listener.heard} events heard, {time.monotonic() - started:.0f} s",
          flush=True)


def main(argv):
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        run(argv[1], argv[2])
    except (Missing, AssertionError, ImportError) as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
