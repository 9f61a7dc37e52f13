#!/usr/bin/env python3
"""The real viewer, left alone, must leave the processor alone: in each state where it
waits for the user it may use under 1 % of one core, measured as the processor time it
took (user and system, from /proc/PID/stat) against the wall time of the wait. The
states: the file dialog at start; the options dialog; the main window showing a view in
"Arrêt sur image"; a message box; "Continu" with 20 seconds between views.

    viewer_idle_scenario.py --viewer PATH --artifacts FOLDER

Every figure is printed, then the test fails if any state is at 1 % or more."""

import argparse
import os
import pathlib
import sys
import tempfile
import time

from desktop_driver import (Failure, Program, Steps, VirtualDisplay, find_window, key, type_text, wait_focused,
                            wait_until, window_exists, window_geometry, window_name)
from viewer_scenario import FILE_DIALOG, MAIN_WINDOW, OPTIONS_DIALOG, VIEW_SIZE, write_view

IDLE_SECONDS = 5.0
# What a waiting program may take of one core.
IDLE_LIMIT = 0.01
# Time for what a state change draws and loads (the dialog's folder) before measuring.
SETTLE_SECONDS = 1.0
ERROR_BOX = r"^Erreur$"


def processor_seconds(pid):
    """The processor time the process has used so far, user and system, all its threads."""
    with open(f"/proc/{pid}/stat") as stat:
        # The command name is in parentheses and may hold blanks: count fields after it.
        fields = stat.read().rsplit(")", 1)[1].split()
    utime, stime = int(fields[11]), int(fields[12])
    return (utime + stime) / os.sysconf("SC_CLK_TCK")


class IdleScenario(Steps):
    def __init__(self, display, viewer, artifacts, series):
        super().__init__(display.env, artifacts)
        self.viewer = viewer
        self.series = series
        self.figures = []

    def measure(self, state):
        """The share of one core that the viewer takes while left alone in `state`."""
        time.sleep(SETTLE_SECONDS)
        self.screenshot(state.replace(" ", "-"))
        pid = self.viewer.process.pid
        start_cpu, start_wall = processor_seconds(pid), time.monotonic()
        time.sleep(IDLE_SECONDS)
        used, wall = processor_seconds(pid) - start_cpu, time.monotonic() - start_wall
        share = used / wall
        print(f"   idle in {state}: {100 * share:.1f} % of one core ({used:.2f} s of processor in {wall:.2f} s)",
              flush=True)
        self.figures.append((state, share))

    def open_options(self):
        wait_focused(self.env, self.window)
        key(self.env, "F10", "Right", "Return")
        options = find_window(self.env, OPTIONS_DIALOG)
        wait_focused(self.env, options)

    def close_options(self):
        wait_until(lambda: not window_exists(self.env, OPTIONS_DIALOG), "the options dialog to go")

    def run(self):
        self.step("the file dialog at start")
        self.window = find_window(self.env, MAIN_WINDOW)
        wait_focused(self.env, find_window(self.env, FILE_DIALOG))
        self.measure("the file dialog at start")

        self.step("a view shown")
        type_text(self.env, str(self.series / "vue1.jpg"))
        key(self.env, "Return")
        wait_until(lambda: not window_exists(self.env, FILE_DIALOG), "the file dialog to go")
        wait_until(lambda: window_geometry(self.env, self.window)[2] == VIEW_SIZE[0],
                   f"the window to be {VIEW_SIZE[0]} wide, as the view")

        self.step("the options dialog")
        self.open_options()
        self.measure("the options dialog")

        self.step("the main window in \"Arrêt sur image\"")
        # From the delay: Tab to the scrolling mode, Down to its second entry, Tab to OK.
        key(self.env, "Tab", "Down", "Tab", "Return")
        self.close_options()
        wait_until(lambda: window_name(self.env, self.window).startswith("Fichier "), "a view in the caption")
        self.measure("the main window in Arret sur image")
        caption = window_name(self.env, self.window)

        self.step("a message box")
        # The count of a JPEG view is refused in an error box.
        wait_focused(self.env, self.window)
        key(self.env, "F10", "Right", "Right", "Down", "Return")
        box = find_window(self.env, ERROR_BOX)
        wait_focused(self.env, box)
        self.measure("a message box")
        key(self.env, "Return")
        wait_until(lambda: not window_exists(self.env, ERROR_BOX), "the message box to go")
        self.expect(window_name(self.env, self.window) == caption,
                    f"the views went on in \"Arrêt sur image\": {window_name(self.env, self.window)!r}")

        self.step("\"Continu\" with 20 seconds between views")
        self.open_options()
        key(self.env, "ctrl+a")
        type_text(self.env, "20")
        key(self.env, "Tab", "Up", "Tab", "Return")
        self.close_options()
        self.measure("Continu every 20 s")

        self.step("Escape ends the program with status 0")
        wait_focused(self.env, self.window)
        key(self.env, "Escape")
        status = self.viewer.wait_exit()
        self.expect(status == 0, f"the program ended with status {status}")

        busy = [f"{state}: {100 * share:.1f} %" for state, share in self.figures if share >= IDLE_LIMIT]
        self.expect(not busy, f"the viewer kept the processor busy while left alone ({', '.join(busy)}; "
                              f"allowed: under {100 * IDLE_LIMIT:g} % of one core)")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--viewer", required=True)
    parser.add_argument("--artifacts", required=True, type=pathlib.Path)
    options = parser.parse_args()
    options.viewer = str(pathlib.Path(options.viewer).resolve())
    options.artifacts.mkdir(parents=True, exist_ok=True)

    scenario = None
    viewer = None
    try:
        with tempfile.TemporaryDirectory(prefix="orvalis-idle-") as root, \
                VirtualDisplay(log_path=options.artifacts / "xvfb.log") as display:
            series = pathlib.Path(root) / "vues"
            workdir = pathlib.Path(root) / "travail"
            series.mkdir()
            workdir.mkdir()
            for number in range(1, 4):
                write_view(series / f"vue{number}.jpg", number)
            viewer = Program([options.viewer], display.env, cwd=workdir)
            scenario = IdleScenario(display, viewer, options.artifacts, series)
            scenario.play(viewer)
    except Failure as failure:
        step = scenario.step_name if scenario else "setting up"
        print(f"FAILED at \"{step}\": {failure}", file=sys.stderr)
        if viewer and viewer.errors:
            print("The viewer said on its error stream:\n" + "\n".join(viewer.errors[-20:]), file=sys.stderr)
        print(f"Screenshots: {options.artifacts}", file=sys.stderr)
        return 1
    print("viewer idle scenario: every state passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
