"""Driving a program of ours on a headless Wayland compositor, as a person would: the
Wayland side of desktop_driver.X11Driver, with the same calls.

    with WaylandCompositor(artifacts / "sway.log") as compositor:
        driver = WaylandDriver(compositor)
        program = driver.start([binary], cwd=folder)        # GDK_BACKEND=wayland
        window = driver.find_window(r"^Orvalis$")          # swaymsg -t get_tree
        driver.wait_focused(window)
        driver.key("F10", "Right", "Return")               # wayland_keyboard
        shot = driver.screenshot(artifacts / "x.png")       # grim

The compositor is sway on its headless backend, with one output of the size asked and
every window floating at the size it asks for, without borders or title bars (as the X11
tests have no window manager), or, asked for, in sway's own tiling layout. sway refuses to run as root: as root, the compositor and
everything shown on it (the program, grim, swaymsg) run as the system's unprivileged user
TEST_USER (through setpriv; no account is made for the tests), in a folder of its own that
holds its runtime directory, its home, and the folders and the program copy the scenario
hands over.
Geometry is in the output's layout units; a screenshot of an output of scale 2 has two
image pixels per unit (Screenshot.scale).

Keys come from one virtual keyboard made for the compositor's whole life
(wayland_keyboard.VirtualKeyboard, which says why not wtype)."""

import json
import os
import pathlib
import pwd
import re
import shutil
import subprocess
import tempfile

from desktop_driver import (WAIT_SECONDS, DisplayUnavailable, Driver, Failure, Program, Screenshot, end_process,
                            owned, require_tools, start_program, wait_until)
from wayland_keyboard import VirtualKeyboard

TEST_USER = "nobody"
TOOLS = {"sway": "sway", "swaymsg": "sway", "grim": "grim", "convert": "imagemagick"}
OUTPUT = "HEADLESS-1"


