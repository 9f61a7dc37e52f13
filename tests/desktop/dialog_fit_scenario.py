#!/usr/bin/env python3
"""The first file dialog on a small high-density screen: headless sway with an output of
960 x 540 layout units at scale 2 (wayland_driver.py), the viewer forced onto Wayland.
The dialog fits the screen whole, its buttons and filter within reach.

    dialog_fit_scenario.py --viewer PATH --artifacts FOLDER

Screenshots and the compositor's log go to the artifacts folder."""

import sys

from desktop_driver import Steps, play_scenario, viewer_options, wait_until
from viewer_steps import FILE_DIALOG, MAIN_WINDOW, play_viewer
from wayland_driver import WaylandCompositor, WaylandDriver

SCREEN = (960, 540)
SCALE = 2


class Scenario(Steps):
    def __init__(self, driver, viewer, artifacts):
        super().__init__(driver.env, artifacts, driver)
        self.viewer = viewer

    def run(self):
        self.step("the first file dialog lies within the screen")
        main = self.driver.find_window(MAIN_WINDOW)
        dialog = self.driver.focused_window(FILE_DIALOG)

        def fits():
            x, y, width, height = self.driver.window_geometry(dialog)
            return x >= 0 and y >= 0 and x + width <= SCREEN[0] and y + height <= SCREEN[1]
        try:
            wait_until(fits, f"the file dialog within the {SCREEN[0]} x {SCREEN[1]} screen")
        finally:
            self.screenshot("first-dialog")

        self.step("Escape closes the dialog, Escape again ends the viewer with status 0")
        self.driver.key("Escape")
        self.driver.wait_gone(FILE_DIALOG, "the file dialog to go")
        self.driver.wait_focused(main)
        self.driver.key("Escape")
        status = self.viewer.wait_exit()
        self.expect(status == 0, f"the viewer ended with status {status}")


def main():
    options = viewer_options(__doc__)

    def play(report):
        with WaylandCompositor(options.artifacts / "sway.log", *SCREEN, SCALE) as compositor:
            driver = WaylandDriver(compositor)
            with driver.working_folder("orvalis-petit-ecran-") as folder:
                play_viewer(report, driver, options, folder, lambda viewer: Scenario(driver, viewer, options.artifacts))
    return play_scenario(play, "dialog fit scenario", options.artifacts)


if __name__ == "__main__":
    sys.exit(main())
