"""Driving a program of ours in a virtual X display, as a person would.

The desktop tests of the platform (desktop_scenario.py) and of the viewer use this:

    with VirtualDisplay() as display:                      # Xvfb, no window manager
        program = Program([binary, folder], display.env)   # its stdout, line by line
        window = find_window(display.env, r"^Orvalis")     # xdotool search, bounded
        wait_focused(display.env, window)                   # before typing
        program.wait_line(r"ready .*")
        key(display.env, "F10", "Down", "Return")
        shot = Screenshot.take(display.env, artifacts / "menu.png")
        assert shot.pixel(x, y) == (255, 0, 0)
        assert program.wait_exit() == 0

Every wait is a bounded poll (WAIT_SECONDS in POLL_SECONDS steps) that raises Failure
with what was expected; nothing sleeps longer than needed. A scenario script plays its
steps inside play_scenario, which turns a Failure into the report and the exit status.

Every program a test starts (start_program: the display, the program under test) runs in
a process group of its own, which end_process ends whole, and dies with the test however
the test ends: killed by CTest's timeout, it says nothing, so the kernel ends its programs
(a parent-death signal, set before the program runs and again by setpriv after a change
of user). At the end, programs_left() names any that is
still there, and play_scenario fails for it.
"""

import argparse
import contextlib
import ctypes
import os
import pathlib
import re
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import threading
import time
import zlib

WAIT_SECONDS = 10.0
POLL_SECONDS = 0.05
# CTest's status for a skipped test (SKIP_RETURN_CODE).
SKIPPED = 77
TOOLS = {
    "Xvfb": "xvfb",
    "xdotool": "xdotool",
    "import": "imagemagick",
    "convert": "imagemagick",
}


class Failure(Exception):
    """A desktop test found something other than what it expected."""


class DisplayUnavailable(Failure):
    """The display cannot start at all on this machine (the only reason to skip)."""


def require_tools(tools=TOOLS, needs="the desktop tests need Xvfb, xdotool and ImageMagick"):
    """Fails with the packages to install when one of `tools` ({tool: package}) is missing."""
    missing = sorted({package for tool, package in tools.items() if not shutil.which(tool)})
    if missing:
        raise Failure(f"{needs}; missing package(s): " + " ".join(missing)
                      + ". Install them with scripts/ensure-deps.sh (as root) or: apt-get install -y "
                      + " ".join(missing))


# The programs started by this test (start_program), checked at its end (programs_left).
STARTED = []


_LIBC = ctypes.CDLL(None, use_errno=True)
_PR_SET_PDEATHSIG = 1


def owned(argv, credentials=()):
    """`argv` as a program of the test's own, as the user of `credentials` (setpriv options,
    e.g. --reuid): the kernel kills it when the test dies. A change of user clears that
    signal, so setpriv sets it again after the change."""
    return ["setpriv", "--pdeathsig", "KILL", *credentials, "--", *argv]


def _die_with(test):
    """In the started program, before it runs: killed when the test dies, and at once if
    the test died already (the signal would never come)."""
    def arm():
        _LIBC.prctl(_PR_SET_PDEATHSIG, signal.SIGKILL)
        if os.getppid() != test:
            os._exit(1)
    return arm


def start_program(argv, credentials=(), **options):
    """Starts a program of the test's own (owned) as the leader of a new process group."""
    process = subprocess.Popen(owned(argv, credentials), process_group=0, preexec_fn=_die_with(os.getpid()),
                               **options)
    STARTED.append(process)
    return process


def signal_group(process, number):
    with contextlib.suppress(ProcessLookupError):
        os.killpg(process.pid, number)


def group_alive(process):
    """Whether any process of the program's group still runs (not a zombie)."""
    for stat in pathlib.Path("/proc").glob("[0-9]*/stat"):
        with contextlib.suppress(OSError):
            # pid (comm) state ppid pgrp ...: comm may hold spaces and brackets.
            fields = stat.read_text().rsplit(")", 1)[1].split()
            if int(fields[2]) == process.pid and fields[0] != "Z":
                return True
    return False


