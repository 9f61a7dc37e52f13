#!/usr/bin/env python3
"""A path typed into the file dialog at once, as a quick person types it: the dialog that
comes again pre-selects the file opened last, but only once it has read its folder, and
a folder of thousands of files takes a while. A long path typed meanwhile must stay as
typed: the dialog opens the view it names.

    typed_path_scenario.py --viewer PATH --artifacts FOLDER

Screenshots and the display's log go to the artifacts folder."""

import sys

from desktop_driver import play_scenario, viewer_options, wait_until
from viewer_steps import (FILE_DIALOG, MAIN_WINDOW, ViewerSteps, driven_display, open_typed, play_viewer,
                          write_view)

# Files beside the views, so that reading the folder outlasts the first keys typed; and a
# folder name long enough that the typing outlasts the reading.
OTHER_FILES = 10000
SERIES_FOLDER = "vues-" + "-".join(["perspective"] * 16)


class TypedAtOnce(ViewerSteps):
    def run(self):
        driver = self.driver
        self.step("the first file dialog: view 1 opened by its typed path")
        self.window = driver.find_window(MAIN_WINDOW)
        driver.focused_window(FILE_DIALOG)
        open_typed(driver, self.series / "vue1.jpg")
        wait_until(lambda: self.caption() == self.view_caption(1), "view 1's caption")

        self.step("the dialog again, view 2's path typed at once while it reads its folder: Enter opens view 2")
        driver.wait_focused(self.window)
        driver.key("F10", "Down", "Return")
        driver.focused_window(FILE_DIALOG)
        open_typed(driver, self.series / "vue2.jpg")
        wait_until(lambda: self.caption() == self.view_caption(2),
                   f"view 2's caption (the caption is {self.caption()!r})")

        self.step("Escape ends the viewer with status 0")
        self.end_by_escape("the viewer")


def main():
    options = viewer_options(__doc__)

    def play(report):
        with driven_display("x11", options.artifacts) as driver, driver.working_folder("orvalis-tape-") as folder:
            series = folder / SERIES_FOLDER
            series.mkdir()
            for number in (1, 2):
                write_view(series / f"vue{number}.jpg", number)
            for number in range(OTHER_FILES):
                (series / f"note{number:05d}.txt").write_bytes(b"")
            play_viewer(report, driver, options, folder,
                        lambda viewer: TypedAtOnce(driver, viewer, options.artifacts, series))
    return play_scenario(play, "typed path scenario", options.artifacts)


if __name__ == "__main__":
    sys.exit(main())