class WaylandCompositor:
    """sway on its headless backend (pixman renderer, no input devices) with one output of
    `width` by `height` layout units at `scale`; `env` is the environment of the programs
    shown on it. With `tiling`, sway keeps its own layout (a window tiles unless it asks to
    float, as a dialog does) instead of floating every window."""

    def __init__(self, log_path, width=1280, height=1024, scale=1, tiling=False):
        self.log_path = log_path
        self.width = width
        self.height = height
        self.scale = scale
        self.tiling = tiling
        self.process = None
        self.keyboard = None
        self.folder = None
        self.env = None
        self.credentials = []

    def __enter__(self):
        require_tools(TOOLS, "the Wayland tests need sway, grim and ImageMagick")
        self.folder = pathlib.Path(tempfile.mkdtemp(prefix="orvalis-wayland-"))
        runtime = self.folder / "runtime"
        home = self.folder / "home"
        runtime.mkdir(mode=0o700)
        home.mkdir()
        config = self.folder / "sway.config"
        # As on X11 without a window manager: windows at the size they ask for, no frame.
        floating = "" if self.tiling else "for_window [app_id=\".*\"] floating enable\n"
        config.write_text(
            f"output {OUTPUT} mode {self.width * self.scale}x{self.height * self.scale} position 0 0 "
            f"scale {self.scale}\n"
            "xwayland disable\n"
            + floating +
            "default_border none\n"
            "default_floating_border none\n"
            # The program raises its own windows (the platform's activation).
            "focus_on_window_activation focus\n")
        if os.geteuid() == 0:
            try:
                user = pwd.getpwnam(TEST_USER)
            except KeyError:
                raise Failure(f"the Wayland tests run as the user {TEST_USER}, which this system lacks")
            self.credentials = [f"--reuid={user.pw_uid}", f"--regid={user.pw_gid}", "--init-groups"]
            self.user = user
            self.hand_over(self.folder)
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": str(home),
            "XDG_RUNTIME_DIR": str(runtime),
            "XDG_CONFIG_HOME": str(home / ".config"),
            "XDG_DATA_HOME": str(home / ".local/share"),
            "XDG_CACHE_HOME": str(home / ".cache"),
            "LANG": os.environ.get("LANG", "C.UTF-8"),
        }
        compositor_env = dict(self.env, WLR_BACKENDS="headless", WLR_LIBINPUT_NO_DEVICES="1", WLR_RENDERER="pixman")
        log = open(self.log_path, "w")
        self.process = start_program(["sway", "--config", str(config)], self.credentials, env=compositor_env,
                                     cwd=self.folder, stdin=subprocess.DEVNULL, stdout=log, stderr=log)
        log.close()
        try:
            socket = wait_until(lambda: self._started(runtime), f"sway to start (see {self.log_path})")
        except Failure:
            self.__exit__(None, None, None)
            raise
        self.env.update(WAYLAND_DISPLAY=socket[0], SWAYSOCK=str(socket[1]), GDK_BACKEND="wayland",
                        NO_AT_BRIDGE="1", GSETTINGS_BACKEND="memory", GIO_USE_VFS="local", GTK_A11Y="none")
        try:
            self.keyboard = VirtualKeyboard(str(runtime / socket[0]))
        except (OSError, ValueError) as error:
            self.__exit__(None, None, None)
            raise Failure(f"no virtual keyboard on the compositor: {error}")
        return self

    def _started(self, runtime):
        if self.process.poll() is not None:
            log = pathlib.Path(self.log_path).read_text(errors="replace").strip().splitlines()
            raise DisplayUnavailable(f"sway cannot start here (status {self.process.returncode}): "
                                        + (log[-1] if log else "no message"))
        displays = [path.name for path in runtime.glob("wayland-*") if not path.name.endswith(".lock")]
        ipc = list(runtime.glob("sway-ipc.*.sock"))
        if not (displays and ipc):
            return None
        env = dict(self.env, SWAYSOCK=str(ipc[0]))
        outputs = subprocess.run(owned(["swaymsg", "-t", "get_outputs"], self.credentials), env=env,
                                 capture_output=True, timeout=WAIT_SECONDS)
        return (displays[0], ipc[0]) if outputs.returncode == 0 and OUTPUT in outputs.stdout.decode() else None

    def hand_over(self, path):
        """Gives a folder (and what it holds) to the user the programs run as."""
        if not self.credentials:
            return
        for folder, _, files in os.walk(path):
            os.chown(folder, self.user.pw_uid, self.user.pw_gid)
            for name in files:
                os.chown(os.path.join(folder, name), self.user.pw_uid, self.user.pw_gid)

    def end(self):
        """Ends the compositor (its virtual keyboard first, which needs it)."""
        if self.keyboard:
            self.keyboard.close()
            self.keyboard = None
        if self.process:
            end_process(self.process)

    def __exit__(self, *exc):
        self.end()
        if self.folder:
            shutil.rmtree(self.folder, ignore_errors=True)
        return False


