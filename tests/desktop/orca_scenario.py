#!/usr/bin/python3
"""The viewer heard as a blind user hears it: the screen reader Orca runs beside it, with
settings of its own and no speech server, and its debug log tells what it would have said.
The viewer is driven by keys only, and after each step what Orca said is checked against
what it says for the same step in a plain GTK 3 dialog:

- the options dialog appears, announced modal on the bus: its name and role, then the delay, a spin button, with its
  value; when it comes back, the button that had the focus;
- Up, Up, Down in the delay: "4", "5", "4";
- the text "123" typed and BackSpace: the key only, as for GTK's spin button (never the
  whole text);
- Tab through every control: the radio button "Continu", "1 of 2" for where-am-I,
  "OK", "Annuler", and the delay again with its new value;
- Down in the radio group: "Arrêt sur image"; OK closes the dialog;
- a message dialog appears, announced modal: an alert, its text once, its focused OK button.

    orca_scenario.py --viewer PATH --artifacts FOLDER

Like accessibility_scenario.py it runs with the system's python3 in a session bus of its
own. Orca's log (orca.log), screenshots and the display's log go to the artifacts folder.
"""

import os
import pty
import re
import shutil
import subprocess
import threading

from accessibility_scenario import Scenario, bridged_display, main_in_session
from desktop_driver import WAIT_SECONDS, Failure, end_process, play_scenario, start_program, wait_until
from viewer_steps import MAIN_WINDOW, OPTIONS_DIALOG

ERROR_DIALOG = r"^Erreur$"
DELAY = "Délai entre chaque vue"
# Orca speaks and logs nothing before this line of its log.
READY = "ORCA: Starting registry"
# What Orca says for one step comes in a burst: the step is over once its log is this quiet.
QUIET_SECONDS = 1.0
# An utterance, then the voice it is said with.
SPOKEN = re.compile(r"SPEECH OUTPUT: '(.*?)'\s*(?:voice=\S+)?[\[{]")
# Orca's own settings: no speech server (it logs what it would say), no braille, no
# welcome, the keyboard layout whose where-am-I is the keypad's Enter.
SETTINGS = """{
  "general": {"speechServerFactory": "", "enableBraille": false, "enableSpeech": true,
              "startingProfile": ["Default", "default"], "keyboardLayout": 1, "orcaModifierKeys": ["Insert", "KP_Insert"]},
  "profiles": {"default": {"profile": ["Default", "default"], "speechServerFactory": "", "enableBraille": false}},
  "pronunciations": {}, "keybindings": {}
}
"""


class ScreenReader:
    """Orca, with its settings in `home`, its debug log written line by line to `log_path`:
    Orca opens its log with Python's default buffering, which is a line at a time on a
    terminal only, so the log it writes is a terminal whose lines are copied there."""

    def __init__(self, env, home, log_path):
        prefs = home / "orca"
        prefs.mkdir()
        (prefs / "user-settings.conf").write_text(SETTINGS)
        env = dict(env, HOME=str(home), XDG_CONFIG_HOME=str(home), XDG_DATA_HOME=str(home),
                   XDG_CACHE_HOME=str(home), LANG="C.UTF-8", LC_ALL="C.UTF-8")
        self.lines = []
        self._changed = threading.Condition()
        leader, follower = pty.openpty()
        try:
            self.process = start_program(["orca", "--user-prefs", str(prefs), "--debug-file", "/dev/stdout"],
                                         env=env, stdin=subprocess.DEVNULL, stdout=follower, stderr=follower)
        finally:
            os.close(follower)
        self._reader = threading.Thread(target=self._read, args=(leader, log_path), daemon=True)
        self._reader.start()

    def _read(self, leader, log_path):
        with open(log_path, "w", encoding="utf-8") as log, os.fdopen(leader, "rb", buffering=0) as terminal:
            pending = b""
            while True:
                try:
                    chunk = terminal.read(65536)
                except OSError:  # Orca ended: the terminal has no writer left
                    break
                if not chunk:
                    break
                pending += chunk
                *complete, pending = pending.split(b"\n")
                for raw in complete:
                    line = raw.decode("utf-8", "replace").rstrip("\r")
                    log.write(line + "\n")
                    log.flush()
                    with self._changed:
                        self.lines.append(line)
                        self._changed.notify_all()

    def stop(self):
        end_process(self.process)
        self._reader.join(timeout=5)

    def mark(self):
        with self._changed:
            return len(self.lines)

    def wait_quiet(self):
        """Waits until the log has not grown for QUIET_SECONDS."""
        with self._changed:
            while self._changed.wait(QUIET_SECONDS):
                pass

    def said(self, since=0):
        """What Orca said since the mark, utterance by utterance."""
        with self._changed:
            lines = self.lines[since:]
        return [match.group(1) for match in map(SPOKEN.search, lines) if match]

    def wait_ready(self):
        wait_until(lambda: any(READY in line for line in self.lines) or self.process.poll() is not None,
                   "Orca to start", timeout=3 * WAIT_SECONDS)
        if self.process.poll() is not None:
            raise Failure(f"Orca ended with status {self.process.returncode}")


