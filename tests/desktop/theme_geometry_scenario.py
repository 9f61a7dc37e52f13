#!/usr/bin/python3
"""The geometry of every control of the viewer's dialogs on the desktop, under each theme
of theme_scenario.py, equals the layout the headless backend gives the same forms: the
options dialog and the message dialog that a view which is no picture brings, at scale
1, in a virtual X display without a window manager (a window is its client area).

The desktop's rectangles are read from outside, as a screen reader or a magnifier reads
them: each element's extents on the accessibility bus, less the dialog's place on the
screen (xdotool). The headless ones are printed by the program HEADLESS_FORM_LAYOUT names
(headless_form_layout: "<dialog>\\t<name>\\t<left> <top> <width> <height>" per element).
Every element the headless layout has must be on the bus with that name and rectangle,
and every element on the bus named as one of them must lie where one of them does.

    theme_geometry_scenario.py --viewer PATH --artifacts FOLDER

It runs with the system's python3, which has pyatspi (python3-pyatspi), and starts
itself again under dbus-run-session, as accessibility_scenario.py does."""

import collections
import os
import subprocess
import sys

from accessibility_scenario import ERROR_DIALOG, Scenario, bridged_display, main_in_session
from desktop_driver import WAIT_SECONDS, Failure, play_scenario
from theme_scenario import NOT_A_PICTURE, THEMES
from viewer_steps import MAIN_WINDOW, open_options

DIALOG_NAMES = {"message": "Erreur", "options": "Options de visualisation"}


def headless_layout():
    """{dialog: Counter of (name, (left, top, width, height))} from the headless backend."""
    tool = os.environ.get("HEADLESS_FORM_LAYOUT")
    if not tool:
        raise Failure("HEADLESS_FORM_LAYOUT names no program (CTest gives headless_form_layout)")
    lines = subprocess.run([tool], capture_output=True, text=True, check=True, timeout=WAIT_SECONDS).stdout
    layout = collections.defaultdict(collections.Counter)
    for line in lines.splitlines():
        dialog, name, rect = line.split("\t")
        layout[dialog][(name, tuple(int(value) for value in rect.split()))] += 1
    return layout


class ThemeGeometry(Scenario):
    def __init__(self, driver, artifacts, bus, viewer, folder, name, layout):
        super().__init__(driver, artifacts, bus, viewer, folder)
        self.name = name
        self.layout = layout

    def shown_layout(self, dialog, window):
        """The elements of the dialog on the bus, as (name, rectangle in its client area)."""
        x, y = self.driver.window_geometry(window)[:2]
        frame = self.bus.wait(lambda: self.frame(DIALOG_NAMES[dialog]), f"the {dialog} dialog on the bus")
        shown = collections.Counter()
        for element in self.bus.walk(frame):
            if element is frame or not element.name:
                continue
            extents = element.queryComponent().getExtents(self.bus.pyatspi.DESKTOP_COORDS)
            shown[(element.name, (extents.x - x, extents.y - y, extents.width, extents.height))] += 1
        return shown

    def compare(self, dialog, window):
        expected = self.layout[dialog]
        names = {name for name, _ in expected}

        def matching():
            shown = self.shown_layout(dialog, window)
            named = collections.Counter({key: count for key, count in shown.items() if key[0] in names})
            return (shown, named) if not expected - shown and not named - expected else None
        try:
            self.bus.wait(matching, f"the {dialog} dialog's elements where the headless layout puts them")
        except Failure:
            shown = self.shown_layout(dialog, window)
            raise Failure(f"{self.name}: the {dialog} dialog's elements differ from the headless layout:\n"
                          f"  missing on the desktop: {sorted((expected - shown).elements())}\n"
                          f"  on the desktop instead: {sorted((shown - expected).elements())}")
        self.screenshot(f"{self.name}-{dialog}")

    def run(self):
        self.step(f"{self.name}: the message dialog's elements where the headless layout puts them")
        self.window = self.driver.find_window(MAIN_WINDOW)
        self.app = self.bus.wait(lambda: self.bus.application("orvalis"), "the program on the accessibility bus")
        message = self.driver.focused_window(ERROR_DIALOG)
        self.compare("message", message)
        self.driver.key("Return")
        self.driver.wait_gone(ERROR_DIALOG, "the message dialog to go")

        self.step(f"{self.name}: the options dialog's elements where the headless layout puts them")
        # As after a choice in the first dialog, the main window comes, without a view.
        self.driver.wait_focused(self.window)
        options = open_options(self.driver)
        self.compare("options", options)
        self.viewer.stop()


def run_scenario(options):
    layout = headless_layout()

    def play(report):
        # One display and one accessibility bus for every theme: the bus's launcher ends
        # with the display it started on.
        with bridged_display(options.artifacts, "orvalis-geometrie-") as (driver, root, bus):
            (root / "faux.jpg").write_bytes(NOT_A_PICTURE)
            for number, (name, theme) in enumerate(THEMES):
                # The viewer before, stopped, leaves the bus first.
                bus.wait(lambda: bus.application("orvalis") is None, "the viewer before to leave the bus")
                # Started on a view that is no picture: the message dialog comes at once.
                report.viewer = driver.start([options.viewer, str(root / "faux.jpg")], cwd=root,
                                             env={"GTK_THEME": theme})
                report.scenario = ThemeGeometry(driver, options.artifacts, bus, report.viewer, root, name, layout)
                report.scenario.shots = 10 * number
                report.scenario.play(report.viewer)
    return play_scenario(play, "theme geometry scenario", options.artifacts)


if __name__ == "__main__":
    sys.exit(main_in_session(run_scenario, __doc__))
