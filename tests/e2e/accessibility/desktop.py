"""A private desktop for the tool: an X server, a session bus, the accessibility bus, the
simulated sign on COM 1 and the tool itself, all in a temporary folder and all stopped again,
whatever happens, when the `with` block ends."""

import os
import pathlib
import select
import shutil
import signal
import subprocess
import tempfile
import time

BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
HERE = pathlib.Path(__file__).resolve().parent


class Missing(Exception):
    """Something the test needs is not there: the test fails with this sentence."""


def _need(program):
    path = shutil.which(program) if "/" not in program else program
    if not path or not os.access(path, os.X_OK):
        raise Missing(f"{program} is missing (Debian: xvfb, dbus, at-spi2-core, xdotool)")
    return path


def _read_line_from(fd, seconds, what):
    """The first line a child writes to `fd`, waiting at most `seconds`."""
    deadline = time.monotonic() + seconds
    data = b""
    while b"\n" not in data:
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            raise Missing(f"{what} did not start within {seconds} s")
        chunk = os.read(fd, 4096)
        if not chunk:
            raise Missing(f"{what} exited before it was ready")
        data += chunk
    return data.split(b"\n", 1)[0].decode().strip()


class Desktop:
    """Start with `with Desktop(tool, simulator) as desktop:`; `desktop.env` is the environment
    the tool runs in, `desktop.tool` its process."""

    def __init__(self, tool, simulator):
        self._tool_path = _need(tool)
        self._simulator_path = _need(simulator)
        self._children = []  # (name, Popen), stopped in reverse order
        self._dir = None
        self.env = None
        self.tool = None

    # --- the parts, in the order they start ---

    def __enter__(self):
        try:
            self._dir = pathlib.Path(tempfile.mkdtemp(prefix="signconfig-a11y-"))
            self._start_x()
            self._start_session_bus()
            self._start_accessibility_bus()
            self._start_simulator()
            self._start_tool()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def _spawn(self, name, argv, env, **kwargs):
        # Each child leads a process group of its own, so that what it starts (the bus launcher's
        # own bus, the registry the bus activates) goes with it.
        log = open(self._dir / f"{name}.log", "wb")
        try:
            process = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                       start_new_session=True, **kwargs)
        finally:
            log.close()
        self._children.append((name, process))
        return process

    def _start_x(self):
        xvfb = _need("Xvfb")
        read_end, write_end = os.pipe()
        try:
            self._spawn("xvfb", [xvfb, "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                                 "-noreset"], dict(os.environ), pass_fds=(write_end,))
            os.close(write_end)
            write_end = -1
            display = _read_line_from(read_end, 20, "Xvfb")
        finally:
            os.close(read_end)
            if write_end >= 0:
                os.close(write_end)
        runtime = self._dir / "runtime"
        runtime.mkdir(mode=0o700)
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": str(self._dir / "home"),
            "DISPLAY": f":{display}",
            "XDG_RUNTIME_DIR": str(runtime),
            "XDG_CONFIG_HOME": str(self._dir / "config"),
            "XDG_DATA_HOME": str(self._dir / "data"),
            "XDG_CACHE_HOME": str(self._dir / "cache"),
            "LANG": "C.UTF-8",
        }
        for key in ("ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"):
            if key in os.environ:
                self.env[key] = os.environ[key]
        for folder in ("home", "config", "data", "cache"):
            (self._dir / folder).mkdir()

    def _start_session_bus(self):
        read_end, write_end = os.pipe()
        try:
            self._spawn("session-bus", [_need("dbus-daemon"), "--session", "--nofork", "--nosyslog",
                                        f"--address=unix:path={self._dir / 'runtime' / 'bus'}",
                                        f"--print-address={write_end}"], self.env, pass_fds=(write_end,))
            os.close(write_end)
            write_end = -1
            self.env["DBUS_SESSION_BUS_ADDRESS"] = _read_line_from(read_end, 20, "the session bus")
        finally:
            os.close(read_end)
            if write_end >= 0:
                os.close(write_end)

    def _start_accessibility_bus(self):
        # Without a display, so that the launcher leaves the X root window alone (see _start_tool).
        launcher_env = {k: v for k, v in self.env.items() if k != "DISPLAY"}
        self._spawn("a11y-bus", [_need(BUS_LAUNCHER), "--launch-immediately", "--a11y=1"], launcher_env)
        deadline = time.monotonic() + 20
        while True:
            answer = subprocess.run([_need("dbus-send"), "--session", "--print-reply=literal", "--dest=org.a11y.Bus",
                                     "/org/a11y/bus", "org.a11y.Bus.GetAddress"], env=self.env, capture_output=True,
                                    text=True, timeout=10)
            address = answer.stdout.strip()
            if answer.returncode == 0 and address:
                break
            if time.monotonic() > deadline:
                raise Missing(f"the accessibility bus did not start: {answer.stderr.strip()}")
            time.sleep(0.1)
        self.env["AT_SPI_BUS_ADDRESS"] = address
        # The registry is started on demand; a Qt application that finds none at its start
        # stays off the desktop, so it is asked for first, as a running screen reader has.
        ping = subprocess.run([_need("dbus-send"), f"--bus={address}", "--print-reply",
                               "--dest=org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root",
                               "org.freedesktop.DBus.Peer.Ping"], env=self.env, capture_output=True, text=True,
                              timeout=20)
        if ping.returncode != 0:
            raise Missing(f"the accessibility registry did not start: {ping.stderr.strip()}")

    def _start_simulator(self):
        # Its conversation goes to its log for as long as it runs; the link is made once it is
        # ready.
        link = self._dir / "config" / "signconfig" / "ports" / "COM1"
        sim = self._spawn("signsim", [self._simulator_path, "--model", "RW2290", "--build", "41", "--link", str(link),
                                      "--state", str(self._dir / "sign-state")], self.env)
        deadline = time.monotonic() + 20
        while not link.is_symlink():
            if sim.poll() is not None or time.monotonic() > deadline:
                raise Missing(f"the simulated sign did not start: {(self._dir / 'signsim.log').read_text()}")
            time.sleep(0.05)

    def _start_tool(self):
        # The tool finds the accessibility bus through the session bus, as on a desktop: Qt 6.4
        # given its address directly (AT_SPI_BUS_ADDRESS, or the X root window's AT_SPI_BUS)
        # connects before its bridge listens and never registers with the registry.
        env = {k: v for k, v in self.env.items() if k != "AT_SPI_BUS_ADDRESS"}
        env.update(QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        for key, extra in (("ASAN_OPTIONS", "asan.supp"), ("LSAN_OPTIONS", "lsan.supp")):
            if key in env:
                env[key] = self._with_suppressions(env[key], HERE / extra, key.lower())
        self.tool = self._spawn("signconfig", [self._tool_path], env)

    def _with_suppressions(self, options, extra, name):
        """Sanitizer `options` whose suppressions are the suite's file, if it names one, and then
        `extra`: a sanitizer reads one file only, so the two go into one here."""
        kept = []
        text = ""
        for option in options.split(":"):
            key, _, value = option.partition("=")
            if key == "suppressions":
                text = pathlib.Path(value).read_text()
            elif option:
                kept.append(option)
        joined = self._dir / f"{name}.supp"
        joined.write_text(text + "\n" + extra.read_text())
        return ":".join(kept + [f"suppressions={joined}"])

    # --- questions and the end ---

    def path(self, name):
        return self._dir / name

    def tool_log(self):
        try:
            return (self._dir / "signconfig.log").read_text(errors="replace")
        except OSError:
            return ""

    def __exit__(self, *exc):
        for _, process in reversed(self._children):
            self._stop(process)
        self._children.clear()
        if self._dir:
            shutil.rmtree(self._dir, ignore_errors=True)
        return False

    @staticmethod
    def _stop(process):
        if process.returncode is not None:
            # Ended and reaped before: its number may be someone else's by now.
            return
        # Not reaped yet, so the number is still its group's (a zombie holds it too).
        os.killpg(process.pid, signal.SIGTERM)
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            pass
        # The group may outlive its leader (the bus a launcher started); the leader's number
        # stays the group's while any of it lives.
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        if process.returncode is None:
            process.wait(timeout=5)