def end_process(process):
    """Ends a program started by start_program and what it started in its group: asked
    first, killed if it is still there 5 s later."""
    if process.poll() is None:
        signal_group(process, signal.SIGTERM)
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            pass
    signal_group(process, signal.SIGKILL)
    process.wait()


def programs_left():
    """The programs this test started that are still there, each then ended; [] when none."""
    left = []
    for process in STARTED:
        if process.poll() is None or group_alive(process):
            left.append(" ".join(process.args[process.args.index("--") + 1:]))
            end_process(process)
    return left


def wait_until(predicate, what, timeout=WAIT_SECONDS):
    """Polls `predicate` until it gives a true value, which is returned."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise Failure(f"waited {timeout:g} s for {what}")
        time.sleep(POLL_SECONDS)


def near(colour, expected, tolerance=2):
    """Whether each channel of an (r, g, b) colour lies within `tolerance` of the expected."""
    return all(abs(a - b) <= tolerance for a, b in zip(colour, expected))


def expect_no_display_message(argv, what, cwd=None):
    """Without a display the program must end at once, with a non-zero status and the one
    French line that says so."""
    headless = {name: value for name, value in os.environ.items() if name not in ("DISPLAY", "WAYLAND_DISPLAY")}
    ended = subprocess.run(argv, env=headless, cwd=cwd, capture_output=True, timeout=WAIT_SECONDS)
    said = ended.stderr.decode("utf-8", "replace").strip()
    if ended.returncode == 0 or not said.startswith("Orvalis a besoin d'un affichage graphique") or "\n" in said:
        raise Failure(f"without a display {what} ended with status {ended.returncode}, saying {said!r}")


class Steps:
    """A scenario's named steps (printed as they start), its checks and its numbered
    screenshots in the artifacts folder, taken by the scenario's driver (X11Driver,
    wayland_driver.WaylandDriver) or, without one, on the X display of `env`."""

    def __init__(self, env, artifacts, driver=None):
        self.env = env
        self.artifacts = artifacts
        self.driver = driver
        self.step_name = "start"
        self.shots = 0

    def step(self, name):
        self.step_name = name
        print(f"-- {name}", flush=True)

    def expect(self, condition, problem):
        if not condition:
            raise Failure(problem)

    def screenshot(self, name):
        self.shots += 1
        path = self.artifacts / f"{self.shots:02d}-{name}.png"
        return self.driver.screenshot(path) if self.driver else Screenshot.take(self.env, path)

    def play(self, program):
        """Runs the scenario (`run`); a failure leaves the screen as "failure". The
        program is stopped in every case."""
        try:
            self.run()
        except Failure:
            try:
                self.screenshot("failure")
            except Exception:
                pass
            raise
        finally:
            program.stop()


def viewer_options(description, displays=False):
    """The command line of a scenario of the viewer: --viewer PATH --artifacts FOLDER
    (made if missing) and, with `displays`, --display x11|wayland."""
    parser = argparse.ArgumentParser(description=description, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--viewer", required=True)
    parser.add_argument("--artifacts", required=True, type=pathlib.Path)
    if displays:
        parser.add_argument("--display", choices=("x11", "wayland"), default="x11")
    options = parser.parse_args()
    options.viewer = str(pathlib.Path(options.viewer).resolve())   # it runs in folders of its own
    options.artifacts.mkdir(parents=True, exist_ok=True)
    return options


class Report:
    """What a scenario's body tells as it goes, for the report of a failure: the steps
    being played (`scenario`: the step it stopped at), the viewer under test (`viewer`:
    the end of its error stream) and `clues`, functions that give more text."""

    def __init__(self):
        self.scenario = None
        self.viewer = None
        self.clues = []


def play_scenario(body, title, artifacts, passed="every step passed"):
    """Runs `body(report)` and says how it went; returns the script's status: 0 once it
    passed, SKIPPED when the display cannot start at all, 1 on a Failure, told on the
    error stream with the step, the clues, what the viewer said and the screenshots'
    folder."""
    report = Report()
    try:
        try:
            body(report)
        finally:
            left = programs_left()
        if left:
            raise Failure("programs started by the test are still running after it: " + "; ".join(left))
    except DisplayUnavailable as reason:
        print(f"SKIPPED: {reason}")
        return SKIPPED
    except Failure as failure:
        step = report.scenario.step_name if report.scenario else "setting up"
        print(f"FAILED at \"{step}\": {failure}", file=sys.stderr)
        for clue in report.clues:
            print(clue(), file=sys.stderr)
        if report.viewer and report.viewer.errors:
            print("The viewer said on its error stream:\n" + "\n".join(report.viewer.errors[-20:]), file=sys.stderr)
        print(f"Screenshots: {artifacts}", file=sys.stderr)
        return 1
    print(f"{title}: {passed}")
    return 0


class VirtualDisplay:
    """An Xvfb server on a display number that it picks itself (-displayfd), so that test
    runs side by side never take the same one. It does not reset when its last client
    leaves (-noreset), as a session's display does not: a program connecting while it
    reset would be refused, and the scenarios' short xdotool clients come and go while
    the program under test starts. `env` is the environment for programs shown on it:
    X11 for GTK, no accessibility bus, settings kept in memory."""

    def __init__(self, width=1280, height=1024, log_path=None):
        self.width = width
        self.height = height
        self.log_path = log_path
        self.process = None
        self.env = None

    def __enter__(self):
        require_tools()
        read_end, write_end = os.pipe()
        log = open(self.log_path, "w") if self.log_path else subprocess.DEVNULL
        self.process = start_program(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{self.width}x{self.height}x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=log, stderr=log)
        os.close(write_end)
        try:
            number = self._read_display_number(read_end)
        finally:
            os.close(read_end)
            if log is not subprocess.DEVNULL:
                log.close()
        env = dict(os.environ)
        env.pop("WAYLAND_DISPLAY", None)
        env.update(DISPLAY=f":{number}", GDK_BACKEND="x11", NO_AT_BRIDGE="1", GSETTINGS_BACKEND="memory",
                   GIO_USE_VFS="local", GTK_A11Y="none")
        self.env = env
        return self

    def _read_display_number(self, read_end):
        text = b""
        deadline = time.monotonic() + WAIT_SECONDS
        while not text.endswith(b"\n"):
            left = deadline - time.monotonic()
            if left <= 0 or self.process.poll() is not None:
                self.__exit__(None, None, None)
                raise Failure("Xvfb did not start" + (f" (see {self.log_path})" if self.log_path else ""))
            ready, _, _ = select.select([read_end], [], [], min(left, POLL_SECONDS))
            if ready:
                chunk = os.read(read_end, 64)
                if not chunk:
                    continue
                text += chunk
        return int(text.strip())

    def __exit__(self, *exc):
        if self.process:
            end_process(self.process)
        return False


class Program:
    """A program shown on the display, started in `cwd` (default: ours) as the user of
    `credentials` (setpriv options; default: ours); its standard output is read line by
    line."""

    def __init__(self, argv, env, cwd=None, credentials=()):
        self.lines = []
        self.errors = []
        self._changed = threading.Condition()
        self.process = start_program(argv, credentials, env=env, cwd=cwd, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self._readers = [threading.Thread(target=self._read, args=(self.process.stdout, self.lines), daemon=True),
                         threading.Thread(target=self._read, args=(self.process.stderr, self.errors), daemon=True)]
        for reader in self._readers:
            reader.start()

    def _read(self, stream, into):
        for raw in stream:
            with self._changed:
                into.append(raw.decode("utf-8", "replace").rstrip("\n"))
                self._changed.notify_all()

    def mark(self):
        """The number of lines read so far: a starting point for wait_line."""
        with self._changed:
            return len(self.lines)

    def wait_line(self, pattern, since=0, timeout=WAIT_SECONDS):
        """The first line from `since` on that matches the regular expression whole;
        returns (its index, the match)."""
        expression = re.compile(pattern)
        deadline = time.monotonic() + timeout
        with self._changed:
            while True:
                for index in range(since, len(self.lines)):
                    match = expression.fullmatch(self.lines[index])
                    if match:
                        return index, match
                left = deadline - time.monotonic()
                if left <= 0 or (self.process.poll() is not None and not self._reading()):
                    raise Failure(f"waited for a line matching {pattern!r}; the program printed since:\n"
                                  + self.describe(since))
                self._changed.wait(min(left, POLL_SECONDS))

    def _reading(self):
        return any(reader.is_alive() for reader in self._readers)

    def lines_since(self, since):
        with self._changed:
            return list(self.lines[since:])

    def describe(self, since=0):
        shown = self.lines_since(since)[-40:]
        text = "\n".join("    " + line for line in shown) or "    (nothing)"
        if self.errors:
            text += "\n  and on its error stream:\n" + "\n".join("    " + line for line in self.errors[-20:])
        return text

    def wait_exit(self, timeout=WAIT_SECONDS):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"the program did not end within {timeout:g} s")

    def stop(self):
        end_process(self.process)
        for reader in self._readers:
            reader.join(timeout=5)


def xdotool(env, *args):
    result = subprocess.run(["xdotool", *args], env=env, capture_output=True, timeout=WAIT_SECONDS)
    return result.returncode, result.stdout.decode("utf-8", "replace")


def find_window(env, name_pattern, timeout=WAIT_SECONDS):
    """The visible window whose name matches the regular expression (the first found)."""
    def search():
        code, out = xdotool(env, "search", "--onlyvisible", "--name", name_pattern)
        return out.split()[0] if code == 0 and out.split() else None
    return wait_until(search, f"a visible window named like {name_pattern!r}", timeout)


def window_exists(env, name_pattern):
    code, out = xdotool(env, "search", "--onlyvisible", "--name", name_pattern)
    return code == 0 and bool(out.split())


def wait_focused(env, window, timeout=WAIT_SECONDS):
    """Waits until the window has the keyboard (a person looks before typing)."""
    def focused():
        code, out = xdotool(env, "getwindowfocus")
        return code == 0 and out.strip() == window
    wait_until(focused, f"window {window} to get the keyboard", timeout)


def window_name(env, window):
    code, out = xdotool(env, "getwindowname", window)
    if code != 0:
        raise Failure(f"window {window} has no name (it is gone)")
    return out.rstrip("\n")


def window_geometry(env, window):
    """(x, y, width, height) of the window on the screen."""
    code, out = xdotool(env, "getwindowgeometry", "--shell", window)
    if code != 0:
        raise Failure(f"window {window} has no geometry (it is gone)")
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])


def key(env, *keys):
    """Presses and releases each key (xdotool names: "F10", "ctrl+c", "Return")."""
    code, out = xdotool(env, "key", "--delay", "30", *keys)
    if code != 0:
        raise Failure(f"xdotool could not press {keys}: {out}")


def type_text(env, text):
    code, out = xdotool(env, "type", "--delay", "20", text)
    if code != 0:
        raise Failure(f"xdotool could not type {text!r}: {out}")


def move_mouse(env, x, y):
    xdotool(env, "mousemove", str(x), str(y))


def click(env, button=1, repeat=1):
    xdotool(env, "click", "--repeat", str(repeat), "--delay", "60", str(button))


class Driver:
    """What a scenario's driver does the same way on every display, through the calls
    each driver makes its own: start, hand_over, find_window, window_exists,
    wait_focused, window_name, window_geometry, key, type_text, click_at, screenshot,
    end_display.
    `folders` is where the programs shown can reach a scenario's files (None: the
    system's temporary folder)."""

    folders = None

    def focused_window(self, name_pattern):
        """The visible window named like the regular expression, once it has the keyboard."""
        window = self.find_window(name_pattern)
        self.wait_focused(window)
        return window

    def wait_gone(self, name_pattern, what):
        """Waits until no visible window is named like the regular expression."""
        wait_until(lambda: not self.window_exists(name_pattern), what)

    @contextlib.contextmanager
    def working_folder(self, prefix):
        """A folder of the scenario's own, removed with what it holds at the end."""
        folder = pathlib.Path(tempfile.mkdtemp(prefix=prefix, dir=self.folders))
        try:
            yield folder
        finally:
            shutil.rmtree(folder, ignore_errors=True)


