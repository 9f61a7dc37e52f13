#!/usr/bin/env python3
"""The viewer's command line and the dialogs that belong to their window, as a person
meets them:
- "--help", "-h", "--version", an unknown option and two files answer without a display:
  the status, the stream and the French text of each;
- in a virtual X display without a window manager, the viewer started on vue3.jpg shows
  it at once, without the file dialog, and a key then shows view 1 with its caption;
- with openbox managing the display, the warning about a missing file given at start and
  the options dialog are transient for the main window, of the dialog type, and ask for
  no minimise and no maximise.

    command_line_scenario.py --viewer PATH --artifacts FOLDER

Screenshots and the display's log go to the artifacts folder."""

import re
import subprocess
import sys

from desktop_driver import (WAIT_SECONDS, Failure, Program, near, play_scenario, viewer_options, wait_until)
from viewer_steps import (FILE_DIALOG, JPEG_TOLERANCE, MAIN_WINDOW, OPTIONS_DIALOG, SKIES, SKY_POINTS,
                          VIEW_SIZE, ViewerSteps, driven_display, open_options, write_view)

TRY_HELP = "Saisissez « orvalis --help » pour plus d'informations."
# (arguments, status, the stream that speaks, the lines it says: regular expressions)
ANSWERS = [
    (["--help"], 0, "stdout", [r"Utilisation : orvalis \[FICHIER\]", r"Fait défiler .*", ".*", ".*", ".*", "",
                               r"  -h, --help .*", r"      --version .*"]),
    (["-h"], 0, "stdout", [r"Utilisation : orvalis \[FICHIER\]", ".*", ".*", ".*", ".*", ".*", ".*", ".*"]),
    (["--version"], 0, "stdout", [r"Orvalis [0-9]+\.[0-9]+\.[0-9]+"]),
    (["--bavard"], 2, "stderr", [r"orvalis : option non reconnue « --bavard »", re.escape(TRY_HELP)]),
    (["a.jpg", "b.jpg"], 2, "stderr",
     [r"orvalis : un seul fichier à la fois : « a\.jpg », puis « b\.jpg » de trop", re.escape(TRY_HELP)]),
]
MESSAGE_DIALOG = r"^Avertissement$"
# The window manager's functions in _MOTIF_WM_HINTS.
MWM_HINTS_FUNCTIONS = 0x1
MWM_FUNC_ALL, MWM_FUNC_MINIMIZE, MWM_FUNC_MAXIMIZE = 0x1, 0x8, 0x10


def check_answers(viewer):
    """Each command line of ANSWERS, run without a display: its status, its lines on the
    stream that speaks and nothing on the other."""
    for arguments, status, stream, lines in ANSWERS:
        run = subprocess.run([viewer, *arguments], capture_output=True, text=True, timeout=WAIT_SECONDS,
                             env={"PATH": "/usr/bin:/bin", "LANG": "C.UTF-8"})
        said = (run.stdout if stream == "stdout" else run.stderr).splitlines()
        silent = run.stderr if stream == "stdout" else run.stdout
        where = f"orvalis {' '.join(arguments)}"
        if run.returncode != status:
            raise Failure(f"{where} ended with status {run.returncode}, expected {status}")
        if len(said) != len(lines) or not all(re.fullmatch(p, line) for p, line in zip(lines, said)):
            raise Failure(f"{where} said on {stream}:\n{chr(10).join(said)}")
        if silent:
            raise Failure(f"{where} also said {silent!r}")


def window_properties(env, window):
    """The X properties of a window that tell whom it belongs to, as xprop prints them."""
    return subprocess.run(["xprop", "-id", str(window), "WM_TRANSIENT_FOR", "_NET_WM_WINDOW_TYPE",
                           "_NET_WM_ALLOWED_ACTIONS", "_MOTIF_WM_HINTS"], env=env, capture_output=True, text=True, check=True,
                          timeout=WAIT_SECONDS).stdout