def heard_in_order(said, expected):
    """Whether the utterances hold the expected pieces in that order, each inside one
    utterance (Orca breaks a presentation into utterances as it likes)."""
    pieces = iter(expected)
    wanted = next(pieces, None)
    for utterance in said:
        while wanted is not None and wanted in utterance:
            utterance = utterance[utterance.index(wanted) + len(wanted):]
            wanted = next(pieces, None)
    return wanted is None


class Heard(Scenario):
    # The screen reader slows the file dialog down further: more of the keys typed while
    # it builds its location entry can be lost.
    typing_attempts = 4

    def __init__(self, driver, artifacts, bus, viewer, series, reader):
        super().__init__(driver, artifacts, bus, viewer, series)
        self.reader = reader
        self.failed = []

    def hear(self, what, keys, expected, unexpected=(), count=None, since=None):
        """Presses the keys and waits until Orca said the expected pieces, in order; then
        checks that it did not say any of the unexpected ones, and that the piece `count`
        names, (piece, times), came that many times. A step that fails is noted and the
        scenario goes on, so that one run tells every step that fails."""
        self.step(what)
        if since is None:
            since = self.reader.mark()
        if keys:
            self.driver.key(*keys)
        try:
            wait_until(lambda: heard_in_order(self.reader.said(since), expected), f"Orca to say {expected}")
            # What Orca adds at once belongs to the same step.
            self.reader.wait_quiet()
            said = self.reader.said(since)
            for piece in unexpected:
                self.expect(not any(piece in utterance for utterance in said), f"Orca said {piece!r}")
            if count:
                times = sum(utterance.count(count[0]) for utterance in said)
                self.expect(times == count[1], f"Orca said {count[0]!r} {times} times, not {count[1]}")
        except Failure as failure:
            self.failed.append(f"{what}: {failure}; Orca said {self.reader.said(since)}")
            print(f"   FAILED: {self.failed[-1]}", flush=True)

    def announced_modal(self, name):
        """Notes a failure unless the window `name` was announced on the bus with the modal
        state, as GTK's modal dialogs are: a screen reader keeps to such a dialog."""
        try:
            self.bus.expect_announced_modal(name)
        except Failure as failure:
            self.failed.append(f"the window {name!r} announced: {failure}")
            print(f"   FAILED: {self.failed[-1]}", flush=True)

    def run(self):
        bus = self.bus
        self.step("the viewer starts with the file dialog")
        self.window = self.driver.find_window(MAIN_WINDOW)
        self.app = bus.wait(lambda: bus.application("orvalis"), "the program on the accessibility bus")
        self.open_file(self.series / "vue1.jpg")
        self.driver.wait_focused(self.window)

        self.hear("the options dialog appears, with the focused delay and its value",
                  ("F10", "Right", "Return"), ["Options de visualisation dialog", f"{DELAY} 3 spin button"])
        self.driver.focused_window(OPTIONS_DIALOG)
        self.announced_modal("Options de visualisation")
        self.screenshot("options")
        self.hear("Up in the delay", ("Up",), ["4"])
        self.hear("Up again", ("Up",), ["5"])
        self.hear("Down", ("Down",), ["4"])
        self.driver.key("ctrl+a")
        self.driver.type_text("123")
        # A spin button's text changes are not said, its value's are: the whole text never.
        self.hear("BackSpace at the end of 123", ("BackSpace",), ["backspace"], unexpected=["123"])
        self.hear("Tab to the radio group", ("Tab",), ["Continu", "selected radio button"])
        self.hear("where-am-I on Continu", ("KP_Enter",), ["Continu radio button", "selected", "1 of 2"])
        self.hear("Tab to OK", ("Tab",), ["OK push button"])
        self.hear("Tab to Annuler", ("Tab",), ["Annuler push button"])
        self.hear("Tab to the delay", ("Tab",), [f"{DELAY} 12 spin button"])
        self.driver.key("shift+Tab", "shift+Tab", "shift+Tab")
        self.hear("Down in the radio group", ("Down",), ["Arrêt sur image", "selected radio button"])
        # OK heard before Return presses it, as a user hears it: with both keys at once a
        # slow run closed the dialog before Orca said the focus it had already left.
        self.hear("Tab to OK from the radio group", ("Tab",), ["OK push button"])
        self.driver.key("Return")
        self.driver.wait_gone(OPTIONS_DIALOG, "the options dialog to go")
        self.driver.wait_focused(self.window)

        # The dialog keeps its focused control: OK, which closed it.
        self.hear("the options dialog comes back with its focused button", ("F10", "Right", "Return"),
                  ["Options de visualisation dialog", "OK push button"])
        self.driver.focused_window(OPTIONS_DIALOG)
        self.driver.key("Tab", "Return")
        self.driver.wait_gone(OPTIONS_DIALOG, "the options dialog to go")
        self.driver.wait_focused(self.window)

        self.step("a message dialog: the file dialog, and a PNG named as a view")
        self.driver.key("F10", "Down", "Return")
        since = self.reader.mark()
        self.open_file(self.series / "image.jpg")
        self.hear("a message dialog appears: an alert, its text once, its focused OK button", (),
                  ["alert Erreur", "Format d'image non reconnu", "OK push button"],
                  count=("Format d'image non reconnu", 1), since=since)
        self.driver.focused_window(ERROR_DIALOG)
        self.announced_modal("Erreur")
        self.screenshot("message")
        self.driver.key("Return")
        self.driver.wait_gone(ERROR_DIALOG, "the message dialog to go")

        self.step("Escape ends the program")
        self.end_by_escape("the viewer")
        self.expect(not self.failed, "steps where Orca did not hear what it hears in GTK's dialogs:\n  "
                    + "\n  ".join(self.failed))


def run_scenario(options):
    if not shutil.which("orca"):
        print("FAILED: the screen reader test needs orca: apt-get install -y orca", flush=True)
        return 1

    def play(report):
        with bridged_display(options.artifacts, "orvalis-orca-") as (driver, root, bus):
            home = root / "home"
            home.mkdir()
            reader = ScreenReader(driver.env, home, options.artifacts / "orca.log")
            report.clues.append(lambda: "Orca said last: " + repr(reader.said()[-30:]))
            try:
                reader.wait_ready()
                report.viewer = driver.start([options.viewer], cwd=root)
                report.scenario = Heard(driver, options.artifacts, bus, report.viewer, root / "vues", reader)
                report.scenario.play(report.viewer)
            finally:
                reader.stop()
    return play_scenario(play, "screen reader scenario", options.artifacts)


if __name__ == "__main__":
    raise SystemExit(main_in_session(run_scenario, __doc__))
