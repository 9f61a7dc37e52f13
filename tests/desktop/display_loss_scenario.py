#!/usr/bin/env python3
"""The display going away under the viewer (the X server or the Wayland compositor ends,
as when a session ends) while its options dialog is open: the viewer must end within a few
seconds, with a non-zero status and its French line on the error stream, rather than wait
or spin on a connection that will never answer.

    display_loss_scenario.py --viewer PATH --artifacts FOLDER --display x11|wayland"""

import sys

from desktop_driver import Steps, play_scenario, viewer_options
from viewer_steps import FILE_DIALOG, MAIN_WINDOW, driven_display, open_options, open_typed, write_view

LOST_DISPLAY = "Orvalis s'arrête : la connexion à l'affichage graphique a été perdue."
# Ample for a program that watches its connection; one that spins or waits never ends.
ENDING_SECONDS = 5


class Run(Steps):
    def __init__(self, driver, artifacts, viewer, folder):
        super().__init__(driver.env, artifacts, driver)
        self.viewer = viewer
        self.folder = folder

    def run(self):
        driver = self.driver
        self.step("a view, then the options dialog")
        driver.find_window(MAIN_WINDOW)
        driver.focused_window(FILE_DIALOG)
        open_typed(driver, self.folder / "vue1.jpg")
        open_options(driver)
        self.screenshot("options")

        self.step(f"the {driver.name} display ends")
        driver.end_display()
        status = self.viewer.wait_exit(ENDING_SECONDS)
        self.viewer.stop()
        self.expect(status != 0, f"the viewer ended with status {status} when its display went away")
        said = self.viewer.errors[-1] if self.viewer.errors else ""
        self.expect(said == LOST_DISPLAY, f"the viewer's last words were {said!r}, not {LOST_DISPLAY!r}")


def main():
    options = viewer_options(__doc__, displays=True)

    def play(report):
        with driven_display(options.display, options.artifacts) as driver, \
                driver.working_folder("orvalis-display-loss-") as folder:
            write_view(folder / "vue1.jpg", 1)
            driver.hand_over(folder)
            report.viewer = driver.start([options.viewer], cwd=folder)
            report.scenario = Run(driver, options.artifacts, report.viewer, folder)
            try:
                report.scenario.run()
            finally:
                report.viewer.stop()
    return play_scenario(play, "display loss scenario", options.artifacts)


if __name__ == "__main__":
    sys.exit(main())