class StartedOnAFile(ViewerSteps):
    def run(self):
        self.step("started on vue3.jpg: the view shows at once, without the file dialog")
        self.window = self.driver.find_window(MAIN_WINDOW)
        wait_until(lambda: self.driver.window_geometry(self.window)[2] == VIEW_SIZE[0],
                   f"the window to be {VIEW_SIZE[0]} wide, as the view")
        x, y, _, height = self.driver.window_geometry(self.window)
        top = y + height - VIEW_SIZE[1]
        self.expect(self.caption() == "Orvalis", f"the caption is {self.caption()!r}: opening leaves it")
        self.expect(not self.driver.window_exists(FILE_DIALOG), "the file dialog was shown")

        def shows(number, name):
            shot = self.screenshot(name)
            return all(near(shot.pixel(x + px, top + py), SKIES[(number - 1) % 3], JPEG_TOLERANCE)
                       for px, py in SKY_POINTS)
        wait_until(lambda: shows(3, "vue3"), "view 3's sky in the client area")

        self.step("a key (or the timer) goes on with the series from view 1, shown under its caption")
        self.driver.wait_focused(self.window)
        self.driver.key("space")
        named = re.escape(f"Fichier {self.series / 'vue'} Dessin de la vue n° ") + "([123])"

        def consistent():
            # The timer goes on too: the caption is read again after the screenshot.
            before = re.fullmatch(named, self.caption())
            after = before and shows(int(before.group(1)), "series") and re.fullmatch(named, self.caption())
            return after and after.group(1) == before.group(1)
        wait_until(consistent, f"a view of the series under its caption (the caption is {self.caption()!r})")

        self.step("Escape ends the viewer with status 0")
        self.end_by_escape("the viewer")


class DialogsOfTheirWindow(ViewerSteps):
    def belongs(self, dialog, what):
        """The dialog is transient for the main window, of the dialog type, and asks the
        window manager for no minimise and no maximise."""
        properties = window_properties(self.env, dialog)
        transient = re.search(r"WM_TRANSIENT_FOR\(WINDOW\): window id # (0x[0-9a-f]+)", properties)
        self.expect(transient and int(transient.group(1), 16) == int(self.window),
                    f"{what} is not transient for the main window ({int(self.window):#x}):\n{properties}")
        self.expect("_NET_WM_WINDOW_TYPE_DIALOG" in properties, f"{what} is not of the dialog type:\n{properties}")
        # Openbox reads neither from these hints (it minimises a dialog with its owner, never
        # alone, and lets a resizable window be maximised): the hints themselves say it.
        hints = re.search(r"_MOTIF_WM_HINTS\(_MOTIF_WM_HINTS\) = (0x[0-9a-f]+), (0x[0-9a-f]+)", properties)
        functions = int(hints.group(2), 16) if hints and int(hints.group(1), 16) & MWM_HINTS_FUNCTIONS else None
        self.expect(functions is not None and not functions & (MWM_FUNC_ALL | MWM_FUNC_MINIMIZE | MWM_FUNC_MAXIMIZE),
                    f"{what} asks for no window functions without minimise and maximise:\n{properties}")

    def run(self):
        self.step("started on a missing file: the warning belongs to the main window")
        self.window = self.driver.find_window(MAIN_WINDOW)
        warning = self.driver.focused_window(MESSAGE_DIALOG)
        self.screenshot("missing-file")
        self.belongs(warning, "the warning")

        self.step("OK: the first file dialog follows; cancelled, the options dialog belongs to the main window")
        self.driver.key("Return")
        self.driver.focused_window(FILE_DIALOG)
        self.driver.key("Escape")
        self.driver.wait_gone(FILE_DIALOG, "the file dialog to go")
        self.driver.wait_focused(self.window)
        options = open_options(self.driver)
        self.screenshot("options")
        self.belongs(options, "the options dialog")
        self.driver.key("alt+F4")
        self.driver.wait_gone(OPTIONS_DIALOG, "the options dialog to go")

        self.step("Escape ends the viewer with status 0")
        self.end_by_escape("the viewer")


def main():
    options = viewer_options(__doc__)

    def play(report):
        check_answers(options.viewer)
        with driven_display("x11", options.artifacts) as driver, driver.working_folder("orvalis-ligne-") as folder:
            for number in (1, 2, 3):
                write_view(folder / f"vue{number}.jpg", number)
            report.viewer = driver.start([options.viewer, "vue3.jpg"], cwd=folder)
            report.scenario = StartedOnAFile(driver, report.viewer, options.artifacts, folder)
            report.scenario.play(report.viewer)
        with driven_display("x11", options.artifacts, logs="-openbox") as driver, \
                driver.working_folder("orvalis-ligne-") as folder:
            manager = Program(["openbox", "--sm-disable"], driver.env)
            try:
                wait_until(lambda: subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=driver.env,
                                                  capture_output=True, text=True).stdout.count("window id") > 0,
                           "openbox to manage the display")
                report.viewer = driver.start([options.viewer, str(folder / "absente3.jpg")], cwd=folder)
                report.scenario = DialogsOfTheirWindow(driver, report.viewer, options.artifacts, folder)
                report.scenario.play(report.viewer)
            finally:
                manager.stop()
    return play_scenario(play, "command line scenario", options.artifacts)


if __name__ == "__main__":
    sys.exit(main())
