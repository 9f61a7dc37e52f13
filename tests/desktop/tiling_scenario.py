#!/usr/bin/env python3
"""The options dialog under a tiling compositor: headless sway in its own tiling layout
(wayland_driver.py), the viewer forced onto Wayland. The main window tiles; the options
dialog, transient for it and of the dialog type, floats over it rather than taking a
tile of its own beside it.

    tiling_scenario.py --viewer PATH --artifacts FOLDER

Screenshots and the compositor's log go to the artifacts folder."""

import sys

from desktop_driver import play_scenario, viewer_options
from viewer_steps import (FILE_DIALOG, MAIN_WINDOW, OPTIONS_DIALOG, SCREEN, ViewerSteps, open_options, open_typed,
                          play_viewer, write_view)
from wayland_driver import WaylandCompositor, WaylandDriver


class Scenario(ViewerSteps):
    def run(self):
        self.step("a view chosen in the first file dialog")
        self.window = self.driver.find_window(MAIN_WINDOW)
        self.driver.focused_window(FILE_DIALOG)
        open_typed(self.driver, self.series / "vue1.jpg")
        self.driver.wait_focused(self.window)

        self.step("the options dialog floats over the tiled main window")
        options = open_options(self.driver)
        self.screenshot("options")
        self.expect(not self.driver.floating(self.window), "the main window floats, where sway tiles it")
        self.expect(self.driver.floating(options), "the options dialog is tiled, not floating over the main window")
        x, y, width, height = self.driver.window_geometry(options)
        left, top, main_width, main_height = self.driver.window_geometry(self.window)
        self.expect(left <= x and top <= y and x + width <= left + main_width and y + height <= top + main_height,
                    f"the options dialog at {(x, y, width, height)} is not over the main window at "
                    f"{(left, top, main_width, main_height)}")

        self.step("Annuler closes the dialog, Escape ends the viewer with status 0")
        # Annuler: Left 96, Top 104, 75 by 25 in the dialog's client area, its whole window.
        self.driver.click_at(x + 96 + 37, y + 104 + 12)
        self.driver.wait_gone(OPTIONS_DIALOG, "the options dialog to go")
        self.end_by_escape("the viewer")


def main():
    options = viewer_options(__doc__)

    def play(report):
        with WaylandCompositor(options.artifacts / "sway.log", *SCREEN, tiling=True) as compositor:
            driver = WaylandDriver(compositor)
            with driver.working_folder("orvalis-mosaique-") as folder:
                write_view(folder / "vue1.jpg", 1)
                play_viewer(report, driver, options, folder,
                            lambda viewer: Scenario(driver, viewer, options.artifacts, folder))
    return play_scenario(play, "tiling scenario", options.artifacts)


if __name__ == "__main__":
    sys.exit(main())