class WaylandDriver(Driver):
    """desktop_driver.X11Driver's calls on a WaylandCompositor. Windows are sway's
    containers (their id), named by their titles; a scenario's folders are made in the
    compositor's, which the programs shown can reach."""

    name = "Wayland"

    def __init__(self, compositor):
        self.compositor = compositor
        self.env = compositor.env
        self.folders = compositor.folder

    def run(self, argv, check=True):
        result = subprocess.run(owned(argv, self.compositor.credentials), env=self.env, capture_output=True,
                                timeout=WAIT_SECONDS)
        if check and result.returncode != 0:
            raise Failure(f"{' '.join(argv)} failed: {result.stderr.decode('utf-8', 'replace').strip()}")
        return result.stdout.decode("utf-8", "replace")

    def hand_over(self, path):
        self.compositor.hand_over(path)

    def end_display(self):
        """Ends the compositor, as when a session ends under the programs shown."""
        self.compositor.end()

    def start(self, argv, cwd=None, env=None):
        """Starts a program on the compositor, with the sanitizers' options of the build. As
        another user, the program is copied into the compositor's folder first (the build
        tree may be out of its reach), and so is any suppression file those options name."""
        env = dict(self.env, **(env or {}))
        programs = self.compositor.folder / "programs"
        if self.compositor.credentials:
            programs.mkdir(exist_ok=True)
            copy = programs / pathlib.Path(argv[0]).name
            shutil.copy2(argv[0], copy)
            argv = [str(copy)] + list(argv[1:])
        for name in ("ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS", "TSAN_OPTIONS"):
            if name in os.environ and name not in env:
                env[name] = self._reachable(os.environ[name], programs)
        if self.compositor.credentials:
            self.hand_over(programs)
        return Program(list(argv), env, cwd=cwd, credentials=self.compositor.credentials)

    def _reachable(self, options, programs):
        """Sanitizer options whose suppression file is copied where the compositor's user
        can read it (the options are separated by colons or spaces)."""
        if not self.compositor.credentials:
            return options

        def copied(match):
            source = pathlib.Path(match.group(2))
            target = programs / source.name
            shutil.copy2(source, target)
            return f"{match.group(1)}{target}"

        return re.sub(r"((?:^|[: ])suppressions=)([^: ]+)", copied, options)

    def windows(self):
        """sway's windows: {id: node}, the nodes of the tree that show a client's surface."""
        tree = json.loads(self.run(["swaymsg", "-t", "get_tree"]))
        found = {}

        def walk(node):
            if node.get("pid") and node.get("visible", True):
                found[str(node["id"])] = node
            for child in node.get("nodes", []) + node.get("floating_nodes", []):
                walk(child)
        walk(tree)
        return found

    def _matching(self, name_pattern):
        expression = re.compile(name_pattern)
        return [window for window, node in self.windows().items() if expression.search(node.get("name") or "")]

    def find_window(self, name_pattern, timeout=WAIT_SECONDS):
        def search():
            matching = self._matching(name_pattern)
            return matching[0] if matching else None
        return wait_until(search, f"a window named like {name_pattern!r}", timeout)

    def window_exists(self, name_pattern):
        return bool(self._matching(name_pattern))

    def _node(self, window):
        node = self.windows().get(window)
        if not node:
            raise Failure(f"window {window} is gone")
        return node

    def floating(self, window):
        """Whether sway floats the window (one of its workspace's floating nodes) rather than
        tiling it."""
        tree = json.loads(self.run(["swaymsg", "-t", "get_tree"]))

        def floats(node, floating):
            if str(node.get("id")) == window:
                return floating
            for child, child_floating in ([(child, floating) for child in node.get("nodes", [])]
                                          + [(child, True) for child in node.get("floating_nodes", [])]):
                found = floats(child, child_floating)
                if found is not None:
                    return found
            return None
        found = floats(tree, False)
        if found is None:
            raise Failure(f"window {window} is gone")
        return found

    def wait_focused(self, window, timeout=WAIT_SECONDS):
        wait_until(lambda: self.windows().get(window, {}).get("focused"), f"window {window} to get the keyboard",
                   timeout)

    def window_name(self, window):
        return self._node(window).get("name") or ""

    def window_geometry(self, window):
        rect = self._node(window)["rect"]
        return rect["x"], rect["y"], rect["width"], rect["height"]

    def key(self, *keys):
        """Presses and releases each key, with xdotool's names ("F10", "ctrl+a", "shift+Tab")."""
        for name in keys:
            self.compositor.keyboard.press(name)

    def type_text(self, text):
        self.compositor.keyboard.type(text)

    def click_at(self, x, y):
        """A click of the left button at a point of the layout."""
        self.compositor.keyboard.click(x, y, self.compositor.width, self.compositor.height)

    def screenshot(self, png_path):
        """The whole output at its device resolution (grim), read and saved as PNG."""
        result = subprocess.run(owned(["grim", "-t", "ppm", "-"], self.compositor.credentials), env=self.env,
                                capture_output=True, timeout=WAIT_SECONDS)
        if result.returncode != 0:
            raise Failure(f"grim failed: {result.stderr.decode('utf-8', 'replace').strip()}")
        shot = Screenshot.from_ppm(result.stdout, scale=self.compositor.scale)
        shot.save(png_path)
        return shot