class X11Driver(Driver):
    """A scenario's hands and eyes on an X display (xdotool, import): windows are found by
    name and measured in the screen's pixels, keys have xdotool's names ("F10", "ctrl+a",
    "Return"). wayland_driver.WaylandDriver does the same on a Wayland compositor."""

    name = "X11"

    def __init__(self, display):
        self.display = display
        self.env = display.env

    def start(self, argv, cwd=None, env=None):
        return Program(argv, dict(self.env, **(env or {})), cwd=cwd)

    def end_display(self):
        """Ends the X server, as when a session ends under the programs shown."""
        end_process(self.display.process)

    def hand_over(self, path):
        """Makes a folder usable by the programs shown (they run as ourselves here)."""

    def find_window(self, name_pattern, timeout=WAIT_SECONDS):
        return find_window(self.env, name_pattern, timeout)

    def window_exists(self, name_pattern):
        return window_exists(self.env, name_pattern)

    def wait_focused(self, window, timeout=WAIT_SECONDS):
        wait_focused(self.env, window, timeout)

    def window_name(self, window):
        return window_name(self.env, window)

    def window_geometry(self, window):
        return window_geometry(self.env, window)

    def key(self, *keys):
        key(self.env, *keys)

    def type_text(self, text):
        type_text(self.env, text)

    def click_at(self, x, y):
        move_mouse(self.env, x, y)
        click(self.env, 1)

    def screenshot(self, png_path):
        return Screenshot.take(self.env, png_path)


