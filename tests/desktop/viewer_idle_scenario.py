#!/usr/bin/env python3
"""The real viewer, left alone, must leave the processor alone: in each state where it
waits for the user it may use under 1 % of one core, measured as the processor time it
took (user and system, from /proc/PID/stat) against the wall time of the wait. The
states: the file dialog at start; the options dialog; the main window showing a view in
"Arrêt sur image"; a message box; "Continu" with 20 seconds between views.

    viewer_idle_scenario.py --viewer PATH --artifacts FOLDER

Every figure is printed, then the test fails if any state is at 1 % or more."""

import os
import sys
import time

from desktop_driver import play_scenario, viewer_options, wait_until
from viewer_steps import (FILE_DIALOG, MAIN_WINDOW, OPTIONS_DIALOG, VIEW_SIZE, ViewerSteps, driven_display,
                          open_options, open_typed, write_view)

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


class IdleScenario(ViewerSteps):
    def __init__(self, driver, viewer, artifacts, series):
        super().__init__(driver, viewer, artifacts, series)
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
        self.driver.wait_focused(self.window)
        open_options(self.driver)

    def close_options(self):
        self.driver.wait_gone(OPTIONS_DIALOG, "the options dialog to go")

    def run(self):
        driver = self.driver
        self.step("the file dialog at start")
        self.window = driver.find_window(MAIN_WINDOW)
        driver.focused_window(FILE_DIALOG)
        self.measure("the file dialog at start")

        self.step("a view shown")
        open_typed(driver, self.series / "vue1.jpg")
        wait_until(lambda: driver.window_geometry(self.window)[2] == VIEW_SIZE[0],
                   f"the window to be {VIEW_SIZE[0]} wide, as the view")

        self.step("the options dialog")
        self.open_options()
        self.measure("the options dialog")

        self.step("the main window in \"Arrêt sur image\"")
        # From the delay: Tab to the scrolling mode, Down to its second entry, Tab to OK.
        driver.key("Tab", "Down", "Tab", "Return")
        self.close_options()
        wait_until(lambda: self.caption().startswith("Fichier "), "a view in the caption")
        self.measure("the main window in Arret sur image")
        caption = self.caption()

        self.step("a message box")
        # The count of a JPEG view is refused in an error box.
        driver.wait_focused(self.window)
        driver.key("F10", "Right", "Right", "Down", "Return")
        driver.focused_window(ERROR_BOX)
        self.measure("a message box")
        driver.key("Return")
        driver.wait_gone(ERROR_BOX, "the message box to go")
        self.expect(self.caption() == caption,
                    f"the views went on in \"Arrêt sur image\": {self.caption()!r}")

        self.step("\"Continu\" with 20 seconds between views")
        self.open_options()
        driver.key("ctrl+a")
        driver.type_text("20")
        driver.key("Tab", "Up", "Tab", "Return")
        self.close_options()
        self.measure("Continu every 20 s")

        self.step("Escape ends the program with status 0")
        self.end_by_escape("the program")

        busy = [f"{state}: {100 * share:.1f} %" for state, share in self.figures if share >= IDLE_LIMIT]
        self.expect(not busy, f"the viewer kept the processor busy while left alone ({', '.join(busy)}; "
                              f"allowed: under {100 * IDLE_LIMIT:g} % of one core)")


def main():
    options = viewer_options(__doc__)

    def play(report):
        with driven_display("x11", options.artifacts) as driver, driver.working_folder("orvalis-idle-") as root:
            series = root / "vues"
            workdir = root / "travail"
            series.mkdir()
            workdir.mkdir()
            for number in range(1, 4):
                write_view(series / f"vue{number}.jpg", number)
            report.viewer = driver.start([options.viewer], cwd=workdir)
            report.scenario = IdleScenario(driver, report.viewer, options.artifacts, series)
            report.scenario.play(report.viewer)
    return play_scenario(play, "viewer idle scenario", options.artifacts, passed="every state passed")


if __name__ == "__main__":
    sys.exit(main())
