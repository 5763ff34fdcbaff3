"""build/signsim for a test: a simulated sign on a pseudo-terminal (or a TCP port), and what
its log says was sent to it."""

import os
import re
import subprocess
import threading
import time


def required_path(variable):
    """A program the tests cannot do without, from the environment ctest gives them. Missing,
    the test fails: it never skips."""
    path = os.environ.get(variable)
    if not path or not os.access(path, os.X_OK):
        raise AssertionError('%s must name the program (it is %r); run the tests through ctest' % (variable, path))
    return path


# The configuration commands a write sends, as the item names signconfig-cli reports.
ITEM_PATTERNS = [
    (re.compile(r'^<DF pr=(\d)'), 'Priority {}'),
    (re.compile(r'^<id=(?:auto|user)>'), 'the ID mode'),
    (re.compile(r'^<UC>'), 'the user command'),
    (re.compile(r'^<link id=(\d)'), 'ID {}'),
]


class SimulatedSign:
    """One signsim process; `port` is what --port takes for it. Use it in a `with` block."""

    def __init__(self, *options, tcp=False):
        self.options = list(options) + (['--tcp', '0'] if tcp else [])
        self.port = None
        self._lines = []
        self._lock = threading.Lock()
        self._process = None
        self._reader = None

    def __enter__(self):
        self._process = subprocess.Popen([required_path('SIGNSIM')] + self.options, stdout=subprocess.PIPE,
                                         stderr=subprocess.STDOUT, text=True, encoding='latin-1')
        first = self._process.stdout.readline().strip()
        if not first.startswith(('/dev/', 'tcp://')):
            self._process.kill()
            raise AssertionError('signsim %s did not start: %r' % (' '.join(self.options), first))
        self.port = first
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()
        return self

    def __exit__(self, *exc):
        self._process.terminate()
        try:
            self._process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self._process.kill()
            self._process.wait()
        self._reader.join(timeout=5)
        self._process.stdout.close()
        return False

    def _read(self):
        for line in self._process.stdout:
            with self._lock:
                self._lines.append(line.rstrip('\n'))

    def log(self):
        """The log so far, once every connection made to the sign has closed (each program
        that talks to it opens and closes the port; the log's last notes can trail it)."""
        deadline = time.monotonic() + 10
        while True:
            with self._lock:
                lines = list(self._lines)
            if lines.count('# port opened') == lines.count('# port closed') or time.monotonic() > deadline:
                return lines
            time.sleep(0.02)

    def mark(self):
        """A place in the log: commands() and items() count from here."""
        return len(self.log())

    def commands(self, since=0):
        """The commands the sign received."""
        return [line[2:] for line in self.log()[since:] if line.startswith('< ')]

    def items(self, since=0):
        """The configuration items the sign received, named as signconfig-cli names them;
        a link's removal and the link after it are one item."""
        items = []
        for command in self.commands(since):
            for pattern, name in ITEM_PATTERNS:
                match = pattern.match(command)
                if match:
                    item = name.format(*match.groups())
                    if not items or items[-1] != item or not item.startswith('ID '):
                        items.append(item)
                    break
        return items