class Screenshot:
    """The whole screen, saved as PNG (for a person to look at) and read as pixels.
    `scale` is the image's pixels per unit of the screen's layout (a Wayland output of
    scale 2 is shot at twice its layout's size); points are given in layout units."""

    def __init__(self, width, height, rgb, scale=1):
        self.width = width
        self.height = height
        self.rgb = rgb
        self.scale = scale

    @staticmethod
    def take(env, png_path):
        subprocess.run(["import", "-window", "root", f"png:{png_path}"], env=env, check=True, timeout=WAIT_SECONDS)
        return Screenshot.read(png_path)

    @staticmethod
    def read(png_path, scale=1):
        ppm = subprocess.run(["convert", str(png_path), "ppm:-"], check=True, capture_output=True,
                             timeout=WAIT_SECONDS).stdout
        return Screenshot.from_ppm(ppm, scale)

    @staticmethod
    def from_ppm(ppm, scale=1):
        # A binary PPM: "P6", width, height, maximum value, then the pixels.
        fields = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", ppm)
        if not fields or int(fields.group(3)) != 255:
            raise Failure("the screenshot could not be read")
        return Screenshot(int(fields.group(1)), int(fields.group(2)), ppm[fields.end():], scale)

    def save(self, png_path):
        """Writes the image as an RGB PNG, quickly (the least compression)."""
        stride = 3 * self.width
        raw = b"".join(b"\0" + self.rgb[row * stride:(row + 1) * stride] for row in range(self.height))

        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
        pathlib.Path(png_path).write_bytes(
            b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 1)) + chunk(b"IEND", b""))

    def pixel(self, x, y):
        """The colour at a point of the layout (the image pixel at its top left)."""
        return self.image_pixel(x * self.scale, y * self.scale)

    def image_pixel(self, x, y):
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise Failure(f"point ({x}, {y}) is off the screen")
        at = 3 * (y * self.width + x)
        return tuple(self.rgb[at:at + 3])

    def crop(self, x, y, width, height):
        """The image pixels of a rectangle of the layout, row after row, as RGB bytes."""
        s = self.scale
        if x < 0 or y < 0 or (x + width) * s > self.width or (y + height) * s > self.height:
            raise Failure(f"the rectangle {width}x{height}+{x}+{y} is off the screen")
        rows = [self.rgb[3 * ((y * s + row) * self.width + x * s):3 * ((y * s + row) * self.width + (x + width) * s)]
                for row in range(height * s)]
        return b"".join(rows)
